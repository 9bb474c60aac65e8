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

// The bytes that follow the fixed arguments must all lie in the record;
// otherwise the command is not called.
bool fits(GLSopcode opcode, GLulong avail, GLulong need) {
    if (avail >= need) return true;
    __glsCallErrorFunc(opcode, GLS_DECODE_ERROR);
    return false;
}

GLint intAt(const GLubyte *block, size_t offset) { return (GLint)readWord(block + offset); }

// The control points after the fixed arguments: count values of size bytes,
// compared without a product that could wrap.
bool fitsPoints(GLSopcode opcode, GLulong avail, GLulong fixed, GLulong count, GLulong size) {
    return fits(opcode, avail, fixed) && fits(opcode, (avail - fixed) / size, count);
}

}  // namespace

extern "C" {

GLulong __glsDecodeArgBytes(GLSopcode opcode, const GLubyte *block) {
    const __GLScontext *ctx = __glsGetContext();
    return ctx && ctx->recordArgs == block ? ctx->recordArgBytes : 0;
}

void *__glsDecodeMalloc(GLulong byteCount) {
    __GLScontext *ctx = __glsGetContext();
    const GLulong live = ctx ? ctx->decodeLiveBytes : 0;
    if (byteCount > (GLulong)SIZE_MAX || byteCount > __GLS_DECODE_HEAP_LIMIT ||
        live + byteCount > __GLS_DECODE_HEAP_LIMIT) {
        __glsRaiseError(GLS_RESOURCE_ERROR);
        return nullptr;
    }
    void *block = __glsBlockAlloc((size_t)byteCount);
    if (block && ctx) ctx->decodeLiveBytes += byteCount;
    return block;
}

void __glsDecodeFree(void *block) {
    __GLScontext *ctx = __glsGetContext();
    if (block && ctx) ctx->decodeLiveBytes -= __glsBlockSize(block);
    __glsBlockFree(block);
}

// ------------------------------------------------------------ evaluator maps
// The domains travel as bits, never through a float register.

void GLSAPI __gls_decode_bin_glMap1d(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glMap1d, inoutPtr);
    if (!fits(__GLS_OP_glMap1d, avail, 28)) return;
    const GLenum target = intAt(inoutPtr, 0);
    const GLint stride = intAt(inoutPtr, 20), order = intAt(inoutPtr, 24);
    if (!fitsPoints(__GLS_OP_glMap1d, avail, 28, __glsMapExtent(target, stride, order, 1 << 30, 1), 8))
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
    if (!fitsPoints(__GLS_OP_glMap1f, avail, 20, __glsMapExtent(target, stride, order, 1 << 30, 1), 4))
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
    if (!fitsPoints(__GLS_OP_glMap2d, avail, 52,
                    __glsMapExtent(target, ustride, uorder, vstride, vorder), 8))
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
    if (!fitsPoints(__GLS_OP_glMap2f, avail, 36,
                    __glsMapExtent(target, ustride, uorder, vstride, vorder), 4))
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
