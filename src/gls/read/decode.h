// What the decoders share: one decoder per opcode for each encoding (the
// tables are declared with the core's seam), the argument bytes of a record,
// and the buffers a decoder provides. A binary decoder takes the address of
// a record's argument block.
#pragma once

#include "core/context.h"
#include "core/seam.h"

extern "C" {

// A text decoder reads its command's arguments from the reader, which
// stands after the command's name and '(', and makes the call when all of
// them were read without error.
struct __GLSreader;
typedef void (GLSAPI *__GLSdecodeTextFunc)(__GLSreader *reader);
extern const __GLSdecodeTextFunc __glsDispatchDecode_text[GLS_OP_COUNT];

// The argument bytes of the record of `opcode` whose block starts at
// `block`, from the record header in front of the block (in native order):
// a decoder reads nothing beyond them. A long header whose size could also
// be read as a short header of the same opcode is taken at the smaller size
// unless the walker's current-record pointer tells the form.
GLulong __glsDecodeArgBytes(GLSopcode opcode, const GLubyte *block);

// The decoders read the header of the record they stand on to learn its
// length: a walker over records of the other byte order puts the header of
// each record in the machine's order (header bytes: 4 or 12) before it
// hands the record over.
void __glsNativeRecordHeader(GLubyte *record, GLuint headerBytes, GLuint opcode, GLuint size);

// A heap block of a 64-bit byte count; null, with GLS_RESOURCE_ERROR, when
// it cannot be had.
// A count read from a stream decides how much an output buffer takes, so a
// forged record could ask for gigabytes: one buffer is held to 256 MB, and
// a larger one is refused as an allocation failure.
#define __GLS_DECODE_HEAP_LIMIT ((GLulong)0x10000000)
void *__glsDecodeMalloc(GLulong byteCount);

// The client-array pointers that a stream sets hold addresses of the
// process that wrote it when the stream comes from a file, a channel or the
// read function. The decoders of the pointer commands tell each one here
// before their call (format: that of glInterleavedArrays, else 0).
void __glsDecodedArrayPointer(GLSopcode opcode, GLenum format, const GLvoid *pointer);
// The decoders of the draws that read client arrays ask here before their
// call: 0, with GLS_DECODE_ERROR through the context's glsError call
// function, when an enabled array would be read at an address that such a
// stream set, and the call function is the context's own.
GLboolean __glsDecodedDrawAllowed(GLSopcode opcode);

}  // extern "C"

// A buffer that a decoder provides for one call: up to 65,536 bytes on the
// decoder's own stack, larger ones from the heap into `heapVar`, which the
// decoder frees after the call. Null when the heap has none.
enum { __GLS_DECODE_STACK_LIMIT = 0x10000 };
#define __GLS_DECODE_BUFFER(byteCount, heapVar)                                   \
    ((GLulong)(byteCount) <= __GLS_DECODE_STACK_LIMIT                             \
         ? __builtin_alloca((byteCount) ? ((size_t)(byteCount) + 3) & ~(size_t)3 : 4)\
         : ((heapVar) = __glsDecodeMalloc((GLulong)(byteCount))))
