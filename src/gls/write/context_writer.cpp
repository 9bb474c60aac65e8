// Writers into in-memory GLS_CONTEXT streams: opening a stream of the
// current context for a capture, growing its last block or chaining a new
// one when a record does not fit, and closing the stream where the writer
// stopped.
//
// A context writer writes native-byte-order binary records straight into the
// last block of its stream. It never fills the last __GLS_CONTEXT_BLOCK_RESERVE
// bytes of a block, so that a glsPad and the block's link always fit behind
// the data.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "stream/context_stream.h"
#include "write/writer.h"

namespace {

const size_t RESERVE = __GLS_CONTEXT_BLOCK_RESERVE;
// What a block needs beyond a record: the reserve and a glsPad at its start.
const size_t EXTRA = __GLS_CONTEXT_BLOCK_RESERVE + 4;

// The writer may fill its block up to the reserve. A block that the stream
// was trimmed to has only its link's room left, less than the reserve; its
// limit is then the write position itself, so that the next record first
// makes room.
void setLimit(__GLSwriter *w, __GLScontextBlock *block) {
    w->limit = (size_t)(block->end - w->writePtr) >= RESERVE ? block->end - RESERVE : w->writePtr;
}

GLboolean fail(__GLSwriter *w) {
    __glsWriterMarkFailed(w);
    return 0;
}

GLboolean GLSAPI makeRoomContext(__GLSwriter *w, GLulong n) {
    __GLScontextStream *stream = w->contextStream;
    __GLScontextBlock *block = __glsContextStreamLastBlock(stream);
    size_t used = (size_t)(w->writePtr - block->data);
    size_t size = (size_t)(block->end - block->data);
    float fill = (float)(used + RESERVE) / (float)size;
    // A record that has left for an earlier block, or whose block moves, is
    // never lengthened afterwards.
    __glsWriterFlush(w);
    block->writePtr = w->writePtr;
    if (n > (GLulong)(SIZE_MAX - EXTRA - used)) {
        __glsRaiseError(GLS_RESOURCE_ERROR);
        return fail(w);
    }
    size_t needed = (size_t)n + EXTRA;

    if (fill < 0.9f) {
        // Room is still cheap to copy: the block moves to a larger area. The
        // new area is had before the old one goes, so that a writer that
        // cannot grow keeps a block it may still point into.
        if (!__glsContextBlockMove(block, used + needed)) return fail(w);
        w->writePtr = block->writePtr;
        setLimit(w, block);
        if (&block->link != stream->blocks) {
            __GLScontextBlock *prev = (__GLScontextBlock *)block->link.prev;
            __glsContextStreamUnlink(prev);
            __glsContextStreamPutLink(prev, block->data);
        }
        return 1;
    }

    const size_t piece = __GLS_CONTEXT_BLOCK_SIZE;
    __GLScontextBlock *next = __glsContextStreamAddBlock(stream, needed > piece ? needed : piece);
    if (!next) return fail(w);
    // Blocks start 8-byte aligned; with an odd word count written the next
    // 8-byte value must land 4 bytes into the block, as it does in the
    // stream.
    if (w->wordPhase) __glsContextStreamPutPad(next);
    // The reader follows a link to the start of the next block's data.
    __glsContextStreamPutLink(block, next->data);
    w->writePtr = next->writePtr;
    setLimit(w, next);
    return 1;
}

// The writer that holds the stream, among the current context's captures.
__GLSwriter *holder(__GLScontextStream *stream) {
    __GLScontext *ctx = __glsGetContext();
    if (!ctx) return nullptr;
    for (GLint level = 0; level < ctx->captureNesting; ++level) {
        __GLSwriter *w = ctx->writerStack[level];
        if (w && w->contextStream == stream) return w;
    }
    return nullptr;
}

}  // namespace

__GLSwriter *__glsWriterCreateContext(const GLubyte *name, GLuint writeFlags) {
    __GLScontext *ctx = __glsGetContext();
    if (!ctx) {
        __glsRaiseError(GLS_STATE_ERROR);
        return nullptr;
    }
    __GLScontextStream *stream =
        (__GLScontextStream *)__glsStrDictLookup(ctx->contextStreamDict, name);
    __GLSwriter *w = nullptr;
    if (stream) {
        // A stream being executed or written is left exactly as it is.
        if (stream->readCount || stream->beingWritten) {
            __glsRaiseError(GLS_STATE_ERROR);
            return nullptr;
        }
        w = (__GLSwriter *)__glsCalloc(1, sizeof(__GLSwriter));
        if (!w) return nullptr;
        if (!(writeFlags & __GLS_WRITE_APPEND)) {
            __glsContextStreamTrim(stream, __glsContextStreamFirstBlock(stream), 0);
        }
    } else {
        w = (__GLSwriter *)__glsCalloc(1, sizeof(__GLSwriter));
        if (!w) return nullptr;
        stream = __glsContextStreamCreate(name);
        if (!stream || !__glsStrDictAdd(ctx->contextStreamDict, name, stream)) {
            __glsContextStreamDestroy(stream);
            free(w);
            return nullptr;
        }
        __glsCountedListAppend(&ctx->contextStreams, &stream->link);
    }

    stream->beingWritten = 1;
    __GLScontextBlock *block = __glsContextStreamLastBlock(stream);
    __glsContextStreamUnlink(block);
    w->writePtr = block->writePtr;
    setLimit(w, block);
    w->contextStream = stream;
    __glsBinaryWriterInit(w, GLS_CONTEXT);
    w->put.makeRoom = makeRoomContext;
    w->streamType = GLS_CONTEXT;
    w->writeFlags = writeFlags;
    return w;
}

void __glsWriterEndContext(__GLSwriter *w) {
    __GLScontextStream *stream = w->contextStream;
    if (!stream) return;
    __GLScontextBlock *block = __glsContextStreamLastBlock(stream);
    block->writePtr = w->writePtr;
    __glsContextStreamTrim(stream, block, (size_t)(w->writePtr - block->data));
    stream->beingWritten = 0;
    w->contextStream = nullptr;
}

GLboolean __glsWriterMeasureContext(__GLScontextStream *stream, size_t *outSize, GLuint *outCRC) {
    // A stream that a capture holds open has no end link and its last
    // block does not know where the writer is: it is ended there for the
    // measure and opened again, which the reserve always leaves room for.
    __GLSwriter *w = stream->beingWritten ? holder(stream) : nullptr;
    __GLScontextBlock *block = w ? __glsContextStreamLastBlock(stream) : nullptr;
    if (block) {
        block->writePtr = w->writePtr;
        if (!__glsContextStreamPutLink(block, nullptr)) return 0;
    }
    if (outSize) *outSize = __glsContextStreamSize(stream);
    if (outCRC) *outCRC = __glsContextStreamCRC(stream);
    if (block) block->writePtr = w->writePtr;
    return 1;
}
