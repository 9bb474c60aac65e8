// The program the windows test drives under the debugger: a known set-up and
// the same frame again and again, so that the driver can tell exactly what
// the debugger's windows must show. It runs until it is quit from the
// control panel (or, failing that, for a few minutes).
//
// Set-up: display list 1 (eight recorded calls: a colour, a quad and
// glEndList) and list 2 (glLineWidth and glEndList), never called.
// Each frame: the clear colour (red 0.5 in even frames, 0.25 in odd ones),
// glClear, 412 triangles of 1,236 glVertex3fv, 2 lines, 3 points, 2 quads,
// glCallList(1), glPointSize and wglSwapBuffers. Nothing else in the state
// changes from one frame to the next.
//
// Before its first frame it writes "window_info.txt": the Window
// Information text after its first line, as the GL reports the drawable.
//
// A thread of its own draws the program's windows into pictures for the
// driver (picture.h): each window draws itself, so another program's window
// standing over it on the shared screen never shows in its picture.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <GL/gl.h>
#include <stdio.h>

#include <string>

#include "gl_window.h"
#include "picture.h"

// Exported by the OpenGL library (here the debugger) though no header says so.
extern "C" BOOL WINAPI wglSwapBuffers(HDC dc);

static GLint get_integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

static void write_window_info(void) {
    FILE *out = fopen("window_info.txt", "wb");
    if (!out) return;
    GLboolean doubled = GL_FALSE, rgba = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubled);
    glGetBooleanv(GL_RGBA_MODE, &rgba);
    fprintf(out, "\r\n%s", doubled ? "Double Buffer" : "Single Buffer");
    if (rgba) {
        fprintf(out, "\r\nRGBA (%d, %d, %d, %d)", get_integer(GL_RED_BITS), get_integer(GL_GREEN_BITS),
                get_integer(GL_BLUE_BITS), get_integer(GL_ALPHA_BITS));
    } else {
        fprintf(out, "\r\nColor Index (%d)", get_integer(GL_INDEX_BITS));
    }
    GLint accum[4] = {get_integer(GL_ACCUM_RED_BITS), get_integer(GL_ACCUM_GREEN_BITS),
                      get_integer(GL_ACCUM_BLUE_BITS), get_integer(GL_ACCUM_ALPHA_BITS)};
    if (accum[0] > 0 || accum[1] > 0 || accum[2] > 0 || accum[3] > 0) {
        fprintf(out, "\r\nAccum Buffer (%d, %d, %d, %d)", accum[0], accum[1], accum[2], accum[3]);
    }
    if (get_integer(GL_STENCIL_BITS) > 0) fprintf(out, "\r\nStencil Buffer (%d)", get_integer(GL_STENCIL_BITS));
    if (get_integer(GL_DEPTH_BITS) > 0) fprintf(out, "\r\nDepth Buffer (%d)", get_integer(GL_DEPTH_BITS));
    fclose(out);
}

static void set_up_lists(void) {
    GLuint first = glGenLists(2);
    glNewList(first, GL_COMPILE);
    glColor3f(0.2f, 0.4f, 0.6f);
    glBegin(GL_QUADS);
    glVertex2f(-0.9f, -0.9f);
    glVertex2f(-0.7f, -0.9f);
    glVertex2f(-0.7f, -0.7f);
    glVertex2f(-0.9f, -0.7f);
    glEnd();
    glEndList();
    glNewList(first + 1, GL_COMPILE);
    glLineWidth(2.0f);
    glEndList();
}

static void draw_frame(HDC dc, int frame) {
    static const GLfloat corners[3][3] = {{-0.5f, -0.5f, 0.0f}, {0.5f, -0.5f, 0.0f}, {0.0f, 0.5f, 0.0f}};
    glClearColor(frame % 2 ? 0.25f : 0.5f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < 1236; ++i) glVertex3fv(corners[i % 3]);
    glEnd();
    glBegin(GL_LINES);
    glVertex2f(-1.0f, 0.8f);
    glVertex2f(1.0f, 0.8f);
    glVertex2f(-1.0f, 0.9f);
    glVertex2f(1.0f, 0.9f);
    glEnd();
    glBegin(GL_POINTS);
    glVertex2f(0.1f, 0.1f);
    glVertex2f(0.2f, 0.2f);
    glVertex2f(0.3f, 0.3f);
    glEnd();
    glBegin(GL_QUADS);
    for (int q = 0; q < 2; ++q) {
        float x = 0.5f + 0.2f * q;
        glVertex2f(x, -0.9f);
        glVertex2f(x + 0.1f, -0.9f);
        glVertex2f(x + 0.1f, -0.8f);
        glVertex2f(x, -0.8f);
    }
    glEnd();
    glCallList(1);
    glPointSize(1.0f);
    wglSwapBuffers(dc);
}

static LRESULT CALLBACK pictures_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_COPYDATA) return DefWindowProcA(window, msg, wp, lp);
    const COPYDATASTRUCT *data = (const COPYDATASTRUCT *)lp;
    HWND target = (HWND)data->dwData;
    DWORD process = 0;
    GetWindowThreadProcessId(target, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(target)) return 0;
    std::string path((const char *)data->lpData, data->cbData);
    RedrawWindow(target, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return picture::write(path, picture::capture(target, true));
}

static DWORD WINAPI pictures_thread(void *) {
    WNDCLASSA kind = {};
    kind.lpfnWndProc = pictures_proc;
    kind.hInstance = GetModuleHandleA(nullptr);
    kind.lpszClassName = picture::service_class();
    RegisterClassA(&kind);
    CreateWindowA(kind.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, kind.hInstance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}

int main() {
    CreateThread(nullptr, 0, pictures_thread, nullptr, 0, nullptr);
    HDC dc = nullptr;
    gl_window("windows test", &dc, PFD_DOUBLEBUFFER);
    HGLRC rc = wglCreateContext(dc);
    if (!rc || !wglMakeCurrent(dc, rc)) return 2;
    write_window_info();
    set_up_lists();
    DWORD start = GetTickCount();
    for (int frame = 0; GetTickCount() - start < 600000; ++frame) draw_frame(dc, frame);
    return 3;
}
