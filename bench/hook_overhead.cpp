// Prints what the checks add to the calls of the sample's frames: the
// nanoseconds spent in the checks of one frame's calls, per call of the
// frame, with the debugger running, nothing waiting and the switches as the
// control panel starts them (History on). The debugger is linked in; the
// sample draws one frame through it first, so the records are as a running
// application leaves them, then each check the frame's calls reach is
// called again and again with the frame's own arguments.
#define _GDI32_
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <stdio.h>

#include "api/embed.h"
#include "debugger/ring.h"
#include "debugger/thread_context.h"
#include "debugger_hooks.h"
#include "spinning_quads_draw.h"
#include "timing.h"

#include <GL/gl.h>

int main(void) {
    // As the library's entry does, with no interface: nothing halts here
    // but the first call, continued below before it comes.
    __glsSetProcessHook(dll_process_hook);
    if (!__glsProcessAttach(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH, nullptr)) return 2;
    HWND window = sampleCreateWindow();
    HDC dc = GetDC(window);
    if (!window || !sampleSetPixelFormat(dc)) return 2;
    HGLRC rc = wglCreateContext(dc);
    if (!rc || !wglMakeCurrent(dc, rc)) return 2;
    DebugThreadContext *ctx = context_current();
    ring_post(&ctx->process->ui_commands, CMD_CONTINUE);
    unsigned backdrop = sampleSetUp();
    sampleDrawFrame(backdrop, 0);

    // The calls of sampleDrawFrame, in order: 18, of which these reach a check.
    enum { FRAME_CALLS = 18 };
    static const GLushort indices[] = {0, 1, 2, 0, 2, 3};
    static const GLfloat white[4] = {1, 1, 1, 1}, corner[2] = {-0.9f, -0.9f},
                         other[2] = {-0.7f, -0.7f};
    struct Check {
        const char *name;
        void (*run)(DebugThreadContext *);
    };
    static unsigned list;
    list = backdrop;
    const Check checks[] = {
        {"glClear", [](DebugThreadContext *c) { check_glClear(c, GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }},
        {"glCallList", [](DebugThreadContext *c) { check_glCallList(c, list); }},
        {"glEnableClientState", [](DebugThreadContext *c) { check_glEnableClientState(c, GL_VERTEX_ARRAY); }},
        {"glEnableClientState", [](DebugThreadContext *c) { check_glEnableClientState(c, GL_COLOR_ARRAY); }},
        {"glDrawElements",
         [](DebugThreadContext *c) { check_glDrawElements(c, GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, indices); }},
        {"glDisableClientState", [](DebugThreadContext *c) { check_glDisableClientState(c, GL_COLOR_ARRAY); }},
        {"glDisableClientState", [](DebugThreadContext *c) { check_glDisableClientState(c, GL_VERTEX_ARRAY); }},
        {"glColor4f", [](DebugThreadContext *c) { check_glColor4fv(c, white); }},
        {"glRectf", [](DebugThreadContext *c) { check_glRectfv(c, corner, other); }},
        {"glFinish", [](DebugThreadContext *c) { check_glFinish(c); }},
    };
    printf("%-22s %8s\n", "check", "ns");
    double frame = 0;
    for (const Check &check : checks) {
        double ns = nanosecondsPerCall([&](int) { check.run(ctx); }, 200000);
        frame += ns;
        printf("%-22s %8.1f\n", check.name, ns);
    }
    printf("one frame's checks: %.1f ns over %d calls: %.1f ns per call\n", frame, FRAME_CALLS,
           frame / FRAME_CALLS);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(rc);
    return 0;
}
