#!/bin/sh
# Installs what building and testing Palisade needs on Debian 12, skipping
# what is already there: the MinGW-w64 cross compilers, Wine for 64- and
# 32-bit programs with Mesa's software OpenGL, Xvfb, the Khronos registry,
# GoogleTest, and clang for the native fuzzers. tests/setup/setup_test.sh runs it against
# a stand-in apt.
#
#   sh tools/setup.sh           everything: the native and x86-64 needs first,
#                               then the 32-bit Wine packages, which may fail
#   sh tools/setup.sh x86_64    only what the x86-64 sample needs
#
# A package index that does not download (a mirror in sync) is a warning:
# apt-get update is tried a few times and setup goes on with the indexes it
# has. The 32-bit packages come last; when apt cannot install them, setup says
# so in one line with apt's reason and writes it to build/i386-packages.failed,
# which makes tools/i686-road.sh report none and tools/test.sh say why.
# PALISADE_I386_PACKAGES=fail rehearses that: the 32-bit install is treated as
# failed whatever apt could do.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
SUDO=; [ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
failed_i386="$top/build/i386-packages.failed"
tries=${PALISADE_APT_TRIES:-4}
pause=${PALISADE_APT_PAUSE:-20}

missing() {
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || echo "$p"
    done
}

# apt-get update, retried; an index that never downloads is only a warning.
updated=
update() {
    [ -z "$updated" ] || return 0
    updated=1
    n=1
    while :; do
        if $SUDO apt-get update -q >/tmp/palisade-apt-update.$$ 2>&1; then
            rm -f /tmp/palisade-apt-update.$$
            return 0
        fi
        if [ "$n" -ge "$tries" ]; then
            echo "warning: apt-get update failed $n times; going on with the indexes that downloaded:"
            grep -E '^(E|Err|W):' /tmp/palisade-apt-update.$$ | sed 's/^/    /' | head -n 6
            rm -f /tmp/palisade-apt-update.$$
            return 0
        fi
        echo "apt-get update failed (try $n of $tries); trying again in $pause s"
        n=$((n + 1))
        sleep "$pause"
    done
}

install() {
    [ -n "$*" ] || return 0
    update
    $SUDO apt-get install -y -q --no-install-recommends "$@"
}

x86_64_packages="cmake make python3 g++ g++-mingw-w64-x86-64 binutils-mingw-w64 wine wine64
    xvfb xauth libgl1-mesa-dri libglx-mesa0 libgl1 khronos-api googletest"
install $(missing $x86_64_packages)
[ "${1:-}" != x86_64 ] || exit 0

install $(missing clang libclang-rt-14-dev g++-mingw-w64-i686)

# i686 Windows programs need Wine's 32-bit loader to run: natively, or under
# qemu-user when the kernel runs no 32-bit programs (tools/i686-road.sh).
# Without libgl1:i386, Wine's 32-bit OpenGL is disabled.
rm -f "$failed_i386"
reason=
if [ "${PALISADE_I386_PACKAGES:-}" = fail ]; then
    reason="rehearsed (PALISADE_I386_PACKAGES=fail)"
else
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
        updated=
    fi
    i386=$(missing wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386)
    if [ -n "$i386" ]; then
        update
        if ! $SUDO apt-get install -y -q --no-install-recommends $i386 >/tmp/palisade-apt-i386.$$ 2>&1; then
            # apt's own reason: its first error line, or the first unmet dependency.
            reason=$(grep -E '^E:' /tmp/palisade-apt-i386.$$ | head -n 1)
            dep=$(grep -E 'Depends:|but it is not' /tmp/palisade-apt-i386.$$ | head -n 1 | sed 's/^ *//')
            [ -z "$dep" ] || reason="$reason ($dep)"
            [ -n "$reason" ] || reason="apt-get install failed"
        fi
        rm -f /tmp/palisade-apt-i386.$$
    fi
fi
if [ -n "$reason" ]; then
    mkdir -p "$(dirname "$failed_i386")"
    echo "$reason" >"$failed_i386"
    echo "32-bit Wine packages not installed, the i686 Windows tests will not run: $reason"
fi

road=$(sh "$top/tools/i686-road.sh")
if [ -z "$reason" ] && { [ "$road" = none ] || { [ "${PALISADE_I686_ROAD:-}" = emulated ] && [ "$road" != emulated ]; }; }; then
    install $(missing qemu-user-static)
fi
$SUDO env PALISADE_I686_ROAD="${PALISADE_I686_ROAD:-}" sh "$top/tools/i686-road.sh" setup
