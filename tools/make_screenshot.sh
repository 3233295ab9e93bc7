#!/bin/sh
# Redraws docs/screenshot.png, docs/screenshot-compare.png and
# docs/screenshot-menu.png with the real window under Xvfb, and the filter
# gallery: docs/gallery/filter-NN.jpg and its table in README.md (between the
# gallery markers).
# Usage: tools/make_screenshot.sh BUILD_DIR   (after building tintwell_screenshot)
set -eu
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" \
    "$build/tools/tintwell_screenshot" "$root/docs"

table=$(QT_QPA_PLATFORM=offscreen "$build/tools/tintwell_screenshot" --gallery "$root/docs/gallery")
awk -v table="$table" '
    /<!-- gallery:end -->/ { skip = 0 }
    !skip { print }
    /<!-- gallery:start -->/ { print table; skip = 1 }
' "$root/README.md" > "$root/README.md.new"
mv "$root/README.md.new" "$root/README.md"
