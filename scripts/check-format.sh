#!/usr/bin/env bash
# Checks that every C++ source and header is formatted by the repository's .clang-format; lists
# the files that are not. With --fix it formats them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
report=$(mktemp)
trap 'rm -f "$report"' EXIT
if ! clang-format --dry-run --Werror "${files[@]}" 2>"$report"; then
  grep -oE '^[^:]+\.(cpp|h)' "$report" | sort -u | sed 's/^/not formatted: /' >&2
  echo "Run scripts/check-format.sh --fix to format them." >&2
  exit 1
fi
echo "Formatting: ${#files[@]} files checked, all formatted."
