#!/bin/sh
# Builds Palisade for x86-64 Windows and runs the sample OpenGL program under
# Wine and Xvfb twice: on the system opengl32.dll, then with palisade.dll put
# beside it as opengl32.dll; says what each run read back.
set -e
cd "$(dirname "$0")/.."
sh tools/setup.sh
export PALISADE_WINEPREFIX="$PWD/build/wineprefix"
cmake -S . -B build/x86_64 -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake
cmake --build build/x86_64 -j "$(nproc)" --target palisade spinning_quads

run=build/x86_64/sample-run
rm -rf "$run"; mkdir -p "$run"
cp build/x86_64/bin/spinning_quads.exe "$run/"
cp build/x86_64/bin/palisade.dll "$run/opengl32.dll"
echo "== on the system opengl32.dll"
WINEDLLOVERRIDES=opengl32=b xvfb-run -a -s "-screen 0 1024x768x24" \
    cmake/wine-run build/x86_64/bin/spinning_quads.exe "$run/plain.ppm"
echo "== with palisade.dll in its place"
(cd "$run" && WINEDLLOVERRIDES=opengl32=n,b xvfb-run -a -s "-screen 0 1024x768x24" \
    ../../../cmake/wine-run ./spinning_quads.exe palisade.ppm)
if cmp -s "$run/plain.ppm" "$run/palisade.ppm"; then
    echo "== the same pixels both ways ($run/plain.ppm, $run/palisade.ppm)"
else
    echo "== the pixels differ"; exit 1
fi
