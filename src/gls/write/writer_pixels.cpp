// Bulk data shared by both writers: image data gathered by the unpack
// pixel-store modes, GL_BITMAP rows, index and list arrays.
#include "write/writer.h"

#include "base/pixel_formats.h"

static GLubyte reverseBits(GLubyte b) {
    b = (GLubyte)((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = (GLubyte)((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return (GLubyte)((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

GLubyte __glsBitmapByte(const GLubyte *row, GLboolean lsbFirst, GLint bitOffset, GLint rowBits,
                        GLint i) {
    if (bitOffset < 0) bitOffset = 0;
    row += bitOffset / 8;
    GLint s = bitOffset % 8;
    GLint last = (GLint)(((GLlong)rowBits + 7) / 8) - 1;
    GLint lastBits = rowBits - 8 * last;  // 1 to 8
    GLuint v = lsbFirst ? reverseBits(row[i]) : row[i];
    // The next byte is read only when it holds some of the row's bits.
    if (s && (i < last || s + lastBits > 8)) {
        GLubyte next = lsbFirst ? reverseBits(row[i + 1]) : row[i + 1];
        v = (v << s) | (next >> (8 - s));
    } else {
        v <<= s;
    }
    if (i == last) v &= 0xFF00u >> lastBits;
    return (GLubyte)v;
}

const GLubyte *__glsBitmapNextRow(const GLubyte *row, GLint rowBits, GLint skipBits) {
    GLlong skipBytes = skipBits >= 0 ? skipBits / 8 : -((7 - (GLlong)skipBits) / 8);
    return row + ((GLlong)rowBits + 7) / 8 + skipBytes;
}

GLboolean __glsPixelRowSize(GLenum format, GLenum type, GLint width,
                            const __GLSpixelStore *state, __GLSpixelRowInfo *info) {
    *info = __GLSpixelRowInfo{};
    GLint components, bits;
    if (!__glsPixelLayout(format, type, &components, &bits)) return 0;
    info->bitsPerComponent = bits;
    info->components = components;
    info->elementsPerRow = components * width;
    info->rowBytes = (GLint)(((GLlong)info->elementsPerRow * bits + 7) / 8);
    info->strideBytes =
        state->rowLength ? (GLint)(((GLlong)components * state->rowLength * bits + 7) / 8)
                         : info->rowBytes;
    GLint r = info->strideBytes & (state->alignment - 1);
    if (r) {
        info->padBytes = state->alignment - r;
        info->strideBytes += info->padBytes;
    }
    return 1;
}

void __glsWriterPutPixels(__GLSwriter *w, GLenum format, GLenum type, GLint width, GLint height,
                          GLint depth, GLint extent4, const GLvoid *pixels) {
    __GLSpixelStore state;
    __GLSpixelRowInfo info;
    __glsWriterPixelUnpackState(&state);
    if (!pixels || !__glsPixelRowSize(format, type, width, &state, &info)) {
        w->put.putGLbytev(w, 0, nullptr);
        return;
    }
    GLlong images = 1, imageSkip = 0, skipRows = state.skipRows;
    if (depth) {
        GLlong imageHeight = state.imageHeight ? state.imageHeight : height;
        skipRows += imageHeight * state.skipImages;
        images = depth;
        imageSkip = (GLlong)info.strideBytes * (imageHeight - height);
    }
    const GLubyte *start = (const GLubyte *)pixels +
                           (GLlong)state.skipPixels * info.components * info.bitsPerComponent / 8 +
                           skipRows * info.strideBytes;
    GLint rowSkip = info.strideBytes - info.rowBytes;
    GLboolean swap = state.swapBytes != 0;
    auto image = [&](decltype(w->put.putGLbyteImage) put, GLboolean swapIt) {
        put(w, swapIt, info.elementsPerRow, rowSkip, height, (GLint)imageSkip, (GLint)images, 0,
            1, start);
    };
    switch (type) {
    case GL_BITMAP:
        w->put.putBitmapBits(w, (GLboolean)(state.lsbFirst != 0),
                             (GLint)(((GLlong)state.skipPixels * info.components) % 8),
                             info.elementsPerRow,
                             info.strideBytes * 8 - info.elementsPerRow, height, start);
        break;
    case GL_BYTE: image(w->put.putGLbyteImage, 0); break;
    case GL_UNSIGNED_BYTE: case GL_UNSIGNED_BYTE_3_3_2_EXT: image(w->put.putGLubyteImage, 0); break;
    case GL_SHORT: image(w->put.putGLshortImage, swap); break;
    case GL_UNSIGNED_SHORT: case GL_UNSIGNED_SHORT_4_4_4_4_EXT:
    case GL_UNSIGNED_SHORT_5_5_5_1_EXT: image(w->put.putGLushortImage, swap); break;
    case GL_INT: image(w->put.putGLintImage, swap); break;
    case GL_UNSIGNED_INT: case GL_UNSIGNED_INT_8_8_8_8_EXT:
    case GL_UNSIGNED_INT_10_10_10_2_EXT: image(w->put.putGLuintImage, swap); break;
    case GL_FLOAT: image(w->put.putGLfloatImage, swap); break;
    default: w->put.putGLbytev(w, 0, nullptr); break;
    }
}

void __glsWriterPutIndexArray(__GLSwriter *w, GLenum type, GLint count, const GLvoid *data) {
    switch (type) {
    case GL_BYTE: w->put.putGLbytev(w, count, (const GLbyte *)data); break;
    case GL_UNSIGNED_BYTE: w->put.putGLubytev(w, count, (const GLubyte *)data); break;
    case GL_SHORT: w->put.putGLshortv(w, count, (const GLshort *)data); break;
    case GL_UNSIGNED_SHORT: w->put.putGLushortv(w, count, (const GLushort *)data); break;
    case GL_INT: w->put.putGLintv(w, count, (const GLint *)data); break;
    case GL_UNSIGNED_INT: w->put.putGLuintv(w, count, (const GLuint *)data); break;
    case GL_FLOAT: w->put.putGLfloatv(w, count, (const GLfloat *)data); break;
    case GL_2_BYTES: w->put.putGLubytev(w, 2 * (__GLScount)count, (const GLubyte *)data); break;
    case GL_3_BYTES: w->put.putGLubytev(w, 3 * (__GLScount)count, (const GLubyte *)data); break;
    case GL_4_BYTES: w->put.putGLubytev(w, 4 * (__GLScount)count, (const GLubyte *)data); break;
    default: w->put.putGLbytev(w, 0, nullptr); break;
    }
}

void __glsWriterPutIndices(__GLSwriter *w, GLenum type, GLint count, const GLvoid *indices) {
    if (type == GL_UNSIGNED_BYTE || type == GL_UNSIGNED_SHORT || type == GL_UNSIGNED_INT) {
        __glsWriterPutIndexArray(w, type, count, indices);
    } else {
        w->put.putGLbytev(w, 0, nullptr);
    }
}
