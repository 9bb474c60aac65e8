#!/bin/sh
# Runs the sample three ways and compares the pixels it reads back: on the
# platform's opengl32 alone, linked to palisade.dll by that name, and with
# palisade.dll put beside it as opengl32.dll. Under palisade the sample halts
# at its first GL call; the driver lets it run, as a person would.
set -e
run="$1"; bin="$2"; work="$3"
rm -rf "$work"; mkdir -p "$work/dropin"
cp "$bin/spinning_quads.exe" "$bin/palisade_driver.exe" "$work/dropin/"
cp "$bin/palisade.dll" "$work/dropin/opengl32.dll"
let_run="-- wait-status Halted continue"

WINEDLLOVERRIDES="opengl32=b" "$run" "$bin/spinning_quads.exe" "$work/plain.ppm"
(cd "$bin" && WINEDLLOVERRIDES="opengl32=b" "$run" ./palisade_driver.exe start spinning_quads_palisade.exe \
    "$work/linked.ppm" $let_run) | tee "$work/linked.txt"
grep -qi 'gl calls went to .*palisade.dll' "$work/linked.txt" || { echo "the linked sample did not call palisade.dll"; exit 1; }
(cd "$work/dropin" && WINEDLLOVERRIDES="opengl32=n,b" "$run" ./palisade_driver.exe start spinning_quads.exe \
    "$work/dropin.ppm" $let_run) | tee "$work/dropin.txt"
grep -qi 'gl calls went to .*dropin.opengl32' "$work/dropin.txt" || { echo "palisade was not loaded in place of opengl32"; exit 1; }

cmp "$work/plain.ppm" "$work/linked.ppm"
cmp "$work/plain.ppm" "$work/dropin.ppm"
echo "same pixels on all three runs"
