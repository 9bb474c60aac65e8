// Halt, step, skip and break: the command ring from the interface, the
// commands a waiting thread carries out, breaks, skips, the front-buffer
// switch, the GL error check and the status texts.
#include <stdarg.h>
#include <string.h>

#include "api/embed.h"
#include "engine.h"
#include "ui/ui.h"

// ------------------------------------------------------------ GL errors

// A GL context that keeps reporting an error (one that is lost, say) is not
// asked for ever.
enum { MAX_ERRORS_DRAINED = 64 };

void gl_errors_take(GLErrors *errors) {
    OwnCall get_error(__GLS_OP_glGetError);
    errors->count = 0;
    for (int i = 0; i < MAX_ERRORS_DRAINED; ++i) {
        GLenum error = __gls_checked_capture_glGetError();
        if (error == 0) break;
        bool known = false;
        for (int k = 0; k < errors->count; ++k) known = known || errors->codes[k] == error;
        if (!known && errors->count < GLErrors::KEPT) errors->codes[errors->count++] = error;
    }
}

// Raises `error` again by a call that raises it and does nothing else, and
// that the GL performs at once also while a display list is compiled.
static void gl_error_raise(GLenum error) {
    enum { LIST_INDEX = 0x0B33, CLIENT_DEPTH = 0x0BB1, MAX_CLIENT_DEPTH = 0x0D3B, ALL_CLIENT = -1 };
    OwnCall get_integer(__GLS_OP_glGetIntegerv), gen_lists(__GLS_OP_glGenLists),
        new_list(__GLS_OP_glNewList), end_list(__GLS_OP_glEndList),
        push(__GLS_OP_glPushClientAttrib), pop(__GLS_OP_glPopClientAttrib);
    GLint value = 0, depth = 0, max_depth = 0;
    switch (error) {
    case 0x0500:  // GL_INVALID_ENUM
        __gls_checked_capture_glGetIntegerv(0, &value);
        break;
    case 0x0501:  // GL_INVALID_VALUE
        __gls_checked_capture_glGenLists(-1);
        break;
    case 0x0502:  // GL_INVALID_OPERATION
        __gls_checked_capture_glGetIntegerv(LIST_INDEX, &value);
        if (value != 0) {
            __gls_checked_capture_glNewList(1, 0x1300);  // GL_COMPILE
        } else {
            __gls_checked_capture_glEndList();
        }
        break;
    case 0x0503:  // GL_STACK_OVERFLOW: the client stack filled, one more, then as it was
        __gls_checked_capture_glGetIntegerv(CLIENT_DEPTH, &depth);
        __gls_checked_capture_glGetIntegerv(MAX_CLIENT_DEPTH, &max_depth);
        for (GLint i = depth; i <= max_depth; ++i) __gls_checked_capture_glPushClientAttrib((GLbitfield)ALL_CLIENT);
        for (GLint i = depth; i < max_depth; ++i) __gls_checked_capture_glPopClientAttrib();
        break;
    case 0x0504:  // GL_STACK_UNDERFLOW, while the client stack is empty
        __gls_checked_capture_glGetIntegerv(CLIENT_DEPTH, &depth);
        if (depth == 0) __gls_checked_capture_glPopClientAttrib();
        break;
    default:
        break;
    }
}

void gl_errors_raise(const GLErrors *errors) {
    for (int k = 0; k < errors->count; ++k) gl_error_raise(errors->codes[k]);
}

void text_append(char *text, size_t capacity, const char *more) {
    static const char mark[] = "...";
    if (capacity < sizeof mark) return;
    size_t n = strnlen(text, capacity - 1);
    size_t m = strlen(more);
    if (n + m < capacity) {
        memcpy(text + n, more, m + 1);
        return;
    }
    size_t keep = capacity - sizeof mark;
    if (n == capacity - 1 && memcmp(text + n - 3, mark, 3) == 0) return;
    if (n < keep) memcpy(text + n, more, keep - n);
    memcpy(text + keep, mark, sizeof mark);
}

// ------------------------------------------------------------------ ring

void ring_post(CommandRing *ring, uint32_t code) {
    switch (code) {
    case CMD_FRONT_BUFFER_OFF: case CMD_FRONT_BUFFER_ON: case CMD_HALT: case CMD_CLEAR_HISTORY:
    case CMD_APPLY_TRACE: case CMD_CONTINUE: case CMD_SKIP: case CMD_STEP:
    case CMD_VERTEX_ARRAYS_OFF: case CMD_VERTEX_ARRAYS_ON:
    case CMD_CLEAR_CALL_COUNTS: case CMD_CLEAR_PRIMITIVE_COUNTS:
        break;
    default:
        return;
    }
    for (unsigned polls = 0; ring->post_lock.exchange(1, std::memory_order_acquire); ++polls) {
        halt_pause(polls);
    }
    uint32_t write = ring->write_index.load(std::memory_order_relaxed);
    uint32_t next = (write + 1) % RING_SLOTS;
    if (next != ring->read_index.load(std::memory_order_acquire)) {
        ring->slots[write].code = code;
        ring->write_index.store(next, std::memory_order_release);
    }
    ring->post_lock.store(0, std::memory_order_release);
}

void ring_pop(CommandRing *ring, CommandSlot *out) {
    uint32_t read = ring->read_index.load(std::memory_order_relaxed);
    if (read == ring->write_index.load(std::memory_order_acquire)) {
        out->code = CMD_NONE;
        return;
    }
    *out = ring->slots[read];
    ring->read_index.store((read + 1) % RING_SLOTS, std::memory_order_release);
}

void halt_pause(unsigned polls) {
    // A few quick turns for a command that comes at once, then a nap: a
    // halted thread costs next to nothing while it waits for a person.
    if (polls < 64) {
        SwitchToThread();
    } else {
        Sleep(1);
    }
}

// ------------------------------------------------------- status and breaks

void status_printf(DebugThreadContext *ctx, const char *format, ...) {
    KeepLastError keep;
    char text[1024];
    va_list args;
    va_start(args, format);
    _vsnprintf_s(text, sizeof text, _TRUNCATE, format, args);
    va_end(args);
    ui_panel_set_status(ctx, text);
}

// The break's status stays once the halt has refreshed the windows: it says
// why the thread halted.
static void halt_with_break(DebugThreadContext *ctx, const char *name) {
    ctx->process->run_state.store(RUN_STATE_HALTED, std::memory_order_release);
    _snprintf_s(ctx->halt_status, sizeof ctx->halt_status, _TRUNCATE, "Halted (Break on %s)", name);
    status_printf(ctx, "%s", ctx->halt_status);
}

void halt_break(DebugThreadContext *ctx, unsigned id) {
    halt_with_break(ctx, ctx->master->gl_names[id]);
}

void break_on_swap_check(DebugThreadContext *ctx, unsigned gdi_index) {
    ProcessRecord *process = ctx->process;
    if (gdi_index == GDI_SwapBuffers && switch_on(process->Break_on_SwapBuffers) &&
        process->run_state.load(std::memory_order_acquire) == RUN_STATE_RUNNING) {
        halt_with_break(ctx, ctx->master->gdi_names[gdi_index]);
    }
}

void skip_mark(DebugThreadContext *ctx) {
    static const char marker[] = " /* skip */";
    char *text = ctx->process->call_text;
    size_t n = strnlen(text, CALL_TEXT_CHARS);
    // Marked once: a running thread skips many calls without showing any.
    if (n >= sizeof marker - 1 && strcmp(text + n - (sizeof marker - 1), marker) == 0) return;
    text_append(text, CALL_TEXT_CHARS, marker);
}

// ------------------------------------------------ the debugger's own calls

void front_buffer_apply(DebugThreadContext *ctx) {
    ProcessRecord *process = ctx->process;
    uint32_t request = process->front_buffer_request;
    if (request == 0 || !own_calls_allowed(ctx)) return;
    KeepGLErrors errors;
    OwnCall draw(__GLS_OP_glDrawBuffer), read(__GLS_OP_glReadBuffer);
    if (request == 2) {
        OwnCall get(__GLS_OP_glGetIntegerv);
        GLint value = 0x0404;
        __gls_checked_capture_glGetIntegerv(0x0C01, &value);  // GL_DRAW_BUFFER
        process->saved_draw_buffer = (uint32_t)value;
        value = 0x0404;
        __gls_checked_capture_glGetIntegerv(0x0C02, &value);  // GL_READ_BUFFER
        process->saved_read_buffer = (uint32_t)value;
        __gls_checked_capture_glDrawBuffer(0x0404);  // GL_FRONT
        __gls_checked_capture_glReadBuffer(0x0404);
    } else if (request == 1) {
        __gls_checked_capture_glDrawBuffer(process->saved_draw_buffer);
        __gls_checked_capture_glReadBuffer(process->saved_read_buffer);
    }
    process->front_buffer_state = request;
    process->front_buffer_request = 0;
}

void warn_no_gl_context(DebugThreadContext *ctx) {
    if (ctx->gl_context->handle == 0) {
        text_append(ctx->process->message_text, MESSAGE_TEXT_CHARS, "\nWarning: No GL context.");
    }
}

// The errors are read and raised again: the application's own glGetError
// still finds the error its call made. One raised again is not reported
// again while it waits to be read.
void gl_error_check(DebugThreadContext *ctx) {
    GLContextRecord *record = ctx->gl_context;
    if (!own_calls_allowed(ctx)) return;
    GLErrors pending;
    gl_errors_take(&pending);
    GLenum error = 0;
    for (int k = 0; k < pending.count && !error; ++k) {
        bool reported = false;
        for (int j = 0; j < record->errors_raised_again; ++j) {
            reported = reported || record->error_raised_again[j] == pending.codes[k];
        }
        if (!reported) error = pending.codes[k];
    }
    gl_errors_raise(&pending);
    record->errors_raised_again = (uint8_t)pending.count;
    for (int k = 0; k < pending.count; ++k) record->error_raised_again[k] = pending.codes[k];
    if (error == 0) return;
    KeepLastError keep;
    char text[257];
    if (!glu_error_text(ctx, error, text, sizeof text)) {
        _snprintf_s(text, sizeof text, _TRUNCATE, "0x%04X", error);
    }
    char message[257];
    _snprintf_s(message, sizeof message, _TRUNCATE, "\nGL Error: %s.", text);
    text_append(ctx->process->message_text, MESSAGE_TEXT_CHARS, message);
}

// ----------------------------------------------------------------- waiting

int halt_process_command(DebugThreadContext *ctx) {
    ProcessRecord *process = ctx->process;
    CommandSlot slot;
    ring_pop(&process->ui_commands, &slot);
    switch (slot.code) {
    case CMD_FRONT_BUFFER_OFF:
    case CMD_FRONT_BUFFER_ON:
        process->front_buffer_request = slot.code == CMD_FRONT_BUFFER_ON ? 2 : 1;
        front_buffer_update(ctx);
        return HALT_WAIT;
    case CMD_HALT:
        process->run_state.store(RUN_STATE_HALTED, std::memory_order_release);
        status_printf(ctx, "Halted");
        return HALT_WAIT;
    case CMD_CLEAR_HISTORY:
        history_close(ctx);
        history_open(ctx, 1);
        ui_history_refresh(ctx);
        return HALT_WAIT;
    case CMD_APPLY_TRACE:
        history_apply_flags(ctx);
        return HALT_WAIT;
    case CMD_CONTINUE:
        process->run_state.store(RUN_STATE_RUNNING, std::memory_order_release);
        status_printf(ctx, "Running");
        return HALT_PROCEED;
    case CMD_SKIP:
        status_printf(ctx, "Call skipped");
        return HALT_SKIP;
    case CMD_STEP:
        status_printf(ctx, "Step");
        return HALT_PROCEED;
    case CMD_VERTEX_ARRAYS_OFF:
        __glsDisableAttrib(GLS_CAPTURE_VERTEX_ARRAYS);
        return HALT_WAIT;
    case CMD_VERTEX_ARRAYS_ON:
        __glsEnableAttrib(GLS_CAPTURE_VERTEX_ARRAYS);
        return HALT_WAIT;
    case CMD_CLEAR_CALL_COUNTS:
    case CMD_CLEAR_PRIMITIVE_COUNTS:
        process_counts_clear(process, slot.code);
        ui_counts_refresh(ctx);
        return HALT_WAIT;
    default:
        return HALT_WAIT;
    }
}

void halt_show_message(DebugThreadContext *ctx) {
    ProcessRecord *process = ctx->process;
    char lines[2 * MESSAGE_TEXT_CHARS];
    size_t n = 0;
    for (const char *p = process->message_text; *p && n + 2 < sizeof lines; ++p) {
        if (*p == '\n') lines[n++] = '\r';
        lines[n++] = *p;
    }
    lines[n] = 0;
    text_append(process->call_text, CALL_TEXT_CHARS, lines);
}

void halt_refresh_ui(DebugThreadContext *ctx) {
    status_printf(ctx, "Updating ...");
    glsFlush();
    if (own_calls_allowed(ctx)) state_scan(ctx);
    ui_refresh_all(ctx);
    status_printf(ctx, "%s", ctx->halt_status[0] ? ctx->halt_status : "Halted");
    ctx->halt_status[0] = 0;
}

int halt_at_swap(DebugThreadContext *ctx, const char *name) {
    ProcessRecord *process = ctx->process;
    bool text_done = false, halt_shown = false;
    break_on_swap_check(ctx, GDI_SwapBuffers);
    for (unsigned polls = 0;; ++polls) {
        if (!ring_not_empty(&process->ui_commands) && !thread_halted(process)) return 0;
        if (!text_done) {
            lstrcpynA(process->call_text, name, CALL_TEXT_CHARS);
            text_done = true;
        }
        if (thread_halted(process) && !halt_shown) {
            halt_refresh_ui(ctx);
            halt_shown = true;
        }
        int answer = halt_process_command(ctx);
        if (answer == HALT_PROCEED) return 0;
        if (answer == HALT_SKIP) return 1;
        if (!ring_not_empty(&process->ui_commands)) halt_pause(polls);
    }
}
