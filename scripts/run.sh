#!/usr/bin/env bash
# Installs what is missing, builds Tintwell and starts it. Extra arguments go
# to the app (for example a picture to open).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target tintwell tintwell-cli
exec build/release/app/tintwell "$@"
