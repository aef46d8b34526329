// Serves the built page on the loopback: node web/serve.mjs SITE_DIR [PORT] (scripts/web serve).
// The test and the measurements start the same server on a free port. What installing the page needs is
// here: the manifest with its type, the icons, the service worker; 127.0.0.1 counts as a secure origin,
// which service workers require. Each file has an ETag, so the service worker's install revalidates
// what the page has just loaded instead of loading it again.
import { createReadStream, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, normalize, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
  '.ico': 'image/x-icon',
};

// Starts serving `dir` on 127.0.0.1:`port` (0: any free port); resolves to { server, url, bytes, down },
// where bytes() is the number of body bytes sent so far and down(true) makes every request fail as with
// no network, until down(false).
export function serve(dir, port = 0) {
  let root = resolve(dir);
  let sent = 0;
  let off = false;
  const server = createServer((req, res) => {
    if (off) {
      req.socket.destroy();
      return;
    }
    const path = decodeURIComponent(new URL(req.url, 'http://localhost').pathname);
    const file = normalize(join(root, path === '/' ? '/vartenos.html' : path));
    let size = -1;
    let tag = '';
    try {
      const st = file.startsWith(root + '/') ? statSync(file) : null;
      if (st && st.isFile()) {
        size = st.size;
        tag = `"${st.size.toString(36)}-${Math.floor(st.mtimeMs).toString(36)}"`;
      }
    } catch {
      size = -1;
    }
    if (size < 0) {
      res.writeHead(404, { 'Content-Type': 'text/plain' });
      res.end('not found\n');
      return;
    }
    const headers = {
      'Content-Type': TYPES[extname(file)] || 'application/octet-stream',
      'Cache-Control': 'no-cache',
      ETag: tag,
    };
    if (req.headers['if-none-match'] === tag) {
      res.writeHead(304, headers);
      res.end();
      return;
    }
    res.writeHead(200, { ...headers, 'Content-Length': size });
    if (req.method === 'HEAD') {
      res.end();
      return;
    }
    sent += size;
    createReadStream(file).pipe(res);
  });
  return new Promise((ok, fail) => {
    server.once('error', fail);
    server.listen(port, '127.0.0.1', () => {
      const url = `http://127.0.0.1:${server.address().port}/vartenos.html`;
      const down = (yes) => {
        off = yes;
        if (yes) server.closeAllConnections();
      };
      // The tests serve another build from the same address.
      const site = (d) => {
        root = resolve(d);
      };
      ok({ server, url, bytes: () => sent, down, site });
    });
  });
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const [dir = 'build-web/site', port = '8022'] = process.argv.slice(2);
  const { url } = await serve(dir, Number(port));
  console.log(`Vartenos is served at ${url}  (Ctrl+C stops)`);
}
