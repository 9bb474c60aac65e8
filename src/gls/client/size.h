// Size functions: the length of every array argument whose length is not
// itself an argument. The capture functions size what they announce and
// write by them, the decoders what they read, swap, print or provide as an
// output buffer, so capture and decoding agree on every length.
//
// Results are value counts (parameter vectors, control points) or byte
// counts (images, masks, tables, lists, vertex data), never negative. An
// argument a rule does not accept gives 0, except that the parameter
// vectors of the query commands give 1 for a name they do not list. A null
// image, mask or table pointer, a negative extent, and a size that does not
// fit in 31 bits give 0. The rules that ask the real GL for a current
// dimension do so inside the execute bracket, only for the targets they
// accept, and give 0 without a current GLS context; all other rules are pure.
//
// The rules have C++ linkage: a call made with another parameter list then
// fails to link, where a C name would link and read arguments never passed.
#pragma once

#include "base/gls.h"
#include "gls_pname_sizes.h"

// The length an array takes for a count or size argument: a negative one
// gives an empty array, in capture and decoding alike.
static inline GLulong __glsCount(GLint count) { return count > 0 ? (GLulong)count : 0; }

// The bytes of an image argument by its size rule: none for a null pointer,
// so that a record never announces bytes that the pixel put cannot write.
static inline GLulong __glsImageBytes(const GLvoid *pixels, GLint size) {
    return pixels ? __glsCount(size) : 0;
}

// ---------------------------------------------------------- shared rules
// Bytes of a tightly packed image: rows not aligned, no skips.
GLint __glsPixelsSize(GLenum format, GLenum type, GLint width, GLint height);
// Values per evaluator control point; 0 for a target that is not a map.
GLint __glsMapComponents(GLenum target);
// The control-point values the GL reads with these strides and orders, from
// the first value of the first point to the last value of the last: 0 when
// it reads none (no map target, a stride below the components of a point,
// an order below 1). A one-dimensional map passes stride2 = its components
// and order2 = 1.
GLulong __glsMapExtent(GLenum target, GLint stride1, GLint order1, GLint stride2, GLint order2);
// Values answered by glGetMapdv, glGetMapfv, glGetMapiv; asks the GL.
GLint __glsSize_glGetMap(GLenum target, GLenum query);
// Values answered by glGetPixelMapfv, glGetPixelMapuiv, glGetPixelMapusv;
// asks the GL.
GLint __glsSize_glGetPixelMap(GLenum map);

// ------------------------------------------- parameter vectors (values)
// The rules that depend only on a parameter name, __glsSize_<command>(pname),
// and per family __gls<family>Count(pname) (__glsGetCount answers for
// glGetBooleanv, glGetDoublev, glGetFloatv and glGetIntegerv), are generated
// from the table of parameter counts into gls_pname_sizes.h.

// Values answered by the map and pixel-map queries; they ask the GL.
GLint __glsSize_glGetMapdv(GLenum target, GLenum query);
GLint __glsSize_glGetMapfv(GLenum target, GLenum query);
GLint __glsSize_glGetMapiv(GLenum target, GLenum query);
GLint __glsSize_glGetPixelMapfv(GLenum map);
GLint __glsSize_glGetPixelMapuiv(GLenum map);
GLint __glsSize_glGetPixelMapusv(GLenum map);

// ------------------------------------------- evaluator control points (values)
GLint __glsSize_glMap1d(GLenum target, GLint stride, GLint order);
GLint __glsSize_glMap1f(GLenum target, GLint stride, GLint order);
GLint __glsSize_glMap2d(GLenum target, GLint ustride, GLint uorder, GLint vstride, GLint vorder);
GLint __glsSize_glMap2f(GLenum target, GLint ustride, GLint uorder, GLint vstride, GLint vorder);

// ------------------------- images, masks, tables, lists, vertex data (bytes)
// The commands that hand the GL an image, mask or table take its pointer
// last: a null pointer is an image of 0 bytes, as the writer's pixel put
// writes nothing for it. A decoder passes where the record's data stands, or
// null when the record's image flags mark a null image.
GLint __glsSize_glBitmap(GLsizei width, GLsizei height, const GLubyte *bitmap);
GLint __glsSize_glPolygonStipple(const GLubyte *mask);
GLint __glsSize_glDrawPixels(GLenum format, GLenum type, GLsizei width, GLsizei height,
                             const GLvoid *pixels);
GLint __glsSize_glTexImage1D(GLenum format, GLenum type, GLsizei width, const GLvoid *pixels);
GLint __glsSize_glTexImage2D(GLenum format, GLenum type, GLsizei width, GLsizei height,
                             const GLvoid *pixels);
GLint __glsSize_glTexImage3D(GLenum format, GLenum type, GLsizei width, GLsizei height,
                             GLsizei depth, const GLvoid *pixels);
GLint __glsSize_glTexSubImage1D(GLenum format, GLenum type, GLsizei width,
                                const GLvoid *pixels);
GLint __glsSize_glTexSubImage2D(GLenum format, GLenum type, GLsizei width, GLsizei height,
                                const GLvoid *pixels);
GLint __glsSize_glTexSubImage3D(GLenum format, GLenum type, GLsizei width, GLsizei height,
                                GLsizei depth, const GLvoid *pixels);
GLint __glsSize_glConvolutionFilter1D(GLenum format, GLenum type, GLsizei width,
                                      const GLvoid *image);
GLint __glsSize_glConvolutionFilter2D(GLenum format, GLenum type, GLsizei width, GLsizei height,
                                      const GLvoid *image);
GLint __glsSize_glSeparableFilter2D_row(GLenum format, GLenum type, GLsizei width,
                                        const GLvoid *row);
GLint __glsSize_glSeparableFilter2D_column(GLenum format, GLenum type, GLsizei height,
                                           const GLvoid *column);
GLint __glsSize_glColorTable(GLenum format, GLenum type, GLsizei width, const GLvoid *table);

// Output images of the query commands; the decoder provides the buffer.
GLint __glsSize_glReadPixels(GLenum format, GLenum type, GLsizei width, GLsizei height);
GLint __glsSize_glGetPolygonStipple(void);
GLint __glsSize_glGetMinmax(GLenum target, GLenum format, GLenum type);
// These ask the GL for the current dimensions.
GLint __glsSize_glGetTexImage(GLenum target, GLint level, GLenum format, GLenum type);
GLint __glsSize_glGetConvolutionFilter(GLenum target, GLenum format, GLenum type);
GLint __glsSize_glGetSeparableFilter_row(GLenum target, GLenum format, GLenum type);
GLint __glsSize_glGetSeparableFilter_column(GLenum target, GLenum format, GLenum type);
GLint __glsSize_glGetSeparableFilter_span(GLenum target, GLenum format, GLenum type);
GLint __glsSize_glGetHistogram(GLenum target, GLenum format, GLenum type);
GLint __glsSize_glGetColorTable(GLenum target, GLenum format, GLenum type);

GLint __glsSize_glCallLists(GLsizei n, GLenum type);
GLint __glsSize_glDrawElements(GLsizei count, GLenum type);
GLint __glsSize_glsDrawVertexArray(GLenum format, GLint count);
