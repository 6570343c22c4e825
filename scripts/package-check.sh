#!/usr/bin/env bash
# Builds the Debian package of a build (default build/) and checks it: its
# control fields and dependencies, that every file lands under /usr owned by
# root, that apt could install it here, and, unpacked into a scratch root
# with `dpkg -x`, the installed tree (tests/install/check-installed.sh:
# stagetool --help and list, the desktop entry, the MIME type, the manual
# pages, the icons, the editor). lintian must find no error and no warning,
# and the changelog's latest entry must be the package's version.
# Usage: package-check.sh [BUILD-DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack -G DEB failed" >&2
  exit 1
}
debs=("$work"/out/*.deb)
deb=${debs[0]}
[ -f "$deb" ] || { echo "FAIL: cpack made no .deb" >&2; exit 1; }
echo "package: $(basename "$deb") ($(stat -c %s "$deb") bytes)"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = stage-editor ] || fail "Package is \"$(field Package)\""
[ -n "$(field Version)" ] || fail "no Version"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Section)" ] || fail "no Section"
[ -n "$(field Description)" ] || fail "no Description"
depends=$(field Depends)
# The package names alone, one a line (no versions).
depended=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//')
# Qt and libjpeg (found by dpkg-shlibdeps from the programs' libraries) and
# the fonts the editor substitutes.
for needed in libqt6core6 libqt6gui6 libqt6widgets6 libjpeg62-turbo libstdc++6 \
  fonts-urw-base35 fonts-dejavu-core fonts-terminus-otb fonts-wqy-microhei; do
  grep -qxF "$needed" <<<"$depended" || fail "Depends lacks $needed: $depends"
done

# Every file under /usr, and owned by root.
while read -r mode owner _ _ _ path _; do
  case "$path" in
  ./ | ./usr/ | ./usr/*) ;;
  *) fail "$path lies outside /usr" ;;
  esac
  [ "$owner" = root/root ] || fail "$path is owned by $owner"
  [[ "$mode" != *w ]] || fail "$path is writable by everyone"
done < <(dpkg-deb -c "$deb")

# apt resolves every dependency from the archive it knows (a simulation:
# nothing is installed).
if command -v apt-get >/dev/null 2>&1; then
  apt-get install -s -q -o Debug::NoLocking=1 "$deb" >"$work/apt.log" 2>&1 || {
    cat "$work/apt.log" >&2
    fail "apt-get could not resolve the package's dependencies"
  }
fi

# Debian's own checks of the package: errors and warnings fail, notes pass.
if command -v lintian >/dev/null 2>&1; then
  lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1 || true
  if grep -E '^[EW]: ' "$work/lintian.log" >&2; then
    fail "lintian found errors or warnings"
  fi
else
  fail "lintian is not installed (scripts/deps.sh installs it)"
fi

dpkg -x "$deb" "$work/root"
changelog="$work/root/usr/share/doc/stage-editor/changelog.gz"
if [ -f "$changelog" ]; then
  latest=$(zcat "$changelog" | sed -n '1s/^stage-editor (\([^)]*\)).*/\1/p')
  [ "$latest" = "$(field Version)" ] || fail "the changelog's latest entry is ${latest:-unreadable}, the package $(field Version)"
else
  fail "the package has no changelog"
fi
bash "$root/tests/install/check-installed.sh" "$work/root/usr" "$root/examples" || fail "the unpacked package"

if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "package checked"
