// The binary writer: GLS binary records in either byte order. Every member
// that depends on the order is one template on Msb; the stream order is
// written out byte by byte, whatever the host's own order.
#include <stdlib.h>
#include <string.h>

#include "write/writer.h"

namespace {

enum { LONG_LIMIT = 65531, SHORT_MAX_COUNT = 65532 };

template <bool Msb, int N>
inline void storeUint(GLubyte *p, GLulong v) {
    for (int i = 0; i < N; ++i) p[Msb ? N - 1 - i : i] = (GLubyte)(v >> (8 * i));
}

template <bool Msb, int N>
inline GLulong loadUint(const GLubyte *p) {
    GLulong v = 0;
    for (int i = 0; i < N; ++i) v |= (GLulong)p[Msb ? N - 1 - i : i] << (8 * i);
    return v;
}

// One element of N bytes as the host holds it, reversed when swap is set.
template <int N>
inline GLulong hostElement(const GLubyte *p, bool swap) {
    GLulong v = 0;
    if (N == 1) return *p;
    if (N == 2) { GLushort x; memcpy(&x, p, 2); v = x; }
    if (N == 4) { GLuint x; memcpy(&x, p, 4); v = x; }
    if (N == 8) memcpy(&v, p, 8);
    if (swap) {
        GLulong r = 0;
        for (int i = 0; i < N; ++i) r |= ((v >> (8 * i)) & 0xFF) << (8 * (N - 1 - i));
        v = r;
    }
    return v;
}

template <bool Msb, int N>
inline void put(__GLSwriter *w, GLulong v) {
    storeUint<Msb, N>(w->writePtr, v);
    w->writePtr += N;
}

// The stream's order is the host's own: arrays go as they lie.
template <bool Msb>
constexpr bool hostOrder() {
    return Msb == (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__);
}

template <bool Msb, int N>
void putElements(__GLSwriter *w, __GLScount count, const void *values) {
    if (count <= 0) return;
    if (hostOrder<Msb>() || N == 1) {
        // A vertex's few values are copied in line, a call costing more.
        if (count <= 16) {
            for (__GLScount i = 0; i < count; ++i) {
                memcpy(w->writePtr + i * N, (const GLubyte *)values + i * N, N);
            }
        } else {
            memcpy(w->writePtr, values, (size_t)count * N);
        }
        w->writePtr += (size_t)count * N;
        return;
    }
    const GLubyte *src = (const GLubyte *)values;
    for (__GLScount i = 0; i < count; ++i) put<Msb, N>(w, hostElement<N>(src + i * N, false));
}

// ------------------------------------------------------------- framing

template <bool Msb>
GLboolean GLSAPI beginCommand(__GLSwriter *w, GLSopcode opcode, GLulong argBytes) {
    if (w->failed) return 0;
    if (argBytes > 0xFFFFFFFFull) {
        __glsRaiseError(GLS_RESOURCE_ERROR);
        return 0;
    }
    GLulong a = (argBytes + 3) & ~(GLulong)3;
    bool isLong = opcode == __GLS_OP_glsBeginGLS || opcode == __GLS_OP_glsEndGLS ||
                  (GLuint)opcode > 65535 || a > LONG_LIMIT;
    GLulong count = a + (isLong ? 12 : 4);
    // The count field is 32 bits: a larger record cannot be written.
    if (count > 0xFFFFFFFFull) {
        __glsRaiseError(GLS_RESOURCE_ERROR);
        return 0;
    }
    if ((GLulong)(w->limit - w->writePtr) < count && !w->put.makeRoom(w, count)) return 0;
    w->openOpcode = opcode;
    w->lastHeader = w->writePtr;
    w->commandEnd = w->writePtr + count;
    if (isLong) {
        put<Msb, 2>(w, 0);
        put<Msb, 2>(w, 0);
        put<Msb, 4>(w, (GLuint)opcode);
        put<Msb, 4>(w, count);
    } else {
        put<Msb, 2>(w, (GLuint)opcode);
        put<Msb, 2>(w, count);
    }
    if ((count / 4) & 1) w->wordPhase ^= 1;
    return 1;
}

void GLSAPI endCommand(__GLSwriter *w) {
    while ((uintptr_t)w->writePtr & 3) *w->writePtr++ = 0;
    if (w->writePtr != w->commandEnd) {
        GLSopcode op = w->openOpcode;
        const char *name = op >= 0 && op < GLS_OP_COUNT ? __glsOpNames[op] : nullptr;
        fprintf(stderr, "GLS encoder error on command %s\n", name ? name : "?");
        // The record is broken: drop it and keep everything after it out of
        // the stream, but let the application run on.
        w->writePtr = w->lastHeader ? w->lastHeader : w->writePtr;
        __glsWriterMarkFailed(w);
        __glsRaiseError(GLS_PARAMETER_ERROR);
    }
}

template <bool Msb>
GLboolean GLSAPI alignCommand(__GLSwriter *w, GLuint phase) {
    if (w->failed) return 0;
    if (w->wordPhase != phase) return 1;
    if ((w->limit - w->writePtr) < 4 && !w->put.makeRoom(w, 4)) return 0;
    GLubyte *h = w->lastHeader;
    if (h) {
        bool isShort = loadUint<Msb, 2>(h) != 0;
        GLulong count = isShort ? loadUint<Msb, 2>(h + 2) : loadUint<Msb, 4>(h + 8);
        bool grow = isShort ? count <= LONG_LIMIT
                            : loadUint<Msb, 4>(h + 4) != __GLS_OP_glsBeginGLS &&
                                  count <= 0xFFFFFFFBull;
        if (grow) {
            if (isShort) {
                storeUint<Msb, 2>(h + 2, count + 4);
            } else {
                storeUint<Msb, 4>(h + 8, count + 4);
            }
            w->commandEnd += 4;
            put<Msb, 4>(w, 0);
            w->wordPhase ^= 1;
            return 1;
        }
    }
    if (!w->put.beginCommand(w, __GLS_OP_glsPad, 0)) return 0;
    w->put.endCommand(w);
    return 1;
}

GLboolean GLSAPI makeRoomFile(__GLSwriter *w, GLulong n) {
    if (!__glsWriterFlush(w)) return 0;
    if ((GLulong)(w->limit - w->writePtr) >= n) return 1;
    GLulong size = n + (w->wordPhase ? 4 : 0);
    if (size > (GLulong)(SIZE_MAX - 8)) {
        __glsRaiseError(GLS_RESOURCE_ERROR);
        __glsWriterMarkFailed(w);
        return 0;
    }
    // The new buffer is had before the old one goes, so a writer that
    // cannot grow keeps a buffer it may still point into.
    GLubyte *buffer = (GLubyte *)__glsMalloc((size_t)size);
    if (!buffer) {
        __glsWriterMarkFailed(w);
        return 0;
    }
    free(w->buffer);
    w->buffer = buffer;
    w->bufferStart = w->writePtr = buffer + (w->wordPhase ? 4 : 0);
    w->limit = buffer + size;
    return 1;
}

void GLSAPI breakArgs(__GLSwriter *w) {}

void GLSAPI padInCommand(__GLSwriter *w, GLint byteCount) {
    if (byteCount <= 0) return;
    memset(w->writePtr, 0, (size_t)byteCount);
    w->writePtr += byteCount;
}

// ------------------------------------------------------------- scalars

template <bool Msb, typename T>
void GLSAPI putScalar(__GLSwriter *w, T value) {
    put<Msb, sizeof(T)>(w, (GLulong)value);
}

template <bool Msb, typename T>
void GLSAPI putScalarOrEnum(__GLSwriter *w, GLenum pname, T value) {
    put<Msb, sizeof(T)>(w, (GLulong)value);
}

void GLSAPI putGLintOrGLSenum(__GLSwriter *w, GLSenum item, GLint value) {
    // Both orders reach here through their own putGLint slot.
    w->put.putGLint(w, value);
}

template <bool Msb, typename T>
void GLSAPI putArray(__GLSwriter *w, __GLScount count, const T *values) {
    putElements<Msb, sizeof(T)>(w, count, values);
}

template <bool Msb, typename T>
void GLSAPI putArrayOrEnum(__GLSwriter *w, GLenum pname, __GLScount count, const T *values) {
    putElements<Msb, sizeof(T)>(w, count, values);
}

template <bool Msb, typename T>
void GLSAPI putMatrix(__GLSwriter *w, const T *values) {
    putElements<Msb, sizeof(T)>(w, 16, values);
}

template <bool Msb, int N>
void GLSAPI putImage(__GLS_IMAGE_ARGS) {
    if (elements <= 0 || rows <= 0 || images <= 0 || groups <= 0) return;
    const GLubyte *src = (const GLubyte *)data;
    for (GLint g = 0; g < groups; ++g) {
        for (GLint i = 0; i < images; ++i) {
            for (GLint r = 0; r < rows; ++r) {
                for (GLint e = 0; e < elements; ++e, src += N) {
                    put<Msb, N>(w, hostElement<N>(src, N > 1 && swap));
                }
                src = __glsSkipBytes(src, rowSkip);
            }
            src = __glsSkipBytes(src, imageSkip);
        }
        src = __glsSkipBytes(src, groupSkip);
    }
}

void GLSAPI putBitmapBits(__GLSwriter *w, GLboolean lsbFirst, GLint bitOffset, GLint rowBits,
                          GLlong skipBits, GLint rows, GLint images, GLlong imageSkip,
                          const GLubyte *data) {
    if (rowBits <= 0 || rows <= 0) return;
    GLint bytesPerRow = (GLint)(((GLlong)rowBits + 7) / 8);
    const GLubyte *row = data;
    for (GLint m = 0; m < images; ++m, row = __glsSkipBytes(row, imageSkip)) {
        for (GLint r = 0; r < rows; ++r) {
            for (GLint i = 0; i < bytesPerRow; ++i) {
                *w->writePtr++ = __glsBitmapByte(row, lsbFirst, bitOffset, rowBits, i);
            }
            row = __glsBitmapNextRow(row, rowBits, skipBits);
        }
    }
}

template <bool Msb>
void GLSAPI putString(__GLSwriter *w, GLulong byteCount, const GLvoid *string) {
    GLubyte *start = w->writePtr, *end = start + byteCount;
    if (byteCount < 4) {
        memset(start, 0, (size_t)byteCount);
        w->writePtr = end;
        return;
    }
    GLubyte *p = start + 4;
    GLuint sevenBit = 1;
    const size_t width = __glsWriterCharWidth();
    const GLubyte *s = (const GLubyte *)string;
    for (; width; s += width) {
        const GLuint code = __glsUtf8Code(__glsWriterCharAt(s, width));
        if (!code) break;
        GLubyte seq[6];
        GLint n = 1;
        if (code < 128) {
            seq[0] = (GLubyte)code;
        } else {
            n = __glsUtf8EncodeChar(code, seq);
        }
        if (code >= 128) sevenBit = 0;
        // The terminating zero byte always keeps its place in the field.
        if (end - p <= n) break;
        memcpy(p, seq, (size_t)n);
        p += n;
    }
    memset(p, 0, (size_t)(end - p));
    storeUint<Msb, 4>(start, (GLuint)byteCount | sevenBit);
    w->writePtr = end;
}

// ------------------------------------------------------------ pointers

template <bool Msb>
void GLSAPI putOutArg(__GLSwriter *w, GLint index, const GLvoid *pointer) {
    bool fromStream = __glsWriterCallNesting() && !__glsWriterHasCallOverride(w->openOpcode);
    put<Msb, 8>(w, fromStream ? __glsWriterOutArg(index) : __glsAddressToU64(pointer));
}

template <bool Msb>
void GLSAPI putArrayPointer(__GLSwriter *w, const GLvoid *pointer) {
    bool fromStream = __glsWriterCallNesting() && !__glsWriterHasCallOverride(w->openOpcode);
    put<Msb, 8>(w, fromStream ? __glsWriterLastOutPointer() : __glsAddressToU64(pointer));
}

template <bool Msb>
void GLSAPI putVertexArrayData(__GLSwriter *w, GLenum format, __GLScount byteCount,
                               const GLvoid *data) {
    const GLubyte *p = (const GLubyte *)data;
    const __GLSinterleavedFormat *row = __glsInterleavedFormat(format);
    if (!row) return;
    if (row->colorType != GL_UNSIGNED_BYTE) {
        putElements<Msb, 4>(w, byteCount / 4, p);
        return;
    }
    // An unsigned-byte colour stands between the texture coordinates and
    // the vertex; no format pairs it with a normal.
    const int before = row->texCoordSize, after = row->vertexSize;
    const GLlong stride = row->stride;
    for (GLlong v = byteCount / stride; v > 0; --v) {
        putElements<Msb, 4>(w, before, p);
        putElements<Msb, 1>(w, 4, p + 4 * before);
        putElements<Msb, 4>(w, after, p + 4 * before + 4);
        p += stride;
    }
}

template <bool Msb>
void fillTable(__GLSputTable *t) {
    t->alignCommand = alignCommand<Msb>;
    t->makeRoom = makeRoomFile;
    t->beginCommand = beginCommand<Msb>;
    t->endCommand = endCommand;
    t->breakArgs = breakArgs;
    t->putString = putString<Msb>;
    t->putGLSenum = putScalar<Msb, GLSenum>;
    t->putGLSimageFlags = putScalar<Msb, GLSimageFlags>;
    t->putGLlong = putScalar<Msb, GLlong>;
    t->putGLlongHex = putScalar<Msb, GLulong>;
    t->putGLlongv = putArray<Msb, GLlong>;
    t->putGLSopcode = putScalar<Msb, GLSopcode>;
    t->putAttribMask = putScalar<Msb, GLbitfield>;
    t->putBitmapBits = putBitmapBits;
    t->putBlendFactor = putScalar<Msb, GLenum>;
    t->putGLboolean = putScalar<Msb, GLboolean>;
    t->putGLbooleanv = putArray<Msb, GLboolean>;
    t->putGLbooleanImage = putImage<Msb, 1>;
    t->putGLbyte = putScalar<Msb, GLbyte>;
    t->putGLbytev = putArray<Msb, GLbyte>;
    t->putGLbyteImage = putImage<Msb, 1>;
    t->putClearMask = putScalar<Msb, GLbitfield>;
    t->putClientAttribMask = putScalar<Msb, GLbitfield>;
    t->putGLdouble = putScalar<Msb, GLulong>;
    t->putGLdoubleOrEnum = putScalarOrEnum<Msb, GLulong>;
    t->putGLdoublevOrEnum = putArrayOrEnum<Msb, GLdouble>;
    t->putGLdoubleMatrix = putMatrix<Msb, GLdouble>;
    t->putGLdoublev = putArray<Msb, GLdouble>;
    t->putGLdoubleImage = putImage<Msb, 8>;
    t->putDrawBuffer = putScalar<Msb, GLenum>;
    t->putGLenum = putScalar<Msb, GLenum>;
    t->putGLfloat = putScalar<Msb, GLuint>;
    t->putGLfloatOrEnum = putScalarOrEnum<Msb, GLuint>;
    t->putGLfloatvOrEnum = putArrayOrEnum<Msb, GLfloat>;
    t->putGLfloatMatrix = putMatrix<Msb, GLfloat>;
    t->putGLfloatv = putArray<Msb, GLfloat>;
    t->putGLfloatImage = putImage<Msb, 4>;
    t->putGLint = putScalar<Msb, GLint>;
    t->putGLintOrGLSenum = putGLintOrGLSenum;
    t->putGLintOrEnum = putScalarOrEnum<Msb, GLint>;
    t->putGLintvOrEnum = putArrayOrEnum<Msb, GLint>;
    t->putGLintv = putArray<Msb, GLint>;
    t->putGLintImage = putImage<Msb, 4>;
    t->putOutArg = putOutArg<Msb>;
    t->putGLshort = putScalar<Msb, GLshort>;
    t->putGLshortv = putArray<Msb, GLshort>;
    t->putGLshortImage = putImage<Msb, 2>;
    t->putStencilOp = putScalar<Msb, GLenum>;
    t->putTexComponents = putScalar<Msb, GLint>;
    t->putGLubyte = putScalar<Msb, GLubyte>;
    t->putGLubytev = putArray<Msb, GLubyte>;
    t->putGLubyteImage = putImage<Msb, 1>;
    t->putGLuint = putScalar<Msb, GLuint>;
    t->putGLuintHex = putScalar<Msb, GLuint>;
    t->putGLuintv = putArray<Msb, GLuint>;
    t->putGLuintImage = putImage<Msb, 4>;
    t->putGLushort = putScalar<Msb, GLushort>;
    t->putGLushortHex = putScalar<Msb, GLushort>;
    t->putGLushortv = putArray<Msb, GLushort>;
    t->putGLushortImage = putImage<Msb, 2>;
    t->putVertexArrayData = putVertexArrayData<Msb>;
    t->putArrayPointer = putArrayPointer<Msb>;
    t->padInCommand = padInCommand;
}

}  // namespace

// The context stream's makeRoom is installed by the builder of context
// writers, which owns the in-memory streams; it is left empty here.
void __glsBinaryWriterInit(__GLSwriter *writer, GLSenum streamType) {
    if (streamType == GLS_BINARY_MSB_FIRST) {
        fillTable<true>(&writer->put);
        writer->nativeRecords = hostOrder<true>();
    } else {
        fillTable<false>(&writer->put);
        writer->nativeRecords = hostOrder<false>();
    }
    if (streamType == GLS_CONTEXT) writer->put.makeRoom = nullptr;
}
