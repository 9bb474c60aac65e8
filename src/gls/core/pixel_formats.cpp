#include "pixel_formats.h"

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

GLboolean __glsPixelLayout(GLenum format, GLenum type, GLint *outElements, GLint *outBits) {
    GLint components = formatComponents(format);
    if (!components) return 0;
    // packed: the components a packed element holds, 0 for a plain type.
    GLint bits, packed = 0;
    switch (type) {
    case GL_BITMAP:
        if (format != GL_COLOR_INDEX && format != GL_STENCIL_INDEX) return 0;
        bits = 1;
        break;
    case GL_BYTE:
    case GL_UNSIGNED_BYTE: bits = 8; break;
    case GL_UNSIGNED_BYTE_3_3_2_EXT: bits = 8; packed = 3; break;
    case GL_SHORT:
    case GL_UNSIGNED_SHORT: bits = 16; break;
    case GL_UNSIGNED_SHORT_4_4_4_4_EXT:
    case GL_UNSIGNED_SHORT_5_5_5_1_EXT: bits = 16; packed = 4; break;
    case GL_INT:
    case GL_UNSIGNED_INT:
    case GL_FLOAT: bits = 32; break;
    case GL_UNSIGNED_INT_8_8_8_8_EXT:
    case GL_UNSIGNED_INT_10_10_10_2_EXT: bits = 32; packed = 4; break;
    default: return 0;
    }
    if (packed) {
        if (components != packed) return 0;
        components = 1;
    }
    *outElements = components;
    *outBits = bits;
    return 1;
}
