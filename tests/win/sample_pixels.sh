#!/bin/sh
# Runs the sample three ways and compares the pixels it reads back: on the
# platform's opengl32 alone, linked to palisade.dll by that name, and with
# palisade.dll put beside it as opengl32.dll. Under palisade the sample halts
# at its first GL call; the driver lets the linked run go on, and takes the
# drop-in run through its first calls as a person would: skips the first one
# (glViewport, which sets what the window gives anyway), steps two, lets it
# run to its first buffer swap (the application's SwapBuffers, which gdi32
# hands to the debugger standing in for opengl32.dll) and then to its end.
# That run's history, its GL context's followed by that of no context, must
# equal the golden text with pointer values masked, one CR LF a line, with the
# GDI calls annotated.
set -e
run="$1"; bin="$2"; work="$3"; golden="$4"
rm -rf "$work"; mkdir -p "$work/dropin" "$work/temp"
cp "$bin/spinning_quads.exe" "$bin/palisade_driver.exe" "$work/dropin/"
cp "$bin/palisade.dll" "$work/dropin/opengl32.dll"

WINEDLLOVERRIDES="opengl32=b" "$run" "$bin/spinning_quads.exe" "$work/plain.ppm"
(cd "$bin" && WINEDLLOVERRIDES="opengl32=b" "$run" ./palisade_driver.exe start spinning_quads_palisade.exe \
    "$work/linked.ppm" -- wait-status Halted continue) | tee "$work/linked.txt"
grep -qi 'gl calls went to .*palisade.dll' "$work/linked.txt" || { echo "the linked sample did not call palisade.dll"; exit 1; }
(cd "$work/dropin" && WINEDLLOVERRIDES="opengl32=n,b" "$run" ./palisade_driver.exe --temp "$work/temp" \
    start spinning_quads.exe "$work/dropin.ppm" -- wait-status Halted print-ids print-call \
    skip wait-status Halted print-call step 2 check 120 on continue \
    wait-status "Halted (Break on SwapBuffers)" print-call check 120 off continue wait-exit 0) | tr -d '\r' | tee "$work/dropin.txt"
grep -qi 'gl calls went to .*dropin.opengl32' "$work/dropin.txt" || { echo "palisade was not loaded in place of opengl32"; exit 1; }
sed -n 's/^call: //p' "$work/dropin.txt" >"$work/calls.txt"
printf '%s\n' 'glViewport(0, 0, 64, 64);' 'glGenLists(1);' 'glNewList(1, GL_COMPILE);' 'glBegin(GL_QUADS);' \
    'SwapBuffers' \
    | cmp - "$work/calls.txt" || { echo "the calls shown were not those the sample makes"; exit 1; }

cmp "$work/plain.ppm" "$work/linked.ppm"
cmp "$work/plain.ppm" "$work/dropin.ppm"
echo "same pixels on all three runs"

id=$(sed -n 's/^ids: App Process ID = //p' "$work/dropin.txt")
history="$work/temp/PALISADE_$id/history"
context=$(ls "$history" | grep -v '^0\.gls$')
cat "$history/$context" "$history/0.gls" | sed 's/0x[0-9A-F][0-9A-F]*/0xPOINTER/g' >"$work/history.gls"
cmp "$golden" "$work/history.gls" || { echo "the history differs from $golden:"; diff "$golden" "$work/history.gls" | head -20; exit 1; }
echo "the history equals $golden"
