#!/usr/bin/env bash
# Build the benchmark corpus: real classical Chinese text (public-domain
# poetry) taken from the npm package "chinese-poetry", pinned below.
#
# Usage: bench/make-corpus.sh [OUTDIR]
#   OUTDIR defaults to ${XDG_CACHE_HOME:-$HOME/.cache}/morvane-bench
#
# Needs: bash, npm and node (Debian 12: apt-get install nodejs npm), tar,
# iconv and cmp (libc-bin, diffutils), and network access to the npm
# registry that npm is configured for. Nothing is installed: the package
# tarball is fetched with "npm pack" into a temporary folder that is
# removed on exit.
#
# Idempotent: when every output already exists it only prints where they are.
# See bench/README.md, section "Corpus".
set -euo pipefail

PKG=chinese-poetry
PKG_VERSION=2.0.1

OUTDIR=${1:-${XDG_CACHE_HOME:-$HOME/.cache}/morvane-bench}

# name:limit, the limit in bytes of UTF-8 (each file is cut at a poem end at or below it)
SIZES="100k:102400 1m:1048576 10m:10485760"
GB300_LIMIT=307200

outputs() {
    local s
    for s in $SIZES; do
        s=${s%%:*}
        echo "poetry-$s.utf8.txt"
        echo "poetry-$s.utf8.crlf.txt"
        echo "poetry-$s.gb18030.txt"
    done
    echo "poetry-300k.gb18030.txt"
    echo "MANIFEST.txt"
}

all_present=1
for f in $(outputs); do
    [[ -s "$OUTDIR/$f" ]] || { all_present=0; break; }
done
if (( all_present )); then
    echo "corpus already built in $OUTDIR:"
    for f in $(outputs); do
        printf '  %-28s %10d bytes\n' "$f" "$(stat -c %s "$OUTDIR/$f")"
    done
    exit 0
fi

for tool in npm node tar iconv cmp; do
    command -v "$tool" >/dev/null || { echo "error: '$tool' not found" >&2; exit 1; }
done

TMP=$(mktemp -d "${TMPDIR:-/tmp}/morvane-corpus.XXXXXX")
trap 'rm -rf "$TMP"' EXIT

echo "fetching $PKG@$PKG_VERSION with npm pack ..."
( cd "$TMP" && npm pack "$PKG@$PKG_VERSION" --ignore-scripts --silent >pack.out )
TARBALL="$TMP/$(tail -n 1 "$TMP/pack.out")"
[[ -f "$TARBALL" ]] || { echo "error: npm pack produced no tarball" >&2; exit 1; }

# Only the simplified-Chinese collections are extracted (most of the package,
# e.g. the Tang and Song shi collections, is in traditional characters).
mkdir "$TMP/x"
tar -xzf "$TARBALL" -C "$TMP/x" \
    package/package.json \
    package/dist/songci \
    package/dist/yuanqu \
    package/dist/shijing \
    package/dist/chuci \
    package/dist/wudaishici \
    package/dist/caocaoshiji \
    package/dist/nalanxingde

cat >"$TMP/build.js" <<'JS'
// Reads the poem JSON files and writes one text: per poem a title line and
// its lines, poems separated by an empty line, LF line ends.
'use strict';
const fs = require('fs');
const path = require('path');
const [root, out] = process.argv.slice(2);
const dist = path.join(root, 'dist');

const num = (f) => { const m = /(\d+)/.exec(f); return m ? Number(m[1]) : 0; };
const list = (dir, re, sort) =>
  fs.readdirSync(path.join(dist, dir)).filter((f) => re.test(f))
    .sort(sort || undefined).map((f) => path.join(dir, f));

// In this order. In songci, only the numbered ci.song.N.json files: the
// "300 ci" selection repeats poems from them and ci.song.2019y.json mixes in
// traditional characters.
const files = [
  ...list('songci', /^ci\.song\.\d+\.json$/, (a, b) => num(a) - num(b)),
  'yuanqu/yuanqu.json',
  'shijing/shijing.json',
  'chuci/chuci.json',
  ...list('wudaishici/huajianji', /\.json$/),
  'wudaishici/nantang/poetrys.json',
  'caocaoshiji/caocao.json',
  ...list('nalanxingde', /\.json$/),
];

const clean = (s) => String(s).replace(/\uFEFF/g, '').replace(/\r\n?/g, '\n')
  .split('\n').map((l) => l.replace(/\s+$/u, '')).filter((l) => l.trim() !== '');

const poems = [];
const perFile = [];
for (const f of files) {
  const data = JSON.parse(fs.readFileSync(path.join(dist, f), 'utf8'));
  let n = 0;
  for (const p of Array.isArray(data) ? data : [data]) {
    const body = p.paragraphs || p.content || p.para || [];
    const lines = [].concat(...body.map(clean));
    if (lines.length === 0) continue;
    const title = clean(p.title || p.rhythmic || '').join(' ');
    poems.push((title ? [title, ...lines] : lines).join('\n'));
    n++;
  }
  perFile.push(`${f}\t${n}`);
}
if (poems.length === 0) throw new Error('no poems found');
fs.writeFileSync(out, poems.join('\n\n') + '\n');
fs.writeFileSync(out + '.files', perFile.join('\n') + '\n');
console.log(`${poems.length} poems from ${files.length} files`);
JS

cat >"$TMP/cut.js" <<'JS'
// cut.js IN OUT LIMIT: copy IN's longest prefix of at most LIMIT bytes that
// ends after a poem's last line (before an empty line); if IN is shorter
// than LIMIT it is repeated first. Byte-wise, so it works for UTF-8 and
// GB18030 alike (in both, byte 0x0A is only ever a line feed).
'use strict';
const fs = require('fs');
const [inp, out, limitArg] = process.argv.slice(2);
const limit = Number(limitArg);
const src = fs.readFileSync(inp);
let buf = src;
let copies = 1;
while (buf.length < limit) { buf = Buffer.concat([buf, Buffer.from('\n'), src]); copies++; }
let end = buf.length;
if (buf.length > limit) {
  const i = buf.lastIndexOf('\n\n', limit - 1);
  if (i < 0) throw new Error('no poem boundary below the limit');
  end = i + 1;
}
fs.writeFileSync(out, buf.subarray(0, end));
console.log(`${out.replace(/.*\//, '')}: ${end} bytes` +
  (copies > 1 ? ` (source repeated ${copies} times)` : ''));
JS

cat >"$TMP/stats.js" <<'JS'
'use strict';
const fs = require('fs');
const s = fs.readFileSync(process.argv[2], 'utf8');
let total = 0, han = 0, nl = 0;
const distinct = new Set(), distinctHan = new Set();
for (const c of s) {
  if (c === '\n') { nl++; continue; }
  total++;
  distinct.add(c);
  if (/\p{Unified_Ideograph}/u.test(c)) { han++; distinctHan.add(c); }
}
console.log(`characters (without line feeds): ${total}; CJK ideographs: ${han}` +
  ` (${(100 * han / total).toFixed(1)}%); distinct characters: ${distinct.size}` +
  ` (of which ideographs: ${distinctHan.size}); lines: ${nl}`);
JS

PKGROOT="$TMP/x/package"
node -e 'const p=require(process.argv[1]); if (p.version!==process.argv[2]) {console.error("unexpected version "+p.version); process.exit(1)}' \
    "$PKGROOT/package.json" "$PKG_VERSION"
LICENSE=$(node -p 'require(process.argv[1]).license' "$PKGROOT/package.json")

node "$TMP/build.js" "$PKGROOT" "$TMP/all.utf8.txt"
ALL_BYTES=$(stat -c %s "$TMP/all.utf8.txt")
echo "whole corpus: $ALL_BYTES bytes of UTF-8"

# Build everything in a staging folder, then move it into OUTDIR.
STAGE="$TMP/out"
mkdir "$STAGE"

to_gb18030() {   # IN OUT: lossless or fail
    iconv -f UTF-8 -t GB18030 "$1" >"$2"
    iconv -f GB18030 -t UTF-8 "$2" >"$TMP/roundtrip"
    cmp -s "$1" "$TMP/roundtrip" || { echo "error: GB18030 round trip differs for $1" >&2; exit 1; }
}

LOG="$TMP/cut.log"
: >"$LOG"
for s in $SIZES; do
    name=${s%%:*}; limit=${s##*:}
    node "$TMP/cut.js" "$TMP/all.utf8.txt" "$STAGE/poetry-$name.utf8.txt" "$limit" | tee -a "$LOG"
    sed 's/$/\r/' "$STAGE/poetry-$name.utf8.txt" >"$STAGE/poetry-$name.utf8.crlf.txt"
    to_gb18030 "$STAGE/poetry-$name.utf8.txt" "$STAGE/poetry-$name.gb18030.txt"
done

# About 300 KB measured in GB18030 bytes: convert a generous UTF-8 prefix and cut that.
node "$TMP/cut.js" "$TMP/all.utf8.txt" "$TMP/head.utf8.txt" $((GB300_LIMIT * 2)) >/dev/null
to_gb18030 "$TMP/head.utf8.txt" "$TMP/head.gb18030.txt"
node "$TMP/cut.js" "$TMP/head.gb18030.txt" "$STAGE/poetry-300k.gb18030.txt" "$GB300_LIMIT" | tee -a "$LOG"
iconv -f GB18030 -t UTF-8 "$STAGE/poetry-300k.gb18030.txt" >/dev/null

STATS_1M=$(node "$TMP/stats.js" "$STAGE/poetry-1m.utf8.txt")
STATS_ALL=$(node "$TMP/stats.js" "$TMP/all.utf8.txt")

{
    echo "Morvane benchmark corpus"
    echo "source: npm package $PKG@$PKG_VERSION (license field: $LICENSE; the poems are public domain)"
    echo "whole corpus: $ALL_BYTES bytes UTF-8"
    echo "  $STATS_ALL"
    echo "poetry-1m.utf8.txt:"
    echo "  $STATS_1M"
    echo
    echo "format: per poem a title line (title or tune name) and one line per"
    echo "paragraph; poems separated by one empty line; files end after a poem."
    echo "*.utf8.txt LF line ends, *.utf8.crlf.txt the same text with CR LF,"
    echo "*.gb18030.txt the same text as the .utf8.txt of that size (iconv)."
    echo "poetry-300k.gb18030.txt is about 300 KiB as GB18030 bytes."
    echo
    echo "files:"
    sed 's/^/  /' "$LOG"
    echo
    echo "poems per source file, in corpus order:"
    sed 's/^/  /' "$TMP/all.utf8.txt.files"
} >"$STAGE/MANIFEST.txt"

mkdir -p "$OUTDIR"
for f in $(outputs); do
    mv -f "$STAGE/$f" "$OUTDIR/$f"
done

echo "corpus written to $OUTDIR"
echo "1 MB file: $STATS_1M"
