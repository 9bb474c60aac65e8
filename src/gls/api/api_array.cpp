// glsCallArray: executing a GLS stream held in memory, record by record,
// through the context's decoders and call functions, or as GLS text.
#include <stdlib.h>
#include <string.h>

#include "api/api.h"
#include "api/stream_call.h"
#include "read/decode.h"
#include "read/text_reader.h"

extern "C" {

static GLuint __glsRead16(const GLubyte *p, GLboolean swap) {
    GLushort v;
    memcpy(&v, p, 2);
    return swap ? __glsSwap2Value(v) : v;
}

static GLuint __glsRead32(const GLubyte *p, GLboolean swap) {
    GLuint v;
    memcpy(&v, p, 4);
    return swap ? __glsSwap4Value(v) : v;
}

// Reads the header at cursor: 4 bytes with a 16-bit opcode and size, or,
// when either is 0, 12 bytes with 32-bit ones at offsets 4 and 8. Returns the
// header's length, or 0 when no further record can be read; a malformed
// record raises GLS_DECODE_ERROR. A record must cover its header and stay
// inside the array, so that no decoder reads past the bytes it was given.
static size_t __glsReadHeader(const GLubyte *cursor, size_t left, GLboolean swap,
                              GLuint *outOpcode, GLuint *outSize) {
    if (left < 4) return 0;
    size_t header = 4;
    GLuint opcode = __glsRead16(cursor, swap);
    GLuint size = __glsRead16(cursor + 2, swap);
    if (!opcode || !size) {
        if (left < 12) return 0;
        header = 12;
        opcode = __glsRead32(cursor + 4, swap);
        size = __glsRead32(cursor + 8, swap);
    }
    if (!opcode || size < header || size > left) {
        __glsRaiseError(GLS_DECODE_ERROR);
        return 0;
    }
    *outOpcode = opcode;
    *outSize = size;
    return header;
}

static void __glsCallArrayNative(__GLScontext *ctx, size_t byteCount, const GLubyte *bytes) {
    GLubyte *cursor = (GLubyte *)bytes;
    GLubyte *end = cursor + byteCount;
    ctx->readBase = 0;
    ctx->readStart = cursor;
    ctx->readCursor = &cursor;
    for (;;) {
        GLuint opcode, size;
        size_t header = __glsReadHeader(cursor, (size_t)(end - cursor), GL_FALSE, &opcode, &size);
        if (!header || (header == 12 && ctx->abortCall)) break;
        if (opcode >= 16 && opcode < GLS_OP_COUNT && ctx->decodeFuncs[opcode]) {
            __glsSetRecord(ctx, cursor + header, size - header);
            ctx->decodeFuncs[opcode](cursor + header);
        } else {
            __glsCallUnsupportedOpcode(opcode);
        }
        cursor += size;
    }
}

static void __glsCallArraySwapped(__GLScontext *ctx, size_t byteCount, const GLubyte *bytes) {
    const GLubyte *cursor = bytes;
    const GLubyte *end = bytes + byteCount;
    GLubyte *work = nullptr;
    size_t workSize = 0;
    ctx->readBase = 0;
    ctx->readStart = (GLubyte *)bytes;
    ctx->readCursor = (GLubyte **)&cursor;
    while (!ctx->abortCall) {
        GLuint opcode, size;
        size_t header = __glsReadHeader(cursor, (size_t)(end - cursor), GL_TRUE, &opcode, &size);
        if (!header) break;
        __GLSdecodeBinFunc decode = opcode < GLS_OP_COUNT ? __glsDispatchDecode_bin_swap[opcode] : nullptr;
        if (decode) {
            // The copy keeps the record's phase within 8 bytes, so that its
            // 8-byte fields stay as aligned as they were.
            size_t phase = (size_t)((uintptr_t)cursor % 8);
            if (workSize < size + phase) {
                free(work);
                workSize = size + phase;
                work = (GLubyte *)__glsMalloc(workSize);
                if (!work) workSize = 0;
            }
            if (work) {
                memcpy(work + phase, cursor, size);
                __glsSetRecord(ctx, work + phase + header, size - header);
                decode(work + phase + header);
            } else {
                __glsCallErrorFunc((GLSopcode)opcode, GLS_RESOURCE_ERROR);
            }
        } else {
            __glsCallUnsupportedOpcode(opcode);
        }
        cursor += size;
    }
    free(work);
}

void glsCallArray(GLSenum streamType, size_t byteCount, const GLubyte *bytes) {
    if (!__glsRequireContext()) return;
    __GLScontext *ctx = __glsGetContext();
    if (!__glsStreamCallAdmit(ctx)) return;
    if (!bytes && byteCount) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return;
    }
    __GLSstreamCall saved;
    __glsStreamCallBegin(ctx, &saved);
    switch (streamType) {
    case GLS_BINARY_LSB_FIRST: __glsCallArrayNative(ctx, byteCount, bytes); break;
    case GLS_BINARY_MSB_FIRST: __glsCallArraySwapped(ctx, byteCount, bytes); break;
    case GLS_TEXT: {
        __GLSreader reader;
        __glsDecodeTextArray(__glsReaderInitMemory(&reader, bytes, byteCount));
        break;
    }
    default: __glsRaiseError(GLS_PARAMETER_ERROR); break;
    }
    __glsStreamCallEnd(ctx, &saved);
}

}  // extern "C"
