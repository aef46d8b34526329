// Headless Chromium on the page, for scripts/web test and scripts/web measure: Debian's chromium driven
// by puppeteer-core, with a fresh profile, nothing reaching out to the network, WebGL on SwiftShader.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';

import { serve } from './serve.mjs';

export const sleep = (ms) => new Promise((ok) => setTimeout(ok, ms));

// Starts the server and the browser; `problems` collects every page error, console error, failed
// request and dialog of `page`. newPage() opens another page, with problems of its own.
export async function open(site, { width = 800, height = 600 } = {}) {
  const served = await serve(site, 0);
  const profile = mkdtempSync(join(tmpdir(), 'vartenos-chromium-'));
  const args = [
    '--headless=new', '--enable-unsafe-swiftshader', '--use-angle=swiftshader', '--disable-quic',
    '--no-first-run', '--no-default-browser-check', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--disable-extensions', '--disable-default-apps',
    '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
    '--disable-backgrounding-occluded-windows', `--window-size=${width},${height}`,
  ];
  if (process.getuid && process.getuid() === 0) args.push('--no-sandbox');
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args,
    defaultViewport: { width, height },
  });
  const newPage = async () => {
    const page = await browser.newPage();
    const problems = [];
    page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
    page.on('console', (m) => {
      if (m.type() === 'error') problems.push(`console error: ${m.text()}`);
    });
    page.on('requestfailed', (r) => problems.push(`request failed: ${r.url()} ${r.failure()?.errorText}`));
    page.on('dialog', async (d) => {
      problems.push(`dialog: ${d.message()}`);
      await d.dismiss();
    });
    return { page, problems };
  };
  const { page, problems } = await newPage();
  const close = async () => {
    await browser.close();
    served.server.close();
    rmSync(profile, { recursive: true, force: true });
  };
  return { page, problems, newPage, served, url: served.url, bytes: served.bytes, close };
}

// The number of presents recorded so far (the "h N ..." lines), and the recording's text.
export async function recording(page) {
  return page.evaluate(() => window.vartenosRecording());
}
export function presents(text) {
  let n = 0;
  for (let i = text.indexOf('\nh '); i >= 0; i = text.indexOf('\nh ', i + 1)) n++;
  return n;
}

// Waits until `cond(recordingText)` holds, polling; throws after `ms`.
export async function waitRecording(page, cond, ms, what) {
  const end = Date.now() + ms;
  for (;;) {
    const text = await recording(page);
    if (cond(text)) return text;
    if (Date.now() > end) throw new Error(`timed out after ${ms} ms waiting for ${what}`);
    await sleep(20);
  }
}

export async function press(page, key, holdMs = 60) {
  await page.keyboard.down(key);
  await sleep(holdMs);
  await page.keyboard.up(key);
}
