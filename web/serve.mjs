// Serves the built page on the loopback: node web/serve.mjs SITE_DIR [PORT] (scripts/web serve).
// The test and the measurements start the same server on a free port.
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
  '.ico': 'image/x-icon',
};

// Starts serving `dir` on 127.0.0.1:`port` (0: any free port); resolves to { server, url, bytes },
// where bytes() is the number of body bytes sent so far.
export function serve(dir, port = 0) {
  const root = resolve(dir);
  let sent = 0;
  const server = createServer((req, res) => {
    const path = decodeURIComponent(new URL(req.url, 'http://localhost').pathname);
    const file = normalize(join(root, path === '/' ? '/vartenos.html' : path));
    let size = -1;
    try {
      if (file.startsWith(root + '/')) size = statSync(file).isFile() ? statSync(file).size : -1;
    } catch {
      size = -1;
    }
    if (size < 0) {
      res.writeHead(404, { 'Content-Type': 'text/plain' });
      res.end('not found\n');
      return;
    }
    res.writeHead(200, {
      'Content-Type': TYPES[extname(file)] || 'application/octet-stream',
      'Content-Length': size,
      'Cache-Control': 'no-cache',
    });
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
      ok({ server, url, bytes: () => sent });
    });
  });
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const [dir = 'build-web/site', port = '8022'] = process.argv.slice(2);
  const { url } = await serve(dir, Number(port));
  console.log(`Vartenos is served at ${url}  (Ctrl+C stops)`);
}
