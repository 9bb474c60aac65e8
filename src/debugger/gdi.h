// The GDI pixel-format and swap wrappers and the pbuffer wrappers.
#pragma once

#include "thread_context.h"

// 1 when `return_address` lies in the system gdi32: the call is gdi32's own
// call of the wgl function behind one of its pixel-format or swap functions.
bool came_from_gdi(void *return_address);

// The buffer swap of wglSwapBuffers (id 526 + 4) and of SwapBuffers (id 524):
// may halt at the swap, then swaps, annotates, counts and flushes the files.
BOOL swap_buffers(unsigned id, HDC dc);

// The debugger's wrapper of the pbuffer function `name`, which will call
// `real`, the system's (wglGetProcAddress's answer); null for other names.
PROC pbuffer_wrapper(const char *name, PROC real);

extern "C" {
int WINAPI wrap_ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR *pfd);
int WINAPI wrap_DescribePixelFormat(HDC dc, int format, UINT size, LPPIXELFORMATDESCRIPTOR pfd);
int WINAPI wrap_GetPixelFormat(HDC dc);
BOOL WINAPI wrap_SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR *pfd);
BOOL WINAPI wrap_SwapBuffers(HDC dc);

HANDLE WINAPI wrap_wglCreatePBufferSGIX(HDC dc, int format, int width, int height,
                                        const int *attributes);
void WINAPI wrap_wglDestroyPBufferSGIX(HANDLE pbuffer);
void WINAPI wrap_wglQueryPBufferSGIX(HANDLE pbuffer, int attribute, unsigned *value);
BOOL WINAPI wrap_wglMakeCurrentReadSGIX(HDC draw, HDC read, HGLRC rc);
}
