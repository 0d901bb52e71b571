#!/usr/bin/env bash
# Sets up, builds (Release, build/) and starts the game. Installs only what
# building and playing needs and builds only the game; arguments are passed on
# to the program.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

scripts/setup.sh play
if [[ -f build/CMakeCache.txt ]]; then
    # An existing build keeps its own choice of test suites.
    cmake --preset default >/dev/null
else
    cmake --preset default -DMOCHITAMA_BUILD_TESTS=OFF >/dev/null
fi
cmake --build --preset default --target mochitama
exec "$root/build/mochitama" "$@"
