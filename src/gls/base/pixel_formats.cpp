#include "base/pixel_formats.h"

// Components of one pixel of format; 0 for a format that carries no pixels.
static GLint formatComponents(GLenum format) {
    switch (format) {
    case GL_COLOR_INDEX:
    case GL_STENCIL_INDEX:
    case GL_DEPTH_COMPONENT:
    case GL_RED:
    case GL_GREEN:
    case GL_BLUE:
    case GL_ALPHA:
    case GL_LUMINANCE: return 1;
    case GL_LUMINANCE_ALPHA: return 2;
    case GL_RGB:
    case GL_BGR: return 3;
    case GL_RGBA:
    case GL_BGRA:
    case GL_ABGR_EXT:
    case GL_CMYK_EXT: return 4;
    case GL_CMYKA_EXT: return 5;
    default: return 0;
    }
}

// Every pixel type of OpenGL 1.2 and of the extensions the command table
// holds: bits per element, the components one packed element holds (0 for
// a plain type), and what an element is.
struct __GLSpixelType {
    GLenum type;
    GLint bits, packed, kind;
};

static const __GLSpixelType __glsPixelTypes[] = {
    {GL_BITMAP, 1, 0, __GLS_ELEMENT_BITS},
    {GL_BYTE, 8, 0, __GLS_ELEMENT_SIGNED},
    {GL_UNSIGNED_BYTE, 8, 0, __GLS_ELEMENT_UNSIGNED},
    {GL_SHORT, 16, 0, __GLS_ELEMENT_SIGNED},
    {GL_UNSIGNED_SHORT, 16, 0, __GLS_ELEMENT_UNSIGNED},
    {GL_INT, 32, 0, __GLS_ELEMENT_SIGNED},
    {GL_UNSIGNED_INT, 32, 0, __GLS_ELEMENT_UNSIGNED},
    {GL_FLOAT, 32, 0, __GLS_ELEMENT_FLOAT},
    {GL_UNSIGNED_BYTE_3_3_2, 8, 3, __GLS_ELEMENT_UNSIGNED},
    {GL_UNSIGNED_BYTE_2_3_3_REV, 8, 3, __GLS_ELEMENT_UNSIGNED},
    {GL_UNSIGNED_SHORT_5_6_5, 16, 3, __GLS_ELEMENT_UNSIGNED},
    {GL_UNSIGNED_SHORT_5_6_5_REV, 16, 3, __GLS_ELEMENT_UNSIGNED},
    {GL_UNSIGNED_SHORT_4_4_4_4, 16, 4, __GLS_ELEMENT_UNSIGNED},
    {GL_UNSIGNED_SHORT_4_4_4_4_REV, 16, 4, __GLS_ELEMENT_UNSIGNED},
    {GL_UNSIGNED_SHORT_5_5_5_1, 16, 4, __GLS_ELEMENT_UNSIGNED},
    {GL_UNSIGNED_SHORT_1_5_5_5_REV, 16, 4, __GLS_ELEMENT_UNSIGNED},
    {GL_UNSIGNED_INT_8_8_8_8, 32, 4, __GLS_ELEMENT_UNSIGNED},
    {GL_UNSIGNED_INT_8_8_8_8_REV, 32, 4, __GLS_ELEMENT_UNSIGNED},
    {GL_UNSIGNED_INT_10_10_10_2, 32, 4, __GLS_ELEMENT_UNSIGNED},
    {GL_UNSIGNED_INT_2_10_10_10_REV, 32, 4, __GLS_ELEMENT_UNSIGNED},
};

static const __GLSpixelType *__glsFindPixelType(GLenum type) {
    for (const __GLSpixelType &t : __glsPixelTypes) {
        if (t.type == type) return &t;
    }
    return nullptr;
}

GLint __glsPixelTypeBits(GLenum type, GLint *outKind) {
    const __GLSpixelType *t = __glsFindPixelType(type);
    if (!t) return 0;
    if (outKind) *outKind = t->kind;
    return t->bits;
}

GLboolean __glsPixelLayout(GLenum format, GLenum type, GLint *outElements, GLint *outBits) {
    GLint components = formatComponents(format);
    const __GLSpixelType *t = __glsFindPixelType(type);
    if (!components || !t) return 0;
    if (type == GL_BITMAP && format != GL_COLOR_INDEX && format != GL_STENCIL_INDEX) return 0;
    // A packed element holds a whole pixel.
    if (t->packed) {
        if (components != t->packed) return 0;
        components = 1;
    }
    *outElements = components;
    *outBits = t->bits;
    return 1;
}

// ------------------------------------------------- interleaved arrays

extern "C" const __GLSinterleavedFormat __glsInterleavedFormats[] = {
    {GL_V2F, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 8},
    {GL_V3F, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 12},
    {GL_C4UB_V2F, 1, 0, 0, GL_UNSIGNED_BYTE, 4, 0, 2, 0, 0, 4, 12},
    {GL_C4UB_V3F, 1, 0, 0, GL_UNSIGNED_BYTE, 4, 0, 3, 0, 0, 4, 16},
    {GL_C3F_V3F, 1, 0, 0, GL_FLOAT, 3, 0, 3, 0, 0, 12, 24},
    {GL_N3F_V3F, 0, 1, 0, 0, 0, 0, 3, 0, 0, 12, 24},
    {GL_C4F_N3F_V3F, 1, 1, 0, GL_FLOAT, 4, 0, 3, 0, 16, 28, 40},
    {GL_T2F_V3F, 0, 0, 1, 0, 0, 2, 3, 0, 0, 8, 20},
    {GL_T4F_V4F, 0, 0, 1, 0, 0, 4, 4, 0, 0, 16, 32},
    {GL_T2F_C4UB_V3F, 1, 0, 1, GL_UNSIGNED_BYTE, 4, 2, 3, 8, 0, 12, 24},
    {GL_T2F_C3F_V3F, 1, 0, 1, GL_FLOAT, 3, 2, 3, 8, 0, 20, 32},
    {GL_T2F_N3F_V3F, 0, 1, 1, 0, 0, 2, 3, 0, 8, 20, 32},
    {GL_T2F_C4F_N3F_V3F, 1, 1, 1, GL_FLOAT, 4, 2, 3, 8, 24, 36, 48},
    {GL_T4F_C4F_N3F_V4F, 1, 1, 1, GL_FLOAT, 4, 4, 4, 16, 32, 44, 60},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
};

const __GLSinterleavedFormat *__glsInterleavedFormat(GLenum format) {
    if (format < GL_V2F || format > GL_T4F_C4F_N3F_V4F) return nullptr;
    return &__glsInterleavedFormats[format - GL_V2F];
}
