// Allocation, the growable string buffer, UTF-8 conversions, byte order and
// the binary layout of values: the small utilities the GLS core, the stream
// writers and the stream readers stand on.
#pragma once

#include <stdint.h>

#include "base/gls.h"

// ------------------------------------------------------------ memory
// Both raise GLS_RESOURCE_ERROR and return null when memory runs out; a
// count or size of 0 is taken as 1. Blocks are released with free.
void *__glsCalloc(size_t count, size_t size);
void *__glsMalloc(size_t size);

// A block whose size a stream decides (a decoder's buffer, a feedback
// buffer): a small one from the heap, a large one of pages that cost
// nothing until the GL writes into them, so that the size a record asks
// for costs only what is used. Aligned to 16 bytes; null with
// GLS_RESOURCE_ERROR when none can be had. Released with __glsBlockFree
// (null accepted); __glsBlockSize reads back the size asked for.
void *__glsBlockAlloc(size_t size);
void __glsBlockFree(void *block);
size_t __glsBlockSize(const void *block);

// p moved by n bytes on the integers, as the GL moves through client
// memory: a distance that leaves the caller's array, or a null or foreign
// pointer an application gives, is not undefined here.
template <typename T>
static inline T *__glsSkipBytes(T *p, GLlong n) {
    return (T *)((uintptr_t)p + (uintptr_t)n);
}

// Integer base-2 logarithm; 0 for n < 2.
size_t __glsLog2(size_t n);
// Smallest power of two not below n (1 for n <= 1); 0 when none fits.
size_t __glsNextPow2(size_t n);

// ------------------------------------------------------ string buffer
// Short strings live in the inline storage; the buffer moves to a heap
// block when it outgrows it and never shrinks. The buffer points into
// itself, so it must not be copied.
struct __GLSstring {
    GLubyte *start;  // the inline storage or the heap block
    GLubyte *write;  // end of the contents, where the terminator stands
    GLubyte *limit;  // last byte of the storage
    GLubyte inlineBuf[64];
};

// Grow, append and assign return 1, or 0 when memory runs out, in which case
// the buffer keeps its earlier contents.
__GLSstring *__glsStringBufferInit(__GLSstring *buffer);
// Afterwards the buffer is only fit to be initialised again.
void __glsStringBufferFree(__GLSstring *buffer);
void __glsStringBufferReset(__GLSstring *buffer);
// Room for n more bytes beyond the current terminator.
GLboolean __glsStringBufferGrow(__GLSstring *buffer, size_t n);
// A zero-terminated string of charType, appended UTF-8 encoded.
GLboolean __glsStringAppendUtf8(__GLSstring *buffer, GLSenum charType, const void *string);
GLboolean __glsStringAssignUtf8(__GLSstring *buffer, GLSenum charType, const void *string);
// A UTF-8 string, appended as characters of charType.
GLboolean __glsStringAppendFromUtf8(__GLSstring *buffer, GLSenum charType, const GLubyte *utf8);
GLboolean __glsStringAssignFromUtf8(__GLSstring *buffer, GLSenum charType, const GLubyte *utf8);
GLboolean __glsStringAppendUtf8Char(__GLSstring *buffer, GLuint code);
// One code as a character of charType, then a terminator of its width.
GLboolean __glsStringAppendChar(__GLSstring *buffer, GLSenum charType, GLuint code);

// The UTF-8 form of one string argument of the programming interface.
struct __GLSutf8Arg {
    const GLubyte *text;
    __GLSstring storage;  // start is null when text is the caller's string
};

// 0 when memory runs out.
GLboolean __glsArgToUtf8(__GLSutf8Arg *arg, GLSenum charType, const void *string);
void __glsArgToUtf8Free(__GLSutf8Arg *arg);

// -------------------------------------------------------------- UTF-8
// Sequences of 1 to 6 bytes carrying codes of up to 31 bits.

// Bytes in one character of charType (GLS_UCS1, 2 or 4); 0 for any other.
size_t __glsCharWidth(GLSenum charType);
// Writes the sequence of code AND 0x7FFFFFFF; returns its length, 1 to 6.
GLint __glsUtf8EncodeChar(GLuint code, GLubyte *out);
// Returns the length of the sequence at utf8, or 0 (outCode untouched) for
// an invalid first byte, a following byte that is no continuation byte (the
// terminator among them) or an overlong code 0.
GLint __glsUtf8DecodeChar(const GLubyte *utf8, GLuint *outCode);
// The code a 32-bit character is written with: a negative one, which the
// 31 bits of UTF-8 cannot carry, becomes U+FFFD.
static inline GLuint __glsUtf8Code(GLuint code) { return (GLint)code < 0 ? 0xFFFDu : code; }
// UTF-8 bytes of a zero-terminated string of charType, terminator not
// counted; 0 for an unknown type.
size_t __glsUtf8Length(GLSenum charType, const void *string);
// Length of a byte string; outAll7Bit (when not null) tells whether every
// byte is below 128.
size_t __glsUtf8ByteLength(const GLubyte *string, GLboolean *outAll7Bit);
GLboolean __glsIs7BitString(const GLubyte *string);
// Writes code as one character of charType, or as the text "\<%X>" with one
// character per byte when the type cannot hold it. Returns the bytes
// written; out null only counts them. Nothing for an unknown type.
size_t __glsPutChar(GLSenum charType, GLuint code, void *out);
// Converts utf8 into zero-terminated characters of charType; returns the
// bytes written, terminator not counted. Invalid UTF-8 gives the empty
// string and 0, as the empty string does: a caller tells the two apart by
// the text; an unknown type writes nothing.
size_t __glsUtf8ToChars(const GLubyte *utf8, GLSenum charType, void *out);
// Bytes to provide for converting byteCount UTF-8 bytes, the terminator
// among them; bit 0 of flags marks text that is all below 128.
size_t __glsUtf8ToCharsSize(size_t byteCount, GLuint flags, GLSenum charType);

// --------------------------------------------------------- byte order
// In place; a negative count or byteCount does nothing.
void __glsSwap2(void *p);
void __glsSwap4(void *p);
void __glsSwap8(void *p);
void __glsSwap2v(GLlong count, void *p);
void __glsSwap4v(GLlong count, void *p);
void __glsSwap8v(GLlong count, void *p);
GLushort __glsSwap2Value(GLushort v);
GLuint __glsSwap4Value(GLuint v);
// Data of a type or format that is not known is left unchanged.
void __glsSwapTypedArray(GLenum type, GLlong byteCount, void *p);
void __glsSwapInterleavedArray(GLenum format, GLlong byteCount, void *p);

// GLS_BINARY_LSB_FIRST or GLS_BINARY_MSB_FIRST when the 20 bytes are a
// glsBeginGLS of major version 0 or 1 in that byte order, storing
// {major, minor} in outVersion; otherwise 0, outVersion untouched.
GLSenum __glsSniffBinaryType(const GLubyte *first20Bytes, GLint outVersion[2]);

// ------------------------------------------------------------ numbers
GLlong __glsMakeLong(GLint high, GLuint low);
GLint __glsLongHigh(GLlong value);
GLuint __glsLongLow(GLlong value);
// The stream value of a pointer argument: the address zero-extended.
GLulong __glsAddressToU64(const void *address);
void *__glsU64ToAddress(GLulong value);
// Bytes of one element of a GL data type; 0 for other types.
GLint __glsTypeSize(GLenum type);
