// A small OpenGL 1.1 program: a window, a pixel format, a context, a display
// list and vertex arrays, a few frames, then glReadPixels of the last frame.
// It prints a checksum of the pixels and, given a path, writes them as a PPM
// image, so that runs with and without the debugger can be compared.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <GL/gl.h>
#include <stdio.h>

static const int kWidth = 64, kHeight = 64, kFrames = 4;

static LRESULT CALLBACK windowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(wnd, msg, wp, lp);
}

static HWND createWindow(void) {
    WNDCLASSA wc = {};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PalisadeSample";
    RegisterClassA(&wc);
    return CreateWindowA("PalisadeSample", "Palisade sample", WS_POPUP | WS_VISIBLE, 0, 0,
                         kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
}

static bool setPixelFormat(HDC dc) {
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cDepthBits = 16;
    int format = ChoosePixelFormat(dc, &pfd);
    return format && SetPixelFormat(dc, format, &pfd);
}

static GLuint buildBackdrop(void) {
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_QUADS);
    glColor3f(0.1f, 0.1f, 0.3f);
    glVertex2f(-1, -1);
    glVertex2f(1, -1);
    glColor3ub(40, 80, 160);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
    glEndList();
    return list;
}

static void drawFrame(GLuint backdrop, int frame) {
    static const GLfloat vertices[] = {-0.5f, -0.5f, 0.5f, -0.5f, 0.5f, 0.5f, -0.5f, 0.5f};
    static const GLubyte colors[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
    static const GLushort indices[] = {0, 1, 2, 0, 2, 3};

    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glCallList(backdrop);

    glPushMatrix();
    glRotatef(15.0f * frame, 0, 0, 1);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glColorPointer(3, GL_UNSIGNED_BYTE, 0, colors);
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, indices);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glPopMatrix();

    glColor4f(1, 1, 1, 1);
    glRectf(-0.9f, -0.9f, -0.7f, -0.7f);
}

int main(int argc, char **argv) {
    HWND wnd = createWindow();
    HDC dc = GetDC(wnd);
    if (!wnd || !dc || !setPixelFormat(dc)) {
        fprintf(stderr, "sample: no pixel format\n");
        return 2;
    }
    HGLRC rc = wglCreateContext(dc);
    if (!rc || !wglMakeCurrent(dc, rc)) {
        fprintf(stderr, "sample: no GL context\n");
        return 2;
    }
    glViewport(0, 0, kWidth, kHeight);
    GLuint backdrop = buildBackdrop();
    for (int frame = 0; frame < kFrames; ++frame) {
        drawFrame(backdrop, frame);
        glFinish();
        if (frame + 1 < kFrames) SwapBuffers(dc);
    }

    static GLubyte pixels[kWidth * kHeight * 3];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    GLenum error = glGetError();

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
