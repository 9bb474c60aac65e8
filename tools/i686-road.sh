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
#
# The road is what runs a 32-bit program here, asked of one: binfmt_misc can
# be unmounted in a chroot or container where the host's kernel still hands
# i386 programs to qemu-user. PALISADE_I686_ROOT puts every path this looks
# at under another folder (the stand-in machines of tests/setup).
set -e
root=${PALISADE_I686_ROOT:-}
binfmt=$root/proc/sys/fs/binfmt_misc
loader=$root/usr/lib/wine/wine
qemu=$root/usr/bin/qemu-i386-static
# glibc's i386 dynamic loader (the Wine loader's own), run as a program.
probe=$root/lib/ld-linux.so.2
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

# The machine a 32-bit program is told it runs on: the kernel tells it its
# own, as it tells 64-bit programs (x86_64, or i686 on a 32-bit kernel);
# qemu-user tells it the machine it emulates (i686). Empty without the probe.
machine32() {
    [ -x "$probe" ] || return 0
    "$probe" --list-diagnostics 2>/dev/null | sed -n 's/^uname\.machine="\(.*\)"$/\1/p'
}

# What runs 32-bit programs when the loader does: the probe's answer, or
# without it what binfmt_misc shows.
runner() {
    m=$(machine32)
    if [ -n "$m" ]; then
        if [ "$m" = "$(uname -m)" ]; then echo native; else echo emulated; fi
    elif qemu_registered; then
        echo emulated
    else
        echo native
    fi
}

road() {
    [ ! -f "$failed_i386" ] || { echo none; return; }
    [ "${PALISADE_I686_ROAD:-}" != none ] || { echo none; return; }
    loader_runs || { echo none; return; }
    r=$(runner)
    if [ "${PALISADE_I686_ROAD:-}" = emulated ] && [ "$r" != emulated ]; then echo none; else echo "$r"; fi
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
    # qemu-user is registered only for a 32-bit Wine that is there and has
    # nothing to run it, or is to be emulated as asked: without the packages
    # the registration would serve no test and change the machine.
    if [ ! -f "$failed_i386" ] && [ -x "$loader" ] &&
        { [ "$r" = none ] && [ "${PALISADE_I686_ROAD:-}" != none ] ||
            { [ "${PALISADE_I686_ROAD:-}" = emulated ] && [ "$r" != emulated ]; }; }; then
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
