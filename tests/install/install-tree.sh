#!/usr/bin/env bash
# `cmake --install` of a build into a temporary prefix, then the checks of
# check-installed.sh on what it put there.
# Usage: install-tree.sh BUILD-DIR EXAMPLES-FOLDER
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
bash "$here/check-installed.sh" "$prefix" "$2"
