// A static file server for the built site, on 127.0.0.1 at a free port: what
// a plain web host does, with no special headers (the page must not need
// cross-origin isolation).
import { createServer } from 'node:http';
import { createReadStream, promises as fs } from 'node:fs';
import path from 'node:path';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.json': 'application/json',
  // Streaming compilation refuses anything else.
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.png': 'image/png',
  '.ico': 'image/x-icon',
  '.svg': 'image/svg+xml',
  '.woff': 'font/woff',
  '.woff2': 'font/woff2',
  '.ttf': 'font/ttf',
  '.otf': 'font/otf',
  '.txt': 'text/plain; charset=utf-8',
};

export function contentType(file) {
  return TYPES[path.extname(file).toLowerCase()] || 'application/octet-stream';
}

// Serves `root`; resolves to { url, port, close() }. `url`
// ends in '/'. As hosts differ: `headers` go with every answer, `types`
// overrides content types by extension, and `precompressed` serves the .br
// or .gz the build wrote beside a file to a browser that accepts it.
export async function serve(root, { port = 0, headers = {}, types = {}, precompressed = false } = {}) {
  const base = path.resolve(root);
  const server = createServer(async (req, res) => {
    try {
      if (req.method !== 'GET' && req.method !== 'HEAD') {
        res.writeHead(405, { Allow: 'GET, HEAD' }).end();
        return;
      }
      const { pathname } = new URL(req.url, 'http://127.0.0.1');
      let file = path.join(base, decodeURIComponent(pathname));
      // Nothing outside the site, however the path is spelt.
      if (file !== base && !file.startsWith(base + path.sep)) {
        res.writeHead(403).end();
        return;
      }
      let stat = await fs.stat(file).catch(() => null);
      if (stat && stat.isDirectory()) {
        file = path.join(file, 'index.html');
        stat = await fs.stat(file).catch(() => null);
      }
      if (!stat || !stat.isFile()) {
        res.writeHead(404, { 'Content-Type': 'text/plain; charset=utf-8' }).end('not found');
        return;
      }
      const type = types[path.extname(file).toLowerCase()] || contentType(file);
      let body = file;
      const sent = { 'Content-Type': type, ...headers };
      const accepted = req.headers['accept-encoding'] || '';
      for (const [encoding, suffix] of precompressed ? [['br', '.br'], ['gzip', '.gz']] : []) {
        const packed = await fs.stat(file + suffix).catch(() => null);
        if (accepted.includes(encoding) && packed) {
          body = file + suffix;
          stat = packed;
          Object.assign(sent, { 'Content-Encoding': encoding, Vary: 'Accept-Encoding' });
          break;
        }
      }
      res.writeHead(200, { ...sent, 'Content-Length': stat.size });
      if (req.method === 'HEAD') {
        res.end();
        return;
      }
      createReadStream(body).pipe(res);
    } catch (error) {
      res.writeHead(500).end(String(error));
    }
  });
  // Browsers keep connections open; close() must not wait for them.
  const sockets = new Set();
  server.on('connection', (socket) => {
    sockets.add(socket);
    socket.on('close', () => sockets.delete(socket));
  });
  await new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', resolve);
  });
  const actual = server.address().port;
  return {
    url: `http://127.0.0.1:${actual}/`,
    port: actual,
    close: () => new Promise((resolve) => {
      for (const socket of sockets) socket.destroy();
      server.close(() => resolve());
    }),
  };
}
