#!/usr/bin/python3
"""Serves the web page's folder as a careful host would, on this machine only.

    tools/web_serve.py SITE_DIR PORT

- The compressed copy the build wrote beside a file (.br, else .gz) when
  the browser accepts it, with Content-Encoding, and Vary: Accept-Encoding.
- The wasm as application/wasm, the manifest as application/manifest+json.
- Cache rules: a version's folder (v/HASH/) never changes, so it may be kept
  for a year; index.html, sw.js and the manifest are asked for again each time.
- A strict Content-Security-Policy, which the page is built to play under.
"""

import http.server
import os
import sys
from pathlib import Path

CSP = ("default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; "
       "img-src 'self'; object-src 'none'; base-uri 'self'")
TYPES = {
    ".html": "text/html; charset=utf-8",
    ".js": "text/javascript; charset=utf-8",
    ".css": "text/css; charset=utf-8",
    ".wasm": "application/wasm",
    ".webmanifest": "application/manifest+json",
    ".svg": "image/svg+xml",
    ".png": "image/png",
    ".woff2": "font/woff2",
    ".ttf": "font/ttf",
    ".txt": "text/plain; charset=utf-8",
}
ENCODINGS = (("br", ".br"), ("gzip", ".gz"))


class SiteHandler(http.server.SimpleHTTPRequestHandler):
    def send_head(self):
        path = Path(self.translate_path(self.path))
        if path.is_dir():
            path = path / "index.html"
        if not path.is_file() or path.suffix in (".br", ".gz"):
            self.send_error(404)
            return None
        accepted = self.headers.get("Accept-Encoding", "")
        body, encoding = path, None
        for name, suffix in ENCODINGS:
            candidate = path.with_name(path.name + suffix)
            if name in accepted and candidate.is_file():
                body, encoding = candidate, name
                break
        f = open(body, "rb")
        self.send_response(200)
        self.send_header("Content-Type", TYPES.get(path.suffix, "application/octet-stream"))
        self.send_header("Content-Length", str(os.fstat(f.fileno()).st_size))
        if encoding:
            self.send_header("Content-Encoding", encoding)
        self.send_header("Vary", "Accept-Encoding")
        relative = path.relative_to(Path(self.directory).resolve()).as_posix()
        immutable = relative.startswith("v/")
        self.send_header("Cache-Control", "public, max-age=31536000, immutable" if immutable else "no-cache")
        self.send_header("Content-Security-Policy", CSP)
        self.end_headers()
        return f

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass


def main(argv):
    if len(argv) != 2:
        print("usage: tools/web_serve.py SITE_DIR PORT", file=sys.stderr)
        return 2
    site, port = Path(argv[0]).resolve(), int(argv[1])

    def handler(*args, **kwargs):
        return SiteHandler(*args, directory=str(site), **kwargs)

    with http.server.ThreadingHTTPServer(("127.0.0.1", port), handler) as server:
        server.serve_forever()
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except KeyboardInterrupt:
        sys.exit(0)
