#include <stdint.h>
#include <string.h>

#include "base/pixel_formats.h"
#include "base/util.h"

static void reverse(GLubyte *p, int n) {
    for (int i = 0, j = n - 1; i < j; ++i, --j) {
        GLubyte t = p[i];
        p[i] = p[j];
        p[j] = t;
    }
}

void __glsSwap2(void *p) { reverse((GLubyte *)p, 2); }
void __glsSwap4(void *p) { reverse((GLubyte *)p, 4); }
void __glsSwap8(void *p) { reverse((GLubyte *)p, 8); }

// count values of T's width at p, each reversed in place.
template <typename T>
static void swapRun(GLlong count, void *p) {
    GLubyte *b = (GLubyte *)p;
    for (GLlong i = 0; i < count; ++i, b += sizeof(T)) {
        T v;
        memcpy(&v, b, sizeof v);
        if constexpr (sizeof(T) == 2) {
            v = __builtin_bswap16(v);
        } else if constexpr (sizeof(T) == 4) {
            v = __builtin_bswap32(v);
        } else {
            v = __builtin_bswap64(v);
        }
        memcpy(b, &v, sizeof v);
    }
}

void __glsSwap2v(GLlong count, void *p) { swapRun<GLushort>(count, p); }
void __glsSwap4v(GLlong count, void *p) { swapRun<GLuint>(count, p); }
void __glsSwap8v(GLlong count, void *p) { swapRun<GLulong>(count, p); }

GLushort __glsSwap2Value(GLushort v) { return (GLushort)((v >> 8) | (v << 8)); }

GLuint __glsSwap4Value(GLuint v) {
    return (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24);
}

void __glsSwapTypedArray(GLenum type, GLlong byteCount, void *p) {
    // The pixel types hold the list and index types of 2 and 4 bytes too.
    switch (__glsPixelTypeBits(type, nullptr)) {
    case 16: __glsSwap2v(byteCount / 2, p); break;
    case 32: __glsSwap4v(byteCount / 4, p); break;
    default: break;
    }
}

// Only the float components are swapped; the 4-byte colours of the C4UB
// formats are single bytes already.
void __glsSwapInterleavedArray(GLenum format, GLlong byteCount, void *p) {
    const __GLSinterleavedFormat *row = __glsInterleavedFormat(format);
    if (!row) return;
    if (row->colorType != GL_UNSIGNED_BYTE) {
        __glsSwap4v(byteCount / 4, p);
        return;
    }
    // An unsigned-byte colour stands between the texture coordinates and
    // the vertex; no format pairs it with a normal.
    const GLint before = row->texCoordSize, after = row->vertexSize;
    GLubyte *vertex = (GLubyte *)p;
    for (GLlong v = 0; v < byteCount / row->stride; ++v, vertex += row->stride) {
        __glsSwap4v(before, vertex);
        __glsSwap4v(after, vertex + 4 * before + 4);
    }
}

// A binary stream opens with glsBeginGLS (opcode 16) in its long form: a
// zero word, then opcode, length 20, major and minor version.
static bool isBeginGLS(const GLuint word[4]) {
    return word[0] == 16 && word[1] == 20 && word[2] <= 1;
}

GLSenum __glsSniffBinaryType(const GLubyte *first20Bytes, GLint outVersion[2]) {
    const GLubyte *b = first20Bytes;
    if (b[0] | b[1] | b[2] | b[3]) return 0;
    GLuint word[4];
    for (int i = 0; i < 4; ++i) {
        const GLubyte *w = b + 4 + 4 * i;
        word[i] = (GLuint)w[0] | (GLuint)w[1] << 8 | (GLuint)w[2] << 16 | (GLuint)w[3] << 24;
    }
    GLSenum type = GLS_BINARY_LSB_FIRST;
    if (!isBeginGLS(word)) {
        for (int i = 0; i < 4; ++i) word[i] = __glsSwap4Value(word[i]);
        if (!isBeginGLS(word)) return 0;
        type = GLS_BINARY_MSB_FIRST;
    }
    outVersion[0] = (GLint)word[2];
    outVersion[1] = (GLint)word[3];
    return type;
}

GLlong __glsMakeLong(GLint high, GLuint low) {
    return (GLlong)(((GLulong)(GLuint)high << 32) | low);
}

GLint __glsLongHigh(GLlong value) { return (GLint)(GLuint)((GLulong)value >> 32); }

GLuint __glsLongLow(GLlong value) { return (GLuint)(GLulong)value; }

// Where addresses are 32 bits wide, the upper 32 bits of the value are zero
// and only its lower 32 bits come back; wider addresses are kept whole.
GLulong __glsAddressToU64(const void *address) { return (GLulong)(uintptr_t)address; }

void *__glsU64ToAddress(GLulong value) { return (void *)(uintptr_t)value; }

GLint __glsTypeSize(GLenum type) {
    switch (type) {
    case GL_BYTE:
    case GL_UNSIGNED_BYTE: return 1;
    case GL_SHORT:
    case GL_UNSIGNED_SHORT:
    case GL_2_BYTES: return 2;
    case GL_3_BYTES: return 3;
    case GL_INT:
    case GL_UNSIGNED_INT:
    case GL_FLOAT:
    case GL_4_BYTES: return 4;
    case GL_DOUBLE: return 8;
    default: return 0;
    }
}
