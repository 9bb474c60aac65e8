// A program to run under the debugger (palisade.dll beside it as
// opengl32.dll), driven from outside by palisade_driver, and some of it also
// plain, on the system's opengl32.dll, to compare what it prints:
//   quit [N] N threads (2) start at once and draw for ever, each with a
//            window, a pixel format and a GL context of its own: quitting
//            from any panel must end the process with status 0 while the
//            other threads are inside GL calls.
//   crash fault|terminate|kill|signal
//            draws many calls, makes one known call and dies right after it
//            with nothing flushed on the way out: an access violation that
//            ends the process at once (status 3), TerminateProcess (status
//            3), after it has made the file "killable" holding the id of its
//            Unix process, a wait for that process to be killed from outside, or (under Wine on Linux) of
//            a Unix SIGSEGV, as an uncaught one kills a process. The history
//            must hold that call as its last line.
//   probe    prints what the application reads after calls that fail and
//            calls that succeed (results, the last error after each call made
//            with a known value set before it, the GL errors it reads back,
//            errors no call raises again among them, what queries with no
//            context current leave in its arrays): under the debugger it must
//            print what it prints plain.
//   shared   contexts made on the main thread and sharing their lists; worker
//            threads each make one current, compile a list, let it go and,
//            once the main thread has set every worker context's viewport at
//            the window's first WM_SIZE, draw frames with it. The main thread
//            waits a while for the workers to let their contexts go: a
//            worker still holding its own then fails the resize. Then the
//            main thread makes calls after a wglMakeCurrent that fails and
//            after deleting its current context.
//   textures [ROUNDS]
//            glTexImage2D of RGBA images of 16, 128, 256 and 1024 pixels
//            square, the last one's text many times the writer's buffer;
//            ROUNDS times (1).
//   fill     draws for four seconds, many calls a frame.
//   messages worker threads each draw frames in a window of the main thread's
//            with a context of their own, made current only under the
//            program's lock, and send their window WM_SIZE now and then;
//            the main thread, which handles it by making the worker's
//            context current under the lock to set its viewport, draws in a
//            window of its own between its messages. It counts the window
//            messages that ran inside one of its GL or wgl calls: plain none
//            does, and none may under the debugger, however long its halts.
//   pbuffer  stands in for a system that has the SGIX pbuffer functions (it
//            answers for them in the system library's wglGetProcAddress),
//            gets them through wglGetProcAddress and calls each.
//   starts box|ended [stay]
//            the main thread makes GL calls while another thread starts and
//            makes its first one, and prints the slowest of them: with
//            "ended", after a thread drawing textures, their text long, was
//            ended by TerminateThread inside its calls. With "stay" no thread
//            starts after that one ended: a dialog captioned "ended" shows,
//            and the main thread goes on making calls until the process is
//            ended.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <GL/gl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "gl_window.h"
#include "linux_calls.h"

static HGLRC makeCurrent(HWND *wnd, HDC *dc) {
    *wnd = gl_window("debugger_program", dc, PFD_DOUBLEBUFFER);
    HGLRC rc = wglCreateContext(*dc);
    wglMakeCurrent(*dc, rc);
    return rc;
}

static DWORD WINAPI drawForEver(LPVOID) {
    HWND wnd;
    HDC dc;
    makeCurrent(&wnd, &dc);
    for (int frame = 0;; ++frame) {
        glClearColor((frame % 7) / 7.0f, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glFinish();
    }
}

static LONG WINAPI endAtOnce(EXCEPTION_POINTERS *) {
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

// ------------------------------------------------------------------ probe

static const DWORD kSentinel = 0xdeadbeef;

// One line per call: what it returned and the last error after it.
static void line(const char *what, long long result) {
    printf("%-48s %lld, last error %lu\n", what, result, GetLastError());
    fflush(stdout);
}

#define PROBE(what, call)         \
    do {                          \
        SetLastError(kSentinel);  \
        long long r = (call);     \
        line(what, r);            \
    } while (0)

// The GL errors pending, read until none is.
static void errors(const char *when) {
    printf("%-48s", when);
    for (int i = 0; i < 4; ++i) {
        GLenum e = glGetError();
        printf(" 0x%X", e);
        if (e == GL_NO_ERROR) break;
    }
    printf("\n");
    fflush(stdout);
}

// What each query leaves in arrays the application filled with -1 (7 for
// the booleans): the system library with no context current writes none.
static void queries(const char *when) {
    static const GLenum names[] = {GL_CURRENT_COLOR, GL_UNPACK_ALIGNMENT};
    printf("%-48s", when);
    for (GLenum name : names) {
        GLfloat f[4] = {-1, -1, -1, -1};
        GLboolean b[4] = {7, 7, 7, 7};
        GLdouble d[4] = {-1, -1, -1, -1};
        GLint i[4] = {-1, -1, -1, -1};
        glGetFloatv(name, f);
        glGetBooleanv(name, b);
        glGetDoublev(name, d);
        glGetIntegerv(name, i);
        printf(" 0x%X: %g %d %g %d", name, f[0], b[0], d[0], i[0]);
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    printf(", vertex array %d\n", glIsEnabled(GL_VERTEX_ARRAY));
    glDisableClientState(GL_VERTEX_ARRAY);
    fflush(stdout);
}

// An image the software GL refuses for its size with GL_OUT_OF_MEMORY
// before it allocates anything.
static void textureTooLarge() {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16, 16384, 16384, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
}

// GL errors no call can raise again without doing more: the application
// reads each after the debugger has read them (its error check after every
// call, the scan at a halt), and as a GL with one error flag reports them,
// the first of several only.
static void errorsNoCallRaises(HDC dc) {
    textureTooLarge();
    errors("errors after a texture too large:");
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glPopAttrib();
    errors("errors after glPopAttrib, a client push held:");
    glPopClientAttrib();
    typedef void(WINAPI * GenFramebuffers)(GLsizei, GLuint *);
    typedef void(WINAPI * BindFramebuffer)(GLenum, GLuint);
    auto gen = (GenFramebuffers)wglGetProcAddress("glGenFramebuffers");
    auto bind = (BindFramebuffer)wglGetProcAddress("glBindFramebuffer");
    auto remove = (GenFramebuffers)wglGetProcAddress("glDeleteFramebuffers");
    if (gen && bind && remove) {
        GLuint incomplete = 0;
        gen(1, &incomplete);
        bind(0x8D40, incomplete);  // GL_FRAMEBUFFER, with nothing attached
        glClear(GL_COLOR_BUFFER_BIT);
        errors("errors after glClear, framebuffer incomplete:");
        bind(0x8D40, 0);
        remove(1, &incomplete);
    }
    textureTooLarge();
    glEnable(0xFFFF);
    textureTooLarge();
    errors("errors after too large, a bad enable, too large:");
    textureTooLarge();
    SwapBuffers(dc);
    errors("errors left across a buffer swap:");
}

// A stack underflow no call raises again while the client stack holds a push.
static void popMatrixClientPushHeld() {
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPopMatrix();
}

static void badEnable() { glEnable(0xFFFF); }

// Between glBegin and glEnd the GL refuses glGetError: it answers 0 and
// makes GL_INVALID_OPERATION, behind whatever error came before glBegin,
// whether the debugger raised that again or keeps it; with no glGetError
// there, the GL has no error of its own. A glBegin compiled into a list may
// leave the GL outside (with GL_COMPILE always, with GL_COMPILE_AND_EXECUTE
// on Mesa), where glGetError answers.
static void errorsAcrossBeginEnd() {
    static const struct {
        const char *before;
        void (*make)();
        GLenum list_mode;
        bool read_inside;
    } cases[] = {
        {"nothing", nullptr, 0, false},
        {"nothing", nullptr, 0, true},
        {"a bad enable", badEnable, 0, true},
        {"glPopMatrix, a client push held", popMatrixClientPushHeld, 0, true},
        {"a texture too large", textureTooLarge, GL_COMPILE, true},
        {"a texture too large", textureTooLarge, GL_COMPILE_AND_EXECUTE, true},
    };
    for (const auto &c : cases) {
        if (c.make) c.make();
        if (c.list_mode) glNewList(3, c.list_mode);
        glBegin(GL_POINTS);
        GLenum inside = c.read_inside ? glGetError() : 0;
        glVertex2f(0, 0);
        glEnd();
        if (c.list_mode) glEndList();
        printf("glBegin/glEnd after %s, list mode 0x%X: read 0x%X\n", c.before, c.list_mode, inside);
        errors("errors after glEnd:");
    }
    glPopClientAttrib();
}

static HDC probeDc;
static HGLRC held;
static HANDLE heldMade, heldDone;

// Enters the debugger by a call that succeeds: the first call of a thread.
static DWORD WINAPI firstCallThread(LPVOID) {
    PROBE("first call of a thread: wglGetCurrentContext", (long long)(INT_PTR)wglGetCurrentContext());
    return 0;
}

static DWORD WINAPI holdContext(LPVOID) {
    wglMakeCurrent(probeDc, held);
    SetEvent(heldMade);
    WaitForSingleObject(heldDone, INFINITE);
    wglMakeCurrent(nullptr, nullptr);
    return 0;
}

// Reads the errors another thread left pending on a context.
static DWORD WINAPI readErrorsOf(LPVOID rc) {
    wglMakeCurrent(probeDc, (HGLRC)rc);
    errors("errors another thread left:");
    wglMakeCurrent(nullptr, nullptr);
    return 0;
}

// The other threads come after the main thread's first GL call: until then
// its panel is the program's only one.
static int probe() {
    PROBE("first call: wglMakeCurrent(0, 0), none current", wglMakeCurrent(nullptr, nullptr));
    HWND wnd = CreateWindowA("STATIC", "probe", WS_POPUP, 0, 0, 32, 32, nullptr, nullptr, nullptr, nullptr);
    HDC dc = probeDc = GetDC(wnd);
    PIXELFORMATDESCRIPTOR pfd = rgba_format(PFD_DOUBLEBUFFER);
    int format = 0;
    PROBE("ChoosePixelFormat", format = ChoosePixelFormat(dc, &pfd));
    PROBE("SetPixelFormat", SetPixelFormat(dc, format, &pfd));
    PROBE("DescribePixelFormat", DescribePixelFormat(dc, format, sizeof pfd, &pfd));
    PROBE("GetPixelFormat", GetPixelFormat(dc));
    HGLRC a = nullptr, b = nullptr, gone = nullptr;
    PROBE("wglCreateContext", (a = wglCreateContext(dc)) != nullptr);
    b = wglCreateContext(dc);
    gone = wglCreateContext(dc);
    PROBE("wglShareLists", wglShareLists(a, b));
    PROBE("wglDeleteContext", wglDeleteContext(gone));
    PROBE("wglMakeCurrent of a deleted context", wglMakeCurrent(dc, gone));
    PROBE("wglMakeCurrent", wglMakeCurrent(dc, a));
    PROBE("wglGetCurrentContext is the one made current", wglGetCurrentContext() == a);
    // Wine's font lists leave an error no call raises again, before the
    // thread's first GL call, whose halt scans the state.
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    PROBE("wglUseFontBitmapsA", wglUseFontBitmapsA(dc, 32, 96, 1000));
    PROBE("glClearColor", (glClearColor(0.25f, 0.5f, 0.75f, 1), 0));
    errors("errors after wglUseFontBitmapsA:");
    HANDLE first = CreateThread(nullptr, 0, firstCallThread, nullptr, 0, nullptr);
    WaitForSingleObject(first, INFINITE);
    held = b;
    heldMade = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    heldDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE holder = CreateThread(nullptr, 0, holdContext, nullptr, 0, nullptr);
    WaitForSingleObject(heldMade, INFINITE);
    PROBE("wglMakeCurrent of one current on another thread", wglMakeCurrent(dc, b));
    PROBE("wglGetCurrentContext is still the one before", wglGetCurrentContext() == a);
    SetEvent(heldDone);
    WaitForSingleObject(holder, INFINITE);
    PROBE("glGenLists", glGenLists(1));
    PROBE("glNewList", (glNewList(1, GL_COMPILE), 0));
    PROBE("glColor3f while compiling", (glColor3f(1, 0, 0), 0));
    PROBE("glEndList", (glEndList(), 0));
    PROBE("glFlush", (glFlush(), 0));
    PROBE("glFinish", (glFinish(), 0));
    PROBE("glGetError", glGetError());
    PROBE("glEnable of no capability", (glEnable(0xFFFF), 0));
    PROBE("glColor3f after an error", (glColor3f(0, 1, 0), 0));
    errors("errors read after both:");
    glEnable(0xFFFF);
    glGenLists(-1);
    errors("errors after two kinds:");
    glNewList(2, GL_COMPILE);
    glEndList();
    glEndList();
    errors("errors after a list and one glEndList too many:");
    errorsNoCallRaises(dc);
    errorsAcrossBeginEnd();
    // A context let go with such an error pending: the thread that makes it
    // current next reads it.
    textureTooLarge();
    wglMakeCurrent(nullptr, nullptr);
    HANDLE reader = CreateThread(nullptr, 0, readErrorsOf, a, 0, nullptr);
    WaitForSingleObject(reader, INFINITE);
    wglMakeCurrent(dc, a);
    glEnable(0xFFFF);
    PROBE("wglMakeCurrent of the other context", wglMakeCurrent(dc, b));
    errors("errors of the other context:");
    PROBE("wglMakeCurrent back", wglMakeCurrent(dc, a));
    errors("errors left pending before:");
    PROBE("wglMakeCurrent(0, 0)", wglMakeCurrent(nullptr, nullptr));
    PROBE("glColor3f with none current", (glColor3f(0, 0, 1), 0));
    errors("errors with none current:");
    queries("queries with none current:");
    wglMakeCurrent(dc, a);
    PROBE("wglDeleteContext of the current context", wglDeleteContext(a));
    PROBE("wglGetCurrentContext after it", (long long)(INT_PTR)wglGetCurrentContext());
    errors("errors after it:");
    return 0;
}

// ----------------------------------------------------------------- shared

enum { WORKERS = 2, FRAMES = 10 };
static HDC sharedDc;
static HGLRC contexts[1 + WORKERS];
static HANDLE ready[WORKERS], resized;
static GLuint sharedList;

// The window's first WM_SIZE once it is shown sets the viewports.
static LRESULT CALLBACK sharedProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_SIZE || !resized || WaitForSingleObject(resized, 0) == WAIT_OBJECT_0) {
        return DefWindowProcA(w, msg, wp, lp);
    }
    for (HGLRC rc : contexts) {
        if (!wglMakeCurrent(sharedDc, rc)) {
            printf("resize: wglMakeCurrent failed, error %lu\n", GetLastError());
            fflush(stdout);
            ExitProcess(1);
        }
        glViewport(0, 0, LOWORD(lp), HIWORD(lp));
        wglMakeCurrent(nullptr, nullptr);
    }
    printf("resized to %d x %d\n", LOWORD(lp), HIWORD(lp));
    fflush(stdout);
    SetEvent(resized);
    return 0;
}

static DWORD WINAPI sharedWorker(LPVOID arg) {
    int k = (int)(INT_PTR)arg;
    wglMakeCurrent(sharedDc, contexts[k]);
    GLuint own = glGenLists(1);
    glNewList(own, GL_COMPILE);
    glColor3f(0, k * 0.25f, 1);
    glEndList();
    wglMakeCurrent(nullptr, nullptr);
    SetEvent(ready[k - 1]);
    WaitForSingleObject(resized, INFINITE);
    wglMakeCurrent(sharedDc, contexts[k]);
    for (int f = 0; f < FRAMES; ++f) {
        glClearColor(k * 0.25f, f * 0.125f, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glCallList(own);
        glCallList(sharedList);
        glFinish();
    }
    wglMakeCurrent(nullptr, nullptr);
    printf("worker %d drew %d frames\n", k, FRAMES);
    fflush(stdout);
    return 0;
}

static int shared() {
    gl_window_class("shared", sharedProc);
    HWND window = CreateWindowA("shared", "shared", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    HDC dc = sharedDc = GetDC(window);
    PIXELFORMATDESCRIPTOR pfd = rgba_format(PFD_DOUBLEBUFFER);
    SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
    for (HGLRC &rc : contexts) rc = wglCreateContext(dc);
    for (int k = 1; k <= WORKERS; ++k) wglShareLists(contexts[0], contexts[k]);
    wglMakeCurrent(dc, contexts[0]);
    sharedList = glGenLists(1);
    glNewList(sharedList, GL_COMPILE);
    glRectf(-0.5f, -0.5f, 0.5f, 0.5f);
    glEndList();
    wglMakeCurrent(nullptr, nullptr);
    resized = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE threads[WORKERS];
    for (int k = 0; k < WORKERS; ++k) {
        ready[k] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        threads[k] = CreateThread(nullptr, 0, sharedWorker, (LPVOID)(INT_PTR)(k + 1), 0, nullptr);
    }
    // The workers let their contexts go in a moment; one that has not after
    // a while is not waited for.
    WaitForMultipleObjects(WORKERS, ready, TRUE, 5000);
    ShowWindow(window, SW_SHOW);
    for (DWORD n = WORKERS; n > 0;) {
        DWORD r = MsgWaitForMultipleObjects(n, threads, FALSE, INFINITE, QS_ALLINPUT);
        if (r < WAIT_OBJECT_0 + n) {
            threads[r - WAIT_OBJECT_0] = threads[--n];
            continue;
        }
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    }
    // A wglMakeCurrent that fails leaves the context before current: the
    // calls after it are that context's.
    HGLRC gone = wglCreateContext(dc);
    wglDeleteContext(gone);
    wglMakeCurrent(dc, contexts[0]);
    BOOL made = wglMakeCurrent(dc, gone);
    bool kept = wglGetCurrentContext() == contexts[0];
    glColor3f(0.5f, 0.5f, 0.5f);
    // Deleting the current context leaves none current.
    wglDeleteContext(contexts[0]);
    GLenum error = glGetError();
    printf("after a failed wglMakeCurrent (%d): the one before current %d; after deleting it: one current %d, "
           "error 0x%X\n", made, kept, wglGetCurrentContext() != nullptr, error);
    return 0;
}

// --------------------------------------------------------------- messages

enum { MESSAGE_WORKERS = 3, MESSAGE_FRAMES = 30 };
static CRITICAL_SECTION messageLock;
static HWND workerWindow[MESSAGE_WORKERS];
static HDC workerDc[MESSAGE_WORKERS];
static HGLRC workerRc[MESSAGE_WORKERS];
static HANDLE workerMade[MESSAGE_WORKERS];
// Raised around each GL and wgl call of the main thread: a message that finds
// it raised ran inside the call.
static int mainInCall;
static int messagesInCalls, resizes;

#define MAIN_CALL(call) (++mainInCall, (call), --mainInCall)

static LRESULT CALLBACK messagesProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (mainInCall) ++messagesInCalls;
    if (msg != WM_SIZE) return DefWindowProcA(w, msg, wp, lp);
    for (int k = 0; k < MESSAGE_WORKERS; ++k) {
        if (w != workerWindow[k] || !workerRc[k]) continue;
        EnterCriticalSection(&messageLock);
        BOOL made;
        MAIN_CALL(made = wglMakeCurrent(workerDc[k], workerRc[k]));
        if (!made) {
            printf("wglMakeCurrent failed in the resize of worker %d, error %lu\n", k, GetLastError());
            fflush(stdout);
            ExitProcess(1);
        }
        MAIN_CALL(glViewport(0, 0, LOWORD(lp), HIWORD(lp)));
        MAIN_CALL(wglMakeCurrent(nullptr, nullptr));
        LeaveCriticalSection(&messageLock);
        ++resizes;
    }
    return 0;
}

static DWORD WINAPI messagesWorker(LPVOID arg) {
    int k = (int)(INT_PTR)arg;
    workerRc[k] = wglCreateContext(workerDc[k]);
    SetEvent(workerMade[k]);
    GLubyte pixel[4] = {};
    int drawn = 0;
    for (int f = 0; f < MESSAGE_FRAMES; ++f) {
        if (f % 3 == 0) SendMessageA(workerWindow[k], WM_SIZE, SIZE_RESTORED, MAKELPARAM(16 + f, 16 + k));
        EnterCriticalSection(&messageLock);
        if (wglMakeCurrent(workerDc[k], workerRc[k])) {
            glClearColor(k * 0.25f, f / (float)MESSAGE_FRAMES, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
            drawn += abs(pixel[0] - k * 255 / 4) <= 1;
            wglMakeCurrent(nullptr, nullptr);
        }
        LeaveCriticalSection(&messageLock);
    }
    printf("worker %d drew %d frames of %d\n", k, drawn, (int)MESSAGE_FRAMES);
    fflush(stdout);
    return 0;
}

static int messages() {
    InitializeCriticalSection(&messageLock);
    gl_window_class("messages", messagesProc);
    PIXELFORMATDESCRIPTOR pfd = rgba_format();
    HWND windows[MESSAGE_WORKERS + 1];
    HDC dcs[MESSAGE_WORKERS + 1];
    for (int k = 0; k <= MESSAGE_WORKERS; ++k) {
        windows[k] = CreateWindowA("messages", "messages", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        dcs[k] = GetDC(windows[k]);
        MAIN_CALL(SetPixelFormat(dcs[k], ChoosePixelFormat(dcs[k], &pfd), &pfd));
    }
    HGLRC own;
    MAIN_CALL(own = wglCreateContext(dcs[MESSAGE_WORKERS]));
    HANDLE threads[MESSAGE_WORKERS];
    for (int k = 0; k < MESSAGE_WORKERS; ++k) {
        workerWindow[k] = windows[k];
        workerDc[k] = dcs[k];
        workerMade[k] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        threads[k] = CreateThread(nullptr, 0, messagesWorker, (LPVOID)(INT_PTR)k, 0, nullptr);
    }
    // The workers' contexts exist before their first WM_SIZE is handled.
    WaitForMultipleObjects(MESSAGE_WORKERS, workerMade, TRUE, INFINITE);
    int frames = 0;
    for (DWORD left = MESSAGE_WORKERS; left > 0;) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        EnterCriticalSection(&messageLock);
        MAIN_CALL(wglMakeCurrent(dcs[MESSAGE_WORKERS], own));
        MAIN_CALL(glClearColor(1, 1, 1, 1));
        MAIN_CALL(glClear(GL_COLOR_BUFFER_BIT));
        MAIN_CALL(glFinish());
        MAIN_CALL(wglMakeCurrent(nullptr, nullptr));
        LeaveCriticalSection(&messageLock);
        ++frames;
        DWORD r = MsgWaitForMultipleObjects(left, threads, FALSE, 1, QS_ALLINPUT);
        if (r < WAIT_OBJECT_0 + left) threads[r - WAIT_OBJECT_0] = threads[--left];
    }
    printf("resizes: %d; messages inside a GL or wgl call: %d; the main thread drew: %s\n", resizes,
           messagesInCalls, frames > 0 ? "yes" : "no");
    fflush(stdout);
    return 0;
}

// --------------------------------------------------------------- textures

static int textures(int rounds) {
    HWND wnd;
    HDC dc;
    makeCurrent(&wnd, &dc);
    static GLubyte pixels[1024 * 1024 * 4];
    for (size_t i = 0; i < sizeof pixels; ++i) pixels[i] = (GLubyte)(i * 7 % 251);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    static const int sizes[] = {16, 128, 256, 1024};
    for (int round = 0; round < rounds; ++round) {
        for (int size : sizes) {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        }
    }
    glFinish();
    printf("textures: error 0x%X\n", glGetError());
    return 0;
}

// ------------------------------------------------------------------- fill

static int fill() {
    HWND wnd;
    HDC dc;
    makeCurrent(&wnd, &dc);
    static const GLfloat corners[3][3] = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}};
    DWORD start = GetTickCount();
    int frames = 0;
    for (; GetTickCount() - start < 4000; ++frames) {
        glClear(GL_COLOR_BUFFER_BIT);
        glBegin(GL_TRIANGLES);
        for (int i = 0; i < 300; ++i) {
            glColor3fv(corners[(i + frames) % 3]);
            glVertex3fv(corners[i % 3]);
        }
        glEnd();
        glFinish();
    }
    printf("fill: drew %s frames, error 0x%X\n", frames > 10 ? "its" : "too few", glGetError());
    return 0;
}

// ---------------------------------------------------------------- pbuffer

// The stand-ins for the system's pbuffer functions: each says it was called,
// with what, and answers.
static HANDLE WINAPI createPBuffer(HDC, int format, int width, int height, const int *) {
    printf("system wglCreatePBufferSGIX(%d, %d, %d)\n", format, width, height);
    return (HANDLE)0x5000;
}
static void WINAPI destroyPBuffer(HANDLE pbuffer) { printf("system wglDestroyPBufferSGIX(%p)\n", pbuffer); }
static void WINAPI queryPBuffer(HANDLE pbuffer, int attribute, unsigned *value) {
    printf("system wglQueryPBufferSGIX(%p, %d)\n", pbuffer, attribute);
    *value = 77;
}
static BOOL WINAPI makeCurrentRead(HDC, HDC, HGLRC) {
    printf("system wglMakeCurrentReadSGIX\n");
    SetLastError(1234);
    return TRUE;
}

typedef PROC(WINAPI *GetProcAddressFunc)(LPCSTR);
static GetProcAddressFunc systemGetProcAddress;

static PROC WINAPI getProcAddress(LPCSTR name) {
    static const struct {
        const char *name;
        PROC proc;
    } standIns[] = {{"wglCreatePBufferSGIX", (PROC)createPBuffer},
                    {"wglDestroyPBufferSGIX", (PROC)destroyPBuffer},
                    {"wglQueryPBufferSGIX", (PROC)queryPBuffer},
                    {"wglMakeCurrentReadSGIX", (PROC)makeCurrentRead}};
    for (const auto &s : standIns) {
        if (!strcmp(name, s.name)) return s.proc;
    }
    return systemGetProcAddress(name);
}

// Makes the system library's export `name` lead to `to`: through a jump
// placed above the library, where an export's 32-bit offset reaches.
static bool redirectExport(HMODULE module, const char *name, void *to) {
    BYTE *base = (BYTE *)module;
    IMAGE_NT_HEADERS *nt = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    IMAGE_EXPORT_DIRECTORY *exports =
        (IMAGE_EXPORT_DIRECTORY *)(base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
    DWORD *names = (DWORD *)(base + exports->AddressOfNames);
    WORD *ordinals = (WORD *)(base + exports->AddressOfNameOrdinals);
    DWORD *functions = (DWORD *)(base + exports->AddressOfFunctions);
    DWORD *slot = nullptr;
    for (DWORD i = 0; i < exports->NumberOfNames && !slot; ++i) {
        if (!strcmp((const char *)(base + names[i]), name)) slot = &functions[ordinals[i]];
    }
    BYTE *jump = nullptr;
    uintptr_t at = ((uintptr_t)base + nt->OptionalHeader.SizeOfImage + 0xFFFF) & ~(uintptr_t)0xFFFF;
    for (; slot && !jump && at - (uintptr_t)base < 0x7FFF0000u; at += 0x10000) {
        jump = (BYTE *)VirtualAlloc((void *)at, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE);
    }
    if (!jump) return false;
#if defined(__x86_64__)
    jump[0] = 0x48, jump[1] = 0xB8;  // mov rax, to
    memcpy(jump + 2, &to, 8);
    jump[10] = 0xFF, jump[11] = 0xE0;  // jmp rax
#else
    jump[0] = 0xB8;  // mov eax, to
    memcpy(jump + 1, &to, 4);
    jump[5] = 0xFF, jump[6] = 0xE0;  // jmp eax
#endif
    DWORD was;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &was);
    *slot = (DWORD)((uintptr_t)jump - (uintptr_t)base);
    VirtualProtect(slot, sizeof *slot, was, &was);
    return true;
}

// The module an address lies in, by its file name.
static const char *moduleOf(const void *address) {
    static char name[MAX_PATH];
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       (LPCSTR)address, &module);
    char path[MAX_PATH] = "none";
    if (module) GetModuleFileNameA(module, path, sizeof path);
    const char *slash = strrchr(path, '\\');
    lstrcpynA(name, slash ? slash + 1 : path, sizeof name);
    CharLowerA(name);
    return name;
}

static int pbuffer() {
    // Before the thread's first wgl call: the debugger finds the system's
    // functions then.
    char path[MAX_PATH];
    GetSystemDirectoryA(path, sizeof path);
    lstrcatA(path, "\\opengl32.dll");
    HMODULE system = GetModuleHandleA(path);
    systemGetProcAddress = system ? (GetProcAddressFunc)GetProcAddress(system, "wglGetProcAddress") : nullptr;
    if (!systemGetProcAddress || !redirectExport(system, "wglGetProcAddress", (void *)getProcAddress)) {
        printf("pbuffer: the system library could not be stood in for\n");
        return 1;
    }
    HWND wnd;
    HDC dc;
    HGLRC rc = makeCurrent(&wnd, &dc);
    typedef HANDLE(WINAPI * Create)(HDC, int, int, int, const int *);
    typedef void(WINAPI * Destroy)(HANDLE);
    typedef void(WINAPI * Query)(HANDLE, int, unsigned *);
    typedef BOOL(WINAPI * MakeCurrentRead)(HDC, HDC, HGLRC);
    Create create = (Create)wglGetProcAddress("wglCreatePBufferSGIX");
    Destroy destroy = (Destroy)wglGetProcAddress("wglDestroyPBufferSGIX");
    Query query = (Query)wglGetProcAddress("wglQueryPBufferSGIX");
    MakeCurrentRead read = (MakeCurrentRead)wglGetProcAddress("wglMakeCurrentReadSGIX");
    if (!create || !destroy || !query || !read) {
        printf("pbuffer: a function was not handed out\n");
        return 1;
    }
    printf("wglCreatePBufferSGIX from %s\n", moduleOf((void *)create));
    printf("wglDestroyPBufferSGIX from %s\n", moduleOf((void *)destroy));
    printf("wglQueryPBufferSGIX from %s\n", moduleOf((void *)query));
    printf("wglMakeCurrentReadSGIX from %s\n", moduleOf((void *)read));
    HANDLE made = create(dc, 3, 64, 32, nullptr);
    unsigned value = 0;
    query(made, 0x8041, &value);
    SetLastError(kSentinel);
    BOOL current = read(dc, dc, rc);
    printf("read: %d, last error %lu\n", current, GetLastError());
    destroy(made);
    printf("created %p, queried %u\n", made, value);
    glFinish();
    return 0;
}

// ----------------------------------------------------------------- starts

static volatile LONG texturesDrawn, startedFirstCall;

static DWORD WINAPI drawTextures(LPVOID target) {
    HWND wnd;
    HDC dc;
    makeCurrent(&wnd, &dc);
    enum { SIDE = 1024 };
    unsigned *pixels = (unsigned *)malloc(SIDE * SIDE * 4);
    for (unsigned i = 0; i < SIDE * SIDE; ++i) pixels[i] = i * 2654435761u;
    for (;;) {
        glTexImage2D((GLenum)(uintptr_t)target, 0, GL_RGBA, SIDE, SIDE, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        InterlockedIncrement(&texturesDrawn);
    }
}

static DWORD WINAPI firstCall(LPVOID) {
    HWND wnd;
    HDC dc;
    makeCurrent(&wnd, &dc);
    glClear(GL_COLOR_BUFFER_BIT);
    InterlockedExchange(&startedFirstCall, 1);
    return 0;
}

static int starts(const char *kind, bool stay) {
    HWND wnd;
    HDC dc;
    makeCurrent(&wnd, &dc);
    glClear(GL_COLOR_BUFFER_BIT);
    if (!strcmp(kind, "ended")) {
        // With "stay" the GL only checks the proxy's image: the thread's time
        // goes into writing its text, where it is ended.
        GLenum target = stay ? GL_PROXY_TEXTURE_2D : GL_TEXTURE_2D;
        HANDLE drawing = CreateThread(nullptr, 0, drawTextures, (LPVOID)(uintptr_t)target, 0, nullptr);
        for (DWORD start = GetTickCount(); texturesDrawn < 3 && GetTickCount() - start < 120000;) Sleep(10);
        if (texturesDrawn < 3) {
            printf("starts: the textures were not drawn\n");
            return 1;
        }
        // At a moment of its own: inside the system's GL, or writing the history.
        Sleep(GetTickCount() % 37);
        TerminateThread(drawing, 9);
        WaitForSingleObject(drawing, INFINITE);
        if (stay) {
            CreateWindowA("#32770", "ended", WS_POPUP | WS_VISIBLE, 0, 0, 64, 32, nullptr, nullptr, nullptr, nullptr);
            for (;;) {
                glGetError();
                Sleep(5);
            }
        }
    }
    CloseHandle(CreateThread(nullptr, 0, firstCall, nullptr, 0, nullptr));
    DWORD slowest = 0;
    for (DWORD start = GetTickCount(); !startedFirstCall && GetTickCount() - start < 120000;) {
        DWORD before = GetTickCount();
        glGetError();
        DWORD took = GetTickCount() - before;
        if (took > slowest) slowest = took;
        Sleep(2);
    }
    printf("started: %s, the slowest call meanwhile took %lu ms\n", startedFirstCall ? "yes" : "no", slowest);
    return startedFirstCall ? 0 : 1;
}

int main(int argc, char **argv) {
    const char *mode = argc > 1 ? argv[1] : "";
    if (!strcmp(mode, "quit")) {
        int n = argc > 2 ? atoi(argv[2]) : 2;
        if (n < 1 || n > MAXIMUM_WAIT_OBJECTS) n = 2;
        HANDLE threads[MAXIMUM_WAIT_OBJECTS];
        for (int i = 0; i < n; ++i) threads[i] = CreateThread(nullptr, 0, drawForEver, nullptr, 0, nullptr);
        WaitForMultipleObjects((DWORD)n, threads, TRUE, INFINITE);
        return 1;  // never reached: quitting ends the process
    }
    if (!strcmp(mode, "crash")) {
        HWND wnd;
        HDC dc;
        makeCurrent(&wnd, &dc);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        // Enough text to grow the history file many times over.
        glBegin(GL_POINTS);
        for (int i = 0; i < 20000; ++i) glVertex2f((float)(i % 100) / 100, (float)(i / 100) / 200);
        glEnd();
        glColor3f(0.5f, 0.25f, 1.0f);
        const char *way = argc > 2 ? argv[2] : "fault";
        if (!strcmp(way, "terminate")) TerminateProcess(GetCurrentProcess(), 3);
        if (!strcmp(way, "signal") && linux_calls::here()) linux_calls::die_of_sigsegv();
        if (!strcmp(way, "kill")) {
            // The id of this program's Unix process, for the one thing to
            // kill; the file takes its name only once the id is in it.
            char pid[24] = "";
            if (linux_calls::here()) snprintf(pid, sizeof pid, "%ld\n", (long)linux_calls::call(linux_calls::GETPID));
            HANDLE file = CreateFileA("killable.new", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD wrote = 0;
            WriteFile(file, pid, (DWORD)strlen(pid), &wrote, nullptr);
            CloseHandle(file);
            MoveFileExA("killable.new", "killable", MOVEFILE_REPLACE_EXISTING);
            Sleep(INFINITE);
        }
        SetUnhandledExceptionFilter(endAtOnce);
        *(volatile int *)nullptr = 1;
        return 1;
    }
    if (!strcmp(mode, "probe")) return probe();
    if (!strcmp(mode, "shared")) return shared();
    if (!strcmp(mode, "textures")) return textures(argc > 2 ? atoi(argv[2]) : 1);
    if (!strcmp(mode, "fill")) return fill();
    if (!strcmp(mode, "pbuffer")) return pbuffer();
    if (!strcmp(mode, "messages")) return messages();
    if (!strcmp(mode, "starts") && argc > 2) return starts(argv[2], argc > 3 && !strcmp(argv[3], "stay"));
    fprintf(stderr, "usage: debugger_program quit|crash|probe|shared|textures|fill|pbuffer|messages|starts\n");
    return 2;
}
