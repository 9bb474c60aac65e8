#!/bin/sh
# Every benchmark program still runs to its end and prints its figures, with
# few calls: what the figures say is for a person to read, never judged here.
#
#   benchmarks_run.sh WINE-RUN BIN WORK
run="$1"; bin="$2"; work="$3"
rm -rf "$work"; mkdir -p "$work"
failed=0
# program             arguments (,)  a line of its figures begins
while read program args want; do
    [ "$args" != - ] && args=$(echo "$args" | tr , " ") || args=""
    # A fault ends the program at once, not in Wine's debugger, which waits;
    # a bound ends a program that hangs (PALISADE_PROGRAM_BOUND seconds where
    # a start alone may take minutes, as under qemu-user on a busy machine).
    status=0
    (cd "$bin" && WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d" timeout "${PALISADE_PROGRAM_BOUND:-120}" "$run" "./$program" $args) >"$work/$program.txt" 2>"$work/$program.err" || status=$?
    if [ $status -ne 0 ]; then
        echo "$program: ended with status $status; what it printed:"; cat "$work/$program.txt" "$work/$program.err"; failed=1
    elif ! grep -q "^$want" "$work/$program.txt"; then
        echo "$program: printed no line beginning \"$want\""; failed=1
    else
        echo "$program: ran"
    fi
done <<TABLE
entry_overhead.exe    -              glGetError
capture_cost.exe      2000,2         dlist
hook_overhead.exe     -              one frame's checks
debugger_overhead.exe 20004,2,2      GL context memory
TABLE
exit $failed
