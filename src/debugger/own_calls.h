// The debugger's own GL calls on the attached context: when it may make
// them, how they stay out of the history, and how the GL errors pending
// around them stay the application's (own_calls.cpp).
#pragma once

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
struct OwnCall {
    GLSopcode op;
    GLbitfield saved;
    explicit OwnCall(GLSopcode opcode) : op(opcode), saved(glsGetCaptureFlags(opcode)) {
        glsCaptureFlags(op, 1);
    }
    ~OwnCall() { glsCaptureFlags(op, saved); }
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
// Raises each again, by a call that raises it and does nothing else. An
// error no such call raises (GL_OUT_OF_MEMORY, say) is not raised.
void gl_errors_raise(const GLErrors *errors);

// Around GL calls the debugger makes of its own on the attached context: the
// errors pending before are taken away and raised again after, those of its
// own calls dropped, so the application's glGetError answers as without it.
struct KeepGLErrors {
    GLErrors pending;
    KeepGLErrors() { gl_errors_take(&pending); }
    ~KeepGLErrors() {
        GLErrors own;
        gl_errors_take(&own);
        gl_errors_raise(&pending);
    }
};

