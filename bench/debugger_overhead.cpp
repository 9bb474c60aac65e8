// Prints nanoseconds per call of glColor4f, glVertex3fv and glGetError:
// straight into the system opengl32.dll, through palisade.dll on a thread the
// debugger has not taken over (pass-through), and through the debugger on a
// thread it has (running, no command waiting), with History off and on; with
// History on also the bytes each call adds to the history file.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "../tests/win/gl_window.h"
#include "../tests/win/panel.h"
#include "timing.h"

typedef void(WINAPI *Color4f)(float, float, float, float);
typedef void(WINAPI *Vertex3fv)(const float *);
typedef unsigned(WINAPI *GetError)(void);
typedef HGLRC(WINAPI *CreateContext)(HDC);
typedef BOOL(WINAPI *MakeCurrent)(HDC, HGLRC);

static const char *const kNames[] = {"glColor4f", "glVertex3fv", "glGetError"};
enum { kCommands = 3 };

static volatile unsigned sink;

// Nanoseconds per call of command k of `gl` over n calls.
static double commandNanoseconds(HMODULE gl, int k, int n) {
    static const float v[3] = {1, 2, 3};
    FARPROC proc = GetProcAddress(gl, kNames[k]);
    if (k == 0) return nanosecondsPerCall([&](int i) { ((Color4f)proc)((float)(i & 255) / 255.0f, 0, 0, 1); }, n);
    if (k == 1) return nanosecondsPerCall([&](int) { ((Vertex3fv)proc)(v); }, n);
    return nanosecondsPerCall([&](int) { sink += ((GetError)proc)(); }, n);
}

// A window with a GL context made current on the calling thread through the
// wgl functions of `gl`.
static void makeCurrent(HMODULE gl) {
    HDC dc;
    gl_window("bench", &dc);
    HGLRC rc = ((CreateContext)GetProcAddress(gl, "wglCreateContext"))(dc);
    ((MakeCurrent)GetProcAddress(gl, "wglMakeCurrent"))(dc, rc);
}

static HMODULE real, ours;
static double direct[kCommands], passThrough[kCommands];

static DWORD WINAPI measureWithoutDebugger(LPVOID) {
    makeCurrent(real);
    for (int k = 0; k < kCommands; ++k) {
        direct[k] = commandNanoseconds(real, k, 2000000);
        passThrough[k] = commandNanoseconds(ours, k, 2000000);
    }
    return 0;
}

static long long fileBytes(const char *dir) {
    char pattern[MAX_PATH];
    snprintf(pattern, sizeof pattern, "%s\\*.gls", dir);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    long long total = 0;
    if (search == INVALID_HANDLE_VALUE) return 0;
    do total += ((long long)found.nFileSizeHigh << 32) | found.nFileSizeLow;
    while (FindNextFileA(search, &found));
    FindClose(search);
    return total;
}

int main(void) {
    char path[MAX_PATH];
    UINT len = GetSystemDirectoryA(path, MAX_PATH);
    lstrcpyA(path + len, "\\opengl32.dll");
    real = LoadLibraryA(path);
    ours = LoadLibraryA("palisade.dll");
    if (!real || !ours) {
        fprintf(stderr, "bench: cannot load %s\n", real ? "palisade.dll" : path);
        return 1;
    }
    HANDLE other = CreateThread(nullptr, 0, measureWithoutDebugger, nullptr, 0, nullptr);
    WaitForSingleObject(other, INFINITE);
    CloseHandle(other);

    // This thread's first wgl call through palisade gives it to the debugger;
    // its first GL call halts until a person lets it run, here a helper.
    struct Person {
        static DWORD WINAPI letRun(LPVOID) {
            HWND p = nullptr;
            panel::wait([&] { auto found = panel::find(GetCurrentProcessId());
                              p = found.empty() ? nullptr : found[0];
                              return p && panel::text(p, panel::STATUS) == "Halted"; }, 60);
            if (p) panel::click(p, panel::CONTINUE);
            return 0;
        }
    };
    CloseHandle(CreateThread(nullptr, 0, Person::letRun, nullptr, 0, nullptr));
    makeCurrent(ours);
    ((GetError)GetProcAddress(ours, "glGetError"))();  // halts, then runs
    HWND p = panel::find(GetCurrentProcessId())[0];

    char temp[MAX_PATH], history[MAX_PATH];
    GetEnvironmentVariableA("TEMP", temp, sizeof temp);
    snprintf(history, sizeof history, "%s\\PALISADE_%lu\\history", temp, GetCurrentThreadId());
    double off[kCommands], on[kCommands], bytes[kCommands];
    panel::set_check(p, panel::HISTORY, false);
    for (int k = 0; k < kCommands; ++k) off[k] = commandNanoseconds(ours, k, 2000000);
    panel::set_check(p, panel::HISTORY, true);
    for (int k = 0; k < kCommands; ++k) {
        const int n = 200000;
        long long before = fileBytes(history);
        on[k] = commandNanoseconds(ours, k, n);
        bytes[k] = (double)(fileBytes(history) - before) / (n + n / 10);
    }

    printf("%-12s %9s %9s %9s %9s %9s %8s\n", "command", "direct", "through", "History", "over", "History",
           "bytes");
    printf("%-12s %9s %9s %9s %9s %9s %8s\n", "", "ns", "ns", "off ns", "through", "on ns", "a call");
    for (int k = 0; k < kCommands; ++k) {
        printf("%-12s %9.1f %9.1f %9.1f %9.1f %9.1f %8.1f\n", kNames[k], direct[k], passThrough[k], off[k],
               off[k] - passThrough[k], on[k], bytes[k]);
    }
    fflush(stdout);
    // The person quits: the debugger's files and directories go with it.
    PostMessageA(p, WM_COMMAND, 4, 0);
    Sleep(INFINITE);
}
