// The debugger engine and its panel, linked into this program: GL threads
// call the GLS core's entry points and the debugger's wgl entry points
// directly, as an application would, and the test thread plays the person at
// each thread's panel (window messages to the panel, as palisade_driver
// sends them from outside) and reads the thread's records and history.
#define _GDI32_
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "api/api.h"
#include "core/context.h"
#include "debugger/analyses.h"
#include "debugger/debugger_tables.h"
#include "debugger/history.h"
#include "debugger/ring.h"
#include "debugger/text.h"
#include "debugger/thread_context.h"
#include "debugger/gdi.h"
#include "debugger/ui_seam.h"
#include "gl_window.h"
#include "gls_entry.h"
#include "panel.h"
#include "read_file.h"
#include "ui/resource.h"
#include "ui/ui.h"
#include "ui/ui_windows.h"

#include <shellapi.h>

extern "C" int __glsProcessAttach(void *instance, unsigned long reason, void *reserved);
extern "C" BOOL WINAPI wglSwapBuffers(HDC dc);

namespace {

const double kWait = 30;

// Waits for the thread to end. Its handle stays open for the rest of the
// run: the system gives the id of a thread let go to a thread made later,
// which would then take over the records of the one gone before (the
// debugger keys them by thread id), running rather than halted at its first
// call.
void join_thread(HANDLE &thread) {
    static std::vector<HANDLE> ended;
    if (!thread) return;
    WaitForSingleObject(thread, INFINITE);
    ended.push_back(thread);
    thread = nullptr;
}

// A GL thread with a window and a GL context of its own; `body` runs on it
// once the context is current. The debugger takes the thread over at its
// first wgl call, and its first GL call halts.
struct GLThread {
    std::function<void(GLThread &)> body;
    HANDLE thread = nullptr;
    DWORD id = 0;
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC rc = nullptr;
    bool make_current = true;
    std::string history_path;  // of the context made current first

    explicit GLThread(std::function<void(GLThread &)> fn, bool current = true, bool suspended = false)
        : body(std::move(fn)), make_current(current) {
        thread = CreateThread(nullptr, 0, main, this, CREATE_SUSPENDED, &id);
        if (!suspended) ResumeThread(thread);
    }
    ~GLThread() { join(); }

    static DWORD WINAPI main(void *arg) {
        GLThread *self = (GLThread *)arg;
        self->window = gl_window("gl", &self->dc, PFD_DOUBLEBUFFER);
        self->rc = wglCreateContext(self->dc);
        if (self->make_current) wglMakeCurrent(self->dc, self->rc);
        self->history_path = self->context()->gl_context->history_path;
        self->body(*self);
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(self->rc);
        ReleaseDC(self->window, self->dc);
        DestroyWindow(self->window);
        return 0;
    }

    void join() { join_thread(thread); }
    bool done() { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }

    HWND panel() {
        HWND found = nullptr;
        panel::wait(
            [&] {
                for (HWND p : panel::find(GetCurrentProcessId())) {
                    if (panel::thread_id(p) == id) found = p;
                }
                return found != nullptr;
            },
            kWait);
        return found;
    }
    ProcessRecord *process() {
        char dir[PATH_CHARS], name[PATH_CHARS];
        temp_dir_path(id, dir);
        mmaps_path_process(dir, id, name);
        return mmaps_open_process(name);
    }
    DebugThreadContext *context() { return process()->context.load(); }
    uint64_t calls(unsigned command) { return process()->commands[command].calls; }
};

std::string status(HWND p) { return panel::text(p, panel::STATUS); }
std::string call(HWND p) { return panel::text(p, panel::CALL); }

// Presses a button and waits for the thread to halt again.
void press_and_halt(HWND p, int button) {
    panel::click(p, button);
    ASSERT_TRUE(panel::wait_status(p, "Halted", kWait)) << status(p);
}

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

std::string file_text(const std::string &path) {
    std::string text;
    readFile(path, &text);
    return text;
}

std::string history(GLThread &t) { return readLoggedText(t.history_path); }

// -------------------------------------------------------- the tables

TEST(Tables, CallsCountUnderTheIdOfTheWrapperInForce) {
    GLenum pending = 0;
    GLThread t([&](GLThread &) {
        pending = glsGetError();  // what the installation left
        GLuint texture = 1;
        glBindTexture(GL_TEXTURE_2D, texture);
        glVertex3f(1, 2, 3);
        glRectf(0, 0, 1, 1);
        glPolygonOffset(1, 1);
        glColor4f(1, 1, 1, 1);
    });
    HWND p = t.panel();
    ASSERT_TRUE(panel::wait_status(p, "Halted", kWait));
    panel::click(p, panel::CONTINUE);
    t.join();
    EXPECT_EQ((GLenum)GLS_UNSUPPORTED_COMMAND, pending);
    struct {
        unsigned counted, not_counted;
    } rows[] = {
        {ID_glBindTextureEXT, ID_glBindTexture},
        {ID_glVertex3fv, ID_glVertex3dv},
        {ID_glRectfv, ID_glRectdv},
        {ID_glPolygonOffset, ID_glPolygonOffsetEXT},
        {ID_glColor4fv, ID_glColor4dv},
    };
    for (auto &row : rows) {
        EXPECT_EQ(1u, t.calls(row.counted)) << command_name_table[row.counted];
        EXPECT_EQ(0u, t.calls(row.not_counted)) << command_name_table[row.not_counted];
    }
}

// ------------------------------------------------------- halt, step, skip

TEST(Halt, FirstCallStepSkipAndContinue) {
    GLuint list = 99, skipped_list = 99;
    GLThread t([&](GLThread &) {
        glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        skipped_list = glGenLists(1);
        list = glGenLists(1);
        glFinish();
    });
    HWND p = t.panel();
    ASSERT_TRUE(panel::wait_status(p, "Halted", kWait)) << status(p);
    EXPECT_EQ("glClearColor(0.25, 0.5, 0.75, 1);", call(p));
    EXPECT_EQ(0u, t.calls(ID_glClearColor));

    // Step performs exactly that call: it is the history's last line then.
    press_and_halt(p, panel::STEP);
    EXPECT_EQ(1u, t.calls(ID_glClearColor));
    EXPECT_EQ("glClear(GL_COLOR_BUFFER_BIT);", call(p));
    std::vector<std::string> h = lines(history(t));
    ASSERT_FALSE(h.empty());
    EXPECT_EQ("glClearColor(0.25, 0.5, 0.75, 1);", h.back());

    press_and_halt(p, panel::STEP);
    EXPECT_EQ("glGenLists(1);", call(p));
    press_and_halt(p, panel::SKIP);
    EXPECT_EQ(0u, t.calls(ID_glGenLists));
    EXPECT_EQ("glGenLists(1);", call(p));  // the next call, halted again
    panel::click(p, panel::CONTINUE);
    t.join();
    EXPECT_EQ(0u, skipped_list);
    EXPECT_NE(0u, list);
    EXPECT_EQ(1u, t.calls(ID_glGenLists));
    EXPECT_EQ(1u, t.calls(ID_glFinish));
    h = lines(history(t));
    EXPECT_EQ(1, std::count(h.begin(), h.end(), "glGenLists(1);"));
}

TEST(Halt, BreakOnFlushOnlyWhileTheSwitchIsOnAndTheThreadRuns) {
    HANDLE go = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    GLThread t([&](GLThread &) {
        glFlush();  // halts: the first call
        glFlush();  // runs: the switch is off
        WaitForSingleObject(go, INFINITE);
        glFlush();  // breaks
        glFinish();
    });
    HWND p = t.panel();
    ASSERT_TRUE(panel::wait_status(p, "Halted", kWait));
    panel::click(p, panel::CONTINUE);
    ASSERT_TRUE(panel::wait([&] { return t.calls(ID_glFlush) == 2; }, kWait));
    panel::set_check(p, panel::BREAK_CALLS, true);
    SetEvent(go);
    ASSERT_TRUE(panel::wait_status(p, "Halted (Break on glFlush)", kWait)) << status(p);
    EXPECT_EQ("glFlush();", call(p));
    EXPECT_EQ(2u, t.calls(ID_glFlush));
    panel::click(p, panel::CONTINUE);
    t.join();
    EXPECT_EQ(3u, t.calls(ID_glFlush));
    CloseHandle(go);
}

TEST(Halt, BreakOnSwapAndSkipOfTheSwap) {
    BOOL swapped = TRUE;
    GLThread t([&](GLThread &self) {
        glFinish();
        swapped = wglSwapBuffers(self.dc);
        glFinish();
    });
    HWND p = t.panel();
    ASSERT_TRUE(panel::wait_status(p, "Halted", kWait));
    panel::set_check(p, panel::BREAK_SWAP, true);
    panel::click(p, panel::CONTINUE);
    ASSERT_TRUE(panel::wait_status(p, "Halted (Break on SwapBuffers)", kWait)) << status(p);
    EXPECT_EQ("wglSwapBuffers", call(p));
    panel::click(p, panel::SKIP);
    ASSERT_TRUE(panel::wait_status(p, "Halted", kWait)) << status(p);
    panel::click(p, panel::CONTINUE);
    t.join();
    EXPECT_FALSE(swapped);
    EXPECT_EQ(0u, t.process()->wgl_call_counts[WGL_wglSwapBuffers]);
}

// A call that leaves a message halts after the call, with the message under
// the call's text; a Skip then returns what the performed call returned.
TEST(Halt, MessagesHaltAfterTheCall) {
    struct Row {
        bool current;
        const char *message;
    } rows[] = {{true, "GL Error: invalid enumerant."}, {false, "Warning: No GL context."}};
    for (const Row &row : rows) {
        GLuint list = 0;
        GLThread t(
            [&](GLThread &) {
                glEnable(0xFFFF);  // an error left pending: nothing looks yet
                list = glGenLists(1);
                glFinish();
            },
            row.current);
        HWND p = t.panel();
        ASSERT_TRUE(panel::wait_status(p, "Halted", kWait));
        press_and_halt(p, panel::STEP);
        panel::set_check(p, panel::GL_ERRORS, true);
        panel::click(p, panel::STEP);
        ASSERT_TRUE(panel::wait([&] { return call(p).find(row.message) != std::string::npos; }, kWait))
            << call(p);
        // The halt says "Updating ..." while it refreshes the windows.
        EXPECT_TRUE(panel::wait_status(p, "Halted", kWait)) << status(p);
        EXPECT_EQ(0u, call(p).find("glGenLists(1);\r\n"));
        EXPECT_EQ(1u, t.calls(ID_glGenLists));
        panel::click(p, panel::SKIP);
        ASSERT_TRUE(panel::wait_status(p, "Halted", kWait)) << status(p);
        panel::set_check(p, panel::GL_ERRORS, false);
        panel::click(p, panel::CONTINUE);
        t.join();
        if (row.current) {
            EXPECT_NE(0u, list);
        }
    }
}

// ------------------------------------------------------------- history

TEST(History, OneLineEndPerLineAndAnEarlierRunWithTheSameIdAppended) {
    GLThread t([](GLThread &) {
        static const GLfloat v[] = {0, 0, 1, 0, 1, 1};
        glVertexPointer(2, GL_FLOAT, 0, v);
        glDrawArrays(GL_TRIANGLES, 0, 3);
        glFinish();
    },
               true, true);
    char dir[PATH_CHARS], path[PATH_CHARS];
    temp_dir_path(t.id, dir);
    CreateDirectoryA(dir, nullptr);
    _snprintf_s(path, sizeof path, _TRUNCATE, "%s\\history", dir);
    CreateDirectoryA(path, nullptr);
    _snprintf_s(path, sizeof path, _TRUNCATE, "%s\\history\\0.gls", dir);
    FILE *earlier = fopen(path, "wb");
    fputs("earlier run\r\n", earlier);
    fclose(earlier);
    ResumeThread(t.thread);
    HWND p = t.panel();
    ASSERT_TRUE(panel::wait_status(p, "Halted", kWait));
    panel::click(p, panel::CONTINUE);
    t.join();

    std::string null_history = file_text(path);
    EXPECT_EQ(0u, null_history.find("earlier run\r\nglsBeginGLS(1, 0);\r\n")) << null_history;
    EXPECT_NE(std::string::npos, null_history.find("glsString(\"Info\", \"wglCreateContext\");\r\n"));
    std::string text = history(t);
    for (size_t i = 0; i < text.size(); ++i) {
        bool lone_lf = text[i] == '\n' && (i == 0 || text[i - 1] != '\r');
        bool lone_cr = text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n');
        ASSERT_FALSE(lone_lf || lone_cr) << "a line end of its own at " << i;
    }
    EXPECT_NE(std::string::npos, text.find("glDrawArrays(GL_TRIANGLES, 0, 3);\r\n"));
}

// Rendering the halted call never performs it, with vertex arrays expanded
// too (an additive draw shows a second execution in its pixels); the
// debugger's own queries leave the application's calls traced.
TEST(History, RenderingAndTheDebuggersOwnCallsLeaveTheHistoryAsTraced) {
    GLint viewport[4] = {};
    GLubyte pixel[4] = {};
    GLThread t([&](GLThread &) {
        static const GLfloat v[] = {-1, -1, 1, -1, -1, 1};
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        glColor4f(0.25f, 0.25f, 0.25f, 0.25f);
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(2, GL_FLOAT, 0, v);
        glDrawArrays(GL_TRIANGLES, 0, 3);
        glGetIntegerv(GL_VIEWPORT, viewport);
        glDrawBuffer(GL_BACK);
        glGetError();
        glReadBuffer(GL_BACK);
        glReadPixels(2, 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    });
    HWND p = t.panel();
    ASSERT_TRUE(panel::wait_status(p, "Halted", kWait));
    ring_post(&t.process()->ui_commands, CMD_VERTEX_ARRAYS_ON);
    for (int i = 0; i < 7; ++i) press_and_halt(p, panel::STEP);
    EXPECT_EQ("glDrawArrays(GL_TRIANGLES, 0, 3);", call(p));
    press_and_halt(p, panel::STEP);
    panel::set_check(p, panel::CONTROL_DRAW, true);
    panel::set_check(p, panel::GL_ERRORS, true);
    press_and_halt(p, panel::STEP);
    panel::set_check(p, panel::CONTROL_DRAW, false);
    panel::click(p, panel::CONTINUE);
    t.join();
    EXPECT_NEAR(64, pixel[0], 2);
    std::string text = history(t);
    size_t draws = 0;
    for (size_t at = text.find("glsDrawVertexArray("); at != std::string::npos;
         at = text.find("glsDrawVertexArray(", at + 1)) {
        ++draws;
    }
    EXPECT_EQ(1u, draws) << text;
    EXPECT_NE(std::string::npos, text.find("glGetIntegerv(GL_VIEWPORT")) << text;
    EXPECT_NE(std::string::npos, text.find("glDrawBuffer(GL_BACK);")) << text;
    EXPECT_NE(std::string::npos, text.find("glGetError();")) << text;
}

// --------------------------------------------------------- configuration

// A dialog of this process with that caption: other programs on the same
// display (tests that run beside this one) show boxes of the same names.
HWND own_dialog(const char *caption) {
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", caption); w;
         w = FindWindowExA(nullptr, w, "#32770", caption)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId()) return w;
    }
    return nullptr;
}

// Closes the warning box the configuration reader shows and keeps its text.
struct WarningCloser {
    std::string text;
    HANDLE thread;
    WarningCloser() { thread = CreateThread(nullptr, 0, run, this, 0, nullptr); }
    static DWORD WINAPI run(void *arg) {
        WarningCloser *self = (WarningCloser *)arg;
        HWND box = nullptr;
        panel::wait([&] { return (box = own_dialog("Warning")) != nullptr; }, kWait);
        if (!box) return 0;
        char text[512] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        self->text = text;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return 0;
    }
    void join() { join_thread(thread); }
    ~WarningCloser() { join(); }
};

// The Call Count window's "Non-zero calls" mark, its menu item 1.
static bool nonzero_mark(DebugThreadContext *ctx) {
    return (GetMenuState(GetMenu(ui_window(ctx, WINDOW_CALL_COUNT)), 1, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

static void set_nonzero_mark(DebugThreadContext *ctx, bool on) {
    CheckMenuItem(GetMenu(ui_window(ctx, WINDOW_CALL_COUNT)), 1, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

// The selection windows show the records, as the panel's Setup buttons have
// them do: the configuration keeps what the windows' lists select.
static void show_selections(DebugThreadContext *ctx) {
    for (HWND window : {ui_window(ctx, WINDOW_BREAK_SELECT), ui_window(ctx, WINDOW_TRACE_SELECT), ui_window(ctx, WINDOW_SKIP_SELECT)}) {
        SendMessageA(window, 0x8001, 0, 0);
    }
}

TEST(Config, SaveLoadAndFilesThatAreNotWhole) {
    GLThread t([](GLThread &) { glFinish(); });
    HWND p = t.panel();
    ASSERT_TRUE(panel::wait_status(p, "Halted", kWait));
    DebugThreadContext *ctx = t.context();
    ProcessRecord *process = ctx->process;

    // Switches, marks and selections away from their start, saved, changed
    // back, and loaded again.
    panel::set_check(p, panel::GL_ERRORS, true);
    panel::set_check(p, panel::HISTORY, false);
    panel::set_check(p, panel::BREAK_SWAP, true);
    set_nonzero_mark(ctx, false);
    process->commands[ID_glAccum].break_on = 1;
    process->commands[ID_glBegin].trace = 0;
    process->commands[ID_glViewport].skip = 1;
    show_selections(ctx);
    FILE *file = fopen("saved.cfg", "w");
    ASSERT_TRUE(ui_config_write(ctx, file));
    fclose(file);
    std::string saved = file_text("saved.cfg");
    size_t line_count = std::count(saved.begin(), saved.end(), '\n');
    EXPECT_EQ(1393u, line_count);

    panel::set_check(p, panel::GL_ERRORS, false);
    panel::set_check(p, panel::HISTORY, true);
    panel::set_check(p, panel::BREAK_SWAP, false);
    set_nonzero_mark(ctx, true);
    process->commands[ID_glAccum].break_on = 0;
    process->commands[ID_glBegin].trace = 1;
    process->commands[ID_glViewport].skip = 0;
    file = fopen("saved.cfg", "r");
    ASSERT_TRUE(ui_config_read(ctx, file, "saved.cfg"));
    fclose(file);
    EXPECT_EQ(1u, process->Check_for_GL_error.load());
    EXPECT_EQ(0u, process->History.load());
    EXPECT_EQ(1u, process->Break_on_SwapBuffers.load());
    EXPECT_TRUE(panel::checked(p, panel::GL_ERRORS));
    EXPECT_FALSE(panel::checked(p, panel::HISTORY));
    EXPECT_FALSE(nonzero_mark(ctx));
    EXPECT_EQ(1, process->commands[ID_glAccum].break_on.load());
    EXPECT_EQ(1, process->commands[ID_glFlush].break_on.load());
    EXPECT_EQ(0, process->commands[ID_glBitmap].break_on.load());
    EXPECT_EQ(0, process->commands[ID_glBegin].trace.load());
    EXPECT_EQ(1, process->commands[ID_glViewport].skip.load());

    // Files that are not whole leave what they do not reach as it was.
    size_t history_line = saved.find("History:");
    size_t break_section = saved.find("CONFIGURATION_break_GL_select");
    struct Row {
        const char *name;
        std::string text;
        bool warns;
        uint32_t history;  // what History is after the file
        uint8_t accum_break;
    } rows[] = {
        {"wrong.cfg", "palisadex\nHistory: 1\n", true, 0, 1},
        {"empty.cfg", "", true, 0, 1},
        {"switches.cfg", saved.substr(0, history_line) + "History: 1\nBreak_on_GL_calls:", false, 1, 1},
        {"garbage.cfg", saved.substr(0, history_line) + "History: yes\n" + std::string(5000, 'x'), false, 0, 1},
        {"section.cfg", saved.substr(0, break_section) + "CONFIGURATION_break_GL_select\nglAccum: 0 0 0 0\n",
         false, 0, 1},
    };
    for (const Row &row : rows) {
        process->History.store(0);
        FILE *f = fopen(row.name, "wb");
        fwrite(row.text.data(), 1, row.text.size(), f);
        fclose(f);
        f = fopen(row.name, "r");
        std::string warning;
        if (row.warns) {
            WarningCloser closer;
            EXPECT_EQ(0, ui_config_read(ctx, f, row.name)) << row.name;
            closer.join();
            warning = closer.text;
        } else {
            EXPECT_EQ(1, ui_config_read(ctx, f, row.name)) << row.name;
        }
        fclose(f);
        if (row.warns) {
            EXPECT_EQ(std::string(row.name) + " is not valid.", warning);
        }
        EXPECT_EQ(row.history, process->History.load()) << row.name;
        EXPECT_EQ(row.accum_break, process->commands[ID_glAccum].break_on.load()) << row.name;
    }
    panel::click(p, panel::CONTINUE);
}

// --------------------------------------------------------------- threads

TEST(Threads, EachThreadHasItsOwnPanelRecordsAndHistory) {
    GLThread a([](GLThread &) { glClearColor(1, 0, 0, 1); });
    GLThread b([](GLThread &) { glClearColor(0, 1, 0, 1); });
    HWND pa = a.panel(), pb = b.panel();
    ASSERT_NE(pa, pb);
    ASSERT_TRUE(panel::wait_status(pa, "Halted", kWait));
    ASSERT_TRUE(panel::wait_status(pb, "Halted", kWait));
    EXPECT_EQ("glClearColor(1, 0, 0, 1);", call(pa));
    EXPECT_EQ("glClearColor(0, 1, 0, 1);", call(pb));
    panel::click(pa, panel::CONTINUE);
    panel::click(pb, panel::CONTINUE);
    a.join();
    b.join();
    EXPECT_NE(a.process(), b.process());
    EXPECT_NE(std::string::npos, history(a).find("glClearColor(1, 0, 0, 1);"));
    EXPECT_EQ(std::string::npos, history(a).find("glClearColor(0, 1, 0, 1);"));
}

TEST(Threads, TwelveThreadsAndFortyContextsInOneRunThrough) {
    std::vector<std::unique_ptr<GLThread>> threads;
    for (int i = 0; i < 11; ++i) {
        threads.emplace_back(new GLThread([](GLThread &) {
            glClear(GL_COLOR_BUFFER_BIT);
            glFinish();
        }));
    }
    threads.emplace_back(new GLThread([](GLThread &self) {
        std::vector<HGLRC> contexts;
        for (int i = 0; i < 40; ++i) {
            HGLRC rc = wglCreateContext(self.dc);
            wglMakeCurrent(self.dc, rc);
            glClear(GL_COLOR_BUFFER_BIT);
            contexts.push_back(rc);
        }
        wglMakeCurrent(self.dc, self.rc);
        for (HGLRC rc : contexts) wglDeleteContext(rc);
    }));
    for (auto &t : threads) {
        HWND p = t->panel();
        ASSERT_TRUE(p);
        ASSERT_TRUE(panel::wait_status(p, "Halted", kWait));
        panel::click(p, panel::CONTINUE);
    }
    for (auto &t : threads) t->join();
    // Its own context and forty more, of which the master lists 32.
    EXPECT_EQ(42u, threads.back()->context()->master->next_gl_context_number);
    EXPECT_EQ((uint32_t)MASTER_GL_CONTEXT_SLOTS, threads.back()->context()->master->gl_context_count);
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
}

TEST(Contexts, AHandleTheSystemGivesAgainGetsANewRecord) {
    HGLRC first = nullptr, second = nullptr;
    GLContextRecord *first_record = nullptr, *second_record = nullptr;
    GLThread t([&](GLThread &self) {
        first = wglCreateContext(self.dc);
        wglMakeCurrent(self.dc, first);
        glClear(GL_COLOR_BUFFER_BIT);
        first_record = self.context()->gl_context;
        wglMakeCurrent(self.dc, self.rc);
        wglDeleteContext(first);
        second = wglCreateContext(self.dc);
        wglMakeCurrent(self.dc, second);
        glClear(GL_COLOR_BUFFER_BIT);
        second_record = self.context()->gl_context;
        wglMakeCurrent(self.dc, self.rc);
        wglDeleteContext(second);
    });
    HWND p = t.panel();
    ASSERT_TRUE(panel::wait_status(p, "Halted", kWait));
    panel::click(p, panel::CONTINUE);
    t.join();
    if (first != second) GTEST_SKIP() << "the system gave the second context a handle of its own";
    EXPECT_NE(first_record, second_record);
    EXPECT_NE(first_record->number, second_record->number);
    EXPECT_STRNE(first_record->history_path, second_record->history_path);
}

// ------------------------------------------------------- panel and GDI

TEST(Panel, EscapeAndEnterAreNoMenuCommands) {
    GLThread t([](GLThread &) { glFinish(); });
    HWND p = t.panel();
    ASSERT_TRUE(panel::wait_status(p, "Halted", kWait));
    HWND call_box = GetDlgItem(p, panel::CALL);
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        PostMessageA(call_box, WM_KEYDOWN, key, 0);
        PostMessageA(call_box, WM_CHAR, key, 0);
        PostMessageA(call_box, WM_KEYUP, key, 0);
    }
    Sleep(300);
    EXPECT_EQ(nullptr, own_dialog("Save As"));
    EXPECT_TRUE(IsWindowVisible(p));
    EXPECT_EQ("Halted", status(p));
    panel::click(p, panel::CONTINUE);
}

TEST(Gdi, CallsFromGdiReachTheGdiWrappersWhichCountAndAnnotate) {
    HMODULE gdi32 = GetModuleHandleA("gdi32.dll");
    EXPECT_TRUE(came_from_gdi((void *)GetProcAddress(gdi32, "SwapBuffers")));
    EXPECT_FALSE(came_from_gdi((void *)&came_from_gdi));
    GLThread t([](GLThread &self) {
        PIXELFORMATDESCRIPTOR pfd = {};
        int format = wrap_GetPixelFormat(self.dc);
        wrap_DescribePixelFormat(self.dc, format, sizeof pfd, &pfd);
        wrap_SwapBuffers(self.dc);
        glFinish();
    });
    HWND p = t.panel();
    ASSERT_TRUE(panel::wait_status(p, "Halted", kWait));
    panel::click(p, panel::CONTINUE);
    t.join();
    const uint64_t *counts = t.process()->gdi_call_counts;
    EXPECT_EQ(1u, counts[GDI_GetPixelFormat]);
    EXPECT_EQ(1u, counts[GDI_DescribePixelFormat]);
    EXPECT_EQ(1u, counts[GDI_SwapBuffers]);
    EXPECT_EQ(0u, counts[GDI_ChoosePixelFormat]);
    std::string text = history(t);
    for (const char *name : {"GetPixelFormat", "DescribePixelFormat", "SwapBuffers"}) {
        EXPECT_NE(std::string::npos, text.find(std::string("glsString(\"Info\", \"") + name + "\");"))
            << name;
    }
}

// --------------------------------------------------- texts and the ring

TEST(Texts, BoundedTextsAndTheirRules) {
    struct Convert {
        std::string in;
        size_t length;
        const char *tail;
    } converts[] = {
        {std::string(10239, 'a') + "\n", 10239, "a"},
        {std::string(10240, 'a'), 10240, "a"},
        {std::string(10241, 'a'), 9987, "a..."},
        {std::string(6000, '\n') + "x\n", 10243, "\r\n..."},
        {"glFlush();\n", 10, "();"},
        {"glBegin(\n  1\n\n);\n", 19, "1\r\n\r\n);"},
    };
    static char out[CALL_TEXT_CHARS];
    for (const Convert &c : converts) {
        CallTextState state = {};
        size_t n = call_text_convert(&state, c.in.data(), c.in.size(), out, 0, sizeof out);
        EXPECT_EQ(c.length, n) << c.in.size();
        EXPECT_EQ(n, strlen(out));
        EXPECT_EQ(0, strcmp(out + n - strlen(c.tail), c.tail)) << c.in.size();
    }

    char message[16] = "";
    text_append(message, sizeof message, "\nWarning: a");
    text_append(message, sizeof message, "\nWarning: b");
    text_append(message, sizeof message, "\nWarning: c");
    EXPECT_STREQ("\nWarning: a\n...", message);

    char shortened[256];
    std::string twenty = "glMap1f(GL_MAP1_VERTEX_3, {";
    for (int i = 0; i < 20; ++i) twenty += std::to_string(i) + (i < 19 ? ", " : "");
    twenty += "});\n";
    ASSERT_EQ(1, history_shorten_data(twenty.size(), twenty.c_str(), shortened, sizeof shortened));
    EXPECT_STREQ("glMap1f(GL_MAP1_VERTEX_3, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, ...});\n",
                 shortened);
    EXPECT_EQ(0, history_shorten_data(twenty.size(), twenty.c_str(), shortened, 40));
    EXPECT_EQ(0, history_shorten_data(11, "glFlush();\n", shortened, sizeof shortened));

    EnumerantRow rows[2] = {{0, "GL_FALSE"}, {0, "GL_NONE"}};
    char name[COMMAND_NAME_CHARS];
    EXPECT_STREQ("GL_FALSE", value_name_lookup(0, rows, 2, name));
    EXPECT_STREQ("0x0404", value_name_lookup(0x404, rows, 2, name));
    EXPECT_STREQ("0x12345", value_name_lookup(0x12345, rows, 2, name));

    struct {
        unsigned long long n;
        const char *text;
    } counts[] = {{0, "0"}, {999, "999"}, {1000, "1,000"}, {1001, "1,001"},
                  {1234567, "1,234,567"}, {1000000, "1,000,000"}};
    char number[UI_COUNT_CHARS];
    for (auto &c : counts) EXPECT_STREQ(c.text, ui_format_count(c.n, number));
}

TEST(Ring, SixtyThreeCommandsWaitAndTheNextIsDropped) {
    static CommandRing ring;
    for (int i = 0; i < 64; ++i) ring_post(&ring, i < 63 ? CMD_STEP : CMD_CONTINUE);
    ring_post(&ring, 99);  // unknown codes are not queued
    CommandSlot slot;
    int taken = 0;
    for (ring_pop(&ring, &slot); slot.code != CMD_NONE; ring_pop(&ring, &slot)) {
        EXPECT_EQ((uint32_t)CMD_STEP, slot.code);
        ++taken;
    }
    EXPECT_EQ(63, taken);
}

// ---------------------------------------------------------- state values

TEST(Windows, StateValuesShowByTheirDisplayType) {
    MasterRecord *master = (MasterRecord *)calloc(1, sizeof(MasterRecord));
    master->enumerants[0] = {0x0404, "GL_FRONT"};
    master->enumerants[1] = {0x0404, "GL_FRONT_LATER"};
    master->enumerants[2] = {0x1D00, "GL_FLAT"};
    master->enumerant_count = 3;
    std::vector<float> stipple(128), many(STATE_VALUES, 0.5f);
    for (int i = 0; i < 128; ++i) stipple[i] = (float)(i * 2);
    std::string stipple_text = "Current Value: 0x0 0x2 0x4 0x6\r\n";
    for (int i = 4; i < 128; i += 4) {
        char line[64];
        snprintf(line, sizeof line, "               0x%X 0x%X 0x%X 0x%X\r\n", (i * 2) & 0xFF, (i * 2 + 2) & 0xFF,
                 (i * 2 + 4) & 0xFF, (i * 2 + 6) & 0xFF);
        stipple_text += line;
    }
    std::string many_text;
    for (int i = 0; i < STATE_VALUES; ++i) many_text += "0.5000 ";
    many_text += "\r\n";
    const float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, -2, 3.25f, 1};
    struct Row {
        const char *label;
        uint32_t type;
        std::vector<float> values;
        std::string text;
    } rows[] = {
        {"", 1, {1, 0, 2}, "GL_TRUE GL_FALSE 0x0002 \r\n"},
        {"", 2, {1028, 7424, 5}, "GL_FRONT GL_FLAT 0x0005 \r\n"},
        {"", 3, {(float)0x12345, 255}, "0x2345 0xFF \r\n"},
        {"Default Value: ", 4, std::vector<float>(matrix, matrix + 16),
         "Default Value: 1.0000 0.0000 0.0000 0.0000\r\n"
         "               0.0000 1.0000 0.0000 0.0000\r\n"
         "               0.0000 0.0000 1.0000 0.0000\r\n"
         "               0.5000 -2.0000 3.2500 1.0000\r\n"},
        {"", 5, {0.25f, 1e6f}, "0.2500 1000000.0000 \r\n"},
        {"Current Value: ", 6, stipple, stipple_text},
        {"", 5, many, many_text},
        {"", 7, {1}, ""},
    };
    for (const Row &row : rows) {
        std::vector<float> values(STATE_VALUES, 0.0f);
        std::copy(row.values.begin(), row.values.end(), values.begin());
        EXPECT_EQ(row.text, ui_state_format(master, row.label, row.type, (int)row.values.size(), values.data()))
            << "display type " << row.type;
    }
    free(master);
}


// ---------------------------------------------------- helpers of the groups below

// A manual-reset event between the test thread and a GL thread.
struct Event {
    HANDLE handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Event() = default;
    Event(const Event &) = delete;
    ~Event() { CloseHandle(handle); }
    void set() { SetEvent(handle); }
    void reset() { ResetEvent(handle); }
    bool wait() { return WaitForSingleObject(handle, (DWORD)(kWait * 1000)) == WAIT_OBJECT_0; }
};

// Lets a new GL thread go on past the halt at its first GL call.
void run_past_first_call(GLThread &t) {
    HWND p = t.panel();
    ASSERT_TRUE(panel::wait_status(p, "Halted", kWait)) << status(p);
    panel::click(p, panel::CONTINUE);
}

void compile_list(GLuint list) {
    glNewList(list, GL_COMPILE);
    glColor3f(1, 0, 0);
    glEndList();
}

size_t count_of(const std::string &text, const std::string &part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// ----------------------------------------------- display lists across threads

// Lists belong to the GL context: a thread that has compiled lists of its
// own finds those another thread compiled in a context that shares lists
// with its own, or in the same context made current here after it.
TEST(ListsAcrossThreads, ListsCompiledOnAnotherThreadAreFound) {
    struct Row {
        const char *what;
        bool same_context;
    } rows[] = {
        {"a context sharing lists with another thread's", false},
        {"another thread's context, made current here after it", true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Event compiled, called;
        std::string message_a = "-", message_b = "-";
        GLContextRecord *table_a = nullptr, *table_b = nullptr;
        GLThread a([&](GLThread &self) {
            compile_list(1);
            if (row.same_context) wglMakeCurrent(nullptr, nullptr);
            compiled.set();
            if (!called.wait()) return;
            wglMakeCurrent(self.dc, self.rc);
            glCallList(5);
            message_a = self.context()->process->message_text;
            table_a = lists_table(self.context()->gl_context);
        });
        GLThread b(
            [&](GLThread &self) {
                if (!compiled.wait()) return;
                HGLRC rc = a.rc;
                if (!row.same_context) {
                    rc = wglCreateContext(self.dc);
                    wglShareLists(a.rc, rc);
                }
                wglMakeCurrent(self.dc, rc);
                compile_list(5);
                glCallList(1);
                message_b = self.context()->process->message_text;
                table_b = lists_table(self.context()->gl_context);
                wglMakeCurrent(nullptr, nullptr);
                if (rc != a.rc) wglDeleteContext(rc);
                called.set();
            },
            false);
        run_past_first_call(a);
        run_past_first_call(b);
        a.join();
        b.join();
        EXPECT_EQ("", message_b);
        EXPECT_EQ("", message_a);
        ASSERT_TRUE(table_a);
        EXPECT_EQ(table_a, table_b);
        ASSERT_EQ(2u, table_a->list_count);
        for (uint32_t i = 0; i < 2; ++i) {
            EXPECT_EQ(i ? 5u : 1u, table_a->lists[i].list_id);
            EXPECT_EQ(1u, table_a->lists[i].times_called) << table_a->lists[i].list_id;
            EXPECT_EQ(i ? b.id : a.id, table_a->lists[i].compiled_on);
        }
    }
}

// ------------------------------------------------ GL contexts across threads

// Every thread that made a context current keeps a record of it; deleting
// the context on any thread retires them all, so a context that gets the
// handle again starts afresh on each. The handles are made up: the system
// here never hands one out twice.
TEST(ContextsAcrossThreads, ADeletedContextStartsAfreshOnEveryThread) {
    struct Row {
        const char *what;
        uintptr_t handle;
        bool deleted_elsewhere;
        GLContextRecord *first, *second;
    } rows[] = {
        {"deleted on another thread", 0x7FFF1230, true, nullptr, nullptr},
        {"deleted on the thread itself", 0x7FFF1240, false, nullptr, nullptr},
    };
    Event delete_now, deleted;
    GLThread a([&](GLThread &self) {
        glFinish();
        DebugThreadContext *ctx = self.context();
        for (Row &row : rows) {
            context_attach_gl(ctx, row.handle);
            row.first = ctx->gl_context;
            context_attach_gl(ctx, (uintptr_t)self.rc);
            if (row.deleted_elsewhere) {
                delete_now.set();
                if (!deleted.wait()) return;
            } else {
                context_retire_gl(ctx, row.handle);
            }
            context_attach_gl(ctx, row.handle);
            row.second = ctx->gl_context;
            context_attach_gl(ctx, (uintptr_t)self.rc);
        }
    });
    GLThread b([&](GLThread &self) {
        if (!delete_now.wait()) return;
        context_retire_gl(self.context(), rows[0].handle);
        deleted.set();
    }, false);
    run_past_first_call(a);
    a.join();
    b.join();
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(row.first && row.second);
        EXPECT_NE(row.first, row.second);
        EXPECT_EQ(row.handle, row.second->handle);
        EXPECT_NE(row.first->number, row.second->number);
        EXPECT_STRNE(row.first->history_path, row.second->history_path);
    }
}

// --------------------------------------------------------- counters cleared

struct Counts {
    std::vector<uint64_t> gl, glu, wgl, gdi, primitives;
    bool operator==(const Counts &o) const {
        return gl == o.gl && glu == o.glu && wgl == o.wgl && gdi == o.gdi && primitives == o.primitives;
    }
};

Counts counts_of(const ProcessRecord *p) {
    Counts c;
    for (const PerCommandRecord &command : p->commands) c.gl.push_back(command.calls);
    c.glu.assign(p->glu_call_counts, p->glu_call_counts + GLU_COUNT);
    c.wgl.assign(p->wgl_call_counts, p->wgl_call_counts + WGL_COUNT);
    c.gdi.assign(p->gdi_call_counts, p->gdi_call_counts + GDI_COUNT);
    c.primitives.assign(p->primitive_counts, p->primitive_counts + PRIMITIVE_COUNTERS);
    return c;
}

// Call Count's and Primitive Count's Clear: the application thread counts,
// and it clears its counters itself when it next takes commands (the
// interface thread writes none of them); Call Count's leaves the GDI counters
// and Primitive Count's the vertex sums.
TEST(CountsClear, TheCountingThreadClearsItsOwnCounters) {
    struct Row {
        const char *what;
        int window;
        int button;
        std::function<void(Counts &)> clear;
    } rows[] = {
        {"Call Count", WINDOW_CALL_COUNT, IDC_COUNT_CLEAR,
         [](Counts &c) {
             std::fill(c.gl.begin(), c.gl.end(), 0);
             std::fill(c.glu.begin(), c.glu.end(), 0);
             std::fill(c.wgl.begin(), c.wgl.end(), 0);
         }},
        {"Primitive Count", WINDOW_PRIMITIVE_COUNT, IDC_PRIM_CLEAR,
         [](Counts &c) {
             for (int counter : {0, 1, 2, 3, 7, 8, 9, 12, 13, 15}) c.primitives[counter] = 0;
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Event counted, go, cleared, end;
        GLThread t([&](GLThread &self) {
            glClearColor(0, 0, 0, 1);
            glBegin(GL_LINE_LOOP);
            for (int i = 0; i < 3; ++i) glVertex2f(0.1f * i, 0);
            glEnd();
            wrap_GetPixelFormat(self.dc);
            wglGetCurrentContext();
            counted.set();
            if (!go.wait()) return;
            glFinish();  // takes the Clear, then is counted
            cleared.set();
            end.wait();
        });
        run_past_first_call(t);
        ASSERT_TRUE(counted.wait());
        Counts before = counts_of(t.process());
        ASSERT_EQ(1u, before.gdi[GDI_GetPixelFormat]);
        ASSERT_EQ(1u, before.primitives[2]);
        ASSERT_EQ(3u, before.primitives[4]);
        HWND window = ui_window(t.context(), row.window);
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(row.button, BN_CLICKED), (LPARAM)GetDlgItem(window, row.button));
        EXPECT_TRUE(counts_of(t.process()) == before) << "the interface thread wrote the counters";
        go.set();
        ASSERT_TRUE(cleared.wait());
        Counts want = before;
        row.clear(want);
        ++want.gl[ID_glFinish];
        EXPECT_TRUE(counts_of(t.process()) == want);
        EXPECT_EQ(1u, t.calls(ID_glFinish));
        end.set();
    }
}

// ------------------------------------------- texts of the interface threads

// The panels of two threads format state values and counts at once, each
// into its own buffers.
TEST(InterfaceTexts, ThreadsFormattingAtOnceKeepTheirOwnTexts) {
    MasterRecord *master = (MasterRecord *)calloc(1, sizeof(MasterRecord));
    master->enumerants[0] = {0x0404, "GL_FRONT"};
    master->enumerants[1] = {0x1D00, "GL_FLAT"};
    master->enumerant_count = 2;
    struct Row {
        float value;
        std::string text;
        unsigned long long count;
        std::string count_text;
    } rows[] = {{1028, "GL_FRONT \r\n", 1234567, "1,234,567"}, {7424, "GL_FLAT \r\n", 999, "999"}};
    std::atomic<int> wrong{0};
    auto format = [&](const Row &row) {
        char number[UI_COUNT_CHARS];
        for (int i = 0; i < 20000; ++i) {
            if (ui_state_format(master, "", 2, 1, &row.value) != row.text) ++wrong;
            if (row.count_text != ui_format_count(row.count, number)) ++wrong;
        }
    };
    std::thread first(format, rows[0]), second(format, rows[1]);
    first.join();
    second.join();
    EXPECT_EQ(0, wrong.load());
    free(master);
}

// ----------------------------------------------------------- the panel's keys

// Ctrl+C in a text box of the panel copies its selected text, as it does in
// the other windows.
TEST(PanelKeys, CtrlCCopiesTheSelectedText) {
    GLThread t([](GLThread &) { glFinish(); });
    HWND p = t.panel();
    ASSERT_TRUE(panel::wait_status(p, "Halted", kWait));
    struct Row {
        int box;
        const char *text;
    } rows[] = {{panel::CALL, "glFinish();"}, {panel::STATUS, "Halted"}};
    auto clipboard = [] {
        std::string text;
        if (!OpenClipboard(nullptr)) return text;
        HANDLE data = GetClipboardData(CF_TEXT);
        const char *bytes = data ? (const char *)GlobalLock(data) : nullptr;
        if (bytes) text = bytes;
        if (data) GlobalUnlock(data);
        CloseClipboard();
        return text;
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        HWND box = GetDlgItem(p, row.box);
        SendMessageA(box, EM_SETSEL, 0, -1);
        PostMessageA(box, WM_KEYDOWN, 'C', 0);
        PostMessageA(box, WM_CHAR, 3, 0);  // what Ctrl+C types
        PostMessageA(box, WM_KEYUP, 'C', 0);
        EXPECT_TRUE(panel::wait([&] { return clipboard() == row.text; }, 5)) << clipboard();
    }
    panel::click(p, panel::CONTINUE);
}

// ------------------------------------------------------- facts about the GL

// The codec's facts about the GL (is there one, its version) are asked again
// for the context wglMakeCurrent makes current.
TEST(GLFacts, AskedAgainAfterMakeCurrent) {
    struct Row {
        const char *what;
        bool from_current, to_current;
    } rows[] = {{"none, then the thread's context", false, true}, {"the thread's context, then none", true, false}};
    std::vector<int> had(2, -1), has(2, -1);
    GLThread t([&](GLThread &self) {
        glFinish();
        for (size_t i = 0; i < 2; ++i) {
            wglMakeCurrent(rows[i].from_current ? self.dc : nullptr, rows[i].from_current ? self.rc : nullptr);
            had[i] = __glsHaveGLContext(&__glsGetContext()->glInfo);
            wglMakeCurrent(rows[i].to_current ? self.dc : nullptr, rows[i].to_current ? self.rc : nullptr);
            has[i] = __glsHaveGLContext(&__glsGetContext()->glInfo);
        }
        wglMakeCurrent(self.dc, self.rc);
    });
    run_past_first_call(t);
    t.join();
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(rows[i].from_current ? 1 : 0, had[i]) << rows[i].what;
        EXPECT_EQ(rows[i].to_current ? 1 : 0, has[i]) << rows[i].what;
    }
}


// ------------------------------------------- behaviours a user relies on

// A command skipped by the Skip selection is not performed, not counted and
// not written, and one that returns a value answers 0.
TEST(Skips, SkippedCommandsThatReturnAValueAnswerZero) {
    struct Row {
        unsigned id;
        const char *text;  // in the history
        std::function<uintptr_t()> call;
    } rows[] = {
        {ID_glIsEnabled, "glIsEnabled(GL_DITHER)", [] { return (uintptr_t)glIsEnabled(GL_DITHER); }},
        {ID_glGenLists, "glGenLists(1)", [] { return (uintptr_t)glGenLists(1); }},
        {ID_glIsList, "glIsList(1)", [] { return (uintptr_t)glIsList(1); }},
        {ID_glGetString, "glGetString(GL_VENDOR)", [] { return (uintptr_t)glGetString(GL_VENDOR); }},
    };
    std::vector<uintptr_t> skipped, performed;
    std::vector<uint64_t> counted;
    GLThread t([&](GLThread &self) {
        compile_list(1);
        ProcessRecord *process = self.process();
        for (const Row &row : rows) {
            process->Skip_GL_calls.store(1);
            process->commands[row.id].skip.store(1);
            skipped.push_back(row.call());
            counted.push_back(process->commands[row.id].calls);
            process->commands[row.id].skip.store(0);
            process->Skip_GL_calls.store(0);
            performed.push_back(row.call());
        }
    });
    run_past_first_call(t);
    t.join();
    ASSERT_EQ(std::size(rows), skipped.size());
    std::string text = history(t);
    for (size_t i = 0; i < skipped.size(); ++i) {
        SCOPED_TRACE(rows[i].text);
        EXPECT_EQ(0u, skipped[i]);
        EXPECT_NE(0u, performed[i]);
        EXPECT_EQ(0u, counted[i]);
        EXPECT_EQ(1u, t.calls(rows[i].id));
        EXPECT_EQ(1u, count_of(text, rows[i].text));
    }
}

// A wglMakeCurrent that fails attaches the record of the context the system
// leaves current: none on Windows, which makes the thread's context not
// current; the thread's own under Wine, which keeps it. With nothing current
// before, it is the record of no GL context either way, and the panel says so.
TEST(MakeCurrent, AFailureAttachesTheRecordOfTheContextLeftCurrent) {
    struct Row {
        const char *what;
        bool dc, rc_real;
        uintptr_t rc;
        BOOL result;
    } rows[] = {
        {"a handle that names no context", true, false, 0x12340, FALSE},
        {"the thread's context", true, true, 0, TRUE},
        {"no context", false, false, 0, TRUE},
        {"a handle that names no context, none current", true, false, 0x12340, FALSE},
        {"the thread's context again", true, true, 0, TRUE},
    };
    std::vector<BOOL> results;
    std::vector<uintptr_t> attached, current;
    std::vector<std::string> shown;
    GLThread t([&](GLThread &self) {
        glFinish();
        for (const Row &row : rows) {
            results.push_back(
                wglMakeCurrent(row.dc ? self.dc : nullptr, row.rc_real ? self.rc : (HGLRC)row.rc));
            current.push_back((uintptr_t)wglGetCurrentContext());
            attached.push_back(self.context()->gl_context->handle);
            // The panel's texts are posted: shown a moment after the call.
            HWND p = ui_window(self.context(), WINDOW_PANEL);
            bool none = current.back() == 0;
            panel::wait([&] { return (panel::text(p, panel::CONTEXT) == "GL context = NULL") == none; }, kWait);
            shown.push_back(panel::text(p, panel::CONTEXT));
        }
    });
    run_past_first_call(t);
    t.join();
    ASSERT_EQ(std::size(rows), results.size());
    for (size_t i = 0; i < results.size(); ++i) {
        SCOPED_TRACE(rows[i].what);
        EXPECT_EQ(rows[i].result, results[i]);
        if (rows[i].result) {
            EXPECT_EQ(rows[i].rc_real ? (uintptr_t)t.rc : 0u, current[i]);
        }
        EXPECT_EQ(current[i], attached[i]);
        EXPECT_EQ(current[i] != 0, shown[i] != "GL context = NULL") << shown[i];
    }
    EXPECT_EQ(0u, attached[3]);
}

// A buffer swap halted by Break on SwapBuffers, whether the application
// called wglSwapBuffers or gdi32's SwapBuffers: Skip leaves it undone and
// uncounted (FALSE), Continue does it.
TEST(Swaps, SkipOrContinueAtEitherSwap) {
    struct Row {
        bool gdi;
        int button;
        BOOL result;
    } rows[] = {{true, panel::SKIP, FALSE}, {true, panel::CONTINUE, TRUE}, {false, panel::CONTINUE, TRUE}};
    std::vector<BOOL> results;
    GLThread t([&](GLThread &self) {
        glFinish();
        for (const Row &row : rows) {
            results.push_back(row.gdi ? wrap_SwapBuffers(self.dc) : wglSwapBuffers(self.dc));
            glFinish();
        }
    });
    HWND p = t.panel();
    ASSERT_TRUE(panel::wait_status(p, "Halted", kWait));
    panel::set_check(p, panel::BREAK_SWAP, true);
    panel::click(p, panel::CONTINUE);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.gdi ? "SwapBuffers" : "wglSwapBuffers");
        ASSERT_TRUE(panel::wait_status(p, "Halted (Break on SwapBuffers)", kWait)) << status(p);
        EXPECT_EQ(row.gdi ? "SwapBuffers" : "wglSwapBuffers", call(p));
        panel::click(p, row.button);
        if (row.button == panel::SKIP) {
            ASSERT_TRUE(panel::wait_status(p, "Halted", kWait)) << status(p);
            panel::click(p, panel::CONTINUE);
        }
    }
    t.join();
    ASSERT_EQ(std::size(rows), results.size());
    for (size_t i = 0; i < results.size(); ++i) EXPECT_EQ(rows[i].result, results[i]) << i;
    EXPECT_EQ(1u, t.process()->gdi_call_counts[GDI_SwapBuffers]);
    EXPECT_EQ(1u, t.process()->wgl_call_counts[WGL_wglSwapBuffers]);
}

// Step and Skip pressed while the thread runs ask for a halt, and the
// thread halts at its next call with nothing stepped or skipped.
TEST(PanelWhileRunning, StepAndSkipRequestAHalt) {
    const int buttons[] = {panel::STEP, panel::SKIP};
    Event outside, go;
    GLThread t([&](GLThread &) {
        glFinish();
        for (size_t i = 0; i < std::size(buttons); ++i) {
            outside.set();
            if (!go.wait()) return;
            go.reset();
            glClear(GL_COLOR_BUFFER_BIT);
        }
    });
    HWND p = t.panel();
    run_past_first_call(t);
    for (int button : buttons) {
        SCOPED_TRACE(button);
        ASSERT_TRUE(outside.wait());
        outside.reset();
        ASSERT_TRUE(panel::wait_status(p, "Running", kWait)) << status(p);
        panel::click(p, button);
        EXPECT_EQ("Halt requested", status(p));
        CommandRing &ring = t.process()->ui_commands;
        uint32_t read = ring.read_index.load();
        EXPECT_EQ((read + 1) % RING_SLOTS, ring.write_index.load());
        EXPECT_EQ((uint32_t)CMD_HALT, ring.slots[read].code);
        uint64_t clears = t.calls(ID_glClear);
        go.set();
        // "Halted" shows once before the halt's refresh shows the call.
        ASSERT_TRUE(panel::wait([&] { return call(p) == "glClear(GL_COLOR_BUFFER_BIT);"; }, kWait)) << call(p);
        ASSERT_TRUE(panel::wait_status(p, "Halted", kWait)) << status(p);
        EXPECT_EQ(clears, t.calls(ID_glClear));
        panel::click(p, panel::CONTINUE);
    }
    t.join();
    EXPECT_EQ(2u, t.calls(ID_glClear));
}

// A halted thread sleeps until a command is posted: it uses no processor
// while it waits, and the post itself wakes it, so it is carrying Continue
// out (telling the panel "Running") within a millisecond of the post. The
// status is posted to the panel, not sent: the call returns without waiting
// for the interface thread.
TEST(HaltWait, AHaltedThreadSleepsAndGoesOnAtThePost) {
    enum { ROUNDS = 9 };
    static LARGE_INTEGER running;
    LARGE_INTEGER left[ROUNDS] = {}, posted[ROUNDS] = {}, woke[ROUNDS] = {}, frequency;
    QueryPerformanceFrequency(&frequency);
    static const InterfaceSeam *panel_seam;
    panel_seam = interface_seam;
    static InterfaceSeam timed;
    timed = *interface_seam;
    timed.set_status = [](DebugThreadContext *ctx, const char *text) {
        if (!strcmp(text, "Running")) QueryPerformanceCounter(&running);
        panel_seam->set_status(ctx, text);
    };
    Event outside, go;
    GLThread t([&](GLThread &) {
        for (int i = 0; i < ROUNDS; ++i) {
            glGetError();  // halts: the thread's first call, then each a Halt waits for
            QueryPerformanceCounter(&left[i]);
            outside.set();
            if (!go.wait()) return;
            go.reset();
        }
    });
    HWND p = t.panel();
    auto cpu = [&] {
        FILETIME created, ended, kernel, user;
        GetThreadTimes(t.thread, &created, &ended, &kernel, &user);
        return ((uint64_t)kernel.dwHighDateTime << 32 | kernel.dwLowDateTime) +
               ((uint64_t)user.dwHighDateTime << 32 | user.dwLowDateTime);
    };
    auto us = [&](const LARGE_INTEGER &from, const LARGE_INTEGER &to) {
        return (to.QuadPart - from.QuadPart) * 1e6 / frequency.QuadPart;
    };
    std::vector<double> awake, returned;
    for (int i = 0; i < ROUNDS; ++i) {
        ASSERT_TRUE(panel::wait_status(p, "Halted", kWait)) << status(p);
        // Past the halt's refresh, into the wait.
        Sleep(100);
        if (i == 0) {
            uint64_t before = cpu();
            Sleep(2000);
            uint64_t used = cpu() - before;  // in 100 ns
            printf("[ halted ] CPU over 2 s of waiting: %.1f ms\n", used / 1e4);
            EXPECT_LT(used, 10000u) << "ms: " << used / 1e4;
        }
        interface_register(&timed);
        QueryPerformanceCounter(&posted[i]);
        ring_post(&t.process()->ui_commands, CMD_CONTINUE);
        ASSERT_TRUE(outside.wait());
        interface_register(panel_seam);
        outside.reset();
        woke[i] = running;
        awake.push_back(us(posted[i], woke[i]));
        returned.push_back(us(posted[i], left[i]));
        if (i + 1 < ROUNDS) ring_post(&t.process()->ui_commands, CMD_HALT);
        go.set();
    }
    t.join();
    std::sort(awake.begin(), awake.end());
    std::sort(returned.begin(), returned.end());
    printf("[ halted ] Continue to carrying it out: median %.0f us, most %.0f us; to the call's return: "
           "median %.0f us, most %.0f us\n",
           awake[ROUNDS / 2], awake.back(), returned[ROUNDS / 2], returned.back());
    // The figure printed is the measurement (a fraction of a millisecond on
    // a quiet machine); the bound only says the post itself woke the thread,
    // with room for a busy machine.
    EXPECT_LT(awake[ROUNDS / 2], 100000);
}

// Once quitting has begun, the Halt it posts stops a halted thread and a
// running one where they are: neither shows a status, refreshes a window or
// makes a GL call but the one that lets its context go, for the process's
// end kills them wherever they are. (The
// flag is set and cleared here by hand: quitting itself ends the process.)
TEST(HaltWait, ThreadsHaltedByQuittingShowAndCallNothing) {
    static std::atomic<int> shown;
    static const InterfaceSeam *panel_seam;
    panel_seam = interface_seam;
    static InterfaceSeam counting;
    counting = *interface_seam;
    counting.set_status = [](DebugThreadContext *ctx, const char *text) { ++shown; panel_seam->set_status(ctx, text); };
    counting.refresh_all = [](DebugThreadContext *ctx) { ++shown; panel_seam->refresh_all(ctx); };
    std::atomic<long> calls{0};
    std::atomic<bool> stop{false};
    GLThread halted([&](GLThread &) { glGetError(); });
    GLThread running([&](GLThread &) {
        while (!stop) {
            glGetError();
            ++calls;
        }
    });
    run_past_first_call(running);
    HWND p = halted.panel();
    ASSERT_TRUE(panel::wait_status(p, "Halted", kWait)) << status(p);
    while (calls < 100) Sleep(1);
    Sleep(100);  // past the halt's refresh, into the wait
    interface_register(&counting);
    debugger_quitting = true;
    for (GLThread *t : {&halted, &running}) ring_post(&t->process()->ui_commands, CMD_HALT);
    Sleep(300);
    long stopped_at = calls;
    Sleep(300);
    int seen = shown;
    long later = calls;
    // Each has let its context go, for the process's end to kill it with none.
    for (GLThread *t : {&halted, &running}) {
        EXPECT_TRUE(t->context()->quit_let_go.load()) << (t == &halted ? "halted" : "running") << " thread";
    }
    debugger_quitting = false;
    interface_register(panel_seam);
    stop = true;
    for (GLThread *t : {&halted, &running}) ring_post(&t->process()->ui_commands, CMD_CONTINUE);
    EXPECT_EQ(0, seen) << "statuses shown and windows refreshed after quitting began";
    EXPECT_EQ(stopped_at, later) << "the running thread went on calling";
    halted.join();
    running.join();
}

// Control drawing draws to the front buffer, and back; a switch that comes
// between glBegin and glEnd waits for glEnd.
TEST(FrontBuffer, TheSwitchChangesTheDrawBufferOutsideGlBeginGlEnd) {
    struct Row {
        bool on;
        uint32_t request;  // pending inside glBegin/glEnd
        GLint draw_buffer;
    } rows[] = {{true, 2, GL_FRONT}, {false, 1, GL_BACK}};
    std::vector<uint32_t> requests;
    std::vector<GLint> buffers;
    Event inside, go;
    GLThread t([&](GLThread &self) {
        glFinish();
        for (size_t i = 0; i < std::size(rows); ++i) {
            glBegin(GL_POINTS);
            inside.set();
            if (!go.wait()) return;
            go.reset();
            glVertex2f(0, 0);  // takes the switch
            requests.push_back(self.process()->front_buffer_request);
            glEnd();
            glFinish();
            GLint buffer = 0;
            glGetIntegerv(GL_DRAW_BUFFER, &buffer);
            buffers.push_back(buffer);
        }
    });
    HWND p = t.panel();
    run_past_first_call(t);
    for (const Row &row : rows) {
        ASSERT_TRUE(inside.wait());
        inside.reset();
        panel::set_check(p, IDC_PANEL_CONTROL_DRAW, row.on);
        go.set();
    }
    t.join();
    ASSERT_EQ(std::size(rows), buffers.size());
    for (size_t i = 0; i < buffers.size(); ++i) {
        SCOPED_TRACE(rows[i].on ? "on" : "off");
        EXPECT_EQ(rows[i].request, requests[i]);
        EXPECT_EQ(rows[i].draw_buffer, buffers[i]);
    }
}

// With History off the wgl calls are still counted, and not written.
TEST(HistoryOff, WglCallsAreCountedNotWritten) {
    const bool rows[] = {true, false};
    Event outside, go;
    GLThread t([&](GLThread &) {
        glFinish();
        for (size_t i = 0; i < std::size(rows); ++i) {
            outside.set();
            if (!go.wait()) return;
            go.reset();
            wglGetCurrentDC();
            glFinish();
        }
    });
    HWND p = t.panel();
    run_past_first_call(t);
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i] ? "History on" : "History off");
        ASSERT_TRUE(outside.wait());
        outside.reset();
        panel::set_check(p, panel::HISTORY, rows[i]);
        size_t written = count_of(history(t), "glsString(\"Info\", \"wglGetCurrentDC\");");
        uint64_t counted = t.process()->wgl_call_counts[WGL_wglGetCurrentDC];
        go.set();
        ASSERT_TRUE(panel::wait([&] { return t.calls(ID_glFinish) == i + 2; }, kWait));
        EXPECT_EQ(counted + 1, t.process()->wgl_call_counts[WGL_wglGetCurrentDC]);
        EXPECT_EQ(written + (rows[i] ? 1 : 0), count_of(history(t), "glsString(\"Info\", \"wglGetCurrentDC\");"));
    }
    t.join();
}

// The writer hands the history text on in pieces of its buffer, cut
// anywhere. Each command reaches the file whole (CR LF line ends, indented,
// shortened on its own with Limit Data Dumps: as history_shorten_data
// shortens it) or not at all, as History and Limit Data Dumps were when its
// text began, wherever the text is cut: here in two pieces at every place,
// the switches changed between them, and a byte at a time. A file ended
// before a command's end has come keeps nothing of it.
TEST(HistoryPieces, EveryCommandWholeAsDecidedWhenItBeganWhereverItsTextIsCut) {
    std::string image = "glTexImage2D(GLS_NONE)(GL_TEXTURE_2D, 0, 6408, 3, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, {";
    for (int i = 0; i < 24; ++i) image += std::string(i % 8 ? " " : "\n    ") + std::to_string(i * 7) + (i < 23 ? "," : "");
    image += "\n});\n";
    const struct {
        const char *what;
        std::string text;
        int indent;
    } rows[] = {
        {"an image among short calls", "glFlush();\n" + image + "glFinish();\n", 0},
        {"indented, a blank line in a command", "glBegin(\n  1\n\n);\n" + image, 2},
        {"a brace in a string, never closed", "glsString(\"Info\", \"{a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q,r \\\"x\\\"\");\n", 0},
        {"a brace in a string, closed", "glsString(\"Info\", \"{a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q,r} \\\\\");\n", 0},
        {"the cut between arrays", "glFoo({1, 2}, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, {18, 19});\n", 0},
        {"a line end after a ';' in a string", "glsString(\"Info\", \"a;\nb\");\nglFlush();\n", 0},
    };
    struct Mode {
        bool on, limit;  // for the commands begun in the first piece
        bool on_then, limit_then;  // and in the second
    } modes[] = {{1, 0, 1, 0}, {1, 1, 1, 1}, {1, 0, 1, 1}, {1, 1, 1, 0}, {1, 1, 0, 0}, {0, 0, 1, 1}};
    // What the file must take of the text cut at `cut`, and its commands.
    auto expected = [](const std::string &text, size_t cut, const Mode &m, int indent, uint64_t *commands) {
        std::string out;
        for (size_t at = 0, end; at < text.size(); at = end) {
            end = text.find(";\n", at) + 2;
            std::string command = text.substr(at, end - at);
            if (!(at < cut ? m.on : m.on_then)) continue;
            char shortened[4096];
            if ((at < cut ? m.limit : m.limit_then) &&
                history_shorten_data(command.size(), command.c_str(), shortened, sizeof shortened)) {
                command = shortened;
            }
            for (size_t line = 0, lf; line < command.size(); line = lf + 1) {
                lf = command.find('\n', line);
                out += std::string(2 * indent, ' ') + command.substr(line, lf - line) + "\r\n";
            }
            ++*commands;
        }
        return out;
    };
    std::vector<std::string> failures;
    std::string when_ended;
    GLThread t([&](GLThread &self) {
        glFinish();
        DebugThreadContext *ctx = self.context();
        GLContextRecord *record = ctx->gl_context;
        auto write = [&](const std::string &text, bool on, bool limit) {
            // As a call made with the switches so would have found them.
            ctx->history_on = on;
            ctx->history_limited = limit;
            history_write_file(text.size(), (const GLubyte *)text.data());
        };
        for (const auto &row : rows) {
            ctx->libraries->history_indent = row.indent;
            for (const Mode &m : modes) {
                size_t mark = history(self).size();
                uint64_t counted = record->history_commands, commands = 0;
                std::string want;
                for (size_t cut = 1; cut < row.text.size(); ++cut) {
                    write(row.text.substr(0, cut), m.on, m.limit);
                    write(row.text.substr(cut), m.on_then, m.limit_then);
                    want += expected(row.text, cut, m, row.indent, &commands);
                }
                if (m.on == m.on_then && m.limit == m.limit_then) {
                    for (char c : row.text) write(std::string(1, c), m.on, m.limit);
                    want += expected(row.text, 0, m, row.indent, &commands);
                }
                std::string all = history(self);
                std::string got = all.size() >= mark ? all.substr(mark) : "(less than before)";
                if (got != want || record->history_commands - counted != commands) {
                    failures.push_back(std::string(row.what) + ", mode " + std::to_string(&m - modes) + ": " +
                                       std::to_string(record->history_commands - counted) + " commands counted of " +
                                       std::to_string(commands) + "; wrote\n" + got.substr(0, 600) + "\nnot\n" +
                                       want.substr(0, 600));
                }
            }
        }
        ctx->libraries->history_indent = 0;
        glFinish();
        // The file ended while a command's text goes into it keeps none of it.
        write(image.substr(0, image.size() / 2), true, false);
        dll_process_hook(GetModuleHandleA(nullptr), DLL_THREAD_DETACH, nullptr);
        readFile(self.history_path, &when_ended);
    });
    run_past_first_call(t);
    t.join();
    for (const std::string &failure : failures) ADD_FAILURE() << failure;
    static const char kEnd[] = "glFinish();\r\nglsEndGLS();\r\n";
    ASSERT_GE(when_ended.size(), sizeof kEnd - 1);
    EXPECT_EQ(kEnd, when_ended.substr(when_ended.size() - (sizeof kEnd - 1)));
    EXPECT_NE(std::string::npos, history(t).find("    glBegin(\r\n      1\r\n    \r\n    );\r\n    glTexImage2D("));
}

// A program switching between two GL contexts: each attachment is a whole
// section of the context's history, whose file stays open while the other
// is attached. When the record is let go (its context deleted by the
// thread, or the thread's end) the file is closed, cut to its text, with
// nothing of the room kept past it while it was written.
TEST(HistoryFiles, SwitchedContextsKeepWholeSectionsAndAreCutWhenLetGo) {
    struct Row {
        const char *what;
        bool deleted;  // else let go by the thread's end
    } rows[] = {{"the context deleted by its thread", true}, {"the thread's end", false}};
    enum { SWITCHES = 3 };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        std::string path, when_let_go;
        GLThread t([&](GLThread &self) {
            glFinish();
            HGLRC second = wglCreateContext(self.dc);
            for (int i = 0; i < SWITCHES; ++i) {
                wglMakeCurrent(self.dc, second);
                path = self.context()->gl_context->history_path;
                glClearColor(0, 0, 0, (float)i);
                wglMakeCurrent(self.dc, self.rc);
                glClearColor(1, 1, 1, (float)i);
            }
            if (row.deleted) {
                wglDeleteContext(second);
                readFile(path, &when_let_go);
            } else {
                // As the library's entry hears of the thread's end.
                dll_process_hook(GetModuleHandleA(nullptr), DLL_THREAD_DETACH, nullptr);
                readFile(path, &when_let_go);
            }
        });
        run_past_first_call(t);
        t.join();
        EXPECT_EQ((size_t)SWITCHES, count_of(when_let_go, "glsBeginGLS(1, 0);\r\n"));
        EXPECT_EQ((size_t)SWITCHES, count_of(when_let_go, "glsEndGLS();\r\n"));
        EXPECT_EQ(1u, count_of(when_let_go, "glClearColor(0, 0, 0, 2);"));
        ASSERT_GE(when_let_go.size(), 14u);
        EXPECT_EQ("glsEndGLS();\r\n", when_let_go.substr(when_let_go.size() - 14)) << "the file ends in room";
    }
}

// Threads switching among contexts of their own keep each context's file
// open while another is current; a context deleted by another thread has
// its file closed, cut to its text, at its own thread's next attach. Round
// after round, every file holds whole sections only, one an attachment, and
// the process heap stays whole.
TEST(HistoryFiles, ThreadsSwitchingAmongContextsKeepWholeFiles) {
    enum { THREADS = 4, CONTEXTS = 3, SWITCHES = 12, ROUNDS = 3 };
    static const char kEnd[] = "glsEndGLS();\r\n";
    for (int round = 0; round < ROUNDS; ++round) {
        SCOPED_TRACE(round);
        HGLRC contexts[THREADS][CONTEXTS] = {};
        std::string paths[THREADS][CONTEXTS], after[THREADS][CONTEXTS];
        Event made[THREADS], deleted[THREADS], go, check;
        std::vector<std::unique_ptr<GLThread>> threads;
        for (int k = 0; k < THREADS; ++k) {
            threads.emplace_back(new GLThread([&, k](GLThread &self) {
                glFinish();
                for (HGLRC &rc : contexts[k]) rc = wglCreateContext(self.dc);
                for (int s = 0; s < SWITCHES; ++s) {
                    wglMakeCurrent(self.dc, contexts[k][s % CONTEXTS]);
                    paths[k][s % CONTEXTS] = self.context()->gl_context->history_path;
                    glClearColor((float)k, (float)s, 0, 1);
                }
                wglMakeCurrent(self.dc, self.rc);
                made[k].set();
                // The next thread's contexts are deleted here, this one's there.
                if (!go.wait()) return;
                for (HGLRC rc : contexts[(k + 1) % THREADS]) wglDeleteContext(rc);
                deleted[k].set();
                if (!check.wait()) return;
                wglMakeCurrent(self.dc, self.rc);
                for (int c = 0; c < CONTEXTS; ++c) readFile(paths[k][c], &after[k][c]);
            }));
        }
        for (auto &t : threads) run_past_first_call(*t);
        for (Event &e : made) ASSERT_TRUE(e.wait());
        go.set();
        for (Event &e : deleted) ASSERT_TRUE(e.wait());
        check.set();
        for (auto &t : threads) t->join();
        for (int k = 0; k < THREADS; ++k) {
            for (int c = 0; c < CONTEXTS; ++c) {
                const std::string &text = after[k][c];
                EXPECT_EQ((size_t)SWITCHES / CONTEXTS, count_of(text, "glsBeginGLS(1, 0);\r\n")) << k << "/" << c;
                EXPECT_EQ((size_t)SWITCHES / CONTEXTS, count_of(text, kEnd)) << k << "/" << c;
                ASSERT_GE(text.size(), sizeof kEnd - 1);
                EXPECT_EQ(kEnd, text.substr(text.size() - (sizeof kEnd - 1))) << "the file ends in room";
            }
        }
        EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
    }
}

// The Options menu of Select GL Trace: each switch, turned on, shows in the
// history what it adds, and turned off again, no more; "Capture Vertex
// Arrays Calls" (on from the start) records a draw from arrays as the call
// itself, and off, as the calls of its expansion.
TEST(TraceOptions, EachSwitchShowsInTheHistory) {
    static const GLfloat points[18] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
    struct Row {
        int item;
        std::function<void()> calls;
        std::string when_on, when_off;
    } rows[] = {
        {IDM_SHOW_PROBLEMS,
         [] {
             glBegin(GL_POINTS);
             glBlendFunc(GL_ONE, GL_ZERO);
             glEnd();
         },
         "- Should not be called between glBegin/glEnd.", ""},
        {IDM_SHOW_HINTS,
         [] {
             glBegin(GL_POLYGON);
             for (int i = 0; i < 3; ++i) glVertex2f((float)i, 0);
             glEnd();
         },
         "- Use glBegin(GL_TRIANGLES) instead of glBegin(GL_POLYGON) followed by 3 vertices.", ""},
        {IDM_LIMIT_DUMPS, [] { glMap1f(GL_MAP1_VERTEX_3, 0, 1, 3, 6, points); }, " 15, ...});",
         "    16, 17\r\n});"},
        {IDM_SHOW_ADDRESS, [] { glNormal3fv(points); }, "- data at memory location 0x", ""},
        {IDM_VERTEX_ARRAYS,
         [] {
             glVertexPointer(3, GL_FLOAT, 0, points);
             glEnableClientState(GL_VERTEX_ARRAY);
             glDrawArrays(GL_POINTS, 0, 2);
             glDisableClientState(GL_VERTEX_ARRAY);
         },
         "glDrawArrays(GL_POINTS, 0, 2);", "glsDrawVertexArray(GL_POINTS, GL_V3F, 2, {"},
    };
    Event outside, go;
    std::vector<std::string> written;
    GLThread t([&](GLThread &self) {
        glFinish();
        for (size_t i = 0; i < 2 * std::size(rows); ++i) {
            outside.set();
            if (!go.wait()) return;
            go.reset();
            size_t mark = history(self).size();
            rows[i / 2].calls();
            glFinish();
            written.push_back(history(self).substr(mark));
        }
    });
    run_past_first_call(t);
    HWND trace = ui_window(t.context(), WINDOW_TRACE_SELECT);
    for (const Row &row : rows) {
        for (int turn = 0; turn < 2; ++turn) {
            ASSERT_TRUE(outside.wait());
            outside.reset();
            SendMessageA(trace, WM_COMMAND, MAKEWPARAM(row.item, 0), 0);
            go.set();
        }
    }
    t.join();
    ASSERT_EQ(2 * std::size(rows), written.size());
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row &row = rows[i];
        SCOPED_TRACE(row.item);
        // The vertex-array switch is turned off first: it starts on.
        bool starts_on = row.item == IDM_VERTEX_ARRAYS;
        const std::string &on = written[2 * i + (starts_on ? 1 : 0)], &off = written[2 * i + (starts_on ? 0 : 1)];
        EXPECT_NE(std::string::npos, on.find(row.when_on)) << on;
        EXPECT_EQ(std::string::npos, off.find(row.when_on)) << off;
        if (!row.when_off.empty()) {
            EXPECT_NE(std::string::npos, off.find(row.when_off)) << off;
        }
    }
}

}  // namespace

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // This program stands for the library: the GLS core and the debugger
    // come up as the library's load would bring them up.
    HMODULE self = GetModuleHandleA(nullptr);
    ui_register();
    if (!__glsProcessAttach(self, DLL_PROCESS_ATTACH, nullptr)) return 2;
    dll_process_hook(self, DLL_PROCESS_ATTACH, nullptr);
    // A directory of its own, emptied: the interface reads palisade.cfg from
    // here, and the debugger's temporary directories go under it (thread ids
    // come again in later runs, and a history of the same id is appended to).
    char dir[MAX_PATH], temp[MAX_PATH + 8];
    GetTempPathA(sizeof dir, dir);
    lstrcatA(dir, "palisade_debugger_tests");
    SHFILEOPSTRUCTA remove = {};
    char from[MAX_PATH + 2] = {};
    lstrcpyA(from, dir);
    remove.wFunc = FO_DELETE;
    remove.pFrom = from;
    remove.fFlags = FOF_NO_UI;
    SHFileOperationA(&remove);
    CreateDirectoryA(dir, nullptr);
    SetCurrentDirectoryA(dir);
    _snprintf_s(temp, sizeof temp, _TRUNCATE, "%s\\temp", dir);
    CreateDirectoryA(temp, nullptr);
    SetEnvironmentVariableA("TEMP", temp);
    return RUN_ALL_TESTS();
}
