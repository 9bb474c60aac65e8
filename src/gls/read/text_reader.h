// The GLS text reader: tokens and punctuation from a reader's bytes, typed
// argument readers for the text decoders, the command loop of a text
// section and the recognition of a text stream's opening glsBeginGLS.
//
// Every argument reader returns 1, or 0 with a code in the reader's sticky
// error; once that is set, every further reader of the command reads
// nothing and returns 0, so a decoder reads all its arguments and then
// makes its call only when the error is still clear.
#pragma once

#include "read/decode.h"
#include "read/reader.h"

struct __GLSdict;

enum {
    // A token holds at most 255 characters.
    __GLS_TOKEN_MAX = 256,
};

struct __GLStoken {
    size_t length;
    char text[__GLS_TOKEN_MAX + 1];  // zero-terminated
};

// The element types of arrays in GLS text.
enum __GLStextElement {
    __GLS_TEXT_GLboolean,
    __GLS_TEXT_GLbyte,
    __GLS_TEXT_GLubyte,
    __GLS_TEXT_GLshort,
    __GLS_TEXT_GLushort,
    __GLS_TEXT_GLint,
    __GLS_TEXT_GLuint,
    __GLS_TEXT_GLfloat,
    __GLS_TEXT_GLdouble,
    __GLS_TEXT_GLlong,
    __GLS_TEXT_NONE,  // no elements: an empty list
};

extern "C" {

// Character classes by byte value: bit 0 printable, bit 1 blank, bit 2
// token character.
extern const GLubyte __glsCharClass[256];

// ----------------------------------------------------------- framing
GLboolean __glsReaderGetToken(__GLSreader *reader, __GLStoken *token);
GLboolean __glsReaderExpect(__GLSreader *reader, char c, GLboolean required);
// Consumes up to and including the next ';' that is not inside a string;
// 0 when the input ends first.
GLboolean __glsReaderSkipCommand(__GLSreader *reader);
GLboolean __glsReaderBeginCommand(__GLSreader *reader, __GLStoken *name);
GLboolean __glsReaderEndCommand(__GLSreader *reader);
GLboolean __glsReaderNextArgGroup(__GLSreader *reader);
// Every command of a text array through the decoder of its opcode,
// glsEndGLS included, until the data ends, a command name cannot be read
// or the context aborts.
void __glsDecodeTextArray(__GLSreader *reader);

// ----------------------------------------------------- token parsers
// 1 when the whole token has the form; nothing raised.
GLboolean __glsParseGLint(const __GLStoken *token, GLint *out);
GLboolean __glsParseGLuint(const __GLStoken *token, GLuint *out);
GLboolean __glsParseGLbyte(const __GLStoken *token, GLbyte *out);
GLboolean __glsParseGLubyte(const __GLStoken *token, GLubyte *out);
GLboolean __glsParseGLshort(const __GLStoken *token, GLshort *out);
GLboolean __glsParseGLushort(const __GLStoken *token, GLushort *out);
GLboolean __glsParseGLboolean(const __GLStoken *token, GLboolean *out);
GLboolean __glsParseGLfloat(const __GLStoken *token, GLfloat *out);
GLboolean __glsParseGLdouble(const __GLStoken *token, GLdouble *out);
GLboolean __glsParseGLlong(const __GLStoken *token, GLlong *out);
// Decimal floating point: an optional '-', digits with at most one '.',
// an optional exponent; 0 beyond the largest double and for a value that
// reads as 0 although it has a digit other than 0. Correctly rounded.
GLboolean __glsStrToDouble(const char *token, size_t length, GLdouble *out);

// -------------------------------------------------- argument readers
GLboolean __glsReaderGetGLint(__GLSreader *reader, GLint *out);
GLboolean __glsReaderGetGLuint(__GLSreader *reader, GLuint *out);
GLboolean __glsReaderGetGLushort(__GLSreader *reader, GLushort *out);
GLboolean __glsReaderGetGLboolean(__GLSreader *reader, GLboolean *out);
GLboolean __glsReaderGetGLfloat(__GLSreader *reader, GLfloat *out);
GLboolean __glsReaderGetGLdouble(__GLSreader *reader, GLdouble *out);
GLboolean __glsReaderGetGLlong(__GLSreader *reader, GLlong *out);
GLboolean __glsReaderGetGLenum(__GLSreader *reader, GLenum *out);
GLboolean __glsReaderGetGLSenum(__GLSreader *reader, GLSenum *out);
GLboolean __glsReaderGetEnum(__GLSreader *reader, __GLSdict *dict, GLuint *out);
GLboolean __glsReaderGetBitfield(__GLSreader *reader, __GLSdict *dict, GLuint *out);
GLboolean __glsReaderGetAttribMask(__GLSreader *reader, GLbitfield *out);
GLboolean __glsReaderGetClientAttribMask(__GLSreader *reader, GLbitfield *out);
GLboolean __glsReaderGetImageFlags(__GLSreader *reader, GLbitfield *out);
GLboolean __glsReaderGetOpcode(__GLSreader *reader, GLSopcode *out);
// Characters in the context's string type, zero-terminated.
GLboolean __glsReaderGetString(__GLSreader *reader, __GLSstring *out);
// The value goes to the context's last decoded pointer too.
GLboolean __glsReaderGetAddress(__GLSreader *reader, GLvoid **out);

// Arrays of exactly count elements (none when count <= 0) into out.
GLboolean __glsReaderGetGLbooleanv(__GLSreader *reader, GLint count, GLboolean *out);
GLboolean __glsReaderGetGLbytev(__GLSreader *reader, GLint count, GLbyte *out);
GLboolean __glsReaderGetGLubytev(__GLSreader *reader, GLint count, GLubyte *out);
GLboolean __glsReaderGetGLshortv(__GLSreader *reader, GLint count, GLshort *out);
GLboolean __glsReaderGetGLushortv(__GLSreader *reader, GLint count, GLushort *out);
GLboolean __glsReaderGetGLintv(__GLSreader *reader, GLint count, GLint *out);
GLboolean __glsReaderGetGLuintv(__GLSreader *reader, GLint count, GLuint *out);
GLboolean __glsReaderGetGLfloatv(__GLSreader *reader, GLint count, GLfloat *out);
GLboolean __glsReaderGetGLdoublev(__GLSreader *reader, GLint count, GLdouble *out);
GLboolean __glsReaderGetGLlongv(__GLSreader *reader, GLint count, GLlong *out);

// An array of `count` elements whose count comes from the stream: into
// `stack` when it holds them (stackBytes), else into a heap block that
// grows only as elements are really read, stored in *heap for the caller
// to free. The array's address, or null with the reader's error set. The
// elementCount of the pixel and vertex-data forms is in elements of their
// type's form.
void *__glsReaderGetArray(__GLSreader *reader, __GLStextElement type, GLint count, void *stack,
                          size_t stackBytes, void **heap);
// The element type in which image or list data of a GL type is written.
__GLStextElement __glsTextPixelElement(GLenum type);
// Pixel or list data of byteCount bytes of a GL type.
void *__glsReaderGetPixels(__GLSreader *reader, GLenum type, GLint byteCount, void *stack,
                           size_t stackBytes, void **heap);
// The vertex data of glsDrawVertexArray: byteCount bytes of an interleaved
// format, written as one flat list.
void *__glsReaderGetInterleavedData(__GLSreader *reader, GLenum format, GLint byteCount,
                                    void *stack, size_t stackBytes, void **heap);

// A non-null image for the size functions, which count a null image as 0
// bytes, when the text's flags say the image is there.
extern const GLubyte __glsTextImagePresent[1];

// A heap block for an output buffer of a decoded command, held to what a
// decoder may take; beyond that, or when memory runs out, null with
// GLS_RESOURCE_ERROR in the reader.
void *__glsReaderDecodeMalloc(__GLSreader *reader, GLulong byteCount);

}  // extern "C"

// The evaluator maps: the control points read from the text must hold
// every point the GL reads with the strides and orders given; otherwise
// GLS_PARAMETER_ERROR in the reader and 0.
GLboolean __glsTextMapFits(__GLSreader *reader, GLenum target, GLint stride, GLint order);
GLboolean __glsTextMapFits(__GLSreader *reader, GLenum target, GLint ustride, GLint uorder,
                           GLint vstride, GLint vorder);

// An output buffer: as much as a decoder keeps on its own stack there,
// larger ones from the heap into heapVar, which the decoder frees.
#define __GLS_TEXT_OUTPUT(reader, byteCount, heapVar)                                         \
    ((GLulong)(byteCount) <= __GLS_DECODE_STACK_LIMIT                                         \
         ? __builtin_alloca((GLulong)(byteCount) ? ((size_t)(byteCount) + 3) & ~(size_t)3 : 4) \
         : ((heapVar) = __glsReaderDecodeMalloc((reader), (GLulong)(byteCount))))

// The stack side of the buffer of an array whose size the stream gives:
// as much as a decoder keeps on its own stack, else nothing, so that the
// array reader takes the heap as the elements arrive. Two arguments.
#define __GLS_TEXT_STACK(byteCount)                                                       \
    ((GLulong)(byteCount) <= __GLS_DECODE_STACK_LIMIT                                     \
         ? __builtin_alloca((GLulong)(byteCount) ? ((size_t)(byteCount) + 3) & ~(size_t)3 \
                                                 : 4)                                     \
         : nullptr),                                                                      \
        ((GLulong)(byteCount) <= __GLS_DECODE_STACK_LIMIT ? (size_t)(byteCount) : 0)
