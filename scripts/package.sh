#!/usr/bin/env bash
# Builds the Debian package zovi_<version>_amd64.deb into the repository's folder from a clean
# Release build (build-package/), then checks it: the desktop entry (desktop-file-validate),
# the AppStream metadata (appstreamcli validate --no-net) and the package (lintian: errors
# fail, warnings are counted). Installs what is missing, as scripts/deps.sh does.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh --package

dir=build-package
rm -rf "$dir"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZOVI_WERROR=ON \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
# Only what the package carries: the program, the Paradox reader, the program folder's tables
# and databases, the icons, manual page and change log.
cmake --build "$dir" --parallel "$(nproc)" --target zovi zovi_pxread zovi_template \
  zovi_export_template zovi_resources zovi_databases_default zovi_example zovi_desktop_files
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/zovi_*_amd64.deb)
cp "$deb" .
deb=$(basename "$deb")
echo "Package: $deb"

desktop-file-validate packaging/zovi.desktop
echo "Desktop entry: valid"
appstreamcli validate --no-net --pedantic packaging/zovi.metainfo.xml
report=$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)
[ -z "$report" ] || echo "$report"
errors=$(grep -c '^E:' <<<"$report" || true)
warnings=$(grep -c '^W:' <<<"$report" || true)
echo "lintian: $errors errors, $warnings warnings"
[ "$errors" -eq 0 ]
