#!/usr/bin/env bash
# Fails when a C++ file of the tree differs from what clang-format (.clang-format) makes of
# it, and names the files. Mend with: clang-format -i FILE
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null; then
  echo "format-check: clang-format is not installed" >&2
  exit 1
fi
unformatted=()
while IFS= read -r -d '' file; do
  if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
    unformatted+=("$file")
  fi
done < <(git ls-files -z -- '*.h' '*.cpp')
if ((${#unformatted[@]})); then
  echo "Not formatted (run clang-format -i on them):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "format-check: every C++ file is formatted"
