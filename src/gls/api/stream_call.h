// The bracket around every stream call (glsCallArray, glsCallStream,
// glsCopyStream), and the walk that executes a context stream: calls nest up to the limit, the read position of the
// caller survives the call, and an abort ends with the outermost call.
#pragma once

#include "core/context.h"
#include "stream/context_stream.h"

struct __GLSstreamCall {
    GLint callNesting;
    GLulong readBase;
    GLubyte *readStart;
    GLubyte **readCursor;
    GLint readForeign;
    const GLubyte *recordArgs;
    GLulong recordArgBytes;
};

extern "C" {

// 1 when a call may start. At the nesting limit every call in progress
// ends: GLS_STATE_ERROR, and the abort turns the decoders into no-ops and
// stops the walks until the outermost call returns.
GLboolean __glsStreamCallAdmit(__GLScontext *ctx);

// Saves the caller's read position and nesting and enters one level; the
// facts about the real GL are asked afresh for each outermost call. The
// stream is taken as the process's own until the caller says otherwise.
void __glsStreamCallBegin(__GLScontext *ctx, __GLSstreamCall *saved);

// Restores what Begin saved; the outermost call forgets an abort.
void __glsStreamCallEnd(__GLScontext *ctx, const __GLSstreamCall *saved);

// Executes every record through the current context's decodeFuncs. A
// malformed record raises GLS_DECODE_ERROR and ends the walk. A stream
// whose delete is pending is freed by its outermost execution.
void __glsContextStreamExecute(__GLScontextStream *stream);

}  // extern "C"
