#!/usr/bin/env bash
# Starts the editor on a virtual display and measures it from outside: launch
# to first frame, idle processor use, resident memory and the pencil's
# pointer-to-pixel delay.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" "$root/build"
work=$(mktemp -d)
cp -r "$root/examples/." "$work/"
display=:$(( 70 + RANDOM % 9 ))
Xvfb "$display" -screen 0 1024x768x24 -br -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
"$root/build/editor-probe" "$root/build/stage-editor" "$work"
