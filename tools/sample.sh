#!/bin/sh
# Builds Palisade for x86-64 Windows and runs the sample OpenGL program under
# Wine and Xvfb: on the system opengl32.dll, then with palisade.dll put beside
# it as opengl32.dll, saying what each run read back; then once more with a
# GLS text capture open on its thread, and shows what was recorded.
set -e
cd "$(dirname "$0")/.."
sh tools/setup.sh
export PALISADE_WINEPREFIX="$PWD/build/wineprefix"
cmake -S . -B build/x86_64 -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake
cmake --build build/x86_64 -j "$(nproc)" --target palisade spinning_quads capture_sample

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
echo "== with a GLS text capture open"
(cd "$run" && xvfb-run -a -s "-screen 0 1024x768x24" ../../../cmake/wine-run \
    ../bin/capture_sample.exe ../../../tests/golden/sample_frame.gls)
echo "== recorded ($run/capture_sample.gls), the first lines:"
head -n 40 "$run/capture_sample.gls"
echo "..."
echo "== one frame of it ($run/capture_sample_frame.gls):"
cat "$run/capture_sample_frame.gls"
