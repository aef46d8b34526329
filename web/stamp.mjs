// Writes a build's page and service worker into the site: the build is named by the SHA-256 of its
// files (the code, the data, the manifest, the icons, the page and the worker as written), the page
// asks for its files by that name, and the worker lists every file with its SHA-256.
//
//   node web/stamp.mjs SITE_DIR PAGE WORKER     (web/CMakeLists.txt runs it after each link)
import { createHash } from 'node:crypto';
import { readdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

// What the page needs, besides itself: the worker keeps them all.
const FILES = ['vartenos.js', 'vartenos.wasm', 'vartenos.data', 'vartenos.webmanifest'];

const sha256 = (bytes) => createHash('sha256').update(bytes).digest('hex');

export function stamp(site, pageSource, workerSource) {
  const names = [...FILES, ...readdirSync(join(site, 'icones')).sort().map((n) => `icones/${n}`)];
  const files = names.map((name) => [name, sha256(readFileSync(join(site, name)))]);
  const page = readFileSync(pageSource, 'utf8');
  const worker = readFileSync(workerSource, 'utf8');
  const build = sha256(JSON.stringify([files, page, worker])).slice(0, 16);
  for (const [text, mark] of [[page, '@BUILD@'], [worker, '@BUILD@'], [worker, '/* @FILES@ */ []']]) {
    if (!text.includes(mark)) throw new Error(`${mark} is missing from the page or the worker`);
  }
  const stamped = page.replaceAll('@BUILD@', build);
  writeFileSync(join(site, 'vartenos.html'), stamped);
  files.push(['vartenos.html', sha256(stamped)]);
  const list = JSON.stringify(files, null, 1).replace(/\n\s*/g, ' ');
  writeFileSync(join(site, 'sw.js'), worker.replace('@BUILD@', build).replace('/* @FILES@ */ []', list));
  return build;
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const [site, page, worker] = process.argv.slice(2);
  if (!site || !page || !worker) {
    console.error('usage: node web/stamp.mjs SITE_DIR PAGE WORKER');
    process.exit(2);
  }
  try {
    console.log(`web: build ${stamp(site, page, worker)}`);
  } catch (e) {
    console.error(`web/stamp.mjs: ${e.message}`);
    process.exit(1);
  }
}
