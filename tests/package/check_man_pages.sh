#!/bin/sh
# Each manual page renders at 80 columns without a warning from man or groff.
# Usage: check_man_pages.sh PAGE...
set -u
failures=0
for page in "$@"; do
    warnings=$(MANWIDTH=80 man -l --warnings "$page" 2>&1 >/dev/null)
    status=$?
    if [ "$status" -ne 0 ] || [ -n "$warnings" ]; then
        echo "FAIL: $page (status $status): $warnings"
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ] && echo "PASS"
[ "$failures" -eq 0 ]
