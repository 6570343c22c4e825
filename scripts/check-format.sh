#!/usr/bin/env bash
# Checks that every C++ file of the project (tracked, or new and not ignored)
# is laid out as .clang-format says and names those that are not. With --fix
# it formats them in place instead.
# Usage: check-format.sh [--fix]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if ! command -v clang-format >/dev/null 2>&1; then
  echo "check-format: clang-format is not installed (scripts/deps.sh installs it)" >&2
  exit 1
fi
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  # New files count too, so that --fix before the first commit covers them.
  mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' | sort -u)
else  # an unpacked source tree
  mapfile -t files < <(find src tests bench assets -name '*.cpp' -o -name '*.h' | sort)
fi
((${#files[@]})) || exit 0
if [ "${1:-}" = --fix ]; then
  clang-format -i --style=file "${files[@]}"
  exit 0
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! clang-format --dry-run --Werror --style=file "${files[@]}" 2>"$log"; then
  grep -o '^[^:]*:[0-9]*:[0-9]*: error' "$log" | cut -d: -f1 | sort -u | sed 's/^/needs formatting: /' >&2
  head -n 30 "$log" >&2
  echo "check-format: run 'bash scripts/check-format.sh --fix' and commit the result" >&2
  exit 1
fi
echo "format checked: ${#files[@]} files"
