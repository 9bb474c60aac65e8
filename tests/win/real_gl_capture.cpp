// Capture and replay on a real GL under Wine, where an application's GL may
// do more than the codec knows: draws from buffer objects it binds through
// wglGetProcAddress, captured with and without vertex-array expansion, and
// replayed queries whose formats and names lie beyond OpenGL 1.1. The
// program links the GLS core statically, as capture_sample does; it fails
// by a message and status 1, and by dying where the GL reads or writes
// memory the codec did not provide.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "api/api.h"
#include "sink.h"
#include "spinning_quads_draw.h"

// The entry points of OpenGL 1.1 used here, exported by the core.
extern "C" {
void GLSAPI glEnableClientState(GLenum);
void GLSAPI glVertexPointer(GLint, GLenum, GLsizei, const GLvoid *);
void GLSAPI glDrawElements(GLenum, GLsizei, GLenum, const GLvoid *);
void GLSAPI glDrawArrays(GLenum, GLint, GLsizei);
void GLSAPI glFinish(void);
GLenum GLSAPI glGetError(void);
}

typedef void(GLSAPI *GenBuffers)(GLsizei, GLuint *);
typedef void(GLSAPI *BindBuffer)(GLenum, GLuint);
typedef void(GLSAPI *BufferData)(GLenum, ptrdiff_t, const void *, GLenum);

static int failures = 0;

static void fail(const char *what) {
    fprintf(stderr, "real_gl_capture: %s\n", what);
    ++failures;
}

// Draws from an element buffer and a vertex buffer bound behind the codec's
// back, with a capture open; the draws run and the record holds the offset.
static void drawFromBuffers(GenBuffers genBuffers, BindBuffer bindBuffer, BufferData bufferData) {
    static const GLfloat vertices[] = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0};
    static const GLushort indices[] = {0, 1, 2, 0, 2, 3};
    GLuint buffers[2];
    genBuffers(2, buffers);
    bindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    bufferData(GL_ARRAY_BUFFER, sizeof vertices, vertices, GL_STATIC_DRAW);
    bindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    bufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof indices, indices, GL_STATIC_DRAW);

    const GLSopcode *opcodes = glsGetOpcodes(GLS_API_GL);
    for (GLint i = 0; i < glsGetOpcodeCount(GLS_API_GL); ++i) glsCaptureFlags(opcodes[i], 3);
    Sink::reset();
    if (!glsBeginCapture((const GLubyte *)"", GLS_TEXT, 0)) fail("the capture did not begin");
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, nullptr);
    __glsEnableAttrib(GLS_CAPTURE_VERTEX_ARRAYS);
    glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_SHORT, (const GLvoid *)6);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    __glsDisableAttrib(GLS_CAPTURE_VERTEX_ARRAYS);
    glFinish();
    glsEndCapture();
    if (glGetError() != 0) fail("the draws from buffers raised a GL error");
    for (const char *record : {"glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, 0x0);",
                               "glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_SHORT, 0x6);",
                               "glDrawArrays(GL_TRIANGLES, 0, 3);"}) {
        if (Sink::out.find(record) == std::string::npos) {
            fprintf(stderr, "real_gl_capture: no %s in\n%s\n", record, Sink::out.c_str());
            fail("a draw from buffers was not captured as it stands");
        }
    }
    bindBuffer(GL_ARRAY_BUFFER, 0);
    bindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

// One record of a hand-made array: its opcode and argument words.
static void put(std::vector<GLuint> *array, GLSopcode op, std::vector<GLuint> args) {
    array->push_back((GLuint)op | (GLuint)(4 + 4 * args.size()) << 16);
    array->insert(array->end(), args.begin(), args.end());
}

// Queries replayed into the real GL write all they write into the
// decoders' buffers.
static void replayQueries(void) {
    std::vector<GLuint> array;
    // glReadPixels: x, y, width, height, format, type, pointer value.
    put(&array, __GLS_OP_glReadPixels,
        {0, 0, 256, 256, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 0x1000, 0});
    // glGetFloatv of names of later GLs: a matrix and a range.
    put(&array, __GLS_OP_glGetFloatv, {GL_TRANSPOSE_MODELVIEW_MATRIX, 0x2000, 0});
    put(&array, __GLS_OP_glGetFloatv, {GL_ALIASED_LINE_WIDTH_RANGE, 0x3000, 0});
    glsCallArray(glsBinary(GL_FALSE), 4 * array.size(), (const GLubyte *)array.data());
    if (glsGetError() != GLS_NONE) fail("the replayed queries raised a GLS error");
}

int main() {
    if (!__glsProcessAttach(nullptr, 1, nullptr)) {
        fprintf(stderr, "real_gl_capture: the GLS core did not start\n");
        return 2;
    }
    HWND wnd = sampleCreateWindow();
    HDC dc = GetDC(wnd);
    HGLRC rc = wnd && dc && sampleSetPixelFormat(dc) ? wglCreateContext(dc) : nullptr;
    if (!rc || !wglMakeCurrent(dc, rc)) {
        fprintf(stderr, "real_gl_capture: no GL context\n");
        return 2;
    }
    const GLuint gls = glsGenContext();
    glsContext(gls);
    glsWriteFunc(Sink::write);

    GenBuffers genBuffers = (GenBuffers)wglGetProcAddress("glGenBuffers");
    BindBuffer bindBuffer = (BindBuffer)wglGetProcAddress("glBindBuffer");
    BufferData bufferData = (BufferData)wglGetProcAddress("glBufferData");
    if (genBuffers && bindBuffer && bufferData) {
        drawFromBuffers(genBuffers, bindBuffer, bufferData);
    } else {
        printf("real_gl_capture: this GL has no buffer objects; their draws are not tried\n");
    }
    replayQueries();

    glsContext(0);
    glsDeleteContext(gls);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(rc);
    ReleaseDC(wnd, dc);
    DestroyWindow(wnd);
    __glsProcessDetach(nullptr, 0, nullptr);
    printf("real_gl_capture: %s\n", failures ? "failed" : "passed");
    return failures ? 1 : 0;
}
