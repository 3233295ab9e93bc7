#!/bin/sh
# Help and version of both programs print and exit with status 0 where there
# is no display at all (no DISPLAY, no WAYLAND_DISPLAY, no platform chosen).
# Usage: check_text_options.sh TINTWELL TINTWELL_CLI
set -u
failures=0
for command in "$1 --version" "$1 --help" "$1 --help-all" "$2 --help" "$2 --help-all" "$2 --version"; do
    # shellcheck disable=SC2086 # the command is a program and one option
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= $command 2>/dev/null)
    status=$?
    if [ "$status" -ne 0 ] || [ -z "$out" ]; then
        echo "FAIL: '$command' without a display exited with $status, printing '$out'"
        failures=$((failures + 1))
    fi
done
out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$1" --help-all 2>/dev/null)
case $out in
    *--platform*) ;;
    *) echo "FAIL: tintwell --help-all does not list Qt's own options"; failures=$((failures + 1)) ;;
esac
[ "$failures" -eq 0 ] && echo "PASS"
[ "$failures" -eq 0 ]
