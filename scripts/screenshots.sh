#!/usr/bin/env bash
# Runs the editor on a virtual display, paints a few strokes with the mouse and
# keys as a designer would, and saves screenshots along the way into the
# folder given (default: screenshots/). For looking at, not for CI.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/screenshots}")
mkdir -p "$out"
"$root/scripts/deps.sh"
"$root/scripts/build.sh" "$root/build"
work=$(mktemp -d)
cp -r "$root/examples/." "$work/"
cd "$work"
# The strokes painted here leave recovery copies in the scratch folder, not
# in the user's own state folder.
export XDG_STATE_HOME="$work/state"

display=:$(( 80 + RANDOM % 9 ))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() { kill "${app:-}" 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$root/build/stage-editor" &
app=$!
sleep 0.5
import -window root "$out/01-splash.png"
for _ in $(seq 100); do
  main=$(xdotool search --name "Stage [0-9][0-9]" 2>/dev/null | head -1) && [ -n "$main" ] && break
  sleep 0.1
done
sleep 1
import -window root "$out/02-stage0.png"

# Window geometry: the display fills the main window's client area.
eval "$(xdotool getwindowgeometry --shell "$main")"
ox=$X; oy=$Y
tool=$(xdotool search --name "^Tool$" | head -1)
eval "$(xdotool getwindowgeometry --shell "$tool")"
tx=$X; ty=$Y
click_tool() { xdotool mousemove $((tx + $1)) $((ty + $2)) click 1; sleep 0.2; }

# Pencil tool (row 2, left), brush 24..27 (row 6, right), a wall stroke.
click_tool 11 34
click_tool 34 $((23*5 + 16 + 11))
xdotool mousemove $((ox + 100)) $((oy + 200)) mousedown 1
for x in $(seq 100 16 300); do xdotool mousemove $((ox + x)) $((oy + 200)); done
xdotool mouseup 1
sleep 0.3
import -window root "$out/03-pencil.png"

# Box tool with water (row 4, right), a few stamps.
click_tool 34 11 ; click_tool 34 34
click_tool 34 $((23*3 + 8 + 11))
for x in 360 400 440; do xdotool mousemove $((ox + x)) $((oy + 300)) click 1; done
sleep 0.3
import -window root "$out/04-box.png"

# Grid and status on.
xdotool key F8 F5
sleep 0.5
import -window root "$out/05-grid-status.png"

# Select tool and a selection.
click_tool 11 11
xdotool mousemove $((ox + 96)) $((oy + 176)) mousedown 1 mousemove $((ox + 320)) $((oy + 230)) sleep 0.2
import -window root "$out/06-selecting.png"
xdotool mouseup 1
sleep 0.3
import -window root "$out/07-selected.png"
echo "Screenshots in $out"
