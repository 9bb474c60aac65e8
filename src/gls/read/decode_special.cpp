// The native decoders whose records the command table does not describe:
// the image commands (image-flags word first, the other arguments from
// offset 4, the tightly packed image last), and what every native decoder
// shares: the record's argument bytes and the heap side of its buffers.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

// capture.h: the count rule the capture functions size their records by.
#include "capture.h"
#include "decode.h"
#include "size.h"

namespace {

enum { IMAGE_NULL_BIT = 1 };

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

// The image bytes that follow the fixed arguments must all lie in the
// record; otherwise the command is not called.
bool fits(GLSopcode opcode, GLulong avail, GLulong need) {
    if (avail >= need) return true;
    __glsCallErrorFunc(opcode, GLS_DECODE_ERROR);
    return false;
}

// The real GL reads every image in the layout the stream stores.
void unpackDefaults(__GLScontext *ctx) {
    if (!ctx->glInfo.unpackDefaultsSet) __glsPixelUnpackDefaults();
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
    if (byteCount > (GLulong)SIZE_MAX) {
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

// ------------------------------------------------------------------ images

void GLSAPI __gls_decode_bin_glBitmap(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glBitmap, inoutPtr);
    if (!fits(__GLS_OP_glBitmap, avail, 28)) return;
    const GLsizei width = intAt(inoutPtr, 4), height = intAt(inoutPtr, 8);
    const GLubyte *bitmap = inoutPtr + 28;
    const GLulong bytes = __glsCount(__glsSize_glBitmap(width, height, bitmap));
    if (!fits(__GLS_OP_glBitmap, avail, 28 + bytes)) return;
    // The origin and move as bits, never through a float register.
    GLfloat xorig, yorig, xmove, ymove;
    memcpy(&xorig, inoutPtr + 12, 4);
    memcpy(&yorig, inoutPtr + 16, 4);
    memcpy(&xmove, inoutPtr + 20, 4);
    memcpy(&ymove, inoutPtr + 24, 4);
    unpackDefaults(ctx);
    __GLS_SLOT(ctx->callFuncs, glBitmap)(width, height, xorig, yorig, xmove, ymove, bitmap);
}

void GLSAPI __gls_decode_bin_glPolygonStipple(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glPolygonStipple, inoutPtr);
    const GLubyte *mask = inoutPtr + 4;
    if (!fits(__GLS_OP_glPolygonStipple, avail, 4 + __glsCount(__glsSize_glPolygonStipple(mask))))
        return;
    unpackDefaults(ctx);
    __GLS_SLOT(ctx->callFuncs, glPolygonStipple)(mask);
}

void GLSAPI __gls_decode_bin_glTexImage1D(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glTexImage1D, inoutPtr);
    if (!fits(__GLS_OP_glTexImage1D, avail, 32)) return;
    const GLsizei width = intAt(inoutPtr, 16);
    const GLenum format = intAt(inoutPtr, 24), type = intAt(inoutPtr, 28);
    const GLvoid *pixels = readWord(inoutPtr) & IMAGE_NULL_BIT ? nullptr : inoutPtr + 32;
    const GLulong bytes = __glsCount(__glsSize_glTexImage1D(format, type, width, pixels));
    if (!fits(__GLS_OP_glTexImage1D, avail, 32 + bytes)) return;
    unpackDefaults(ctx);
    __GLS_SLOT(ctx->callFuncs, glTexImage1D)(intAt(inoutPtr, 4), intAt(inoutPtr, 8),
                                             intAt(inoutPtr, 12), width, intAt(inoutPtr, 20),
                                             format, type, pixels);
}

void GLSAPI __gls_decode_bin_glTexImage2D(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glTexImage2D, inoutPtr);
    if (!fits(__GLS_OP_glTexImage2D, avail, 36)) return;
    const GLsizei width = intAt(inoutPtr, 16), height = intAt(inoutPtr, 20);
    const GLenum format = intAt(inoutPtr, 28), type = intAt(inoutPtr, 32);
    const GLvoid *pixels = readWord(inoutPtr) & IMAGE_NULL_BIT ? nullptr : inoutPtr + 36;
    const GLulong bytes =
        __glsCount(__glsSize_glTexImage2D(format, type, width, height, pixels));
    if (!fits(__GLS_OP_glTexImage2D, avail, 36 + bytes)) return;
    unpackDefaults(ctx);
    __GLS_SLOT(ctx->callFuncs, glTexImage2D)(intAt(inoutPtr, 4), intAt(inoutPtr, 8),
                                             intAt(inoutPtr, 12), width, height,
                                             intAt(inoutPtr, 24), format, type, pixels);
}

void GLSAPI __gls_decode_bin_glTexImage3D(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glTexImage3D, inoutPtr);
    if (!fits(__GLS_OP_glTexImage3D, avail, 40)) return;
    const GLsizei width = intAt(inoutPtr, 16), height = intAt(inoutPtr, 20),
                  depth = intAt(inoutPtr, 24);
    const GLenum format = intAt(inoutPtr, 32), type = intAt(inoutPtr, 36);
    const GLvoid *pixels = readWord(inoutPtr) & IMAGE_NULL_BIT ? nullptr : inoutPtr + 40;
    const GLulong bytes =
        __glsCount(__glsSize_glTexImage3D(format, type, width, height, depth, pixels));
    if (!fits(__GLS_OP_glTexImage3D, avail, 40 + bytes)) return;
    unpackDefaults(ctx);
    __GLS_SLOT(ctx->callFuncs, glTexImage3D)(intAt(inoutPtr, 4), intAt(inoutPtr, 8),
                                             intAt(inoutPtr, 12), width, height, depth,
                                             intAt(inoutPtr, 28), format, type, pixels);
}

void GLSAPI __gls_decode_bin_glTexSubImage1D(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glTexSubImage1D, inoutPtr);
    if (!fits(__GLS_OP_glTexSubImage1D, avail, 28)) return;
    const GLsizei width = intAt(inoutPtr, 16);
    const GLenum format = intAt(inoutPtr, 20), type = intAt(inoutPtr, 24);
    const GLvoid *pixels = inoutPtr + 28;
    const GLulong bytes = __glsCount(__glsSize_glTexSubImage1D(format, type, width, pixels));
    if (!fits(__GLS_OP_glTexSubImage1D, avail, 28 + bytes)) return;
    unpackDefaults(ctx);
    __GLS_SLOT(ctx->callFuncs, glTexSubImage1D)(intAt(inoutPtr, 4), intAt(inoutPtr, 8),
                                                intAt(inoutPtr, 12), width, format, type,
                                                pixels);
}

void GLSAPI __gls_decode_bin_glTexSubImage2D(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glTexSubImage2D, inoutPtr);
    if (!fits(__GLS_OP_glTexSubImage2D, avail, 36)) return;
    const GLsizei width = intAt(inoutPtr, 20), height = intAt(inoutPtr, 24);
    const GLenum format = intAt(inoutPtr, 28), type = intAt(inoutPtr, 32);
    const GLvoid *pixels = inoutPtr + 36;
    const GLulong bytes =
        __glsCount(__glsSize_glTexSubImage2D(format, type, width, height, pixels));
    if (!fits(__GLS_OP_glTexSubImage2D, avail, 36 + bytes)) return;
    unpackDefaults(ctx);
    __GLS_SLOT(ctx->callFuncs, glTexSubImage2D)(intAt(inoutPtr, 4), intAt(inoutPtr, 8),
                                                intAt(inoutPtr, 12), intAt(inoutPtr, 16),
                                                width, height, format, type, pixels);
}

void GLSAPI __gls_decode_bin_glTexSubImage3D(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glTexSubImage3D, inoutPtr);
    if (!fits(__GLS_OP_glTexSubImage3D, avail, 44)) return;
    const GLsizei width = intAt(inoutPtr, 24), height = intAt(inoutPtr, 28),
                  depth = intAt(inoutPtr, 32);
    const GLenum format = intAt(inoutPtr, 36), type = intAt(inoutPtr, 40);
    const GLvoid *pixels = inoutPtr + 44;
    const GLulong bytes =
        __glsCount(__glsSize_glTexSubImage3D(format, type, width, height, depth, pixels));
    if (!fits(__GLS_OP_glTexSubImage3D, avail, 44 + bytes)) return;
    unpackDefaults(ctx);
    __GLS_SLOT(ctx->callFuncs, glTexSubImage3D)(
        intAt(inoutPtr, 4), intAt(inoutPtr, 8), intAt(inoutPtr, 12), intAt(inoutPtr, 16),
        intAt(inoutPtr, 20), width, height, depth, format, type, pixels);
}

void GLSAPI __gls_decode_bin_glDrawPixels(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glDrawPixels, inoutPtr);
    if (!fits(__GLS_OP_glDrawPixels, avail, 20)) return;
    const GLsizei width = intAt(inoutPtr, 4), height = intAt(inoutPtr, 8);
    const GLenum format = intAt(inoutPtr, 12), type = intAt(inoutPtr, 16);
    const GLvoid *pixels = inoutPtr + 20;
    const GLulong bytes =
        __glsCount(__glsSize_glDrawPixels(format, type, width, height, pixels));
    if (!fits(__GLS_OP_glDrawPixels, avail, 20 + bytes)) return;
    unpackDefaults(ctx);
    __GLS_SLOT(ctx->callFuncs, glDrawPixels)(width, height, format, type, pixels);
}

void GLSAPI __gls_decode_bin_glConvolutionFilter1D(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glConvolutionFilter1D, inoutPtr);
    if (!fits(__GLS_OP_glConvolutionFilter1D, avail, 24)) return;
    const GLsizei width = intAt(inoutPtr, 12);
    const GLenum format = intAt(inoutPtr, 16), type = intAt(inoutPtr, 20);
    const GLvoid *image = inoutPtr + 24;
    const GLulong bytes =
        __glsCount(__glsSize_glConvolutionFilter1D(format, type, width, image));
    if (!fits(__GLS_OP_glConvolutionFilter1D, avail, 24 + bytes)) return;
    unpackDefaults(ctx);
    __GLS_SLOT(ctx->callFuncs, glConvolutionFilter1D)(intAt(inoutPtr, 4), intAt(inoutPtr, 8),
                                                      width, format, type, image);
}

void GLSAPI __gls_decode_bin_glConvolutionFilter2D(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glConvolutionFilter2D, inoutPtr);
    if (!fits(__GLS_OP_glConvolutionFilter2D, avail, 28)) return;
    const GLsizei width = intAt(inoutPtr, 12), height = intAt(inoutPtr, 16);
    const GLenum format = intAt(inoutPtr, 20), type = intAt(inoutPtr, 24);
    const GLvoid *image = inoutPtr + 28;
    const GLulong bytes =
        __glsCount(__glsSize_glConvolutionFilter2D(format, type, width, height, image));
    if (!fits(__GLS_OP_glConvolutionFilter2D, avail, 28 + bytes)) return;
    unpackDefaults(ctx);
    __GLS_SLOT(ctx->callFuncs, glConvolutionFilter2D)(intAt(inoutPtr, 4), intAt(inoutPtr, 8),
                                                      width, height, format, type, image);
}

void GLSAPI __gls_decode_bin_glSeparableFilter2D(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glSeparableFilter2D, inoutPtr);
    if (!fits(__GLS_OP_glSeparableFilter2D, avail, 28)) return;
    const GLenum target = intAt(inoutPtr, 4);
    const GLsizei width = intAt(inoutPtr, 12), height = intAt(inoutPtr, 16);
    const GLenum format = intAt(inoutPtr, 20), type = intAt(inoutPtr, 24);
    const GLvoid *row = inoutPtr + 28;
    // The column filter follows the row filter without padding.
    const GLulong rowBytes =
        __glsCount(__glsSize_glSeparableFilter2D_row(target, format, type, width, row));
    if (!fits(__GLS_OP_glSeparableFilter2D, avail, 28 + rowBytes)) return;
    const GLvoid *column = inoutPtr + 28 + rowBytes;
    const GLulong columnBytes =
        __glsCount(__glsSize_glSeparableFilter2D_column(target, format, type, height, column));
    if (!fits(__GLS_OP_glSeparableFilter2D, avail, 28 + rowBytes + columnBytes)) return;
    unpackDefaults(ctx);
    __GLS_SLOT(ctx->callFuncs, glSeparableFilter2D)(target, intAt(inoutPtr, 8), width, height,
                                                    format, type, row, column);
}

void GLSAPI __gls_decode_bin_glColorTable(GLubyte *inoutPtr) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(__GLS_OP_glColorTable, inoutPtr);
    if (!fits(__GLS_OP_glColorTable, avail, 24)) return;
    const GLsizei width = intAt(inoutPtr, 12);
    const GLenum format = intAt(inoutPtr, 16), type = intAt(inoutPtr, 20);
    const GLvoid *table = inoutPtr + 24;
    const GLulong bytes = __glsCount(__glsSize_glColorTable(format, type, width, table));
    if (!fits(__GLS_OP_glColorTable, avail, 24 + bytes)) return;
    unpackDefaults(ctx);
    __GLS_SLOT(ctx->callFuncs, glColorTable)(intAt(inoutPtr, 4), intAt(inoutPtr, 8), width,
                                             format, type, table);
}

}  // extern "C"
