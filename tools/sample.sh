#!/bin/sh
# Builds Palisade for x86-64 Windows and runs the sample OpenGL program under
# Wine and Xvfb: first on the system opengl32.dll, then under the debugger
# (palisade.dll beside it as opengl32.dll), driven from outside as a person
# would: it halts at its first GL call, is let run until it halts at its first
# buffer swap (Break on SwapBuffers), steps a few calls showing each call and
# the status, opens the Call History window of its GL context and the State
# window of its clear colour, and runs to its end. Then it shows the head of
# the call history, checks both runs read back the same pixels, and leaves
# pictures of the control panel and of the two windows as they stood halted.
set -e
cd "$(dirname "$0")/.."
sh tools/setup.sh x86_64
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
    check 120 off step 3 screenshot panel.png \
    choose 6 window "Select GL Context" 902 select-item 902 "GL context 1" \
    window "Call History" 804 screenshot history.png \
    window-panel choose 9 window "Select State" 1506 screenshot state_select.png \
    select-item 1506 "glGet(GL_COLOR_CLEAR_VALUE)" window State 1606 screenshot state.png \
    print-text 1605 print-text 1606 print-text 1608 \
    window-panel continue wait-exit 0) | tr -d '\r'
if cmp -s "$run/plain.ppm" "$run/palisade.ppm"; then
    echo "== the same pixels both ways ($run/plain.ppm, $run/palisade.ppm)"
else
    echo "== the pixels differ"; exit 1
fi
history=$(ls -d "$run"/temp/PALISADE_*/history)
echo "== the call history ($history), the head of its GL context's file:"
head -n 24 "$(ls "$history"/*.gls | grep -v '/0\.gls$' | head -n 1)" | tr -d '\r'
echo "..."
echo "== pictures of the control panel halted after the steps ($run/panel.png), of the"
echo "   Call History window ($run/history.png), and of Select State ($run/state_select.png)"
echo "   and the State window of the clear colour ($run/state.png)"
