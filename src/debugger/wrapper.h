// The one body of the debugger's wrappers. The generated wrapper of each GL
// command id instantiates it with the id, the command's GLS opcode, the
// capture call that performs the command (its checked capture, or the empty
// placeholder of a command GLS has no opcode for) and the command's check
// (nullptr when it has none), and passes its own arguments on.
//
// `Long` says the command's text may be long (tools/model.py, long_text).
//
// A wrapper is installed as the GLS capture function of its opcode, so every
// call of the command on a thread under the debugger arrives here: the call
// may break the thread, is rendered as GLS text while the thread is halted,
// a command from the interface waits or a display list is being compiled,
// waits for the user while halted, is performed (executed and, as its trace
// selection says, written to the history), counted and checked, and halts the
// thread after the call when a check or the GL error state reports anything
// while "GL warnings/errors" is on.
#pragma once

#include <type_traits>

#include "api/embed.h"
#include "debugger_tables.h"
#include "gate.h"
#include "halt.h"
#include "own_calls.h"
#include "ring.h"
#include "thread_context.h"

// Renders the call into the current-call text: written by a text capture of
// its own (no framing) and not executed, the vertex arrays drawn by it left
// unexpanded, the opcode's capture flags restored after.
template <GLSopcode Op, auto Capture, typename... A>
static void wrapper_render(DebugThreadContext *ctx, A... args) {
    GLbitfield saved_flags = glsGetCaptureFlags(Op);
    glsCaptureFlags(Op, 2);
    GLboolean arrays = __glsIsAttribEnabled(GLS_CAPTURE_VERTEX_ARRAYS);
    if (arrays) __glsDisableAttrib(GLS_CAPTURE_VERTEX_ARRAYS);
    ctx->call_text_state.fresh = 1;
    if (glsBeginCapture((const GLubyte *)"", GLS_TEXT, 2)) {
        Capture(args...);
        glsEndCapture();
    }
    ctx->call_text_state.fresh = 0;
    glsFlush();
    if (arrays) __glsEnableAttrib(GLS_CAPTURE_VERTEX_ARRAYS);
    glsCaptureFlags(Op, saved_flags);
}

// Performs the call, written to the history as `history` says. Without it
// nothing the capture writes would reach the file, so the call is only
// executed: the writing would cost far more than the call. The call into the
// system is inside the gate's bracket (gate.h), and so is the writing of a
// short text, which takes no time; a text that may be long (`Long`: an
// image, say, seconds of writing) is written after the call, out of the
// system, so that no interface thread waits for it.
template <GLSopcode Op, auto Capture, bool Long, typename... A>
static inline auto wrapper_perform(DebugThreadContext *ctx, bool history, A... args) -> decltype(Capture(args...)) {
    if (history && !Long) {
        InSystem in_system(ctx);
        return Capture(args...);
    }
    GLubyte *slot = __glsCaptureFlagsSlot(Op);
    GLubyte flags = *slot;
    struct Restore {
        GLubyte *slot, flags;
        ~Restore() { *slot = flags; }
    } restore{slot, flags};
    *slot = flags & (GLubyte)~__GLS_CAPTURE_WRITE;
    if constexpr (Long) {
        if (history && (flags & __GLS_CAPTURE_WRITE)) {
            auto call = [&] {
                InSystem in_system(ctx);
                return Capture(args...);
            };
            using Result = decltype(Capture(args...));
            if constexpr (std::is_void_v<Result>) {
                call();
                *slot = flags & (GLubyte)~__GLS_CAPTURE_EXECUTE;
                Capture(args...);
                return;
            } else {
                Result result = call();
                *slot = flags & (GLubyte)~__GLS_CAPTURE_EXECUTE;
                Capture(args...);
                return result;
            }
        }
    }
    InSystem in_system(ctx);
    return Capture(args...);
}

template <unsigned Id, GLSopcode Op, auto Capture, auto Hook, bool Long, typename... A>
static inline __attribute__((always_inline)) auto wrapper_body(A... args)
    -> decltype(Capture(args...)) {
    using Result = decltype(Capture(args...));
    constexpr bool returns = !std::is_void_v<Result>;
    using Held = std::conditional_t<returns, Result, int>;

    DebugThreadContext *ctx = context_get();
    ProcessRecord *process = ctx->process;
    bool text_done = false, executed = false, halt_shown = false;
    Held result{};

    front_buffer_update(ctx);
    break_on_call_check(ctx, Id);
    bool skip = skip_check(ctx, Id);
    process->message_text[0] = 0;

    for (;;) {
        if (ring_not_empty(&process->ui_commands) || thread_halted(process) ||
            ctx->gl_context->compiling_list == 1) {
            // What the interface and the halt do here is not seen in the
            // last error the application reads after the call.
            KeepLastError keep;
            halt_while_quitting(ctx);
            if (!text_done) {
                wrapper_render<Op, Capture>(ctx, args...);
                if (skip) skip_mark(ctx);
                text_done = true;
            }
            if (halt_wait(ctx, &halt_shown) == HALT_SKIP) skip = true;
        }
        if (skip) {
            // A call performed before the thread halted after it keeps its
            // result; one never performed answers 0.
            if constexpr (returns) return executed ? result : Result(0);
            else return;
        }
        if (executed) break;
        // History as the call begins decides for all of its text, however
        // long the writing takes: a switch turned meanwhile takes effect at
        // the next call.
        const bool history = switch_on(process->History);
        ctx->history_on = history;
        if constexpr (returns) {
            result = wrapper_perform<Op, Capture, Long>(ctx, history, args...);
        } else {
            wrapper_perform<Op, Capture, Long>(ctx, history, args...);
        }
        // The call's text goes to the history at once: a process that dies
        // right after it keeps it.
        if (history) __glsCaptureFlush();
        call_count(ctx, Id);
        if constexpr (!std::is_same_v<decltype(Hook), std::nullptr_t>) Hook(ctx, args...);
        executed = true;
        if (!switch_on(process->Check_for_GL_error)) break;
        warn_no_gl_context(ctx);
        gl_error_check(ctx);
        if (process->message_text[0] == 0) break;
        // Halted after the call: the panel shows the call with what was
        // reported about it, refreshed even when it was shown before the call.
        process->run_state.store(RUN_STATE_HALTED, std::memory_order_release);
        if (!text_done) {
            wrapper_render<Op, Capture>(ctx, args...);
            text_done = true;
        }
        halt_show_message(ctx);
        halt_shown = false;
    }
    // Errors the debugger read that no call could raise again come first,
    // as the GL would have given them.
    if constexpr (Op == __GLS_OP_glGetError) {
        if (ctx->gl_context->errors_kept) [[unlikely]] result = gl_errors_answer(ctx, result);
    }
    if constexpr (returns) return result;
}
