#!/usr/bin/env bash
# Installs the missing Debian packages of the named sets in debian-packages.txt:
#   scripts/setup.sh play         building and playing
#   scripts/setup.sh play test    and the test suites
# Prints nothing and changes nothing when everything is already installed.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
list="$root/debian-packages.txt"

die() {
    echo "setup: $*" >&2
    exit 1
}

(($#)) || die "name the package sets to install, e.g. scripts/setup.sh play test"
[[ -r "$list" ]] || die "cannot read $list"
command -v dpkg-query >/dev/null 2>&1 || die "dpkg-query not found: this script needs Debian 12 (bookworm) or a close relative"

# The packages of the sets asked for, in the list's order.
wanted=()
declare -A asked=() known=()
for set in "$@"; do asked[$set]=1; done
current=""
while IFS= read -r line || [[ -n "$line" ]]; do
    line="${line%%#*}"
    if [[ "$line" =~ ^[[:space:]]*\[([a-z]+)\][[:space:]]*$ ]]; then
        current="${BASH_REMATCH[1]}"
        known[$current]=1
        continue
    fi
    [[ -n "$current" && -n "${asked[$current]:-}" ]] || continue
    for pkg in $line; do wanted+=("$pkg"); done
done <"$list"
for set in "$@"; do
    [[ -n "${known[$set]:-}" ]] || die "no package set '$set' in $list"
done

# What installed packages provide counts as installed: a nodejs from outside
# Debian's archive bundles npm, provides it and conflicts with Debian's.
declare -A provided=()
while IFS=$'\t' read -r status provides; do
    [[ "$status" == "install ok installed" ]] || continue
    IFS=',' read -ra names <<<"$provides"
    for name in "${names[@]}"; do
        name="${name%%(*}"
        name="${name//[[:space:]]/}"
        [[ -n "$name" ]] && provided[$name]=1
    done
done < <(dpkg-query -W -f='${Status}\t${Provides}\n' 2>/dev/null || true)

missing=()
for pkg in "${wanted[@]}"; do
    status="$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)"
    if [[ "$status" != "install ok installed" && -z "${provided[$pkg]:-}" ]]; then
        missing+=("$pkg")
    fi
done

((${#missing[@]} == 0)) && exit 0

if ((EUID == 0)); then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    die "missing packages: ${missing[*]}
setup: not running as root and sudo is not available; install them as root with:
  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
fi

echo "setup: installing missing packages: ${missing[*]}" >&2

log="$(mktemp)"
trap 'rm -f "$log"' EXIT

run_apt() {
    if ! "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q "$@" >"$log" 2>&1; then
        cat "$log" >&2
        die "'apt-get $*' failed"
    fi
}

run_apt update
run_apt install -y --no-install-recommends "${missing[@]}"
