// A program that probes for OpenGL the way renderer-choosing programs do:
// load opengl32.dll by name, draw, read back, free it, and load it again.
// Palisade sits beside the program as opengl32.dll. Each load must give
// Palisade again (not the system library it loaded for itself), each unload
// must leave no module of that name behind, the pixels must equal those the
// system library draws, and ten cycles must not leak modules or threads.
// `reload threads` prints what threads begun before and after a run-time
// load read with no context current (application_scenarios.sh compares it
// with the system library's).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <GL/gl.h>
#include <stdio.h>
#include <string.h>
#include <tlhelp32.h>

#include "gl_window.h"
#include "panel.h"

static int failures = 0;
#define CHECK(cond, ...)                                   \
    do {                                                   \
        if (!(cond)) {                                     \
            fprintf(stderr, "reload: " __VA_ARGS__);       \
            fputc('\n', stderr);                           \
            ++failures;                                    \
        }                                                  \
    } while (0)

enum { kSize = 32 };

// Modules and threads of this process, for the leak check.
static void countProcess(int *modules, int *threads) {
    *modules = *threads = 0;
    DWORD pid = GetCurrentProcessId();
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPTHREAD, pid);
    if (snap == INVALID_HANDLE_VALUE) return;
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    for (BOOL ok = Module32First(snap, &module); ok; ok = Module32Next(snap, &module)) ++*modules;
    THREADENTRY32 thread = {};
    thread.dwSize = sizeof thread;
    for (BOOL ok = Thread32First(snap, &thread); ok; ok = Thread32Next(snap, &thread)) {
        if (thread.th32OwnerProcessID == pid) ++*threads;
    }
    CloseHandle(snap);
}

// Draws a cleared square with a triangle through the library `gl` in a window
// of its own, reads it back into pixels and takes the context down again.
// Pixel formats go through the library's own wgl functions: gdi32's would
// load opengl32.dll for itself and keep it loaded.
static bool draw(HMODULE gl, unsigned char *pixels) {
#define PROC(name, ...) auto name = (__VA_ARGS__)(void *)GetProcAddress(gl, #name)
    PROC(wglChoosePixelFormat, int(WINAPI *)(HDC, const PIXELFORMATDESCRIPTOR *));
    PROC(wglSetPixelFormat, BOOL(WINAPI *)(HDC, int, const PIXELFORMATDESCRIPTOR *));
    PROC(wglCreateContext, HGLRC(WINAPI *)(HDC));
    PROC(wglMakeCurrent, BOOL(WINAPI *)(HDC, HGLRC));
    PROC(wglDeleteContext, BOOL(WINAPI *)(HGLRC));
    PROC(glClearColor, void(WINAPI *)(GLclampf, GLclampf, GLclampf, GLclampf));
    PROC(glClear, void(WINAPI *)(GLbitfield));
    PROC(glBegin, void(WINAPI *)(GLenum));
    PROC(glEnd, void(WINAPI *)(void));
    PROC(glColor3f, void(WINAPI *)(GLfloat, GLfloat, GLfloat));
    PROC(glVertex2f, void(WINAPI *)(GLfloat, GLfloat));
    PROC(glViewport, void(WINAPI *)(GLint, GLint, GLsizei, GLsizei));
    PROC(glPixelStorei, void(WINAPI *)(GLenum, GLint));
    PROC(glFinish, void(WINAPI *)(void));
    PROC(glReadPixels, void(WINAPI *)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, GLvoid *));
#undef PROC
    if (!wglChoosePixelFormat || !wglSetPixelFormat || !wglCreateContext || !glReadPixels) {
        return false;
    }
    HWND wnd = CreateWindowA("STATIC", "reload", WS_POPUP | WS_VISIBLE, 0, 0, kSize, kSize,
                             nullptr, nullptr, nullptr, nullptr);
    HDC dc = GetDC(wnd);
    PIXELFORMATDESCRIPTOR pfd = rgba_format();
    bool ok = wglSetPixelFormat(dc, wglChoosePixelFormat(dc, &pfd), &pfd);
    HGLRC rc = ok ? wglCreateContext(dc) : nullptr;
    ok = rc && wglMakeCurrent(dc, rc);
    if (ok) {
        glViewport(0, 0, kSize, kSize);
        glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glBegin(GL_TRIANGLES);
        glColor3f(1.0f, 0.0f, 0.0f);
        glVertex2f(-0.8f, -0.8f);
        glColor3f(0.0f, 1.0f, 0.0f);
        glVertex2f(0.8f, -0.8f);
        glColor3f(0.0f, 0.0f, 1.0f);
        glVertex2f(0.0f, 0.8f);
        glEnd();
        glFinish();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, pixels);
        wglMakeCurrent(nullptr, nullptr);
    }
    if (rc) wglDeleteContext(rc);
    ReleaseDC(wnd, dc);
    DestroyWindow(wnd);
    return ok;
}

static bool sameFile(const char *a, const char *b) { return lstrcmpiA(a, b) == 0; }

// The person at the debugger's panels: lets each new panel's thread run on
// from the halt at its first call, until the cycles are done. The thread is
// ended before the program is: Wine under qemu-user can crash when it has to
// end a thread that sleeps at process exit.
static volatile LONG cyclesDone = 0;
static DWORD WINAPI letRun(LPVOID) {
    while (!cyclesDone) {
        for (HWND p : panel::find(GetCurrentProcessId())) {
            if (panel::text(p, panel::STATUS) == "Halted") panel::click(p, panel::CONTINUE);
        }
        Sleep(10);
    }
    return 0;
}

// ---------------------------------------------------------------- threads
// `reload threads`: what threads read with no context current, their first
// GL calls made before and after a first wgl call: threads begun before the
// library was loaded (the main thread, another), the one that loads it, one
// begun after. Under the debugger it must print what it prints plain.

static HMODULE loaded;

static void firstCalls(const char *who) {
#define PROC(name, ...) auto name = (__VA_ARGS__)(void *)GetProcAddress(loaded, #name)
    PROC(glGetString, const GLubyte *(WINAPI *)(GLenum));
    PROC(glGetError, GLenum(WINAPI *)(void));
    PROC(wglGetCurrentContext, HGLRC(WINAPI *)(void));
#undef PROC
    for (int wgl = 0; wgl < 2; ++wgl) {
        if (wgl) wglGetCurrentContext();
        const GLubyte *vendor = glGetString(GL_VENDOR);
        GLenum error = glGetError();
        char label[96];
        snprintf(label, sizeof label, "%s%s:", who, wgl ? ", after a wgl call" : "");
        printf("%-60s vendor %s, error 0x%X\n", label, vendor ? "given" : "none", error);
        fflush(stdout);
    }
}

struct Turn {
    const char *who;
    bool loads;
    HANDLE running = nullptr, go = nullptr, thread = nullptr;
};

static DWORD WINAPI takeTurn(LPVOID arg) {
    Turn *turn = (Turn *)arg;
    SetEvent(turn->running);
    WaitForSingleObject(turn->go, INFINITE);
    if (turn->loads) loaded = LoadLibraryA("opengl32.dll");
    firstCalls(turn->who);
    return 0;
}

// The thread is running once this returns: the system has told the
// libraries loaded by then of it.
static void start(Turn *turn) {
    turn->running = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    turn->go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    turn->thread = CreateThread(nullptr, 0, takeTurn, turn, 0, nullptr);
    WaitForSingleObject(turn->running, INFINITE);
}

static void play(Turn *turn) {
    SetEvent(turn->go);
    WaitForSingleObject(turn->thread, INFINITE);
}

static int threads() {
    Turn loader = {"the running thread that loads it", true}, before = {"a thread begun before the load", false},
         after = {"a thread begun after the load", false};
    start(&loader);
    start(&before);
    play(&loader);
    if (!loaded) return 1;
    play(&before);
    firstCalls("the main thread, begun before the load");
    start(&after);
    play(&after);
    return 0;
}

int main(int argc, char **argv) {
    if (argc > 1 && !strcmp(argv[1], "threads")) return threads();
    char dir[MAX_PATH], ours[MAX_PATH], system[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, dir, sizeof dir);
    while (n > 0 && dir[n - 1] != '\\') --n;
    dir[n] = 0;
    snprintf(ours, sizeof ours, "%sopengl32.dll", dir);
    UINT s = GetSystemDirectoryA(system, sizeof system);
    snprintf(system + s, sizeof system - s, "\\opengl32.dll");

    // What the system library draws, and that it leaves nothing behind.
    static unsigned char expected[kSize * kSize * 3], pixels[kSize * kSize * 3];
    HMODULE real = LoadLibraryA(system);
    CHECK(real && draw(real, expected), "the system library does not draw");
    FreeLibrary(real);
    CHECK(!GetModuleHandleA("opengl32.dll"), "the system library stays loaded after its free");
    int lit = 0;
    for (unsigned char byte : expected) lit += byte != 0;
    CHECK(lit > 0, "the system library drew nothing");

    HANDLE person = CreateThread(nullptr, 0, letRun, nullptr, 0, nullptr);
    int modules = 0, threads = 0;
    for (int cycle = 1; cycle <= 10; ++cycle) {
        HMODULE gl = LoadLibraryA("opengl32.dll");
        char loaded[MAX_PATH] = "";
        if (gl) GetModuleFileNameA(gl, loaded, sizeof loaded);
        CHECK(gl && sameFile(loaded, ours), "cycle %d: the load by name gave %s, not %s", cycle,
              loaded, ours);
        if (!gl) break;
        memset(pixels, 0, sizeof pixels);
        CHECK(draw(gl, pixels), "cycle %d: palisade does not draw", cycle);
        CHECK(memcmp(pixels, expected, sizeof pixels) == 0,
              "cycle %d: palisade read back other pixels than the system library", cycle);
        FreeLibrary(gl);
        HMODULE left = GetModuleHandleA("opengl32.dll");
        char name[MAX_PATH] = "";
        if (left) GetModuleFileNameA(left, name, sizeof name);
        CHECK(!left, "cycle %d: a module named opengl32.dll stays loaded: %s", cycle, name);

        // The first cycle may load what Wine's GL needs once for the process.
        // The debugger's interface thread ends with the unload and may still
        // be on its way out: a moment is given for that.
        int m, t;
        countProcess(&m, &t);
        for (int wait = 0; cycle > 1 && wait < 100 && (m > modules || t > threads); ++wait) {
            Sleep(20);
            countProcess(&m, &t);
        }
        if (cycle == 1) {
            modules = m, threads = t;
        } else {
            CHECK(m <= modules, "cycle %d: %d modules, %d after the first cycle", cycle, m, modules);
            CHECK(t <= threads, "cycle %d: %d threads, %d after the first cycle", cycle, t, threads);
        }
    }
    InterlockedExchange(&cyclesDone, 1);
    WaitForSingleObject(person, INFINITE);
    CloseHandle(person);
    printf("reload: %s (%d modules, %d threads after each cycle)\n",
           failures ? "FAILED" : "ten load, draw and free cycles of palisade as opengl32.dll",
           modules, threads);
    return failures ? 1 : 0;
}
