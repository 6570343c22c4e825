#!/usr/bin/env bash
# The window titles as the X window system holds them (_NET_WM_NAME), read
# from the running editor on a virtual display: the main window's, "Tool",
# "Option", the error report's (the application title) and the message
# boxes' "Saving Stage" and "loading Stage", each exactly, with nothing
# appended.
#
# Usage: window-titles.sh STAGE-EDITOR EXAMPLES-FOLDER
# The virtual display takes the first free number (tests/support/xvfb.sh).
# Every wait polls for a state with a generous bound; nothing relies on how
# long a step takes. Exits 77 (skipped) without Xvfb, xdotool or xprop.
set -euo pipefail
editor=$(realpath "$1")
examples=$(realpath "$2")
export LC_ALL=C.UTF-8

# shellcheck source=../support/xvfb.sh
. "$(dirname "$0")/../support/xvfb.sh"
skip_without Xvfb xdotool xprop
start_workspace
require_xvfb

title_of() {
  xprop -id "$1" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'
}
# The visible windows, one "id<TAB>title" a line.
windows() {
  local w
  for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null || true); do
    printf '%s\t%s\n' "$w" "$(title_of "$w")"
  done
}
window_titled() {
  local list
  list=$(windows)
  awk -F '\t' -v t="$1" '$2 == t { print $1; exit }' <<<"$list"
}
has_window_titled() {
  [ -n "$(window_titled "$1")" ]
}
has_no_window_titled() {
  [ -z "$(window_titled "$1")" ]
}
failures=0
found=
# Waits for a window whose title is exactly $1 and keeps its id in $found.
expect_window() {
  if wait_until has_window_titled "$1"; then
    found=$(window_titled "$1")
    return 0
  fi
  echo "FAIL: no window titled exactly \"$1\"; the windows are:" >&2
  windows | cut -f 2 | sed 's/^/  /' >&2
  failures=$((failures + 1))
  return 1
}
# Answers the modal window $found, titled $1, with the key $2 until it is gone.
answer() {
  local i
  for ((i = 0; i < 100; i++)); do
    has_window_titled "$1" || return 0
    xdotool windowfocus "$found" 2>/dev/null || true
    xdotool key "$2"
    wait_until has_no_window_titled "$1" && return 0
  done
  echo "FAIL: \"$1\" did not close" >&2
  exit 1
}
# Clicks the tool window's control whose middle lies $1 pixels down.
click_tool() {
  xdotool mousemove --window "$tool" 23 "$1" click 1
}
# A window besides the main and tool windows is up.
another_window() {
  local list
  list=$(windows)
  [ -n "$(awk -F '\t' -v a="$main_title" '$2 != a && $2 != "Tool"' <<<"$list")" ]
}

# The examples, with stage 0's background picture damaged: the error report
# opens as soon as the display starts.
cp -r "$examples"/. "$work/"
printf 'BM%0200d' 0 >"$work/Map/sky.bmp"
printf 'Caption=No header\r\n' >"$work/no-header.txt"
(cd "$work" && XDG_STATE_HOME="$work/state" QT_QPA_PLATFORM=xcb exec "$editor" >"$work/editor.log" 2>&1) &
editor_pid=$!

app_title='铁履纵横 地图编辑器'
main_title="$app_title - Stage 00 (Training Ground)"
expect_window "$app_title" && answer "$app_title" Return
expect_window "$main_title" || true
expect_window "Tool" || exit 1
tool=$found

click_tool 377  # Option
expect_window "Option" && answer "Option" Escape

rm "$work/Stage.Dat"
mkdir "$work/Stage.Dat"
click_tool 453  # Save, with a folder where the stage file was
expect_window "Saving Stage" && answer "Saving Stage" Return

click_tool 479  # Load T..., a text without a header
if wait_until another_window; then
  xdotool type --delay 20 "$work/no-header.txt"
  xdotool key Return
  expect_window "loading Stage" && answer "loading Stage" Return
else
  echo "FAIL: the open dialog did not show" >&2
  failures=$((failures + 1))
fi

if ! kill -0 "$editor_pid" 2>/dev/null; then
  echo "FAIL: the editor ended early" >&2
  cat "$work/editor.log" >&2
  failures=$((failures + 1))
fi
if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "window titles as the game has them"
