#!/usr/bin/env bash
# Sets up, builds (Release, build/) and starts the game. Arguments are passed
# on to the program.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

scripts/setup.sh
cmake --preset default
cmake --build --preset default
exec "$root/build/mochitama" "$@"
