#pragma once

#include <functional>

// Runs fn on a new thread and waits for it.
void runOnOtherThread(const std::function<void()> &fn);

// What the test program's own debugger hook has been told.
extern int hookCalls;
extern unsigned long hookLastReason;

// The fake system library, natively (tests/gls/support/fake_gl.cpp).
struct FakeGLCalls {
    float clearColor[4];
    int clearColorCalls;
};
