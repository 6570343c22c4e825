#!/usr/bin/env bash
# Starts the editor on a virtual display and measures it from outside: launch
# to first frame, idle processor use, memory, the pencil's pointer-to-pixel
# delay, and the frame rate with extra work added to every frame.
# Usage: measure-editor.sh [EXTRA_MS...]  (default: 0 3 5 8 12 20)
# DISPLAY_NUMBER picks the virtual display (default: a free one from 70 up).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" "$root/build"
extras=("$@")
((${#extras[@]})) || extras=(0 3 5 8 12 20)
work=$(mktemp -d)
cp -r "$root/examples/." "$work/"
number=${DISPLAY_NUMBER:-}
if [ -z "$number" ]; then
  number=70
  while [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
fi
display=:$number
Xvfb "$display" -screen 0 1024x768x24 -br -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
"$root/build/editor-meter" "$root/build/stage-editor" "$root/build/stage-editor-probe" "$work" "${extras[@]}"
