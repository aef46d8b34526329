// scripts/web test: plays the browser build in headless Chromium — the menu (the sound switch off and
// on again), a game with firing and steering, a pause, Esc back to the menu, "Sair" — with the session
// recorded (?record=1), then replays the recording with vartenos-sim: it must give 0 desyncs, and a
// copy with one key moved 40 ms later must not. Any page error fails the test.
//
//   node web/test.mjs SITE_DIR VARTENOS_SIM DATA_DIR
import { spawnSync } from 'node:child_process';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

import { open, presents, press, sleep, waitRecording } from './browser.mjs';

const [site, sim, data] = process.argv.slice(2);
if (!site || !sim || !data) {
  console.error('usage: node web/test.mjs SITE_DIR VARTENOS_SIM DATA_DIR');
  process.exit(2);
}

function replay(file) {
  const r = spawnSync(sim, ['--data', data, '--replay', file], { encoding: 'utf8' });
  return { status: r.status, out: (r.stdout + r.stderr).trim() };
}

// The same recording with the first arrow key that went down during the game delivered 40 ms later.
function moveOneKey(text) {
  const lines = text.split('\n');
  const i = lines.findIndex((l) => /^d \d+ 3[789]$/.test(l) || /^d \d+ 40$/.test(l));
  if (i < 0) throw new Error('the recording holds no arrow key');
  const [, t, vk] = lines[i].split(' ');
  lines[i] = `d ${Number(t) + 40} ${vk}`;
  return { text: lines.join('\n'), line: i + 1 };
}

const failures = [];
const check = (ok, what) => {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures.push(what);
};

const dir = mkdtempSync(join(tmpdir(), 'vartenos-web-test-'));
const browser = await open(site);
const { page, problems } = browser;
try {
  const started = Date.now();
  await page.goto(`${browser.url}?args=/sa%20/sp&record=1`, { waitUntil: 'load' });
  await waitRecording(page, (t) => presents(t) > 0, 30000, 'the menu');
  console.log(`     the menu after ${Date.now() - started} ms`);
  await sleep(800);

  // The menu: S switches the sound off and on, then "Novo jogo".
  await press(page, 'KeyS');
  await sleep(300);
  await press(page, 'KeyS');
  await sleep(300);
  await press(page, 'Space');
  await sleep(1500);

  // A game: fire held, the ship steered around.
  await page.keyboard.down('Space');
  for (let i = 0; i < 2; i++) {
    for (const [key, ms] of [['ArrowRight', 900], ['ArrowUp', 300], ['ArrowLeft', 900], ['ArrowDown', 300]]) {
      await page.keyboard.down(key);
      await sleep(ms);
      await page.keyboard.up(key);
    }
  }
  await page.keyboard.up('Space');
  await sleep(300);

  // A pause and back, a little more play, Esc to the menu, and "Sair".
  await press(page, 'KeyP');
  await sleep(1500);
  await press(page, 'KeyP');
  await sleep(500);
  await page.keyboard.down('ArrowLeft');
  await page.keyboard.down('Space');
  await sleep(1200);
  await page.keyboard.up('Space');
  await page.keyboard.up('ArrowLeft');
  await press(page, 'Escape');
  await sleep(1500);
  for (let i = 0; i < 4; i++) {
    await press(page, 'ArrowDown');
    await sleep(200);
  }
  await press(page, 'Space');

  const text = await waitRecording(page, (t) => /\nend \d+\n$/.test(t), 10000, 'the end of the session');
  const n = presents(text);
  check(n > 400, `the session recorded ${n} presents`);
  const ended = await page.$eval('#aviso', (e) => getComputedStyle(e).display !== 'none');
  check(ended, 'the page says the game has ended');
  check(problems.length === 0, `no page errors${problems.length ? ': ' + problems.join('; ') : ''}`);

  const file = join(dir, 'browser.rec');
  writeFileSync(file, text);
  const r = replay(file);
  check(r.status === 0 && /^replayed \d+ presents, 0 desyncs$/m.test(r.out), `replay: ${r.out}`);

  const moved = moveOneKey(text);
  const movedFile = join(dir, 'moved.rec');
  writeFileSync(movedFile, moved.text);
  const m = replay(movedFile);
  check(m.status === 1 && /desync/.test(m.out),
        `replay with the key of line ${moved.line} moved 40 ms fails: ${m.out.split('\n')[0]}`);
  if (failures.length) {
    writeFileSync('build-web/test.rec', text);
    console.log('the recording is kept in build-web/test.rec');
  }
} catch (e) {
  failures.push(e.message);
  console.log(`FAIL ${e.message}`);
  if (problems.length) console.log(problems.join('\n'));
} finally {
  await browser.close();
  rmSync(dir, { recursive: true, force: true });
}
console.log(`web test: ${failures.length === 0 ? 'passed' : failures.length + ' failed'}`);
process.exit(failures.length === 0 ? 0 : 1);
