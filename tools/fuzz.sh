#!/bin/sh
# Builds the libFuzzer harnesses natively with clang (AddressSanitizer, UBSan)
# and runs each for the given number of seconds, 600 by default, with the
# given number of worker processes, 1 by default, over a fresh copy of its
# seed corpus in tests/fuzz/corpus/<harness>:
#   call_array      glsCallArray on arbitrary bytes, binary of either order
#   capture_replay  the same with a capture open whose stream must replay
#                   into its own copy
#   stream          the stream reader through the read function: text and
#                   binary sections of either byte order, one after another
#   text_array      glsCallArray of text
# Further arguments name the harnesses to run, all by default:
#
#     sh tools/fuzz.sh [seconds [workers [harness...]]]
#
# What a run finds stays in build/fuzz, the seeds in the tree change only by
# hand. Crashing inputs land in build/fuzz/artifacts/<harness>/, the workers'
# logs in build/fuzz/logs/<harness>/. Ends with a failure status when any
# harness found something.
set -e
cd "$(dirname "$0")/.."
seconds=${1:-600}
workers=${2:-1}
[ $# -gt 2 ] && shift 2 || set --
harnesses=${*:-call_array capture_replay stream text_array}

CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPALISADE_FUZZ=ON
targets=
for harness in $harnesses; do targets="$targets ${harness}_fuzzer"; done
cmake --build build/fuzz -j 4 --target $targets

status=0
for harness in $harnesses; do
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
        -timeout=10 -rss_limit_mb=4096 $parallel -print_final_stats=1 \
        -artifact_prefix="$top/$artifacts/" "$top/$corpus") || status=1
done
exit $status
