#!/usr/bin/env bash
# Checks an installed tree: PREFIX as given to `cmake --install`, or usr/ of
# an unpacked package. The two programs are in bin/ with their manual pages,
# the desktop entry, the stage file's MIME type and the icons are where
# desktops look for them and agree with each other, stagetool works from there
# on the examples, and, where Xvfb is at hand, the installed editor started as
# the desktop starts it on a stage file (the entry's Exec line, from another
# folder) shows stage 0 of that file.
#
# Usage: check-installed.sh PREFIX EXAMPLES-FOLDER
# The virtual display takes the first free number (tests/support/xvfb.sh).
set -euo pipefail
prefix=$(realpath "$1")
examples=$(realpath "$2")
export LC_ALL=C.UTF-8
app_id=stage-editor
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# shellcheck source=../support/xvfb.sh
. "$(dirname "$0")/../support/xvfb.sh"
start_workspace

for program in stage-editor stagetool; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is missing or not executable"
done
if command -v ldd >/dev/null 2>&1 && [ -x "$prefix/bin/stage-editor" ]; then
  missing=$(ldd "$prefix/bin/stage-editor" "$prefix/bin/stagetool" 2>&1 | grep 'not found' || true)
  [ -z "$missing" ] || fail "libraries not found: $missing"
fi

# The desktop entry names a program that is installed and an icon that is,
# and opens the stage file's MIME type; the validator has nothing to say.
entry="$prefix/share/applications/$app_id.desktop"
value_of() { sed -n "s/^$1=//p" "$entry" | head -1; }
mime_xml="$prefix/share/mime/packages/$app_id.xml"
if [ -f "$entry" ]; then
  [ "$(value_of Type)" = Application ] || fail "the desktop entry is not an application"
  [ -n "$(value_of Name)" ] || fail "the desktop entry has no Name"
  [ -n "$(value_of 'Name\[zh_CN\]')" ] || fail "the desktop entry has no Name[zh_CN] (the program's title)"
  exec_line=$(value_of Exec)
  [ -x "$prefix/bin/${exec_line%% *}" ] || fail "the desktop entry runs \"$exec_line\", which is not in bin/"
  [[ "$exec_line" == *' %f' ]] || fail "the desktop entry's Exec \"$exec_line\" does not pass the file it opens"
  [ "$(value_of Icon)" = "$app_id" ] || fail "the desktop entry's Icon is \"$(value_of Icon)\", not $app_id"
  if command -v desktop-file-validate >/dev/null 2>&1; then
    report=$(desktop-file-validate "$entry" 2>&1 || true)
    [ -z "$report" ] || fail "desktop-file-validate: $report"
  fi
else
  fail "share/applications/$app_id.desktop is missing"
fi

# The MIME type knows the stage file by its name in any letter case, and no
# other .dat file; the entry opens that type.
if [ -f "$mime_xml" ]; then
  mime_type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$mime_xml")
  grep -q "^MimeType=$mime_type;\$" "$entry" || fail "the desktop entry does not open $mime_type"
  if command -v update-mime-database >/dev/null 2>&1 && command -v gio >/dev/null 2>&1; then
    mkdir -p "$work/xdg/mime/packages" "$work/typed"
    cp "$mime_xml" "$work/xdg/mime/packages/"
    update-mime-database "$work/xdg/mime" >/dev/null 2>&1 || fail "update-mime-database refused $mime_xml"
    for name in Stage.Dat STAGE.DAT stage.dat other.dat; do
      head -c 6000 /dev/zero >"$work/typed/$name"
      typed=$(XDG_DATA_HOME="$work/xdg" XDG_DATA_DIRS="$work/xdg" gio info -a standard::content-type \
        "$work/typed/$name" | sed -n 's/.*content-type: //p')
      expected=$mime_type
      [ "$name" = other.dat ] && expected=application/octet-stream
      [ "$typed" = "$expected" ] || fail "$name is typed $typed, not $expected"
    done
  fi
else
  fail "share/mime/packages/$app_id.xml is missing"
fi

# A manual page for each program, and stagetool's names every command.
for program in stage-editor stagetool; do
  [ -f "$prefix/share/man/man1/$program.1.gz" ] || fail "the manual page of $program is missing"
done

# The icons: PNG with an alpha channel, each of the size its folder names.
for size in 32 48 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
  if [ ! -f "$icon" ]; then
    fail "the ${size}x$size icon is missing"
    continue
  fi
  # Signature, then IHDR: width and height (big-endian), depth, colour type.
  # shellcheck disable=SC2207  # od prints plain numbers
  header=($(od -An -tu1 -N26 "$icon"))
  width=$(((header[16] << 24) | (header[17] << 16) | (header[18] << 8) | header[19]))
  height=$(((header[20] << 24) | (header[21] << 16) | (header[22] << 8) | header[23]))
  if [ "${header[1]}${header[2]}${header[3]}" != 807871 ] || [ "$width" != "$size" ] || [ "$height" != "$size" ] ||
    [ "${header[25]}" != 6 ]; then
    fail "the ${size}x$size icon is not a ${size}x$size RGBA PNG (${width}x$height, colour type ${header[25]})"
  fi
  # Decoded whole (ImageMagick, where present): it reads, and is see-through
  # around the badge.
  if command -v identify >/dev/null 2>&1; then
    opaque=$(identify -regard-warnings -format '%[opaque]' "$icon" 2>&1) || fail "the ${size}x$size icon does not decode: $opaque"
    [ "$opaque" = false ] || fail "the ${size}x$size icon has no transparent pixels"
  fi
done

# stagetool from the installed tree, in a folder of its own.
cp -r "$examples"/. "$work/"
cd "$work"
if usage=$("$prefix/bin/stagetool" --help) && grep -q '^usage:' <<<"$usage" && grep -q 'stagetool list' <<<"$usage"; then
  :
else
  fail "stagetool --help did not print its usage with status 0"
fi
if [ -f "$prefix/share/man/man1/stagetool.1.gz" ]; then
  page=$(zcat "$prefix/share/man/man1/stagetool.1.gz")
  for command in $(sed -n 's/^  stagetool \([a-z-]*\).*/\1/p' <<<"$usage"); do
    grep -q "^\.B $command\b" <<<"$page" || fail "the manual page of stagetool does not describe $command"
  done
fi
listing=$("$prefix/bin/stagetool" list) || fail "stagetool list failed on the examples"
records=$(($(stat -c %s Stage.Dat) / 6000))
[ "$(grep -c . <<<"$listing")" = "$records" ] || fail "stagetool list gave $(grep -c . <<<"$listing") lines for $records stages"

# The installed editor on a virtual display, started as a file manager starts
# it on the copy's stage file: the entry's Exec line with %f, from another
# folder. Its title names stage 0's caption, read from that file.
# Waits poll with a generous bound; nothing relies on how long a step takes.
if command -v Xvfb >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1 && [ -x "$prefix/bin/stage-editor" ]; then
  start_xvfb "$work" || true
  if [ -n "$xvfb_pid" ]; then
    caption=$(head -1 <<<"$listing" | cut -f 2)
    title="$(value_of 'Name\[zh_CN\]') - Stage 00 ($caption)"
    pattern="^$(sed 's/[][\\.*^$()+?{}|]/\\&/g' <<<"$title")\$"
    read -r -a command_line <<<"${exec_line/\%f/$work/Stage.Dat}"
    command_line[0]="$prefix/bin/${command_line[0]}"
    mkdir -p "$work/elsewhere"
    (cd "$work/elsewhere" && QT_QPA_PLATFORM=xcb exec "${command_line[@]}") >"$work/editor.log" 2>&1 &
    editor_pid=$!
    shows_title() { [ -n "$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null || true)" ]; }
    if ! wait_until shows_title; then
      fail "the installed editor, run as \"${command_line[*]}\", showed no window titled \"$title\"; its output:"
      cat "$work/editor.log" >&2
    fi
  else
    fail "no free display for Xvfb"
  fi
else
  echo "note: Xvfb or xdotool missing, the installed editor was not started"
fi

if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "installed tree in $1 complete"
