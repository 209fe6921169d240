#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when any is missing.
# As root it installs them; otherwise it prints the line to run and stops. With --package it also
# installs the tools that make and check the Debian package.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev qt6-translations-l10n
  libsqlite3-dev sqlite3
  libshp-dev pxlib-dev libsodium-dev libofx-dev fonts-dejavu-core
  poppler-utils unrtf python3-dbfread
  clang-format
)
# With --package: what the Debian package is made and checked with.
if [ "${1:-}" = "--package" ]; then
  packages+=(dpkg-dev fakeroot file lintian desktop-file-utils appstream)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Some packages are missing. Install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
