// The native decoders of the evaluator maps, whose record strides tell how
// far the GL reads the control points, and what every native decoder
// shares: the record's argument bytes and the heap side of its buffers.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "client/size.h"
#include "read/decode.h"

namespace {

GLuint readWord(const GLubyte *p) {
    GLuint v;
    memcpy(&v, p, 4);
    return v;
}

// The record's argument bytes from the header at `start`, or -1 when the
// header there does not introduce `block`.
GLlong headerArgBytes(GLSopcode opcode, const GLubyte *start, const GLubyte *block) {
    const GLuint first = readWord(start);
    if ((first & 0xFFFF) && (first >> 16)) {
        if (start + 4 != block || (GLSopcode)(first & 0xFFFF) != opcode) return -1;
        return (first >> 16) >= 4 ? (GLlong)(first >> 16) - 4 : 0;
    }
    if (start + 12 != block) return -1;
    const GLuint size = readWord(start + 8);
    return size >= 12 ? (GLlong)size - 12 : 0;
}

// The bytes that follow the fixed arguments must all lie in the record;
// otherwise the command is not called.
bool fits(GLSopcode opcode, GLulong avail, GLulong need) {
    if (avail >= need) return true;
    __glsCallErrorFunc(opcode, GLS_DECODE_ERROR);
    return false;
}

GLint intAt(const GLubyte *block, size_t offset) { return (GLint)readWord(block + offset); }

// The control-point values that the GL reads with the record's strides and
// orders: none when it refuses them, else up to the last value of the last
// point.
GLulong mapExtent(GLenum target, GLint stride1, GLint order1, GLint stride2, GLint order2) {
    const GLint k = __glsMapComponents(target);
    if (k <= 0 || stride1 < k || order1 <= 0 || stride2 < k || order2 <= 0) return 0;
    return (GLulong)(order1 - 1) * (GLulong)stride1 + (GLulong)(order2 - 1) * (GLulong)stride2 +
           (GLulong)k;
}

}  // namespace

extern "C" {

GLulong __glsDecodeArgBytes(GLSopcode opcode, const GLubyte *block) {
    __GLScontext *ctx = __glsGetContext();
    // The walker's current record, when it publishes one, settles the form.
    if (ctx && ctx->readCursor && *ctx->readCursor) {
        GLlong bytes = headerArgBytes(opcode, *ctx->readCursor, block);
        if (bytes >= 0) return (GLulong)bytes;
    }
    // A short header is one word holding the opcode in its low and the
    // record size in its high half; a long header ends in the size word.
    const GLuint last = readWord(block - 4);
    if ((GLSopcode)(last & 0xFFFF) == opcode && (last >> 16)) {
        return (last >> 16) >= 4 ? (last >> 16) - 4 : 0;
    }
    return last >= 12 ? last - 12 : 0;
}

void *__glsDecodeMalloc(GLulong byteCount) {
    if (byteCount > (GLulong)SIZE_MAX || byteCount > __GLS_DECODE_HEAP_LIMIT) {
        __glsRaiseError(GLS_RESOURCE_ERROR);
        return nullptr;
    }
    return __glsMalloc((size_t)byteCount);
}

// ------------------------------------------------------------ evaluator maps
// The domains travel as bits, never through a float register.

void GLSAPI __gls_decode_bin_glMap1d(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glMap1d, inoutPtr);
    if (!fits(__GLS_OP_glMap1d, avail, 28)) return;
    const GLenum target = intAt(inoutPtr, 0);
    const GLint stride = intAt(inoutPtr, 20), order = intAt(inoutPtr, 24);
    if (!fits(__GLS_OP_glMap1d, avail, 28 + 8 * mapExtent(target, stride, order, 1 << 30, 1)))
        return;
    GLdouble u1, u2;
    memcpy(&u1, inoutPtr + 4, 8);
    memcpy(&u2, inoutPtr + 12, 8);
    __GLS_SLOT(ctx->callFuncs, glMap1d)(target, u1, u2, stride, order,
                                        (const GLdouble *)(inoutPtr + 28));
}

void GLSAPI __gls_decode_bin_glMap1f(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glMap1f, inoutPtr);
    if (!fits(__GLS_OP_glMap1f, avail, 20)) return;
    const GLenum target = intAt(inoutPtr, 0);
    const GLint stride = intAt(inoutPtr, 12), order = intAt(inoutPtr, 16);
    if (!fits(__GLS_OP_glMap1f, avail, 20 + 4 * mapExtent(target, stride, order, 1 << 30, 1)))
        return;
    GLfloat u1, u2;
    memcpy(&u1, inoutPtr + 4, 4);
    memcpy(&u2, inoutPtr + 8, 4);
    __GLS_SLOT(ctx->callFuncs, glMap1f)(target, u1, u2, stride, order,
                                        (const GLfloat *)(inoutPtr + 20));
}

void GLSAPI __gls_decode_bin_glMap2d(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glMap2d, inoutPtr);
    if (!fits(__GLS_OP_glMap2d, avail, 52)) return;
    const GLenum target = intAt(inoutPtr, 0);
    const GLint ustride = intAt(inoutPtr, 20), uorder = intAt(inoutPtr, 24);
    const GLint vstride = intAt(inoutPtr, 44), vorder = intAt(inoutPtr, 48);
    if (!fits(__GLS_OP_glMap2d, avail,
              52 + 8 * mapExtent(target, ustride, uorder, vstride, vorder)))
        return;
    GLdouble u1, u2, v1, v2;
    memcpy(&u1, inoutPtr + 4, 8);
    memcpy(&u2, inoutPtr + 12, 8);
    memcpy(&v1, inoutPtr + 28, 8);
    memcpy(&v2, inoutPtr + 36, 8);
    __GLS_SLOT(ctx->callFuncs, glMap2d)(target, u1, u2, ustride, uorder, v1, v2, vstride, vorder,
                                        (const GLdouble *)(inoutPtr + 52));
}

void GLSAPI __gls_decode_bin_glMap2f(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glMap2f, inoutPtr);
    if (!fits(__GLS_OP_glMap2f, avail, 36)) return;
    const GLenum target = intAt(inoutPtr, 0);
    const GLint ustride = intAt(inoutPtr, 12), uorder = intAt(inoutPtr, 16);
    const GLint vstride = intAt(inoutPtr, 28), vorder = intAt(inoutPtr, 32);
    if (!fits(__GLS_OP_glMap2f, avail,
              36 + 4 * mapExtent(target, ustride, uorder, vstride, vorder)))
        return;
    GLfloat u1, u2, v1, v2;
    memcpy(&u1, inoutPtr + 4, 4);
    memcpy(&u2, inoutPtr + 8, 4);
    memcpy(&v1, inoutPtr + 20, 4);
    memcpy(&v2, inoutPtr + 24, 4);
    __GLS_SLOT(ctx->callFuncs, glMap2f)(target, u1, u2, ustride, uorder, v1, v2, vstride, vorder,
                                        (const GLfloat *)(inoutPtr + 36));
}

}  // extern "C"
