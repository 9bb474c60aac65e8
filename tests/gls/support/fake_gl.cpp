// A stand-in for the system OpenGL library in native test runs: a handful of
// procedures, so the rest are missing and get their null functions.
#include "support.h"

extern "C" {
FakeGLCalls fakeGLCalls;

void glClearColor(float r, float g, float b, float a) {
    fakeGLCalls.clearColor[0] = r;
    fakeGLCalls.clearColor[1] = g;
    fakeGLCalls.clearColor[2] = b;
    fakeGLCalls.clearColor[3] = a;
    ++fakeGLCalls.clearColorCalls;
}
unsigned glGetError(void) { return 0x0502; }
unsigned glGenLists(int range) { return range > 0 ? 7u : 0u; }
}
