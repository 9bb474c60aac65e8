// The drawing of the spinning-quads sample: its window, pixel format,
// display list, frames and read-back. The sample program and the test that
// captures the sample share it, so both draw exactly the same calls.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

enum { kSampleWidth = 64, kSampleHeight = 64, kSampleFrames = 4 };

HWND sampleCreateWindow(void);
bool sampleSetPixelFormat(HDC dc);
// Sets the viewport and compiles the backdrop display list; returns its name.
unsigned sampleSetUp(void);
// Draws one frame and waits for it to finish.
void sampleDrawFrame(unsigned backdrop, int frame);
// Reads the back buffer as kSampleWidth x kSampleHeight RGB bytes, bottom row
// first; returns the GL error state after the read.
unsigned sampleReadPixels(unsigned char *pixels);
