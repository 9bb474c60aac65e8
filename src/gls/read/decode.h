// What the decoders share: one decoder per opcode for each encoding (the
// tables are declared with the core's seam), the argument bytes of a record,
// and the buffers a decoder provides. A binary decoder takes the address of
// a record's argument block.
#pragma once

#include "core/context.h"
#include "core/seam.h"

extern "C" {

// The argument bytes of the record of `opcode` whose block starts at
// `block`, as the walker that hands it over published them: a decoder reads
// nothing beyond them. A block no walker published has none, so that its
// decoder refuses it.
GLulong __glsDecodeArgBytes(GLSopcode opcode, const GLubyte *block);

// A block of a 64-bit byte count (__glsBlockAlloc), freed with
// __glsDecodeFree; null, with GLS_RESOURCE_ERROR, when it cannot be had.
// A count read from a stream decides how much an output buffer takes, so a
// forged record could ask for gigabytes: one buffer is held to 256 MB, the
// buffers of all decoders in progress on the context (calls nest) to 256 MB
// together, and a larger one is refused as an allocation failure. A large
// block costs only the pages the GL writes.
#define __GLS_DECODE_HEAP_LIMIT ((GLulong)0x10000000)
void *__glsDecodeMalloc(GLulong byteCount);
void __glsDecodeFree(void *block);

}  // extern "C"

// A buffer that a decoder provides for one call: up to 4 KB on the
// decoder's own stack, larger ones from __glsDecodeMalloc into `heapVar`,
// which the decoder frees after the call. Null when none can be had. Calls
// nest 64 deep: a few kilobytes a level leave the thread its stack.
enum { __GLS_DECODE_STACK_LIMIT = 0x1000 };
#define __GLS_DECODE_BUFFER(byteCount, heapVar)                                   \
    ((GLulong)(byteCount) <= __GLS_DECODE_STACK_LIMIT                             \
         ? __builtin_alloca((byteCount) ? ((size_t)(byteCount) + 3) & ~(size_t)3 : 4)\
         : ((heapVar) = __glsDecodeMalloc((GLulong)(byteCount))))
