#!/usr/bin/env bash
# A designer's work outlives a killed editor, on a virtual display: paint in
# the examples' stage 0, wait for the recovery copy to hold every stroke,
# SIGKILL the editor, start it again, answer the offer with Restore (the
# default) and Save: record 0 of Stage.Dat then equals what was live, byte
# for byte. Then two editors on one folder: one started while the other
# runs (and keeps a copy) never offers the running one's copy.
#
# Usage: crash-recovery.sh STAGE-EDITOR EXAMPLES-FOLDER
# Every wait polls for a state with a generous bound; nothing relies on how
# long a step takes. Exits 77 (skipped) without Xvfb, xdotool or ImageMagick.
set -euo pipefail
editor=$(realpath "$1")
examples=$(realpath "$2")
export LC_ALL=C.UTF-8

# shellcheck source=../support/xvfb.sh
. "$(dirname "$0")/../support/xvfb.sh"
skip_without Xvfb xdotool import
start_workspace
others=()
trap 'for p in "${others[@]}"; do kill -9 "$p" 2>/dev/null || true; done; end_workspace' EXIT

fail() {
  echo "FAIL: $*" >&2
  for log in "$work"/editor*.log; do
    [ -s "$log" ] && { echo "--- $log" >&2; cat "$log" >&2; }
  done
  exit 1
}

require_xvfb

cp -r "$examples"/. "$work/"
export XDG_STATE_HOME="$work/state"
copies="$XDG_STATE_HOME/stage-editor"
app_title='铁履纵横 地图编辑器'
main_title="$app_title - Stage 00 (Training Ground)"

# start_editor LOG: an editor in the work folder; its process id in $started.
start_editor() {
  (cd "$work" && QT_QPA_PLATFORM=xcb exec "$editor" >"$work/$1" 2>&1) &
  started=$!
}
# Visible windows of process $1 titled exactly $2, one id a line.
windows_of() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$1" --name '.' 2>/dev/null || true); do
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$2" ] && echo "$w"
  done
  return 0
}
has_window() { [ -n "$(windows_of "$1" "$2")" ]; }
any_window_titled() {
  local w
  for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null || true); do
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] && return 0
  done
  return 1
}
# The colour of one screen pixel.
pixel() { import -window root -crop "1x1+$1+$2" txt:- 2>/dev/null | tail -n 1 | awk '{print $3}'; }
# Record $2 of file $1 (6000 bytes) into file $3.
record() { dd if="$1" of="$3" bs=6000 skip="$2" count=1 status=none; }
# The record a copy holds: its last 6000 bytes.
copy_record() { tail -c 6000 "$1" >"$2"; }
one_copy() {
  local found=("$copies"/*.recovery)
  [ "${#found[@]}" -eq 1 ] && [ -f "${found[0]}" ] && copy="${found[0]}"
}
# The copy holds every painted cell: FG code 24 (bytes 18 00).
copy_has_all_strokes() {
  one_copy || return 1
  copy_record "$copy" "$work/live.bin"
  local cell
  for cell in "${cells[@]}"; do
    read -r x y <<<"$cell"
    [ "$(od -An -tx1 -j $((3600 + 60 * x + 2 * y)) -N2 "$work/live.bin" | tr -d ' ')" = 1800 ] || return 1
  done
}

# --- 1. Paint, kill, restore, save.
start_editor editor1.log
first=$started
others+=("$first")
wait_until has_window "$first" "$main_title" || fail "the editor did not show stage 0"
main=$(windows_of "$first" "$main_title")
eval "$(xdotool getwindowgeometry --shell "$main")"
origin_x=$X origin_y=$Y
# The tool window stands at (13, 10): the pencil, then the brick brush (code 24).
xdotool mousemove 24 44 click 1
xdotool mousemove 47 152 click 1
# Field cells on open ground (no FG there in the examples' stage 0).
cells=("5 20" "20 21" "36 24" "12 26" "3 12")
for cell in "${cells[@]}"; do
  read -r x y <<<"$cell"
  xdotool mousemove $((origin_x + 16 * x + 8)) $((origin_y + 16 * y + 8)) click 1
done
wait_until copy_has_all_strokes || fail "no recovery copy with every stroke appeared in $copies"
record "$work/Stage.Dat" 0 "$work/before.bin"
cmp -s "$work/before.bin" "$work/live.bin" && fail "the copy holds the stage as it was"
kill -9 "$first"
wait "$first" 2>/dev/null || true

start_editor editor2.log
second=$started
others+=("$second")
wait_until has_window "$second" "$app_title" || fail "the restore question did not appear"
xdotool windowfocus "$(windows_of "$second" "$app_title" | head -n 1)" 2>/dev/null || true
xdotool key Return  # Restore, the default
wait_until has_window "$second" "$main_title" || fail "the restored stage 0 did not show"
wait_until one_copy || fail "the restored stage keeps no copy of its own"
xdotool mousemove 36 463 click 1  # Save
saved_as_live() {
  record "$work/Stage.Dat" 0 "$work/saved.bin"
  cmp -s "$work/saved.bin" "$work/live.bin"
}
wait_until saved_as_live || fail "record 0 of Stage.Dat is not the stage that was live: $(cmp "$work/saved.bin" "$work/live.bin")"
no_copies() { ! compgen -G "$copies/*.recovery" >/dev/null; }
wait_until no_copies || fail "the copy stayed after Save"

# --- 2. Two editors on one folder. The second editor paints: it keeps a copy.
xdotool mousemove 24 44 click 1   # the pencil
xdotool mousemove 47 176 click 1  # another brush: the cell changes again
xdotool mousemove $((origin_x + 16 * 3 + 8)) $((origin_y + 16 * 12 + 8)) click 1
wait_until one_copy || fail "the second editor keeps no copy"
kept=$copy
# Its windows are taken off the screen, so the third editor's first frame
# shows where nothing was drawn before.
for w in $(xdotool search --onlyvisible --pid "$second" --name '.' 2>/dev/null || true); do
  xdotool windowunmap --sync "$w" 2>/dev/null || true
done
watched_x=$((origin_x + 8)) watched_y=$((origin_y + 8))
blank=$(pixel "$watched_x" "$watched_y")
start_editor editor3.log
third=$started
others+=("$third")
drawn() { [ "$(pixel "$watched_x" "$watched_y")" != "$blank" ]; }
wait_until drawn || fail "the third editor drew no frame"
# The offer comes before the editor takes any input: once F8 has drawn the
# grid, no question was asked (a modal one would have held the key back).
column() { import -window root -crop "1x48+$((origin_x + 80))+$((origin_y + 96))" txt:- 2>/dev/null | md5sum; }
plain=$(column)
wait_until has_window "$third" "$main_title" || fail "the third editor shows no stage 0"
xdotool windowfocus --sync "$(windows_of "$third" "$main_title" | head -n 1)" 2>/dev/null || true
xdotool key F8
gridded() { [ "$(column)" != "$plain" ]; }
wait_until gridded || fail "the third editor took no keys: a question stood in the way"
any_window_titled "$app_title" && fail "the third editor offered the running editor's copy"
[ -f "$kept" ] || fail "the running editor's copy is gone"
echo "the stage came back byte for byte; a running editor's copy is never offered"
