#!/usr/bin/env bash
# Builds one libFuzzer target with clang++ and runs it for a while on a working
# copy of its seed corpus. docs/FUZZING.md explains the targets.
#
# Usage: tests/fuzz/run_fuzzer.sh [--build-dir DIR] TARGET [SECONDS] [-- LIBFUZZER_OPTIONS...]
#   TARGET    ini_reader, ini_writer or number_text
#   SECONDS   how long to fuzz, default 60; MOCHITAMA_FUZZ_SECONDS in the
#             environment takes precedence (for a long run through ctest)
#   DIR       where binaries, working corpora and crash artefacts go,
#             default build/fuzz in the source tree
#   LIBFUZZER_OPTIONS  passed on, e.g. -jobs=4 -workers=4 or -fork=4
#
# Environment:
#   MOCHITAMA_FUZZ_SECONDS  seconds to fuzz, overrides SECONDS
#   MOCHITAMA_FUZZ_CXX      the clang++ to use (default clang++-14, then clang++)
#   MOCHITAMA_FUZZ_FRESH=1  forget the working corpus of earlier runs first
#
# The repository's seed corpus is only read; the working corpus in DIR keeps
# what earlier runs found and is minimised after each run. The binary is rebuilt only when a
# source, a header it includes, the compiler or the flags changed. Exit status
# 0 means the run found nothing; 1 means a crash, a failed check, a build
# failure or a missing compiler.
set -uo pipefail

die() {
    echo "run_fuzzer: $*" >&2
    exit 1
}

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"

build_root="$root/build/fuzz"
target=""
seconds_arg=""
extra=()
while (($# > 0)); do
    case "$1" in
        --build-dir)
            (($# >= 2)) || die "--build-dir needs a directory"
            build_root="$2"
            shift 2
            ;;
        --)
            shift
            extra=("$@")
            break
            ;;
        -h | --help)
            sed -n '2,/^set -uo/p' "${BASH_SOURCE[0]}" | sed '$d; s/^# \{0,1\}//'
            exit 0
            ;;
        *)
            if [[ -z "$target" ]]; then
                target="$1"
            elif [[ -z "$seconds_arg" ]]; then
                seconds_arg="$1"
            else
                die "unexpected argument '$1' (libFuzzer options go after --)"
            fi
            shift
            ;;
    esac
done

case "$target" in
    ini_reader) sources=("$here/ini_reader_fuzzer.cpp" "$root/src/platform/ini_file.cpp" "$root/src/platform/ini_text.cpp" "$root/src/platform/safe_file.cpp" "$root/src/platform/failure.cpp") ;;
    ini_writer)
        sources=("$here/ini_writer_fuzzer.cpp" "$root/src/platform/ini_file.cpp" "$root/src/platform/ini_text.cpp" "$root/src/platform/safe_file.cpp" "$root/src/platform/failure.cpp"
            "$root/src/platform/number_text.cpp")
        ;;
    number_text) sources=("$here/number_text_fuzzer.cpp" "$root/src/platform/number_text.cpp") ;;
    "") die "no target given; use ini_reader, ini_writer or number_text" ;;
    *) die "unknown target '$target'; use ini_reader, ini_writer or number_text" ;;
esac
dict=""
case "$target" in
    ini_*) dict="$here/ini.dict" ;;
    number_text) dict="$here/number.dict" ;;
esac

seconds="${MOCHITAMA_FUZZ_SECONDS:-${seconds_arg:-60}}"
[[ "$seconds" =~ ^[0-9]+$ ]] && ((seconds > 0)) || die "seconds must be a positive whole number, not '$seconds'"

seeds="$here/corpus/$target"
[[ -d "$seeds" ]] || die "no seed corpus at $seeds"

# ---- Compiler ----------------------------------------------------------------

cxx="${MOCHITAMA_FUZZ_CXX:-}"
if [[ -z "$cxx" ]]; then
    for candidate in clang++-14 clang++; do
        if command -v "$candidate" >/dev/null 2>&1; then
            cxx="$(command -v "$candidate")"
            break
        fi
    done
fi
[[ -n "$cxx" ]] && command -v "$cxx" >/dev/null 2>&1 || die "clang++ not found: the fuzz targets need clang with libFuzzer.
run_fuzzer: install the packages under '# Fuzzing' in debian-packages.txt (scripts/setup.sh does it),
run_fuzzer: or point MOCHITAMA_FUZZ_CXX at a clang++ that supports -fsanitize=fuzzer."

cxxflags=(-std=c++20 -g -O1 -fno-omit-frame-pointer
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
    -Wall -Wextra -Wpedantic -Werror
    -I"$root/src" -I"$here")

# ---- Build, unless nothing changed -----------------------------------------------

mkdir -p "$build_root" || die "cannot create $build_root"
build_root="$(cd "$build_root" && pwd)"  # the run changes directory
work="$build_root/$target"
mkdir -p "$work" || die "cannot create $work"
bin="$work/$target"
stamp="$work/$target.stamp"

exec 9>"$work/.build.lock"
flock 9 || die "cannot lock $work/.build.lock"

deps="$("$cxx" "${cxxflags[@]}" -MM -MT deps "${sources[@]}" 2>&1)" || {
    echo "$deps" >&2
    die "cannot list the headers of $target"
}
mapfile -t dep_files < <(printf '%s\n' "$deps" | sed 's/^deps://; s/\\$//' | tr ' ' '\n' | sed '/^$/d' | sort -u)
fingerprint="$({
    echo "$cxx"
    "$cxx" --version
    printf '%s\n' "${cxxflags[@]}"
    for f in "${dep_files[@]}"; do
        echo "== $f"
        cat "$f"
    done
} | sha256sum | cut -d' ' -f1)"

if [[ -x "$bin" && -f "$stamp" && "$(cat "$stamp")" == "$fingerprint" ]]; then
    echo "run_fuzzer: $target is up to date ($bin)"
else
    echo "run_fuzzer: building $target with $cxx"
    rm -f "$stamp"
    if ! "$cxx" "${cxxflags[@]}" "${sources[@]}" -o "$bin.new" >"$work/build.log" 2>&1; then
        head -c 20000 "$work/build.log" >&2
        rm -f "$bin.new"
        die "building $target failed (full log: $work/build.log).
run_fuzzer: if -fsanitize=fuzzer is the problem, install the packages under '# Fuzzing' in debian-packages.txt."
    fi
    mv -f "$bin.new" "$bin" || die "cannot move $bin into place"
    echo "$fingerprint" >"$stamp"
fi
flock -u 9

# ---- Run -------------------------------------------------------------------------

# Two runs of one target may share DIR (two ctest runs at once), so each run
# has its own log and artefact directory, and the working corpus is locked:
# shared while fuzzing, exclusive to reset or minimise it.
run_id="$(date +%Y%m%d-%H%M%S)-$$"
corpus="$work/corpus"
artifacts="$work/crashes/$run_id"
logs="$work/logs/$run_id"
mkdir -p "$corpus" "$artifacts" "$logs" || die "cannot create the run directories under $work"
# Keep the logs of the last ten runs.
find "$work/logs" -mindepth 1 -maxdepth 1 -type d -printf '%T@ %p\n' | sort -rn | tail -n +11 |
    cut -d' ' -f2- | xargs -r rm -rf
ln -sfn "$run_id/run.log" "$work/logs/last-run.log"

exec 8>"$work/.corpus.lock"
if [[ "${MOCHITAMA_FUZZ_FRESH:-0}" == 1 ]]; then
    flock -x 8 || die "cannot lock the working corpus"
    find "$corpus" -mindepth 1 -delete
fi
flock -s 8 || die "cannot lock the working corpus"
# The working corpus starts as a copy of the seeds and keeps what earlier runs found.
cp -n -- "$seeds"/* "$corpus"/ 2>/dev/null
(($(find "$corpus" -type f | wc -l) > 0)) || die "the working corpus $corpus is empty"

shm_base=/dev/shm
[[ -d "$shm_base" && -w "$shm_base" ]] || shm_base="${TMPDIR:-/tmp}"
scratch="$(mktemp -d "$shm_base/mochitama-fuzz.XXXXXX")" || die "cannot create a scratch directory"
trap 'rm -rf "$scratch"; rmdir "$artifacts" 2>/dev/null' EXIT
export MOCHITAMA_FUZZ_TMPDIR="$scratch"

symbolizer="$(command -v llvm-symbolizer-14 || command -v llvm-symbolizer || true)"
[[ -n "$symbolizer" ]] && export ASAN_SYMBOLIZER_PATH="$symbolizer"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

options=(-max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1
    -artifact_prefix="$artifacts/")
[[ -n "$dict" ]] && options+=(-dict="$dict")

log="$logs/run.log"
echo "run_fuzzer: fuzzing $target for $seconds s; corpus $corpus; log $log"
cd "$logs" || die "cannot enter $logs"  # -jobs writes its fuzz-N.log files here
fuzz() {
    if ((${#extra[@]} == 0)); then
        # A watchdog in case the fuzzer itself hangs: ctest gives these tests
        # no timeout of their own, as the run time may come from the environment.
        timeout -k 30 $((seconds * 2 + 300)) "$bin" "${options[@]}" "$corpus"
    else
        # -fork and -jobs quietly skip corpus inputs that crash, so every
        # input is first run once in the ordinary way.
        "$bin" "${options[@]}" -runs=0 "$corpus" && "$bin" "${options[@]}" "${extra[@]}" "$corpus"
    fi
}
if [[ -t 1 ]]; then
    fuzz 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
else
    fuzz >"$log" 2>&1
    status=$?
fi

mapfile -t new_artifacts < <(find "$artifacts" -type f | sort)

# libFuzzer's closing figures (its log holds raw bytes, hence grep -a).
done_line="$(grep -aE '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1)"
runs="$(grep -aoE '^stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' | tail -n 1)"
rate="$(grep -aoE '^stat::average_exec_per_sec: *[0-9]+' "$log" | grep -oE '[0-9]+$' | tail -n 1)"

if ((status != 0 || ${#new_artifacts[@]} > 0)); then
    [[ -t 1 ]] || tail -n 120 "$log"
    echo "run_fuzzer: $target FAILED (exit status $status)" >&2
    if ((${#new_artifacts[@]} > 0)); then
        for a in "${new_artifacts[@]}"; do
            echo "run_fuzzer: crash artefact kept at $a" >&2
            echo "run_fuzzer:   reproduce with: $bin $a" >&2
        done
    else
        echo "run_fuzzer: no artefact was written; see $log (and fuzz-*.log beside it)" >&2
    fi
    echo "run_fuzzer: turn each crash into a regression test in tests/platform/ (docs/FUZZING.md)" >&2
    exit 1
fi
if [[ -n "$runs" ]]; then
    echo "run_fuzzer: $target passed: $runs runs at ${rate:-?}/s; no crash"
else
    echo "run_fuzzer: $target passed: no crash (libFuzzer's figures are in $logs)"
fi
[[ -n "$done_line" ]] && echo "run_fuzzer: $done_line"

# libFuzzer only adds files; keep the working corpus to the inputs that add
# coverage (plus the seeds), so that it does not grow without end. Skipped
# while another run of this target uses the corpus.
if flock -x -n 8; then
    before="$(find "$corpus" -type f | wc -l) files ($(du -sb "$corpus" | cut -f1) bytes)"
    merged="$work/corpus.merge"
    rm -rf "$merged" && mkdir -p "$merged"
    if "$bin" -merge=1 -timeout=25 -rss_limit_mb=2048 "$merged" "$corpus" >"$logs/merge.log" 2>&1; then
        find "$corpus" -mindepth 1 -delete && mv "$merged"/* "$corpus"/ 2>/dev/null
        cp -n -- "$seeds"/* "$corpus"/ 2>/dev/null
        echo "run_fuzzer: working corpus minimised from $before to $(find "$corpus" -type f | wc -l) files ($(du -sb "$corpus" | cut -f1) bytes)"
    else
        echo "run_fuzzer: warning: could not minimise the working corpus (see $logs/merge.log)" >&2
    fi
    rm -rf "$merged"
fi
exit 0
