// The capture functions whose write step the command table cannot derive:
// the evaluator maps (control points packed from the caller's strides), the
// image commands (image-flags word and bulk break first, pixels last),
// glBegin (its short form in context streams), glCallLists, and the three
// draws, which the vertex-array expanders may take over. Everything else of
// the template is the generated functions' own.
#include "capture/capture.h"

namespace {

// The template of every capture function; the last argument is the
// command's write step, run with w the context's current writer, which
// leaves by break when the writer refuses the record.
#define __GLS_CAPTURE(name, args, ...)                                     \
    __GLScontext *const ctx = __glsGetContext();                           \
    const GLubyte flags = __glsCaptureEnter(ctx, __GLS_OP_##name);         \
    if (flags & __GLS_CAPTURE_EXECUTE) {                                   \
        const GLint token = __glsBeginCaptureExec(__GLS_OP_##name);        \
        __GLS_SLOT(__glsDefaultDispatchTable, name) args;                  \
        __glsEndCaptureExec(__GLS_OP_##name, token);                       \
    }                                                                      \
    if (flags & __GLS_CAPTURE_WRITE) {                                     \
        __GLSwriter *const w = ctx->writer;                                \
        do {                                                               \
            __VA_ARGS__;                                                   \
        } while (0);                                                       \
    }                                                                      \
    __glsCaptureLeave(ctx, __GLS_OP_##name, flags)

// ------------------------------------------------------------------ images

// Image bytes as counted: a null pointer has none, so that the record never
// announces bytes that the pixel put cannot write.
GLulong imageBytes(const GLvoid *pixels, GLint size) {
    return pixels ? __glsCount(size) : 0;
}

// Begins an image record: the image-flags word and the bulk break stand
// before every other argument.
bool beginImage(__GLSwriter *w, GLSopcode op, GLulong argBytes, GLSimageFlags imageFlags) {
    if (!w->put.beginCommand(w, op, argBytes)) return false;
    w->put.putGLSimageFlags(w, imageFlags);
    w->put.breakArgs(w);
    return true;
}

// One image of the record; a size of 0 hands the pixel put no pointer.
void putImage(__GLSwriter *w, GLenum format, GLenum type, GLint width, GLint height,
              GLint depth, GLulong bytes, const GLvoid *pixels) {
    __glsWriterPutPixels(w, format, type, width, height, depth, 0, bytes ? pixels : nullptr);
}

// An image as the caller passed it, with the count its size rule gives.
struct Image {
    GLenum format, type;
    GLint width, height, depth;
    GLint size;
    const GLvoid *pixels;
};

// The template of the records of one image: `putArgs` puts the arguments
// that stand between the bulk break and the image, and a record that the
// writer refuses gets none of them.
template <typename PutArgs>
void writeImage(__GLSwriter *w, GLSopcode op, GLulong fixed, GLSimageFlags imageFlags,
                const Image &image, PutArgs putArgs) {
    const GLulong bytes = imageBytes(image.pixels, image.size);
    if (!beginImage(w, op, fixed + bytes, imageFlags)) return;
    putArgs();
    putImage(w, image.format, image.type, image.width, image.height, image.depth, bytes,
             image.pixels);
    w->put.endCommand(w);
}

// The records whose format and type are the last arguments before the image.
template <typename PutArgs>
void writeFormattedImage(__GLSwriter *w, GLSopcode op, GLulong fixed, GLSimageFlags imageFlags,
                         const Image &img, PutArgs putArgs) {
    writeImage(w, op, fixed, imageFlags, img, [&] {
        putArgs();
        w->put.putGLenum(w, img.format);
        w->put.putGLenum(w, img.type);
    });
}

// The null bit of the texture images, whose null pointer means "no image".
GLSimageFlags nullBit(const GLvoid *pixels) { return pixels ? 0 : __GLS_IMAGE_NULL_BIT; }

// ------------------------------------------------------------ evaluator maps

// The control points: packed k values a point when the caller's points
// have gaps, straight from the caller's array otherwise.
void putPoints(__GLSwriter *w, bool isDouble, GLint k, GLint skip1, GLint count2, GLint skip2,
               GLint count3, GLulong n, const GLvoid *points) {
    const GLint size = isDouble ? 8 : 4;
    if (skip1 || skip2) {
        if (isDouble) {
            w->put.putGLdoubleImage(w, 0, k, skip1 * size, count2, skip2 * size, count3, 0, 1,
                                    points);
        } else {
            w->put.putGLfloatImage(w, 0, k, skip1 * size, count2, skip2 * size, count3, 0, 1,
                                   points);
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
    GLint k = __glsMapComponents(target), gap = 0;
    if (stride >= k) {
        gap = stride - k;
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
    GLint k = __glsMapComponents(target), gap1 = 0, gap2 = 0;
    if (innerStride >= k) {
        gap1 = innerStride - k;
        gap2 = outerStride - innerOrder * innerStride;
        innerStride = k;
        outerStride = innerOrder * k;
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

extern "C" {

void GLSAPI __gls_capture_glMap1d(GLenum target, GLdouble u1, GLdouble u2, GLint stride,
                                  GLint order, const GLdouble *points) {
    __GLS_CAPTURE(glMap1d, (target, u1, u2, stride, order, points),
                  writeMap1(w, __GLS_OP_glMap1d, true, target, &u1, &u2, stride, order, points));
}

void GLSAPI __gls_capture_glMap1f(GLenum target, GLfloat u1, GLfloat u2, GLint stride,
                                  GLint order, const GLfloat *points) {
    __GLS_CAPTURE(glMap1f, (target, u1, u2, stride, order, points),
                  writeMap1(w, __GLS_OP_glMap1f, false, target, &u1, &u2, stride, order, points));
}

void GLSAPI __gls_capture_glMap2d(GLenum target, GLdouble u1, GLdouble u2, GLint ustride,
                                  GLint uorder, GLdouble v1, GLdouble v2, GLint vstride,
                                  GLint vorder, const GLdouble *points) {
    __GLS_CAPTURE(glMap2d, (target, u1, u2, ustride, uorder, v1, v2, vstride, vorder, points),
                  writeMap2(w, __GLS_OP_glMap2d, true, target, &u1, &u2, ustride, uorder, &v1,
                            &v2, vstride, vorder, points));
}

void GLSAPI __gls_capture_glMap2f(GLenum target, GLfloat u1, GLfloat u2, GLint ustride,
                                  GLint uorder, GLfloat v1, GLfloat v2, GLint vstride,
                                  GLint vorder, const GLfloat *points) {
    __GLS_CAPTURE(glMap2f, (target, u1, u2, ustride, uorder, v1, v2, vstride, vorder, points),
                  writeMap2(w, __GLS_OP_glMap2f, false, target, &u1, &u2, ustride, uorder, &v1,
                            &v2, vstride, vorder, points));
}

// --------------------------------------------------------------- the images

void GLSAPI __gls_capture_glBitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig,
                                   GLfloat xmove, GLfloat ymove, const GLubyte *bitmap) {
    __GLS_CAPTURE(glBitmap, (width, height, xorig, yorig, xmove, ymove, bitmap), {
        const Image img = {GL_COLOR_INDEX, GL_BITMAP, width, height, 0,
                           __glsSize_glBitmap(width, height, bitmap), bitmap};
        writeImage(w, __GLS_OP_glBitmap, 28, 0, img, [&] {
            w->put.putGLint(w, width);
            w->put.putGLint(w, height);
            w->put.putGLfloat(w, __glsFloatBits(&xorig));
            w->put.putGLfloat(w, __glsFloatBits(&yorig));
            w->put.putGLfloat(w, __glsFloatBits(&xmove));
            w->put.putGLfloat(w, __glsFloatBits(&ymove));
        });
    });
}

void GLSAPI __gls_capture_glPolygonStipple(const GLubyte *mask) {
    __GLS_CAPTURE(glPolygonStipple, (mask), {
        const Image img = {GL_COLOR_INDEX, GL_BITMAP, 32, 32, 0,
                           __glsSize_glPolygonStipple(mask), mask};
        writeImage(w, __GLS_OP_glPolygonStipple, 4, 0, img, [] {});
    });
}

void GLSAPI __gls_capture_glTexImage1D(GLenum target, GLint level, GLint internalformat,
                                       GLsizei width, GLint border, GLenum format, GLenum type,
                                       const GLvoid *pixels) {
    __GLS_CAPTURE(glTexImage1D,
                  (target, level, internalformat, width, border, format, type, pixels), {
        const Image img = {format, type, width, 1, 0,
                           __glsSize_glTexImage1D(format, type, width, pixels), pixels};
        writeFormattedImage(w, __GLS_OP_glTexImage1D, 32, nullBit(pixels), img, [&] {
            w->put.putGLenum(w, target);
            w->put.putGLint(w, level);
            w->put.putGLint(w, internalformat);
            w->put.putGLint(w, width);
            w->put.putGLint(w, border);
        });
    });
}

void GLSAPI __gls_capture_glTexImage2D(GLenum target, GLint level, GLint internalformat,
                                       GLsizei width, GLsizei height, GLint border,
                                       GLenum format, GLenum type, const GLvoid *pixels) {
    __GLS_CAPTURE(glTexImage2D,
                  (target, level, internalformat, width, height, border, format, type, pixels), {
        const Image img = {format, type, width, height, 0,
                           __glsSize_glTexImage2D(format, type, width, height, pixels), pixels};
        writeFormattedImage(w, __GLS_OP_glTexImage2D, 36, nullBit(pixels), img, [&] {
            w->put.putGLenum(w, target);
            w->put.putGLint(w, level);
            w->put.putGLint(w, internalformat);
            w->put.putGLint(w, width);
            w->put.putGLint(w, height);
            w->put.putGLint(w, border);
        });
    });
}

void GLSAPI __gls_capture_glDrawPixels(GLsizei width, GLsizei height, GLenum format, GLenum type,
                                       const GLvoid *pixels) {
    __GLS_CAPTURE(glDrawPixels, (width, height, format, type, pixels), {
        const Image img = {format, type, width, height, 0,
                           __glsSize_glDrawPixels(format, type, width, height, pixels), pixels};
        writeFormattedImage(w, __GLS_OP_glDrawPixels, 20, 0, img, [&] {
            w->put.putGLint(w, width);
            w->put.putGLint(w, height);
        });
    });
}

void GLSAPI __gls_capture_glTexSubImage1D(GLenum target, GLint level, GLint xoffset,
                                          GLsizei width, GLenum format, GLenum type,
                                          const GLvoid *pixels) {
    __GLS_CAPTURE(glTexSubImage1D, (target, level, xoffset, width, format, type, pixels), {
        const Image img = {format, type, width, 1, 0,
                           __glsSize_glTexSubImage1D(format, type, width, pixels), pixels};
        writeFormattedImage(w, __GLS_OP_glTexSubImage1D, 28, 0, img, [&] {
            w->put.putGLenum(w, target);
            w->put.putGLint(w, level);
            w->put.putGLint(w, xoffset);
            w->put.putGLint(w, width);
        });
    });
}

void GLSAPI __gls_capture_glTexSubImage2D(GLenum target, GLint level, GLint xoffset,
                                          GLint yoffset, GLsizei width, GLsizei height,
                                          GLenum format, GLenum type, const GLvoid *pixels) {
    __GLS_CAPTURE(glTexSubImage2D,
                  (target, level, xoffset, yoffset, width, height, format, type, pixels), {
        const Image img = {format, type, width, height, 0,
                           __glsSize_glTexSubImage2D(format, type, width, height, pixels), pixels};
        writeFormattedImage(w, __GLS_OP_glTexSubImage2D, 36, 0, img, [&] {
            w->put.putGLenum(w, target);
            w->put.putGLint(w, level);
            w->put.putGLint(w, xoffset);
            w->put.putGLint(w, yoffset);
            w->put.putGLint(w, width);
            w->put.putGLint(w, height);
        });
    });
}

void GLSAPI __gls_capture_glConvolutionFilter1D(GLenum target, GLenum internalformat,
                                                GLsizei width, GLenum format, GLenum type,
                                                const GLvoid *image) {
    __GLS_CAPTURE(glConvolutionFilter1D, (target, internalformat, width, format, type, image), {
        const Image img = {format, type, width, 1, 0,
                           __glsSize_glConvolutionFilter1D(format, type, width, image), image};
        writeFormattedImage(w, __GLS_OP_glConvolutionFilter1D, 24, 0, img, [&] {
            w->put.putGLenum(w, target);
            w->put.putGLenum(w, internalformat);
            w->put.putGLint(w, width);
        });
    });
}

void GLSAPI __gls_capture_glConvolutionFilter2D(GLenum target, GLenum internalformat,
                                                GLsizei width, GLsizei height, GLenum format,
                                                GLenum type, const GLvoid *image) {
    __GLS_CAPTURE(glConvolutionFilter2D,
                  (target, internalformat, width, height, format, type, image), {
        const Image img = {format, type, width, height, 0,
                           __glsSize_glConvolutionFilter2D(format, type, width, height, image),
                           image};
        writeFormattedImage(w, __GLS_OP_glConvolutionFilter2D, 28, 0, img, [&] {
            w->put.putGLenum(w, target);
            w->put.putGLenum(w, internalformat);
            w->put.putGLint(w, width);
            w->put.putGLint(w, height);
        });
    });
}

void GLSAPI __gls_capture_glSeparableFilter2D(GLenum target, GLenum internalformat,
                                              GLsizei width, GLsizei height, GLenum format,
                                              GLenum type, const GLvoid *row,
                                              const GLvoid *column) {
    __GLS_CAPTURE(glSeparableFilter2D,
                  (target, internalformat, width, height, format, type, row, column), {
        const GLulong rowBytes =
            imageBytes(row, __glsSize_glSeparableFilter2D_row(target, format, type, width, row));
        const GLulong columnBytes = imageBytes(
            column, __glsSize_glSeparableFilter2D_column(target, format, type, height, column));
        if (!beginImage(w, __GLS_OP_glSeparableFilter2D, 28 + rowBytes + columnBytes, 0)) break;
        w->put.putGLenum(w, target);
        w->put.putGLenum(w, internalformat);
        w->put.putGLint(w, width);
        w->put.putGLint(w, height);
        w->put.putGLenum(w, format);
        w->put.putGLenum(w, type);
        // The column filter is one row of height pixels.
        putImage(w, format, type, width, 1, 0, rowBytes, row);
        putImage(w, format, type, height, 1, 0, columnBytes, column);
        w->put.endCommand(w);
    });
}

void GLSAPI __gls_capture_glTexImage3D(GLenum target, GLint level, GLint internalformat,
                                       GLsizei width, GLsizei height, GLsizei depth,
                                       GLint border, GLenum format, GLenum type,
                                       const GLvoid *pixels) {
    __GLS_CAPTURE(glTexImage3D, (target, level, internalformat, width, height, depth, border,
                                 format, type, pixels), {
        const Image img = {format, type, width, height, depth,
                           __glsSize_glTexImage3D(format, type, width, height, depth, pixels),
                           pixels};
        writeFormattedImage(w, __GLS_OP_glTexImage3D, 40, nullBit(pixels), img, [&] {
            w->put.putGLenum(w, target);
            w->put.putGLint(w, level);
            w->put.putGLenum(w, (GLenum)internalformat);
            w->put.putGLint(w, width);
            w->put.putGLint(w, height);
            w->put.putGLint(w, depth);
            w->put.putGLint(w, border);
        });
    });
}

void GLSAPI __gls_capture_glTexSubImage3D(GLenum target, GLint level, GLint xoffset,
                                          GLint yoffset, GLint zoffset, GLsizei width,
                                          GLsizei height, GLsizei depth, GLenum format,
                                          GLenum type, const GLvoid *pixels) {
    __GLS_CAPTURE(glTexSubImage3D, (target, level, xoffset, yoffset, zoffset, width, height,
                                    depth, format, type, pixels), {
        const Image img = {format, type, width, height, depth,
                           __glsSize_glTexSubImage3D(format, type, width, height, depth, pixels),
                           pixels};
        writeFormattedImage(w, __GLS_OP_glTexSubImage3D, 44, 0, img, [&] {
            w->put.putGLenum(w, target);
            w->put.putGLint(w, level);
            w->put.putGLint(w, xoffset);
            w->put.putGLint(w, yoffset);
            w->put.putGLint(w, zoffset);
            w->put.putGLint(w, width);
            w->put.putGLint(w, height);
            w->put.putGLint(w, depth);
        });
    });
}

void GLSAPI __gls_capture_glColorTable(GLenum target, GLenum internalformat, GLsizei width,
                                       GLenum format, GLenum type, const GLvoid *table) {
    __GLS_CAPTURE(glColorTable, (target, internalformat, width, format, type, table), {
        const Image img = {format, type, width, 1, 0,
                           __glsSize_glColorTable(format, type, width, table), table};
        writeFormattedImage(w, __GLS_OP_glColorTable, 24, 0, img, [&] {
            w->put.putGLenum(w, target);
            w->put.putGLenum(w, internalformat);
            w->put.putGLint(w, width);
        });
    });
}

// ------------------------------------------------- glBegin and glCallLists

void GLSAPI __gls_capture_glBegin(GLenum mode) {
    __GLS_CAPTURE(glBegin, (mode), {
        // In a context stream GL_POINTS .. GL_POLYGON take the argumentless
        // opcodes 1 to 10, decided on the writer current at this call.
        if (w->streamType == GLS_CONTEXT && mode <= GL_POLYGON) {
            if (!w->put.beginCommand(w, (GLSopcode)mode + 1, 0)) break;
        } else {
            if (!w->put.beginCommand(w, __GLS_OP_glBegin, 4)) break;
            w->put.putGLenum(w, mode);
        }
        w->put.endCommand(w);
    });
}

void GLSAPI __gls_capture_glCallLists(GLsizei n, GLenum type, const GLvoid *lists) {
    __GLS_CAPTURE(glCallLists, (n, type, lists), {
        const GLulong bytes = __glsCount(__glsSize_glCallLists(n, type));
        if (!w->put.beginCommand(w, __GLS_OP_glCallLists, 8 + bytes)) break;
        w->put.putGLint(w, n);
        w->put.putGLenum(w, type);
        // Names go only where the size rule counted bytes for them.
        __glsWriterPutIndexArray(w, type, bytes ? n : 0, lists);
        w->put.endCommand(w);
    });
}

// ------------------------------------------------------------------ draws
// With GLS_CAPTURE_VERTEX_ARRAYS set a draw that its expander takes belongs
// wholly to it: no callback, no execution and no record of its own. One it
// cannot expand is captured as it stands.

void GLSAPI __gls_capture_glArrayElement(GLint i) {
    if (__glsGetContext()->captureVertexArrays && __glsCaptureArrayElement(i)) return;
    __GLS_CAPTURE(glArrayElement, (i), {
        if (!w->put.beginCommand(w, __GLS_OP_glArrayElement, 4)) break;
        w->put.putGLint(w, i);
        w->put.endCommand(w);
    });
}

void GLSAPI __gls_capture_glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    if (__glsGetContext()->captureVertexArrays && __glsCaptureDrawArrays(mode, first, count)) {
        return;
    }
    __GLS_CAPTURE(glDrawArrays, (mode, first, count), {
        if (!w->put.beginCommand(w, __GLS_OP_glDrawArrays, 12)) break;
        w->put.putGLenum(w, mode);
        w->put.putGLint(w, first);
        w->put.putGLint(w, count);
        w->put.endCommand(w);
    });
}

void GLSAPI __gls_capture_glDrawElements(GLenum mode, GLsizei count, GLenum type,
                                         const GLvoid *indices) {
    if (__glsGetContext()->captureVertexArrays &&
        __glsCaptureDrawElements(mode, count, type, indices)) {
        return;
    }
    __GLS_CAPTURE(glDrawElements, (mode, count, type, indices), {
        const GLulong bytes = __glsCount(__glsSize_glDrawElements(count, type));
        if (!w->put.beginCommand(w, __GLS_OP_glDrawElements, 12 + bytes)) break;
        w->put.putGLenum(w, mode);
        w->put.putGLint(w, count);
        w->put.putGLenum(w, type);
        __glsWriterPutIndices(w, type, bytes ? count : 0, indices);
        w->put.endCommand(w);
    });
}

}  // extern "C"
