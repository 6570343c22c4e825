#!/usr/bin/env bash
# The whole test suite: a normal build and an AddressSanitizer +
# UndefinedBehaviorSanitizer build, each run through CTest on the offscreen
# window platform (both replay the fuzz targets' seeds and saved crash
# inputs), the Debian package of the normal build, and last the fuzz targets
# themselves, 40 seconds each (scripts/fuzz.sh). Every build treats compiler
# warnings as errors; first of all the C++ files must be laid out as
# .clang-format says (scripts/check-format.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/check-format.sh"
export QT_QPA_PLATFORM=offscreen
"$root/scripts/build.sh" "$root/build" -DSTAGE_WERROR=ON
(cd "$root/build" && ctest --output-on-failure -j2)
"$root/scripts/package-check.sh" "$root/build"
"$root/scripts/build.sh" "$root/build-asan" -DSTAGE_SANITIZE=ON -DSTAGE_BUILD_BENCH=OFF -DSTAGE_WERROR=ON
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions="$root/tests/lsan.supp" ctest --output-on-failure -j2)
"$root/scripts/fuzz.sh" 40
