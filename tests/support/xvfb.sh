# Sourced by the test scripts that need a virtual display.

# skip_without PROGRAM...: ends the script as skipped (77) when one of the
# programs is not installed.
skip_without() {
  local program
  for program in "$@"; do
    if ! command -v "$program" >/dev/null 2>&1; then
      echo "SKIP: $program is not installed"
      exit 77
    fi
  done
}

# start_workspace: a scratch folder in $work, removed when the script ends,
# together with the editor ($editor_pid) and the server ($xvfb_pid) if they
# were started.
start_workspace() {
  work=$(mktemp -d)
  xvfb_pid=
  editor_pid=
  trap end_workspace EXIT
}

end_workspace() {
  [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}

# start_xvfb FOLDER: starts Xvfb on a display number it picks itself
# (-displayfd: the server takes the first free number under its own lock, so
# tests running side by side never race for one), sets DISPLAY and xvfb_pid.
# Returns 1 when no server came up within a minute.
start_xvfb() {
  local folder=$1 i
  : >"$folder/xvfb.display"
  # -noreset: when the last client goes (an editor killed on purpose), the
  # server would reset, and a client connecting meanwhile would fail.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$folder/xvfb.display" >"$folder/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for ((i = 0; i < 600; i++)); do
    if [ -s "$folder/xvfb.display" ]; then
      DISPLAY=":$(tr -dc '0-9' <"$folder/xvfb.display")"
      export DISPLAY
      return 0
    fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
  return 1
}

# require_xvfb: start_xvfb in $work, or fail the script with the server's log.
require_xvfb() {
  if ! start_xvfb "$work"; then
    echo "FAIL: Xvfb did not start:"
    cat "$work/xvfb.log"
    exit 1
  fi
}

# wait_until COMMAND...: polls the command until it succeeds, up to about two
# minutes; returns 1 then, or at once when the editor started as $editor_pid
# has ended (its output, $work/editor.log, goes to standard error).
wait_until() {
  local i
  for ((i = 0; i < 600; i++)); do
    if "$@"; then return 0; fi
    if [ -n "$editor_pid" ] && ! kill -0 "$editor_pid" 2>/dev/null; then
      echo "the editor ended; its output:" >&2
      cat "$work/editor.log" >&2 2>/dev/null || true
      return 1
    fi
    sleep 0.2
  done
  return 1
}
