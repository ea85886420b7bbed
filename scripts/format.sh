#!/usr/bin/env bash
# Checks that every tracked C++ source and header is in the tree's one
# format (.clang-format, clang-format-14); exits non-zero and lists the files
# that are not.
#   scripts/format.sh          check only
#   scripts/format.sh --fix    reformat those files in place
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
if ! command -v clang-format-14 >/dev/null; then bash scripts/setup.sh >/dev/null; fi
fix=0
if [ "${1:-}" = "--fix" ]; then fix=1; fi

mapfile -t files < <(git ls-files '*.cpp' '*.h')
bad=()
for f in "${files[@]}"; do
  if ! clang-format-14 --style=file "$f" | cmp -s - "$f"; then bad+=("$f"); fi
done
if [ "${#bad[@]}" -eq 0 ]; then
  echo "format: ${#files[@]} files in format"
  exit 0
fi
if [ "$fix" -eq 1 ]; then
  clang-format-14 --style=file -i "${bad[@]}"
  echo "format: reformatted ${#bad[@]} files"
  exit 0
fi
echo "format: ${#bad[@]} files are not in format (scripts/format.sh --fix):"
printf '  %s\n' "${bad[@]}"
exit 1
