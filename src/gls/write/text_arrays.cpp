// Text of arrays, strided image data, bitmaps, matrices and the vertex data
// of glsDrawVertexArray. Elements are read from client memory by copy, so
// no alignment is assumed.
#include "write/text_writer.h"

namespace {

// One element's text; p points at its bytes in host order, already swapped.
typedef void (*ElementText)(__GLSwriter *w, const GLubyte *p);

template <typename T>
T load(const GLubyte *p) {
    T v;
    memcpy(&v, p, sizeof(T));
    return v;
}

template <typename T>
void signedText(__GLSwriter *w, const GLubyte *p) {
    __glsTextDecimal(w, load<T>(p));
}

template <typename T>
void unsignedText(__GLSwriter *w, const GLubyte *p) {
    __glsTextUnsigned(w, load<T>(p));
}

void floatText(__GLSwriter *w, const GLubyte *p) { __glsTextFloat(w, load<GLuint>(p)); }

void doubleText(__GLSwriter *w, const GLubyte *p) { __glsTextDouble(w, load<GLulong>(p)); }

void booleanText(__GLSwriter *w, const GLubyte *p) {
    const __GLStextName name = __glsTextBooleanName(*p);
    if (name.text) {
        __glsTextName(w, name);
    } else {
        __glsTextUnsigned(w, *p);
    }
}

template <typename T, ElementText text>
void GLSAPI putArray(__GLSwriter *w, __GLScount count, const T *values) {
    const int N = sizeof(T);
    if (!__glsTextSeparator(w)) return;
    __glsTextArrayOpen(w);
    const GLubyte *p = (const GLubyte *)values;
    for (__GLScount i = 0; i < count; ++i) {
        if (!__glsTextArrayStep(w, i, count)) return;
        text(w, p + i * N);
    }
    __glsTextArrayEnd(w, count > 0 ? count : 0);
}

template <int N, ElementText text>
void GLSAPI putImage(__GLS_IMAGE_ARGS) {
    if (!__glsTextSeparator(w)) return;
    __glsTextArrayOpen(w);
    GLlong n = 0;
    if (elements > 0 && rows > 0 && images > 0 && groups > 0) {
        n = (GLlong)elements * rows * images * groups;
    }
    const GLubyte *src = (const GLubyte *)data;
    GLlong i = 0;
    for (GLint g = 0; n && g < groups; ++g, src = __glsSkipBytes(src, groupSkip)) {
        for (GLint m = 0; m < images; ++m, src = __glsSkipBytes(src, imageSkip)) {
            for (GLint r = 0; r < rows; ++r, src = __glsSkipBytes(src, rowSkip)) {
                for (GLint e = 0; e < elements; ++e, ++i, src += N) {
                    if (!__glsTextArrayStep(w, i, n)) return;
                    GLubyte element[8];
                    for (int k = 0; k < N; ++k) element[k] = src[swap ? N - 1 - k : k];
                    text(w, element);
                }
            }
        }
    }
    __glsTextArrayEnd(w, n);
}

void GLSAPI putBitmapBits(__GLSwriter *w, GLboolean lsbFirst, GLint bitOffset, GLint rowBits,
                          GLlong skipBits, GLint rows, GLint images, GLlong imageSkip,
                          const GLubyte *data) {
    if (!__glsTextSeparator(w)) return;
    __glsTextArrayOpen(w);
    // The line breaks follow the bit count; every row is whole bytes.
    GLlong n = rowBits > 0 && rows > 0 && images > 0 ? (GLlong)rowBits * rows * images / 8 : 0;
    GLint bytesPerRow = rowBits > 0 ? (GLint)(((GLlong)rowBits + 7) / 8) : 0;
    const GLubyte *row = data;
    GLlong i = 0;
    for (GLint m = 0; bytesPerRow && m < images; ++m, row = __glsSkipBytes(row, imageSkip)) {
        for (GLint r = 0; r < rows; ++r) {
            for (GLint b = 0; b < bytesPerRow; ++b, ++i) {
                if (!__glsTextArrayStep(w, i, n)) return;
                static const char hex[] = "0123456789ABCDEF";
                GLubyte v = __glsBitmapByte(row, lsbFirst, bitOffset, rowBits, b);
                const char text[4] = {'0', 'x', hex[v >> 4], hex[v & 15]};
                __glsTextBytes(w, text, 4);
            }
            row = __glsBitmapNextRow(row, rowBits, skipBits);
        }
    }
    __glsTextArrayEnd(w, n);
}

template <int N>
void matrix(__GLSwriter *w, const void *values) {
    if (!__glsTextSeparator(w)) return;
    __glsTextArrayOpen(w);
    const GLubyte *p = (const GLubyte *)values;
    for (int row = 0; row < 4; ++row) {
        if (!__glsTextRoom(w)) return;
        if (row) *w->writePtr++ = ',';
        __glsTextLiteral(w, "\n    ");
        for (int col = 0; col < 4; ++col, p += N) {
            if (col) __glsTextBytes(w, ", ", 2);
            if (N == 4) {
                __glsTextFloat(w, load<GLuint>(p), 11);
            } else {
                __glsTextDouble(w, load<GLulong>(p), 17);
            }
        }
    }
    __glsTextLiteral(w, "\n}");
}

void GLSAPI putGLfloatMatrix(__GLSwriter *w, const GLfloat *values) { matrix<4>(w, values); }
void GLSAPI putGLdoubleMatrix(__GLSwriter *w, const GLdouble *values) { matrix<8>(w, values); }

void GLSAPI putVertexArrayData(__GLSwriter *w, GLenum format, __GLScount byteCount,
                               const GLvoid *data) {
    const __GLSinterleavedFormat *row = __glsInterleavedFormat(format);
    // No data, like a format without a layout, is an empty array.
    if (!row || !byteCount) {
        if (__glsTextSeparator(w)) {
            __glsTextArrayOpen(w);
            *w->writePtr++ = '}';
        }
        return;
    }
    if (row->colorType != GL_UNSIGNED_BYTE) {
        w->put.putGLfloatv(w, byteCount / 4, (const GLfloat *)data);
        return;
    }
    // An unsigned-byte colour stands between the texture coordinates and
    // the vertex; no format pairs it with a normal.
    const int before = row->texCoordSize, after = row->vertexSize;
    if (!__glsTextSeparator(w)) return;
    __glsTextArrayOpen(w);
    GLlong stride = row->stride, i = 0;
    const GLubyte *p = (const GLubyte *)data;
    for (GLlong v = byteCount / stride; v > 0; --v, p += stride) {
        for (int k = 0; k < before + 4 + after; ++k, ++i) {
            if (!__glsTextRoom(w)) return;
            if (i > 0) *w->writePtr++ = ',';
            if (i % 8 == 0) {
                __glsTextLiteral(w, "\n    ");
            } else if (i > 0) {
                *w->writePtr++ = ' ';
            }
            if (k >= before && k < before + 4) {
                __glsTextUnsigned(w, p[4 * before + (k - before)]);
            } else {
                GLint f = k < before ? k : k - 4 + 1;  // float index within the vertex
                __glsTextFloat(w, load<GLuint>(p + 4 * f));
            }
        }
    }
    __glsTextLiteral(w, "\n}");
}

}  // namespace

#define ARRAY(T, N, text) putArray<T, text>
#define IMAGE(N, text) putImage<N, text>

void __glsTextArraysInit(__GLSputTable *t) {
    t->putGLbytev = ARRAY(GLbyte, 1, signedText<GLbyte>);
    t->putGLubytev = ARRAY(GLubyte, 1, unsignedText<GLubyte>);
    t->putGLshortv = ARRAY(GLshort, 2, signedText<GLshort>);
    t->putGLushortv = ARRAY(GLushort, 2, unsignedText<GLushort>);
    t->putGLintv = ARRAY(GLint, 4, signedText<GLint>);
    t->putGLuintv = ARRAY(GLuint, 4, unsignedText<GLuint>);
    t->putGLlongv = ARRAY(GLlong, 8, signedText<GLlong>);
    t->putGLfloatv = ARRAY(GLfloat, 4, floatText);
    t->putGLdoublev = ARRAY(GLdouble, 8, doubleText);
    t->putGLbooleanv = ARRAY(GLboolean, 1, booleanText);
    t->putGLbyteImage = IMAGE(1, signedText<GLbyte>);
    t->putGLubyteImage = IMAGE(1, unsignedText<GLubyte>);
    t->putGLshortImage = IMAGE(2, signedText<GLshort>);
    t->putGLushortImage = IMAGE(2, unsignedText<GLushort>);
    t->putGLintImage = IMAGE(4, signedText<GLint>);
    t->putGLuintImage = IMAGE(4, unsignedText<GLuint>);
    t->putGLfloatImage = IMAGE(4, floatText);
    t->putGLdoubleImage = IMAGE(8, doubleText);
    t->putGLbooleanImage = IMAGE(1, booleanText);
    t->putBitmapBits = putBitmapBits;
    t->putGLfloatMatrix = putGLfloatMatrix;
    t->putGLdoubleMatrix = putGLdoubleMatrix;
    t->putVertexArrayData = putVertexArrayData;
}
