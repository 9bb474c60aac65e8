#!/bin/sh
# Builds Palisade for x86-64 Windows and runs the sample OpenGL program under
# Wine and Xvfb: first on the system opengl32.dll, then under the debugger
# (palisade.dll beside it as opengl32.dll), driven from outside as a person
# would: it halts at its first GL call, is let run until it halts at its first
# buffer swap (Break on SwapBuffers), steps a few calls showing each call and
# the status, and runs to its end. Then it shows the head of the call history,
# checks both runs read back the same pixels, and saves a picture of the
# control panel as it stood halted.
set -e
cd "$(dirname "$0")/.."
sh tools/setup.sh
export PALISADE_WINEPREFIX="$PWD/build/wineprefix"
cmake -S . -B build/x86_64 -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake
cmake --build build/x86_64 -j "$(nproc)" --target palisade spinning_quads palisade_driver

run="$PWD/build/x86_64/sample-run"
rm -rf "$run"; mkdir -p "$run/temp"
cp build/x86_64/bin/spinning_quads.exe build/x86_64/bin/palisade_driver.exe "$run/"
cp build/x86_64/bin/palisade.dll "$run/opengl32.dll"
echo "== on the system opengl32.dll"
WINEDLLOVERRIDES=opengl32=b xvfb-run -a -s "-screen 0 1024x768x24" \
    cmake/wine-run build/x86_64/bin/spinning_quads.exe "$run/plain.ppm"
echo "== under the debugger, driven from outside"
(cd "$run" && WINEDLLOVERRIDES=opengl32=n,b xvfb-run -a -s "-screen 0 1024x768x24" \
    ../../../cmake/wine-run ./palisade_driver.exe --temp "$run/temp" \
    start spinning_quads.exe palisade.ppm -- \
    wait-status Halted print-ids print-call print-status \
    check 120 on continue wait-status "Halted (Break on SwapBuffers)" print-call print-status \
    check 120 off step 3 screenshot panel.bmp continue wait-exit 0) | tr -d '\r'
if cmp -s "$run/plain.ppm" "$run/palisade.ppm"; then
    echo "== the same pixels both ways ($run/plain.ppm, $run/palisade.ppm)"
else
    echo "== the pixels differ"; exit 1
fi
history=$(ls -d "$run"/temp/PALISADE_*/history)
echo "== the call history ($history), the head of its GL context's file:"
head -n 24 "$(ls "$history"/*.gls | grep -v '/0\.gls$' | head -n 1)" | tr -d '\r'
echo "..."
python3 tools/bmp_to_png.py "$run/panel.bmp" "$run/panel.png"
echo "== the control panel, halted after the steps: $run/panel.png"
