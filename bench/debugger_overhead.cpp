// Prints what the debugger costs a call and a GL context, in one run. Five
// workloads (glGetError; glTexParameteri; an immediate-mode frame of 10,000
// vertices; glColor4f and glVertex3f while a display list compiles; two GL
// contexts made current in turn, with a glClear and a glGetError each) are
// timed in four modes that take turns within every round: straight into the
// system opengl32.dll and through palisade.dll on a thread the debugger has
// not taken (pass-through), then through the debugger on a thread it has
// (running, no command waiting, the switches as the panel starts them) with
// History off and with History on. Nanoseconds per call are medians over the
// rounds; "added" is the median less the direct median, the ratio the median
// over it; with History on, the bytes each call adds to the history files.
//
// Then what one long command costs: a glTexImage2D of a `texture` pixels
// square RGBA image, once a round in each of direct, History off, History
// on and History on with Limit Data Dumps, in milliseconds (median, min and
// max over the rounds), with the bytes the call adds to the history. It is
// the same kind of call in every mode: an image of the size the texture
// already has, from an image just written, the panel's commands taken, after
// an untimed one with History off.
//
// Then what one GL context costs in memory: the private bytes each of
// `contexts` more contexts adds when created and made current through the
// system library alone, and through the debugger.
//
// Usage: debugger_overhead [calls per round [rounds [contexts [texture]]]]
//        (defaults 200000, 7, 40, 1024; the long command is 4096)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "../tests/win/gl_window.h"
#include "../tests/win/panel.h"
#include "list_compile.h"

namespace {

enum : unsigned {
    GL_TRIANGLES_ = 0x0004,
    GL_TEXTURE_2D_ = 0x0DE1,
    GL_TEXTURE_MIN_FILTER_ = 0x2801,
    GL_RGBA_ = 0x1908,
    GL_UNSIGNED_BYTE_ = 0x1401,
    GL_NEAREST_ = 0x2600,
    GL_LINEAR_ = 0x2601,
    GL_COLOR_BUFFER_BIT_ = 0x4000,
};

// The procedures a workload calls, of the system library or of palisade.dll.
struct Gl {
    void(WINAPI *newList)(unsigned, unsigned);
    void(WINAPI *endList)(void);
    void(WINAPI *deleteLists)(unsigned, int);
    void(WINAPI *begin)(unsigned);
    void(WINAPI *end)(void);
    void(WINAPI *color4f)(float, float, float, float);
    void(WINAPI *vertex3f)(float, float, float);
    unsigned(WINAPI *getError)(void);
    void(WINAPI *texParameteri)(unsigned, unsigned, int);
    void(WINAPI *bindTexture)(unsigned, unsigned);
    void(WINAPI *texImage2D)(unsigned, int, int, int, int, int, unsigned, unsigned, const void *);
    void(WINAPI *clear)(unsigned);
    void(WINAPI *finish)(void);
    HGLRC(WINAPI *createContext)(HDC);
    BOOL(WINAPI *makeCurrent)(HDC, HGLRC);
    HGLRC(WINAPI *getCurrentContext)(void);
    HDC(WINAPI *getCurrentDC)(void);
};

template <typename F>
void lookUp(HMODULE lib, const char *name, F *out) {
    *out = (F)(void *)GetProcAddress(lib, name);
    if (!*out) {
        fprintf(stderr, "debugger_overhead: no %s\n", name);
        exit(1);
    }
}

Gl procs(HMODULE lib) {
    Gl g;
    lookUp(lib, "glNewList", &g.newList);
    lookUp(lib, "glEndList", &g.endList);
    lookUp(lib, "glDeleteLists", &g.deleteLists);
    lookUp(lib, "glBegin", &g.begin);
    lookUp(lib, "glEnd", &g.end);
    lookUp(lib, "glColor4f", &g.color4f);
    lookUp(lib, "glVertex3f", &g.vertex3f);
    lookUp(lib, "glGetError", &g.getError);
    lookUp(lib, "glTexParameteri", &g.texParameteri);
    lookUp(lib, "glBindTexture", &g.bindTexture);
    lookUp(lib, "glTexImage2D", &g.texImage2D);
    lookUp(lib, "glClear", &g.clear);
    lookUp(lib, "glFinish", &g.finish);
    lookUp(lib, "wglCreateContext", &g.createContext);
    lookUp(lib, "wglMakeCurrent", &g.makeCurrent);
    lookUp(lib, "wglGetCurrentContext", &g.getCurrentContext);
    lookUp(lib, "wglGetCurrentDC", &g.getCurrentDC);
    return g;
}

volatile unsigned sink;

// Each workload makes about `calls` GL calls; it returns the seconds they
// took and sets `made` to the calls timed. Set-up and tear-down around them
// are not timed.
typedef double (*Workload)(const Gl &gl, long calls, long *made);

double getError(const Gl &gl, long calls, long *made) {
    unsigned any = 0;
    double start = secondsNow();
    for (long i = 0; i < calls; ++i) any |= gl.getError();
    double seconds = secondsNow() - start;
    sink = any;
    *made = calls;
    return seconds;
}

double texParameter(const Gl &gl, long calls, long *made) {
    double start = secondsNow();
    for (long i = 0; i < calls; ++i) {
        gl.texParameteri(GL_TEXTURE_2D_, GL_TEXTURE_MIN_FILTER_, (i & 1) ? GL_LINEAR_ : GL_NEAREST_);
    }
    *made = calls;
    return secondsNow() - start;
}

// A frame as an application of the era draws it: cleared, 10,000 coloured
// vertices of triangles between glBegin and glEnd, finished.
enum { FRAME_VERTICES = 10000, FRAME_CALLS = 2 * FRAME_VERTICES + 4 };

double frame(const Gl &gl, long calls, long *made) {
    long frames = calls / FRAME_CALLS > 0 ? calls / FRAME_CALLS : 1;
    double start = secondsNow();
    for (long f = 0; f < frames; ++f) {
        gl.clear(GL_COLOR_BUFFER_BIT_);
        gl.begin(GL_TRIANGLES_);
        for (int v = 0; v < FRAME_VERTICES; ++v) {
            const float x = (float)(v % 97) / 97.0f - 0.5f, y = (float)(v % 89) / 89.0f - 0.5f;
            gl.color4f(x + 0.5f, y + 0.5f, 0.5f, 1.0f);
            gl.vertex3f(x, y, 0.0f);
        }
        gl.end();
        gl.finish();
    }
    *made = frames * FRAME_CALLS;
    return secondsNow() - start;
}

// glColor4f and glVertex3f pairs compiled into a display list.
double displayList(const Gl &gl, long calls, long *made) {
    *made = calls / 2 * 2;
    return compileListPairs(gl, calls / 2);
}

// Two GL contexts of one window made current in turn, each drawing a
// little, as a program with several views draws its frame: a wglMakeCurrent
// and two GL calls a turn, one turn for every 100 calls asked for.
double contextSwitch(const Gl &gl, long calls, long *made) {
    HDC dc = gl.getCurrentDC();
    HGLRC first = gl.getCurrentContext();
    static thread_local HGLRC second;
    if (!second) second = gl.createContext(dc);
    long turns = calls / 100 > 0 ? calls / 100 : 1;
    unsigned any = 0;
    double start = secondsNow();
    for (long i = 0; i < turns; ++i) {
        gl.makeCurrent(dc, (i & 1) ? first : second);
        gl.clear(GL_COLOR_BUFFER_BIT_);
        any |= gl.getError();
    }
    double seconds = secondsNow() - start;
    gl.makeCurrent(dc, first);
    sink = any;
    *made = turns * 3;
    return seconds;
}

double historyBytes(const char *dir);

// On the thread the debugger has, the history folder and the bytes of text
// its timed glTexImage2D added there; the untaken thread has no history.
thread_local const char *textureHistory;
thread_local double textureHistoryBytes;

enum { TEXTURE_BOUND = 1, TEXTURE_LOADED = 2 };

// One glTexImage2D of a `size` pixels square RGBA image (`calls` is the
// size here), its bytes taking values of one to three digits, so that its
// text is about as long as a real image's.
//
// Mesa copies an image into a texture that has one of that size already;
// a texture's first image gets new storage, which costs tens of times more
// and varies from call to call and from thread to thread by more than the
// debugger adds. So the call always re-specifies a texture of its own, one
// that a call before it gave its storage. The image is rewritten before
// each call, so every mode reads it in the same state. On the thread the
// debugger has, the glBindTexture before the call takes any command the
// panel left waiting (Limit Data Dumps turned leaves one): the call itself
// would otherwise first render its whole text for the panel.
double texture(const Gl &gl, long size, long *made) {
    static std::vector<unsigned char> pixels;
    pixels.resize((size_t)size * (size_t)size * 4);
    unsigned char value = 0;
    for (unsigned char &p : pixels) {
        p = value;
        value = value >= 244 ? (unsigned char)(value - 244) : (unsigned char)(value + 7);
    }
    gl.bindTexture(GL_TEXTURE_2D_, TEXTURE_LOADED);
    double before = textureHistory ? historyBytes(textureHistory) : 0;
    double start = secondsNow();
    gl.texImage2D(GL_TEXTURE_2D_, 0, (int)GL_RGBA_, (int)size, (int)size, 0, GL_RGBA_, GL_UNSIGNED_BYTE_,
                  pixels.data());
    double seconds = secondsNow() - start;
    if (textureHistory) textureHistoryBytes = historyBytes(textureHistory) - before;
    gl.bindTexture(GL_TEXTURE_2D_, TEXTURE_BOUND);
    *made = 1;
    return seconds;
}

// A workload that makes wgl calls has no pass-through mode: its first wgl
// call through palisade would give the thread to the debugger.
const struct {
    const char *name;
    Workload run;
    bool wgl;
} kWorkloads[] = {{"glGetError", getError, false},
                  {"glTexParameteri", texParameter, false},
                  {"frame, 10k vertices", frame, false},
                  {"list compile", displayList, false},
                  {"context switches", contextSwitch, true}};
enum { WORKLOADS = sizeof kWorkloads / sizeof kWorkloads[0] };

enum Mode { DIRECT, PASS_THROUGH, HISTORY_OFF, HISTORY_ON, MODES };
const char *const kModeNames[MODES] = {"direct", "pass-through", "History off", "History on"};

// The process's private bytes: its commit charge (under Wine, the anonymous
// memory it has touched and any of it swapped out).
double privateBytes(void) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return (double)counters.PagefileUsage;
}

// A window with a GL context of `gl` made current on the calling thread;
// then the private bytes each of `more` contexts adds, created and made
// current in turn, before the first is made current again.
double contextsOn(const Gl &gl, int more) {
    HDC dc;
    gl_window("bench", &dc);
    HGLRC rc = gl.createContext(dc);
    if (!rc || !gl.makeCurrent(dc, rc)) {
        fprintf(stderr, "debugger_overhead: no GL context\n");
        exit(1);
    }
    double before = privateBytes();
    for (int i = 0; i < more; ++i) {
        HGLRC extra = gl.createContext(dc);
        if (!extra || !gl.makeCurrent(dc, extra)) {
            fprintf(stderr, "debugger_overhead: no GL context %d\n", i + 2);
            exit(1);
        }
    }
    double added = (privateBytes() - before) / (more > 0 ? more : 1);
    gl.makeCurrent(dc, rc);
    return added;
}

// The thread the debugger never takes: its GL context is made current
// through the system library, and it runs the direct and pass-through modes
// when the main thread asks.
struct Untaken {
    Gl system, ours;
    int contexts;
    double contextBytes;
    HANDLE go, done;
    Workload run;  // null ends the thread
    Mode mode;
    long calls, made;
    double seconds;
};

DWORD WINAPI untakenThread(LPVOID arg) {
    Untaken *u = (Untaken *)arg;
    u->contextBytes = contextsOn(u->system, u->contexts);
    u->system.bindTexture(GL_TEXTURE_2D_, TEXTURE_BOUND);
    SetEvent(u->done);
    for (;;) {
        WaitForSingleObject(u->go, INFINITE);
        if (!u->run) return 0;
        const Gl &gl = u->mode == DIRECT ? u->system : u->ours;
        u->seconds = u->run(gl, u->calls, &u->made);
        SetEvent(u->done);
    }
}

// The bytes of text in a history file: the debugger keeps room past the
// text of a file it writes, blanks after its last line end.
double textBytes(const char *path) {
    FILE *file = fopen(path, "rb");
    if (!file) return 0;
    _fseeki64(file, 0, SEEK_END);
    long long end = _ftelli64(file);
    char tail[65536];
    for (bool blanks = true; blanks && end > 0;) {
        long long n = end < (long long)sizeof tail ? end : (long long)sizeof tail;
        _fseeki64(file, end - n, SEEK_SET);
        if (fread(tail, 1, (size_t)n, file) != (size_t)n) break;
        for (long long i = n; i > 0 && (blanks = tail[i - 1] == ' '); --i) --end;
    }
    fclose(file);
    return (double)end;
}

double historyBytes(const char *dir) {
    char pattern[MAX_PATH], path[MAX_PATH];
    snprintf(pattern, sizeof pattern, "%s\\*.gls", dir);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    double total = 0;
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        snprintf(path, sizeof path, "%s\\%s", dir, found.cFileName);
        total += textBytes(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return total;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The workload run on the untaken thread in the direct or pass-through mode.
double untakenRun(Untaken &u, Workload run, Mode mode, long calls, long *made) {
    u.run = run;
    u.mode = mode;
    u.calls = calls;
    SetEvent(u.go);
    WaitForSingleObject(u.done, INFINITE);
    *made = u.made;
    return u.seconds;
}

struct WindowSearch {
    const wchar_t *title;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM arg) {
    WindowSearch *s = (WindowSearch *)arg;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    WCHAR text[64] = L"";
    InternalGetWindowText(window, text, 64);
    if (pid == GetCurrentProcessId() && IsWindowVisible(window) && !lstrcmpW(text, s->title)) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

// The visible window of this process captioned `title`, or null. Captions
// are read without a message: the untaken thread's window answers none.
HWND visibleDialog(const wchar_t *title) {
    WindowSearch search{title, nullptr};
    EnumWindows(matchWindow, (LPARAM)&search);
    return search.found;
}

// Limit Data Dumps set from the Options menu of Select GL Trace, which the
// panel's Trace button shows, as a person would.
void setLimitDataDumps(HWND p, bool on) {
    enum { TRACE_SETUP = 117, LIMIT_DUMPS = 9 };
    HWND trace = visibleDialog(L"Select GL Trace");
    if (!trace) {
        panel::click(p, TRACE_SETUP);
        panel::wait([&] { return (trace = visibleDialog(L"Select GL Trace")) != nullptr; }, 30);
    }
    if (!trace) {
        fprintf(stderr, "debugger_overhead: no Select GL Trace window\n");
        exit(1);
    }
    bool checked = (GetMenuState(GetMenu(trace), LIMIT_DUMPS, MF_BYCOMMAND) & MF_CHECKED) != 0;
    if (checked != on) SendMessageA(trace, WM_COMMAND, MAKEWPARAM(LIMIT_DUMPS, 0), 0);
}

// The person at the panel: lets the thread run when its first GL call has
// halted it.
DWORD WINAPI letRun(LPVOID) {
    HWND p = nullptr;
    panel::wait([&] {
        auto found = panel::find(GetCurrentProcessId());
        p = found.empty() ? nullptr : found[0];
        return p && panel::text(p, panel::STATUS) == "Halted";
    }, 60);
    if (p) panel::click(p, panel::CONTINUE);
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    const long calls = argc > 1 ? atol(argv[1]) : 200000;
    const int rounds = argc > 2 ? atoi(argv[2]) : 7;
    const int contexts = argc > 3 ? atoi(argv[3]) : 40;
    const long textureSize = argc > 4 ? atol(argv[4]) : 1024;
    if (calls < FRAME_CALLS || rounds < 1 || contexts < 1 || textureSize < 1 || textureSize > 8192) {
        fprintf(stderr, "usage: debugger_overhead [calls per round (%d or more) [rounds [contexts [texture "
                "size, up to 8192]]]]\n", FRAME_CALLS);
        return 2;
    }
    char path[MAX_PATH];
    UINT len = GetSystemDirectoryA(path, MAX_PATH - 16);
    lstrcpyA(path + len, "\\opengl32.dll");
    HMODULE real = LoadLibraryA(path);
    HMODULE ours = LoadLibraryA("palisade.dll");
    if (!real || !ours) {
        fprintf(stderr, "debugger_overhead: cannot load %s\n", real ? "palisade.dll" : path);
        return 1;
    }
    static Untaken untaken;
    untaken.system = procs(real);
    untaken.ours = procs(ours);
    untaken.contexts = contexts;
    untaken.go = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    untaken.done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE other = CreateThread(nullptr, 0, untakenThread, &untaken, 0, nullptr);
    WaitForSingleObject(untaken.done, INFINITE);

    // This thread's first wgl call through palisade gives it to the debugger;
    // its first GL call halts until the person lets it run.
    const Gl &debugged = untaken.ours;
    double debuggedContextBytes = contextsOn(debugged, contexts);
    CloseHandle(CreateThread(nullptr, 0, letRun, nullptr, 0, nullptr));
    debugged.bindTexture(GL_TEXTURE_2D_, TEXTURE_BOUND);  // halts, then runs
    HWND p = panel::find(GetCurrentProcessId())[0];
    char temp[MAX_PATH], history[MAX_PATH];
    GetEnvironmentVariableA("TEMP", temp, sizeof temp);
    snprintf(history, sizeof history, "%s\\PALISADE_%lu\\history", temp, GetCurrentThreadId());

    std::vector<double> ns[WORKLOADS][MODES];
    double bytesPerCall[WORKLOADS] = {};
    // The first round warms caches and the GL's allocations and is not
    // counted. Modes take turns within a round, so that a drift of the
    // machine's speed reaches them all alike.
    for (int round = 0; round <= rounds; ++round) {
        for (int w = 0; w < WORKLOADS; ++w) {
            for (int m = 0; m < MODES; ++m) {
                double seconds;
                long made;
                if (m == PASS_THROUGH && kWorkloads[w].wgl) continue;
                if (m == DIRECT || m == PASS_THROUGH) {
                    seconds = untakenRun(untaken, kWorkloads[w].run, (Mode)m, calls, &made);
                } else {
                    panel::set_check(p, panel::HISTORY, m == HISTORY_ON);
                    double before = historyBytes(history);
                    seconds = kWorkloads[w].run(debugged, calls, &made);
                    if (m == HISTORY_ON) bytesPerCall[w] = (historyBytes(history) - before) / (double)made;
                }
                if (round > 0) ns[w][m].push_back(seconds * 1e9 / (double)made);
            }
        }
    }

    // The long command, each mode once a round, the first round not counted.
    // Each timed call follows an untimed one, which finds the GL's storage
    // and the thread as a program's second call does: the first call after
    // another mode's ran slower by more than the debugger adds. Written
    // with History off, it costs the round no history text.
    enum { T_DIRECT, T_OFF, T_ON, T_LIMITED, TEXTURE_MODES };
    const char *const textureModes[TEXTURE_MODES] = {"direct", "History off", "History on",
                                                     "History on, Limit Data Dumps"};
    std::vector<double> textureMs[TEXTURE_MODES];
    double textureBytes[TEXTURE_MODES] = {};
    textureHistory = history;
    for (int round = 0; round <= rounds; ++round) {
        for (int m = 0; m < TEXTURE_MODES; ++m) {
            double seconds;
            long made;
            if (m == T_DIRECT) {
                untakenRun(untaken, texture, DIRECT, textureSize, &made);
                seconds = untakenRun(untaken, texture, DIRECT, textureSize, &made);
            } else {
                panel::set_check(p, panel::HISTORY, false);
                setLimitDataDumps(p, m == T_LIMITED);
                texture(debugged, textureSize, &made);
                panel::set_check(p, panel::HISTORY, m != T_OFF);
                seconds = texture(debugged, textureSize, &made);
                textureBytes[m] = textureHistoryBytes;
            }
            if (round > 0) textureMs[m].push_back(seconds * 1e3);
        }
    }
    setLimitDataDumps(p, false);
    untaken.run = nullptr;
    SetEvent(untaken.go);
    WaitForSingleObject(other, INFINITE);

    printf("%ld calls per round, %d rounds; ns per call: median (min-max)\n", calls, rounds);
    printf("%-20s %-13s %9s %19s %9s %8s %10s\n", "workload", "mode", "ns/call", "(min-max)", "added ns",
           "ratio", "bytes/call");
    for (int w = 0; w < WORKLOADS; ++w) {
        const double direct = median(ns[w][DIRECT]);
        for (int m = 0; m < MODES; ++m) {
            const std::vector<double> &v = ns[w][m];
            if (v.empty()) {
                printf("%-20s %-13s %9s\n", m == 0 ? kWorkloads[w].name : "", kModeNames[m], "-");
                continue;
            }
            const double med = median(v);
            char spread[48], bytes[16] = "";
            snprintf(spread, sizeof spread, "(%.1f-%.1f)", *std::min_element(v.begin(), v.end()),
                     *std::max_element(v.begin(), v.end()));
            if (m == HISTORY_ON) snprintf(bytes, sizeof bytes, "%.1f", bytesPerCall[w]);
            printf("%-20s %-13s %9.1f %19s %+9.1f %7.2fx %10s\n", m == 0 ? kWorkloads[w].name : "",
                   kModeNames[m], med, spread, med - direct, med / direct, bytes);
        }
    }
    printf("one glTexImage2D of %ldx%ld RGBA, %d rounds: ms, median (min-max)\n", textureSize, textureSize, rounds);
    printf("%-30s %11s %21s %14s\n", "mode", "ms", "(min-max)", "history bytes");
    for (int m = 0; m < TEXTURE_MODES; ++m) {
        const std::vector<double> &v = textureMs[m];
        char spread[48];
        snprintf(spread, sizeof spread, "(%.1f-%.1f)", *std::min_element(v.begin(), v.end()),
                 *std::max_element(v.begin(), v.end()));
        char bytes[24] = "-";
        if (m != T_DIRECT) snprintf(bytes, sizeof bytes, "%.0f", textureBytes[m]);
        printf("%-30s %11.1f %21s %14s\n", textureModes[m], median(v), spread, bytes);
    }
    const double mib = 1024.0 * 1024.0;
    printf("GL context memory: private bytes each of %d more contexts adds, made current\n", contexts);
    printf("  system library alone %8.2f MiB\n", untaken.contextBytes / mib);
    printf("  under the debugger   %8.2f MiB (%+.2f MiB)\n", debuggedContextBytes / mib,
           (debuggedContextBytes - untaken.contextBytes) / mib);
    fflush(stdout);
    // The person quits: the debugger's files and directories go with it.
    // This thread waits in Wine's server meanwhile (an alertable wait), which
    // ends it without a signal: Sleep(INFINITE) waits in the Unix side, and
    // the SIGQUIT that ends it there kills the process under qemu-user, whose
    // signal handlers reload the thread's TLS from the table of the last
    // thread set up (so does a plain program whose thread sleeps so at exit).
    PostMessageA(p, WM_COMMAND, 4, 0);
    for (;;) SleepEx(INFINITE, TRUE);
}
