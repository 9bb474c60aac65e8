// The call history and the current-call text. Each thread's GLS context has
// the wrappers as capture functions and one GLS text capture open on the
// history file of the attached GL context; two write functions take the
// text: one appends the history to its file (CR LF line ends, indented, data
// shortened on request), one puts the text of the call being rendered into
// the thread's current-call text. While a display list is compiled the call
// texts also go to the thread's list\calls file. Both files are written
// through views of them (append_file.cpp): a call's text is the file's when
// the call returns, with no system call, and stays there however the
// process ends.
//
// A history file is a sequence of whole sections: the debugger writes each
// glsBeginGLS itself, when a context is attached with History on or before
// the first text History lets through, and its glsEndGLS when the attachment
// ends, so that turning History off and on, or ending, never leaves a
// section open or ends one twice (only a process that dies leaves its last
// one open). Text reaches the file as the writer hands it on, a long
// command in many pieces, each where the one before stopped; when a call
// returns the file holds whole commands only: a line is never broken, and
// a command the file cannot take, or whose end never comes, is cut back out
// of it (only a process that dies while a long command is being written
// leaves its beginning). When the file cannot take more (a full disk) the
// history of that context stops there, says so at its end when that still
// fits, and the application goes on.
#include <stdlib.h>
#include <string.h>

#include "api/embed.h"
#include "debugger_tables.h"
#include "analyses_attach.h"
#include "append_file.h"
#include "halt.h"
#include "history.h"
#include "thread_context.h"

static const char kSectionBegin[] = "glsBeginGLS(1, 0);\n";
static const char kSectionEnd[] = "glsEndGLS();\n";

// The thread's debugger context, from the GLS context a write function runs
// under: the debugger's own, on its own thread.
static DebugThreadContext *writer_context(void) {
    if (debugger_unloading.load(std::memory_order_acquire)) return nullptr;
    return (DebugThreadContext *)__glsCurrentDataPointer();
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
    // Limit Data Dumps too is taken here, at the call after it turned, out of
    // every call's way.
    ctx->history_limited = switch_on(process->Limit_data_dumps);
    __glsCaptureShortenArrays(ctx->history_limited);
    const uint32_t *opcodes = ctx->master->command_opcodes;
    for (int id = 0; id < GL_COMMAND_IDS; ++id) {
        bool traced = process->commands[id].trace.load(std::memory_order_relaxed) == 1;
        glsCaptureFlags((GLSopcode)opcodes[id], traced ? 3 : 1);
    }
    glsCaptureFlags(__GLS_OP_glsDrawVertexArray, 3);
}

// ------------------------------------------------------------- the file

// Copies the line at `p` up to its line feed or the text's end, to which it
// returns, eight bytes at a time while no line feed is among them: a call's
// text is short, and the runtime's copy costs more than it.
static inline const char *copy_line(char **to, const char *p, const char *end) {
    char *out = *to;
    while (end - p >= 8) {
        uint64_t word;
        memcpy(&word, p, 8);
        uint64_t x = word ^ 0x0A0A0A0A0A0A0A0Aull;
        if ((x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull) break;
        memcpy(out, &word, 8);
        out += 8;
        p += 8;
    }
    while (p < end && *p != '\n') *out++ = *p++;
    *to = out;
    return p;
}

// Copies `n` bytes, eight at a time, for the same reason.
static inline void copy_bytes(char *to, const char *from, size_t n) {
    for (; n >= 8; n -= 8, to += 8, from += 8) {
        uint64_t word;
        memcpy(&word, from, 8);
        memcpy(to, &word, 8);
    }
    for (; n; --n) *to++ = *from++;
}

// Writes text of whole lines: each LF-ended line with CR LF, each line
// indented by two blanks per level, straight into the file's room, in one
// pass that counts the commands too (`commands`: those ending in ";" and a
// line end). The text ends with a line end. 1 when the file took all of
// it; else none of it is there.
static bool history_put(AppendFile *file, const char *text, size_t n, int indent, uint64_t *commands = nullptr) {
    size_t pad = 2 * (size_t)indent;
    // Room for the most the text can come to: every byte a line end.
    char *out = append_room(file, (n + 1) * (pad + 2));
    if (!out) return false;
    char *to = out;
    uint64_t ended = 0;
    for (const char *p = text, *end = text + n; p < end; ++p) {
        for (size_t i = 0; i < pad; ++i) *to++ = ' ';
        const char *line = p;
        p = copy_line(&to, p, end);
        *to++ = '\r';
        *to++ = '\n';
        if (p < end && p > line && p[-1] == ';') ++ended;
    }
    append_commit(file, (size_t)(to - out));
    if (commands) *commands = ended;
    return true;
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
    uint64_t end = record->history.length.load(std::memory_order_relaxed);
    if (end < body + room) return 0;
    uint64_t from = end - room > body + 65536 ? end - room - 65536 : body;
    size_t n = (size_t)(end - from);
    char *tail = (char *)malloc(n);
    bool read = tail && append_read(&record->history, from, n, tail);
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

// The history stops at a command the file could not take, and ends with a
// note of where and why, which ends the section, as far as it fits: when it
// does not, the section's last commands go to make room for it, or the whole
// section. The file is closed then, cut to what it holds. The note is kept
// for the panel's status.
static void history_stop(DebugThreadContext *ctx, const char *reason) {
    GLContextRecord *record = ctx->gl_context;
    AppendFile *file = &record->history;
    uint64_t commands = record->history_commands;
    char *note = ctx->history_stop_note;
    auto end_at = [&](uint64_t at, bool with_note) {
        append_cut(file, at);
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
        return history_put(file, text, strlen(text), 0);
    };
    uint64_t length = file->length.load(std::memory_order_relaxed);
    bool noted = end_at(length, true);
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
        end_at(length, false);
    }
    record->history_section = 0;
    record->history_stopped = 1;
    append_close(file);
}

// A system error code in the system's words, on one line.
static void error_text(DWORD error, char *reason, size_t capacity) {
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, reason,
                        (DWORD)capacity, nullptr)) {
        _snprintf_s(reason, capacity, _TRUNCATE, "error %lu", (unsigned long)error);
    }
    size_t n = strlen(reason);
    while (n && (reason[n - 1] == '\r' || reason[n - 1] == '\n' || reason[n - 1] == ' ')) reason[--n] = 0;
}

// The history stops where the file failed to grow.
static void history_failed(DebugThreadContext *ctx) {
    KeepLastError keep;
    char reason[256];
    error_text(ctx->gl_context->history.error, reason, sizeof reason);
    history_stop(ctx, reason);
}

// Begins the attached record's section in its file, when none is open.
static bool history_begin(DebugThreadContext *ctx, AppendFile *file) {
    GLContextRecord *record = ctx->gl_context;
    if (record->history_section) return true;
    uint64_t at = file->length.load(std::memory_order_relaxed);
    if (!history_put(file, kSectionBegin, sizeof kSectionBegin - 1, 0)) {
        history_failed(ctx);
        return false;
    }
    record->history_section_start = at;
    record->history_section_commands = 0;
    record->history_section = 1;
    return true;
}

// ------------------------------------------------------- a command's text
//
// The writer hands the text on in pieces of its buffer, and a long command
// (an image, say) in many. Each piece goes on into the file as it comes,
// where the command's lines go on, so that a command costs time in
// proportion to its text; it is whole in the file once its ";" and line end
// have come. One the file cannot take, or whose file is ended first, is cut
// back to where it began, which the record keeps for whoever ends the file.
// What becomes of a command is decided once, when its text begins: whether
// it is written (as the call whose text it is found History when it began)
// and whether Limit Data Dumps shortens it.

enum : uint8_t {
    // Shortened, a command is written up to the 16th comma after its first
    // '{', then " ...", then from the next '}' on, as history_shorten_data
    // shortens it.
    SHORTEN_HEAD,
    SHORTEN_CUT,
    SHORTEN_TAIL,
    SHORTEN_COMMAS = 16,
};

static const size_t kFileFull = ~(size_t)0;

// Writes text of the command being written: each LF-ended line with CR LF,
// each line indented by two blanks per level, a line the writer's buffer cut
// going on where it stopped. Each command that ends in the text is whole in
// the file and counted; the text after it is the next command's, unless
// `one` stops the writing there. Returns the bytes written, or kFileFull
// when the file cannot take them (none of them are there then). The state
// is worked on in locals: the bytes written might be any of its fields.
static inline __attribute__((always_inline)) size_t history_lines(DebugThreadContext *ctx, AppendFile *file,
                                                                  const char *text, size_t n, bool one) {
    HistoryCommand *c = &ctx->history_command;
    GLContextRecord *record = ctx->gl_context;
    int indent = ctx->libraries->history_indent;
    size_t pad = indent < 0 ? 0 : 2 * (size_t)indent;
    // Room for the most the text can come to: every byte a line end.
    char *out = append_room(file, (n + 1) * (pad + 2));
    if (!out) return kFileFull;
    char *to = out, *whole = nullptr;
    bool open = c->open, line_open = c->line_open, semicolon = c->semicolon;
    uint64_t ended = 0;
    const char *p = text, *end = text + n;
    while (p < end) {
        open = true;
        if (!line_open) {
            for (size_t i = 0; i < pad; ++i) *to++ = ' ';
            line_open = true;
        }
        const char *line = p;
        p = copy_line(&to, p, end);
        if (p == end) {
            if (p > line) semicolon = p[-1] == ';';
            break;
        }
        bool command_ends = p > line ? p[-1] == ';' : semicolon;
        *to++ = '\r';
        *to++ = '\n';
        ++p;
        line_open = semicolon = false;
        if (command_ends) {
            ++ended;
            open = false;
            whole = to;
            if (one) break;
        }
    }
    uint64_t at = file->length.load(std::memory_order_relaxed);
    append_commit(file, (size_t)(to - out));
    c->open = open;
    c->line_open = line_open;
    c->semicolon = semicolon;
    if (whole) {
        record->history_command_start = at + (uint64_t)(whole - out);
        record->history_commands += ended;
        record->history_section_commands += ended;
    }
    record->history_command_open = open;
    return (size_t)(p - text);
}

// Passes over the text of a command not written, up to its end; returns the
// bytes passed.
static size_t command_drop(HistoryCommand *c, const char *text, size_t n) {
    for (const char *p = text, *end = text + n;;) {
        const char *lf = (const char *)memchr(p, '\n', (size_t)(end - p));
        if (!lf) {
            c->semicolon = end[-1] == ';';
            return n;
        }
        bool command_ends = lf > text ? lf[-1] == ';' : c->semicolon;
        c->semicolon = 0;
        p = lf + 1;
        if (command_ends) {
            c->open = 0;
            return (size_t)(p - text);
        }
    }
}

// Room for `n` bytes in one of the thread's buffers, kept for the next
// writes; grown, never shrunk.
static bool buffer_reserve(char **buffer, size_t *capacity, size_t n) {
    if (n <= *capacity) return true;
    size_t room = n < 4096 ? 4096 : n + n / 2;
    char *grown = (char *)realloc(*buffer, room);
    if (!grown) return false;
    *buffer = grown;
    *capacity = room;
    return true;
}

// Writes text of a command Limit Data Dumps shortens, up to its end at
// most; returns the bytes taken, or kFileFull. Before the cut every byte
// is looked at: the first '{' and the commas after it say where the cut
// begins, strings and braces whether the '}' that ends it must come. Inside
// an array, whose text holds numbers and names only, it must: the text cut
// out is only passed over. Elsewhere the command might end first, and be
// written whole after all, so that text is kept until then.
static size_t history_shortened(DebugThreadContext *ctx, AppendFile *file, const char *text, size_t n) {
    static const char kDots[] = " ...";
    HistoryCommand *c = &ctx->history_command;
    const char *p = text, *end = text + n;
    while (p < end && c->open) {
        if (c->phase == SHORTEN_HEAD) {
            const char *q = p;
            bool cut = false;
            for (; q < end; ++q) {
                char ch = *q;
                if (ch == '\n' && (q > p ? q[-1] == ';' : c->semicolon)) {
                    ++q;
                    break;
                }
                if (c->in_string) {
                    if (c->escaped) {
                        c->escaped = 0;
                    } else if (ch == '\\') {
                        c->escaped = 1;
                    } else if (ch == '"') {
                        c->in_string = 0;
                    }
                } else if (ch == '"') {
                    c->in_string = 1;
                } else if (ch == '{') {
                    ++c->depth;
                } else if (ch == '}') {
                    --c->depth;
                }
                if (ch == '{') {
                    c->braced = 1;
                } else if (ch == ',' && c->braced && ++c->commas == SHORTEN_COMMAS) {
                    ++q;
                    cut = true;
                    break;
                }
            }
            size_t taken = history_lines(ctx, file, p, (size_t)(q - p), true);
            if (taken == kFileFull) return kFileFull;
            p += taken;
            if (cut) {
                c->phase = SHORTEN_CUT;
                c->keep = c->in_string || c->depth <= 0;
                ctx->history_pending_used = 0;
            }
        } else if (c->phase == SHORTEN_CUT && !c->keep) {
            const char *close = (const char *)memchr(p, '}', (size_t)(end - p));
            if (!close) return n;
            if (history_lines(ctx, file, kDots, sizeof kDots - 1, true) == kFileFull) return kFileFull;
            p = close;
            c->phase = SHORTEN_TAIL;
        } else if (c->phase == SHORTEN_CUT) {
            const char *q = p;
            size_t used = ctx->history_pending_used;
            char before = used ? ctx->history_pending[used - 1] : 0;
            bool ends = false;
            for (; q < end && *q != '}'; ++q) {
                if (*q == '\n' && (q > p ? q[-1] : before) == ';') {
                    ends = true;
                    ++q;
                    break;
                }
            }
            size_t more = (size_t)(q - p);
            if (!buffer_reserve(&ctx->history_pending, &ctx->history_pending_capacity, used + more)) {
                // No memory to keep it in: the command is written whole.
                if (history_lines(ctx, file, ctx->history_pending, used, true) == kFileFull) return kFileFull;
                ctx->history_pending_used = 0;
                c->shortened = 0;
                size_t taken = history_lines(ctx, file, p, (size_t)(end - p), true);
                return taken == kFileFull ? kFileFull : (size_t)(p - text) + taken;
            }
            memcpy(ctx->history_pending + used, p, more);
            ctx->history_pending_used = used + more;
            p = q;
            if (ends) {
                // No '}' came: the command is written as it is.
                if (history_lines(ctx, file, ctx->history_pending, ctx->history_pending_used, true) == kFileFull) {
                    return kFileFull;
                }
                ctx->history_pending_used = 0;
            } else if (p < end) {
                ctx->history_pending_used = 0;
                if (history_lines(ctx, file, kDots, sizeof kDots - 1, true) == kFileFull) return kFileFull;
                c->phase = SHORTEN_TAIL;
            }
        } else {
            size_t taken = history_lines(ctx, file, p, (size_t)(end - p), true);
            if (taken == kFileFull) return kFileFull;
            p += taken;
        }
    }
    return (size_t)(p - text);
}

// A history that stopped says so once, where the user looks, out of the
// files' way.
static void history_tell_stop(DebugThreadContext *ctx) {
    if (!ctx->gl_context->history_stopped || !ctx->history_stop_note[0] || ctx->ending) return;
    KeepLastError keep;
    status_printf(ctx, "%s", ctx->history_stop_note);
    ctx->history_stop_note[0] = 0;
}

// The command whose text was going into the file when it ended there
// (this thread's, or that of a thread ended from outside) is cut back out
// of it.
static void command_cut_back(GLContextRecord *record) {
    if (record->history_command_open && record->history.file) {
        append_cut(&record->history, record->history_command_start);
    }
    record->history_command_open = 0;
}

void history_file_end(GLContextRecord *record) {
    if (record->history.file) {
        command_cut_back(record);
        if (record->history_section) history_put(&record->history, kSectionEnd, sizeof kSectionEnd - 1, 0);
    }
    record->history_command_open = 0;
    record->history_section = 0;
}

// The command begun and not ended is given up: none of it stays in the file.
static void command_give_up(DebugThreadContext *ctx) {
    command_cut_back(ctx->gl_context);
    ctx->history_command = HistoryCommand();
    ctx->history_pending_used = 0;
}

// Writes a piece of the history text, as the commands begun in it are
// decided now (`written`, `shortened`) and those begun before were decided
// then.
static __attribute__((noinline)) void history_write_pieces(DebugThreadContext *ctx, AppendFile *file,
                                                           const char *text, size_t n, bool written,
                                                           bool shortened) {
    HistoryCommand *c = &ctx->history_command;
    GLContextRecord *record = ctx->gl_context;
    for (const char *p = text, *end = text + n; p < end;) {
        // A command begins after another's line end: no line is open, no
        // ';' waits for its line end.
        if (!c->open) {
            c->open = 1;
            c->written = written;
            c->shortened = shortened;
            if (shortened) {
                c->phase = SHORTEN_HEAD;
                c->braced = c->in_string = c->escaped = c->keep = 0;
                c->commas = 0;
                c->depth = 0;
            }
            if (written) {
                if (!record->history_section && !history_begin(ctx, file)) return;
                record->history_command_start = file->length.load(std::memory_order_relaxed);
            }
        }
        size_t taken;
        if (!c->written) {
            taken = command_drop(c, p, (size_t)(end - p));
        } else if (!c->shortened) {
            // The commands after it in the text are decided as it was, or
            // they begin afresh.
            taken = history_lines(ctx, file, p, (size_t)(end - p), !written || shortened);
        } else {
            taken = history_shortened(ctx, file, p, (size_t)(end - p));
        }
        if (taken == kFileFull) {
            command_give_up(ctx);
            history_failed(ctx);
            return;
        }
        p += taken;
    }
}

// The text of a short call comes whole: its commands begin and end in it,
// and are written as they are, in one pass.
static inline void history_write(DebugThreadContext *ctx, AppendFile *file, const char *text, size_t n) {
    GLContextRecord *record = ctx->gl_context;
    const bool written = ctx->history_on, shortened = written && ctx->history_limited;
    if (!written || shortened || ctx->history_command.open || n < 2 || text[n - 1] != '\n' || text[n - 2] != ';') {
        history_write_pieces(ctx, file, text, n, written, shortened);
        return;
    }
    int indent = ctx->libraries->history_indent;
    uint64_t commands = 0;
    if (!record->history_section && !history_begin(ctx, file)) return;
    if (!history_put(file, text, n, indent < 0 ? 0 : indent, &commands)) {
        history_failed(ctx);
        return;
    }
    record->history_commands += commands;
    record->history_section_commands += commands;
}

size_t GLSAPI history_write_file(size_t count, const GLubyte *bytes) {
    DebugThreadContext *ctx = writer_context();
    if (!ctx || count == 0) return count;
    GLContextRecord *record = ctx->gl_context;
    if (record->history_stopped) return count;
    // Writing leaves the thread's last error alone but where the file
    // fails, which keeps it (history_failed).
    if (files_enter(record)) {
        if (record->history.file) history_write(ctx, &record->history, (const char *)bytes, count);
        files_leave(record);
    }
    history_tell_stop(ctx);
    return count;
}

void history_open(DebugThreadContext *ctx, int clear) {
    GLContextRecord *record = ctx->gl_context;
    AppendFile *history = &record->history;
    ctx->history_command = HistoryCommand();
    ctx->history_pending_used = 0;
    // The file stays open while the record is not attached, so that a
    // program switching contexts opens and closes no file. A command or
    // section left open by a thread ended from outside, whose id this
    // thread got, is ended first; a Clear begins the file anew.
    if (files_enter(record)) {
        KeepLastError keep;
        history_file_end(record);
        if (clear == 1) append_close(history);
        files_leave(record);
    }
    if (clear == 1) {
        record->history_stopped = 0;
        record->history_commands = 0;
    }
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!record->history_stopped && !history->file) {
        KeepLastError keep;
        file = debugger_create_file(record->history_path, clear == 1 ? CREATE_ALWAYS : OPEN_ALWAYS);
        if (file == INVALID_HANDLE_VALUE) {
            // The calls go on all the same, with no history of this context.
            char reason[256];
            error_text(GetLastError(), reason, sizeof reason);
            record->history_stopped = 1;
            status_printf(ctx, "History stopped: could not open %s: %s", record->history_path, reason);
        }
    }
    if (files_enter(record)) {
        if (file != INVALID_HANDLE_VALUE) append_open(history, file);
        // With History on a section begins at once: a history just cleared
        // or attached reads as one.
        if (history->file && switch_on(ctx->process->History)) {
            KeepLastError keep;
            history_begin(ctx, history);
        }
        files_leave(record);
        history_tell_stop(ctx);
    } else if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    // The capture is open whether or not a file takes its text: through it
    // the thread's calls reach the wrappers.
    glsWriteFunc(history_write_file);
    glsBeginCapture((const GLubyte *)"", GLS_TEXT, 2);
    __glsCaptureShortenArrays(ctx->history_limited);
    glsWriteFunc(history_write_call_text);
}

void history_close(DebugThreadContext *ctx) {
    GLContextRecord *record = ctx->gl_context;
    glsEndCapture();
    if (!files_enter(record)) return;
    KeepLastError keep;
    // A command whose end never came (the writer failed in it) leaves
    // nothing of it.
    command_give_up(ctx);
    history_file_end(record);
    files_leave(record);
}

void history_file_close(GLContextRecord *record) {
    if (!files_enter(record)) return;
    if (record->history.file) {
        KeepLastError keep;
        history_file_end(record);
        append_close(&record->history);
    }
    files_leave(record);
}

void history_annotate(DebugThreadContext *ctx, const char *tag, const char *text) {
    ctx->history_on = switch_on(ctx->process->History);
    if (!ctx->history_on) return;
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
        AppendFile *calls = &record->list_calls;
        if (calls->file) {
            size_t n = strnlen(text, CALL_TEXT_CHARS);
            char *line = append_room(calls, n + 2);
            if (line) {
                copy_bytes(line, text, n);
                line[n] = '\r';
                line[n + 1] = '\n';
                append_commit(calls, n + 2);
            }
        }
        files_leave(record);
    }
    list_count_call(record);
}
