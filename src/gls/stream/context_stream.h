// In-memory GLS_CONTEXT streams: named recordings held by a GLS context as a
// chain of memory blocks of native-byte-order binary records, with the
// operations that create, extend, link, trim, measure, checksum and execute
// them.
//
// Bytes of a stream: records one after another (short header: opcode in the
// low and total length in the high 16 bits of one 32-bit word; long header:
// a zero word, the opcode, the total length), then at the end of each block
// a link: four zero 32-bit words and the address of the next block's data,
// null at the end of the stream. A link starts on an 8-byte boundary of the
// block's data, after a 4-byte glsPad record when one is needed, so the
// address field is naturally aligned on every architecture.
#pragma once

#include "base/dict.h"
#include "base/util.h"

enum {
    // Four zero words and one machine address: 20 bytes on 32-bit targets,
    // 24 on 64-bit ones.
    __GLS_CONTEXT_LINK_SIZE = 16 + (int)sizeof(void *),
    // What a writer keeps free at the end of every block: room for a glsPad
    // and a link.
    __GLS_CONTEXT_BLOCK_RESERVE = 4 + __GLS_CONTEXT_LINK_SIZE,
    // Data areas of this size or more are whole pages of the system's,
    // taken apart from the C heap, whose own blocks (the GL's growing
    // buffers among them) they would otherwise sit between.
    __GLS_CONTEXT_PAGE_AREA = 65536,
    // The smallest block a writer chains: large pieces, few page faults per
    // piece of the system's and few links.
    __GLS_CONTEXT_BLOCK_SIZE = 1 << 20,
};

struct __GLScontextBlock {
    __GLSlistNode link;  // in the stream's block list, in stream order
    GLubyte *data;       // owned
    GLubyte *end;        // one past the data area
    GLubyte *writePtr;   // data <= writePtr <= end
    size_t pageBytes;    // the size the pages were taken with; 0 for a heap area
};

struct __GLScontextStream {
    __GLSlistNode link;  // in the context's counted list contextStreams
    __GLSlist blocks;    // circular, first block at the head
    __GLSstring name;    // UTF-8; the key in the context's contextStreamDict
    GLint deletePending; // deleted while executing: the outermost execution frees it
    GLint readCount;     // executions in progress
    GLint beingWritten;  // 1 while a capture writer holds it
};

extern "C" {

// The CRC-32 (polynomial 0x04C11DB7, most significant bit first) carried
// over n more bytes; shared with the checksum of file streams. A checksum
// starts at 0xFFFFFFFF and is complemented at the end.
GLuint __glsCRC32Update(GLuint crc, const GLubyte *p, size_t n);

// A new stream holding only its end link; null when memory runs out.
__GLScontextStream *__glsContextStreamCreate(const GLubyte *name);
// Accepts null; always returns null.
__GLScontextStream *__glsContextStreamDestroy(__GLScontextStream *stream);

// A block with a data area of byteCount bytes appended to the stream; null
// (nothing appended) when memory runs out.
__GLScontextBlock *__glsContextStreamAddBlock(__GLScontextStream *stream, size_t byteCount);
__GLScontextBlock *__glsContextStreamFirstBlock(__GLScontextStream *stream);
__GLScontextBlock *__glsContextStreamLastBlock(__GLScontextStream *stream);

// Bytes of the stream, links left out.
size_t __glsContextStreamSize(__GLScontextStream *stream);
// CRC-32 of the bytes that the size counts; 0 for an empty stream.
GLuint __glsContextStreamCRC(__GLScontextStream *stream);

// Ends the stream byteCount bytes into the block's data: writes the end link
// there, shrinks the block to its used bytes (relinking its predecessor)
// and frees every later block.
void __glsContextStreamTrim(__GLScontextStream *stream, __GLScontextBlock *block,
                            size_t byteCount);

__GLScontextBlock *__glsContextBlockCreate(size_t byteCount);
// Moves the block's used bytes to a new data area of byteCount bytes (at
// least the used ones) and frees the old area; 0, the block unchanged,
// when memory runs out. The caller relinks the block before it.
GLboolean __glsContextBlockMove(__GLScontextBlock *block, size_t byteCount);
// Accepts null; always returns null.
__GLScontextBlock *__glsContextBlockDestroy(__GLScontextBlock *block);

// A link to next (null: end of stream) at the write position, after a glsPad
// when the position is 4 modulo 8; 0, nothing written, when it does not fit.
GLboolean __glsContextStreamPutLink(__GLScontextBlock *block, const GLubyte *next);
// A glsPad record at the write position; 0 when fewer than 4 bytes remain.
GLboolean __glsContextStreamPutPad(__GLScontextBlock *block);
// 1 when the block's used bytes end in a link.
GLboolean __glsContextBlockHasLink(const __GLScontextBlock *block);
// Moves the write position back over the block's trailing link; 0 when it
// has none.
GLboolean __glsContextStreamUnlink(__GLScontextBlock *block);

}  // extern "C"
