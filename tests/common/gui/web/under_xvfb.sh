#!/usr/bin/env bash
# Runs a command on an X display of its own (Xvfb on the first free display number, no
# network), with the xcb platform, and ends the display with it.
#   under_xvfb.sh COMMAND [ARGUMENTS...]
set -euo pipefail
work=$(mktemp -d)
xvfb_pid=
cleanup() {
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -noreset -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 200); do [[ -s $work/display ]] && break; sleep 0.05; done
[[ -s $work/display ]] || { echo "under_xvfb: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
# No session bus: one that names none would be started through the display
# ("autolaunch"), and a web engine that forks for it while its threads run can leave the
# child hung and wait for it forever as it ends.
DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/tessal-no-session-bus \
  DISPLAY=:$(head -n1 "$work/display") QT_QPA_PLATFORM=xcb "$@"
