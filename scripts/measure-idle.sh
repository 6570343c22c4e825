#!/usr/bin/env bash
# Measures what two builds of the editor cost while the designer does
# nothing, on the animated example stage 0, in one sitting on a virtual
# display: processor time of the editor (all its threads, from
# /proc/PID/task/*/schedstat, in nanoseconds) and of the X server over the
# same window, and the voluntary context switches of the editor's main thread
# (every sleep it ends, also the short waits on the X server while a frame
# is shown). The builds take turns, so a machine that gets busier meanwhile
# weighs on both alike; medians and ranges follow. Last, each build's probe
# (stage-editor-probe with STAGE_PROBE_IDLE=1) counts the frame timer's
# wakeups and the frames it draws per second, where the build knows how.
#
# Usage: measure-idle.sh BEFORE_BUILD [AFTER_BUILD]   (AFTER_BUILD: build/)
# Each build folder holds stage-editor (and stage-editor-probe). A build of
# another commit, for instance main:
#   git worktree add /tmp/before main
#   bash /tmp/before/scripts/build.sh /tmp/before/build --target stage-editor --target stage-editor-probe
#   bash scripts/measure-idle.sh /tmp/before/build
# RUNS (default 5) runs of RUN_SECONDS (default 60) each per build; PROBE_SECONDS
# (default 20); DISPLAY_NUMBER picks the virtual display (default: a free one
# from 70 up). Other work on the machine shows in the load averages printed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
before=$(cd "${1:?usage: measure-idle.sh BEFORE_BUILD [AFTER_BUILD]}" && pwd)
after=$(cd "${2:-$root/build}" && pwd)
runs=${RUNS:-5}
seconds=${RUN_SECONDS:-60}
probe_seconds=${PROBE_SECONDS:-20}
for build in "$before" "$after"; do
  [ -x "$build/stage-editor" ] || { echo "no stage-editor in $build" >&2; exit 2; }
done

scratch=$(mktemp -d)
number=${DISPLAY_NUMBER:-}
if [ -z "$number" ]; then
  number=70
  while [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
fi
# -noreset: the server would reset when the last editor of a run goes, and
# the next run could find it gone.
Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xserver=$!
editor=
cleanup() {
  [ -n "$editor" ] && kill "$editor" 2>/dev/null || true
  kill "$xserver" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
export DISPLAY=:$number
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# Nanoseconds on a processor, all threads of the process.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%d\n", sum }'; }
# The main thread's voluntary context switches: each is one sleep ended.
switches() { awk '/^voluntary_ctxt_switches/ { print $2 }' /proc/"$1"/task/"$1"/status; }
now_ns() { date +%s%N; }

# A fresh copy of the examples and a state folder of its own, so no run is
# offered another's recovery copy.
fresh_game() {
  local game=$scratch/game-$1
  rm -rf "$game" "$scratch/state-$1"
  cp -r "$root/examples" "$game"
  echo "$game"
}

# Starts PROGRAM in a fresh game folder and waits for its main window.
start_editor() {
  local program=$1 tag=$2 game
  game=$(fresh_game "$tag")
  (cd "$game" && XDG_STATE_HOME=$scratch/state-$tag exec "$program" . >"$scratch/out-$tag" 2>&1) &
  editor=$!
  for _ in $(seq 200); do
    xdotool search --pid "$editor" --name "Stage [0-9][0-9]" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "the editor $program did not show its window" >&2
  return 1
}

stop_editor() {
  kill "$editor" 2>/dev/null || true
  wait "$editor" 2>/dev/null || true
  editor=
}

# One run: "EDITOR_PERCENT XSERVER_PERCENT SWITCHES_PER_SECOND".
measure_run() {
  start_editor "$1/stage-editor" run
  sleep 3  # the first frames and the folder watch settle
  local c0 x0 w0 t0 c1 x1 w1 t1
  c0=$(cpu_ns "$editor") x0=$(cpu_ns "$xserver") w0=$(switches "$editor") t0=$(now_ns)
  sleep "$seconds"
  c1=$(cpu_ns "$editor") x1=$(cpu_ns "$xserver") w1=$(switches "$editor") t1=$(now_ns)
  stop_editor
  awk -v c="$((c1 - c0))" -v x="$((x1 - x0))" -v w="$((w1 - w0))" -v t="$((t1 - t0))" \
    'BEGIN { printf "%.3f %.3f %.1f\n", 100 * c / t, 100 * x / t, w * 1e9 / t }'
}

# Median and range of the numbers on standard input.
summary() {
  sort -g | awk '{ v[NR] = $1 } END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "median %.3f (%.3f to %.3f)", m, v[1], v[NR] }'
}

echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "before: $before"
echo "after:  $after"
printf '%-4s %-7s %14s %14s %12s\n' run build "editor %core" "X %core" switches/s
: >"$scratch/results"
for run in $(seq "$runs"); do
  for name in before after; do
    build=$before
    [ "$name" = after ] && build=$after
    measure_run "$build" >"$scratch/run"
    read -r cpu xcpu switched <"$scratch/run"
    printf '%-4s %-7s %14s %14s %12s\n' "$run" "$name" "$cpu" "$xcpu" "$switched"
    echo "$name $cpu $xcpu $switched" >>"$scratch/results"
  done
done
for name in before after; do
  echo "$name, $runs runs of $seconds s:"
  echo "  editor:    $(awk -v n="$name" '$1 == n { print $2 }' "$scratch/results" | summary) % of a core"
  echo "  X server:  $(awk -v n="$name" '$1 == n { print $3 }' "$scratch/results" | summary) % of a core"
  echo "  switches:  $(awk -v n="$name" '$1 == n { print $4 }' "$scratch/results" | summary) a second"
done

# The probe's reports: "frames N in T ms, wakeups W"; the first two
# (start-up) are left out.
for name in before after; do
  build=$before
  [ "$name" = after ] && build=$after
  if [ ! -x "$build/stage-editor-probe" ]; then
    echo "$name probe: no stage-editor-probe in $build"
    continue
  fi
  game=$(fresh_game probe)
  (cd "$game" && STAGE_PROBE_IDLE=1 XDG_STATE_HOME=$scratch/state-probe \
    timeout "$((probe_seconds + 3))" "$build/stage-editor-probe" . >"$scratch/probe" 2>/dev/null) || true
  awk -v n="$name" '/^frames [0-9]+ in [0-9]+ ms/ && ++seen > 2 {
      frames += $2; ms += $4
      if ($0 ~ /wakeups/) { woken += $7; counted = 1 }
    }
    END {
      if (ms == 0) { printf "%s probe: no reports\n", n; exit }
      if (!counted) { printf "%s probe: %.1f frames a second (the build draws every frame and counts no wakeups)\n", n, frames * 1000 / ms; exit }
      printf "%s probe: %.1f wakeups and %.1f frames drawn a second\n", n, woken * 1000 / ms, frames * 1000 / ms
    }' "$scratch/probe"
done
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
