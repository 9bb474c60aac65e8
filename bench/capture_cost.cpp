// Prints what a call costs under capture, in one run, on a real GL: three
// workloads, each timed called directly on the system opengl32.dll, through
// the GLS entry points with no capture, and captured (every GL command
// executed and written) into a binary file, a text file and an in-memory
// context stream. Nanoseconds per call are medians over the rounds; "added"
// is the median less the direct median, the ratio the median over it.
//
// The GLS core is linked in statically, as in the captured-sample test, so
// the workloads' gl calls reach its entry points; the direct calls go to the
// procedures of the system library, looked up by name.
//
// Usage: capture_cost [calls per round [rounds]]   (defaults 2000000, 9)
#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <vector>

#include "list_compile.h"
#include "spinning_quads_draw.h"

#include "api/api.h"
#include "core/startup.h"
#include "gls_entry.h"

namespace {

// One set of the procedures a workload calls: the core's or the system's.
struct Procs {
    void(GLSAPI *newList)(GLuint, GLenum);
    void(GLSAPI *endList)(void);
    void(GLSAPI *deleteLists)(GLuint, GLsizei);
    void(GLSAPI *begin)(GLenum);
    void(GLSAPI *end)(void);
    void(GLSAPI *color4f)(GLfloat, GLfloat, GLfloat, GLfloat);
    void(GLSAPI *vertex3f)(GLfloat, GLfloat, GLfloat);
    GLenum(GLSAPI *getError)(void);
    void(GLSAPI *texParameteri)(GLenum, GLenum, GLint);
};

const Procs kCore = {glNewList, glEndList, glDeleteLists, glBegin, glEnd,
                     glColor4f, glVertex3f, glGetError,   glTexParameteri};

template <typename F>
bool lookUp(HMODULE lib, const char *name, F *out) {
    *out = (F)(void *)GetProcAddress(lib, name);
    if (!*out) fprintf(stderr, "capture_cost: the system library has no %s\n", name);
    return *out != nullptr;
}

bool systemProcs(Procs *p) {
    char path[MAX_PATH];
    UINT len = GetSystemDirectoryA(path, MAX_PATH - 16);
    lstrcpyA(path + len, "\\opengl32.dll");
    HMODULE lib = LoadLibraryA(path);
    if (!lib) return false;
    return lookUp(lib, "glNewList", &p->newList) && lookUp(lib, "glEndList", &p->endList) &&
           lookUp(lib, "glDeleteLists", &p->deleteLists) && lookUp(lib, "glBegin", &p->begin) &&
           lookUp(lib, "glEnd", &p->end) && lookUp(lib, "glColor4f", &p->color4f) &&
           lookUp(lib, "glVertex3f", &p->vertex3f) && lookUp(lib, "glGetError", &p->getError) &&
           lookUp(lib, "glTexParameteri", &p->texParameteri);
}

volatile GLenum sink;

// Each workload makes `calls` GL calls and returns the seconds they took;
// the set-up and tear-down around them are not timed.
typedef double (*Workload)(const Procs &gl, long calls);

// glColor4f and glVertex3f pairs compiled into a display list.
double displayList(const Procs &gl, long calls) { return compileListPairs(gl, calls / 2); }

double getError(const Procs &gl, long calls) {
    double start = secondsNow();
    GLenum any = 0;
    for (long i = 0; i < calls; ++i) any |= gl.getError();
    sink = any;
    return secondsNow() - start;
}

// Texture state changes on a bound texture.
double texParameter(const Procs &gl, long calls) {
    double start = secondsNow();
    for (long i = 0; i < calls; ++i) {
        gl.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, (i & 1) ? GL_LINEAR : GL_NEAREST);
    }
    return secondsNow() - start;
}

const struct {
    const char *name;
    Workload run;
} kWorkloads[] = {{"dlist", displayList}, {"geterror", getError}, {"texparam", texParameter}};

enum Mode { kDirect, kPassThrough, kBinary, kText, kContext, kModes };
const char *const kModeNames[kModes] = {"direct", "pass-through", "binary file", "text file",
                                        "context stream"};

char streamPath[MAX_PATH];
const GLubyte *const kContextStream = (const GLubyte *)"capture_cost";

// Opens the mode's capture on a fresh GLS context of its own: every GL
// command executed and written.
GLuint beginMode(Mode mode) {
    if (mode < kBinary) return 0;
    GLuint gls = glsGenContext();
    glsContext(gls);
    const GLSopcode *opcodes = glsGetOpcodes(GLS_API_GL);
    for (GLint i = 0; i < glsGetOpcodeCount(GLS_API_GL); ++i) glsCaptureFlags(opcodes[i], 3);
    static const GLSenum types[] = {GLS_BINARY_LSB_FIRST, GLS_TEXT, GLS_CONTEXT};
    const GLubyte *name = mode == kContext ? kContextStream : (const GLubyte *)streamPath;
    if (!glsBeginCapture(name, types[mode - kBinary], 0)) {
        fprintf(stderr, "capture_cost: the %s capture did not begin\n", kModeNames[mode]);
        exit(1);
    }
    return gls;
}

// GLS contexts whose context streams are kept to the end of the run, so
// that every round records into memory no earlier round touched, as the
// first recording of a session does.
std::vector<GLuint> keptContexts;

// Ends the capture and returns the bytes it wrote.
double endMode(Mode mode, GLuint gls) {
    if (mode < kBinary) return 0;
    glsEndCapture();
    double bytes = 0;
    if (mode == kContext) {
        bytes = (double)glsGetStreamSize(kContextStream);
    } else {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA(streamPath, GetFileExInfoStandard, &data)) {
            bytes = (double)data.nFileSizeHigh * 4294967296.0 + data.nFileSizeLow;
        }
    }
    if (glsGetError() != GLS_NONE) fprintf(stderr, "capture_cost: a GLS error was raised\n");
    glsContext(0);
    if (mode == kContext) {
        keptContexts.push_back(gls);
    } else {
        glsDeleteContext(gls);
    }
    return bytes;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char **argv) {
    const long calls = argc > 1 ? atol(argv[1]) : 2000000;
    const int rounds = argc > 2 ? atoi(argv[2]) : 9;
    if (calls < 2 || rounds < 1) {
        fprintf(stderr, "usage: capture_cost [calls per round [rounds]]\n");
        return 2;
    }
    if (!__glsProcessAttach(nullptr, 1, nullptr)) {
        fprintf(stderr, "capture_cost: the GLS core did not start\n");
        return 1;
    }
    Procs system;
    if (!systemProcs(&system)) return 1;
    HWND wnd = sampleCreateWindow();
    HDC dc = wnd ? GetDC(wnd) : nullptr;
    HGLRC rc = dc && sampleSetPixelFormat(dc) ? wglCreateContext(dc) : nullptr;
    if (!rc || !wglMakeCurrent(dc, rc)) {
        fprintf(stderr, "capture_cost: no GL context\n");
        return 1;
    }
    GetTempPathA(MAX_PATH - 32, streamPath);
    lstrcatA(streamPath, "capture_cost.gls");
    glBindTexture(GL_TEXTURE_2D, 1);

    const int nWorkloads = sizeof kWorkloads / sizeof kWorkloads[0];
    std::vector<double> ns[nWorkloads][kModes];
    double bytesPerCall[nWorkloads][kModes] = {};
    // The first round warms caches and the GL's allocations and is not
    // counted. Modes take turns within a round, so a drift of the machine's
    // speed reaches them all alike.
    for (int round = 0; round <= rounds; ++round) {
        for (int w = 0; w < nWorkloads; ++w) {
            for (int m = 0; m < kModes; ++m) {
                const Mode mode = (Mode)m;
                GLuint gls = beginMode(mode);
                double seconds = kWorkloads[w].run(mode == kDirect ? system : kCore, calls);
                double bytes = endMode(mode, gls);
                if (round == 0) continue;
                ns[w][m].push_back(seconds * 1e9 / (double)calls);
                bytesPerCall[w][m] = bytes / (double)calls;
            }
        }
    }
    DeleteFileA(streamPath);
    for (GLuint gls : keptContexts) glsDeleteContext(gls);

    printf("%ld calls per round, %d rounds; ns per call: median (min-max)\n", calls, rounds);
    printf("%-9s %-15s %8s %17s %9s %7s %10s\n", "workload", "mode", "ns/call", "(min-max)",
           "added ns", "ratio", "bytes/call");
    for (int w = 0; w < nWorkloads; ++w) {
        const double direct = median(ns[w][kDirect]);
        for (int m = 0; m < kModes; ++m) {
            const std::vector<double> &v = ns[w][m];
            const double med = median(v);
            char spread[40];
            snprintf(spread, sizeof spread, "(%.1f-%.1f)", *std::min_element(v.begin(), v.end()),
                     *std::max_element(v.begin(), v.end()));
            printf("%-9s %-15s %8.1f %17s %9.1f %6.2fx %10.1f\n", kWorkloads[w].name, kModeNames[m],
                   med, spread, med - direct, med / direct, bytesPerCall[w][m]);
        }
    }
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(rc);
    ReleaseDC(wnd, dc);
    DestroyWindow(wnd);
    __glsProcessDetach(nullptr, 0, nullptr);
    return 0;
}
