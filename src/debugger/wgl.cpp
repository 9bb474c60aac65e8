// The 24 wgl entry points: the door by which an application thread enters
// the debugger (the first one builds the thread's debugger). Each annotates
// the history, counts the call and ends in the system library's function;
// wglMakeCurrent attaches the record of the context current after it (and
// wglDeleteContext that of no context, when it took the current one away),
// wglSwapBuffers can halt at the swap, and wglGetProcAddress hands out the
// debugger's wrappers of the pbuffer functions. The application reads the
// last error the system function left: the debugger's work around it keeps
// the value.
//
// gdi32's pixel-format and swap functions call the wgl functions of the
// library loaded as opengl32.dll: when the debugger stands in for it, those
// calls arrive here from inside gdi32, and are the application's calls of
// the GDI functions, handled by their own wrappers (gdi.cpp).
#define _GDI32_
#include "analyses_attach.h"
#include "gate.h"
#include "history.h"
#include "thread_context.h"
#include "gdi.h"

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

// The template of every entry point: annotate, count, call the real
// function, then `after` (with the thread's context and the result). F is
// the entry point's own type.
template <unsigned K, typename F, typename After, typename... A>
static auto wgl_call(After after, A... args) {
    DWORD error = GetLastError();
    DebugThreadContext *ctx = context_get();
    history_annotate(ctx, "Info", ctx->master->wgl_names[K]);
    ++ctx->process->wgl_call_counts[K];
    auto result = [&] {
        InSystem in_system(ctx);
        SetLastError(error);
        return ((F)ctx->libraries->wgl_procs[K])(args...);
    }();
    error = GetLastError();
    after(ctx, result);
    SetLastError(error);
    return result;
}

struct NothingAfter {
    template <typename R>
    void operator()(DebugThreadContext *, R) const {}
};

template <unsigned K, typename F, typename... A>
static auto wgl_entry(A... args) {
    return wgl_call<K, F>(NothingAfter(), args...);
}

// The call of a pixel-format function: the GDI function's when gdi32 made it.
#define PIXEL_FORMAT_ENTRY(name, ...)                                                      \
    (came_from_gdi(__builtin_return_address(0)) ? wrap_##name(__VA_ARGS__)                 \
                                                : wgl_entry<WGL_wgl##name, decltype(&wgl##name)>(__VA_ARGS__))

extern "C" {

int WINAPI wglChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR *pfd) {
    return PIXEL_FORMAT_ENTRY(ChoosePixelFormat, dc, pfd);
}
int WINAPI wglDescribePixelFormat(HDC dc, int format, UINT size, LPPIXELFORMATDESCRIPTOR pfd) {
    return PIXEL_FORMAT_ENTRY(DescribePixelFormat, dc, format, size, pfd);
}
int WINAPI wglGetPixelFormat(HDC dc) { return PIXEL_FORMAT_ENTRY(GetPixelFormat, dc); }
BOOL WINAPI wglSetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR *pfd) {
    return PIXEL_FORMAT_ENTRY(SetPixelFormat, dc, format, pfd);
}

BOOL WINAPI wglSwapBuffers(HDC dc) {
    if (came_from_gdi(__builtin_return_address(0))) return wrap_SwapBuffers(dc);
    return swap_buffers(WGL_ID_BASE + WGL_wglSwapBuffers, dc);
}

BOOL WINAPI wglCopyContext(HGLRC src, HGLRC dst, UINT mask) {
    return wgl_entry<WGL_wglCopyContext, decltype(&wglCopyContext)>(src, dst, mask);
}
HGLRC WINAPI wglCreateContext(HDC dc) {
    return wgl_entry<WGL_wglCreateContext, decltype(&wglCreateContext)>(dc);
}
HGLRC WINAPI wglCreateLayerContext(HDC dc, int layer) {
    return wgl_entry<WGL_wglCreateLayerContext, decltype(&wglCreateLayerContext)>(dc, layer);
}
BOOL WINAPI wglDeleteContext(HGLRC rc) {
    auto after = [rc](DebugThreadContext *ctx, BOOL deleted) {
        if (!deleted) return;
        // Deleting the current context leaves none current: the calls after
        // it are no context's.
        if (ctx->gl_context->handle == (uintptr_t)rc) context_attach_gl(ctx, current_gl_handle(ctx));
        // The system may hand the handle out again: a context that gets it is a
        // new one, with a record, number and history of its own.
        context_retire_gl(ctx, (uintptr_t)rc);
    };
    return wgl_call<WGL_wglDeleteContext, decltype(&wglDeleteContext)>(after, rc);
}
BOOL WINAPI wglDescribeLayerPlane(HDC dc, int format, int layer, UINT size,
                                  LPLAYERPLANEDESCRIPTOR lpd) {
    return wgl_entry<WGL_wglDescribeLayerPlane, decltype(&wglDescribeLayerPlane)>(
        dc, format, layer, size, lpd);
}
HGLRC WINAPI wglGetCurrentContext(void) {
    return wgl_entry<WGL_wglGetCurrentContext, decltype(&wglGetCurrentContext)>();
}
HDC WINAPI wglGetCurrentDC(void) {
    return wgl_entry<WGL_wglGetCurrentDC, decltype(&wglGetCurrentDC)>();
}
PROC WINAPI wglGetDefaultProcAddress(LPCSTR name) {
    return wgl_entry<WGL_wglGetDefaultProcAddress, decltype(&wglGetDefaultProcAddress)>(name);
}
int WINAPI wglGetLayerPaletteEntries(HDC dc, int layer, int start, int count, COLORREF *entries) {
    return wgl_entry<WGL_wglGetLayerPaletteEntries, decltype(&wglGetLayerPaletteEntries)>(
        dc, layer, start, count, entries);
}
// The pbuffer functions the system has are handed out as the debugger's
// wrappers, which call the system's; every other name gets the system's
// answer.
PROC WINAPI wglGetProcAddress(LPCSTR name) {
    PROC proc = wgl_entry<WGL_wglGetProcAddress, decltype(&wglGetProcAddress)>(name);
    PROC wrapper = proc ? pbuffer_wrapper(name, proc) : nullptr;
    return wrapper ? wrapper : proc;
}
// The record attached is that of the context current after the call, as the
// system says: a call that fails may leave the one before current.
BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC rc) {
    auto after = [](DebugThreadContext *ctx, BOOL) { context_attach_gl(ctx, current_gl_handle(ctx)); };
    return wgl_call<WGL_wglMakeCurrent, decltype(&wglMakeCurrent)>(after, dc, rc);
}
BOOL WINAPI wglRealizeLayerPalette(HDC dc, int layer, BOOL realize) {
    return wgl_entry<WGL_wglRealizeLayerPalette, decltype(&wglRealizeLayerPalette)>(dc, layer,
                                                                                    realize);
}
int WINAPI wglSetLayerPaletteEntries(HDC dc, int layer, int start, int count,
                                     const COLORREF *entries) {
    return wgl_entry<WGL_wglSetLayerPaletteEntries, decltype(&wglSetLayerPaletteEntries)>(
        dc, layer, start, count, entries);
}
BOOL WINAPI wglShareLists(HGLRC a, HGLRC b) {
    auto after = [a, b](DebugThreadContext *ctx, BOOL shared) {
        if (shared) lists_share(ctx, (uintptr_t)a, (uintptr_t)b);
    };
    return wgl_call<WGL_wglShareLists, decltype(&wglShareLists)>(after, a, b);
}
BOOL WINAPI wglSwapLayerBuffers(HDC dc, UINT planes) {
    return wgl_entry<WGL_wglSwapLayerBuffers, decltype(&wglSwapLayerBuffers)>(dc, planes);
}
BOOL WINAPI wglUseFontBitmapsA(HDC dc, DWORD first, DWORD count, DWORD base) {
    return wgl_entry<WGL_wglUseFontBitmapsA, decltype(&wglUseFontBitmapsA)>(dc, first, count,
                                                                            base);
}
BOOL WINAPI wglUseFontBitmapsW(HDC dc, DWORD first, DWORD count, DWORD base) {
    return wgl_entry<WGL_wglUseFontBitmapsW, decltype(&wglUseFontBitmapsW)>(dc, first, count,
                                                                            base);
}
BOOL WINAPI wglUseFontOutlinesA(HDC dc, DWORD first, DWORD count, DWORD base, FLOAT deviation,
                                FLOAT extrusion, int format, LPGLYPHMETRICSFLOAT gmf) {
    return wgl_entry<WGL_wglUseFontOutlinesA, decltype(&wglUseFontOutlinesA)>(
        dc, first, count, base, deviation, extrusion, format, gmf);
}
BOOL WINAPI wglUseFontOutlinesW(HDC dc, DWORD first, DWORD count, DWORD base, FLOAT deviation,
                                FLOAT extrusion, int format, LPGLYPHMETRICSFLOAT gmf) {
    return wgl_entry<WGL_wglUseFontOutlinesW, decltype(&wglUseFontOutlinesW)>(
        dc, first, count, base, deviation, extrusion, format, gmf);
}

}  // extern "C"
