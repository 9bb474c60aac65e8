#pragma once

#include <functional>

// Runs fn on a new thread and waits for it.
void runOnOtherThread(const std::function<void()> &fn);

// What the test program's own process hook has been told, and whether the
// core stood when it was last told.
extern int hookCalls;
extern unsigned long hookLastReason;
extern bool hookCoreStood;

// The fake system library, natively (tests/gls/support/fake_gl.cpp).
struct FakeGLCalls {
    float clearColor[4];
    int clearColorCalls;
};
