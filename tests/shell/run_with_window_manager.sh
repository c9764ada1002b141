#!/usr/bin/env bash
# Runs a test program on a private X server with a window manager, the way
# the program meets a desktop: Xvfb on a free display, openbox on it.
# Exits 77 (skipped) when either is missing. Usage: run_with_window_manager.sh program [args]
set -u
command -v Xvfb >/dev/null && command -v openbox >/dev/null || exit 77
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
xvfb=$!
read -r -t 10 display <"$fifo"
rm -f "$fifo"
if [[ -z ${display:-} ]]; then
  kill "$xvfb" 2>/dev/null
  exit 77
fi
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# The window manager is up when it names its check window on the root.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done
"$@"
status=$?
kill "$wm" "$xvfb" 2>/dev/null
wait 2>/dev/null
exit "$status"
