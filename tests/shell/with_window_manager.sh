#!/bin/sh
# Runs a test program on its own virtual display with a window manager (openbox), where
# focus, stacking and window placement behave as on a desktop.
#   with_window_manager.sh PROGRAM [ARGS...]
set -u
pipe=$(mktemp -u)
mkfifo "$pipe"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$pipe" >/dev/null 2>&1 &
xvfb=$!
read -r number <"$pipe"
rm -f "$pipe"
export DISPLAY=":$number"
unset QT_QPA_PLATFORM
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
"$@"
status=$?
kill "$wm" "$xvfb" 2>/dev/null
wait "$wm" "$xvfb" 2>/dev/null
exit $status
