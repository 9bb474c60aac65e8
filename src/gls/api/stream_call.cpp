#include "api/stream_call.h"

#include <string.h>

#include "api/api.h"

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
    saved->recordArgs = ctx->recordArgs;
    saved->recordArgBytes = ctx->recordArgBytes;
    ++ctx->callNesting;
}

void __glsStreamCallEnd(__GLScontext *ctx, const __GLSstreamCall *saved) {
    ctx->callNesting = saved->callNesting;
    ctx->readBase = saved->readBase;
    ctx->readStart = saved->readStart;
    ctx->readCursor = saved->readCursor;
    __glsSetRecord(ctx, saved->recordArgs, saved->recordArgBytes);
    if (ctx->abortCall && ctx->callNesting == 0) __glsDisableAttrib(GLS_ABORT_CALL);
}

// ------------------------------------------------------------ executor

// Records are read through copies: a malformed length may leave a header
// anywhere.
static GLuint readWord(const GLubyte *p) {
    GLuint value;
    memcpy(&value, p, sizeof value);
    return value;
}

static GLubyte *readAddress(const GLubyte *p) {
    GLubyte *address;
    memcpy(&address, p, sizeof address);
    return address;
}

// Runs the records from the first block on; returns at the end link, at a
// link while the context aborts, or at the first malformed record, which
// raises GLS_DECODE_ERROR. Nothing beyond a block's used bytes is read.
static void executeRecords(__GLScontext *ctx, __GLScontextStream *stream) {
    __GLScontextBlock *first = __glsContextStreamFirstBlock(stream);
    __GLScontextBlock *block = first;
    if (!block) return;
    GLubyte *p = block->data;
    for (;;) {
        size_t left = (size_t)(block->writePtr - p);
        if (left < 4) break;
        GLuint header = readWord(p);
        GLuint opcode, length, headerSize;
        if (header) {
            opcode = header & 0xFFFF;
            length = header >> 16;
            headerSize = 4;
        } else {
            if (left < 8) break;
            opcode = readWord(p + 4);
            if (!opcode) {
                // A link: four zero words and the next block's data address.
                if (left < __GLS_CONTEXT_LINK_SIZE || readWord(p + 8) || readWord(p + 12)) break;
                GLubyte *next = readAddress(p + 16);
                if (!next || ctx->abortCall) return;
                __GLScontextBlock *following = (__GLScontextBlock *)block->link.next;
                if (following == first || following->data != next) break;
                block = following;
                p = next;
                continue;
            }
            if (left < 12) break;
            length = readWord(p + 8);
            headerSize = 12;
        }
        if (length < headerSize || length > left || opcode >= GLS_OP_COUNT) break;
        // The table is read afresh for every record: an abort or a new call
        // function takes effect at once.
        __GLSdecodeFunc decode = ctx->decodeFuncs[opcode];
        if (!decode) break;
        __glsSetRecord(ctx, p + headerSize, length - headerSize);
        decode(p + headerSize);
        p += length;
    }
    __glsRaiseError(GLS_DECODE_ERROR);
}

void __glsContextStreamExecute(__GLScontextStream *stream) {
    __GLScontext *ctx = __glsGetContext();
    if (!ctx || !stream) return;
    GLint readCount = stream->readCount;
    ++stream->readCount;
    ctx->readBase = 0;
    ctx->readStart = nullptr;
    ctx->readCursor = nullptr;
    executeRecords(ctx, stream);
    stream->readCount = readCount;
    // A delete during the walk only marked the stream; the outermost
    // execution is the one that frees it, and touches it no more.
    if (stream->deletePending && readCount == 0) __glsContextStreamDestroy(stream);
}

}  // extern "C"
