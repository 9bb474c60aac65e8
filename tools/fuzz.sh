#!/bin/sh
# Builds the glsCallArray fuzzer natively with clang (AddressSanitizer, UBSan)
# and runs it for the given number of seconds, 600 by default, over a fresh
# copy of the seed corpus: what a run finds stays in build/fuzz, the seeds in
# the tree change only by hand. Crashing inputs land in build/fuzz/artifacts.
set -e
cd "$(dirname "$0")/.."
seconds=${1:-600}

CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPALISADE_FUZZ=ON
cmake --build build/fuzz -j "$(nproc)" --target call_array_fuzzer

corpus=build/fuzz/corpus/call_array
rm -rf "$corpus"
mkdir -p "$corpus" build/fuzz/artifacts
cp tests/fuzz/corpus/call_array/* "$corpus"/
build/fuzz/tests/fuzz/call_array_fuzzer -max_total_time="$seconds" -timeout=10 \
    -print_final_stats=1 -artifact_prefix=build/fuzz/artifacts/ "$corpus"
