// The call history and the current-call text. Each thread's GLS context has
// the wrappers as capture functions and one GLS text capture open on the
// history file of the attached GL context; two write functions take the
// text: one appends the history to its file (CR LF line ends, indented, data
// shortened on request), one puts the text of the call being rendered into
// the thread's current-call text. While a display list is compiled the call
// texts also go to the thread's list\calls file.
//
// A history file is a sequence of whole sections: the debugger writes each
// glsBeginGLS itself, when a context is attached with History on or before
// the first text History lets through, and its glsEndGLS when the attachment
// ends, so that turning History off and on, or ending, never leaves a
// section open or ends one twice. Text reaches the file in whole commands only, however the writer's
// buffer cuts it: a line is never broken, and a command the file cannot take
// is not left in it cut. When the file cannot take more (a full disk) the
// history of that context stops there, says so at its end when that still
// fits, and the application goes on.
#include <errno.h>
#include <io.h>
#include <stdlib.h>
#include <string.h>

#include "api/api.h"
#include "core/context.h"
#include "debugger_tables.h"
#include "engine.h"
#include "api/gls_commands.h"

static const char kSectionBegin[] = "glsBeginGLS(1, 0);\n";
static const char kSectionEnd[] = "glsEndGLS();\n";

// The thread's debugger context, from the GLS context a write function runs
// under: the debugger's own, on its own thread.
static DebugThreadContext *writer_context(void) {
    if (debugger_unloading.load(std::memory_order_acquire)) return nullptr;
    return (DebugThreadContext *)glsGetContextPointer(GLS_DATA_POINTER);
}

void gls_context_setup(DebugThreadContext *ctx) {
    GLuint name = glsGenContext();
    ctx->libraries->debugger_gls_context = name;
    glsContext(name);
    glsDataPointer(ctx);
    for (const WrapperEntry &entry : wrapper_table) {
        __glsSetCommandFunc(GLS_CAPTURE_FUNC, (GLSopcode)entry.opcode, entry.wrapper);
    }
    history_apply_flags(ctx);
}

void history_apply_flags(DebugThreadContext *ctx) {
    ProcessRecord *process = ctx->process;
    const uint32_t *opcodes = ctx->master->command_opcodes;
    for (int id = 0; id < GL_COMMAND_IDS; ++id) {
        bool traced = process->commands[id].trace.load(std::memory_order_relaxed) == 1;
        glsCaptureFlags((GLSopcode)opcodes[id], traced ? 3 : 1);
    }
    glsCaptureFlags(__GLS_OP_glsDrawVertexArray, 3);
}

// ------------------------------------------------------------- the file

// Writes the history text: each LF-ended line with CR LF, each line indented
// by two blanks per level, gathered in a buffer written at once. The text
// ends with a line end. 1 when the file took all of it; `taken` counts the
// bytes it took.
static bool history_put(FILE *file, const char *text, size_t n, int indent, size_t *taken) {
    char buffer[8192];
    size_t used = 0;
    bool failed = false;
    *taken = 0;
    auto send = [&](const char *bytes, size_t count) {
        if (failed || count == 0) return;
        size_t wrote = fwrite(bytes, 1, count, file);
        *taken += wrote;
        failed = wrote != count;
    };
    auto put = [&](const char *bytes, size_t count) {
        if (used + count > sizeof buffer) {
            send(buffer, used);
            used = 0;
        }
        if (count > sizeof buffer) {
            send(bytes, count);
        } else {
            memcpy(buffer + used, bytes, count);
            used += count;
        }
    };
    for (const char *p = text, *end = text + n; p < end;) {
        for (int i = 0; i < indent; ++i) put("  ", 2);
        const char *lf = (const char *)memchr(p, '\n', (size_t)(end - p));
        if (!lf) lf = end;
        put(p, (size_t)(lf - p));
        put("\r\n", 2);
        p = lf + 1;
    }
    send(buffer, used);
    return !failed && fflush(file) == 0;
}

// Commands the file holds whole end in ";" and a line end; inside a command
// a line ends otherwise.
static bool command_end(const char *text, size_t at) {
    return at >= 3 && text[at - 1] == '\n' && text[at - 2] == '\r' && text[at - 3] == ';';
}

// Where to cut the attached section's last commands off, whole, so that at
// least `room` bytes of the file go; 0 when the section has no such place.
// `removed` counts the commands that go.
static uint64_t section_cut(GLContextRecord *record, uint64_t room, uint64_t *removed) {
    uint64_t body = record->history_section_start + sizeof kSectionBegin;  // its line end is CR LF
    uint64_t end = record->history_bytes;
    if (end < body + room) return 0;
    uint64_t from = end - room > body + 65536 ? end - room - 65536 : body;
    size_t n = (size_t)(end - from);
    char *tail = (char *)malloc(n);
    FILE *in = tail ? path_fopen(record->history_path, "rb") : nullptr;
    bool read = in && _fseeki64(in, (long long)from, SEEK_SET) == 0 && fread(tail, 1, n, in) == n;
    if (in) fclose(in);
    uint64_t at = 0;
    *removed = 0;
    for (size_t i = n; read && i > 0; --i) {
        if (end - (from + i) >= room && (from + i == body || command_end(tail, i))) {
            at = from + i;
            break;
        }
        if (command_end(tail, i)) ++*removed;
    }
    free(tail);
    return at;
}

// The history stops at a command the file could not take. What it took of
// that command goes again, and the history ends with a note of where and
// why, which ends the section, as far as it fits: when it does not, the
// section's last commands go to make room for it, or the whole section. The
// note is kept for the panel's status.
static void history_stop(DebugThreadContext *ctx, FILE *file, const char *reason) {
    GLContextRecord *record = ctx->gl_context;
    HANDLE handle = (HANDLE)_get_osfhandle(_fileno(file));
    uint64_t commands = record->history_commands;
    char *note = ctx->history_stop_note;
    auto end_at = [&](uint64_t at, bool with_note) {
        LARGE_INTEGER to;
        to.QuadPart = (LONGLONG)at;
        SetFilePointerEx(handle, to, nullptr, FILE_BEGIN);
        SetEndOfFile(handle);
        _snprintf_s(note, sizeof ctx->history_stop_note, _TRUNCATE, "History stopped at call %llu: %s",
                    (unsigned long long)commands + 1, reason);
        if (!with_note) return false;
        // A GLS string, its quotes and backslashes escaped, in a section.
        char text[sizeof ctx->history_stop_note * 2 + 128] = "";
        if (!record->history_section) lstrcpyA(text, kSectionBegin);
        lstrcatA(text, "glsString(\"Info\", \"");
        size_t n = strlen(text);
        for (const char *p = note; *p; ++p) {
            if (*p == '"' || *p == '\\') text[n++] = '\\';
            text[n++] = *p;
        }
        memcpy(text + n, "\");\n", 4);
        memcpy(text + n + 4, kSectionEnd, sizeof kSectionEnd);
        size_t taken = 0;
        return history_put(file, text, strlen(text), 0, &taken);
    };
    bool noted = end_at(record->history_bytes, true);
    uint64_t removed = 0, at = 0;
    if (!noted && record->history_section && (at = section_cut(record, 8192, &removed)) != 0) {
        commands -= removed;
        noted = end_at(at, true);
    }
    if (!noted && record->history_section) {
        commands = record->history_commands - record->history_section_commands;
        record->history_section = 0;
        noted = end_at(record->history_section_start, true) || end_at(record->history_section_start, false);
    } else if (!noted) {
        end_at(record->history_bytes, false);
    }
    record->history_section = 0;
    record->history_stopped = 1;
}

// Why the last write failed, in the system's words, on one line.
static void write_failure(char *reason, size_t capacity) {
    DWORD error = GetLastError();
    if (!error || !FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                  reason, (DWORD)capacity, nullptr)) {
        lstrcpynA(reason, strerror(errno), (int)capacity);
    }
    size_t n = strlen(reason);
    while (n && (reason[n - 1] == '\r' || reason[n - 1] == '\n' || reason[n - 1] == ' ')) reason[--n] = 0;
}

// The history stops where the file failed to take a write.
static void history_failed(DebugThreadContext *ctx, FILE *file) {
    char reason[256];
    write_failure(reason, sizeof reason);
    history_stop(ctx, file, reason);
}

// Begins the attached record's section in its file, when none is open.
static bool history_begin(DebugThreadContext *ctx, FILE *file) {
    GLContextRecord *record = ctx->gl_context;
    if (record->history_section) return true;
    size_t taken = 0;
    SetLastError(0);
    if (!history_put(file, kSectionBegin, sizeof kSectionBegin - 1, 0, &taken)) {
        history_failed(ctx, file);
        return false;
    }
    record->history_section_start = record->history_bytes;
    record->history_section_commands = 0;
    record->history_bytes += taken;
    record->history_section = 1;
    return true;
}

// Writes whole commands to the attached record's history file, opening its
// section first; 0 when the file could not take them and the history
// stopped.
static bool history_emit(DebugThreadContext *ctx, FILE *file, const char *text, size_t n) {
    GLContextRecord *record = ctx->gl_context;
    int indent = ctx->libraries->history_indent;
    size_t taken = 0;
    if (!history_begin(ctx, file)) return false;
    SetLastError(0);
    if (!history_put(file, text, n, indent < 0 ? 0 : indent, &taken)) {
        history_failed(ctx, file);
        return false;
    }
    record->history_bytes += taken;
    for (const char *p = text, *end = text + n; (p = (const char *)memchr(p, '\n', (size_t)(end - p))); ++p) {
        if (p > text && p[-1] == ';') ++record->history_commands, ++record->history_section_commands;
    }
    return true;
}

// The length of the first command of the text (through its ";" and line
// end), or of the whole text when no command ends in it.
static size_t first_command(const char *text, size_t n) {
    for (size_t i = 1; i < n; ++i) {
        if (text[i] == '\n' && text[i - 1] == ';') return i + 1;
    }
    return n;
}

// Where the last whole command of the text ends; 0 when none does.
static size_t whole_commands(const char *text, size_t n) {
    for (size_t i = n; i >= 2; --i) {
        if (text[i - 1] == '\n' && text[i - 2] == ';') return i;
    }
    return 0;
}

// With Limit Data Dumps on: each command shortened on its own.
static bool history_emit_shortened(DebugThreadContext *ctx, FILE *file, const char *text, size_t n) {
    char *shortened = nullptr;
    size_t room = 0;
    bool ok = true;
    for (const char *p = text, *end = text + n; ok && p < end;) {
        size_t length = first_command(p, (size_t)(end - p));
        if (room < length + 8) {
            free(shortened);
            room = length + 8;
            shortened = (char *)malloc(room);
        }
        if (shortened && history_shorten_data(length, p, shortened, room)) {
            ok = history_emit(ctx, file, shortened, strlen(shortened));
        } else {
            ok = history_emit(ctx, file, p, length);
        }
        p += length;
    }
    free(shortened);
    return ok;
}

// A history that stopped says so once, where the user looks, out of the
// files' way.
static void history_tell_stop(DebugThreadContext *ctx) {
    if (!ctx->gl_context->history_stopped || !ctx->history_stop_note[0] || ctx->ending) return;
    status_printf(ctx, "%s", ctx->history_stop_note);
    ctx->history_stop_note[0] = 0;
}

// Room for `n` bytes of text kept for the next write.
static bool pending_reserve(DebugThreadContext *ctx, size_t n) {
    if (n <= ctx->history_pending_capacity) return true;
    size_t room = n < 4096 ? 4096 : n + n / 2;
    char *grown = (char *)realloc(ctx->history_pending, room);
    if (!grown) return false;
    ctx->history_pending = grown;
    ctx->history_pending_capacity = room;
    return true;
}

// Writes the whole commands of the text; the rest, the start of a command
// whose end is still in the writer's buffer, waits for it.
static void history_write(DebugThreadContext *ctx, FILE *file, const GLubyte *bytes, size_t count) {
    const char *text = (const char *)bytes;
    size_t n = count, used = ctx->history_pending_used;
    if (used) {
        if (pending_reserve(ctx, used + count)) {
            memcpy(ctx->history_pending + used, bytes, count);
            text = ctx->history_pending;
            n = used + count;
        }
        ctx->history_pending_used = 0;
    }
    size_t whole = whole_commands(text, n), rest = n - whole;
    bool ok = whole == 0 || (switch_on(ctx->process->Limit_data_dumps) ? history_emit_shortened(ctx, file, text, whole)
                                                                         : history_emit(ctx, file, text, whole));
    if (!ok || !rest || !pending_reserve(ctx, rest)) return;
    memmove(ctx->history_pending, text + whole, rest);
    ctx->history_pending_used = rest;
}

size_t GLSAPI history_write_file(size_t count, const GLubyte *bytes) {
    DebugThreadContext *ctx = writer_context();
    if (!ctx || count == 0) return count;
    if (!switch_on(ctx->process->History)) {
        ctx->history_pending_used = 0;
        return count;
    }
    GLContextRecord *record = ctx->gl_context;
    if (record->history_stopped) return count;
    KeepLastError keep;
    if (files_enter(record)) {
        FILE *file = record->history_file;
        if (file) history_write(ctx, file, bytes, count);
        files_leave(record);
    }
    history_tell_stop(ctx);
    return count;
}

void history_open(DebugThreadContext *ctx, int clear) {
    GLContextRecord *record = ctx->gl_context;
    ctx->history_pending_used = 0;
    // A file left open by a thread that was ended from outside, whose id
    // this thread got, is ended first.
    if (record->history_file && files_enter(record)) {
        KeepLastError keep;
        FILE *left = record->history_file.exchange(nullptr);
        size_t taken = 0;
        if (left && record->history_section) history_put(left, kSectionEnd, sizeof kSectionEnd - 1, 0, &taken);
        record->history_section = 0;
        if (left) fclose(left);
        files_leave(record);
    }
    if (clear == 1) {
        record->history_stopped = 0;
        record->history_commands = 0;
    }
    // Binary: the write function puts CR LF itself, once per line. Unbuffered:
    // it hands each write over whole and flushes it at once.
    FILE *file = record->history_stopped ? nullptr : debugger_open_file(record->history_path, clear == 1 ? "wb" : "ab");
    if (file) {
        setvbuf(file, nullptr, _IONBF, 0);
        long long size = _filelengthi64(_fileno(file));
        record->history_bytes = size > 0 ? (uint64_t)size : 0;
        record->history_section = 0;
        if (files_enter(record)) {
            record->history_file = file;
            // With History on a section begins at once: a history just
            // cleared or attached reads as one.
            if (switch_on(ctx->process->History)) {
                KeepLastError keep;
                history_begin(ctx, file);
            }
            files_leave(record);
            history_tell_stop(ctx);
        } else {
            fclose(file);
        }
    } else if (!record->history_stopped) {
        // The calls go on all the same, with no history of this context.
        record->history_stopped = 1;
        status_printf(ctx, "History stopped: could not open %s: %s", record->history_path, strerror(errno));
    }
    // The capture is open whether or not a file takes its text: through it
    // the thread's calls reach the wrappers.
    glsWriteFunc(history_write_file);
    glsBeginCapture((const GLubyte *)"", GLS_TEXT, 2);
    glsWriteFunc(history_write_call_text);
}

void history_close(DebugThreadContext *ctx) {
    GLContextRecord *record = ctx->gl_context;
    glsEndCapture();
    if (!files_enter(record)) return;
    FILE *file = record->history_file.exchange(nullptr);
    if (file) {
        KeepLastError keep;
        // Text that never came to a command's end is not kept back for ever.
        bool ok = !ctx->history_pending_used || record->history_stopped ||
                  history_emit(ctx, file, ctx->history_pending, ctx->history_pending_used);
        if (ok && record->history_section) {
            size_t taken = 0;
            history_put(file, kSectionEnd, sizeof kSectionEnd - 1, 0, &taken);
        }
        record->history_section = 0;
        fclose(file);
    }
    ctx->history_pending_used = 0;
    files_leave(record);
}

void history_annotate(DebugThreadContext *ctx, const char *tag, const char *text) {
    if (!switch_on(ctx->process->History)) return;
    glsString((const GLubyte *)tag, (const GLubyte *)text);
    glsFlush();
}

int history_shorten_data(size_t length, const char *text, char *output, size_t capacity) {
    const char *end = text + length;
    const char *open = (const char *)memchr(text, '{', length);
    if (!open) return 0;
    const char *p = open;
    for (int commas = 0; commas < 16; ++commas) {
        p = (const char *)memchr(p, ',', (size_t)(end - p));
        if (!p) return 0;
        ++p;
    }
    const char *close = (const char *)memchr(p, '}', (size_t)(end - p));
    if (!close) return 0;
    // Kept whole or not at all: a shortened text that would not fit is
    // written unshortened.
    size_t head = (size_t)(p - text), tail = (size_t)(end - close);
    static const char dots[] = " ...";
    if (head + sizeof dots - 1 + tail + 1 > capacity) return 0;
    memcpy(output, text, head);
    memcpy(output + head, dots, sizeof dots - 1);
    memcpy(output + head + sizeof dots - 1, close, tail);
    output[head + sizeof dots - 1 + tail] = 0;
    return 1;
}

// ------------------------------------------------ the current-call text

size_t call_text_convert(CallTextState *state, const char *text, size_t count, char *out,
                         size_t used, size_t capacity) {
    static const char dots[] = "...";
    enum { LONG_TEXT = 10241, KEPT = 9984 };
    if (state->cut) return used;
    bool long_text = count >= LONG_TEXT;
    size_t n = long_text ? (size_t)KEPT : count;
    // Room is kept for the dots; a line end is written only before more text,
    // so the text's final one is dropped.
    size_t room = capacity - sizeof dots;
    for (size_t i = 0; i < n && !state->cut; ++i) {
        if (state->held_lf) {
            if (used + 2 > room) {
                state->cut = 1;
                break;
            }
            out[used++] = '\r';
            out[used++] = '\n';
            state->held_lf = 0;
        }
        if (text[i] == '\n') {
            state->held_lf = 1;
        } else if (used + 1 > room) {
            state->cut = 1;
        } else {
            out[used++] = text[i];
        }
    }
    if (long_text) state->cut = 1;
    if (state->cut) {
        memcpy(out + used, dots, sizeof dots - 1);
        used += sizeof dots - 1;
    }
    out[used] = 0;
    return used;
}

size_t GLSAPI history_write_call_text(size_t count, const GLubyte *bytes) {
    DebugThreadContext *ctx = writer_context();
    if (!ctx) return count;
    char *call_text = ctx->process->call_text;
    CallTextState *state = &ctx->call_text_state;
    // The first piece of a call's text replaces the text of the call before;
    // a call long enough to reach here in pieces gets the later ones after it.
    size_t used = 0;
    if (state->fresh) {
        *state = CallTextState();
    } else {
        used = strnlen(call_text, CALL_TEXT_CHARS - 1);
    }
    call_text_convert(state, (const char *)bytes, count, call_text, used, CALL_TEXT_CHARS);
    return count;
}

void list_record_call(DebugThreadContext *ctx, const char *text) {
    GLContextRecord *record = ctx->gl_context;
    if (files_enter(record)) {
        FILE *calls = record->list_calls_file;
        if (calls) {
            KeepLastError keep;
            fprintf(calls, "%s\r\n", text);
        }
        files_leave(record);
    }
    if (record->current_list) ++record->current_list->recorded_calls;
}
