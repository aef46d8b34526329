// scripts/web measure: the figures of docs/web.md, in headless Chromium on the loopback — the time from
// loading the page to the menu (best and median of three fresh loads), the bytes the page loads,
// presents a second over a minute of play (fire held, the ship steered around, all weapons), and
// screenshots of the menu and of a game (written to docs/web-menu.png and docs/web-game.png).
//
//   node web/measure.mjs SITE_DIR [VARTENOS_SIM DATA_DIR]
import { open, presents, press, recording, sleep, waitRecording } from './browser.mjs';

const [site] = process.argv.slice(2);
const seconds = Number(process.env.VARTENOS_MEASURE_SECONDS || 60);

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
const start = presents(await recording(page));
const t0 = Date.now();
let shot = false;
const keys = ['ArrowRight', 'ArrowLeft'];
for (let i = 0; Date.now() - t0 < seconds * 1000; i++) {
  await page.keyboard.down(keys[i % 2]);
  await sleep(700);
  await page.keyboard.up(keys[i % 2]);
  if (!shot && Date.now() - t0 > 20000) {
    await page.screenshot({ path: 'docs/web-game.png' });
    shot = true;
  }
}
const elapsed = (Date.now() - t0) / 1000;
const end = presents(await recording(page));
await page.keyboard.up('Space');
console.log(`presents a second over ${elapsed.toFixed(1)} s of play: ${((end - start) / elapsed).toFixed(2)}`);
if (b.problems.length) console.log(b.problems.join('\n'));
await b.close();
