// The debugger's own GL calls on the attached context: when it may make
// them, how they stay out of the history, and how the GL errors pending
// around them stay the application's (own_calls.cpp).
#pragma once

#include "gate.h"
#include "thread_context.h"

// Whether the debugger may make GL calls of its own on the attached context:
// a real one, current on the thread (an application may have let it go by a
// way the debugger does not see), not between glBegin and glEnd.
static inline bool own_calls_allowed(DebugThreadContext *ctx) {
    const GLContextRecord *record = ctx->gl_context;
    return !record->in_begin_end && record->handle != 0 && current_gl_handle(ctx) == record->handle;
}

// The capture flags of `op`, set to execute only for a call the debugger
// makes itself and restored after it, so the history keeps what the trace
// selection says about the application's own calls of the command.
// The call is inside the gate's bracket (gate.h), as the application's are,
// when the thread making it is the context's own.
struct OwnCall {
    GLSopcode op;
    GLbitfield saved;
    DebugThreadContext *ctx;
    explicit OwnCall(GLSopcode opcode) : op(opcode), saved(glsGetCaptureFlags(opcode)), ctx(context_current()) {
        glsCaptureFlags(op, 1);
        if (ctx && ctx->thread_id != GetCurrentThreadId()) ctx = nullptr;
        if (ctx) system_enter(ctx);
    }
    ~OwnCall() {
        if (ctx) system_leave(ctx);
        glsCaptureFlags(op, saved);
    }
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
// Gives errors read from the attached context back to the application, as
// the GL would have kept them: raised again, each by a call that raises it
// and does nothing else, when every one can be; else kept in the context's
// record, in the order read, for the application's next glGetError calls
// (GL_OUT_OF_MEMORY, say, which no call raises). Errors read while some are
// kept came after them: kept too by a GL with several error flags, dropped
// by one with a single flag, which was taken. 1 when they were raised again.
bool gl_errors_restore(DebugThreadContext *ctx, const GLErrors *errors);
// The answer to the application's glGetError while errors are kept, `read`
// being what the GL answered it: the first kept, or, between glBegin and
// glEnd, where the GL refuses the call, 0 as the GL answered.
GLenum gl_errors_answer(DebugThreadContext *ctx, GLenum read);
// Takes over the errors other threads' records of the attached context keep:
// the context was current there, and the application may read them here.
void gl_errors_adopt(DebugThreadContext *ctx);

// Around GL calls the debugger makes of its own on the attached context: the
// errors pending before are taken away and given back after, those of its
// own calls dropped, so the application's glGetError answers as without it.
struct KeepGLErrors {
    DebugThreadContext *ctx;
    GLErrors pending;
    explicit KeepGLErrors(DebugThreadContext *thread) : ctx(thread) { gl_errors_take(&pending); }
    ~KeepGLErrors() {
        GLErrors own;
        gl_errors_take(&own);
        gl_errors_restore(ctx, &pending);
    }
};
