// The debugger context of each application thread: built at the thread's
// first wgl call (temporary directory, master and process records, the real
// libraries, the interface thread, the GLS context with the wrappers and the
// record of no GL context with its history), the GL-context records that
// wglMakeCurrent attaches, the library's load and unload, and quitting.
#include "analyses_attach.h"
#include "append_file.h"
#include "halt.h"
#include "history.h"
#include "own_calls.h"
#include "ring.h"
#include "thread_context.h"

#include <errno.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "api/embed.h"
#include "debugger_tables.h"
#include "ui_seam.h"

HMODULE debugger_module;

static DWORD context_tls = TLS_OUT_OF_INDEXES;

// Opening and creating files and directories takes this lock; quitting takes
// it for good, so no thread makes a file after the temporary directories are
// gone.
static CRITICAL_SECTION files_lock;
static bool files_lock_ready;

struct FilesLock {
    FilesLock() {
        if (files_lock_ready) EnterCriticalSection(&files_lock);
    }
    ~FilesLock() {
        if (files_lock_ready) LeaveCriticalSection(&files_lock);
    }
};

// The system libraries, loaded once for every thread of the process and
// freed once when the library is unloaded while the process goes on. The
// OpenGL library is the one the GLS core loaded: one handle serves both.
//
// glu32 imports opengl32.dll, which the loader binds to this library when it
// stands in for the system one: glu32 then holds this library loaded, and an
// application that frees it would keep it all the same. So glu32 is loaded
// only when a GLU function is first wanted.
struct SystemLibraries {
    HMODULE gdi32, opengl32;
    std::atomic<HMODULE> glu32;
    bool failed;
};
static SystemLibraries system_libraries;
static INIT_ONCE system_libraries_once = INIT_ONCE_STATIC_INIT;
static INIT_ONCE glu_once = INIT_ONCE_STATIC_INIT;

// Read in place on every call's path: TlsGetValue would clear the thread's
// last error, which the application reads after its own calls.
DebugThreadContext *context_current(void) {
    return context_tls == TLS_OUT_OF_INDEXES
               ? nullptr
               : (DebugThreadContext *)__glsTlsGetInline((__GLStlsIndex)context_tls);
}

void context_set_current(DebugThreadContext *ctx) {
    if (context_tls != TLS_OUT_OF_INDEXES) TlsSetValue(context_tls, ctx);
}

// The text is shown whole, however long (a path among it, say).
void fatal_error_box(const char *source, int line, const char *format, ...) {
    char caption[64];
    va_list args;
    va_start(args, format);
    int n = _vscprintf(format, args);
    va_end(args);
    char *text = n >= 0 ? (char *)malloc((size_t)n + 1) : nullptr;
    if (text) {
        va_start(args, format);
        _vsnprintf_s(text, (size_t)n + 1, _TRUNCATE, format, args);
        va_end(args);
    }
    _snprintf_s(caption, sizeof caption, _TRUNCATE, "%s, line %d.", source, line);
    MessageBoxA(nullptr, text ? text : format, caption, MB_OK | MB_ICONERROR | MB_SYSTEMMODAL | MB_TOPMOST);
    free(text);
}

// ------------------------------------------------------------------- paths

// Formats into `room` characters, the terminator included; a path that
// would not fit is refused with its full text and the process ends, as it
// would for a file the debugger cannot do without.
static void path_vprint(char *out, size_t room, const char *format, va_list args) {
    va_list attempt;
    va_copy(attempt, args);
    int n = _vsnprintf_s(out, room, _TRUNCATE, format, attempt);
    va_end(attempt);
    if (n >= 0) return;
    va_copy(attempt, args);
    int whole = _vscprintf(format, attempt);
    va_end(attempt);
    char *text = whole >= 0 ? (char *)malloc((size_t)whole + 1) : nullptr;
    if (text) _vsnprintf_s(text, (size_t)whole + 1, _TRUNCATE, format, args);
    fatal_error_box("context", __LINE__,
                    "The path %s is %d characters long: the debugger makes paths of at most %d "
                    "characters. Set TEMP to a shorter directory.",
                    text ? text : format, whole, (int)room - 1);
    ExitProcess(1);
}

static void path_print_in(char *out, size_t room, const char *format, ...) {
    va_list args;
    va_start(args, format);
    path_vprint(out, room, format, args);
    va_end(args);
}

void path_print(char *out, const char *format, ...) {
    va_list args;
    va_start(args, format);
    path_vprint(out, PATH_CHARS, format, args);
    va_end(args);
}

// A path in the system's wide form: as given, or, when it is too long for
// that (260 characters for a file, 248 for a directory), made absolute under
// the long-path prefix: \\?\ before a drive, \\?\UNC\ before a share.
struct WidePath {
    WCHAR text[2 * PATH_CHARS + 16];
    explicit WidePath(const char *path);
};

WidePath::WidePath(const char *path) {
    WCHAR given[PATH_CHARS + 1];
    text[0] = 0;
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, given, PATH_CHARS + 1) <= 0) return;
    lstrcpyW(text, given);
    if (lstrlenW(given) < MAX_PATH - 12 || !wcsncmp(given, L"\\\\?\\", 4)) return;
    WCHAR full[2 * PATH_CHARS];
    DWORD n = GetFullPathNameW(given, 2 * PATH_CHARS, full, nullptr);
    // One the system cannot make absolute is opened as given, and the system
    // says why it fails.
    if (n == 0 || n >= 2 * PATH_CHARS) return;
    bool share = full[0] == L'\\' && full[1] == L'\\';
    lstrcpyW(text, share ? L"\\\\?\\UNC" : L"\\\\?\\");
    lstrcatW(text, share ? full + 1 : full);
}

FILE *path_fopen(const char *path, const char *mode) {
    WidePath name(path);
    WCHAR wide_mode[8];
    if (!MultiByteToWideChar(CP_ACP, 0, mode, -1, wide_mode, 8)) return nullptr;
    return _wfopen(name.text, wide_mode);
}

// ----------------------------------------------------- temporary directory

void temp_dir_path(uint32_t thread_id, char *out) {
    char temp[PATH_CHARS];
    char *whole = nullptr;
    DWORD n = GetEnvironmentVariableA("TEMP", temp, sizeof temp);
    if (n == 0) {
        lstrcpyA(temp, "\\temp");
    } else if (n >= sizeof temp) {
        // Too long to keep: read whole for the message that refuses it.
        whole = (char *)malloc(n);
        if (!whole || GetEnvironmentVariableA("TEMP", whole, n) >= n) {
            fatal_error_box("context", __LINE__, "Out of memory.");
            ExitProcess(1);
        }
    }
    // The longest name made in the directory must fit after it.
    path_print_in(out, PATH_CHARS - PATH_SUFFIX_CHARS, "%s\\PALISADE_%u", whole ? whole : temp, thread_id);
    free(whole);
}

static void temp_dir_create(const char *path) {
    char sub[PATH_CHARS];
    FilesLock lock;
    CreateDirectoryW(WidePath(path).text, nullptr);
    path_print(sub, "%s\\history", path);
    CreateDirectoryW(WidePath(sub).text, nullptr);
    path_print(sub, "%s\\list", path);
    CreateDirectoryW(WidePath(sub).text, nullptr);
}

void remove_directory_files(const char *path) {
    WidePath dir(path);
    size_t n = (size_t)lstrlenW(dir.text);
    WCHAR file[2 * PATH_CHARS + 16 + MAX_PATH];
    lstrcpyW(file, dir.text);
    lstrcpyW(file + n, L"\\*.*");
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(file, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            lstrcpyW(file + n + 1, found.cFileName);
            DeleteFileW(file);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(dir.text);
}

// ------------------------------------------------------------------ set-up

static DebugThreadContext *context_create(uint32_t thread_id) {
    DebugThreadContext *ctx = (DebugThreadContext *)mmaps_alloc(sizeof(DebugThreadContext));
    if (!ctx || !mmaps_register(BLOCK_THREAD_CONTEXT, "", 1, ctx)) {
        fatal_error_box("context", __LINE__, "Out of memory.");
        ExitProcess(1);
    }
    ctx->thread_id = thread_id;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &ctx->thread, SYNCHRONIZE, FALSE,
                    0);
    context_set_current(ctx);
    return ctx;
}

static void context_attach_master(DebugThreadContext *ctx, uint32_t thread_id) {
    char name[PATH_CHARS];
    mmaps_path_master(ctx->temp_dir, name);
    ctx->master = mmaps_open_master(name);
    if (!ctx->master) ctx->master = master_create(ctx->temp_dir, thread_id);
}

static HMODULE load_system_library(const char *file) { return (HMODULE)__glsLoadSystemLibrary(file); }

static BOOL CALLBACK load_system_libraries(PINIT_ONCE, PVOID, PVOID *) {
    SystemLibraries &libs = system_libraries;
    libs.gdi32 = load_system_library("gdi32.dll");
    libs.opengl32 = libs.gdi32 ? (HMODULE)__glsSystemLibrary : nullptr;
    libs.failed = !libs.opengl32;
    return TRUE;
}

static BOOL CALLBACK load_glu(PINIT_ONCE, PVOID, PVOID *) {
    system_libraries.glu32.store(load_system_library("glu32.dll"), std::memory_order_release);
    return TRUE;
}

// The table's GLU entry points, from its glu32 (none while it has none).
static void glu_procs_resolve(RealLibraryTable *table, const MasterRecord *master) {
    for (int i = 0; table->glu32 && i < GLU_COUNT; ++i) {
        table->glu_procs[i] = (__GLSfunc)GetProcAddress(table->glu32, master->glu_names[i]);
    }
}

void glu_library_load(DebugThreadContext *ctx) {
    RealLibraryTable *table = ctx->libraries;
    if (table->glu32) return;
    InitOnceExecuteOnce(&glu_once, load_glu, nullptr, nullptr);
    table->glu32 = system_libraries.glu32.load(std::memory_order_acquire);
    if (!table->glu32) ExitProcess(1);
    glu_procs_resolve(table, ctx->master);
}

int glu_error_text(DebugThreadContext *ctx, unsigned error, char *out, size_t capacity) {
    typedef const GLubyte *(GLSAPI * ErrorString)(GLenum);
    // Without GLU at hand the text comes from a load made for this one call.
    HMODULE glu32 = ctx->libraries->glu32;
    HMODULE loaded = glu32 ? nullptr : load_system_library("glu32.dll");
    HMODULE from = glu32 ? glu32 : loaded;
    ErrorString error_string =
        from ? (ErrorString)GetProcAddress(from, ctx->master->glu_names[GLU_gluErrorString]) : nullptr;
    const char *text = error_string ? (const char *)error_string(error) : nullptr;
    if (text) lstrcpynA(out, text, (int)capacity);
    if (loaded) FreeLibrary(loaded);
    return text != nullptr;
}

static void context_load_libraries(DebugThreadContext *ctx) {
    RealLibraryTable *table = (RealLibraryTable *)mmaps_alloc(sizeof(RealLibraryTable));
    if (!table) {
        fatal_error_box("context", __LINE__, "Out of memory.");
        ExitProcess(1);
    }
    InitOnceExecuteOnce(&system_libraries_once, load_system_libraries, nullptr, nullptr);
    if (system_libraries.failed) ExitProcess(1);
    table->gdi32 = system_libraries.gdi32;
    table->opengl32 = system_libraries.opengl32;
    table->glu32 = system_libraries.glu32.load(std::memory_order_acquire);
    MasterRecord *master = ctx->master;
    for (int i = 0; i < GDI_COUNT; ++i) {
        table->gdi_procs[i] = (__GLSfunc)GetProcAddress(table->gdi32, master->gdi_names[i]);
        if (!table->gdi_procs[i]) ExitProcess(1);
    }
    for (int id = 0; id < GL_COMMAND_IDS; ++id) {
        table->gl_procs[id] = (__GLSfunc)GetProcAddress(table->opengl32, master->gl_names[id]);
    }
    for (int i = 0; i < WGL_COUNT; ++i) {
        table->wgl_procs[i] = (__GLSfunc)GetProcAddress(table->opengl32, master->wgl_names[i]);
        if (!table->wgl_procs[i]) ExitProcess(1);
    }
    glu_procs_resolve(table, master);
    table->history_indent = 0;
    table->debugger_gls_context = 0xFFFFFFFFu;
    table->current_gls_context = 0xFFFFFFFFu;
    mmaps_free(ctx->libraries);
    ctx->libraries = table;
}

static void no_interface(DebugThreadContext *) {}
static void no_interface_adopt(DebugThreadContext *, DebugThreadContext *) {}
static void no_interface_status(DebugThreadContext *, const char *) {}
static HANDLE no_interface_park(DebugThreadContext *) { return nullptr; }
static const InterfaceSeam no_interface_seam = {no_interface, no_interface_adopt, no_interface, no_interface,
                                                no_interface_status, no_interface, no_interface, no_interface,
                                                no_interface_park};
const InterfaceSeam *interface_seam = &no_interface_seam;

void interface_register(const InterfaceSeam *seam) { interface_seam = seam ? seam : &no_interface_seam; }

// The system GL driver starts up once in a process, on the thread of its
// first pixel-format or wgl call with a device context; the debugger has it
// do so on the application's thread before it makes its first interface
// thread. Under qemu-user the TLS descriptors of a process's threads are one
// table for them all, the last set up winning: Wine's X11 driver, which
// reloads %fs around the glXCreateContext of its start-up (i686), would
// otherwise leave the application's thread with the interface thread's TEB,
// and both threads in its Unix stack. A program that makes threads of its
// own before its first GL call meets that without the debugger too.
static void system_gl_start_up(DebugThreadContext *ctx) {
    typedef int(WINAPI * Describe)(HDC, int, UINT, PIXELFORMATDESCRIPTOR *);
    static std::atomic<bool> started;
    if (started.exchange(true, std::memory_order_acq_rel)) return;
    HDC screen = GetDC(nullptr);
    if (screen) ((Describe)(void *)ctx->libraries->wgl_procs[WGL_wglDescribePixelFormat])(screen, 1, 0, nullptr);
    if (screen) ReleaseDC(nullptr, screen);
}

static void context_attach_process(DebugThreadContext *ctx, uint32_t thread_id) {
    char name[PATH_CHARS];
    mmaps_path_process(ctx->temp_dir, thread_id, name);
    ProcessRecord *process = mmaps_open_process(name);
    if (process) {
        // A thread that got the id of a thread gone before it takes the
        // record over, with the interface that serves it.
        DebugThreadContext *before = process->context.load(std::memory_order_acquire);
        if (before && before != ctx) interface_seam->adopt(ctx, before);
        ctx->process = process;
        process->context.store(ctx, std::memory_order_release);
    } else {
        process = mmaps_create_process(name);
        if (!process) ExitProcess(1);
        MasterRecord *master = ctx->master;
        // A master has slots for ten threads; a thread beyond them has its
        // records and panel all the same and is not listed.
        if (master->thread_count < MASTER_THREAD_SLOTS) {
            master->threads[master->thread_count++] = thread_id;
        }
        process_record_init(process, thread_id);
        ctx->process = process;
        process->context.store(ctx, std::memory_order_release);
        system_gl_start_up(ctx);
        interface_seam->start(ctx);
    }
    interface_seam->show_ids(ctx);
}

// Closes the calls file of the record attached so far, on its thread.
static void list_calls_close(GLContextRecord *record) {
    if (!files_enter(record)) return;
    append_close(&record->list_calls);
    files_leave(record);
}

void list_calls_open(DebugThreadContext *ctx) {
    GLContextRecord *record = ctx->gl_context;
    if (record->list_calls.file) return;
    char path[PATH_CHARS];
    mmaps_path_list_calls(ctx->temp_dir, path);
    // Without it the lists' calls are not kept, and the application goes on.
    KeepLastError keep;
    HANDLE calls = debugger_create_file(path, OPEN_ALWAYS);
    if (calls != INVALID_HANDLE_VALUE && files_enter(record)) {
        append_open(&record->list_calls, calls);
        files_leave(record);
    } else if (calls != INVALID_HANDLE_VALUE) {
        CloseHandle(calls);
    } else {
        char reason[256] = "";
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0, reason,
                       sizeof reason, nullptr);
        status_printf(ctx, "Could not open %s: %s", path, reason);
    }
}

// Counts the records whose context another thread deleted: their threads
// close the files they keep open for them at their next attach.
static std::atomic<uint32_t> retired_elsewhere;

struct ThreadRecords {
    DebugThreadContext *ctx;
    bool retired_only;
};

// The history files a thread keeps open for its records: of those not
// attached whose context was deleted, or of them all when the thread ends.
static void close_thread_record(void *block, void *arg) {
    GLContextRecord *record = (GLContextRecord *)block;
    const ThreadRecords *which = (const ThreadRecords *)arg;
    if (record->thread_id != which->ctx->thread_id || !record->history.file) return;
    if (which->retired_only &&
        (record == which->ctx->gl_context || !record->retired.load(std::memory_order_acquire))) {
        return;
    }
    history_file_close(record);
}

static void close_retired_elsewhere(DebugThreadContext *ctx) {
    uint32_t now = retired_elsewhere.load(std::memory_order_acquire);
    if (now == ctx->retired_seen) return;
    ctx->retired_seen = now;
    ThreadRecords which = {ctx, true};
    mmaps_for_each(BLOCK_GL_CONTEXT, close_thread_record, &which);
}

void context_attach_gl(DebugThreadContext *ctx, uintptr_t handle) {
    GLContextRecord *before = ctx->gl_context;
    if (before) {
        history_close(ctx);
        list_calls_close(before);
    }
    char name[PATH_CHARS];
    mmaps_path_per_gl(ctx->temp_dir, handle, name);
    GLContextRecord *record = mmaps_open_per_gl(name);
    if (!record) {
        bool reused_handle = handle != 0 && mmaps_was_retired(name);
        record = mmaps_create_per_gl(name);
        if (!record) ExitProcess(1);
        MasterRecord *master = ctx->master;
        record->number = handle ? master->next_gl_context_number++ : 0;
        record->handle = handle;
        record->thread_id = ctx->thread_id;
        mirrors_init(record);
        mmaps_path_history(ctx->temp_dir, handle, reused_handle ? record->number : 0,
                           record->history_path);
        ctx->gl_context = record;
        history_open(ctx, 0);
        if (handle) {
            gl_errors_adopt(ctx);
            state_init_defaults(ctx);
            record->is_real_context = 1;
            drawable_describe(ctx);
            // The list has room for 32 contexts; one beyond them works all the
            // same and is not listed.
            if (master->gl_context_count < MASTER_GL_CONTEXT_SLOTS) {
                GLContextEntry &entry = master->gl_contexts[master->gl_context_count++];
                entry.number = record->number;
                entry.handle = handle;
                entry.thread_id = ctx->process->thread_id;
            }
        }
    } else {
        ctx->gl_context = record;
        history_open(ctx, 0);
        if (handle) gl_errors_adopt(ctx);
    }
    if (handle) {
        lists_attach(ctx, record);
        // A calls file left open by a thread ended from outside, whose id
        // this thread got, is let go as it is: the thread's other records
        // may have written to the file since. The file opens with the next
        // list compiled (list_calls_open).
        if (record->list_calls.file && files_enter(record)) {
            append_abandon(&record->list_calls);
            files_leave(record);
        }
    }
    close_retired_elsewhere(ctx);
    interface_seam->show_ids(ctx);
}

struct Retiring {
    DebugThreadContext *ctx;
    uintptr_t handle;
};

// Only its own thread writes to or closes a record's files: the deleting
// thread closes the history file of its own record of the context at once,
// another thread that of its record at its next attach, or its end.
static void retire_record_of(void *block, void *arg) {
    GLContextRecord *record = (GLContextRecord *)block;
    const Retiring *retiring = (const Retiring *)arg;
    if (record->handle != retiring->handle) return;
    record->retired.store(1, std::memory_order_release);
    if (record->thread_id == retiring->ctx->thread_id) {
        if (record != retiring->ctx->gl_context) history_file_close(record);
    } else {
        retired_elsewhere.fetch_add(1, std::memory_order_acq_rel);
    }
    mmaps_retire_block(block);
}

// Every thread that made the context current has a record of it, whichever
// thread deletes it.
void context_retire_gl(DebugThreadContext *ctx, uintptr_t handle) {
    if (!handle) return;
    Retiring retiring = {ctx, handle};
    mmaps_for_each_live(BLOCK_GL_CONTEXT, retire_record_of, &retiring);
    lists_forget(handle);
}

// The slow paths of context_get, out of the calls' way; what they do is not
// seen in the thread's last error. The application's client-side commands
// reach the system library whatever the debugger believes is current: with
// no context there, a query leaves the application's array as it was.
static __attribute__((noinline)) DebugThreadContext *context_setup(DebugThreadContext *ctx, uint32_t thread_id) {
    KeepLastError keep;
    if (!ctx) {
        ctx = context_create(thread_id);
        temp_dir_path(thread_id, ctx->temp_dir);
        temp_dir_create(ctx->temp_dir);
    }
    context_attach_master(ctx, thread_id);
    context_load_libraries(ctx);
    context_attach_process(ctx, thread_id);
    gls_context_setup(ctx);
    __glsClientRealAlways();
    context_attach_gl(ctx, 0);
    return ctx;
}

// Another GLS context was made current on the thread: the debugger makes a
// new one of its own and goes on with the history in it.
static __attribute__((noinline)) void context_gls_again(DebugThreadContext *ctx) {
    KeepLastError keep;
    gls_context_setup(ctx);
    __glsClientRealAlways();
    if (ctx->gl_context) {
        history_close(ctx);
        history_open(ctx, 0);
    }
}

DebugThreadContext *context_get(void) {
    uint32_t thread_id = GetCurrentThreadId();
    DebugThreadContext *ctx = context_current();
    if (!ctx || ctx->thread_id != thread_id) ctx = context_setup(ctx, thread_id);
    RealLibraryTable *libs = ctx->libraries;
    libs->current_gls_context = glsGetCurrentContext();
    if (libs->current_gls_context != libs->debugger_gls_context) context_gls_again(ctx);
    return ctx;
}

uintptr_t current_gl_handle(DebugThreadContext *ctx) {
    typedef HGLRC(WINAPI * GetCurrentContext)(void);
    return (uintptr_t)((GetCurrentContext)ctx->libraries->wgl_procs[WGL_wglGetCurrentContext])();
}

// ---------------------------------------------------------------- clean-up

// The count has one writer, the record's application thread, so leaving
// needs no locked instruction: on every call with History on, that would
// wait for the call's text to reach memory.
int files_enter(GLContextRecord *record) {
    // Sequentially consistent, both here and where quitting sets the flag and
    // then reads this count: either the thread sees the flag, or quitting
    // sees the thread inside and waits for it.
    uint32_t busy = record->files_busy.load(std::memory_order_relaxed);
    record->files_busy.exchange(busy + 1, std::memory_order_seq_cst);
    if (!debugger_unloading.load(std::memory_order_seq_cst)) return 1;
    record->files_busy.store(busy, std::memory_order_release);
    return 0;
}

void files_leave(GLContextRecord *record) {
    record->files_busy.store(record->files_busy.load(std::memory_order_relaxed) - 1, std::memory_order_release);
}

// Whether the thread of the id has ended, as its context's handle says.
struct ThreadEnded {
    uint32_t thread_id;
    bool ended;
};

static void thread_ended_of(void *block, void *arg) {
    DebugThreadContext *ctx = (DebugThreadContext *)block;
    ThreadEnded *t = (ThreadEnded *)arg;
    if (ctx->thread_id == t->thread_id && ctx->thread && WaitForSingleObject(ctx->thread, 0) == WAIT_OBJECT_0) {
        t->ended = true;
    }
}

static bool thread_ended(uint32_t thread_id) {
    ThreadEnded t = {thread_id, false};
    mmaps_for_each(BLOCK_THREAD_CONTEXT, thread_ended_of, &t);
    return t.ended;
}

// How long quitting and unloading wait for a thread inside a write of its
// files: a write takes a moment, even a long command's piece.
enum { FILES_WAIT_MS = 5000 };

// Quitting, unloading and the process's end, with debugger_unloading set: the
// record's history section is ended and its files are taken away and closed.
// With `wait`, once its application thread has left them, or at once when
// that thread has ended inside them (TerminateThread): what it left is cut
// back to its last whole command. A thread still inside them after the
// bound keeps them as they are. At the process's end the other threads are
// gone, and the files of one cut off inside them are left as they are.
static void record_files_end(GLContextRecord *record, bool wait) {
    DWORD start = GetTickCount();
    for (unsigned polls = 0; record->files_busy.load(std::memory_order_seq_cst) != 0; ++polls) {
        if (!wait) return;
        if (polls % 64 == 63 && thread_ended(record->thread_id)) break;
        if (GetTickCount() - start >= FILES_WAIT_MS) return;
        // A write takes the thread a moment: a few quick turns, then naps.
        if (polls < 64) SwitchToThread();
        else Sleep(1);
    }
    history_file_end(record);
    append_close(&record->history);
    append_close(&record->list_calls);
}

static void record_files_end_waiting(void *block, void *) { record_files_end((GLContextRecord *)block, true); }

static void record_files_end_at_exit(void *block, void *) { record_files_end((GLContextRecord *)block, false); }

// A thread that ends ends its history section and closes its files itself,
// and lets its GLS context go: nothing of its history is written after it,
// from another thread, into that thread's file.
static void context_thread_end(DebugThreadContext *ctx) {
    GLContextRecord *record = ctx->gl_context;
    if (!record || debugger_unloading.load(std::memory_order_acquire)) return;
    // Ended inside a write of its own (quitting from a callback the debugger
    // called, say): its files are left as they are.
    if (record->files_busy.load(std::memory_order_acquire) != 0) return;
    ctx->ending = 1;
    history_close(ctx);
    list_calls_close(record);
    ThreadRecords all = {ctx, false};
    mmaps_for_each(BLOCK_GL_CONTEXT, close_thread_record, &all);
    RealLibraryTable *libs = ctx->libraries;
    if (libs && libs->debugger_gls_context != 0xFFFFFFFFu && glsGetCurrentContext() == libs->debugger_gls_context) {
        glsContext(0);
        glsDeleteContext(libs->debugger_gls_context);
        libs->debugger_gls_context = 0xFFFFFFFFu;
    }
}

void context_cleanup(DebugThreadContext *ctx) {
    // The GLS context is current on the application thread, which may still
    // make calls: its deletion waits, and the thread keeps taking it for its
    // own (it would make itself another, writing where no file takes it).
    RealLibraryTable *libs = ctx->libraries;
    if (libs && libs->debugger_gls_context != 0xFFFFFFFFu) glsDeleteContext(libs->debugger_gls_context);
    // The system libraries stay: application threads may be inside them,
    // and the process ends right after.
    char path[PATH_CHARS];
    path_print(path, "%s\\history", ctx->temp_dir);
    remove_directory_files(path);
    path_print(path, "%s\\list", ctx->temp_dir);
    remove_directory_files(path);
    remove_directory_files(ctx->temp_dir);
}

static void post_halt(void *block, void *) {
    ring_post(&((ProcessRecord *)block)->ui_commands, CMD_HALT);
}

static void cleanup_context(void *block, void *) { context_cleanup((DebugThreadContext *)block); }

static void park_interface(void *block, void *events) {
    HANDLE parked = interface_seam->park((DebugThreadContext *)block);
    if (parked) ((std::vector<HANDLE> *)events)->push_back(parked);
}

// How long quitting waits for the other interface threads to stop: each
// stops at its next message, unless it is held (by a lock quitting holds).
// And for the application threads with a GL context current to come out
// of the system and let it go: each does at its next call, or at once where
// it is halted (a thread that makes no further call is ended where it is).
enum { PARK_WAIT_MS = 2000, LET_GO_WAIT_MS = 2000 };

// Whether an application thread that lives still holds a GL context it is
// to let go: one is attached, and the thread has not said it let it go.
static void holding_context(void *block, void *holding) {
    DebugThreadContext *ctx = (DebugThreadContext *)block;
    if (!ctx->gl_context || ctx->gl_context->handle == 0 || ctx->quit_let_go.load(std::memory_order_acquire)) return;
    if (ctx->thread && WaitForSingleObject(ctx->thread, 0) != WAIT_TIMEOUT) return;
    *(bool *)holding = true;
}

void debugger_quit(void) {
    // Held until the process ends: no thread opens a file from here on, and
    // the application threads write to none of the files closed next.
    // Bounded: the thread holding it may have been ended inside it.
    if (files_lock_ready) {
        DWORD start = GetTickCount();
        while (!TryEnterCriticalSection(&files_lock) && GetTickCount() - start < FILES_WAIT_MS) Sleep(1);
    }
    debugger_unloading.store(true, std::memory_order_seq_cst);
    debugger_quitting.store(true, std::memory_order_seq_cst);
    mmaps_for_each(BLOCK_PROCESS, post_halt, nullptr);
    // The process's end kills every other thread wherever it is, and one
    // killed inside the system's code (an interface thread drawing a
    // window, reading its events from the X server) leaves that code's
    // locks held and its heap half changed for the threads that end after
    // it: the other interface threads stop first, in a wait, as the halted
    // threads do.
    std::vector<HANDLE> parked;
    mmaps_for_each(BLOCK_THREAD_CONTEXT, park_interface, &parked);
    DWORD start = GetTickCount();
    for (HANDLE event : parked) {
        DWORD spent = GetTickCount() - start;
        if (spent >= PARK_WAIT_MS || WaitForSingleObject(event, PARK_WAIT_MS - spent) != WAIT_OBJECT_0) break;
    }
    for (DWORD begun = GetTickCount(); GetTickCount() - begun < LET_GO_WAIT_MS; Sleep(1)) {
        bool holding = false;
        mmaps_for_each(BLOCK_THREAD_CONTEXT, holding_context, &holding);
        if (!holding) break;
    }
    mmaps_for_each(BLOCK_GL_CONTEXT, record_files_end_waiting, nullptr);
    mmaps_for_each(BLOCK_THREAD_CONTEXT, cleanup_context, nullptr);
    ExitProcess(0);
}

// ------------------------------------------------------ load and unload

std::atomic<bool> debugger_unloading;
std::atomic<bool> debugger_quitting;

static void stop_interface(void *block, void *) { interface_seam->stop((DebugThreadContext *)block); }

static void close_ring(void *block, void *) { ring_close(&((ProcessRecord *)block)->ui_commands); }

static void free_library_table(void *block, void *) {
    DebugThreadContext *ctx = (DebugThreadContext *)block;
    mmaps_free(ctx->libraries);
    ctx->libraries = nullptr;
    free(ctx->history_pending);
    ctx->history_pending = nullptr;
}

int dll_process_hook(void *module, unsigned long reason, void *reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        debugger_unloading.store(false, std::memory_order_release);
        debugger_module = (HMODULE)module;
        context_tls = TlsAlloc();
        InitializeCriticalSection(&files_lock);
        files_lock_ready = true;
        mmaps_registry_reset();
    } else if (reason == DLL_THREAD_DETACH) {
        DebugThreadContext *ctx = context_current();
        if (ctx && ctx->thread_id == GetCurrentThreadId()) context_thread_end(ctx);
    } else if (reason == DLL_PROCESS_DETACH && reserved) {
        // The process ends. The calling thread ends its history as a thread
        // that ends does; the others are gone, and the GLS contexts they
        // leave, which the core deletes after this, write nothing: their
        // history sections are ended here, each in its own file.
        DebugThreadContext *ctx = context_current();
        if (ctx && ctx->thread_id == GetCurrentThreadId()) context_thread_end(ctx);
        debugger_unloading.store(true, std::memory_order_seq_cst);
        mmaps_for_each(BLOCK_GL_CONTEXT, record_files_end_at_exit, nullptr);
    } else if (reason == DLL_PROCESS_DETACH) {
        // Unloaded while the process goes on: the interface threads leave the
        // library's code before it goes, then the blocks and libraries go.
        // The GLS contexts outlive the blocks (the core deletes them after
        // this), and ending their captures writes: from here on the write
        // functions take the text and keep none of it.
        debugger_unloading.store(true, std::memory_order_seq_cst);
        mmaps_for_each(BLOCK_THREAD_CONTEXT, stop_interface, nullptr);
        mmaps_for_each(BLOCK_GL_CONTEXT, record_files_end_waiting, nullptr);
        mmaps_for_each(BLOCK_THREAD_CONTEXT, free_library_table, nullptr);
        mmaps_for_each(BLOCK_PROCESS, close_ring, nullptr);
        mmaps_free_all();
        HMODULE glu32 = system_libraries.glu32.exchange(nullptr);
        if (glu32) FreeLibrary(glu32);
        if (system_libraries.gdi32) FreeLibrary(system_libraries.gdi32);
        system_libraries.gdi32 = system_libraries.opengl32 = nullptr;
        system_libraries.failed = false;
        system_libraries_once = INIT_ONCE_STATIC_INIT;
        glu_once = INIT_ONCE_STATIC_INIT;
        if (context_tls != TLS_OUT_OF_INDEXES) TlsFree(context_tls);
        context_tls = TLS_OUT_OF_INDEXES;
        files_lock_ready = false;
        DeleteCriticalSection(&files_lock);
    }
    return 1;
}

HANDLE debugger_create_file(const char *path, DWORD disposition) {
    FilesLock lock;
    // Shared as the runtime's files are: readers look while it is written.
    return CreateFileW(WidePath(path).text, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}
