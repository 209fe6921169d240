#!/usr/bin/env bash
# Configures and builds into build/ (or build-asan/ with --sanitize). Extra arguments go to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
args=(-DZOVI_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
  shift
  dir=build-asan
  args+=(-DZOVI_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
else
  args+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
fi

cmake -S . -B "$dir" -G Ninja "${args[@]}" "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
