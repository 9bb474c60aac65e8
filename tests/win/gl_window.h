// A small hidden window for GL drawing, its RGBA pixel format set through
// gdi32, as the test programs and benchmarks make theirs.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

// The RGBA pixel format the test programs ask for, with `flags` besides
// drawing to a window with OpenGL.
inline PIXELFORMATDESCRIPTOR rgba_format(DWORD flags = 0) {
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | flags;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    return pfd;
}

inline HWND gl_window(const char *title, HDC *dc, DWORD flags = 0) {
    HWND wnd = CreateWindowA("STATIC", title, WS_POPUP, 0, 0, 32, 32, nullptr, nullptr, nullptr,
                             nullptr);
    *dc = GetDC(wnd);
    PIXELFORMATDESCRIPTOR pfd = rgba_format(flags);
    SetPixelFormat(*dc, ChoosePixelFormat(*dc, &pfd), &pfd);
    return wnd;
}

// A window class of the program's own, each window with a device context of
// its own, as GL programs register theirs.
inline void gl_window_class(const char *name, WNDPROC proc) {
    WNDCLASSA wc = {};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}
