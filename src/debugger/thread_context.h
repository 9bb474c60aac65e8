// The debugger context of one application thread: its records, the real
// libraries, its temporary directory and files, and the interface's state
// it holds; built at the thread's first wgl call (context.cpp). Everything
// here runs on the application thread unless it says so.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <stdint.h>

#include "api/embed.h"
#include "records.h"

// How far the text of the call being rendered has come: `fresh` until its
// first piece arrives (which replaces the text of the call before), a line end
// held back until more text follows it, and whether it has been cut.
struct CallTextState {
    uint8_t fresh;
    uint8_t held_lf;
    uint8_t cut;
};

// A command of the history whose text has begun and not ended yet: whether
// it goes to the file (else it is dropped whole) and is shortened by Limit
// Data Dumps, and how far its text has come: the file's text ends inside
// one of its lines, its last byte is ';'. While it is shortened, how far the
// shortening has come (history.cpp).
struct HistoryCommand {
    uint8_t open;
    uint8_t written;
    uint8_t shortened;
    uint8_t line_open;
    uint8_t semicolon;
    uint8_t phase;
    // Before the cut: a '{' has come, inside a string and after a backslash
    // there; the commas since the first '{', the arrays open.
    uint8_t braced, in_string, escaped;
    // The text cut out is kept: the brace that ends the cut may not come.
    uint8_t keep;
    uint32_t commas;
    int32_t depth;
};

// The interface's own state of a thread: the engine holds it and reads
// nothing of it (ui_seam.h).
struct InterfaceState;

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
    // The application thread itself (SYNCHRONIZE): whether it has ended,
    // which a thread ended inside a call (TerminateThread) never says itself.
    HANDLE thread;
    MasterRecord *master;
    ProcessRecord *process;
    GLContextRecord *gl_context;
    RealLibraryTable *libraries;
    InterfaceState *ui;
    char temp_dir[PATH_CHARS];
    // History as the call being made found it when it began, or the
    // annotation being written: what the history takes of the text the
    // capture hands on now (history.cpp). Limit Data Dumps as the thread
    // last took it (history_apply_flags): its commands are shortened, and
    // the capture writes no more of a command's first array than the
    // shortened text keeps.
    uint8_t history_on;
    uint8_t history_limited;
    // The command whose text the history is taking, in the pieces the
    // writer's buffer cuts it into (history.cpp).
    HistoryCommand history_command;
    // Text Limit Data Dumps would leave out that may have to be written
    // after all: the command may end before the brace that ends the cut.
    char *history_pending;
    size_t history_pending_used, history_pending_capacity;
    // Why the history of the attached context stopped, until the panel's
    // status has said it; not said by a thread on its way out.
    char history_stop_note[512];
    uint8_t ending;
    CallTextState call_text_state;
    // How deep the thread is inside the system's GL, wgl or GDI functions
    // (the low byte, above 0 while inside), and above it how many times it
    // went in, which tells one call from the next (gate.h). The value a
    // closing of the gate last stopped waiting for it at: it is not waited
    // for again inside the same call.
    std::atomic<uint32_t> system_depth;
    uint32_t system_passed;
    // How many records other threads had retired when this thread last
    // closed the files of its own among them (context.cpp).
    uint32_t retired_seen;
    // Set by the thread once quitting has begun and it has let its GL
    // context go (halt_while_quitting); quitting waits a moment for it.
    std::atomic<uint8_t> quit_let_go;
    // The status a break halted the thread with, shown again once the halt
    // has refreshed the windows.
    char halt_status[COMMAND_NAME_CHARS + 32];
};

// Set while the library is being unloaded or the process quits: the records
// and files are going, and the write functions keep nothing more.
extern std::atomic<bool> debugger_unloading;
// Set once quitting has begun, before the application threads are told to
// halt: from then on a thread that comes to a halt does nothing more.
extern std::atomic<bool> debugger_quitting;

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
// Opens the thread's list\calls file for the attached record, when it first
// compiles a list while attached; closed when the record is let go.
void list_calls_open(DebugThreadContext *ctx);
int dll_process_hook(void *module, unsigned long reason, void *reserved);
// Quitting from any interface thread: halts every application thread,
// cleans every thread's files and directories up and ends the process with
// status 0. Does not return.
void debugger_quit(void);
// The debugger context of the calling thread's slot (the application thread's
// own, or, on an interface thread, the one it serves), or null.
DebugThreadContext *context_current(void);
void context_set_current(DebugThreadContext *ctx);

}  // extern "C"
