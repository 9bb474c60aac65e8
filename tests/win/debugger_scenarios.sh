#!/bin/sh
# Programs run under the debugger (palisade.dll beside them as opengl32.dll)
# and driven from outside, one driver for them all: quitting from the File
# menu and from the panel's system menu while another thread is inside a GL
# call ends the process with status 0 and leaves no temporary directory; six
# threads that start at once all come to their first halt, time after time; a
# program that dies right after many calls and one known call, in each way a
# process dies, finds that call as its history's last line.
set -e
run="$1"; bin="$2"; work="$3"
rm -rf "$work"; mkdir -p "$work/dropin" "$work/temp"
cp "$bin/debugger_program.exe" "$bin/palisade_driver.exe" "$work/dropin/"
cp "$bin/palisade.dll" "$work/dropin/opengl32.dll"
drive() {
    (cd "$work/dropin" && WINEDLLOVERRIDES="opengl32=n,b" "$run" ./palisade_driver.exe --temp "$work/temp" "$@")
}
both_panels="wait-panels 2 panel 0 wait-status Halted print-ids panel 1 wait-status Halted print-ids"
# Kept in a file, not piped on: the driver's own status says whether each
# program ended as asked.
status=0
drive start debugger_program.exe quit -- $both_panels panel 0 continue panel 1 menu 4 wait-exit 0 \
    start debugger_program.exe quit -- $both_panels panel 1 continue panel 0 close wait-exit 0 \
    >"$work/driver.txt" 2>&1 || status=$?
cat "$work/driver.txt"
[ $status -eq 0 ] || { echo "quitting from the menu and the system menu: the driver ended with $status"; exit 1; }
ids=$(sed -n 's/^ids: App Process ID = //p' "$work/driver.txt" | tr -d '\r')
[ "$(echo "$ids" | wc -w)" -eq 4 ] || { echo "expected the ids of four panels"; exit 1; }
for id in $ids; do
    [ ! -e "$work/temp/PALISADE_$id" ] || { echo "PALISADE_$id was left behind by quitting"; exit 1; }
done
echo "quitting left no directory"

# Six threads start at once, each making a window, a pixel format and a GL
# context and drawing, while their interface threads make their panels:
# run after run, every panel comes to "Halted" and quitting ends the process.
six="wait-panels 6"
for i in 0 1 2 3 4 5; do six="$six panel $i wait-status Halted"; done
# A round that meets Wine's own heap damage runs again once (heap_damage.sh).
. "$(dirname "$0")/heap_damage.sh"
for round in $(seq 25); do
    for try in 1 2; do
        drive start debugger_program.exe quit 6 -- $six panel 0 menu 4 wait-exit 0 >"$work/six.txt" 2>&1 && break
        cat "$work/six.txt"
        if [ $try -eq 1 ] && heap_damaged "$work/six.txt"; then
            heap_damage_note "debugger_scenarios, six threads at once, round $round" "$work/six.txt"
            continue
        fi
        echo "six threads at once, round $round: the program did not come to six halts and end"
        exit 1
    done
done
echo "six threads started at once, 25 times: every panel halted, quitting ended the process"

# Kills the Unix process of the program once it says it may be killed,
# within two minutes: the id it wrote in "killable", which must be of the
# driver's process group. The driver runs in a session of its own, made when
# it was started, whose id is the one the shell got for it; the program it
# starts is in that group, and the driver waits for it, so the id is still
# the program's. The driver must see it end.
kill_when_killable() {
    group=$1
    for i in $(seq 600); do
        if [ -e "$work/dropin/killable" ]; then
            pid=$(cat "$work/dropin/killable")
            case "$pid" in '' | *[!0-9]*) pid=none ;; esac
            fields=$(cat "/proc/$pid/stat" 2>/dev/null) && set -- ${fields##*) } &&  # past the name
                [ "$1" != Z ] && [ "$3" = "$group" ] ||
                { echo "kill: \"killable\" named no live program of the driver's group ($pid)"; return; }
            echo "killing $pid $(tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline")"
            kill -KILL "$pid" 2>/dev/null
            return
        fi
        sleep 0.2
    done
}

# way of dying    what the driver sees: the exit status, or the Unix signal
# that killed the program's process (from outside, or its own SIGSEGV)
while read way status; do
    rm -f "$work/dropin/killable" "$work/dropin/killable.new"
    (cd "$work/dropin" && exec env WINEDLLOVERRIDES="opengl32=n,b" setsid "$run" ./palisade_driver.exe \
        --temp "$work/temp" start debugger_program.exe crash "$way" -- wait-status Halted print-ids continue wait-exit) \
        >"$work/$way.txt" 2>&1 &
    driver=$!
    [ "$way" != kill ] || kill_when_killable "$driver"
    wait "$driver" || true
    cat "$work/$way.txt"
    if ! grep -q "^exit: $status\b" "$work/$way.txt"; then
        echo "$way: the program did not end with status $status"; exit 1
    fi
    grep -q "^exit: " "$work/$way.txt" || { echo "$way: the driver did not see the program end"; exit 1; }
    id=$(sed -n 's/^ids: App Process ID = //p' "$work/$way.txt" | tr -d '\r')
    last=""
    for f in "$work/temp/PALISADE_$id/history/"*.gls; do
        # The blanks past the last line end are the room the file kept.
        line=$(tr -d '\r' < "$f" | sed 's/^ *//; s/ *$//' | grep -v '^$' | tail -n 1)
        case "$line" in gl[A-Z]*) last="$line" ;; esac
    done
    [ "$last" = "glColor3fv({0.5, 0.25, 1});" ] || { echo "$way: the history ends in \"$last\""; exit 1; }
    echo "$way: the history kept the last call"
done <<TABLE
fault     3
terminate 3
kill      signal 9
signal    signal 11
TABLE
