// A program to run under the debugger (palisade.dll beside it as
// opengl32.dll), driven from outside by palisade_driver, and some of it also
// plain, on the system's opengl32.dll, to compare what it prints:
//   quit     two threads draw for ever, each with a window and a GL context of
//            its own: quitting from either panel must end the process with
//            status 0 while the other thread is inside a GL call.
//   crash fault|terminate|kill
//            draws many calls, makes one known call and dies right after it
//            with nothing flushed on the way out: an access violation that
//            ends the process at once (status 3), TerminateProcess (status
//            3), or, after it has made the file "killable", a wait for the
//            process to be killed from outside. The history must hold that
//            call as its last line.
//   probe    prints what the application reads after calls that fail and
//            calls that succeed (results, the last error after each call made
//            with a known value set before it, the GL errors it reads back):
//            under the debugger it must print what it prints plain.
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
//   pbuffer  stands in for a system that has the SGIX pbuffer functions (it
//            answers for them in the system library's wglGetProcAddress),
//            gets them through wglGetProcAddress and calls each.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <GL/gl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "gl_window.h"

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

// The other threads come after the main thread's first GL call: until then
// its panel is the program's only one.
static int probe() {
    PROBE("first call: wglMakeCurrent(0, 0), none current", wglMakeCurrent(nullptr, nullptr));
    HWND wnd = CreateWindowA("STATIC", "probe", WS_POPUP, 0, 0, 32, 32, nullptr, nullptr, nullptr, nullptr);
    HDC dc = probeDc = GetDC(wnd);
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
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
    PROBE("glClearColor", (glClearColor(0.25f, 0.5f, 0.75f, 1), 0));
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
    glEnable(0xFFFF);
    PROBE("wglMakeCurrent of the other context", wglMakeCurrent(dc, b));
    errors("errors of the other context:");
    PROBE("wglMakeCurrent back", wglMakeCurrent(dc, a));
    errors("errors left pending before:");
    PROBE("wglMakeCurrent(0, 0)", wglMakeCurrent(nullptr, nullptr));
    PROBE("glColor3f with none current", (glColor3f(0, 0, 1), 0));
    errors("errors with none current:");
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
    WNDCLASSA wc = {};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = sharedProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "shared";
    RegisterClassA(&wc);
    HWND window = CreateWindowA("shared", "shared", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr, nullptr,
                                wc.hInstance, nullptr);
    HDC dc = sharedDc = GetDC(window);
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
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

int main(int argc, char **argv) {
    const char *mode = argc > 1 ? argv[1] : "";
    if (!strcmp(mode, "quit")) {
        HANDLE threads[2];
        for (HANDLE &t : threads) t = CreateThread(nullptr, 0, drawForEver, nullptr, 0, nullptr);
        WaitForMultipleObjects(2, threads, TRUE, INFINITE);
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
        if (!strcmp(way, "kill")) {
            CloseHandle(CreateFileA("killable", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
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
    fprintf(stderr, "usage: debugger_program quit|crash|probe|shared|textures|fill|pbuffer\n");
    return 2;
}
