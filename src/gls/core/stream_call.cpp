#include "stream_call.h"

#include "api.h"

extern "C" {

GLboolean __glsStreamCallAdmit(__GLScontext *ctx) {
    if (ctx->abortCall) return GL_FALSE;
    if (ctx->callNesting >= __GLS_MAX_CALL_NESTING) {
        __glsRaiseError(GLS_STATE_ERROR);
        __glsEnableAttrib(GLS_ABORT_CALL);
        return GL_FALSE;
    }
    return GL_TRUE;
}

void __glsStreamCallBegin(__GLScontext *ctx, __GLSstreamCall *saved) {
    if (ctx->callNesting == 0 && ctx->captureNesting == 0) __glsGLInfoReset(&ctx->glInfo);
    saved->callNesting = ctx->callNesting;
    saved->readBase = ctx->readBase;
    saved->readStart = ctx->readStart;
    saved->readCursor = ctx->readCursor;
    saved->readForeign = ctx->readForeign;
    ctx->readForeign = 0;
    ++ctx->callNesting;
}

void __glsStreamCallEnd(__GLScontext *ctx, const __GLSstreamCall *saved) {
    ctx->callNesting = saved->callNesting;
    ctx->readBase = saved->readBase;
    ctx->readStart = saved->readStart;
    ctx->readCursor = saved->readCursor;
    ctx->readForeign = saved->readForeign;
    if (ctx->abortCall && ctx->callNesting == 0) __glsDisableAttrib(GLS_ABORT_CALL);
}

}  // extern "C"
