#!/usr/bin/env bash
# Times tintwell-cli --output-dir over eight 12-megapixel JPEGs against the same
# eight files through `vips linear IN OUT.jpg[Q=100] 1 7` in a shell loop.
#
#   bench/batch-compare.sh [path/to/tintwell-cli] [scratch dir]
#
# The pictures (4000 x 3000, smooth gradients plus noise, JPEG quality 90) are
# made in the scratch dir on the first run and kept there. Each side runs three
# times; the script prints every time, the medians and the ratio CLI / loop.
# vips (libvips-tools) is only the yardstick here, not a dependency.
set -euo pipefail
# shellcheck source=bench/compare-runs.sh
. "$(dirname "$0")/compare-runs.sh"

here="$(cd "$(dirname "$0")/.." && pwd)"
cli="${1:-$here/build-cli/cli/tintwell-cli}"
scratch="${2:-${TMPDIR:-/tmp}/tintwell-batch-compare}"
runs=3
count=8

command -v vips >/dev/null || { echo "vips is needed for the comparison (apt-get install libvips-tools)" >&2; exit 2; }
[ -x "$cli" ] || { echo "no tintwell-cli at $cli (build it first)" >&2; exit 2; }

inputs="$scratch/in"
mkdir -p "$inputs" "$scratch/out-cli" "$scratch/out-loop"

# Picture i: three channels of linear ramps over x and y with their own slopes,
# plus independent Gaussian noise per channel, clipped to bytes.
make_picture() {
    local i=$1 target=$2 tmp
    tmp="$(mktemp -d "$scratch/gen.XXXXXX")"
    vips xyz "$tmp/xy.v" 4000 3000
    vips extract_band "$tmp/xy.v" "$tmp/x.v" 0
    vips extract_band "$tmp/xy.v" "$tmp/y.v" 1
    vips add "$tmp/x.v" "$tmp/y.v" "$tmp/s.v"
    # Ramps of about 200 levels across the picture, each file its own.
    vips linear "$tmp/x.v" "$tmp/r.v" "0.0$((40 + i))" "$((10 + 3 * i))"
    vips linear "$tmp/y.v" "$tmp/g.v" " -0.0$((50 + i))" "$((220 - 2 * i))"
    vips linear "$tmp/s.v" "$tmp/b.v" "0.02$((6 + i % 3))" "$((20 + i))"
    local band
    for band in r g b; do
        vips gaussnoise "$tmp/n$band.v" 4000 3000 --mean 0 --sigma $((6 + i))
        vips add "$tmp/$band.v" "$tmp/n$band.v" "$tmp/${band}n.v"
    done
    vips bandjoin "$tmp/rn.v $tmp/gn.v $tmp/bn.v" "$tmp/rgb.v"
    vips cast "$tmp/rgb.v" "$tmp/u8.v" uchar
    vips copy "$tmp/u8.v" "$tmp/srgb.v" --interpretation srgb
    vips jpegsave "$tmp/srgb.v" "$target" --Q 90
    rm -rf "$tmp"
}

files=()
for i in $(seq 1 $count); do
    f="$inputs/photo$i.jpg"
    if [ ! -s "$f" ]; then
        echo "making $f" >&2
        make_picture "$i" "$f"
    fi
    files+=("$f")
done


time_cli() {
    rm -f "$scratch"/out-cli/*
    local start end
    start=$(now)
    "$cli" --output-dir "$scratch/out-cli" --filter 0 --value 7 "${files[@]}"
    end=$(now)
    elapsed "$start" "$end"
}

time_loop() {
    rm -f "$scratch"/out-loop/*
    local start end f
    start=$(now)
    for f in "${files[@]}"; do
        vips linear "$f" "$scratch/out-loop/$(basename "$f" .jpg).jpg[Q=100]" 1 7
    done
    end=$(now)
    elapsed "$start" "$end"
}

compare_runs "$runs" "tintwell-cli --output-dir" time_cli "vips loop" time_loop 0.75
