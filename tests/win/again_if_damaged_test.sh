#!/bin/sh
# again_if_damaged.sh against stand-in test commands that count their runs:
# only a failed run whose output holds glibc's words for a damaged heap, or
# the GL dispatch library's for its count of current threads gone below
# none, is run again, once, and said in the log; the second run's status is the
# test's; a first run stopped past its bound with those words is run again.
set -u
src=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
failed=0
# name | what the first run does | what a second does | status | runs | log lines
while IFS='|' read -r name first second want runs logged; do
    rm -f count log
    cat >stand-in <<STANDIN
n=\$((\$(cat count 2>/dev/null || echo 0) + 1)); echo \$n >count
case \$n in 1) $first ;; *) $second ;; esac
STANDIN
    status=0
    PALISADE_HEAP_DAMAGE_LOG="$scratch/log" sh "$src/again_if_damaged.sh" case 2 sh stand-in >out 2>&1 || status=$?
    got_runs=$(cat count)
    got_logged=$(cat log 2>/dev/null | wc -l)
    if [ "$status" != "$want" ] || [ "$got_runs" != "$runs" ] || [ "$got_logged" != "$logged" ]; then
        echo "FAILED $name: status $status (want $want), runs $got_runs (want $runs), log lines $got_logged (want $logged)"
        sed 's/^/    /' out
        failed=1
    fi
done <<'TABLE'
passes|exit 0|exit 5|0|1|0
fails plainly|echo 'assertion failed'; exit 3|exit 0|3|1|0
damaged, then passes|echo 'malloc(): unaligned tcache chunk detected'; exit 139|exit 0|0|2|1
damaged twice|echo 'double free or corruption (fasttop)'; exit 1|echo 'double free or corruption (fasttop)'; exit 1|1|2|1
damaged, then fails plainly|echo 'malloc_consolidate(): unaligned fastbin chunk detected'; exit 1|exit 4|4|2|1
dispatch torn down, then passes|printf 'a.exe: GLdispatch.c:241: DispatchCurrentUnref: Assertion \140dispatch->currentThreads >= 0\047 failed.\n'; exit 139|exit 0|0|2|1
another assertion of the dispatch|printf 'a.exe: GLdispatch.c:90: __glDispatchInit: Assertion \140clientRefcount > 0\047 failed.\n'; exit 139|exit 0|139|1|0
damaged and stopped|echo 'free(): invalid pointer'; sleep 30|exit 0|0|2|1
stopped undamaged|sleep 30|exit 0|124|1|0
a skip|exit 77|exit 0|77|1|0
TABLE
[ $failed -eq 0 ] && echo "again_if_damaged.sh: every case as expected"
exit $failed
