// Opening and closing captures, the capture flags of each opcode and the
// per-opcode command functions.
#include <stdlib.h>

#include "api/api.h"
#include "core/opcodes.h"
#include "core/seam.h"
#include "read/decode.h"

extern "C" {

GLboolean glsBeginCapture(const GLubyte *streamName, GLSenum streamType, GLbitfield writeFlags) {
    if (!__glsRequireContext()) return GL_FALSE;
    __GLScontext *ctx = __glsGetContext();
    if (ctx->captureNesting >= __GLS_MAX_CAPTURE_NESTING) {
        __glsRaiseError(GLS_STATE_ERROR);
        return GL_FALSE;
    }
    if (writeFlags > 3) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return GL_FALSE;
    }
    __GLSutf8Arg name;
    if (!__glsStringArg(&name, ctx, streamName)) {
        __glsArgToUtf8Free(&name);
        return GL_FALSE;
    }
    __GLSwriter *writer = nullptr;
    if (streamType < GLS_CONTEXT || streamType > GLS_TEXT) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
    } else {
        writer = __glsWriterCreateIn(&ctx->spareWriter, name.text, streamType, writeFlags);
    }
    __glsArgToUtf8Free(&name);
    if (!writer) return GL_FALSE;
    if (ctx->captureNesting++ == 0) {
        // The first level: the facts of the real GL may have changed since
        // the context last looked, and commands now go to the capture.
        if (ctx->callNesting == 0) __glsGLInfoReset(&ctx->glInfo);
        __glsUpdateDispatch(ctx);
    }
    ctx->writerStack[ctx->captureNesting - 1] = writer;
    ctx->writer = writer;
    return GL_TRUE;
}

void glsEndCapture(void) {
    if (!__glsRequireContext()) return;
    __GLScontext *ctx = __glsGetContext();
    if (ctx->captureNesting < 1) {
        __glsRaiseError(GLS_STATE_ERROR);
        return;
    }
    GLint level = --ctx->captureNesting;
    ctx->writerStack[level] = __glsWriterEnd(ctx->writerStack[level], &ctx->spareWriter);
    ctx->writer = level > 0 ? ctx->writerStack[level - 1] : nullptr;
    if (level == 0) __glsUpdateDispatch(ctx);
}

void glsFlush(void) {
    if (!__glsRequireContext()) return;
    __GLScontext *ctx = __glsGetContext();
    if (!ctx->writer) return;
    __glsWriterFlush(ctx->writer);
    FILE *file = __glsWriterOutputFile(ctx->writer);
    if (file && fflush(file) != 0) {
        __glsRaiseError(GLS_IO_ERROR);
        clearerr(file);
        __glsWriterSetFailed(ctx->writer);
    }
}

void __glsResetAlignPhase(void) {
    __GLScontext *ctx = __glsGetContext();
    if (ctx && ctx->writer) __glsWriterResetAlignPhase(ctx->writer);
}

// The framing commands belong to the writer: their flags never change.
static GLboolean __glsIsFramingOpcode(GLSopcode opcode) {
    return opcode == __GLS_OP_glsBeginGLS || opcode == __GLS_OP_glsEndGLS ||
           opcode == __GLS_OP_glsPad;
}

void glsCaptureFlags(GLSopcode opcode, GLbitfield flags) {
    if (!__glsRequireContext() || !__glsValidOpcode(opcode)) return;
    if (flags > 7) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return;
    }
    if (__glsIsFramingOpcode(opcode)) return;
    __glsGetContext()->captureFlags[opcode] = (GLubyte)flags;
}

GLbitfield glsGetCaptureFlags(GLSopcode opcode) {
    if (!__glsRequireContext() || !__glsValidOpcode(opcode)) return 0;
    return __glsGetContext()->captureFlags[opcode];
}

void __glsSetCommandFunc(GLSenum attrib, GLSopcode opcode, __GLSfunc func) {
    if (!__glsRequireContext() || !__glsValidOpcode(opcode)) return;
    __GLScontext *ctx = __glsGetContext();
    switch (attrib) {
    case GLS_CALL_FUNC:
        ctx->callOverride[opcode] = func;
        ctx->callFuncs[opcode] = func ? func : ctx->dispatch[opcode];
        break;
    case GLS_CAPTURE_FUNC:
        ctx->captureFuncs[opcode] = func ? func : __glsDefaultCaptureTable[opcode];
        break;
    default:
        __glsRaiseError(GLS_PARAMETER_ERROR);
    }
}

__GLSfunc __glsGetCommandFunc(GLSenum attrib, GLSopcode opcode) {
    if (!__glsRequireContext() || !__glsValidOpcode(opcode)) return nullptr;
    __GLScontext *ctx = __glsGetContext();
    switch (attrib) {
    case GLS_CALL_FUNC:
        return ctx->callOverride[opcode];
    case GLS_CAPTURE_FUNC: {
        __GLSfunc func = ctx->captureFuncs[opcode];
        return func == __glsDefaultCaptureTable[opcode] ? nullptr : func;
    }
    case GLS_NULL_FUNC:
        return __glsNullCommandFunc(opcode);
    default:
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return nullptr;
    }
}

void glsCaptureFunc(GLSenum target, __GLScaptureFunc func) {
    if (!__glsRequireContext()) return;
    __GLScontext *ctx = __glsGetContext();
    switch (target) {
    case GLS_CAPTURE_ENTRY_FUNC:
        ctx->captureEntryFunc = func;
        break;
    case GLS_CAPTURE_EXIT_FUNC:
        ctx->captureExitFunc = func;
        break;
    default:
        __glsRaiseError(GLS_PARAMETER_ERROR);
    }
}

}  // extern "C"
