#!/usr/bin/env bash
# Configures and builds into build/ (or $1 with extra CMake arguments after it).
# A `--target NAME` among the arguments builds only that target and what it
# needs (given more than once, each of them); without one, everything.
# Uses ccache when the machine has it, so rebuilds of several work trees share
# their objects.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build}
shift || true
configure=()
targets=()
while (($#)); do
  if [ "$1" = --target ] && (($# >= 2)); then
    targets+=(--target "$2")
    shift 2
  else
    configure+=("$1")
    shift
  fi
done
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "${configure[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
