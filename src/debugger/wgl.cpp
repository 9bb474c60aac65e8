// The window-system entry points. Each ends in the system library's function
// of the same name, looked up on first use.
#define _GDI32_
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "real_library.h"

// The pixel-format and buffer-swap functions of the system OpenGL library
// have no declaration in the platform headers; they take the arguments of
// their GDI namesakes.
extern "C" {
int WINAPI wglChoosePixelFormat(HDC, const PIXELFORMATDESCRIPTOR *);
int WINAPI wglDescribePixelFormat(HDC, int, UINT, LPPIXELFORMATDESCRIPTOR);
int WINAPI wglGetPixelFormat(HDC);
BOOL WINAPI wglSetPixelFormat(HDC, int, const PIXELFORMATDESCRIPTOR *);
BOOL WINAPI wglSwapBuffers(HDC);
PROC WINAPI wglGetDefaultProcAddress(LPCSTR);
}

// Calls the real function `name` with the entry point's own arguments. Each
// is looked up once, on its first call; the language makes that first
// initialisation safe when threads race to it.
#define REAL(name)                                                     \
    ([] {                                                              \
        static void *const proc = realOpenGLProc(#name);               \
        return (decltype(&name))proc;                                  \
    }())

extern "C" {

int WINAPI wglChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR *pfd) {
    return REAL(wglChoosePixelFormat)(dc, pfd);
}
int WINAPI wglDescribePixelFormat(HDC dc, int format, UINT size, LPPIXELFORMATDESCRIPTOR pfd) {
    return REAL(wglDescribePixelFormat)(dc, format, size, pfd);
}
int WINAPI wglGetPixelFormat(HDC dc) { return REAL(wglGetPixelFormat)(dc); }
BOOL WINAPI wglSetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR *pfd) {
    return REAL(wglSetPixelFormat)(dc, format, pfd);
}
BOOL WINAPI wglSwapBuffers(HDC dc) { return REAL(wglSwapBuffers)(dc); }
BOOL WINAPI wglCopyContext(HGLRC src, HGLRC dst, UINT mask) {
    return REAL(wglCopyContext)(src, dst, mask);
}
HGLRC WINAPI wglCreateContext(HDC dc) { return REAL(wglCreateContext)(dc); }
HGLRC WINAPI wglCreateLayerContext(HDC dc, int layer) {
    return REAL(wglCreateLayerContext)(dc, layer);
}
BOOL WINAPI wglDeleteContext(HGLRC rc) { return REAL(wglDeleteContext)(rc); }
BOOL WINAPI wglDescribeLayerPlane(HDC dc, int format, int layer, UINT size,
                                  LPLAYERPLANEDESCRIPTOR lpd) {
    return REAL(wglDescribeLayerPlane)(dc, format, layer, size, lpd);
}
HGLRC WINAPI wglGetCurrentContext(void) { return REAL(wglGetCurrentContext)(); }
HDC WINAPI wglGetCurrentDC(void) { return REAL(wglGetCurrentDC)(); }
PROC WINAPI wglGetDefaultProcAddress(LPCSTR name) { return REAL(wglGetDefaultProcAddress)(name); }
int WINAPI wglGetLayerPaletteEntries(HDC dc, int layer, int start, int count, COLORREF *entries) {
    return REAL(wglGetLayerPaletteEntries)(dc, layer, start, count, entries);
}
PROC WINAPI wglGetProcAddress(LPCSTR name) { return REAL(wglGetProcAddress)(name); }
BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC rc) { return REAL(wglMakeCurrent)(dc, rc); }
BOOL WINAPI wglRealizeLayerPalette(HDC dc, int layer, BOOL realize) {
    return REAL(wglRealizeLayerPalette)(dc, layer, realize);
}
int WINAPI wglSetLayerPaletteEntries(HDC dc, int layer, int start, int count,
                                     const COLORREF *entries) {
    return REAL(wglSetLayerPaletteEntries)(dc, layer, start, count, entries);
}
BOOL WINAPI wglShareLists(HGLRC a, HGLRC b) { return REAL(wglShareLists)(a, b); }
BOOL WINAPI wglSwapLayerBuffers(HDC dc, UINT planes) {
    return REAL(wglSwapLayerBuffers)(dc, planes);
}
BOOL WINAPI wglUseFontBitmapsA(HDC dc, DWORD first, DWORD count, DWORD base) {
    return REAL(wglUseFontBitmapsA)(dc, first, count, base);
}
BOOL WINAPI wglUseFontBitmapsW(HDC dc, DWORD first, DWORD count, DWORD base) {
    return REAL(wglUseFontBitmapsW)(dc, first, count, base);
}
BOOL WINAPI wglUseFontOutlinesA(HDC dc, DWORD first, DWORD count, DWORD base, FLOAT deviation,
                                FLOAT extrusion, int format, LPGLYPHMETRICSFLOAT gmf) {
    return REAL(wglUseFontOutlinesA)(dc, first, count, base, deviation, extrusion, format, gmf);
}
BOOL WINAPI wglUseFontOutlinesW(HDC dc, DWORD first, DWORD count, DWORD base, FLOAT deviation,
                                FLOAT extrusion, int format, LPGLYPHMETRICSFLOAT gmf) {
    return REAL(wglUseFontOutlinesW)(dc, first, count, base, deviation, extrusion, format, gmf);
}

}  // extern "C"
