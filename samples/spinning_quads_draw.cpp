// The sample's GL calls. They are declared as plain functions rather than
// imports: a program linked to opengl32 reaches them through the import
// library's stubs, and a program that links the GLS core statically has them
// resolve to the core's own entry points.
#define _GDI32_
#include "spinning_quads_draw.h"

#include <GL/gl.h>

static LRESULT CALLBACK windowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(wnd, msg, wp, lp);
}

HWND sampleCreateWindow(void) {
    WNDCLASSA wc = {};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PalisadeSample";
    RegisterClassA(&wc);
    return CreateWindowA("PalisadeSample", "Palisade sample", WS_POPUP | WS_VISIBLE, 0, 0,
                         kSampleWidth, kSampleHeight, nullptr, nullptr, wc.hInstance, nullptr);
}

bool sampleSetPixelFormat(HDC dc) {
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

unsigned sampleSetUp(void) {
    glViewport(0, 0, kSampleWidth, kSampleHeight);
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

void sampleDrawFrame(unsigned backdrop, int frame) {
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
    glFinish();
}

unsigned sampleReadPixels(unsigned char *pixels) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, kSampleWidth, kSampleHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    return glGetError();
}
