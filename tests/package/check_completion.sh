#!/bin/bash
# The completion script loads, registers itself for tintwell-cli and completes
# options, filter numbers and batch formats as bash would ask for them.
# Usage: check_completion.sh COMPLETION_SCRIPT
set -u
script=$1
bash -n "$script" || { echo "FAIL: $script does not parse"; exit 1; }
# shellcheck source=/dev/null
source "$script"
function=$(complete -p tintwell-cli 2>/dev/null | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
[ -n "$function" ] || { echo "FAIL: no completion registered for tintwell-cli"; exit 1; }

failures=0
# Each case: the words typed so far (the last one being completed) | the
# completions expected, in order.
while IFS='|' read -r words expected; do
    read -r -a COMP_WORDS <<<"$words"
    [[ $words == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    "$function" tintwell-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    got="${COMPREPLY[*]}"
    if [ "$got" != "$expected" ]; then
        echo "FAIL: '$words' completes to '$got', expected '$expected'"
        failures=$((failures + 1))
    fi
done <<'EOF_CASES'
tintwell-cli --fi|--filter
tintwell-cli --output-dir out --fo|--format
tintwell-cli --filter 2|2 20 21 22 23 24
tintwell-cli --format p|png
tintwell-cli --format = jp|jpg jpeg
tintwell-cli --then --neg|--negative
EOF_CASES
[ "$failures" -eq 0 ] && echo "PASS"
[ "$failures" -eq 0 ]
