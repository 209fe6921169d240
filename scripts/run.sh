#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program from its folder build/zovi/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
exec build/zovi/zovi "$@"
