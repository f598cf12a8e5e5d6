#!/usr/bin/env bash
# Whole-process figures of morvane-convert on the benchmark corpus: time per file and style (output
# to /dev/null), start-up (an empty input), and peak memory, optionally also for a 1 GB file.
#
# Usage: bench/bench_cli.sh [--big]
#   --big           also converts a 1 GB file (the 10 MB file 100 times, made in TMPDIR and removed)
#   RUNS=N          runs per case, the fastest counts (default 20)
#   MORVANE_CONVERT the program (default build/release/src/morvane-convert, built if missing)
#   MORVANE_BENCH_CORPUS  the corpus folder (default ${XDG_CACHE_HOME:-$HOME/.cache}/morvane-bench,
#                   built with bench/make-corpus.sh if missing)
#
# Uses hyperfine for the times when it is installed (Debian 12: apt-get install hyperfine), its own
# loop otherwise; GNU time (apt-get install time) for peak memory. See bench/README.md.
set -euo pipefail
cd "$(dirname "$0")/.."

RUNS=${RUNS:-20}
CORPUS=${MORVANE_BENCH_CORPUS:-${XDG_CACHE_HOME:-$HOME/.cache}/morvane-bench}
CONVERT=${MORVANE_CONVERT:-build/release/src/morvane-convert}
BIG=0
[[ ${1:-} == --big ]] && BIG=1

if [[ ! -x $CONVERT ]]; then
    echo "building morvane-convert ..." >&2
    cmake --preset release >/dev/null
    cmake --build --preset release --target morvane-convert >/dev/null
fi
bench/make-corpus.sh "$CORPUS" >/dev/null

TMP=$(mktemp -d "${TMPDIR:-/tmp}/morvane-bench-cli.XXXXXX")
trap 'rm -rf "$TMP"' EXIT

now_us() {
    echo "${EPOCHREALTIME/[.,]/}"
}

# time_ms COMMAND...: the fastest of RUNS runs, output to /dev/null, in ms with one decimal.
time_ms() {
    if command -v hyperfine >/dev/null; then
        hyperfine -N --warmup 3 --runs "$RUNS" --export-json "$TMP/h.json" --output null "$(printf '%q ' "$@")" \
            >/dev/null 2>&1
        node -e 'const r=require(process.argv[1]).results[0]; console.log((r.min*1e3).toFixed(1))' "$TMP/h.json" \
            2>/dev/null || python3 -c 'import json,sys; print("%.1f" % (json.load(open(sys.argv[1]))["results"][0]["min"]*1e3))' "$TMP/h.json"
        return
    fi
    local best="" start end
    for ((i = 0; i < RUNS; i++)); do
        start=$(now_us)
        "$@" >/dev/null
        end=$(now_us)
        if [[ -z $best || $((end - start)) -lt $best ]]; then best=$((end - start)); fi
    done
    awk -v us="$best" 'BEGIN { printf "%.1f", us / 1e3 }'
}

# peak_mb COMMAND...: the peak resident memory of one run, in MB.
peak_mb() {
    if [[ -x /usr/bin/time ]]; then
        /usr/bin/time -f '%M' -o "$TMP/time.out" "$@" >/dev/null
        awk '{ printf "%.1f", $1 / 1024 }' "$TMP/time.out"
    else
        echo "n/a"
    fi
}

row() { # NAME BYTES COMMAND...
    local name=$1 bytes=$2
    shift 2
    local ms peak
    ms=$(time_ms "$@")
    peak=$(peak_mb "$@")
    printf '%-44s %12s %10s %10s %10s\n' "$name" "$bytes" "$ms" \
        "$(awk -v b="$bytes" -v ms="$ms" 'BEGIN { if (b == 0) print "-"; else printf "%.0f", b / 1e6 / (ms / 1e3) }')" \
        "$peak"
}

u10=$CORPUS/poetry-10m.utf8.txt
g10=$CORPUS/poetry-10m.gb18030.txt
size() { stat -c %s "$1"; }

printf '%-44s %12s %10s %10s %10s\n' "case" "input B" "ms" "MB/s" "peak MB"
printf '%s\n' "$(printf '%.0s-' {1..90})"
row "start-up: empty input" 0 "$CONVERT" /dev/null
row "start-up: --version" 0 "$CONVERT" --version
row "100 KB UTF-8, spaced" "$(size "$CORPUS/poetry-100k.utf8.txt")" "$CONVERT" "$CORPUS/poetry-100k.utf8.txt"
row "1 MB UTF-8, spaced" "$(size "$CORPUS/poetry-1m.utf8.txt")" "$CONVERT" "$CORPUS/poetry-1m.utf8.txt"
row "10 MB UTF-8, plain" "$(size "$u10")" "$CONVERT" --style plain "$u10"
row "10 MB UTF-8, spaced" "$(size "$u10")" "$CONVERT" "$u10"
row "10 MB UTF-8, annotated" "$(size "$u10")" "$CONVERT" --style annotated "$u10"
row "10 MB UTF-8 CR LF, spaced" "$(size "$CORPUS/poetry-10m.utf8.crlf.txt")" "$CONVERT" \
    "$CORPUS/poetry-10m.utf8.crlf.txt"
row "10 MB GB18030, spaced" "$(size "$g10")" "$CONVERT" --encoding gb18030 "$g10"
row "10 MB UTF-8 from a pipe, spaced" "$(size "$u10")" sh -c 'cat "$1" | "$0"' "$CONVERT" "$u10"
row "10 MB UTF-8 to -o, spaced" "$(size "$u10")" "$CONVERT" -o "$TMP/out.txt" "$u10"

if ((BIG)); then
    big=$TMP/big.txt
    for ((i = 0; i < 100; i++)); do cat "$u10"; done >"$big"
    saved=$RUNS
    RUNS=1
    row "1 GB UTF-8, spaced" "$(size "$big")" "$CONVERT" "$big"
    row "1 GB UTF-8 from a pipe, spaced" "$(size "$big")" sh -c 'cat "$1" | "$0"' "$CONVERT" "$big"
    RUNS=$saved
    rm -f "$big"
fi
echo
echo "fastest of $RUNS runs$(command -v hyperfine >/dev/null && echo ' (hyperfine)'), whole process, output to /dev/null;" \
    "peak MB: maximum resident set size of one run (GNU time)."
