// The wrappers of the GDI pixel-format and swap functions, and of the four
// SGIX pbuffer and read-drawable functions.
//
// An application's ChoosePixelFormat, DescribePixelFormat, GetPixelFormat,
// SetPixelFormat and SwapBuffers reach gdi32, which calls the wgl function of
// the same name in the library loaded as opengl32.dll: this one, when it
// stands in for the system library. The wgl entry point sees gdi32 as its
// caller and hands the call to the wrapper here, which annotates and counts
// it as the GDI call it is and ends in the system library's wgl function, the
// one gdi32 was calling.
#define _GDI32_
#include "gdi.h"

#include <string.h>

#include "debugger_tables.h"
#include "gate.h"
#include "halt.h"
#include "history.h"

bool came_from_gdi(void *return_address) {
    static std::atomic<uintptr_t> start, end;
    uintptr_t first = start.load(std::memory_order_acquire);
    if (!first) {
        HMODULE gdi32 = GetModuleHandleA("gdi32.dll");
        if (!gdi32) return false;
        const IMAGE_DOS_HEADER *dos = (const IMAGE_DOS_HEADER *)gdi32;
        const IMAGE_NT_HEADERS *nt = (const IMAGE_NT_HEADERS *)((const char *)gdi32 + dos->e_lfanew);
        end.store((uintptr_t)gdi32 + nt->OptionalHeader.SizeOfImage, std::memory_order_relaxed);
        first = (uintptr_t)gdi32;
        start.store(first, std::memory_order_release);
    }
    uintptr_t address = (uintptr_t)return_address;
    return address >= first && address < end.load(std::memory_order_relaxed);
}

// The template of the four pixel-format wrappers: annotate, count, call.
// The application reads the last error the system function left.
template <unsigned G, unsigned K, typename F, typename... A>
static auto gdi_call(A... args) {
    DWORD error = GetLastError();
    DebugThreadContext *ctx = context_get();
    history_annotate(ctx, "Info", ctx->master->gdi_names[G]);
    ++ctx->process->gdi_call_counts[G];
    InSystem in_system(ctx);
    SetLastError(error);
    return ((F)ctx->libraries->wgl_procs[K])(args...);
}

BOOL swap_buffers(unsigned id, HDC dc) {
    DWORD error = GetLastError();
    DebugThreadContext *ctx = context_get();
    bool gdi = id == GDI_ID_BASE + GDI_SwapBuffers;
    const char *name = gdi ? ctx->master->gdi_names[GDI_SwapBuffers]
                           : ctx->master->wgl_names[WGL_wglSwapBuffers];
    BOOL skipped = halt_at_swap(ctx, name);
    SetLastError(error);
    if (skipped) return FALSE;
    typedef BOOL(WINAPI * Swap)(HDC);
    BOOL result;
    {
        InSystem in_system(ctx);
        SetLastError(error);
        result = ((Swap)ctx->libraries->wgl_procs[WGL_wglSwapBuffers])(dc);
    }
    error = GetLastError();
    history_annotate(ctx, "Info", name);
    ++(gdi ? ctx->process->gdi_call_counts[GDI_SwapBuffers]
           : ctx->process->wgl_call_counts[WGL_wglSwapBuffers]);
    SetLastError(error);
    return result;
}

// The pbuffer functions are extensions, which an application gets from
// wglGetProcAddress: the system's, as last handed out there, each in place
// of the debugger's wrapper of it.
static std::atomic<PROC> pbuffer_procs[PBUFFER_COUNT];

template <unsigned P, typename F, typename... A>
static auto pbuffer_call(const char *tag, A... args) {
    DWORD error = GetLastError();
    DebugThreadContext *ctx = context_get();
    const char *name = command_name_table[PBUFFER_ID_BASE + P];
    history_annotate(ctx, tag, name);
    ++ctx->process->pbuffer_call_counts[P];
    F real = (F)pbuffer_procs[P].load(std::memory_order_acquire);
    using Result = decltype(real(args...));
    InSystem in_system(ctx);
    SetLastError(error);
    if (!real) return Result();
    return real(args...);
}

extern "C" {

int WINAPI wrap_ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR *pfd) {
    return gdi_call<GDI_ChoosePixelFormat, WGL_wglChoosePixelFormat, decltype(&wrap_ChoosePixelFormat)>(dc, pfd);
}
int WINAPI wrap_DescribePixelFormat(HDC dc, int format, UINT size, LPPIXELFORMATDESCRIPTOR pfd) {
    return gdi_call<GDI_DescribePixelFormat, WGL_wglDescribePixelFormat,
                    decltype(&wrap_DescribePixelFormat)>(dc, format, size, pfd);
}
int WINAPI wrap_GetPixelFormat(HDC dc) {
    return gdi_call<GDI_GetPixelFormat, WGL_wglGetPixelFormat, decltype(&wrap_GetPixelFormat)>(dc);
}
BOOL WINAPI wrap_SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR *pfd) {
    return gdi_call<GDI_SetPixelFormat, WGL_wglSetPixelFormat, decltype(&wrap_SetPixelFormat)>(
        dc, format, pfd);
}
BOOL WINAPI wrap_SwapBuffers(HDC dc) { return swap_buffers(GDI_ID_BASE + GDI_SwapBuffers, dc); }

HANDLE WINAPI wrap_wglCreatePBufferSGIX(HDC dc, int format, int width, int height,
                                        const int *attributes) {
    return pbuffer_call<PBUFFER_wglCreatePBufferSGIX, decltype(&wrap_wglCreatePBufferSGIX)>(
        "Info", dc, format, width, height, attributes);
}
void WINAPI wrap_wglDestroyPBufferSGIX(HANDLE pbuffer) {
    pbuffer_call<PBUFFER_wglDestroyPBufferSGIX, decltype(&wrap_wglDestroyPBufferSGIX)>("Info",
                                                                                     pbuffer);
}
void WINAPI wrap_wglQueryPBufferSGIX(HANDLE pbuffer, int attribute, unsigned *value) {
    pbuffer_call<PBUFFER_wglQueryPBufferSGIX, decltype(&wrap_wglQueryPBufferSGIX)>(
        "info", pbuffer, attribute, value);
}
BOOL WINAPI wrap_wglMakeCurrentReadSGIX(HDC draw, HDC read, HGLRC rc) {
    return pbuffer_call<PBUFFER_wglMakeCurrentReadSGIX, decltype(&wrap_wglMakeCurrentReadSGIX)>(
        "info", draw, read, rc);
}

}  // extern "C"

PROC pbuffer_wrapper(const char *name, PROC real) {
    static const PROC wrappers[PBUFFER_COUNT] = {
        (PROC)wrap_wglCreatePBufferSGIX, (PROC)wrap_wglDestroyPBufferSGIX,
        (PROC)wrap_wglQueryPBufferSGIX, (PROC)wrap_wglMakeCurrentReadSGIX};
    if (!real || (uintptr_t)name >> 16 == 0) return nullptr;
    for (unsigned p = 0; p < PBUFFER_COUNT; ++p) {
        if (!strcmp(name, command_name_table[PBUFFER_ID_BASE + p])) {
            pbuffer_procs[p].store(real, std::memory_order_release);
            return wrappers[p];
        }
    }
    return nullptr;
}
