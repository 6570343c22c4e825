#!/usr/bin/env bash
# Runs the fuzz targets of tests/fuzz/FuzzTargets.cmake for a fixed time
# each: builds them with clang, libFuzzer and the sanitizers into build-fuzz/
# (only the libraries they need), starts each from its seeds and dictionary,
# and keeps what it finds in build-fuzz/corpus/NAME (which grows from run to
# run) and build-fuzz/crashes/NAME. Exit status 1 when a target crashed or
# broke one of its properties.
#
#   bash scripts/fuzz.sh [SECONDS [NAME...]]    # default 40 seconds each, every target
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-40}
shift || true
dir=${STAGE_FUZZ_BUILD:-$root/build-fuzz}
"$root/scripts/build.sh" "$dir" -DCMAKE_CXX_COMPILER=clang++ -DSTAGE_FUZZ=ON -DSTAGE_BUILD_BENCH=OFF \
  -DSTAGE_WERROR=ON --target fuzz-targets
export QT_QPA_PLATFORM=offscreen
# Leaks of a fuzzed run are the libraries' (Qt keeps its caches); crashes and
# undefined behaviour are what is looked for.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1

failed=0
started=$SECONDS
while IFS='|' read -r name dict seeds; do
  if (($#)) && [[ " $* " != *" $name "* ]]; then
    continue
  fi
  corpus=$dir/corpus/$name
  crashes=$dir/crashes/$name
  start=$dir/seeds/$name
  rm -rf "$start"
  mkdir -p "$corpus" "$crashes" "$start"
  i=0
  for seed in $seeds; do
    while IFS= read -r -d '' file; do
      cp "$file" "$start/$((i++))-$(basename "$file")"
    done < <(find "$seed" -type f -print0)
  done
  args=(-max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=2048
        -artifact_prefix="$crashes/" -print_final_stats=1)
  [ -n "$dict" ] && args+=(-dict="$dict")
  log=$dir/$name.log
  if "$dir/fuzz-$name" "${args[@]}" "$corpus" "$start" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz $name: ${runs:-?} inputs in ${seconds} s, no crash"
  else
    failed=1
    tail -n 40 "$log"
    echo "fuzz $name: crashed; the input is in $crashes (once mended, keep it in tests/fuzz/$name/crashes)"
  fi
done <"$dir/fuzz-targets.txt"
echo "fuzzing took $((SECONDS - started)) s"
exit $failed
