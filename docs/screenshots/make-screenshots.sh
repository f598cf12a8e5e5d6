#!/usr/bin/env bash
# Retakes the README's screenshots of both pages of the window, main.png and dictionary.png, on a
# virtual X display with a window manager, cropped to the window and its frame.
#
#   docs/screenshots/make-screenshots.sh [PROGRAM]     PROGRAM: build/release/src/Morvane by default
#
# Debian packages: xvfb xauth openbox xdotool x11-utils imagemagick, and optipng (optional).
# The program runs with a state folder of its own, removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/../.."

if [ "${1:-}" != "--inside" ]; then
    program=$(realpath "${1:-build/release/src/Morvane}")
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside "$program"
fi
program=$2
out=docs/screenshots
state=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$state"' EXIT

openbox >/dev/null 2>&1 &
sleep 1
XDG_STATE_HOME="$state" LC_ALL=C.UTF-8 "$program" &
window=$(xdotool search --sync --onlyvisible --pid $! | head -n 1)
sleep 2

# The window with its frame, as the window manager draws it.
shoot() {
    local x y width height left right top bottom
    eval "$(xwininfo -id "$window" | awk -F: '{ gsub(/ /, "", $2) }
        /Absolute upper-left X/ {print "x=" $2} /Absolute upper-left Y/ {print "y=" $2}
        /Width/ {print "width=" $2} /Height/ {print "height=" $2}')"
    read -r left right top bottom < <(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    import -window root -crop "$((width + left + right))x$((height + top + bottom))+$((x - left))+$((y - top))" \
        +repage "$1"
    if command -v optipng >/dev/null; then optipng -quiet -o5 "$1"; fi
}

# Page 1: a line of mixed text, typed into the upper box, converted.
xdotool mousemove --window "$window" 270 50 click 1 key ctrl+a
xdotool type --delay 60 "青石书院：你好，世界！Hello, 2026."
xdotool mousemove --window "$window" 39 327 click 1    # 转换
sleep 1
shoot "$out/main.png"

# Page 2: the dictionary.
xdotool mousemove --window "$window" 161 80 click 1    # the tab 汉字拼音库
sleep 1
shoot "$out/dictionary.png"
ls -l "$out"/*.png
