#!/usr/bin/env bash
# Fuzzes one libFuzzer target for a while on a working copy of its seed
# corpus. The fuzz preset builds the targets (cmake --preset fuzz && cmake
# --build --preset fuzz); docs/FUZZING.md explains them.
#
# Usage: tests/fuzz/run_fuzzer.sh [--work-dir DIR] BINARY [SECONDS] [-- LIBFUZZER_OPTIONS...]
#   BINARY    a built target: build-fuzz/tests/fuzz/ini_reader, ini_writer or number_text
#   SECONDS   how long to fuzz, default 60; MOCHITAMA_FUZZ_SECONDS in the
#             environment takes precedence (for a long run through ctest)
#   DIR       where working corpora, logs and crash artefacts go,
#             default build/fuzz in the source tree
#   LIBFUZZER_OPTIONS  passed on, e.g. -jobs=4 -workers=4 or -fork=4
#
# Environment:
#   MOCHITAMA_FUZZ_SECONDS  seconds to fuzz, overrides SECONDS
#   MOCHITAMA_FUZZ_FRESH=1  forget the working corpus of earlier runs first
#
# The repository's seed corpus is only read; the working corpus in DIR keeps
# what earlier runs found and is minimised after each run. Exit status 0
# means the run found nothing; 1 means a crash, a failed check or a missing
# target.
set -uo pipefail

die() {
    echo "run_fuzzer: $*" >&2
    exit 1
}

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"

work_root="$root/build/fuzz"
bin=""
seconds_arg=""
extra=()
while (($# > 0)); do
    case "$1" in
        --work-dir)
            (($# >= 2)) || die "--work-dir needs a directory"
            work_root="$2"
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
            if [[ -z "$bin" ]]; then
                bin="$1"
            elif [[ -z "$seconds_arg" ]]; then
                seconds_arg="$1"
            else
                die "unexpected argument '$1' (libFuzzer options go after --)"
            fi
            shift
            ;;
    esac
done

[[ -n "$bin" ]] || die "no target given; build them with: cmake --preset fuzz && cmake --build --preset fuzz"
[[ -x "$bin" ]] || die "$bin is not built; build it with: cmake --preset fuzz && cmake --build --preset fuzz"
bin="$(cd "$(dirname "$bin")" && pwd)/$(basename "$bin")"
target="$(basename "$bin")"
case "$target" in
    ini_reader | ini_writer | number_text) ;;
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

mkdir -p "$work_root" || die "cannot create $work_root"
work_root="$(cd "$work_root" && pwd)"  # the run changes directory
work="$work_root/$target"
mkdir -p "$work" || die "cannot create $work"

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
