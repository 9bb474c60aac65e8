// A program to run under the debugger (palisade.dll beside it as
// opengl32.dll), driven from outside by palisade_driver:
//   quit    two threads draw for ever, each with a window and a GL context of
//           its own: quitting from either panel must end the process with
//           status 0 while the other thread is inside a GL call.
//   crash   draws a little, makes one known call and faults right after it,
//           ending at once (status 3) as a crash would, with nothing flushed
//           on the way out: the history must hold that call as its last line.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <GL/gl.h>
#include <stdio.h>
#include <string.h>

#include "gl_window.h"

static HGLRC makeCurrent(HWND *wnd, HDC *dc) {
    *wnd = gl_window("debugger_program", dc, PFD_DOUBLEBUFFER);
    HGLRC rc = wglCreateContext(*dc);
    wglMakeCurrent(*dc, rc);
    return rc;
}

static DWORD WINAPI drawForEver(LPVOID) {
    HWND wnd;
    HDC dc;
    makeCurrent(&wnd, &dc);
    for (int frame = 0;; ++frame) {
        glClearColor((frame % 7) / 7.0f, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glFinish();
    }
}

static LONG WINAPI endAtOnce(EXCEPTION_POINTERS *) {
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

int main(int argc, char **argv) {
    if (argc > 1 && !strcmp(argv[1], "quit")) {
        HANDLE threads[2];
        for (HANDLE &t : threads) t = CreateThread(nullptr, 0, drawForEver, nullptr, 0, nullptr);
        WaitForMultipleObjects(2, threads, TRUE, INFINITE);
        return 1;  // never reached: quitting ends the process
    }
    if (argc > 1 && !strcmp(argv[1], "crash")) {
        HWND wnd;
        HDC dc;
        makeCurrent(&wnd, &dc);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(0.5f, 0.25f, 1.0f);
        SetUnhandledExceptionFilter(endAtOnce);
        *(volatile int *)nullptr = 1;
        return 1;
    }
    fprintf(stderr, "usage: debugger_program quit|crash\n");
    return 2;
}
