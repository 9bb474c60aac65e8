// A small OpenGL 1.1 program: a window, a pixel format, a context, a display
// list and vertex arrays, a few frames, then glReadPixels of the last frame.
// It prints a checksum of the pixels and, given a path, writes them as a PPM
// image, so that runs with and without the debugger can be compared. The
// drawing itself is in spinning_quads_draw.cpp.
#include "spinning_quads_draw.h"

#include <GL/gl.h>
#include <stdio.h>

static const int kWidth = kSampleWidth, kHeight = kSampleHeight, kFrames = kSampleFrames;

int main(int argc, char **argv) {
    HWND wnd = sampleCreateWindow();
    HDC dc = GetDC(wnd);
    if (!wnd || !dc || !sampleSetPixelFormat(dc)) {
        fprintf(stderr, "sample: no pixel format\n");
        return 2;
    }
    HGLRC rc = wglCreateContext(dc);
    if (!rc || !wglMakeCurrent(dc, rc)) {
        fprintf(stderr, "sample: no GL context\n");
        return 2;
    }
    GLuint backdrop = sampleSetUp();
    for (int frame = 0; frame < kFrames; ++frame) {
        sampleDrawFrame(backdrop, frame);
        if (frame + 1 < kFrames) SwapBuffers(dc);
    }

    static GLubyte pixels[kWidth * kHeight * 3];
    GLenum error = sampleReadPixels(pixels);

    // FNV-1a over the pixels: equal images give equal checksums.
    unsigned checksum = 2166136261u;
    unsigned lit = 0;
    for (unsigned char byte : pixels) {
        checksum = (checksum ^ byte) * 16777619u;
        lit += byte != 0;
    }
    printf("sample: %s, %d frames of %dx%d, GL error 0x%X, %u non-zero bytes, checksum %08X\n",
           (const char *)glGetString(GL_RENDERER), kFrames, kWidth, kHeight, error, lit, checksum);
    // Which library our gl calls went to: the system's, or one put in its place.
    char module[MAX_PATH] = "";
    HMODULE owner = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       (LPCSTR)(void *)&glClearColor, &owner);
    GetModuleFileNameA(owner, module, sizeof module);
    printf("sample: gl calls went to %s\n", module);
    if (argc > 1) {
        FILE *out = fopen(argv[1], "wb");
        if (out) {
            fprintf(out, "P6\n%d %d\n255\n", kWidth, kHeight);
            for (int row = kHeight - 1; row >= 0; --row) fwrite(pixels + row * kWidth * 3, 1, kWidth * 3, out);
            fclose(out);
        }
    }
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(rc);
    ReleaseDC(wnd, dc);
    DestroyWindow(wnd);
    return error == GL_NO_ERROR && lit > 0 ? 0 : 1;
}
