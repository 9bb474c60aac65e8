#!/bin/sh
# How this machine runs 32-bit (i686) Windows programs: the one place that
# chooses. Wine's 32-bit loader is an i386 Linux program, so an i686 Windows
# program runs
#   native     when the kernel runs 32-bit Linux programs itself;
#   emulated   when the kernel cannot, through qemu-user registered with
#              binfmt_misc (each program start then costs about a minute);
#   none       when neither works.
# 64-bit programs always run through Wine's 64-bit loader and need none of it.
#
#   sh tools/i686-road.sh          prints the road: native, emulated or none
#   sh tools/i686-road.sh setup    registers qemu-user when it is needed (as
#                                  root; idempotent) and says the road in a line
#   sh tools/i686-road.sh why      says in a line why the road is none
#
# When setup could not install the 32-bit Wine packages it leaves apt's reason
# in build/i386-packages.failed; the road is then none.
#
# PALISADE_I686_ROAD=emulated forces the emulated road on a machine that could
# run 32-bit programs natively (so both roads stay tested);
# PALISADE_I686_ROAD=none leaves the i686 Windows programs unrun.
set -e
binfmt=/proc/sys/fs/binfmt_misc
loader=/usr/lib/wine/wine
qemu=/usr/bin/qemu-i386-static
entry=palisade-qemu-i386
failed_i386="$(cd "$(dirname "$0")/.." && pwd)/build/i386-packages.failed"
# i386 ELF executables and shared objects, as Debian's qemu packages match them.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# An enabled registration that hands i386 programs to qemu, ours or another's.
qemu_registered() {
    [ -r "$binfmt/status" ] || return 1
    for f in "$binfmt"/*; do
        case "$f" in */status | */register) continue ;; esac
        [ -r "$f" ] || continue
        grep -qx enabled "$f" && grep -q '^interpreter .*qemu-i386' "$f" && return 0
    done
    return 1
}

loader_runs() {
    [ -x "$loader" ] && "$loader" --version >/dev/null 2>&1
}

road() {
    [ ! -f "$failed_i386" ] || { echo none; return; }
    case "${PALISADE_I686_ROAD:-}" in
    none) echo none; return ;;
    emulated)
        if qemu_registered && loader_runs; then echo emulated; else echo none; fi
        return ;;
    esac
    if qemu_registered; then
        if loader_runs; then echo emulated; else echo none; fi
    elif loader_runs; then
        echo native
    else
        echo none
    fi
}

register_qemu() {
    [ -x "$qemu" ] || return 1
    if [ ! -w "$binfmt/register" ]; then
        mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || return 1
    fi
    qemu_registered && return 0
    [ -e "$binfmt/$entry" ] && echo 1 >"$binfmt/$entry" && return 0
    # F: the kernel opens the interpreter now, so it serves in every namespace.
    printf ':%s:M::%s:%s:%s:F\n' "$entry" "$magic" "$mask" "$qemu" >"$binfmt/register"
}

why() {
    if [ -f "$failed_i386" ]; then
        echo "no 32-bit Wine packages: $(head -n 1 "$failed_i386")"
    elif [ "${PALISADE_I686_ROAD:-}" = none ]; then
        echo "PALISADE_I686_ROAD=none"
    elif [ ! -x "$loader" ]; then
        echo "no 32-bit Wine packages: $loader is not installed"
    else
        echo "this kernel runs no 32-bit programs and qemu-user could not be registered"
    fi
}

case "${1:-}" in
"")
    road ;;
setup)
    r=$(road)
    if [ "$r" = none ] && [ "${PALISADE_I686_ROAD:-}" != none ] ||
        { [ "${PALISADE_I686_ROAD:-}" = emulated ] && [ "$r" != emulated ]; }; then
        register_qemu || true
        r=$(road)
    fi
    case "$r" in
    native) echo "i686 Windows programs: run natively (this kernel runs 32-bit programs)" ;;
    emulated) echo "i686 Windows programs: run through qemu-user, registered with binfmt_misc (slow: about a minute per program start)" ;;
    none) echo "i686 Windows programs: not run ($(why))" ;;
    esac ;;
why)
    why ;;
*)
    echo "usage: sh tools/i686-road.sh [setup|why]" >&2; exit 2 ;;
esac
