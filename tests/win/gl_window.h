// A small hidden window for GL drawing, its RGBA pixel format set through
// gdi32, as the test programs and benchmarks make theirs.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

inline HWND gl_window(const char *title, HDC *dc, DWORD flags = 0) {
    HWND wnd = CreateWindowA("STATIC", title, WS_POPUP, 0, 0, 32, 32, nullptr, nullptr, nullptr,
                             nullptr);
    *dc = GetDC(wnd);
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | flags;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    SetPixelFormat(*dc, ChoosePixelFormat(*dc, &pfd), &pfd);
    return wnd;
}
