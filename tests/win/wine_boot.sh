#!/bin/sh
# Making the Wine prefix when its boot is cut short, in a prefix of the
# test's own: a wine-run that cannot get the lock in time fails saying so; a
# boot past its time bound fails saying so and leaves none of its processes
# behind; a boot killed midway, all of it, leaves a prefix that the next
# wine-run makes again, so that a program then runs. Throughout, no process
# but wine-run's own shell holds the lock file open. Then four programs
# started at once, with no server serving the prefix, each have their output
# closed as they end.
#
# The processes looked at and killed are the test's own: those in the session
# of a setsid it started (whose id is the one the shell got for it), and those
# Wine started for its prefix, which Wine puts in sessions of their own when
# they have no console, and which keep the prefix in their environment. Once
# the setsid is reaped its id may be given again, once its session is empty,
# to a process of somebody else's that starts a session of its own: from then
# on a member of that session is the test's only if it started before the
# reap or carries the prefix in its environment.
set -u
run="$1"; bin="$2"; work="$3"
rm -rf "$work"; mkdir -p "$work"
prefix="$work/prefix"
lock="$prefix.lock"
export PALISADE_WINEPREFIX="$prefix"
unset PALISADE_WINE_BOOT_TIMEOUT PALISADE_WINE_LOCK_TIMEOUT

ticks=$(getconf CLK_TCK)
now() { # clock ticks since boot, as a process's start time is counted
    read -r up _ </proc/uptime; echo $((${up%.*}${up#*.} * ticks / 100))  # up: s.cs
}
reaped_before=  # set, in ticks, before the setsid is waited for

own() { # session
    session=$1
    for stat in /proc/[0-9]*/stat; do
        read -r fields 2>/dev/null <"$stat" || continue
        set -- ${fields##*) }  # past the name, which may hold blanks
        [ "$1" != Z ] && [ "$4" = "$session" ] || continue
        pid=${stat#/proc/}; pid=${pid%/stat}
        [ -z "$reaped_before" ] || [ "${20}" -lt "$reaped_before" ] ||
            grep -qxzF -e "WINEPREFIX=$prefix" -e "PALISADE_WINEPREFIX=$prefix" "/proc/$pid/environ" 2>/dev/null || continue
        echo "$pid"
    done
    for environ in $(grep -lxzF "WINEPREFIX=$prefix" /proc/[0-9]*/environ 2>/dev/null); do
        pid=${environ#/proc/}; pid=${pid%/environ}
        read -r fields 2>/dev/null <"/proc/$pid/stat" || continue
        set -- ${fields##*) }
        [ "$1" = Z ] || echo "$pid"
    done
}

alive() {
    state=$(sed -n 's/^.*) \(.\).*/\1/p' "/proc/$1/stat" 2>/dev/null)
    [ -n "$state" ] && [ "$state" != Z ]
}

# Notes in $work/holders each process of the run that holds the lock file
# open, but wine-run's own shells and the flock they take the lock with.
check_holders() { # pids...
    [ $# -gt 0 ] || return 0
    for fd in $(find $(for p in "$@"; do echo "/proc/$p/fd"; done) -maxdepth 1 -lname "$lock" 2>/dev/null); do
        pid=${fd#/proc/}; pid=${pid%%/*}
        line=$(tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline")
        [ -n "$line" ] || continue  # it has ended since: a short helper
        case "$line" in
        *"$run "*) continue ;;
        flock\ *)
            # One that has ended since (its wait for the lock ran out) holds nothing.
            read -r fields 2>/dev/null <"/proc/$pid/stat" || continue
            set -- ${fields##*) }
            [ "$1" != Z ] || continue
            case "$(tr '\0' ' ' 2>/dev/null <"/proc/$2/cmdline")" in *"$run "*) continue ;; esac ;;
        esac
        echo "$pid $line" >>"$work/holders"
    done
}

# Watches the run started as $1 for up to $2 seconds: 0 when it ended, 2 when
# Wine has started a program of the boot in a session of its own (midway
# through the boot: wineboot is still at work), 1 past the bound.
watch() { # leader seconds until
    end=$(($(date +%s) + $2))
    while [ "$(date +%s)" -lt "$end" ]; do
        pids=$(own "$1")
        check_holders $pids
        alive "$1" || return 0
        if [ "$3" = midway ]; then
            for pid in $pids; do
                read -r fields 2>/dev/null <"/proc/$pid/stat" || continue
                set -- "$1" "$2" "$3" ${fields##*) }
                [ "$7" = "$1" ] || return 2
            done
        fi
        sleep 0.2
    done
    return 1
}

# Kills every process of the run, again while any is left, for up to 30 s.
kill_run() { # leader
    for i in $(seq 150); do
        pids=$(own "$1")
        [ -n "$pids" ] || return 0
        kill -KILL $pids 2>/dev/null
        sleep 0.2
    done
    return 1
}

failures=0
bound=400  # seconds for a run: a whole boot on a busy machine
# case | environment | what the test does meanwhile | exit | text the output holds
while IFS='|' read -r name vars cut want_rc want_text; do
    [ "$vars" != - ] || vars=
    : >"$work/holders"
    t0=$(date +%s)
    reaped_before=
    [ "$cut" != hold ] || { exec 8>"$lock"; flock -w 10 8; }
    setsid env $vars "$run" "$bin/dll_tests.exe" --gtest_list_tests >"$work/out" 2>&1 8>&- &
    leader=$!
    bad=
    watched=0
    stop=; [ "$cut" != kill ] || stop=midway
    watch "$leader" "$bound" "$stop" || watched=$?
    [ "$cut" != hold ] || exec 8>&-
    case "$cut,$watched" in
    kill,2)
        kill_run "$leader" || bad="$bad processes of the boot lived on through 30 s of kills;"
        [ -d "$prefix" ] && [ ! -f "$prefix/.palisade-ready" ] ||
            bad="$bad no half-made prefix left for the next case;" ;;
    kill,*)
        bad="$bad the boot was not caught midway (watch: $watched);"; kill_run "$leader" ;;
    *,1)
        bad="$bad still running after $bound s;"; kill_run "$leader" ;;
    esac
    rc=0
    reaped_before=$(now)
    wait "$leader" || rc=$?
    if [ "$cut" != kill ]; then
        [ "$rc" -eq "$want_rc" ] || bad="$bad exit $rc, not $want_rc;"
        # What it started has ended with it, or does within a minute (the
        # server stays 30 s past its last program).
        for i in $(seq 300); do [ -n "$(own "$leader")" ] || break; sleep 0.2; done
        left=$(own "$leader")
        [ -z "$left" ] || { bad="$bad processes left:"; for p in $left; do
            bad="$bad $p $(tr '\0' ' ' 2>/dev/null <"/proc/$p/cmdline")"; done; bad="$bad;"
            kill_run "$leader"; }
    fi
    [ -z "$want_text" ] || grep -qF "$want_text" "$work/out" || bad="$bad output lacks '$want_text';"
    [ ! -s "$work/holders" ] || bad="$bad the lock file held open by: $(sort -u "$work/holders" | tr '\n' ';')"
    if [ -n "$bad" ]; then
        echo "FAIL $name:$bad"; sed 's/^/    /' "$work/out"; failures=$((failures + 1))
    else
        echo "ok   $name ($(($(date +%s) - t0)) s)"
    fi
done <<'CASES'
the lock held elsewhere for longer than the wait|PALISADE_WINE_LOCK_TIMEOUT=2|hold|1|waited 2 s (PALISADE_WINE_LOCK_TIMEOUT)
a boot past its time bound|PALISADE_WINE_BOOT_TIMEOUT=3|none|1|did not finish within 3 s
a boot killed midway, every process of it|-|kill||
a program after them, the prefix made anew|-|none|0|Window.
CASES
[ -f "$prefix/.palisade-ready" ] || { echo "FAIL: the prefix has no ready marker"; failures=$((failures + 1)); }

# Programs started at once while no server serves the prefix (the last case
# waited for its server to end): each one's output, a pipe as ctest reads
# it, closes as its program ends, not when the system programs Wine starts
# for the prefix end, 30 s after the last program.
for i in 1 2 3 4; do
    ({ setsid "$run" "$bin/dll_tests.exe" --gtest_list_tests 2>&1; date +%s >"$work/ended.$i"; } |
        cat >"$work/at-once.$i"; date +%s >"$work/closed.$i") &
done
wait
bad=
for i in 1 2 3 4; do
    grep -q 'Window\.' "$work/at-once.$i" || bad="$bad program $i printed no test list;"
    held=$(($(cat "$work/closed.$i") - $(cat "$work/ended.$i")))
    [ "$held" -lt 15 ] || bad="$bad the output of program $i closed $held s after it ended;"
done
if [ -n "$bad" ]; then
    echo "FAIL four programs started at once:$bad"; failures=$((failures + 1))
else
    echo "ok   four programs started at once"
fi
kill_run none
[ "$failures" -eq 0 ]
