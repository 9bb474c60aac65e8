#!/bin/sh
# Programs run under the debugger (palisade.dll beside them as opengl32.dll)
# and driven from outside, one driver for them all: quitting from the File
# menu and from the panel's system menu while another thread is inside a GL
# call ends the process with status 0 and leaves no temporary directory; a
# program that crashes right after a known call finds it as its history's
# last line.
set -e
run="$1"; bin="$2"; work="$3"
rm -rf "$work"; mkdir -p "$work/dropin" "$work/temp"
cp "$bin/debugger_program.exe" "$bin/palisade_driver.exe" "$work/dropin/"
cp "$bin/palisade.dll" "$work/dropin/opengl32.dll"
both_panels="wait-panels 2 panel 0 wait-status Halted print-ids panel 1 wait-status Halted print-ids"
(cd "$work/dropin" && WINEDLLOVERRIDES="opengl32=n,b" "$run" ./palisade_driver.exe --temp "$work/temp" \
    start debugger_program.exe quit -- $both_panels panel 0 continue panel 1 menu 4 wait-exit 0 \
    start debugger_program.exe quit -- $both_panels panel 1 continue panel 0 close wait-exit 0 \
    start debugger_program.exe crash -- wait-status Halted print-ids continue wait-exit 3) \
    | tee "$work/driver.txt"

ids=$(sed -n 's/^ids: App Process ID = //p' "$work/driver.txt" | tr -d '\r')
[ "$(echo "$ids" | wc -w)" -eq 5 ] || { echo "expected the ids of five panels"; exit 1; }
crashed=$(echo "$ids" | tail -n 1)
for id in $(echo "$ids" | head -n 4); do
    [ ! -e "$work/temp/PALISADE_$id" ] || { echo "PALISADE_$id was left behind by quitting"; exit 1; }
done
last=""
for f in "$work/temp/PALISADE_$crashed/history/"*.gls; do
    line=$(tail -n 1 "$f" | tr -d '\r')
    case "$line" in gl[A-Z]*) last="$line" ;; esac
done
[ "$last" = "glColor3fv({0.5, 0.25, 1});" ] || { echo "the crashed program's history ends in \"$last\""; exit 1; }
echo "quitting left no directory; the crash kept its last call"
