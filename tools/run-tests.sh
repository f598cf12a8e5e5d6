#!/usr/bin/env bash
# Sets up a Debian 12 machine, then builds and runs every test: the plain build, the same suite built
# with AddressSanitizer and UndefinedBehaviorSanitizer, and a short run of each fuzz target.
#   tools/run-tests.sh            everything
#   tools/run-tests.sh --quick    the plain build only
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

cmake --preset dev
cmake --build --preset dev
ctest --preset dev

[ "${1:-}" = "--quick" ] && exit 0

cmake --preset asan
cmake --build --preset asan
ctest --preset asan

cmake --preset fuzz
cmake --build --preset fuzz
ctest --preset fuzz
