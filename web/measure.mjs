// scripts/web measure: the figures of docs/web.md, in headless Chromium on the loopback — the time from
// loading the page to the menu (best and median of three fresh loads), the bytes the page loads,
// presents a second over a minute of play (fire held, the ship steered around, all weapons),
// screenshots of the menu and of a game (written to docs/web-menu.png and docs/web-game.png), and
// presents a second on the menu and in a game with the processor slowed four times, as on a modest
// phone (the developer tools' CPU throttling).
//
//   node web/measure.mjs SITE_DIR [VARTENOS_SIM DATA_DIR]
//   VARTENOS_MEASURE_SECONDS=60  the minute of play; VARTENOS_MEASURE=slow only the slowed figures
import { open, presents, press, recording, sleep, waitRecording } from './browser.mjs';

const [site] = process.argv.slice(2);
const seconds = Number(process.env.VARTENOS_MEASURE_SECONDS || 60);

// Presents a second while `play` runs for `ms`, counted by the page (window.vartenosPresents()).
async function rate(page, ms, play = () => sleep(ms)) {
  const count = () => page.evaluate(() => window.vartenosPresents());
  const start = await count();
  const t0 = Date.now();
  await play(t0);
  const elapsed = (Date.now() - t0) / 1000;
  return { rate: ((await count()) - start) / elapsed, elapsed };
}

// Fire held, the ship steered left and right, until `ms` have passed since t0.
async function steer(page, t0, ms, each = () => {}) {
  const keys = ['ArrowRight', 'ArrowLeft'];
  for (let i = 0; Date.now() - t0 < ms; i++) {
    await page.keyboard.down(keys[i % 2]);
    await sleep(700);
    await page.keyboard.up(keys[i % 2]);
    await each();
  }
}

if (process.env.VARTENOS_MEASURE !== 'slow') await normal();
await slowed(4, false);
await slowed(4, true);

// As a player plays (`record` false), or recording the session, which costs time of its own.
async function slowed(factor, record) {
  const b = await open(site);
  const { page } = b;
  const cdp = await page.createCDPSession();
  await cdp.send('Emulation.setCPUThrottlingRate', { rate: factor });
  await page.goto(`${b.url}?args=/sa%20/sp%20/extras${record ? '&record=1' : ''}`, { waitUntil: 'load' });
  await page.waitForFunction(() => window.vartenosPresents() > 0, { timeout: 60000, polling: 100 });
  await sleep(2000);
  const m = await rate(page, 20000);
  await press(page, 'Space');
  await sleep(1500);
  await page.keyboard.down('Space');
  const g = await rate(page, 40000, (t0) => steer(page, t0, 40000));
  await page.keyboard.up('Space');
  console.log(`processor slowed ${factor} times${record ? ', recording' : ''}: presents a second on the menu ${m.rate.toFixed(2)} ` +
              `(${m.elapsed.toFixed(1)} s), in a game ${g.rate.toFixed(2)} (${g.elapsed.toFixed(1)} s)`);
  if (b.problems.length) console.log(b.problems.join('\n'));
  await b.close();
}

async function normal() {
  const loads = [];
  let bytes = 0;
  for (let i = 0; i < 3; i++) {
    const b = await open(site);
    const t0 = Date.now();
    await b.page.goto(`${b.url}?args=/sa%20/sp&record=1`, { waitUntil: 'load' });
    await waitRecording(b.page, (t) => presents(t) > 0, 30000, 'the menu');
    loads.push(Date.now() - t0);
    bytes = b.bytes();
    if (b.problems.length) console.log(b.problems.join('\n'));
    await b.close();
  }
  loads.sort((a, b) => a - b);
  console.log(`page load to menu: ${loads.join(', ')} ms (median ${loads[1]} ms)`);
  console.log(`bytes loaded: ${bytes} (${(bytes / 1048576).toFixed(2)} MiB)`);

  const b = await open(site);
  const { page } = b;
  await page.goto(`${b.url}?args=/sa%20/sp%20/extras&record=1`, { waitUntil: 'load' });
  await waitRecording(page, (t) => presents(t) > 0, 30000, 'the menu');
  await sleep(1500);
  await page.screenshot({ path: 'docs/web-menu.png' });
  await press(page, 'Space');
  await sleep(1000);
  await page.keyboard.down('Space');
  let shot = false;
  const g = await rate(page, seconds * 1000, (t0) =>
    steer(page, t0, seconds * 1000, async () => {
      if (!shot && Date.now() - t0 > 20000) {
        await page.screenshot({ path: 'docs/web-game.png' });
        shot = true;
      }
    }));
  await page.keyboard.up('Space');
  console.log(`presents a second over ${g.elapsed.toFixed(1)} s of play: ${g.rate.toFixed(2)}`);
  if (b.problems.length) console.log(b.problems.join('\n'));
  await b.close();
}
