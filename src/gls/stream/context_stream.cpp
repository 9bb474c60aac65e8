#include "stream/context_stream.h"

#include <stdlib.h>
#include <string.h>

#include "gls_functions.h"

extern "C" {

// ------------------------------------------------------------ checksum

static constexpr GLuint crcEntry(GLuint index) {
    GLuint c = index << 24;
    for (int bit = 0; bit < 8; ++bit) c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : c << 1;
    return c;
}

#define __GLS_CRC4(i) crcEntry(i), crcEntry((i) + 1), crcEntry((i) + 2), crcEntry((i) + 3)
#define __GLS_CRC16(i) __GLS_CRC4(i), __GLS_CRC4((i) + 4), __GLS_CRC4((i) + 8), __GLS_CRC4((i) + 12)
#define __GLS_CRC64(i) \
    __GLS_CRC16(i), __GLS_CRC16((i) + 16), __GLS_CRC16((i) + 32), __GLS_CRC16((i) + 48)

// Built by the compiler, so that no thread ever sees it half made.
static const GLuint crcTable[256] = {__GLS_CRC64(0), __GLS_CRC64(64), __GLS_CRC64(128),
                                    __GLS_CRC64(192)};

#undef __GLS_CRC64
#undef __GLS_CRC16
#undef __GLS_CRC4

GLuint __glsCRC32Update(GLuint crc, const GLubyte *p, size_t n) {
    for (; n; --n, ++p) crc = (crc << 8) ^ crcTable[(crc >> 24) ^ *p];
    return crc;
}

// ------------------------------------------------------- raw accessors

// Records are read and written through copies: a malformed length may leave
// a header anywhere.
static GLuint readWord(const GLubyte *p) {
    GLuint value;
    memcpy(&value, p, sizeof value);
    return value;
}

static void writeWord(GLubyte *p, GLuint value) { memcpy(p, &value, sizeof value); }

static size_t used(const __GLScontextBlock *block) {
    return (size_t)(block->writePtr - block->data);
}

static size_t room(const __GLScontextBlock *block) {
    return (size_t)(block->end - block->writePtr);
}

// --------------------------------------------------------------- blocks

// A data area of byteCount bytes, from pages when it is large; null, with
// GLS_RESOURCE_ERROR raised, when memory runs out.
static GLubyte *areaAlloc(size_t byteCount, size_t *outPageBytes) {
    *outPageBytes = 0;
    if (byteCount < __GLS_CONTEXT_PAGE_AREA) return (GLubyte *)__glsMalloc(byteCount);
    GLubyte *area = (GLubyte *)__glsPageAlloc(byteCount);
    if (!area) {
        __glsRaiseError(GLS_RESOURCE_ERROR);
        return nullptr;
    }
    *outPageBytes = byteCount;
    return area;
}

static void areaFree(GLubyte *area, size_t pageBytes) {
    if (pageBytes) {
        __glsPageFree(area, pageBytes);
    } else {
        free(area);
    }
}

__GLScontextBlock *__glsContextBlockCreate(size_t byteCount) {
    __GLScontextBlock *block = (__GLScontextBlock *)__glsCalloc(1, sizeof(__GLScontextBlock));
    if (!block) return nullptr;
    block->data = areaAlloc(byteCount, &block->pageBytes);
    if (!block->data) {
        free(block);
        return nullptr;
    }
    block->end = block->data + byteCount;
    block->writePtr = block->data;
    return block;
}

__GLScontextBlock *__glsContextBlockDestroy(__GLScontextBlock *block) {
    if (block) {
        areaFree(block->data, block->pageBytes);
        free(block);
    }
    return nullptr;
}

GLboolean __glsContextBlockMove(__GLScontextBlock *block, size_t byteCount) {
    size_t pageBytes;
    GLubyte *area = areaAlloc(byteCount, &pageBytes);
    if (!area) return 0;
    const size_t size = used(block);
    memcpy(area, block->data, size);
    areaFree(block->data, block->pageBytes);
    block->data = area;
    block->pageBytes = pageBytes;
    block->end = area + byteCount;
    block->writePtr = area + size;
    return 1;
}

GLboolean __glsContextStreamPutPad(__GLScontextBlock *block) {
    if (room(block) < 4) return 0;
    writeWord(block->writePtr, (GLuint)__GLS_OP_glsPad | (4u << 16));
    block->writePtr += 4;
    return 1;
}

GLboolean __glsContextStreamPutLink(__GLScontextBlock *block, const GLubyte *next) {
    // The address field lands on an 8-byte boundary of the data.
    size_t pad = (used(block) & 4) ? 4 : 0;
    if (room(block) < pad + __GLS_CONTEXT_LINK_SIZE) return 0;
    if (pad) __glsContextStreamPutPad(block);
    memset(block->writePtr, 0, 16);
    memcpy(block->writePtr + 16, &next, sizeof next);
    block->writePtr += __GLS_CONTEXT_LINK_SIZE;
    return 1;
}

GLboolean __glsContextBlockHasLink(const __GLScontextBlock *block) {
    if (used(block) < __GLS_CONTEXT_LINK_SIZE) return 0;
    const GLubyte *link = block->writePtr - __GLS_CONTEXT_LINK_SIZE;
    for (int i = 0; i < 4; ++i) {
        if (readWord(link + 4 * i)) return 0;
    }
    return 1;
}

GLboolean __glsContextStreamUnlink(__GLScontextBlock *block) {
    if (!__glsContextBlockHasLink(block)) return 0;
    block->writePtr -= __GLS_CONTEXT_LINK_SIZE;
    return 1;
}

// ------------------------------------------------------------- streams

__GLScontextBlock *__glsContextStreamFirstBlock(__GLScontextStream *stream) {
    return (__GLScontextBlock *)stream->blocks;
}

__GLScontextBlock *__glsContextStreamLastBlock(__GLScontextStream *stream) {
    return stream->blocks ? (__GLScontextBlock *)stream->blocks->prev : nullptr;
}

__GLScontextBlock *__glsContextStreamAddBlock(__GLScontextStream *stream, size_t byteCount) {
    __GLScontextBlock *block = __glsContextBlockCreate(byteCount);
    if (block) __glsListAppend(&stream->blocks, &block->link);
    return block;
}

static void removeBlock(__GLScontextStream *stream, __GLScontextBlock *block) {
    __glsListRemove(&stream->blocks, &block->link);
    __glsContextBlockDestroy(block);
}

__GLScontextStream *__glsContextStreamCreate(const GLubyte *name) {
    __GLScontextStream *stream =
        (__GLScontextStream *)__glsCalloc(1, sizeof(__GLScontextStream));
    if (!stream) return nullptr;
    __glsStringBufferInit(&stream->name);
    // The name comes as the UTF-8 text that the dictionary is keyed by, so
    // its bytes are kept as they are.
    size_t length = strlen((const char *)name);
    if ((size_t)(stream->name.limit - stream->name.write) < length &&
        !__glsStringBufferGrow(&stream->name, length)) {
        return __glsContextStreamDestroy(stream);
    }
    memcpy(stream->name.write, name, length + 1);
    stream->name.write += length;
    // The first block has just the room that a writer keeps free.
    __GLScontextBlock *block = __glsContextStreamAddBlock(stream, __GLS_CONTEXT_BLOCK_RESERVE);
    if (!block || !__glsContextStreamPutLink(block, nullptr)) {
        return __glsContextStreamDestroy(stream);
    }
    return stream;
}

__GLScontextStream *__glsContextStreamDestroy(__GLScontextStream *stream) {
    if (!stream) return nullptr;
    __glsStringBufferFree(&stream->name);
    while (stream->blocks) removeBlock(stream, __glsContextStreamLastBlock(stream));
    free(stream);
    return nullptr;
}

// The bytes of a block that belong to the stream: its link is not one of
// them, the glsPad before the link is.
static size_t contentBytes(const __GLScontextBlock *block) {
    return used(block) - (__glsContextBlockHasLink(block) ? __GLS_CONTEXT_LINK_SIZE : 0);
}

size_t __glsContextStreamSize(__GLScontextStream *stream) {
    size_t size = 0;
    __GLSlistIter iter;
    for (__glsListFirst(&stream->blocks, &iter); iter; __glsListNext(&stream->blocks, &iter)) {
        size += contentBytes((const __GLScontextBlock *)iter);
    }
    return size;
}

GLuint __glsContextStreamCRC(__GLScontextStream *stream) {
    GLuint crc = 0xFFFFFFFFu;
    __GLSlistIter iter;
    for (__glsListFirst(&stream->blocks, &iter); iter; __glsListNext(&stream->blocks, &iter)) {
        const __GLScontextBlock *block = (const __GLScontextBlock *)iter;
        crc = __glsCRC32Update(crc, block->data, contentBytes(block));
    }
    return ~crc;
}

void __glsContextStreamTrim(__GLScontextStream *stream, __GLScontextBlock *block,
                            size_t byteCount) {
    if (!stream || !block) return;
    size_t capacity = (size_t)(block->end - block->data);
    block->writePtr = block->data + (byteCount < capacity ? byteCount : capacity);
    __glsContextStreamPutLink(block, nullptr);

    // A finished recording keeps no slack. Pages give back their unused tail
    // where they are; a heap area moves to one of the used size, and the
    // link before it follows.
    if (block->writePtr < block->end) {
        if (block->pageBytes) {
            __glsPageShrink(block->data, block->pageBytes, used(block));
            block->end = block->writePtr;
        } else if (__glsContextBlockMove(block, used(block)) &&
                   &block->link != stream->blocks) {
            __GLScontextBlock *prev = (__GLScontextBlock *)block->link.prev;
            __glsContextStreamUnlink(prev);
            __glsContextStreamPutLink(prev, block->data);
        }
    }

    while (__glsContextStreamLastBlock(stream) != block) {
        removeBlock(stream, __glsContextStreamLastBlock(stream));
    }
}

}  // extern "C"
