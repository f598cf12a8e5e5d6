#!/usr/bin/env bash
# Pastes a large text (100 MB by default) into the window's input box under Xvfb and converts it.
# Needs the dev build: cmake --preset dev && cmake --build --preset dev --target fault_large_paste
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$here/build/dev/tests/faults/fault_large_paste" "${1:-100}"
