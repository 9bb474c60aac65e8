#!/bin/sh
# Builds Palisade for x86-64 and i686 Windows and the portable codec natively,
# then runs every test: the native ones under AddressSanitizer and
# UndefinedBehaviorSanitizer, the Windows ones under Wine, each architecture in
# its own Xvfb display and Wine prefix, the three suites at once. i686 Windows
# programs run as tools/i686-road.sh says this machine can: natively, under
# qemu-user (slow: a time-out per test program, and the tests that race
# threads or open the common file dialog left out), or not at all (the i686
# build and its static checks still run). Prints how long each stage took and fails when anything that
# ran failed, or when a decoy named like a test program (tools/decoys.sh) did
# not live through the tests.
set -e
cd "$(dirname "$0")/.."
. tools/decoys.sh
trap end_decoys EXIT
start=$(date +%s)
last=$start
stage() {
    now=$(date +%s)
    echo "== $1: $((now - last)) s (total $((now - start)) s)"
    last=$now
}

sh tools/setup.sh
road=$(sh tools/i686-road.sh)
stage "setup (i686 road: $road)"

jobs=$(nproc)
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug
cmake --build build/native -j "$jobs"
for arch in x86_64 i686; do
    cmake -S . -B "build/$arch" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-$arch-w64-mingw32.cmake"
    cmake --build "build/$arch" -j "$jobs"
done
stage "build (native, x86_64, i686)"

logs=build/test-logs
rm -rf "$logs"; mkdir -p "$logs"
# Runs one suite in the background of the caller, its output kept for later.
suite() { # name command...
    name=$1; shift
    t0=$(date +%s)
    if "$@" >"$logs/$name" 2>&1; then s=passed; else s=FAILED; fi
    echo "$s in $(($(date +%s) - t0)) s" >"$logs/$name.status"
}
native_tests() ( cd build/native && ctest --output-on-failure -j "$jobs" )
windows_tests() ( # arch ctest-args...
    [ "$1" != i686 ] || [ -z "$i686_filter" ] || export GTEST_FILTER="$i686_filter"
    [ "$1" != i686 ] || [ -z "$i686_bound" ] || export PALISADE_PROGRAM_BOUND="$i686_bound"
    cd "build/$1" && shift && xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure "$@"
)

# The i686 tests' names, sorted, into FILE: all, or those ctest-args select.
i686_tests() { # file ctest-args...
    out=$1; shift
    (cd build/i686 && ctest -N "$@" | sed -n 's/^ *Test *#[0-9]*: //p' | LC_ALL=C sort) >"$out"
}

skipped= i686_filter= i686_bound=
case "$road" in
native)
    i686_args="-j 4 --timeout 600" ;;
emulated)
    # What 32-bit Wine under qemu-user cannot be trusted with is left out:
    # threads racing each other (qemu-user keeps one table of TLS descriptors
    # for all of a process's threads, the last set up winning, from which
    # Wine reloads %fs and %gs in its signal handlers and its GL start-up: a
    # thread then runs on with another's TEB and stack) and the common file
    # dialog (which never opened there). Every other test runs.
    i686_filter="-Names.RacingFirstUsersBuildOneSet"
    # Named as those the label leaves out of all, not as those it selects:
    # ctest adds to a selection the fixtures its tests need, which run anyway.
    i686_tests "$logs/i686.all"
    i686_tests "$logs/i686.run" -LE 'threads|dialogs'
    echo "left out under qemu-user, whose threads share one table of TLS descriptors: $i686_filter and the tests labelled threads or dialogs ($(comm -23 "$logs/i686.all" "$logs/i686.run" | tr '\n' ' ' | sed 's/ $//'))" \
        >"$logs/i686.note"
    i686_args="-j 4 --timeout 1800 -LE threads|dialogs"
    # A program's start there takes about a minute, several beside a load:
    # a program is taken for hung after 420 s, four in a row within ctest's
    # bound.
    i686_bound=420 ;;
none)
    i686_args="-L static"
    skipped=$(cd build/i686 && ctest -N -LE static | sed -n 's/^ *Test *#[0-9]*: //p' | tr '\n' ' ') ;;
esac
rm -f build/x86_64/heap-damage.log build/i686/heap-damage.log
start_decoys build/decoys build/x86_64/bin build/i686/bin
suite native native_tests &
suites=$!
suite x86_64 windows_tests x86_64 -j 4 --timeout 600 &
suites="$suites $!"
suite i686 windows_tests i686 $i686_args &
suites="$suites $!"
# The suites alone: the decoys sleep on.
wait $suites

status=0
for s in native x86_64 i686; do
    echo "== tests, $s: $(cat "$logs/$s.status")"
    cat "$logs/$s"
    [ ! -f "$logs/$s.note" ] || cat "$logs/$s.note"
    grep -q '^passed' "$logs/$s.status" || status=1
done
check_decoys || status=1
end_decoys
# The runs that met Wine's own damage to its Unix side and were run again
# once (tests/win/heap_damage.sh).
for arch in x86_64 i686; do
    [ -s "build/$arch/heap-damage.log" ] || continue
    echo "Wine's Unix side found damaged, run again once ($arch):"
    sed 's/^/    /' "build/$arch/heap-damage.log"
done
stage "tests (native, x86_64 and i686 at once)"
[ $status -eq 0 ] && echo "all tests that ran passed" || echo "some tests failed"
if [ -n "$skipped" ]; then
    echo "NOT RUN: the i686 Windows tests $skipped(why: $(sh tools/i686-road.sh why); only the i686 build and its static checks ran)"
fi
exit $status
