// The write steps of the capture functions that the command table cannot
// derive: the evaluator maps (control points packed from the caller's
// strides), glBegin (its short form in context streams) and glDrawElements
// (an offset into a buffer object in place of indices). The generated
// capture functions (gls_capture.cpp) call them, with the context's current
// writer, for the write step alone.
#include "capture/capture.h"

namespace {

// ------------------------------------------------------------ evaluator maps

// Whether the caller's control points can be read at all: points spread
// wider than any address range are no array of the caller's, and the
// distances between them would not be addresses.
bool pointsAddressable(bool isDouble, GLulong extent) {
    return extent <= (GLulong)PTRDIFF_MAX / (isDouble ? 8 : 4);
}

// The control points: packed k values a point when the caller's points
// have gaps, straight from the caller's array otherwise. The gaps, in
// values, are 64-bit: a stride times the size of a value may pass 32 bits.
void putPoints(__GLSwriter *w, bool isDouble, GLint k, GLlong skip1, GLint count2, GLlong skip2,
               GLint count3, GLulong n, const GLvoid *points) {
    // The gaps of a map without points (an order below 1) are never
    // walked; the others are distances in client memory, which wrap as
    // addresses do.
    if (n && (skip1 || skip2)) {
        const GLulong size = isDouble ? 8 : 4;
        const GLlong bytes1 = (GLlong)((GLulong)skip1 * size),
                     bytes2 = (GLlong)((GLulong)skip2 * size);
        if (isDouble) {
            w->put.putGLdoubleImage(w, 0, k, bytes1, count2, bytes2, count3, 0, 1, points);
        } else {
            w->put.putGLfloatImage(w, 0, k, bytes1, count2, bytes2, count3, 0, 1, points);
        }
    } else if (isDouble) {
        w->put.putGLdoublev(w, n, (const GLdouble *)points);
    } else {
        w->put.putGLfloatv(w, n, (const GLfloat *)points);
    }
}

// A domain value: the bits of the caller's GLdouble or GLfloat.
void putDomain(__GLSwriter *w, bool isDouble, const void *value) {
    if (isDouble) {
        w->put.putGLdouble(w, __glsDoubleBits((const GLdouble *)value));
    } else {
        w->put.putGLfloat(w, __glsFloatBits((const GLfloat *)value));
    }
}

void writeMap1(__GLSwriter *w, GLSopcode op, bool isDouble, GLenum target, const void *u1,
               const void *u2, GLint stride, GLint order, const GLvoid *points) {
    GLint k = __glsMapComponents(target);
    GLlong gap = 0;
    // Points that cannot be read are not: the record keeps the caller's
    // stride and order and no points, as for a stride below k.
    if (stride >= k && pointsAddressable(isDouble, __glsMapExtent(target, stride, order, k, 1))) {
        gap = (GLlong)stride - k;
        stride = k;
    } else {
        k = 0;
    }
    // A non-positive order has no points, whatever k.
    const GLulong n = order > 0 ? __glsCount(k) * (GLulong)order : 0;
    if (isDouble && !w->put.alignCommand(w, 1)) return;
    if (!w->put.beginCommand(w, op, (isDouble ? 28 + 8 * n : 20 + 4 * n))) return;
    w->put.putGLenum(w, target);
    putDomain(w, isDouble, u1);
    putDomain(w, isDouble, u2);
    w->put.putGLint(w, stride);
    w->put.putGLint(w, order);
    putPoints(w, isDouble, k, gap, order, 0, 1, n, points);
    w->put.endCommand(w);
}

void writeMap2(__GLSwriter *w, GLSopcode op, bool isDouble, GLenum target, const void *u1,
               const void *u2, GLint ustride, GLint uorder, const void *v1, const void *v2,
               GLint vstride, GLint vorder, const GLvoid *points) {
    // The dimension with the smaller stride runs fastest in the caller's array.
    const bool vInner = ustride >= vstride;
    GLint &innerStride = vInner ? vstride : ustride, &outerStride = vInner ? ustride : vstride;
    const GLint innerOrder = vInner ? vorder : uorder, outerOrder = vInner ? uorder : vorder;
    GLint k = __glsMapComponents(target);
    GLlong gap1 = 0, gap2 = 0;
    // The packed outer stride must be a GLint too.
    const GLlong packedOuter = (GLlong)innerOrder * k;
    if (innerStride >= k && packedOuter >= INT32_MIN && packedOuter <= INT32_MAX &&
        pointsAddressable(isDouble, __glsMapExtent(target, ustride, uorder, vstride, vorder))) {
        gap1 = (GLlong)innerStride - k;
        gap2 = (GLlong)outerStride - (GLlong)innerOrder * innerStride;
        innerStride = k;
        outerStride = (GLint)packedOuter;
    } else {
        k = 0;
    }
    // Two negative orders must not make a positive count of points.
    const GLulong n =
        uorder > 0 && vorder > 0 ? __glsCount(k) * (GLulong)uorder * (GLulong)vorder : 0;
    if (isDouble && !w->put.alignCommand(w, 1)) return;
    if (!w->put.beginCommand(w, op, (isDouble ? 52 + 8 * n : 36 + 4 * n))) return;
    w->put.putGLenum(w, target);
    putDomain(w, isDouble, u1);
    putDomain(w, isDouble, u2);
    w->put.putGLint(w, ustride);
    w->put.putGLint(w, uorder);
    putDomain(w, isDouble, v1);
    putDomain(w, isDouble, v2);
    w->put.putGLint(w, vstride);
    w->put.putGLint(w, vorder);
    putPoints(w, isDouble, k, gap1, innerOrder, gap2, outerOrder, n, points);
    w->put.endCommand(w);
}

}  // namespace

void __glsCaptureWrite_glMap1d(__GLSwriter *w, GLenum target, const GLdouble *u1,
                               const GLdouble *u2, GLint stride, GLint order,
                               const GLdouble *points) {
    writeMap1(w, __GLS_OP_glMap1d, true, target, u1, u2, stride, order, points);
}

void __glsCaptureWrite_glMap1f(__GLSwriter *w, GLenum target, const GLfloat *u1,
                               const GLfloat *u2, GLint stride, GLint order,
                               const GLfloat *points) {
    writeMap1(w, __GLS_OP_glMap1f, false, target, u1, u2, stride, order, points);
}

void __glsCaptureWrite_glMap2d(__GLSwriter *w, GLenum target, const GLdouble *u1,
                               const GLdouble *u2, GLint ustride, GLint uorder, const GLdouble *v1,
                               const GLdouble *v2, GLint vstride, GLint vorder,
                               const GLdouble *points) {
    writeMap2(w, __GLS_OP_glMap2d, true, target, u1, u2, ustride, uorder, v1, v2, vstride, vorder,
              points);
}

void __glsCaptureWrite_glMap2f(__GLSwriter *w, GLenum target, const GLfloat *u1,
                               const GLfloat *u2, GLint ustride, GLint uorder, const GLfloat *v1,
                               const GLfloat *v2, GLint vstride, GLint vorder,
                               const GLfloat *points) {
    writeMap2(w, __GLS_OP_glMap2f, false, target, u1, u2, ustride, uorder, v1, v2, vstride, vorder,
              points);
}

// In a context stream GL_POINTS .. GL_POLYGON take the argumentless opcodes
// 1 to 10, decided on the writer current at this call.
void __glsCaptureWrite_glBegin(__GLSwriter *w, GLenum mode) {
    if (w->streamType == GLS_CONTEXT && mode <= GL_POLYGON) {
        if (!w->put.beginCommand(w, (GLSopcode)mode + 1, 0)) return;
    } else {
        if (!w->put.beginCommand(w, __GLS_OP_glBegin, 4)) return;
        w->put.putGLenum(w, mode);
    }
    w->put.endCommand(w);
}

// With an element array buffer bound, indices is an offset into it: the
// record holds that value, as a pointer command's does, and nothing is read
// through it. Otherwise the record holds the indices.
void __glsCaptureWrite_glDrawElements(__GLSwriter *w, GLenum mode, GLsizei count, GLenum type,
                                      const GLvoid *indices) {
    if (__glsBoundBuffer(&__glsGetContext()->glInfo, GL_ELEMENT_ARRAY_BUFFER_BINDING)) {
        if (!w->put.alignCommand(w, 1)) return;
        if (!w->put.beginCommand(w, __GLS_OP_glDrawElements, 20)) return;
        w->put.putGLenum(w, mode);
        w->put.putGLint(w, count);
        w->put.putGLenum(w, type);
        w->put.putGLlongHex(w, __glsAddressToU64(indices));
        w->put.endCommand(w);
        return;
    }
    const GLulong bytes = __glsCount(__glsSize_glDrawElements(count, type));
    if (!w->put.beginCommand(w, __GLS_OP_glDrawElements, 12 + bytes)) return;
    w->put.putGLenum(w, mode);
    w->put.putGLint(w, count);
    w->put.putGLenum(w, type);
    // Indices go only where the size rule counted bytes for them.
    __glsWriterPutIndices(w, type, bytes ? count : 0, indices);
    w->put.endCommand(w);
}
