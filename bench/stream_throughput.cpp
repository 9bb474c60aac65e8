// Prints the throughput of the binary and text stream writers, in MB/s and
// calls/s, for a stream of typical per-vertex and state commands written to
// a file, as a capture would put them; and beside each, the throughput of
// decoding that same file with glsCallStream into call functions that do
// nothing.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>

#include "api/api.h"
#include "api/gls_commands.h"
#include "core/seam.h"
#include "core/startup.h"
#include "write/writer.h"

static double secondsNow(void) {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

static GLuint bits(float f) {
    GLuint b;
    memcpy(&b, &f, 4);
    return b;
}

// One frame: a few state commands and a strip of coloured, lit vertices.
static long writeFrame(__GLSwriter *w, int vertices) {
    __GLSputTable &p = w->put;
    static const GLfloat color[3] = {0.25f, 0.5f, 1.0f}, normal[3] = {0, 0, 1};
    GLfloat vertex[3] = {0, 0, 0};
    long calls = 0;
    if (p.beginCommand(w, __GLS_OP_glLoadIdentity, 0)) p.endCommand(w);
    if (p.beginCommand(w, __GLS_OP_glTranslatef, 12)) {
        p.putGLfloat(w, bits(0.5f));
        p.putGLfloat(w, bits(-1.25f));
        p.putGLfloat(w, bits(-10));
        p.endCommand(w);
    }
    if (p.beginCommand(w, __GLS_OP_glBindTexture, 8)) {
        p.putGLenum(w, GL_TEXTURE_2D);
        p.putGLuint(w, 3);
        p.endCommand(w);
    }
    if (p.beginCommand(w, __GLS_OP_glBegin, 4)) {
        p.putGLenum(w, GL_TRIANGLE_STRIP);
        p.endCommand(w);
    }
    calls += 4;
    for (int i = 0; i < vertices; ++i) {
        vertex[0] = i * 0.125f;
        vertex[1] = (i & 1) ? 1.0f : -1.0f;
        const struct { GLSopcode op; const GLfloat *v; } perVertex[3] = {
            {__GLS_OP_glColor3fv, color}, {__GLS_OP_glNormal3fv, normal}, {__GLS_OP_glVertex3fv, vertex}};
        for (const auto &c : perVertex) {
            if (p.beginCommand(w, c.op, 12)) {
                p.putGLfloatv(w, 3, c.v);
                p.endCommand(w);
            }
        }
        calls += 3;
    }
    if (p.beginCommand(w, __GLS_OP_glEnd, 0)) p.endCommand(w);
    return calls + 1;
}

// The call functions of the frame's commands: they take their arguments
// and do nothing with them.
void GLSAPI none0(void) {}
void GLSAPI noneVector(const GLfloat *) {}
void GLSAPI noneEnum(GLenum) {}
void GLSAPI noneBind(GLenum, GLuint) {}
void GLSAPI noneTranslate(GLfloat, GLfloat, GLfloat) {}

void installNothingCalls() {
    const struct { GLSopcode op; __GLSfunc fn; } calls[] = {
        {__GLS_OP_glLoadIdentity, (__GLSfunc)none0}, {__GLS_OP_glEnd, (__GLSfunc)none0},
        {__GLS_OP_glsBeginGLS, (__GLSfunc)noneBind}, {__GLS_OP_glsEndGLS, (__GLSfunc)none0},
        {__GLS_OP_glTranslatef, (__GLSfunc)noneTranslate}, {__GLS_OP_glBindTexture, (__GLSfunc)noneBind},
        {__GLS_OP_glBegin, (__GLSfunc)noneEnum}, {__GLS_OP_glColor3fv, (__GLSfunc)noneVector},
        {__GLS_OP_glNormal3fv, (__GLSfunc)noneVector}, {__GLS_OP_glVertex3fv, (__GLSfunc)noneVector},
    };
    for (const auto &c : calls) __glsSetCommandFunc(GLS_CALL_FUNC, c.op, c.fn);
}

// The best of a few runs of decoding the file, in seconds.
double decodeSeconds(const char *path, GLSenum type) {
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        double start = secondsNow();
        if (glsCallStream((const GLubyte *)path) != type || glsGetError()) {
            fprintf(stderr, "bench: decoding %s failed\n", path);
            exit(1);
        }
        double seconds = secondsNow() - start;
        if (seconds < best) best = seconds;
    }
    return best;
}

int main(int argc, char **argv) {
    const char *path = argc > 1 ? argv[1] : "stream_throughput.gls";
    // The writers and readers need the core's lock, thread-local slots, a
    // current context and the decode table start-up completes, not the real
    // OpenGL library.
    for (GLSopcode op = 0; op < GLS_OP_COUNT; ++op) {
        if (__glsOpAttributes[op] & 1) __glsDispatchDecode_bin_default[op] = __glsDispatchDecode_bin_swap[op];
    }
    __glsLockSectionInit();
    __glsContextTLS = __glsTlsAlloc();
    __glsErrorTLS = __glsTlsAlloc();
    __glsCreateContextDict();
    GLuint context = glsGenContext();
    glsContext(context);
    installNothingCalls();

    printf("%-22s %8s %12s %12s %12s %12s\n", "stream", "MB", "write MB/s", "write calls/s",
           "read MB/s", "read calls/s");
    const struct { const char *name; GLSenum type; } writers[] = {
        {"binary, LSB first", GLS_BINARY_LSB_FIRST},
        {"binary, MSB first", GLS_BINARY_MSB_FIRST},
        {"text", GLS_TEXT},
    };
    for (const auto &kind : writers) {
        __GLSwriter *w = __glsWriterCreate((const GLubyte *)path, kind.type, 0);
        if (!w) {
            fprintf(stderr, "bench: cannot write %s\n", path);
            return 1;
        }
        long calls = 0;
        double start = secondsNow();
        int frames = kind.type == GLS_TEXT ? 1500 : 6000;
        for (int frame = 0; frame < frames; ++frame) calls += writeFrame(w, 300);
        __glsWriterDestroy(w);
        double seconds = secondsNow() - start;
        struct stat info;
        stat(path, &info);
        double mb = info.st_size / 1e6;
        double reading = decodeSeconds(path, kind.type);
        printf("%-22s %8.1f %12.1f %12.0f %12.1f %12.0f\n", kind.name, mb, mb / seconds,
               calls / seconds, mb / reading, calls / reading);
    }
    remove(path);
    glsContext(0);
    glsDeleteContext(context);
    return 0;
}
