#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless.
# With --sanitize the build and the tests run under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

dir=build
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-asan
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
scripts/build.sh "$@"

export QT_QPA_PLATFORM=offscreen
cd "$dir"
ctest --output-on-failure --timeout 1800
