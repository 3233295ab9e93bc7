#!/bin/sh
# Redraws docs/screenshot.png, docs/screenshot-compare.png and
# docs/screenshot-menu.png with the real window under Xvfb.
# Usage: tools/make_screenshot.sh BUILD_DIR   (after building tintwell_screenshot)
set -eu
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" \
    "$build/tools/tintwell_screenshot" "$root/docs"
