// What the decoders share: one decoder per opcode for each encoding (the
// tables are declared with the core's seam), the argument bytes of a record,
// and the buffers a decoder provides. A binary decoder takes the address of
// a record's argument block.
#pragma once

#include "core/context.h"
#include "core/seam.h"

extern "C" {

// The argument bytes of the record of `opcode` whose block starts at
// `block`, from the record header in front of the block (in native order):
// a decoder reads nothing beyond them. A long header whose size could also
// be read as a short header of the same opcode is taken at the smaller size
// unless the walker's current-record pointer tells the form.
GLulong __glsDecodeArgBytes(GLSopcode opcode, const GLubyte *block);

// A heap block of a 64-bit byte count; null, with GLS_RESOURCE_ERROR, when
// it cannot be had.
// A count read from a stream decides how much an output buffer takes, so a
// forged record could ask for gigabytes: one buffer is held to 256 MB, and
// a larger one is refused as an allocation failure.
#define __GLS_DECODE_HEAP_LIMIT ((GLulong)0x10000000)
void *__glsDecodeMalloc(GLulong byteCount);

}  // extern "C"

// A buffer that a decoder provides for one call: up to 65,536 bytes on the
// decoder's own stack, larger ones from the heap into `heapVar`, which the
// decoder frees after the call. Null when the heap has none.
enum { __GLS_DECODE_STACK_LIMIT = 0x10000 };
#define __GLS_DECODE_BUFFER(byteCount, heapVar)                                   \
    ((GLulong)(byteCount) <= __GLS_DECODE_STACK_LIMIT                             \
         ? __builtin_alloca((byteCount) ? ((size_t)(byteCount) + 3) & ~(size_t)3 : 4)\
         : ((heapVar) = __glsDecodeMalloc((GLulong)(byteCount))))
