#!/usr/bin/env bash
# Times tintwell-cli on one 24-megapixel camera-like JPEG (6000 x 4000,
# quality 95, no chroma subsampling) written as JPEG, against
# `vips linear IN OUT.jpg[Q=100] 1 7`, which also writes 4:4:4 at Q=100.
#
#   bench/single-compare.sh [path/to/tintwell-cli] [scratch dir]
#
# The picture is made in the scratch dir on the first run and kept there. Each
# side runs five times, alternating; the script prints every time, the medians
# and the ratio CLI / vips. vips (libvips-tools) is only the yardstick here.
set -euo pipefail
# shellcheck source=bench/compare-runs.sh
. "$(dirname "$0")/compare-runs.sh"

here="$(cd "$(dirname "$0")/.." && pwd)"
cli="${1:-$here/build/release/cli/tintwell-cli}"
scratch="${2:-${TMPDIR:-/tmp}/tintwell-single-compare}"
runs=5

command -v vips >/dev/null || { echo "vips is needed for the comparison (apt-get install libvips-tools)" >&2; exit 2; }
[ -x "$cli" ] || { echo "no tintwell-cli at $cli (build it first)" >&2; exit 2; }
mkdir -p "$scratch"
input="$scratch/camera.jpg"

# Ramps over x and y plus per-channel Gaussian noise, as a photo's mix of
# smooth areas and fine detail.
if [ ! -s "$input" ]; then
    echo "making $input" >&2
    tmp="$(mktemp -d "$scratch/gen.XXXXXX")"
    vips xyz "$tmp/xy.v" 6000 4000
    vips extract_band "$tmp/xy.v" "$tmp/x.v" 0
    vips extract_band "$tmp/xy.v" "$tmp/y.v" 1
    vips add "$tmp/x.v" "$tmp/y.v" "$tmp/s.v"
    vips linear "$tmp/x.v" "$tmp/r.v" 0.03 20
    vips linear "$tmp/y.v" "$tmp/g.v" " -0.04" 210
    vips linear "$tmp/s.v" "$tmp/b.v" 0.02 10
    for band in r g b; do
        vips gaussnoise "$tmp/n$band.v" 6000 4000 --mean 0 --sigma 8
        vips add "$tmp/$band.v" "$tmp/n$band.v" "$tmp/${band}n.v"
    done
    vips bandjoin "$tmp/rn.v $tmp/gn.v $tmp/bn.v" "$tmp/rgb.v"
    vips cast "$tmp/rgb.v" "$tmp/u8.v" uchar
    vips copy "$tmp/u8.v" "$tmp/srgb.v" --interpretation srgb
    vips jpegsave "$tmp/srgb.v" "$input" --Q 95 --subsample-mode off
    rm -rf "$tmp"
fi


time_cli() {
    local start end
    rm -f "$scratch/out-cli.jpg"
    start=$(now)
    "$cli" --filter 0 --value 7 "$input" "$scratch/out-cli.jpg"
    end=$(now)
    elapsed "$start" "$end"
}

time_vips() {
    local start end
    rm -f "$scratch/out-vips.jpg"
    start=$(now)
    vips linear "$input" "$scratch/out-vips.jpg[Q=100]" 1 7
    end=$(now)
    elapsed "$start" "$end"
}

compare_runs "$runs" "tintwell-cli" time_cli "vips" time_vips 0.9
