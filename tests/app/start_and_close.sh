#!/bin/sh
# Run inside xvfb-run: starts the real tintwell on the X server, waits for its
# window to show, closes it like a window manager would and expects the
# program to end by itself with status 0. Every wait is bounded.
# With a PICTURE, starts "tintwell PICTURE" and expects the window's title to
# start with TITLE_PREFIX (the picture's name): the command-line open path.
# Usage: start_and_close.sh TINTWELL CLOSE_WINDOW_HELPER [PICTURE TITLE_PREFIX]
set -u
app=$1
closer=$2
picture=${3:-}
title=Tintwell
[ -n "$picture" ] && title="$4*"
if [ ! -x "$app" ] || [ ! -x "$closer" ]; then
    echo "FAIL: $app or $closer is not built"
    exit 1
fi

if [ -n "$picture" ]; then
    QT_QPA_PLATFORM=xcb "$app" "$picture" &
else
    QT_QPA_PLATFORM=xcb "$app" &
fi
pid=$!

if ! "$closer" "$title" 60; then
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    echo "FAIL: the window did not show"
    exit 1
fi

# Give the program up to 30 s to leave its event loop.
tries=0
while kill -0 "$pid" 2>/dev/null; do
    tries=$((tries + 1))
    if [ "$tries" -gt 300 ]; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        echo "FAIL: the program did not end after its window was closed"
        exit 1
    fi
    sleep 0.1
done
wait "$pid"
status=$?
if [ "$status" -ne 0 ]; then
    echo "FAIL: the program ended with status $status"
    exit 1
fi
echo "PASS: window shown, closed, exit status 0"
