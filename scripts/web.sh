#!/usr/bin/env bash
# Sets up, builds (the web preset, build-web/) and serves the browser version
# on this machine only, at http://127.0.0.1:PORT/ until Ctrl+C.
#   scripts/web.sh [PORT]     PORT 1-65535, default 8000
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

usage() {
    echo "usage: scripts/web.sh [PORT]"
    echo "Builds the web page into build-web/site/ and serves it at http://127.0.0.1:PORT/ (default 8000)."
}
die() {
    echo "web: $1" >&2
    exit "${2:-1}"
}

port=8000
if (($#)); then
    case "$1" in
        -h | --help) usage; exit 0 ;;
        *) port="$1" ;;
    esac
fi
(($# <= 1)) || die "too many arguments; usage: scripts/web.sh [PORT]" 2
# Checked before anything is installed or built. Digits only, no leading
# zero (bash would read 010 as octal), at most five of them.
if ! [[ "$port" =~ ^[1-9][0-9]{0,4}$ ]] || ((port > 65535)); then
    die "not a port number (1-65535): '$port'" 2
fi

scripts/setup.sh web
cmake --preset web >/dev/null
cmake --build --preset web --target mochitama_site

# A port that is taken (or below 1024 without root) would otherwise end in
# the server's traceback.
if ! reason="$(python3 - "$port" <<'EOF'
import socket, sys
try:
    with socket.socket() as s:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.bind(("127.0.0.1", int(sys.argv[1])))
except OSError as e:
    print(e.strerror)
    sys.exit(1)
EOF
)"; then
    die "cannot serve on 127.0.0.1:$port: $reason; name another port: scripts/web.sh PORT"
fi

echo "もちたま: http://127.0.0.1:$port/ (Ctrl+C to stop)"
# As a careful host serves it: compressed, with cache rules and a strict
# Content-Security-Policy (tools/web_serve.py).
exec python3 tools/web_serve.py build-web/site "$port"
