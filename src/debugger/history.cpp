// The call history and the current-call text. Each thread's GLS context has
// the wrappers as capture functions and one GLS text capture open on the
// history file of the attached GL context; two write functions take the
// text: one appends the history to its file (CR LF line ends, indented, data
// shortened on request), one puts the text of the call being rendered into
// the thread's current-call text. While a display list is compiled the call
// texts also go to the thread's list\calls file.
#include <string.h>

#include "api/api.h"
#include "core/context.h"
#include "debugger_tables.h"
#include "engine.h"
#include "api/gls_commands.h"

// The thread's debugger context, from the GLS context a write function runs
// under.
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

void history_open(DebugThreadContext *ctx, int clear) {
    GLContextRecord *record = ctx->gl_context;
    // Binary: the write function puts CR LF itself, once per line.
    FILE *file = debugger_open_file(record->history_path, clear == 1 ? "wb" : "ab");
    if (!file) {
        fatal_error_box("gls", __LINE__, "Could not open %s.", record->history_path);
        ExitProcess(1);
    }
    record->history_file = file;
    glsWriteFunc(history_write_file);
    glsBeginCapture((const GLubyte *)"", GLS_TEXT, 0);
    glsWriteFunc(history_write_call_text);
}

void history_close(DebugThreadContext *ctx) {
    GLContextRecord *record = ctx->gl_context;
    glsEndCapture();
    FILE *file = record->history_file;
    record->history_file = nullptr;
    if (file) fclose(file);
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

// Writes the history text: each LF-ended line with CR LF, each piece indented
// by two blanks per level, into one buffer and then the file at once.
static void history_put(FILE *file, const char *text, size_t n, int indent) {
    char buffer[8192];
    size_t used = 0;
    auto put = [&](const char *bytes, size_t count) {
        if (used + count > sizeof buffer) {
            fwrite(buffer, 1, used, file);
            used = 0;
        }
        if (count > sizeof buffer) {
            fwrite(bytes, 1, count, file);
        } else {
            memcpy(buffer + used, bytes, count);
            used += count;
        }
    };
    const char *p = text, *end = text + n;
    if (indent <= 0 && !memchr(text, '\n', n)) {
        put(text, n);
    } else {
        while (p < end) {
            if (indent > 0) {
                for (int i = 0; i < 2 * indent; ++i) put(" ", 1);
            }
            const char *lf = (const char *)memchr(p, '\n', (size_t)(end - p));
            if (lf) {
                put(p, (size_t)(lf - p));
                put("\r\n", 2);
                p = lf + 1;
            } else {
                put(p, (size_t)(end - p));
                if (indent <= 0) put("\r\n", 2);
                p = end;
            }
        }
    }
    fwrite(buffer, 1, used, file);
}

size_t GLSAPI history_write_file(size_t count, const GLubyte *bytes) {
    DebugThreadContext *ctx = writer_context();
    if (!ctx || !switch_on(ctx->process->History)) return count;
    FILE *file = ctx->gl_context->history_file;
    if (!file || count == 0) return count;
    const char *text = (const char *)bytes;
    size_t n = count;
    char shortened[MESSAGE_TEXT_CHARS];
    if (switch_on(ctx->process->Limit_data_dumps) &&
        history_shorten_data(count, text, shortened, sizeof shortened)) {
        text = shortened;
        n = strlen(shortened);
    }
    history_put(file, text, n, ctx->libraries->history_indent);
    // On disk at once: the history must hold the last call made when the
    // application crashes right after it.
    fflush(file);
    return count;
}

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
    if (record->list_calls_file && !debugger_unloading.load(std::memory_order_acquire)) {
        fprintf(record->list_calls_file, "%s\r\n", text);
    }
    if (record->current_list) ++record->current_list->recorded_calls;
}
