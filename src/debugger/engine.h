// The debugger engine of one application thread: its context (records, real
// libraries, temporary directory, interface windows), the halt, step, skip and
// break services every wrapper calls, the call history and the current-call
// text. Everything here runs on the application thread unless it says so.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <stdint.h>

#include "api/api.h"
#include "gls_functions.h"
#include "records.h"

enum HaltAnswer : int { HALT_PROCEED = 1, HALT_WAIT = 2, HALT_SKIP = 3 };

// How far the text of the call being rendered has come: `fresh` until its
// first piece arrives (which replaces the text of the call before), a line end
// held back until more text follows it, and whether it has been cut.
struct CallTextState {
    uint8_t fresh;
    uint8_t held_lf;
    uint8_t cut;
};

// The library's module and the windows of a thread's interface.
struct InterfaceWindows {
    HMODULE module;
    HWND window_about, window_call_count, window_primitive_count, window_enumerants,
        window_history_select, window_list_context_select, window_panel, window_break_select,
        window_trace_select, window_skip_select, window_state_select;
    HWND state_windows[STATE_ITEMS];
    HWND window_info_window;
};

struct RealLibraryTable {
    uint32_t debugger_gls_context;  // 0xFFFFFFFF when there is none
    uint32_t current_gls_context;
    HMODULE gdi32, opengl32, glu32;
    __GLSfunc gl_procs[GL_COMMAND_IDS];
    __GLSfunc glu_procs[GLU_COUNT];
    __GLSfunc gdi_procs[GDI_COUNT];
    __GLSfunc wgl_procs[WGL_COUNT];
    int32_t history_indent;
};

struct DebugThreadContext {
    uint32_t thread_id;
    MasterRecord *master;
    ProcessRecord *process;
    GLContextRecord *gl_context;
    RealLibraryTable *libraries;
    std::atomic<uint8_t> ui_ready;
    InterfaceWindows ui;  // written by the interface thread
    DWORD ui_thread_id;
    HANDLE ui_thread;
    HANDLE ui_done;  // set when the interface thread has left its loop
    char temp_dir[PATH_CHARS];
    // The history text not written yet: the start of a line (with Limit Data
    // Dumps on, of a command) whose end has not come (history.cpp).
    char *history_pending;
    size_t history_pending_used, history_pending_capacity;
    // A command shortened by Limit Data Dumps, made here (history.cpp).
    char *history_shortened;
    size_t history_shortened_capacity;
    // Why the history of the attached context stopped, until the panel's
    // status has said it; not said by a thread on its way out.
    char history_stop_note[512];
    uint8_t ending;
    CallTextState call_text_state;
    // The status a break halted the thread with, shown again once the halt
    // has refreshed the windows.
    char halt_status[COMMAND_NAME_CHARS + 32];
};

// Set while the library is being unloaded or the process quits: the records
// and files are going, and the write functions keep nothing more.
extern std::atomic<bool> debugger_unloading;

// Keeps the calling thread's last-error value across the debugger's own work
// around a call, so the application reads what the system library left.
struct KeepLastError {
    DWORD error;
    KeepLastError() : error(GetLastError()) {}
    ~KeepLastError() { SetLastError(error); }
};

extern "C" {
// The library's own module, as the loader handed it to DllMain.
extern HMODULE debugger_module;

// --------------------------------------------------------------- context.cpp
DebugThreadContext *context_get(void);
void context_release(DebugThreadContext *ctx);
void context_attach_gl(DebugThreadContext *ctx, uintptr_t handle);
// A context deleted by the application: its record is not found by the
// handle again, so a context that gets the same handle starts afresh.
void context_retire_gl(DebugThreadContext *ctx, uintptr_t handle);
void context_cleanup(DebugThreadContext *ctx);
void temp_dir_path(uint32_t thread_id, char *out);
void remove_directory_files(const char *path);
void fatal_error_box(const char *source, int line, const char *format, ...);
// Formats a path or block name of at most PATH_CHARS characters into `out`.
// One that would not fit is never cut: the process ends, its text shown.
void path_print(char *out, const char *format, ...);
// Opens a file named in the ANSI code page, in the system's long-path form
// where the name is too long for the plain one.
FILE *path_fopen(const char *path, const char *mode);
// The application thread's side of a record's files: 1 when it may write,
// flush or close them until files_leave; 0 once quitting or unloading has
// begun, when they are not its to touch any more.
int files_enter(GLContextRecord *record);
void files_leave(GLContextRecord *record);
// The real GL context current on the calling thread, as the system says.
uintptr_t current_gl_handle(DebugThreadContext *ctx);
// Loads the system GLU library for the thread's GLU entry points, once.
void glu_library_load(DebugThreadContext *ctx);
// The text the system gluErrorString gives for `error`; 0 when there is none.
int glu_error_text(DebugThreadContext *ctx, unsigned error, char *out, size_t capacity);
// Opens a file of the temporary directory for reading and writing, as
// CreateFile's `disposition` says; once quitting has begun it waits for the
// process to end. INVALID_HANDLE_VALUE when it cannot be opened.
HANDLE debugger_create_file(const char *path, DWORD disposition);
int dll_process_hook(void *module, unsigned long reason, void *reserved);
// Quitting from any interface thread: halts every application thread,
// cleans every thread's files and directories up and ends the process with
// status 0. Does not return.
void debugger_quit(void);
// The debugger context of the calling thread's slot (the application thread's
// own, or, on an interface thread, the one it serves), or null.
DebugThreadContext *context_current(void);
void context_set_current(DebugThreadContext *ctx);

// ------------------------------------------------------------------ halt.cpp
void ring_post(CommandRing *ring, uint32_t code);
void ring_pop(CommandRing *ring, CommandSlot *out);
void status_printf(DebugThreadContext *ctx, const char *format, ...);
void break_on_swap_check(DebugThreadContext *ctx, unsigned gdi_index);
void halt_break(DebugThreadContext *ctx, unsigned id);
void skip_mark(DebugThreadContext *ctx);
void front_buffer_apply(DebugThreadContext *ctx);
void warn_no_gl_context(DebugThreadContext *ctx);
void gl_error_check(DebugThreadContext *ctx);
int halt_process_command(DebugThreadContext *ctx);
void halt_refresh_ui(DebugThreadContext *ctx);
// Adds the message text (the warnings and GL errors of the call) to the
// current-call text, one line each.
void halt_show_message(DebugThreadContext *ctx);
// Gives the processor up between two polls of a waiting thread; `polls`
// counts the polls of this wait so far.
void halt_pause(unsigned polls);
// Appends to a bounded text: what does not fit is dropped and the text then
// ends in "..." (never past `capacity` bytes, terminator included).
void text_append(char *text, size_t capacity, const char *more);
// Waits at a buffer swap (wglSwapBuffers, SwapBuffers): breaks, shows
// `name` as the current call while halted and takes commands until one lets
// the swap go on. 1 when the swap is to be skipped.
int halt_at_swap(DebugThreadContext *ctx, const char *name);

// ----------------------------------------------------------- append_file.cpp
// Takes an open file (debugger_create_file) to write text to its end, from
// where the text already in it ends.
void append_open(AppendFile *f, HANDLE file);
// The room of append_room when the view has less: the file grown and mapped
// again. Null when it cannot grow, the file's `error` saying why; the
// thread's last error is left as it was.
char *append_grow(AppendFile *f, size_t n);
// Writes `n` bytes at the end of the text; 0 when the file cannot take them.
int append_write(AppendFile *f, const void *bytes, size_t n);
// Reads `n` bytes of the file from offset `at`; 0 when they are not there.
int append_read(AppendFile *f, uint64_t at, size_t n, char *out);
// The text from `at` on is given up: what is written next goes there, and
// the file is cut there when it closes.
void append_cut(AppendFile *f, uint64_t at);
// Closes the file, cut to the length of its text.
void append_close(AppendFile *f);
// Lets the file go as it is: one left by a thread ended from outside, whose
// file another record may have written on since.
void append_abandon(AppendFile *f);

// --------------------------------------------------------------- history.cpp
void gls_context_setup(DebugThreadContext *ctx);
void history_apply_flags(DebugThreadContext *ctx);
void history_open(DebugThreadContext *ctx, int clear);
void history_close(DebugThreadContext *ctx);
size_t GLSAPI history_write_file(size_t count, const GLubyte *text);
size_t GLSAPI history_write_call_text(size_t count, const GLubyte *text);
int history_shorten_data(size_t length, const char *text, char *output, size_t capacity);
void list_record_call(DebugThreadContext *ctx, const char *text);
// Writes a glsString annotation into the history when History is on, and
// flushes the history through to its file.
void history_annotate(DebugThreadContext *ctx, const char *tag, const char *text);
// One piece of a call's text, converted for the current-call text (CR LF
// between lines, no final line end, cut with "..." when long or when it would
// not fit), into `out` of `capacity` bytes from `used` on. Returns the new
// length.
size_t call_text_convert(CallTextState *state, const char *text, size_t count, char *out,
                         size_t used, size_t capacity);

// --------------------------------- the analyses the engine calls (analyses.h)
// The state scan: the defaults and current values of a newly attached real
// context, and the current values at each halt (state.cpp).
void state_scan(DebugThreadContext *ctx);
void state_init_defaults(DebugThreadContext *ctx);
// The buffer configuration of a newly attached real context's drawable and
// the "Visual Info" and "Viewport Info" annotations (drawable.cpp).
void drawable_describe(DebugThreadContext *ctx);
// The state-item and enumerant tables of a new master record (state.cpp).
void master_fill_tables(MasterRecord *master);
// The mirrors of GL state in a new GL-context record (mirrors.cpp).
void mirrors_init(GLContextRecord *record);
// The display-list table of a newly attached real context; the sharing of
// lists after a successful wglShareLists(a, b); a deleted context shares
// nothing any more (lists.cpp).
void lists_attach(DebugThreadContext *ctx, GLContextRecord *record);
void lists_share(DebugThreadContext *ctx, uintptr_t a, uintptr_t b);
void lists_forget(uintptr_t handle);
// A call of the list the record is compiling, its text just written to the
// calls file: counted, and the list's stretch of the file taken to its end.
void list_count_call(GLContextRecord *record);
}  // extern "C"

// Room for `n` more bytes of text in an open file, where the caller writes
// them before append_commit; null when the file cannot take them (its
// `error` says why). The thread's last error stays as it was.
static inline char *append_room(AppendFile *f, size_t n) {
    uint64_t length = f->length.load(std::memory_order_relaxed);
    if (f->view && n <= f->reserved - length) return f->view + (length - f->view_at);
    return append_grow(f, n);
}

// The `n` bytes written in the room are the file's text from now on. The
// memory a few calls on is asked for now: the blanks there were written
// long ago, and the next locked instruction would wait for it.
static inline void append_commit(AppendFile *f, size_t n) {
    uint64_t length = f->length.load(std::memory_order_relaxed) + n;
    f->length.store(length, std::memory_order_release);
    const char *ahead = f->view + (length - f->view_at) + 512;
    __builtin_prefetch(ahead, 1);
    __builtin_prefetch(ahead + 64, 1);
}

// The capture flags of `op`, set to execute only for a call the debugger
// makes itself and restored after it, so the history keeps what the trace
// selection says about the application's own calls of the command.
struct OwnCall {
    GLSopcode op;
    GLbitfield saved;
    explicit OwnCall(GLSopcode opcode) : op(opcode), saved(glsGetCaptureFlags(opcode)) {
        glsCaptureFlags(op, 1);
    }
    ~OwnCall() { glsCaptureFlags(op, saved); }
};

// GL errors pending on the attached context, each code once (halt.cpp).
struct GLErrors {
    enum { KEPT = 8 };
    GLenum codes[KEPT];
    int count;
};
// Reads every pending error away, a bounded number of them: a context that
// keeps reporting one (a lost one, say) is not asked for ever.
void gl_errors_take(GLErrors *errors);
// Raises each again, by a call that raises it and does nothing else. An
// error no such call raises (GL_OUT_OF_MEMORY, say) is not raised.
void gl_errors_raise(const GLErrors *errors);

// Around GL calls the debugger makes of its own on the attached context: the
// errors pending before are taken away and raised again after, those of its
// own calls dropped, so the application's glGetError answers as without it.
struct KeepGLErrors {
    GLErrors pending;
    KeepGLErrors() { gl_errors_take(&pending); }
    ~KeepGLErrors() {
        GLErrors own;
        gl_errors_take(&own);
        gl_errors_raise(&pending);
    }
};

// -------------------------------------------------- inline fast tests
// The tests every wrapper makes on a running thread with nothing waiting;
// their slow halves are out of line.

static inline bool switch_on(const std::atomic<uint32_t> &word) {
    return word.load(std::memory_order_acquire) == 1;
}

static inline bool thread_halted(const ProcessRecord *process) {
    return process->run_state.load(std::memory_order_acquire) == RUN_STATE_HALTED;
}

static inline bool ring_not_empty(const CommandRing *ring) {
    return ring->read_index.load(std::memory_order_relaxed) !=
           ring->write_index.load(std::memory_order_acquire);
}

// Whether the debugger may make GL calls of its own on the attached context:
// a real one, current on the thread (an application may have let it go by a
// way the debugger does not see), not between glBegin and glEnd.
static inline bool own_calls_allowed(DebugThreadContext *ctx) {
    const GLContextRecord *record = ctx->gl_context;
    return !record->in_begin_end && record->handle != 0 && current_gl_handle(ctx) == record->handle;
}

static inline void front_buffer_update(DebugThreadContext *ctx) {
    if (ctx->process->front_buffer_request != 0) front_buffer_apply(ctx);
}

static inline void break_on_call_check(DebugThreadContext *ctx, unsigned id) {
    ProcessRecord *process = ctx->process;
    if (switch_on(process->Break_on_GL_calls) &&
        process->commands[id].break_on.load(std::memory_order_relaxed) == 1 &&
        process->run_state.load(std::memory_order_acquire) == RUN_STATE_RUNNING) {
        halt_break(ctx, id);
    }
}

static inline bool skip_check(DebugThreadContext *ctx, unsigned id) {
    ProcessRecord *process = ctx->process;
    if (switch_on(process->Skip_GL_calls) &&
        process->commands[id].skip.load(std::memory_order_relaxed) == 1) {
        skip_mark(ctx);
        return true;
    }
    return false;
}

static inline void call_count(DebugThreadContext *ctx, unsigned id) {
    ++ctx->process->commands[id].calls;
    if (ctx->gl_context->compiling_list == 1 && id != ID_glNewList) {
        list_record_call(ctx, ctx->process->call_text);
    }
}
