// The stream writer of one open capture: its put table, through which every
// capture function writes a command, its output buffer and its target.
#pragma once

#include <stdio.h>
#include <string.h>

#include "gls_functions.h"
#include "base/util.h"
#include "core/seam.h"
#include "write/writer_context.h"

struct __GLSwriter;
struct __GLScontextStream;

// Floating-point values travel as their bits, so that no conversion on the
// way can change a NaN. Sizes and counts are 64-bit.
typedef GLlong __GLScount;

// The skips are byte distances in client memory: the pixel-store modes and
// the map strides can make them pass 32 bits.
#define __GLS_IMAGE_ARGS                                                                      \
    __GLSwriter *w, GLboolean swap, GLint elements, GLlong rowSkip, GLint rows, GLlong imageSkip, \
        GLint images, GLlong groupSkip, GLint groups, const GLvoid *data

// The put table, slots 0 to 62 in this order.
struct __GLSputTable {
    GLboolean(GLSAPI *alignCommand)(__GLSwriter *w, GLuint phase);
    GLboolean(GLSAPI *makeRoom)(__GLSwriter *w, GLulong byteCount);
    GLboolean(GLSAPI *beginCommand)(__GLSwriter *w, GLSopcode opcode, GLulong argBytes);
    void(GLSAPI *endCommand)(__GLSwriter *w);
    void(GLSAPI *breakArgs)(__GLSwriter *w);
    void(GLSAPI *putString)(__GLSwriter *w, GLulong byteCount, const GLvoid *string);
    void(GLSAPI *putGLSenum)(__GLSwriter *w, GLSenum value);
    void(GLSAPI *putGLSimageFlags)(__GLSwriter *w, GLSimageFlags flags);
    void(GLSAPI *putGLlong)(__GLSwriter *w, GLlong value);
    void(GLSAPI *putGLlongHex)(__GLSwriter *w, GLulong value);
    void(GLSAPI *putGLlongv)(__GLSwriter *w, __GLScount count, const GLlong *values);
    void(GLSAPI *putGLSopcode)(__GLSwriter *w, GLSopcode opcode);
    void(GLSAPI *putAttribMask)(__GLSwriter *w, GLbitfield mask);
    void(GLSAPI *putBitmapBits)(__GLSwriter *w, GLboolean lsbFirst, GLint bitOffset,
                                GLint rowBits, GLlong skipBits, GLint rows, GLint images,
                                GLlong imageSkip, const GLubyte *data);
    void(GLSAPI *putBlendFactor)(__GLSwriter *w, GLenum value);
    void(GLSAPI *putGLboolean)(__GLSwriter *w, GLboolean value);
    void(GLSAPI *putGLbooleanv)(__GLSwriter *w, __GLScount count, const GLboolean *values);
    void(GLSAPI *putGLbooleanImage)(__GLS_IMAGE_ARGS);
    void(GLSAPI *putGLbyte)(__GLSwriter *w, GLbyte value);
    void(GLSAPI *putGLbytev)(__GLSwriter *w, __GLScount count, const GLbyte *values);
    void(GLSAPI *putGLbyteImage)(__GLS_IMAGE_ARGS);
    void(GLSAPI *putClearMask)(__GLSwriter *w, GLbitfield mask);
    void(GLSAPI *putClientAttribMask)(__GLSwriter *w, GLbitfield mask);
    void(GLSAPI *putGLdouble)(__GLSwriter *w, GLulong bits);
    void(GLSAPI *putGLdoubleOrEnum)(__GLSwriter *w, GLenum pname, GLulong bits);
    void(GLSAPI *putGLdoublevOrEnum)(__GLSwriter *w, GLenum pname, __GLScount count,
                                     const GLdouble *values);
    void(GLSAPI *putGLdoubleMatrix)(__GLSwriter *w, const GLdouble *values);
    void(GLSAPI *putGLdoublev)(__GLSwriter *w, __GLScount count, const GLdouble *values);
    void(GLSAPI *putGLdoubleImage)(__GLS_IMAGE_ARGS);
    void(GLSAPI *putDrawBuffer)(__GLSwriter *w, GLenum value);
    void(GLSAPI *putGLenum)(__GLSwriter *w, GLenum value);
    void(GLSAPI *putGLfloat)(__GLSwriter *w, GLuint bits);
    void(GLSAPI *putGLfloatOrEnum)(__GLSwriter *w, GLenum pname, GLuint bits);
    void(GLSAPI *putGLfloatvOrEnum)(__GLSwriter *w, GLenum pname, __GLScount count,
                                    const GLfloat *values);
    void(GLSAPI *putGLfloatMatrix)(__GLSwriter *w, const GLfloat *values);
    void(GLSAPI *putGLfloatv)(__GLSwriter *w, __GLScount count, const GLfloat *values);
    void(GLSAPI *putGLfloatImage)(__GLS_IMAGE_ARGS);
    void(GLSAPI *putGLint)(__GLSwriter *w, GLint value);
    void(GLSAPI *putGLintOrGLSenum)(__GLSwriter *w, GLSenum item, GLint value);
    void(GLSAPI *putGLintOrEnum)(__GLSwriter *w, GLenum pname, GLint value);
    void(GLSAPI *putGLintvOrEnum)(__GLSwriter *w, GLenum pname, __GLScount count,
                                  const GLint *values);
    void(GLSAPI *putGLintv)(__GLSwriter *w, __GLScount count, const GLint *values);
    void(GLSAPI *putGLintImage)(__GLS_IMAGE_ARGS);
    void(GLSAPI *putOutArg)(__GLSwriter *w, GLint index, const GLvoid *pointer);
    void(GLSAPI *putGLshort)(__GLSwriter *w, GLshort value);
    void(GLSAPI *putGLshortv)(__GLSwriter *w, __GLScount count, const GLshort *values);
    void(GLSAPI *putGLshortImage)(__GLS_IMAGE_ARGS);
    void(GLSAPI *putStencilOp)(__GLSwriter *w, GLenum value);
    void(GLSAPI *putTexComponents)(__GLSwriter *w, GLint value);
    void(GLSAPI *putGLubyte)(__GLSwriter *w, GLubyte value);
    void(GLSAPI *putGLubytev)(__GLSwriter *w, __GLScount count, const GLubyte *values);
    void(GLSAPI *putGLubyteImage)(__GLS_IMAGE_ARGS);
    void(GLSAPI *putGLuint)(__GLSwriter *w, GLuint value);
    void(GLSAPI *putGLuintHex)(__GLSwriter *w, GLuint value);
    void(GLSAPI *putGLuintv)(__GLSwriter *w, __GLScount count, const GLuint *values);
    void(GLSAPI *putGLuintImage)(__GLS_IMAGE_ARGS);
    void(GLSAPI *putGLushort)(__GLSwriter *w, GLushort value);
    void(GLSAPI *putGLushortHex)(__GLSwriter *w, GLushort value);
    void(GLSAPI *putGLushortv)(__GLSwriter *w, __GLScount count, const GLushort *values);
    void(GLSAPI *putGLushortImage)(__GLS_IMAGE_ARGS);
    void(GLSAPI *putVertexArrayData)(__GLSwriter *w, GLenum format, __GLScount byteCount,
                                     const GLvoid *data);
    void(GLSAPI *putArrayPointer)(__GLSwriter *w, const GLvoid *pointer);
    void(GLSAPI *padInCommand)(__GLSwriter *w, GLint byteCount);
};

// The output target of a file writer.
struct __GLSwriteStream {
    FILE *file;             // null when the write function takes the output
    __GLSstring name;       // the path as opened; empty for channel and function
    GLint ownsFile;         // the file was opened here and is closed here
    __GLSwriteFunc writeFunc;
};

struct __GLSwriter {
    __GLSputTable put;
    GLuint wordPhase;       // parity of the 4-byte words written so far
    GLubyte *writePtr;
    GLubyte *limit;
    GLSopcode openOpcode;
    GLubyte *commandEnd;    // where the open binary record must end
    __GLScontextStream *contextStream;  // not owned; GLS_CONTEXT writers only
    GLint failed;           // sticky: nothing more reaches the output
    GLubyte *buffer;        // owned; file writers only
    GLubyte *bufferStart;   // where the unflushed data begins
    __GLSwriteStream *stream;  // file writers only: the writer's own output
    __GLSwriteStream output;
    GLint argCount;         // text: arguments in the current group
    GLubyte *lastHeader;    // header of the last record still in the buffer
    GLSenum streamType;     // 0 while the writer is being built
    GLuint writeFlags;      // bit 0 append, bit 1 no framing
    // Capture functions may store records of fixed size whole: the stream's
    // byte order is the host's, and the writer has not failed.
    GLint nativeRecords;
    // Text: a command's first array ends after its first
    // __GLS_TEXT_ARRAY_KEPT elements, ", ...}" standing for the rest, while
    // the embedder asks for it (__glsCaptureShortenArrays); and the arrays
    // begun in the current command.
    GLint shortenArrays;
    GLint arraysInCommand;
};

// The elements a shortened array keeps.
enum { __GLS_TEXT_ARRAY_KEPT = 16 };

// Marks the writer failed for good.
static inline void __glsWriterMarkFailed(__GLSwriter *w) {
    w->failed = 1;
    w->nativeRecords = 0;
}

// The start of a record of count bytes (a short header and its arguments,
// padded to whole words) stored whole by the caller in the host's order:
// its header is written and the writer moved past it, as beginCommand and
// the puts would have; the caller stores the arguments at the address
// returned. Null, nothing done, where the writer cannot take it so (text,
// the other byte order, a failed writer, no room left): the put table then
// writes the record, making room first.
static inline GLubyte *__glsWriterNativeRecord(__GLSwriter *w, GLSopcode opcode, GLuint count) {
    GLubyte *const p = w->writePtr;
    if (!w->nativeRecords || (size_t)(w->limit - p) < count) return nullptr;
    const GLushort header[2] = {(GLushort)opcode, (GLushort)count};
    memcpy(p, header, sizeof header);
    w->openOpcode = opcode;
    w->lastHeader = p;
    w->writePtr = w->commandEnd = p + count;
    w->wordPhase ^= (count >> 2) & 1;
    return p + 4;
}

static inline void __glsStoreNative1(GLubyte *p, GLubyte v) { *p = v; }
static inline void __glsStoreNative2(GLubyte *p, GLushort v) { memcpy(p, &v, 2); }
static inline void __glsStoreNative4(GLubyte *p, GLuint v) { memcpy(p, &v, 4); }
static inline void __glsStoreNative8(GLubyte *p, GLulong v) { memcpy(p, &v, 8); }

enum {
    // A file writer's buffer: large, so that a stream of small records
    // reaches the system in few calls; the text writer's puts may write up
    // to 256 bytes past the limit.
    __GLS_WRITER_BUFFER_SIZE = 1 << 18,
    __GLS_WRITER_LIMIT = __GLS_WRITER_BUFFER_SIZE - 256,
    __GLS_WRITE_APPEND = 1,
    __GLS_WRITE_NO_FRAMING = 2,
};

// One pixel row's layout in client memory. A row length set by the
// pixel-store modes may make the stride pass 32 bits.
struct __GLSpixelRowInfo {
    GLint bitsPerComponent;
    GLint components;
    GLint padBytes;
    GLlong rowBytes;
    GLint elementsPerRow;
    GLlong strideBytes;
};

extern "C" {

// Creating, flushing and destroying a writer are declared with the core's
// seam, which the context calls them through.
__GLSwriter *__glsWriterCreateFile(const GLubyte *name, GLSenum streamType, GLuint writeFlags);

// Opens the output target into `stream`; 0 after a GLS error, with nothing
// left open.
GLboolean __glsWriterOpenStream(__GLSwriteStream *stream, const GLubyte *name, GLboolean append);
// Closes what the stream opened; the stream can be opened again.
void __glsWriterCloseStream(__GLSwriteStream *stream);
// Closes the writer's output file when it owns the file opened under path,
// and marks the writer failed, so that nothing writes into it again; 1 when
// it did. A file is closed before it is removed.
GLboolean __glsWriterReleaseFile(__GLSwriter *writer, const GLubyte *path);

// The put tables.
void __glsBinaryWriterInit(__GLSwriter *writer, GLSenum streamType);
void __glsTextWriterInit(__GLSwriter *writer);

// Image data of one command, laid out by the unpack pixel-store modes.
void __glsWriterPutPixels(__GLSwriter *writer, GLenum format, GLenum type, GLint width,
                          GLint height, GLint depth, GLint extent4, const GLvoid *pixels);
// 1 and rowInfo filled, or 0 for an unknown or mismatched format and type.
GLboolean __glsPixelRowSize(GLenum format, GLenum type, GLint width,
                            const __GLSpixelStore *state, __GLSpixelRowInfo *rowInfo);
// The index array of glDrawElements and the list array of glCallLists.
void __glsWriterPutIndices(__GLSwriter *writer, GLenum type, GLint count, const GLvoid *indices);
void __glsWriterPutIndexArray(__GLSwriter *writer, GLenum type, GLint count, const GLvoid *data);

// Output byte i of a GL_BITMAP row that starts bitOffset bits into row:
// most significant bit first, bits past rowBits cleared. Reads only the
// bytes that hold the row's bits.
GLubyte __glsBitmapByte(const GLubyte *row, GLboolean lsbFirst, GLint bitOffset, GLint rowBits,
                        GLint i);
// Where the next row starts.
const GLubyte *__glsBitmapNextRow(const GLubyte *row, GLint rowBits, GLlong skipBits);

}  // extern "C"
