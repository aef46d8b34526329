// scripts/web test: plays the browser build in headless Chromium — the menu (the sound switch off and
// on again), a game with firing and steering, a pause, Esc back to the menu, "Sair" — with the session
// recorded (?record=1), then replays the recording with vartenos-sim: it must give 0 desyncs, and a
// copy with one key moved 40 ms later must not. Any page error fails the test. Then:
//  - a phone held sideways (Chromium's device emulation, touch events): a tap on "Novo jogo", a drag
//    that fires and steers, the "Pausa" button, the tab hidden, "Voltar", a tap on "Sair"; the session
//    replays with 0 desyncs, and its trace shows each of those doing its job;
//  - a game controller (the page's gamepad list stubbed): A starts a game, the stick steers, Back leaves;
//  - playing offline: the page loaded once, the server gone and the browser offline, the page reloaded
//    shows the menu; a changed build served after that plays at the next load, and replaces the kept one.
//
//   node web/test.mjs SITE_DIR VARTENOS_SIM DATA_DIR
import { spawnSync } from 'node:child_process';
import { appendFileSync, cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

import { open, presents, press, sleep, waitRecording } from './browser.mjs';
import { serve } from './serve.mjs';
import { stamp } from './stamp.mjs';

const [site, sim, data] = process.argv.slice(2);
if (!site || !sim || !data) {
  console.error('usage: node web/test.mjs SITE_DIR VARTENOS_SIM DATA_DIR');
  process.exit(2);
}

// Replays a recording; with `trace`, also returns the trace's presents (JSON Lines) as objects.
function replay(file, trace = false) {
  const args = ['--data', data, '--replay', file];
  if (trace) args.push('--trace', `${file}.jsonl`);
  const r = spawnSync(sim, args, { encoding: 'utf8', maxBuffer: 1 << 26 });
  const out = (r.stdout + r.stderr).trim();
  const frames = trace ? readFileSync(`${file}.jsonl`, 'utf8').trim().split('\n').map((l) => JSON.parse(l)) : [];
  return { status: r.status, out, frames, ok: r.status === 0 && /^replayed \d+ presents, 0 desyncs$/m.test(out) };
}

// The end of a session: the page raised no error, and what it recorded replays exactly. A recording that
// does not replay is kept as build-web/NAME.rec.
function recorded(name, text, problems, trace = false) {
  check(problems.length === 0, `${name}: no page errors${problems.length ? ': ' + problems.join('; ') : ''}`);
  const file = join(dir, `${name}.rec`);
  writeFileSync(file, text);
  const r = replay(file, trace);
  check(r.ok, `${name}: replay: ${r.out}`);
  if (!r.ok) {
    writeFileSync(`build-web/${name}.rec`, text);
    console.log(`the recording is kept in build-web/${name}.rec`);
  }
  return r;
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
const menu = (page, what) => waitRecording(page, (t) => presents(t) > 0, 60000, what);
const ended = (page, what) => waitRecording(page, (t) => /\nend \d+\n$/.test(t), 10000, what);

// The keyboard, as on the desktop.
async function keyboardSession(page, problems, url) {
  const started = Date.now();
  await page.goto(`${url}?args=/sa%20/sp&record=1`, { waitUntil: 'load' });
  await menu(page, 'the menu');
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

  const text = await ended(page, 'the end of the session');
  const n = presents(text);
  check(n > 400, `the session recorded ${n} presents`);
  const over = await page.$eval('#aviso', (e) => getComputedStyle(e).display !== 'none');
  check(over, 'the page says the game has ended');
  recorded('keyboard', text, problems);

  const moved = moveOneKey(text);
  const movedFile = join(dir, 'moved.rec');
  writeFileSync(movedFile, moved.text);
  const m = replay(movedFile);
  check(m.status === 1 && /desync/.test(m.out),
        `replay with the key of line ${moved.line} moved 40 ms fails: ${m.out.split('\n')[0]}`);
}

// Where a point of the 640 x 480 picture is on the page: on a touch screen the game draws the largest
// 4:3 picture that fits in the canvas, centred.
async function pictureOn(page) {
  const r = await page.$eval('#canvas', (c) => c.getBoundingClientRect().toJSON());
  const k = Math.min(r.width / 640, r.height / 480);
  return (x, y) => [r.x + (r.width - 640 * k) / 2 + x * k, r.y + (r.height - 480 * k) / 2 + y * k];
}

async function tapButton(page, label) {
  const b = await page.$(`button[aria-label="${label}"]`);
  const box = b ? await b.boundingBox() : null;
  if (!box) throw new Error(`no "${label}" button shows`);
  await page.touchscreen.tap(box.x + box.width / 2, box.y + box.height / 2);
}

// The tab hidden or shown again, as switching tabs or apps does.
async function hideTab(page, hidden) {
  await page.evaluate((h) => {
    Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => (h ? 'hidden' : 'visible') });
    Object.defineProperty(document, 'hidden', { configurable: true, get: () => h });
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
}

// The runs of presents in a trace where `cond` holds.
function runs(frames, cond) {
  const out = [];
  let run = null;
  for (const f of frames) {
    if (cond(f)) {
      if (!run) out.push((run = []));
      run.push(f);
    } else {
      run = null;
    }
  }
  return out;
}

// A phone held sideways: touch only.
async function touchSession(b) {
  const { page, problems } = await b.newPage();
  await page.setViewport({ width: 844, height: 390, isMobile: true, hasTouch: true, isLandscape: true });
  await page.goto(`${b.url}?args=/sa%20/sp&record=1`, { waitUntil: 'load' });
  await menu(page, 'the menu on a phone');
  await sleep(800);
  const at = await pictureOn(page);
  await page.touchscreen.tap(...at(300, 274));  // "Novo jogo"
  await sleep(1500);
  // A finger down mid-screen, 100 pixels to the right, a wait, 60 up, a wait, lifted.
  let [x, y] = at(320, 300);
  await page.touchscreen.touchStart(x, y);
  for (const [dx, dy, n] of [[10, 0, 10], [0, -10, 6]]) {
    for (let i = 0; i < n; i++) {
      await page.touchscreen.touchMove((x += dx), (y += dy));
      await sleep(40);
    }
    await sleep(1500);
  }
  await page.touchscreen.touchEnd();
  await sleep(300);
  await tapButton(page, 'Pausa');
  await sleep(800);
  await tapButton(page, 'Pausa');
  await sleep(500);
  await hideTab(page, true);
  await sleep(600);
  await hideTab(page, false);
  await sleep(300);
  await tapButton(page, 'Pausa');
  await sleep(500);
  await tapButton(page, 'Voltar');
  await sleep(1500);
  await page.touchscreen.tap(...at(270, 374));  // "Sair"
  const text = await ended(page, 'the end of the touch session');
  await page.close();
  const r = recorded('touch', text, problems, true);
  const game = r.frames.filter((f) => f.tela === 'Main');
  check(game.length > 0, 'touch: a tap on "Novo jogo" starts a game');
  // The finger's time on the picture is the run of game presents with fire held.
  const drag = runs(game, (f) => f.Tecla_Tiro)[0] || [];
  const [first, last] = [drag[0] || {}, drag[drag.length - 1] || {}];
  const left = Math.min(...drag.map((f) => f.Nave_X)) < first.Nave_X - 1;
  check(drag.length > 100 && last.Nave_X - first.Nave_X > 100 && first.Nave_Y - last.Nave_Y > 50 && !left,
        `touch: the drag fires and takes the ship right and up, as the finger went ` +
        `(${drag.length} presents firing, from ${first.Nave_X}, ${first.Nave_Y} to ${last.Nave_X}, ${last.Nave_Y})`);
  const pauses = runs(r.frames, (f) => f.tela === 'Pausa_AP').length;
  check(pauses === 2 && /\nf \d+\n/.test(text), `touch: the "Pausa" button and the hidden tab pause the game (${pauses} pauses)`);
  const after = r.frames.slice(r.frames.lastIndexOf(game[game.length - 1]));
  check(after.some((f) => f.tela === 'Menu'), 'touch: "Voltar" leaves the game for the menu, and "Sair" ends');
}

// A game controller in the browser's gamepad list.
async function gamepadSession(b) {
  const { page, problems } = await b.newPage();
  await page.evaluateOnNewDocument(() => {
    const buttons = Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 }));
    const pad = { id: 'Controle de teste', index: 0, connected: true, mapping: 'standard', timestamp: 1,
                  axes: [0, 0, 0, 0], buttons };
    navigator.getGamepads = () => [pad, null, null, null];
    window.vartenosControle = {
      button(i, on) {
        buttons[i] = { pressed: on, touched: on, value: on ? 1 : 0 };
        pad.timestamp++;
      },
      axis(i, v) {
        pad.axes[i] = v;
        pad.timestamp++;
      },
    };
  });
  await page.goto(`${b.url}?args=/sa%20/sp&record=1`, { waitUntil: 'load' });
  await menu(page, 'the menu with a controller');
  await sleep(800);
  const pad = (f, ...a) => page.evaluate((f, a) => window.vartenosControle[f](...a), f, a);
  const push = async (i) => {
    await pad('button', i, true);
    await sleep(100);
    await pad('button', i, false);
    await sleep(300);
  };
  await push(0);  // A: "Novo jogo"
  await sleep(1200);
  // SDL takes the first value it hears of each axis for the stick at rest: a real stick, never quite
  // centred, tells it at the first touch; this one is nudged first.
  await pad('axis', 0, 0.02);
  await sleep(100);
  await pad('axis', 0, 1);  // the left stick to the right
  await sleep(800);
  await pad('axis', 0, 0);
  await push(8);  // Back: the menu
  await sleep(1200);
  await push(12);  // up on the D-pad: "Sair"
  await push(0);
  const text = await ended(page, 'the end of the controller session');
  await page.close();
  const r = recorded('controller', text, problems, true);
  const game = r.frames.filter((f) => f.tela === 'Main');
  const moved = game.length ? game[game.length - 1].Nave_X - game[0].Nave_X : 0;
  check(game.length > 0 && moved > 50,
        `controller: A starts a game, the stick takes the ship ${moved} pixels right, Back leaves`);
}

// Offline after the first visit, and a new build replacing the kept one. A copy of the site, served
// from an address of its own (so a worker of its own).
async function offlineSession(b) {
  const copy = join(dir, 'site');
  cpSync(site, copy, { recursive: true });
  const served = await serve(copy, 0);
  const { page, problems } = await b.newPage();
  const load = async (what, reload = true) => {
    if (reload) {
      await page.reload({ waitUntil: 'load' });
    } else {
      await page.goto(`${served.url}?args=/sa%20/sp&record=1`, { waitUntil: 'load' });
    }
    await menu(page, what);
    return page.$eval('meta[name="vartenos-build"]', (m) => m.content);
  };
  // The caches the page's origin holds once its worker is active.
  const kept = async (build) => {
    const end = Date.now() + 30000;
    for (;;) {
      const keys = await page.evaluate(async () => {
        const r = await navigator.serviceWorker.getRegistration();
        return r && r.active ? caches.keys() : [];
      });
      if (keys.length === 1 && keys[0] === `vartenos-${build}`) return true;
      if (Date.now() > end) return false;
      await sleep(200);
    }
  };
  const offline = async (yes) => {
    served.down(yes);
    await page.setOfflineMode(yes);
  };
  try {
    const first = await load('the menu, first visit', false);
    check(await kept(first), `offline: the worker keeps build ${first}`);
    await offline(true);
    const again = await load('the menu, offline');
    check(again === first, 'offline: with no network the page reloads and shows the menu');
    await offline(false);

    appendFileSync(join(copy, 'vartenos.js'), '\n// a new build\n');
    const second = stamp(copy, 'web/vartenos.html', 'web/sw.js');
    const next = await load('the menu of the new build');
    const files = await page.evaluate(() =>
      performance.getEntriesByType('resource').map((e) => e.name).filter((n) => /vartenos\.(js|wasm|data)/.test(n)));
    check(next === second && files.length === 3 && files.every((n) => n.endsWith(`?b=${second}`)),
          `offline: the changed build ${second} plays at the next load, all of it (${files.length} files of its own)`);
    check(await kept(second), 'offline: the worker keeps the new build in place of the old one');
    await offline(true);
    const last = await load('the menu of the new build, offline');
    check(last === second, 'offline: the new build plays offline');
    const real = problems.filter((p) => !/request failed/.test(p));
    check(real.length === 0, `offline: no page errors${real.length ? ': ' + real.join('; ') : ''}`);
  } finally {
    await page.close();
    served.down(false);
    served.server.close();
  }
}

const browser = await open(site);
try {
  for (const [what, session] of [
    ['keyboard', () => keyboardSession(browser.page, browser.problems, browser.url)],
    ['touch', () => touchSession(browser)],
    ['controller', () => gamepadSession(browser)],
    ['offline', () => offlineSession(browser)],
  ]) {
    try {
      await session();
    } catch (e) {
      failures.push(`${what}: ${e.message}`);
      console.log(`FAIL ${what}: ${e.message}`);
    }
  }
} finally {
  await browser.close();
  rmSync(dir, { recursive: true, force: true });
}
console.log(`web test: ${failures.length === 0 ? 'passed' : failures.length + ' failed'}`);
process.exit(failures.length === 0 ? 0 : 1);
