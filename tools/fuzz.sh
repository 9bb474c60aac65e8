#!/bin/sh
# Builds the codec's libFuzzer harnesses natively with clang (AddressSanitizer,
# UBSan) and runs each for the given number of seconds, 600 by default, over
# a fresh copy of its seed corpus in tests/fuzz/corpus/<harness>: what a run
# finds stays in build/fuzz, the seeds in the tree change only by hand.
# Crashing inputs land in build/fuzz/artifacts/<harness>/. The harnesses run
# one after another, each with at most FUZZ_WORKERS (default 2) processes.
#
#     sh tools/fuzz.sh [seconds] [harness...]
#
# Harnesses: call_array (glsCallArray of binary records), stream (the stream
# reader through the read function, text and both binary orders),
# text_array (glsCallArray of text).
set -e
cd "$(dirname "$0")/.."
seconds=${1:-600}
[ $# -gt 0 ] && shift
harnesses=${*:-call_array stream text_array}
workers=${FUZZ_WORKERS:-2}

CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPALISADE_FUZZ=ON
for h in $harnesses; do
    cmake --build build/fuzz -j 4 --target "${h}_fuzzer"
done

for h in $harnesses; do
    corpus=build/fuzz/corpus/$h
    artifacts=build/fuzz/artifacts/$h/
    rm -rf "$corpus"
    mkdir -p "$corpus" "$artifacts"
    cp tests/fuzz/corpus/"$h"/* "$corpus"/
    echo "== $h: $seconds s"
    build/fuzz/tests/fuzz/"${h}"_fuzzer -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
        -fork="$workers" -print_final_stats=1 -artifact_prefix="$artifacts" \
        "$corpus"
done
