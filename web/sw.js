// The page's service worker: it keeps one build of the game — the page, its code, its data, its icons —
// so that the game starts with no network, and takes a new build whole when one is served.
//
// - Installing keeps every file of the build (the list below, each with its SHA-256) in a cache of its
//   own; a file that is not the listed one (the server already holds a newer build) fails the install,
//   and the build kept before stays. Once whole, the new build's cache replaces every older one.
// - The page is asked of the network first, so a new build plays at the first load that finds it; with
//   no network, the kept page. The page asks for its code and data by its build (vartenos.js?b=BUILD),
//   and only the kept build's files are answered from the cache: a page never runs with another
//   build's files.
//
// web/stamp.mjs writes the build and its files in.
'use strict';

const BUILD = '@BUILD@';
const FILES = /* @FILES@ */ [];
const CACHE = 'vartenos-' + BUILD;
const PAGE = 'vartenos.html';

const scope = self.registration.scope;
const address = (name) => new URL(name, scope).href;
const listed = new Set(FILES.map(([name]) => address(name)));

async function sha256(bytes) {
  const d = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
  return Array.from(d, (b) => b.toString(16).padStart(2, '0')).join('');
}

async function keep() {
  const cache = await caches.open(CACHE);
  try {
    for (const [name, hash] of FILES) {
      const url = address(name);
      if (await cache.match(url)) continue;  // kept by an install that stopped half way
      const res = await fetch(url, { cache: 'no-cache' });
      if (!res.ok) throw new Error(`${name}: ${res.status} ${res.statusText}`);
      const bytes = await res.arrayBuffer();
      if ((await sha256(bytes)) !== hash) throw new Error(`${name} is not the one of build ${BUILD}`);
      const headers = { 'Content-Type': res.headers.get('Content-Type') || 'application/octet-stream' };
      await cache.put(url, new Response(bytes, { headers }));
    }
  } catch (e) {
    await caches.delete(CACHE);
    throw e;
  }
}

self.addEventListener('install', (event) => {
  event.waitUntil(keep().then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith('vartenos-') && name !== CACHE) await caches.delete(name);
    }
    await self.clients.claim();
  })());
});

async function page(request) {
  try {
    return await fetch(request);
  } catch (e) {
    const kept = await caches.match(address(PAGE), { cacheName: CACHE });
    if (kept) return kept;
    throw e;
  }
}

async function kept(request) {
  const hit = await caches.match(request, { cacheName: CACHE, ignoreSearch: true });
  return hit || fetch(request);
}

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET') return;
  const url = new URL(request.url);
  if (url.origin !== self.location.origin) return;
  if (request.mode === 'navigate') {
    event.respondWith(page(request));
    return;
  }
  // This build's files (asked by build, or by plain name as the browser asks for the manifest and the
  // icons); any other build's go to the network, unkept.
  const build = url.searchParams.get('b');
  if (build === BUILD || (build === null && url.search === '' && listed.has(url.origin + url.pathname))) {
    event.respondWith(kept(request));
  }
});
