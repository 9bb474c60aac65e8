// Halt, step, skip and break: the commands a waiting thread carries out,
// the one wait, breaks, skips, the front-buffer switch, the GL error check
// and the status texts (halt.cpp), with the fast tests every wrapper makes
// inline.
#pragma once

#include "history.h"
#include "ring.h"
#include "thread_context.h"

enum HaltAnswer : int { HALT_PROCEED = 1, HALT_WAIT = 2, HALT_SKIP = 3 };

extern "C" {
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
// The one wait of a thread at a call or a buffer swap, while it is halted
// or the interface has posted commands: the first time it finds itself
// halted the windows are refreshed (`shown` says so), the commands are
// carried out as they come, and the thread sleeps until the next is
// posted. HALT_PROCEED when the thread goes on with the call, HALT_SKIP when
// it is to skip it.
int halt_wait(DebugThreadContext *ctx, bool *shown);
// Once quitting has begun, a thread that comes to a halt waits, doing
// nothing, for the process to end; otherwise returns at once.
void halt_while_quitting(DebugThreadContext *ctx);
// Waits at a buffer swap (wglSwapBuffers, SwapBuffers): breaks, shows
// `name` as the current call while halted and takes commands until one lets
// the swap go on. 1 when the swap is to be skipped.
int halt_at_swap(DebugThreadContext *ctx, const char *name);

}  // extern "C"

// -------------------------------------------------- inline fast tests
// The tests every wrapper makes on a running thread with nothing waiting;
// their slow halves are out of line.

static inline bool switch_on(const std::atomic<uint32_t> &word) {
    return word.load(std::memory_order_acquire) == 1;
}

static inline bool thread_halted(const ProcessRecord *process) {
    return process->run_state.load(std::memory_order_acquire) == RUN_STATE_HALTED;
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

