#!/bin/sh
# What an application sees and what the debugger writes, with debugger_program
# run under the debugger (palisade.dll beside it as opengl32.dll), driven from
# outside, and where it says so also plain, on the system's opengl32.dll:
#   invisible   the probe prints under the debugger, as the panel starts and
#               with "GL warnings/errors" and Break on SwapBuffers on, what it
#               prints plain (results, last errors, GL errors, arrays); the
#               threads begun before a run-time load of the library, the
#               thread that loads it and one begun after read with no context
#               current what they read plain (reload threads); the
#               pbuffer functions a system has are handed out as the
#               debugger's wrappers, which reach the system's and are recorded.
#   histories   the shared-context program runs as plain when each halt is
#               continued at once; when its workers' first halts hold their
#               contexts past the five seconds it waits for them (it has no
#               lock of its own), its resize fails with ERROR_BUSY, as it
#               would plain with a worker holding its context that long
#               (the messages scenario has the program with a lock, which
#               waits for a halt instead); every history file of every run
#               reads back whole with the codec's reader, each call in the
#               file of the context current when it was made; a texture's
#               data, its text many times the writer's buffer, is shortened
#               per call with Limit Data Dumps and never broken mid-line
#               without; History turned off and on again and again while such
#               textures are written leaves the history whole.
#   messages    worker threads send WM_SIZE to windows of the main thread,
#               which makes GL and wgl calls meanwhile and handles it by
#               making the worker's context current under the program's
#               lock: no message runs inside a GL call and every frame is
#               drawn, as plain, with each halt continued at once and held
#               for a second.
#   full-disk   with TEMP on a 2 MB file system the program runs to its end,
#               the panel says where the history stopped and why, and the
#               history ends whole with the same note: the disk filled by
#               many short calls, and by a long one.
#   long-temp   TEMPs of 245 and 300 characters work (histories whole,
#               quitting leaves nothing); one too long for the debugger is
#               refused by a box that shows it whole.
#   starts      the main thread's calls go on while another thread's panel
#               starts: while a box says palisade.cfg is not valid, waiting
#               for a person; after a thread drawing textures was ended
#               inside its calls (TerminateThread), History off.
#
#   application_scenarios.sh SCENARIO WINE-RUN BIN WORK
set -e
scenario="$1"; run="$2"; bin="$3"; work="$4"

# The Windows form of a path of this machine's (drive Z: is the root).
windows() { printf 'Z:%s' "$1" | tr / '\\'; }

fail() { echo "$scenario: $*"; exit 1; }

# Reads every history under a TEMP back with the codec's reader; with
# "limited", written with Limit Data Dumps: the textures' commands shortened
# (the reader cannot take them back) are left out of what it reads.
check_histories() {
    for dir in "$1"/PALISADE_*/history; do
        # Copied where a program's working directory can be, whatever TEMP was.
        rm -rf "$work/check"
        cp -r "$dir" "$work/check"
        if [ "${2:-}" = limited ]; then
            for file in "$work"/check/*.gls; do
                sed -i '/^glTexImage2D(/{N;N;/\n    56, 63, 70, 77, 84, 91, 98, 105, \.\.\.});\r$/d}' "$file"
            done
        fi
        (cd "$work/check" && "$run" "$bin/history_check.exe" *.gls) | tr -d '\r' | tee -a "$work/check.txt"
    done
    if grep -v ': [0-9]* sections, [0-9]* commands$' "$work/check.txt"; then fail "a history is not whole"; fi
    rm -f "$work/check.txt"
}

# Runs the driver in the drop-in directory with a TEMP, what it prints kept
# in OUT and shown.
drive() { # OUT TEMP COMMAND...
    out="$1"; temp="$2"; shift 2
    status=0
    (cd "$work/dropin" && WINEDLLOVERRIDES="opengl32=n,b" "$run" ./palisade_driver.exe --temp "$temp" "$@") \
        >"$out.raw" || status=$?
    tr -d '\r' <"$out.raw" >"$out"
    cat "$out"
    [ $status -ne 99 ] || fail "the driver could not carry its commands out"
}

plain() { (cd "$work/dropin" && WINEDLLOVERRIDES="opengl32=b" "$run" ./${program:-debugger_program}.exe "$@") | tr -d '\r'; }

if [ "$scenario" != full-disk-inside ]; then
    rm -rf "$work"; mkdir -p "$work/dropin"
    cp "$bin/debugger_program.exe" "$bin/palisade_driver.exe" "$bin/../reload/reload.exe" "$work/dropin/"
    cp "$bin/palisade.dll" "$work/dropin/opengl32.dll"
fi

case "$scenario" in
invisible)
    plain probe >"$work/plain.txt"
    grep -q '^errors after it:' "$work/plain.txt" || fail "the probe did not run to its end plain"
    program=reload plain threads >"$work/threads-plain.txt"
    grep -q '^a thread begun after the load, after a wgl call:' "$work/threads-plain.txt" || fail "reload threads did not run plain"
    # As the panel starts, with Break on SwapBuffers on, and with "GL
    # warnings/errors" on too: the errors the debugger reads at a halt and
    # after every call stay the application's.
    for settings in default swap checks; do
        set --
        [ $settings = default ] || set -- check 120 on
        [ $settings != checks ] || set -- "$@" check 114 on
        drive "$work/debugger-$settings.txt" "$(windows "$work/temp-$settings")" start debugger_program.exe probe -- \
            wait-status Halted "$@" continue-to-exit 0 >/dev/null
        grep -v '^exit: ' "$work/debugger-$settings.txt" | diff "$work/plain.txt" - ||
            fail "the probe read other values under the debugger ($settings)"
        drive "$work/threads-$settings.txt" "$(windows "$work/temp-$settings")" start reload.exe threads -- \
            wait-status Halted "$@" continue-to-exit 0 >/dev/null
        grep -v '^exit: ' "$work/threads-$settings.txt" | diff "$work/threads-plain.txt" - ||
            fail "threads begun before the load read other values under the debugger ($settings)"
    done
    echo "the probe and the threads of a run-time load read the same under the debugger as plain"

    drive "$work/pbuffer.txt" "$(windows "$work/temp")" start debugger_program.exe pbuffer -- continue-to-exit 0
    [ "$(grep -c ' from opengl32.dll$' "$work/pbuffer.txt")" -eq 4 ] || fail "the pbuffer functions were not the debugger's"
    grep -q '^read: 1, last error 1234$' "$work/pbuffer.txt" || fail "wglMakeCurrentReadSGIX's result or last error changed"
    grep -q 'queried 77$' "$work/pbuffer.txt" || fail "wglQueryPBufferSGIX's answer did not come back"
    for call in '"Info", "wglCreatePBufferSGIX"' '"info", "wglQueryPBufferSGIX"' '"info", "wglMakeCurrentReadSGIX"' \
        '"Info", "wglDestroyPBufferSGIX"'; do
        grep -q "^glsString($call);" "$work"/temp/PALISADE_*/history/*.gls || fail "no glsString($call) in the history"
    done
    echo "the pbuffer functions went through the debugger to the system's"
    ;;
histories)
    plain shared >"$work/plain.txt"
    grep -q '^after a failed wglMakeCurrent' "$work/plain.txt" || fail "the program did not run to its end plain"
    drive "$work/shared.txt" "$(windows "$work/temp")" start debugger_program.exe shared -- continue-to-exit 0 >/dev/null
    # The workers end in either order.
    sort "$work/plain.txt" >"$work/plain.sorted"
    grep -v '^exit: ' "$work/shared.txt" | sort | diff "$work/plain.sorted" - || fail "the shared-context program ran otherwise"
    check_histories "$work/temp"
    # Each call once, in the file of the context current when it was made:
    # the workers' frames in their contexts' files, the call after a failed
    # wglMakeCurrent in the file of the context it left current, the call
    # after deleting the current context in that of none.
    h="$work/temp/PALISADE_*/history"
    count() { cat $2 2>/dev/null | tr -d '\r' | grep -c "^$1" || true; }
    [ "$(count 'glClear(' "$h/*.gls")" -eq 20 ] && [ "$(count 'glClear(' "$h/0.gls")" -eq 0 ] ||
        fail "the workers' frames are not in their contexts' histories, once"
    [ "$(count 'glColor3fv({0.5, 0.5, 0.5});' "$h/*.gls")" -eq 1 ] &&
        [ "$(count 'glColor3fv({0.5, 0.5, 0.5});' "$h/0.gls")" -eq 0 ] ||
        fail "the call after a failed wglMakeCurrent is not in the history of the context it left current"
    [ "$(count 'glGetError();' "$h/*.gls")" -eq 1 ] && [ "$(count 'glGetError();' "$h/0.gls")" -eq 1 ] ||
        fail "the call after deleting the current context is not in the history of no context"
    echo "the shared-context program ran as plain; every call in its one history"

    # The workers' first halts held past the program's own wait: the resize
    # cannot have their contexts.
    drive "$work/held.txt" "$(windows "$work/held")" start debugger_program.exe shared -- wait-status Halted continue \
        wait-panels 3 wait-exit 1
    grep -q '^resize: wglMakeCurrent failed, error 170$' "$work/held.txt" || fail "the held resize did not fail with ERROR_BUSY"
    check_histories "$work/held"

    for limit in off on; do
        set --
        [ $limit = off ] || set -- click 117 window "Select GL Trace" 1306 choose 9 window-panel
        drive "$work/textures-$limit.txt" "$(windows "$work/textures-$limit")" start debugger_program.exe textures -- \
            wait-status Halted "$@" continue-to-exit 0
    done
    check_histories "$work/textures-off"
    check_histories "$work/textures-on" limited
    shortened=$(cat "$work"/textures-on/PALISADE_*/history/[1-9]*.gls | tr -d '\r' | grep -c '^    56, 63, 70, 77, 84, 91, 98, 105, \.\.\.});$' || true)
    [ "$shortened" -eq 4 ] || fail "$shortened of the 4 textures were shortened by Limit Data Dumps"
    echo "textures: whole lines without Limit Data Dumps, each call shortened with it"

    # History toggled while the textures are written: each call is written
    # whole or not at all.
    drive "$work/toggled.txt" "$(windows "$work/toggled")" start debugger_program.exe textures 10 -- \
        wait-status Halted continue toggle-to-exit 116 0
    check_histories "$work/toggled"
    echo "textures: History toggled while they were written, the history whole"
    ;;
messages)
    # The workers end in either order.
    plain messages | sort >"$work/plain.txt"
    grep -q 'messages inside a GL or wgl call: 0;' "$work/plain.txt" || fail "the program ran otherwise plain"
    for hold in 0 1000; do
        drive "$work/messages-$hold.txt" "$(windows "$work/temp-$hold")" start debugger_program.exe messages -- \
            hold $hold continue-to-exit 0 >/dev/null
        grep -v '^exit: ' "$work/messages-$hold.txt" | sort | diff "$work/plain.txt" - ||
            fail "with halts held $hold ms the program ran otherwise than plain"
    done
    echo "no message ran inside a GL call, and every frame was drawn, halts held or not"
    ;;
full-disk)
    # A file system of 2 MB for TEMP, in a mount namespace of the test's own.
    # Wine's server opens the files: one of the namespace's own, which sees
    # that file system, serves the programs there. The directories where a
    # server of the prefix is found (Debian's Wine names its own in the
    # prefix) are made empty in the namespace.
    if [ "$(id -u)" = 0 ]; then ns="unshare -m"; else ns="unshare -r -m"; fi
    if ! $ns true 2>/dev/null; then echo "full-disk: no mount namespace can be made here; not run"; exit 77; fi
    mkdir -p "$work/small"
    prefix="${PALISADE_WINEPREFIX:-$HOME/.palisade-wine}"
    servers="/tmp/.wine-$(id -u)"
    [ ! -f "$prefix/wineserver" ] || servers="$servers /tmp/$(cat "$prefix/wineserver")"
    $ns sh -c 'for d in $1; do [ ! -d "$d" ] || mount -t tmpfs -o mode=0700 tmpfs "$d" || exit 1; done &&
        mount -t tmpfs -o size=2m tmpfs "$2" && exec sh "$3" full-disk-inside "$4" "$5" "$6"' sh \
        "$servers" "$work/small" "$0" "$run" "$bin" "$work"
    ;;
full-disk-inside)
    # Many short calls fill the disk; then one long one that cannot fit.
    for program in fill textures; do
        rm -rf "$work/small/temp"
        drive "$work/fill.txt" "$(windows "$work/small/temp")" start debugger_program.exe $program -- \
            wait-status Halted continue window-panel expect-contains 107 "History stopped at call " print-status \
            wait-exit 0
        grep -q "^$program: \(drew its frames\|error 0x0\)" "$work/fill.txt" || fail "$program did not run to its end"
        check_histories "$work/small/temp"
        note=$(sed -n 's/^status: \(History stopped at call [0-9]*: .*\)$/\1/p' "$work/fill.txt")
        [ -n "$note" ] || fail "the status does not say where the history stopped"
        last=$(cat "$work"/small/temp/PALISADE_*/history/[1-9]*.gls | tr -d '\r' | tail -n 2 | head -n 1)
        [ "$last" = "glsString(\"Info\", \"$note\");" ] || fail "the history ends in \"$last\", not the note"
        echo "$program: the full disk stopped the history, and said so: $note"
    done
    ;;
long-temp)
    for length in 245 300; do
        dir="$work/long$length"
        path="$dir"
        while [ ${#path} -lt $((length - 2)) ]; do
            n=$((length - 2 - ${#path} - 1)); [ $n -le 60 ] || n=60
            path="$path/$(printf "%${n}s" | tr ' ' t)"
        done
        mkdir -p "$path"
        temp=$(windows "$path")
        [ ${#temp} -eq $length ] || fail "the TEMP made has ${#temp} characters"
        drive "$work/long.txt" "$temp" start debugger_program.exe shared -- continue-to-exit 0 >/dev/null
        grep -q '^worker 2 drew 10 frames$' "$work/long.txt" || fail "the program did not run with a TEMP of $length characters"
        check_histories "$path"
        rm -rf "$path"/PALISADE_*
        drive "$work/quit.txt" "$temp" start debugger_program.exe quit -- wait-panels 2 panel 0 wait-status Halted \
            panel 1 wait-status Halted panel 0 continue panel 1 menu 4 wait-exit 0
        [ -z "$(ls "$path")" ] || fail "quitting left $(ls "$path") in a TEMP of $length characters"
        echo "a TEMP of $length characters: whole histories, nothing left by quitting"
    done
    temp="$(windows "$work")\\$(printf '%1000s' | tr ' ' t)"
    shown=$(printf '%s' "$temp" | sed 's/\\/\\\\/g')
    drive "$work/refused.txt" "$temp" --timeout 30 start debugger_program.exe shared -- \
        message-box "The path $shown\\\\PALISADE_" wait-exit 1
    echo "a TEMP too long for the debugger is refused, shown whole"
    ;;
starts)
    # The slowest of the main thread's calls while the other thread starts:
    # the panel is made in tens of milliseconds, a wait on the gate ends after
    # five seconds.
    slowest_ok() { # OUT WHAT
        ms=$(sed -n 's/^started: yes, the slowest call meanwhile took \([0-9]*\) ms$/\1/p' "$1")
        [ -n "$ms" ] || fail "$2: the other thread did not start"
        [ "$ms" -lt 4000 ] || fail "$2: a call of the main thread took $ms ms"
        echo "$2: the slowest call of the main thread took $ms ms"
    }
    panel_halts="wait-panels 1 panel 0 wait-status Halted continue wait-panels 2 panel 1 wait-status Halted"
    printf 'not a configuration\n' >"$work/dropin/palisade.cfg"
    box='palisade.cfg is not valid.'
    drive "$work/box.txt" "$(windows "$work/temp-box")" start debugger_program.exe starts box -- warning "$box" \
        wait-panels 1 panel 0 wait-status Halted continue wait-panels 2 sleep 6000 warning "$box" \
        panel 1 wait-status Halted continue wait-exit 0 >/dev/null
    slowest_ok "$work/box.txt" "a box up for six seconds"
    rm "$work/dropin/palisade.cfg"
    third="wait-panels 3 panel 2 wait-status Halted continue"
    drive "$work/ended.txt" "$(windows "$work/temp-ended")" start debugger_program.exe starts ended -- $panel_halts \
        check 116 off continue $third wait-exit 0 >/dev/null
    slowest_ok "$work/ended.txt" "a thread ended inside its calls"
    ;;
*)
    echo "usage: application_scenarios.sh invisible|histories|messages|full-disk|long-temp|starts WINE-RUN BIN WORK"
    exit 2
    ;;
esac
