#!/bin/sh
# Builds Palisade for x86-64 and i686 Windows and the portable codec natively,
# then runs every test: Windows tests under Wine inside one Xvfb display,
# native tests under AddressSanitizer and UndefinedBehaviorSanitizer.
set -e
cd "$(dirname "$0")/.."
sh tools/setup.sh
jobs=$(nproc)
export PALISADE_WINEPREFIX="$PWD/build/wineprefix"

cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug
cmake --build build/native -j "$jobs"
for arch in x86_64 i686; do
    cmake -S . -B "build/$arch" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-$arch-w64-mingw32.cmake"
    cmake --build "build/$arch" -j "$jobs"
done

status=0
(cd build/native && ctest --output-on-failure -j "$jobs") || status=1
for arch in x86_64 i686; do
    (cd "build/$arch" && xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j 4) || status=1
done
[ $status -eq 0 ] && echo "all tests passed" || echo "some tests failed"
exit $status
