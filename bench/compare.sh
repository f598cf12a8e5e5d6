#!/usr/bin/env bash
# Times morvane-convert and the npm library pinyin-pro side by side, in one run, on the same files of
# the benchmark corpus (100 KB, 1 MB, 10 MB of UTF-8), and prints a table of times, input MB/s and the
# ratio of the two throughputs.
#
# Usage: bench/compare.sh
#   RUNS=N            runs of morvane-convert per file, the fastest counts (default 10)
#   PINYIN_PRO_RUNS=N runs of pinyin-pro per file, the fastest counts (default 3; 1 for the 10 MB file)
#   MORVANE_CONVERT   the program to time (default build/release/src/morvane-convert, built if missing)
#   MORVANE_BENCH_CORPUS  the corpus folder (default ${XDG_CACHE_HOME:-$HOME/.cache}/morvane-bench,
#                     built with bench/make-corpus.sh if missing)
#
# Needs node and npm (Debian 12: apt-get install nodejs npm) and access to the npm registry that npm is
# configured for: pinyin-pro, pinned below, is installed into a temporary folder that is removed on exit.
#
# Both are timed as whole processes, output to /dev/null. morvane-convert runs in its default style,
# spaced (" hǎo "); pinyin-pro in its closest equivalent, pinyin(line, { toneType: "symbol", nonZh:
# "consecutive" }), readings with tone marks separated by spaces and other text kept, called once per
# line (faster for it than one call on the whole text). The node script also reports the time of its
# conversion alone, without the start of node and the loading of pinyin-pro and the file; the last
# column compares with that. See bench/README.md, section "Batch converter".
set -euo pipefail
cd "$(dirname "$0")/.."

PINYIN_PRO_VERSION=3.29.5
RUNS=${RUNS:-10}
PINYIN_PRO_RUNS=${PINYIN_PRO_RUNS:-3}
CORPUS=${MORVANE_BENCH_CORPUS:-${XDG_CACHE_HOME:-$HOME/.cache}/morvane-bench}
CONVERT=${MORVANE_CONVERT:-build/release/src/morvane-convert}

for tool in node npm; do
    command -v "$tool" >/dev/null || { echo "error: '$tool' not found" >&2; exit 1; }
done

if [[ ! -x $CONVERT ]]; then
    echo "building morvane-convert ..." >&2
    cmake --preset release >/dev/null
    cmake --build --preset release --target morvane-convert >/dev/null
fi
bench/make-corpus.sh "$CORPUS" >/dev/null

TMP=$(mktemp -d "${TMPDIR:-/tmp}/morvane-compare.XXXXXX")
trap 'rm -rf "$TMP"' EXIT
echo "installing pinyin-pro@$PINYIN_PRO_VERSION into a temporary folder ..." >&2
npm install --prefix "$TMP" --no-audit --no-fund --no-package-lock --ignore-scripts --silent \
    "pinyin-pro@$PINYIN_PRO_VERSION" >/dev/null

cat >"$TMP/pinyin-pro.js" <<'JS'
// node pinyin-pro.js FILE: converts FILE line by line, writes the result to /dev/null and prints the
// milliseconds of the conversion alone.
'use strict';
const fs = require('fs');
const { pinyin } = require('pinyin-pro');
const text = fs.readFileSync(process.argv[2], 'utf8');
const start = process.hrtime.bigint();
const out = text.split('\n').map((line) => pinyin(line, { toneType: 'symbol', nonZh: 'consecutive' })).join('\n');
const ms = Number(process.hrtime.bigint() - start) / 1e6;
fs.writeFileSync('/dev/null', out);
console.log(ms.toFixed(1));
JS

# Milliseconds since some fixed point, without starting a process.
now_ms() {
    local t=${EPOCHREALTIME/[.,]/}
    echo $((t / 1000))
}

# fastest RUNS COMMAND...: the fastest of RUNS runs of COMMAND with its output to /dev/null, in ms; with
# hyperfine when it is installed (it starts a program with less of its own time than bash does).
fastest() {
    local runs=$1 best="" start end ms
    shift
    if command -v hyperfine >/dev/null; then
        hyperfine -N --runs "$runs" --export-json "$TMP/h.json" --output null "$(printf '%q ' "$@")" \
            >/dev/null 2>&1
        node -e 'const r = require(process.argv[1]).results[0]; console.log(Math.round(r.min * 1e3))' "$TMP/h.json"
        return
    fi
    for ((i = 0; i < runs; i++)); do
        start=$(now_ms)
        "$@" >/dev/null
        end=$(now_ms)
        ms=$((end - start))
        if [[ -z $best || $ms -lt $best ]]; then best=$ms; fi
    done
    echo "$best"
}

mbps() { # BYTES MS
    awk -v b="$1" -v ms="$2" 'BEGIN { if (ms <= 0) ms = 0.5; printf "%.1f", b / 1e6 / (ms / 1e3) }'
}

printf '\n%-22s %8s | %14s %9s | %14s %9s %12s | %8s %12s\n' \
    "file" "MB" "morvane ms" "MB/s" "pinyin-pro ms" "MB/s" "(conv. ms)" "ratio" "(vs conv.)"
printf '%s\n' "$(printf '%.0s-' {1..126})"
for size in 100k 1m 10m; do
    file="$CORPUS/poetry-$size.utf8.txt"
    bytes=$(stat -c %s "$file")
    ours=$(fastest "$RUNS" "$CONVERT" "$file")
    runs=$PINYIN_PRO_RUNS
    [[ $size == 10m && -z ${PINYIN_PRO_RUNS_10M:-} ]] && runs=1
    theirs=$(fastest "$runs" node "$TMP/pinyin-pro.js" "$file")
    conversion=$(node "$TMP/pinyin-pro.js" "$file")
    ours_mbps=$(mbps "$bytes" "$ours")
    theirs_mbps=$(mbps "$bytes" "$theirs")
    ratio=$(awk -v a="$theirs" -v b="$ours" 'BEGIN { if (b <= 0) b = 0.5; printf "%.0f", a / b }')
    ratio_conversion=$(awk -v a="$conversion" -v b="$ours" 'BEGIN { if (b <= 0) b = 0.5; printf "%.0f", a / b }')
    printf '%-22s %8.2f | %14s %9s | %14s %9s %12s | %7s× %11s×\n' "poetry-$size.utf8.txt" \
        "$(awk -v b="$bytes" 'BEGIN { print b / 1e6 }')" "$ours" "$ours_mbps" "$theirs" "$theirs_mbps" \
        "$conversion" "$ratio" "$ratio_conversion"
done
echo
echo "morvane-convert: fastest of $RUNS runs; pinyin-pro $PINYIN_PRO_VERSION: fastest of $PINYIN_PRO_RUNS" \
    "(1 for the 10 MB file)$(command -v hyperfine >/dev/null && echo ', timed with hyperfine');" \
    "whole processes, output to /dev/null. ratio: the throughput of morvane-convert over that of" \
    "pinyin-pro; (vs conv.): over that of pinyin-pro's conversion alone, from one more run."
