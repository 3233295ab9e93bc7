# Shared by the comparison scripts in bench/: times two commands alternately
# and prints every time, the medians and their ratio against a target.
#   compare_runs RUNS "LABEL A" time_a "LABEL B" time_b TARGET
# time_a and time_b are functions that run one command and print its seconds.

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f\n", b - a }'; }
median() { printf '%s\n' "$@" | sort -g | sed -n "$(( ($# + 1) / 2 ))p"; }

compare_runs() {
    local runs=$1 label_a=$2 time_a=$3 label_b=$4 time_b=$5 target=$6
    local a_times=() b_times=()
    echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
    for _ in $(seq 1 "$runs"); do
        a_times+=("$($time_a)")
        b_times+=("$($time_b)")
    done
    echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"
    local a_median b_median
    a_median=$(median "${a_times[@]}")
    b_median=$(median "${b_times[@]}")
    echo "$label_a runs (s): ${a_times[*]}"
    echo "$label_b runs (s): ${b_times[*]}"
    printf 'median %s: %.3f s\n' "$label_a" "$a_median"
    printf 'median %s: %.3f s\n' "$label_b" "$b_median"
    awk -v a="$a_median" -v b="$b_median" -v t="$target" \
        'BEGIN { printf "ratio: %.3f (target <= %s)\n", a / b, t }'
}
