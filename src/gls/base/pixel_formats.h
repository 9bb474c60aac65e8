// The one table of pixel formats and types, and the one table of
// interleaved vertex formats. The writer's pixel put reads
// images by it and the size functions count their bytes by it, so the bytes
// a capture announces for an image are the bytes the writer puts.
#pragma once

#include "base/gls.h"

// What the elements of a pixel type are: bits of GL_BITMAP rows, or whole
// signed, unsigned or floating-point values.
enum {
    __GLS_ELEMENT_BITS,
    __GLS_ELEMENT_SIGNED,
    __GLS_ELEMENT_UNSIGNED,
    __GLS_ELEMENT_FLOAT,
};

// The bits of one element of a pixel type (1 for GL_BITMAP, else 8, 16 or
// 32), and its kind when outKind is not null; 0 for a type no pixel takes.
GLint __glsPixelTypeBits(GLenum type, GLint *outKind);

// No pixel of any format and type takes more bytes: the table's largest is
// 20 (GL_CMYKA_EXT floats), the widest of later GLs 16.
enum { __GLS_MAX_PIXEL_BYTES = 32 };

// How one pixel of format and type is stored: elements per pixel (a packed
// type holds a whole pixel in one element) and bits per element. 1 when the
// pair is valid; 0, outputs untouched, for an unknown format or type, a
// packed type whose layout needs another number of components, or GL_BITMAP
// with a format other than GL_COLOR_INDEX and GL_STENCIL_INDEX.
GLboolean __glsPixelLayout(GLenum format, GLenum type, GLint *outElements, GLint *outBits);

// The interleaved vertex formats, GL_V2F to GL_T4F_C4F_N3F_V4F in
// enumerant order and then a record of format 0: which arrays a format
// holds, the colour type and the sizes, the byte offsets of colour, normal
// and vertex (texture coordinates come first), and the bytes of one vertex.
struct __GLSinterleavedFormat {
    GLenum format;
    GLint hasColor, hasNormal, hasTexCoord;
    GLenum colorType;
    GLint colorSize, texCoordSize, vertexSize;
    GLint colorOffset, normalOffset, vertexOffset, stride;
};

extern "C" {

extern const __GLSinterleavedFormat __glsInterleavedFormats[];

// The table's record of `format`, or null for an enumerant that names no
// interleaved format.
const __GLSinterleavedFormat *__glsInterleavedFormat(GLenum format);

}  // extern "C"
