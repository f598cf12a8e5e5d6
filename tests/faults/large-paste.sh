#!/usr/bin/env bash
# Pastes a large text (100 MB by default) into the window's input box under Xvfb and converts it.
#   tests/faults/large-paste.sh [MEGABYTES [LIMIT_MB]]
# With LIMIT_MB the program runs under that address-space limit, to see a memory error reported
# ("Out of memory.") instead of a crash.
# Needs the release build: cmake --preset release && cmake --build --preset release --target fault_large_paste
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$here/build/release/tests/faults/fault_large_paste" "$@"
