// Halt, step, skip and break: the commands a waiting thread carries out and
// the one wait, breaks, skips, the front-buffer switch, the GL error check
// and the status texts.
#include "halt.h"

#include <stdarg.h>
#include <string.h>

#include "api/embed.h"
#include "own_calls.h"
#include "text.h"
#include "ui_seam.h"
#include "analyses_attach.h"
#include "ring.h"
#include "history.h"

// ------------------------------------------------------- status and breaks

void status_printf(DebugThreadContext *ctx, const char *format, ...) {
    KeepLastError keep;
    char text[1024];
    va_list args;
    va_start(args, format);
    _vsnprintf_s(text, sizeof text, _TRUNCATE, format, args);
    va_end(args);
    interface_seam->set_status(ctx, text);
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
    KeepGLErrors errors(ctx);
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

// The errors are read and given back: the application's own glGetError
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
    bool raised = gl_errors_restore(ctx, &pending);
    record->errors_raised_again = raised ? (uint8_t)pending.count : 0;
    for (int k = 0; raised && k < pending.count; ++k) record->error_raised_again[k] = pending.codes[k];
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
        interface_seam->refresh_history(ctx);
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
        interface_seam->refresh_counts(ctx);
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
    interface_seam->refresh_all(ctx);
    status_printf(ctx, "%s", ctx->halt_status[0] ? ctx->halt_status : "Halted");
    ctx->halt_status[0] = 0;
}

// The process's end kills every thread but the quitting one wherever it
// is: one killed inside the system's code (drawing, a window the status
// changed, scanning the state, allocating) leaves that code's locks and
// heaps as they were, and the end of the process runs into them (Wine's
// Unix side, under load, then dies of a signal with no word). So a thread
// that comes to a halt once quitting has begun, halted before or running
// to its next call, calls nothing but one: it lets its GL context go, so
// that the GL dispatch library's thread-end handler has none to let go
// beside the process's end tearing that library down. It says so, and then
// waits on its ring, a wait that Wine's server ends without a signal.
// Quitting waits for the threads holding contexts to come here.
void halt_while_quitting(DebugThreadContext *ctx) {
    if (!debugger_quitting.load(std::memory_order_acquire)) return;
    if (!ctx->quit_let_go.load(std::memory_order_acquire)) {
        typedef BOOL(WINAPI * MakeCurrent)(HDC, HGLRC);
        {
            InSystem in_system(ctx);
            if (current_gl_handle(ctx)) ((MakeCurrent)ctx->libraries->wgl_procs[WGL_wglMakeCurrent])(nullptr, nullptr);
        }
        ctx->quit_let_go.store(1, std::memory_order_release);
    }
    while (debugger_quitting.load(std::memory_order_acquire)) ring_wait(&ctx->process->ui_commands);
}

int halt_wait(DebugThreadContext *ctx, bool *shown) {
    ProcessRecord *process = ctx->process;
    CommandRing *ring = &process->ui_commands;
    for (;;) {
        halt_while_quitting(ctx);
        bool halted = thread_halted(process);
        if (!halted && !ring_not_empty(ring)) return HALT_PROCEED;
        if (halted && !*shown) {
            halt_refresh_ui(ctx);
            *shown = true;
        }
        if (!ring_not_empty(ring)) {
            ring_wait(ring);
            continue;
        }
        int answer = halt_process_command(ctx);
        if (answer != HALT_WAIT) return answer;
    }
}

int halt_at_swap(DebugThreadContext *ctx, const char *name) {
    ProcessRecord *process = ctx->process;
    break_on_swap_check(ctx, GDI_SwapBuffers);
    if (!ring_not_empty(&process->ui_commands) && !thread_halted(process)) return 0;
    lstrcpynA(process->call_text, name, CALL_TEXT_CHARS);
    bool shown = false;
    return halt_wait(ctx, &shown) == HALT_SKIP;
}
