#!/bin/sh
# Runs a Windows test's command; when it fails and its output shows Wine's
# Unix side found damaged (glibc's heap, the GL dispatch; heap_damage.sh),
# runs it once more, and the second run's status is the test's. Both runs' output is
# shown. The first run is bounded in time, so that a process stopped on the
# damaged heap's lock leaves room for the second within the test's limit.
#
#   again_if_damaged.sh NAME SECONDS COMMAND...
. "$(dirname "$0")/heap_damage.sh"
name=$1; bound=$2; shift 2
first="$PWD/$name.first-run.txt"
status=0
timeout -k 10 "$bound" "$@" >"$first" 2>&1 || status=$?
cat "$first"
if [ $status -ne 0 ] && heap_damaged "$first"; then
    heap_damage_note "$name" "$first"
    exec "$@"
fi
[ $status -ne 124 ] && [ $status -ne 137 ] || echo "$name: did not end within $bound s"
exit $status
