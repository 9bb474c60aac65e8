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

const GLubyte *__glsBitmapNextRow(const GLubyte *row, GLint rowBits, GLlong skipBits) {
    GLlong skipBytes = skipBits >= 0 ? skipBits / 8 : -((7 - skipBits) / 8);
    return __glsSkipBytes(row, ((GLlong)rowBits + 7) / 8 + skipBytes);
}

GLboolean __glsPixelRowSize(GLenum format, GLenum type, GLint width,
                            const __GLSpixelStore *state, __GLSpixelRowInfo *info) {
    *info = __GLSpixelRowInfo{};
    GLint components, bits;
    if (!__glsPixelLayout(format, type, &components, &bits)) return 0;
    info->bitsPerComponent = bits;
    info->components = components;
    info->elementsPerRow = components * width;
    info->rowBytes = ((GLlong)info->elementsPerRow * bits + 7) / 8;
    info->strideBytes = state->rowLength
                            ? ((GLlong)components * state->rowLength * bits + 7) / 8
                            : info->rowBytes;
    GLint r = (GLint)(info->strideBytes & (state->alignment - 1));
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
    // Distances in client memory wrap as the GL's own address arithmetic
    // would: the modes are the application's, whatever their sizes.
    GLlong imageSkip = 0, skipRows = state.skipRows;
    if (depth) {
        GLlong imageHeight = state.imageHeight ? state.imageHeight : height;
        skipRows += imageHeight * state.skipImages;
        imageSkip = (GLlong)((GLulong)info.strideBytes * (GLulong)(imageHeight - height));
    }
    const GLubyte *start = __glsSkipBytes(
        (const GLubyte *)pixels,
        (GLlong)((GLulong)state.skipPixels * info.components * info.bitsPerComponent / 8 +
                 (GLulong)skipRows * (GLulong)info.strideBytes));
    const GLlong rowSkip = info.strideBytes - info.rowBytes;
    GLboolean swap = state.swapBytes != 0;
    auto image = [&](decltype(w->put.putGLbyteImage) put, GLboolean swapIt) {
        put(w, swapIt, info.elementsPerRow, rowSkip, height, imageSkip, depth ? depth : 1, 0, 1,
            start);
    };
    // The image put of the type's elements, by the one table of types.
    GLint kind = 0;
    switch (__glsPixelTypeBits(type, &kind)) {
    case 1:
        // Each image's rows start skipImages bytes after the last one's.
        w->put.putBitmapBits(w, (GLboolean)(state.lsbFirst != 0),
                             (GLint)(((GLlong)state.skipPixels * info.components) % 8),
                             info.elementsPerRow, info.strideBytes * 8 - info.elementsPerRow,
                             height, depth ? depth : 1, imageSkip, start);
        break;
    case 8:
        image(kind == __GLS_ELEMENT_SIGNED ? w->put.putGLbyteImage : w->put.putGLubyteImage, 0);
        break;
    case 16:
        image(kind == __GLS_ELEMENT_SIGNED ? w->put.putGLshortImage : w->put.putGLushortImage,
              swap);
        break;
    case 32:
        image(kind == __GLS_ELEMENT_FLOAT    ? w->put.putGLfloatImage
              : kind == __GLS_ELEMENT_SIGNED ? w->put.putGLintImage
                                             : w->put.putGLuintImage,
              swap);
        break;
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
