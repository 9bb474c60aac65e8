// Binary sections of a stream: the section header that tells the byte
// order, and the walk over the records up to glsEndGLS, each record's
// argument block handed to the decoder of its opcode in place in the
// reader's buffer.
#include <stdint.h>
#include <string.h>

#include "read/decode.h"
#include "read/reader.h"

namespace {

// The 12 bytes that must follow a record in the buffer when it is handed
// over: the next record's header, long form included.
enum { LOOK_AHEAD = 12 };

template <bool swapped>
GLuint word16(const GLubyte *p) {
    GLushort v;
    memcpy(&v, p, 2);
    return swapped ? __builtin_bswap16(v) : v;
}

template <bool swapped>
GLuint word32(const GLubyte *p) {
    GLuint v;
    memcpy(&v, p, 4);
    return swapped ? __builtin_bswap32(v) : v;
}

template <bool swapped>
GLboolean decodeSection(__GLSreader *reader) {
    __GLScontext *const ctx = __glsGetContext();
    if ((size_t)(reader->end - reader->readPtr) < LOOK_AHEAD &&
        !__glsReaderFill(reader, LOOK_AHEAD, 1)) {
        __glsRaiseError(GLS_DECODE_ERROR);
        return 0;
    }
    GLubyte *p = reader->readPtr;
    ctx->readBase = reader->consumed;
    ctx->readStart = reader->start;
    ctx->readCursor = &p;
    for (;;) {
        if (swapped && ctx->abortCall) {
            reader->readPtr = p;
            return 0;
        }
        GLuint opcode = word16<swapped>(p), size = word16<swapped>(p + 2), header = 4;
        if (!opcode || !size) {
            opcode = word32<swapped>(p + 4);
            size = word32<swapped>(p + 8);
            header = 12;
            if (opcode == __GLS_OP_glsEndGLS && size >= header) {
                reader->readPtr = p;
                // The end record must be whole before the reader steps past it.
                if ((size_t)(reader->end - p) < size && !__glsReaderFill(reader, size, 1)) {
                    __glsRaiseError(GLS_DECODE_ERROR);
                    return 0;
                }
                p = reader->readPtr;
                ctx->readBase = __glsReaderOffset(reader);
                ctx->readStart = nullptr;
                ctx->readCursor = nullptr;
                reader->readPtr = p + size;
                return 1;
            }
        }
        // A record smaller than its own header would leave the decoder no
        // arguments to stand on and the walk no way forward.
        if (!opcode || size < header) {
            reader->readPtr = p;
            __glsRaiseError(GLS_DECODE_ERROR);
            return 0;
        }
        const GLulong need = (GLulong)size + LOOK_AHEAD;
        if ((GLulong)(reader->end - p) < need) {
            reader->readPtr = p;
            if (!swapped && ctx->abortCall) return 0;
            // A size that no buffer of this machine could hold is as short a
            // stream as one that ends.
            if (need > (GLulong)SIZE_MAX || !__glsReaderFill(reader, (size_t)need, 1)) {
                __glsRaiseError(GLS_DECODE_ERROR);
                return 0;
            }
            p = reader->readPtr;
            ctx->readBase = reader->consumed;
            ctx->readStart = reader->start;
        }
        __GLSdecodeBinFunc decode = nullptr;
        if (opcode >= 16 && opcode < GLS_OP_COUNT) {
            decode = swapped ? __glsDispatchDecode_bin_swap[opcode]
                             : (__GLSdecodeBinFunc)ctx->decodeFuncs[opcode];
        }
        if (decode) {
            __glsSetRecord(ctx, p + header, size - header);
            decode(p + header);
        } else {
            __glsCallUnsupportedOpcode(opcode);
        }
        p += size;
    }
}

}  // namespace

extern "C" {

GLSenum __glsReadBinaryHeader(__GLSreader *reader, GLint outVersion[2]) {
    if (!__glsReaderFill(reader, 20, 0)) return 0;
    const GLSenum type = __glsSniffBinaryType(reader->readPtr, outVersion);
    if (type) reader->readPtr += 20;
    return type;
}

GLboolean __glsDecodeBinary(__GLSreader *reader) { return decodeSection<false>(reader); }

GLboolean __glsDecodeBinarySwap(__GLSreader *reader) { return decodeSection<true>(reader); }

}  // extern "C"
