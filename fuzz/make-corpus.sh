#!/usr/bin/env bash
# Regenerates the committed seed corpora (fuzz/corpus/<target>/) with the
# project's own seed generator, built with the normal compiler in build-fuzzdev.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-fuzzdev -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTINTWELL_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzzdev -j2 --target fuzz_seeds
build-fuzzdev/fuzz/fuzz_seeds fuzz/corpus/fuzz_engine fuzz/corpus/fuzz_image
du -sh fuzz/corpus/fuzz_engine fuzz/corpus/fuzz_image
