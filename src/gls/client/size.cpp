#include "client/size.h"

#include "base/pixel_formats.h"
#include "base/util.h"
#include "core/context.h"
#include "core/seam.h"
#include "core/startup.h"

// A product that does not fit a 32-bit count sizes nothing: announcing a
// wrapped length would make the record disagree with the data behind it.
static const GLlong maxCount = 0x7FFFFFFF;
static GLint fitCount(GLlong n) { return n >= 0 && n <= maxCount ? (GLint)n : 0; }

// The product of two counts of 0 or more, held above maxCount once it passes
// it, so that a further product cannot overflow 64 bits either.
static GLlong product(GLlong a, GLlong b) {
    return a && b > maxCount / a ? maxCount + 1 : a * b;
}

// ----------------------------------------------------------------- images

static GLlong pixelsSize64(GLenum format, GLenum type, GLint width, GLint height) {
    GLint elements, bits;
    if (width < 0 || height < 0 || !__glsPixelLayout(format, type, &elements, &bits)) return 0;
    // Whole bytes per row; only GL_BITMAP rows end inside a byte.
    GLlong rowBytes = ((GLlong)elements * width * bits + 7) / 8;
    return product(rowBytes, height);
}

GLint __glsPixelsSize(GLenum format, GLenum type, GLint width, GLint height) {
    return fitCount(pixelsSize64(format, type, width, height));
}

// Index, stencil and depth images and bitmaps count like any other: a
// texture, filter or table given one reads its pixels as well.
static GLint imageSize3D(GLenum format, GLenum type, GLint width, GLint height, GLint depth) {
    if (depth < 0) return 0;
    return fitCount(product(pixelsSize64(format, type, width, height), depth));
}

// What the GL may write for an image query: the image's bytes, or, for a
// format or type the table does not know, as many bytes as the largest
// pixel takes, since a GL that knows more writes them all the same. A size
// past 31 bits is held at the largest count instead of 0, so that the
// decoder refuses the buffer rather than hand the GL too small a one.
static GLint outputImageSize(GLenum format, GLenum type, GLint width, GLint height, GLint depth) {
    if (width < 0 || height < 0 || depth < 0) return 0;
    GLint elements, bits;
    const GLlong row = __glsPixelLayout(format, type, &elements, &bits)
                           ? ((GLlong)elements * width * bits + 7) / 8
                           : (GLlong)width * __GLS_MAX_PIXEL_BYTES;
    const GLlong bytes = product(product(row, height), depth);
    return bytes > maxCount ? (GLint)maxCount : (GLint)bytes;
}

GLint __glsSize_glBitmap(GLsizei width, GLsizei height, const GLubyte *bitmap) {
    return bitmap ? __glsPixelsSize(GL_COLOR_INDEX, GL_BITMAP, width, height) : 0;
}

GLint __glsSize_glPolygonStipple(const GLubyte *mask) {
    return mask ? __glsPixelsSize(GL_COLOR_INDEX, GL_BITMAP, 32, 32) : 0;
}

GLint __glsSize_glGetPolygonStipple(void) {
    return __glsPixelsSize(GL_COLOR_INDEX, GL_BITMAP, 32, 32);
}

GLint __glsSize_glDrawPixels(GLenum format, GLenum type, GLsizei width, GLsizei height,
                             const GLvoid *pixels) {
    return pixels ? __glsPixelsSize(format, type, width, height) : 0;
}

GLint __glsSize_glReadPixels(GLenum format, GLenum type, GLsizei width, GLsizei height) {
    return outputImageSize(format, type, width, height, 1);
}

GLint __glsSize_glTexImage1D(GLenum format, GLenum type, GLsizei width, const GLvoid *pixels) {
    return pixels ? __glsPixelsSize(format, type, width, 1) : 0;
}

GLint __glsSize_glTexImage2D(GLenum format, GLenum type, GLsizei width, GLsizei height,
                             const GLvoid *pixels) {
    return pixels ? __glsPixelsSize(format, type, width, height) : 0;
}

GLint __glsSize_glTexImage3D(GLenum format, GLenum type, GLsizei width, GLsizei height,
                             GLsizei depth, const GLvoid *pixels) {
    return pixels ? imageSize3D(format, type, width, height, depth) : 0;
}

GLint __glsSize_glTexSubImage1D(GLenum format, GLenum type, GLsizei width,
                                const GLvoid *pixels) {
    return __glsSize_glTexImage1D(format, type, width, pixels);
}

GLint __glsSize_glTexSubImage2D(GLenum format, GLenum type, GLsizei width, GLsizei height,
                                const GLvoid *pixels) {
    return __glsSize_glTexImage2D(format, type, width, height, pixels);
}

GLint __glsSize_glTexSubImage3D(GLenum format, GLenum type, GLsizei width, GLsizei height,
                                GLsizei depth, const GLvoid *pixels) {
    return __glsSize_glTexImage3D(format, type, width, height, depth, pixels);
}

GLint __glsSize_glConvolutionFilter1D(GLenum format, GLenum type, GLsizei width,
                                      const GLvoid *image) {
    return __glsSize_glTexImage1D(format, type, width, image);
}

GLint __glsSize_glConvolutionFilter2D(GLenum format, GLenum type, GLsizei width, GLsizei height,
                                      const GLvoid *image) {
    return __glsSize_glTexImage2D(format, type, width, height, image);
}

GLint __glsSize_glSeparableFilter2D_row(GLenum format, GLenum type, GLsizei width,
                                        const GLvoid *row) {
    return __glsSize_glTexImage1D(format, type, width, row);
}

GLint __glsSize_glSeparableFilter2D_column(GLenum format, GLenum type, GLsizei height,
                                           const GLvoid *column) {
    return column ? __glsPixelsSize(format, type, 1, height) : 0;
}

GLint __glsSize_glColorTable(GLenum format, GLenum type, GLsizei width, const GLvoid *table) {
    return __glsSize_glTexImage1D(format, type, width, table);
}

GLint __glsSize_glGetMinmax(GLenum, GLenum format, GLenum type) {
    return outputImageSize(format, type, 2, 1, 1);
}

// ------------------------------------------------- dimensions from the GL
// Every question goes to the real library through the default table, inside
// the execute bracket of the query's own opcode, so that an open capture
// neither records nor intercepts it. A GL that does not answer leaves the
// start value.

static GLint askTexLevel(GLenum target, GLint level, GLenum pname, GLint start) {
    GLint value = start;
    GLint token = __glsBeginCaptureExec(__GLS_OP_glGetTexLevelParameteriv);
    __GLS_SLOT(__glsDefaultDispatchTable, glGetTexLevelParameteriv)(target, level, pname, &value);
    __glsEndCaptureExec(__GLS_OP_glGetTexLevelParameteriv, token);
    return value;
}

static GLint askConvolution(GLenum target, GLenum pname) {
    GLint value = 0;
    GLint token = __glsBeginCaptureExec(__GLS_OP_glGetConvolutionParameteriv);
    __GLS_SLOT(__glsDefaultDispatchTable, glGetConvolutionParameteriv)(target, pname, &value);
    __glsEndCaptureExec(__GLS_OP_glGetConvolutionParameteriv, token);
    return value;
}

GLint __glsSize_glGetTexImage(GLenum target, GLint level, GLenum format, GLenum type) {
    __GLScontext *ctx = __glsGetContext();
    if (!ctx || level < 0) return 0;
    GLboolean is3D = target == GL_TEXTURE_3D;
    // A GL without 3-D textures would refuse the target and keep the error;
    // the depth is asked of 3-D textures only, the others having one image.
    if (target != GL_TEXTURE_1D && target != GL_TEXTURE_2D &&
        !(is3D && __glsGLExtensionPresent(&ctx->glInfo, 0))) {
        return 0;
    }
    GLint width = askTexLevel(target, level, GL_TEXTURE_WIDTH, 0);
    GLint height = askTexLevel(target, level, GL_TEXTURE_HEIGHT, 0);
    GLint depth = is3D ? askTexLevel(target, level, GL_TEXTURE_DEPTH, 1) : 1;
    return outputImageSize(format, type, width, height, depth);
}

GLint __glsSize_glGetConvolutionFilter(GLenum target, GLenum format, GLenum type) {
    if (!__glsGetContext() || (target != GL_CONVOLUTION_1D && target != GL_CONVOLUTION_2D)) {
        return 0;
    }
    GLint width = askConvolution(target, GL_CONVOLUTION_WIDTH);
    GLint height = target == GL_CONVOLUTION_2D ? askConvolution(target, GL_CONVOLUTION_HEIGHT) : 1;
    return outputImageSize(format, type, width, height, 1);
}

GLint __glsSize_glGetSeparableFilter_row(GLenum target, GLenum format, GLenum type) {
    if (!__glsGetContext() || target != GL_SEPARABLE_2D) return 0;
    return outputImageSize(format, type, askConvolution(target, GL_CONVOLUTION_WIDTH), 1, 1);
}

GLint __glsSize_glGetSeparableFilter_column(GLenum target, GLenum format, GLenum type) {
    if (!__glsGetContext() || target != GL_SEPARABLE_2D) return 0;
    return outputImageSize(format, type, 1, askConvolution(target, GL_CONVOLUTION_HEIGHT), 1);
}

// The span of a separable filter is unused by OpenGL and carries nothing.
GLint __glsSize_glGetSeparableFilter_span(GLenum, GLenum, GLenum) { return 0; }

GLint __glsSize_glGetHistogram(GLenum target, GLenum format, GLenum type) {
    if (!__glsGetContext() || target != GL_HISTOGRAM) return 0;
    GLint width = 0;
    GLint token = __glsBeginCaptureExec(__GLS_OP_glGetHistogramParameteriv);
    __GLS_SLOT(__glsDefaultDispatchTable, glGetHistogramParameteriv)(target, GL_HISTOGRAM_WIDTH,
                                                                     &width);
    __glsEndCaptureExec(__GLS_OP_glGetHistogramParameteriv, token);
    return outputImageSize(format, type, width, 1, 1);
}

GLint __glsSize_glGetColorTable(GLenum target, GLenum format, GLenum type) {
    if (target != GL_COLOR_TABLE && target != GL_POST_CONVOLUTION_COLOR_TABLE &&
        target != GL_POST_COLOR_MATRIX_COLOR_TABLE) {
        return 0;
    }
    if (!__glsGetContext()) return 0;
    GLint width = 0;
    GLint token = __glsBeginCaptureExec(__GLS_OP_glGetColorTableParameteriv);
    __GLS_SLOT(__glsDefaultDispatchTable, glGetColorTableParameteriv)(
        target, GL_COLOR_TABLE_WIDTH, &width);
    __glsEndCaptureExec(__GLS_OP_glGetColorTableParameteriv, token);
    return outputImageSize(format, type, width, 1, 1);
}

// ---------------------------------------------------------------- evaluators

GLint __glsMapComponents(GLenum target) {
    switch (target) {
    case GL_MAP1_INDEX:
    case GL_MAP1_TEXTURE_COORD_1:
    case GL_MAP2_INDEX:
    case GL_MAP2_TEXTURE_COORD_1: return 1;
    case GL_MAP1_TEXTURE_COORD_2:
    case GL_MAP2_TEXTURE_COORD_2: return 2;
    case GL_MAP1_NORMAL:
    case GL_MAP1_TEXTURE_COORD_3:
    case GL_MAP1_VERTEX_3:
    case GL_MAP2_NORMAL:
    case GL_MAP2_TEXTURE_COORD_3:
    case GL_MAP2_VERTEX_3: return 3;
    case GL_MAP1_COLOR_4:
    case GL_MAP1_TEXTURE_COORD_4:
    case GL_MAP1_VERTEX_4:
    case GL_MAP2_COLOR_4:
    case GL_MAP2_TEXTURE_COORD_4:
    case GL_MAP2_VERTEX_4: return 4;
    default: return 0;
    }
}

GLulong __glsMapExtent(GLenum target, GLint stride1, GLint order1, GLint stride2, GLint order2) {
    const GLint k = __glsMapComponents(target);
    if (k <= 0 || stride1 < k || order1 <= 0 || stride2 < k || order2 <= 0) return 0;
    // Each product is below 2 to the 62nd: the sum cannot wrap.
    return (GLulong)(order1 - 1) * (GLulong)stride1 + (GLulong)(order2 - 1) * (GLulong)stride2 +
           (GLulong)k;
}

static GLboolean isMap2(GLenum target) {
    return target >= GL_MAP2_COLOR_4 && target <= GL_MAP2_VERTEX_4;
}

GLint __glsSize_glMap1d(GLenum target, GLint stride, GLint order) {
    GLint k = __glsMapComponents(target);
    if (stride < k || order < 0) return 0;
    return fitCount((GLlong)k * order);
}

GLint __glsSize_glMap1f(GLenum target, GLint stride, GLint order) {
    return __glsSize_glMap1d(target, stride, order);
}

GLint __glsSize_glMap2d(GLenum target, GLint ustride, GLint uorder, GLint vstride, GLint vorder) {
    GLint k = __glsMapComponents(target);
    if (ustride < k || uorder < 0 || vstride < k || vorder < 0) return 0;
    return fitCount(product((GLlong)k * uorder, vorder));
}

GLint __glsSize_glMap2f(GLenum target, GLint ustride, GLint uorder, GLint vstride, GLint vorder) {
    return __glsSize_glMap2d(target, ustride, uorder, vstride, vorder);
}

GLint __glsSize_glGetMap(GLenum target, GLenum query) {
    GLint k = __glsMapComponents(target);
    if (!k || !__glsGetContext()) return 0;
    GLboolean two = isMap2(target);
    GLint order[2] = {0, 0};
    GLint token = __glsBeginCaptureExec(__GLS_OP_glGetMapiv);
    __GLS_SLOT(__glsDefaultDispatchTable, glGetMapiv)(target, GL_ORDER, order);
    __glsEndCaptureExec(__GLS_OP_glGetMapiv, token);
    if (order[0] < 0 || (two && order[1] < 0)) return 0;
    switch (query) {
    case GL_COEFF: return fitCount(product((GLlong)k * order[0], two ? order[1] : 1));
    case GL_ORDER: return two ? 2 : 1;
    case GL_DOMAIN: return two ? 4 : 2;
    default: return 0;
    }
}

GLint __glsSize_glGetMapdv(GLenum target, GLenum query) {
    return __glsSize_glGetMap(target, query);
}
GLint __glsSize_glGetMapfv(GLenum target, GLenum query) {
    return __glsSize_glGetMap(target, query);
}
GLint __glsSize_glGetMapiv(GLenum target, GLenum query) {
    return __glsSize_glGetMap(target, query);
}

// ---------------------------------------------------------------- pixel maps

static_assert(GL_PIXEL_MAP_A_TO_A - GL_PIXEL_MAP_I_TO_I == 9 &&
                  GL_PIXEL_MAP_A_TO_A_SIZE - GL_PIXEL_MAP_I_TO_I_SIZE == 9,
              "the ten pixel maps and their sizes are numbered alike");

GLint __glsSize_glGetPixelMap(GLenum map) {
    if (map < GL_PIXEL_MAP_I_TO_I || map > GL_PIXEL_MAP_A_TO_A || !__glsGetContext()) return 0;
    GLint size = 0;
    GLint token = __glsBeginCaptureExec(__GLS_OP_glGetIntegerv);
    __GLS_SLOT(__glsDefaultDispatchTable, glGetIntegerv)(
        GL_PIXEL_MAP_I_TO_I_SIZE + (map - GL_PIXEL_MAP_I_TO_I), &size);
    __glsEndCaptureExec(__GLS_OP_glGetIntegerv, token);
    return size > 0 ? size : 0;
}

GLint __glsSize_glGetPixelMapfv(GLenum map) { return __glsSize_glGetPixelMap(map); }
GLint __glsSize_glGetPixelMapuiv(GLenum map) { return __glsSize_glGetPixelMap(map); }
GLint __glsSize_glGetPixelMapusv(GLenum map) { return __glsSize_glGetPixelMap(map); }

// ------------------------------------------------- lists and vertex data

GLint __glsSize_glCallLists(GLsizei n, GLenum type) {
    if (n < 0 || type == GL_DOUBLE) return 0;
    return fitCount((GLlong)n * __glsTypeSize(type));
}

GLint __glsSize_glDrawElements(GLsizei count, GLenum type) {
    if (count < 0) return 0;
    if (type != GL_UNSIGNED_BYTE && type != GL_UNSIGNED_SHORT && type != GL_UNSIGNED_INT) return 0;
    return fitCount((GLlong)count * __glsTypeSize(type));
}

GLint __glsSize_glsDrawVertexArray(GLenum format, GLint count) {
    const __GLSinterleavedFormat *row = __glsInterleavedFormat(format);
    if (!row) return 0;
    return count < 0 ? 0 : fitCount((GLlong)count * row->stride);
}
