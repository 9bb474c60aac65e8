#!/bin/sh
# Installs what building and testing Palisade needs on Debian 12, skipping
# what is already there: the MinGW-w64 cross compilers, Wine for 64- and
# 32-bit programs with Mesa's software OpenGL, Xvfb, the Khronos registry,
# GoogleTest, and clang for the native fuzzers.
set -e
SUDO=; [ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive

missing() {
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || echo "$p"
    done
}

updated=
install() {
    [ -n "$*" ] || return 0
    [ -n "$updated" ] || { $SUDO apt-get update -q; updated=1; }
    $SUDO apt-get install -y -q --no-install-recommends "$@"
}

install $(missing cmake make python3 g++ clang libclang-rt-14-dev g++-mingw-w64-x86-64 \
    g++-mingw-w64-i686 binutils-mingw-w64 wine wine64 xvfb xauth libgl1-mesa-dri libglx-mesa0 \
    libgl1 khronos-api googletest)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    updated=
fi
# Without libgl1:i386, Wine's 32-bit OpenGL is disabled.
install $(missing wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386)

# i686 Windows programs need Wine's 32-bit loader to run: natively, or under
# qemu-user when the kernel runs no 32-bit programs (tools/i686-road.sh).
road=$(sh "$(dirname "$0")/i686-road.sh")
if [ "$road" = none ] || { [ "${PALISADE_I686_ROAD:-}" = emulated ] && [ "$road" != emulated ]; }; then
    install $(missing qemu-user-static)
fi
$SUDO env PALISADE_I686_ROAD="${PALISADE_I686_ROAD:-}" sh "$(dirname "$0")/i686-road.sh" setup
