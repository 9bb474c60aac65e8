// The native decoders whose records the command table does not describe:
// the image commands (image-flags word first, the other arguments from
// offset 4, the tightly packed image last), and what every native decoder
// shares: the record's argument bytes and the heap side of its buffers.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "client/size.h"
#include "read/decode.h"

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

// The template of the image decoders: the `fixed` argument bytes must lie
// in the record before `imageBytes` reads any of them, the image after them
// too, before `call` hands them to the GL. Both read the record themselves.
template <typename ImageBytes, typename Call>
void decodeImage(GLSopcode opcode, const GLubyte *record, GLulong fixed, ImageBytes imageBytes,
                 Call call) {
    __GLScontext *const ctx = __glsGetContext();
    const GLulong avail = __glsDecodeArgBytes(opcode, record);
    if (!fits(opcode, avail, fixed)) return;
    if (!fits(opcode, avail, fixed + __glsCount(imageBytes()))) return;
    unpackDefaults(ctx);
    call(ctx->callFuncs);
}

// A texture image, or none when the record's null bit stands for the
// caller's null pointer.
const GLvoid *texturePixels(const GLubyte *record, size_t offset) {
    return readWord(record) & IMAGE_NULL_BIT ? nullptr : record + offset;
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

// ------------------------------------------------------------------ images

void GLSAPI __gls_decode_bin_glBitmap(GLubyte *inoutPtr) {
    const GLubyte *const p = inoutPtr;
    decodeImage(
        __GLS_OP_glBitmap, p, 28,
        [p] { return __glsSize_glBitmap(intAt(p, 4), intAt(p, 8), p + 28); },
        [p](__GLSfunc *gl) {
            // The origin and move as bits, never through a float register.
            GLfloat xorig, yorig, xmove, ymove;
            memcpy(&xorig, p + 12, 4);
            memcpy(&yorig, p + 16, 4);
            memcpy(&xmove, p + 20, 4);
            memcpy(&ymove, p + 24, 4);
            __GLS_SLOT(gl, glBitmap)(intAt(p, 4), intAt(p, 8), xorig, yorig, xmove, ymove, p + 28);
        });
}

void GLSAPI __gls_decode_bin_glPolygonStipple(GLubyte *inoutPtr) {
    const GLubyte *const p = inoutPtr;
    decodeImage(
        __GLS_OP_glPolygonStipple, p, 4, [p] { return __glsSize_glPolygonStipple(p + 4); },
        [p](__GLSfunc *gl) { __GLS_SLOT(gl, glPolygonStipple)(p + 4); });
}

void GLSAPI __gls_decode_bin_glTexImage1D(GLubyte *inoutPtr) {
    const GLubyte *const p = inoutPtr;
    decodeImage(
        __GLS_OP_glTexImage1D, p, 32,
        [p] {
            return __glsSize_glTexImage1D(intAt(p, 24), intAt(p, 28), intAt(p, 16),
                                          texturePixels(p, 32));
        },
        [p](__GLSfunc *gl) {
            __GLS_SLOT(gl, glTexImage1D)(intAt(p, 4), intAt(p, 8), intAt(p, 12), intAt(p, 16),
                                         intAt(p, 20), intAt(p, 24), intAt(p, 28),
                                         texturePixels(p, 32));
        });
}

void GLSAPI __gls_decode_bin_glTexImage2D(GLubyte *inoutPtr) {
    const GLubyte *const p = inoutPtr;
    decodeImage(
        __GLS_OP_glTexImage2D, p, 36,
        [p] {
            return __glsSize_glTexImage2D(intAt(p, 28), intAt(p, 32), intAt(p, 16), intAt(p, 20),
                                          texturePixels(p, 36));
        },
        [p](__GLSfunc *gl) {
            __GLS_SLOT(gl, glTexImage2D)(intAt(p, 4), intAt(p, 8), intAt(p, 12), intAt(p, 16),
                                         intAt(p, 20), intAt(p, 24), intAt(p, 28), intAt(p, 32),
                                         texturePixels(p, 36));
        });
}

void GLSAPI __gls_decode_bin_glTexImage3D(GLubyte *inoutPtr) {
    const GLubyte *const p = inoutPtr;
    decodeImage(
        __GLS_OP_glTexImage3D, p, 40,
        [p] {
            return __glsSize_glTexImage3D(intAt(p, 32), intAt(p, 36), intAt(p, 16), intAt(p, 20),
                                          intAt(p, 24), texturePixels(p, 40));
        },
        [p](__GLSfunc *gl) {
            __GLS_SLOT(gl, glTexImage3D)(intAt(p, 4), intAt(p, 8), intAt(p, 12), intAt(p, 16),
                                         intAt(p, 20), intAt(p, 24), intAt(p, 28), intAt(p, 32),
                                         intAt(p, 36), texturePixels(p, 40));
        });
}

void GLSAPI __gls_decode_bin_glTexSubImage1D(GLubyte *inoutPtr) {
    const GLubyte *const p = inoutPtr;
    decodeImage(
        __GLS_OP_glTexSubImage1D, p, 28,
        [p] { return __glsSize_glTexSubImage1D(intAt(p, 20), intAt(p, 24), intAt(p, 16), p + 28); },
        [p](__GLSfunc *gl) {
            __GLS_SLOT(gl, glTexSubImage1D)(intAt(p, 4), intAt(p, 8), intAt(p, 12), intAt(p, 16),
                                            intAt(p, 20), intAt(p, 24), p + 28);
        });
}

void GLSAPI __gls_decode_bin_glTexSubImage2D(GLubyte *inoutPtr) {
    const GLubyte *const p = inoutPtr;
    decodeImage(
        __GLS_OP_glTexSubImage2D, p, 36,
        [p] {
            return __glsSize_glTexSubImage2D(intAt(p, 28), intAt(p, 32), intAt(p, 20), intAt(p, 24),
                                             p + 36);
        },
        [p](__GLSfunc *gl) {
            __GLS_SLOT(gl, glTexSubImage2D)(intAt(p, 4), intAt(p, 8), intAt(p, 12), intAt(p, 16),
                                            intAt(p, 20), intAt(p, 24), intAt(p, 28), intAt(p, 32),
                                            p + 36);
        });
}

void GLSAPI __gls_decode_bin_glTexSubImage3D(GLubyte *inoutPtr) {
    const GLubyte *const p = inoutPtr;
    decodeImage(
        __GLS_OP_glTexSubImage3D, p, 44,
        [p] {
            return __glsSize_glTexSubImage3D(intAt(p, 36), intAt(p, 40), intAt(p, 24), intAt(p, 28),
                                             intAt(p, 32), p + 44);
        },
        [p](__GLSfunc *gl) {
            __GLS_SLOT(gl, glTexSubImage3D)(intAt(p, 4), intAt(p, 8), intAt(p, 12), intAt(p, 16),
                                            intAt(p, 20), intAt(p, 24), intAt(p, 28), intAt(p, 32),
                                            intAt(p, 36), intAt(p, 40), p + 44);
        });
}

void GLSAPI __gls_decode_bin_glDrawPixels(GLubyte *inoutPtr) {
    const GLubyte *const p = inoutPtr;
    decodeImage(
        __GLS_OP_glDrawPixels, p, 20,
        [p] {
            return __glsSize_glDrawPixels(intAt(p, 12), intAt(p, 16), intAt(p, 4), intAt(p, 8),
                                          p + 20);
        },
        [p](__GLSfunc *gl) {
            __GLS_SLOT(gl, glDrawPixels)(intAt(p, 4), intAt(p, 8), intAt(p, 12), intAt(p, 16),
                                         p + 20);
        });
}

void GLSAPI __gls_decode_bin_glConvolutionFilter1D(GLubyte *inoutPtr) {
    const GLubyte *const p = inoutPtr;
    decodeImage(
        __GLS_OP_glConvolutionFilter1D, p, 24,
        [p] {
            return __glsSize_glConvolutionFilter1D(intAt(p, 16), intAt(p, 20), intAt(p, 12),
                                                   p + 24);
        },
        [p](__GLSfunc *gl) {
            __GLS_SLOT(gl, glConvolutionFilter1D)(intAt(p, 4), intAt(p, 8), intAt(p, 12),
                                                  intAt(p, 16), intAt(p, 20), p + 24);
        });
}

void GLSAPI __gls_decode_bin_glConvolutionFilter2D(GLubyte *inoutPtr) {
    const GLubyte *const p = inoutPtr;
    decodeImage(
        __GLS_OP_glConvolutionFilter2D, p, 28,
        [p] {
            return __glsSize_glConvolutionFilter2D(intAt(p, 20), intAt(p, 24), intAt(p, 12),
                                                   intAt(p, 16), p + 28);
        },
        [p](__GLSfunc *gl) {
            __GLS_SLOT(gl, glConvolutionFilter2D)(intAt(p, 4), intAt(p, 8), intAt(p, 12),
                                                  intAt(p, 16), intAt(p, 20), intAt(p, 24), p + 28);
        });
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
    const GLubyte *const p = inoutPtr;
    decodeImage(
        __GLS_OP_glColorTable, p, 24,
        [p] { return __glsSize_glColorTable(intAt(p, 16), intAt(p, 20), intAt(p, 12), p + 24); },
        [p](__GLSfunc *gl) {
            __GLS_SLOT(gl, glColorTable)(intAt(p, 4), intAt(p, 8), intAt(p, 12), intAt(p, 16),
                                         intAt(p, 20), p + 24);
        });
}

}  // extern "C"
