#!/usr/bin/env bash
# Builds the project and runs it in the examples folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" "$root/build"
cd "$root/examples"
"$root/build/stagetool" list
