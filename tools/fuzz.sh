#!/usr/bin/env bash
# Runs one fuzz target for a set time: tools/fuzz.sh TARGET [SECONDS]
# Build the targets first: cmake --preset fuzz && cmake --build --preset fuzz
# The corpus grows in build/fuzz/fuzz/corpus/TARGET, seeded from the shipped table and real text;
# a finding is written there as crash-* and the run fails.
set -euo pipefail
target=$1
seconds=${2:-600}
here=$(cd "$(dirname "$0")/.." && pwd)
bin=${MORVANE_FUZZ_BIN:-$here/build/fuzz/fuzz}
corpus=$bin/corpus/$target
mkdir -p "$corpus"

if [ -z "$(ls -A "$corpus")" ]; then
    # Seeds: runs of dictionary lines, the default input, line ends, a four-byte code.
    split -l 40 -d -a 4 "$here/resources/diclist.txt" "$corpus/seed-dict-"
    ls "$corpus"/seed-dict-* | awk 'NR % 25 != 1' | xargs rm -f
    printf '\xc7\xe0\xca\xaf\xca\xe9\xd4\xba' > "$corpus/seed-default"
    printf '\xba\xc3\r\n1\x81\x30\x81\x30\xe9\xeb\xac\x6e' > "$corpus/seed-mixed"
fi

exec "$bin/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -artifact_prefix="$corpus/../$target-" -print_final_stats=1 "$corpus"
