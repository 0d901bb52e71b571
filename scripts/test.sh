#!/usr/bin/env bash
# Sets up, builds (Release, build/) and runs the whole test suite. Installs
# what playing and testing need.
# Extra arguments go to ctest, e.g.  scripts/test.sh -L fast
# MOCHITAMA_WERROR=ON (or OFF) in the environment turns warnings into errors
# (or back) at configure time; CI sets it.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

configure_options=(-DMOCHITAMA_BUILD_TESTS=ON)
if [[ -n "${MOCHITAMA_WERROR:-}" ]]; then
    configure_options+=("-DMOCHITAMA_WERROR=${MOCHITAMA_WERROR}")
fi

# The web set too: the test suite builds the page and plays it in a browser (tests/web).
scripts/setup.sh play test web
cmake --preset default "${configure_options[@]}"
cmake --build --preset default
ctest --preset default --no-tests=error "$@"
