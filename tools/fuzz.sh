#!/bin/sh
# Builds the libFuzzer harnesses natively with clang (AddressSanitizer, UBSan)
# and runs each for the given number of seconds, 600 by default, with the
# given number of worker processes, 1 by default, over a fresh copy of its
# seed corpus: glsCallArray on arbitrary bytes (call_array), and the same
# with a capture open whose stream must replay into its own copy
# (capture_replay). What a run finds stays in build/fuzz, the seeds in the
# tree change only by hand. Crashing inputs land in
# build/fuzz/artifacts/<harness>/, the workers' logs in
# build/fuzz/logs/<harness>/. Ends with a failure status when either harness
# found something.
set -e
cd "$(dirname "$0")/.."
seconds=${1:-600}
workers=${2:-1}

CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPALISADE_FUZZ=ON
cmake --build build/fuzz -j 4 --target call_array_fuzzer capture_replay_fuzzer

status=0
for harness in call_array capture_replay; do
    corpus=build/fuzz/corpus/$harness
    artifacts=build/fuzz/artifacts/$harness
    rm -rf "$corpus"
    mkdir -p "$corpus" "$artifacts"
    cp tests/fuzz/corpus/$harness/* "$corpus"/
    echo "== $harness: $seconds s, $workers worker(s)"
    # Several workers run as jobs, each writing its own fuzz-<n>.log into
    # the directory it runs in: build/fuzz/logs/<harness>.
    parallel=
    [ "$workers" -le 1 ] || parallel="-jobs=$workers -workers=$workers"
    logs=build/fuzz/logs/$harness
    rm -rf "$logs"
    mkdir -p "$logs"
    top=$(pwd)
    (cd "$logs" && "$top/build/fuzz/tests/fuzz/${harness}_fuzzer" -max_total_time="$seconds" \
        -timeout=10 $parallel -print_final_stats=1 -artifact_prefix="$top/$artifacts/" \
        "$top/$corpus") || status=1
done
exit $status
