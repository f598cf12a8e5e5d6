#!/bin/sh
# Regenerate Morvane's artwork from the sources in this folder:
#   resources/banner.jpg, resources/Morvane.png,
#   resources/icons/morvane-48.png, morvane-128.png, morvane.svg
#
# Debian packages needed:
#   librsvg2-bin          rsvg-convert  (SVG -> PNG)
#   libjpeg-turbo-progs   cjpeg         (baseline JPEG)
#   python3 python3-pil python3-fonttools
#   fontconfig            fc-match      (finds the fonts)
#   fonts-noto-cjk        Noto Serif CJK SC / Noto Sans CJK SC lettering
#
# Usage: tools/artwork/make-artwork.sh [--install-deps]
#   --install-deps   apt-get install the packages above first (as root)
#   PYTHON=...       use this Python 3 (it needs PIL and fontTools)
set -eu

PACKAGES="librsvg2-bin libjpeg-turbo-progs python3 python3-pil python3-fonttools fontconfig fonts-noto-cjk"
here=$(cd "$(dirname "$0")" && pwd)

if [ "${1:-}" = "--install-deps" ]; then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y $PACKAGES
    shift
fi

missing=""
for tool in rsvg-convert cjpeg fc-match; do
    command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
    echo "make-artwork: missing:$missing" >&2
    echo "install with: apt-get install $PACKAGES" >&2
    exit 1
fi
if ! fc-list 'Noto Serif CJK SC' family | grep -q . || ! fc-list 'Noto Sans CJK SC' family | grep -q .; then
    echo "make-artwork: Noto CJK fonts missing; apt-get install fonts-noto-cjk" >&2
    exit 1
fi

# Debian's python3-pil serves only Debian's own Python: take the first
# python3 on PATH that has both modules.
if [ -z "${PYTHON:-}" ]; then
    oldifs=$IFS
    IFS=:
    for dir in $PATH; do
        candidate="${dir:-.}/python3"
        if [ -x "$candidate" ] && "$candidate" -c 'import PIL, fontTools' 2>/dev/null; then
            PYTHON=$candidate
            break
        fi
    done
    IFS=$oldifs
fi
if [ -z "${PYTHON:-}" ]; then
    echo "make-artwork: no python3 with PIL and fontTools; apt-get install python3-pil python3-fonttools" >&2
    exit 1
fi

"$PYTHON" "$here/build_artwork.py" "$@"

root=$(cd "$here/../.." && pwd)
cd "$root"
ls -l resources/banner.jpg resources/Morvane.png resources/icons/morvane-48.png \
      resources/icons/morvane-128.png resources/icons/morvane.svg
