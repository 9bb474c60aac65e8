// Read streams, the reader's buffer window and the loop that runs a stream
// section after section.
#include "read/reader.h"

#include <stdlib.h>
#include <string.h>

#include "stream/context_stream.h"
#include "read/decode.h"

namespace {

// Joins the prefix and the name byte for byte, as the writers join theirs,
// and opens the result; the joined name stays in the stream record either
// way. 0 for a name that does not open here; *stop is set when the name
// cannot be built at all, which ends the walk over the prefixes.
GLboolean openUnder(__GLSreadStream *stream, const __GLSprefix *prefix, const GLubyte *name,
                    GLboolean *stop) {
    if (!__glsPrefixedName(prefix, name, &stream->name)) {
        *stop = 1;
        return 0;
    }
    __GLSstring path;
    __glsStringBufferInit(&path);
    GLboolean built = __glsStringAssignFromUtf8(&path, GLS_UCS1, stream->name.start);
    FILE *file = built ? fopen((const char *)path.start, "rb") : nullptr;
    __glsStringBufferFree(&path);
    if (!built) *stop = 1;
    if (!file) return 0;
    stream->channel = file;
    stream->ownsChannel = 1;
    return 1;
}

// The window is emptied for good: every later fill fails at once.
GLboolean exhaust(__GLSreader *reader) {
    reader->consumed = 0;
    reader->start = reader->readPtr = reader->end = nullptr;
    return 0;
}

// Reads into [at, at + room) from the stream's source; the bytes delivered.
size_t readSource(__GLSreadStream *stream, GLubyte *at, size_t room) {
    if (stream->readFunc) {
        size_t n = stream->readFunc(room, at);
        // A read function that claims more than it was given room for has
        // written no more than the room, if it kept to its contract.
        return n < room ? n : room;
    }
    if (!stream->channel) return 0;
    size_t n = fread(at, 1, room, stream->channel);
    if (ferror(stream->channel)) {
        __glsRaiseError(GLS_IO_ERROR);
        clearerr(stream->channel);
    }
    return n;
}

// Replaces the buffer by one of newCapacity bytes, the unread bytes at the
// same offset from its start, so that their alignment is kept.
GLboolean regrow(__GLSreader *reader, size_t newCapacity) {
    GLubyte *block = (GLubyte *)__glsMalloc(newCapacity);
    if (!block) return 0;
    const size_t offset = (size_t)(reader->start - reader->buffer);
    const size_t unread = (size_t)(reader->end - reader->start);
    memcpy(block + offset, reader->start, unread);
    free(reader->buffer);
    reader->buffer = block;
    reader->capacity = newCapacity;
    reader->start = reader->readPtr = block + offset;
    reader->end = reader->start + unread;
    return 1;
}

// The framing calls of the decode loop go through the native decoders of
// glsBeginGLS (with the section's version as its argument block) and
// glsEndGLS, published as any record is.
void callFraming(__GLScontext *ctx, GLSopcode opcode, GLint *version) {
    GLubyte *block = (GLubyte *)version;
    __glsSetRecord(ctx, block, version ? 8 : 0);
    ctx->decodeFuncs[opcode](block);
    __glsSetRecord(ctx, nullptr, 0);
}

// After a text section: blanks and '#' comments up to the next section.
void skipAfterText(__GLSreader *reader) {
    bool comment = false;
    for (;;) {
        GLubyte c = 0;
        if (reader->readPtr && (reader->readPtr < reader->end || __glsReaderFill(reader, 1, 0))) {
            c = *reader->readPtr++;
        }
        if (comment) {
            if (c == '\n' || c == '\r' || c == 0) comment = false;
            if (c) continue;
        } else if (c == '#') {
            comment = true;
            continue;
        } else if ((c >= 9 && c <= 13) || c == ' ') {
            continue;
        }
        if (reader->readPtr && reader->readPtr > reader->buffer) --reader->readPtr;
        return;
    }
}

// The context's buffers are held to the bound of every buffer a decoder
// takes for a size read from a stream.
template <typename T>
T *contextBuffer(__GLSreader *reader, GLulong byteCount, T *(*get)(__GLScontext *, size_t)) {
    if (reader->error) return nullptr;
    T *buffer = byteCount <= __GLS_DECODE_HEAP_LIMIT ? get(__glsGetContext(), (size_t)byteCount)
                                                      : nullptr;
    if (!buffer) {
        __glsRaiseError(GLS_RESOURCE_ERROR);
        __glsReaderRaiseError(reader, GLS_RESOURCE_ERROR);
    }
    return buffer;
}

}  // namespace

extern "C" {

// ------------------------------------------------------------ streams

__GLSreadStream *__glsOpenReadStream(const GLubyte *name) {
    __GLScontext *ctx = __glsGetContext();
    __GLSreadStream *stream = (__GLSreadStream *)__glsCalloc(1, sizeof(__GLSreadStream));
    if (!stream) return nullptr;
    __glsStringBufferInit(&stream->name);
    if (!name[0]) {
        if (ctx->readFunc) {
            stream->readFunc = ctx->readFunc;
        } else {
            stream->channel = ctx->defaultReadChannel;
        }
        return stream;
    }
    GLboolean stop = 0;
    __GLSlistIter iter;
    for (__glsListFirst(&ctx->readPrefixes.head, &iter); iter && !stop;
         __glsListNext(&ctx->readPrefixes.head, &iter)) {
        if (openUnder(stream, (const __GLSprefix *)iter, name, &stop)) return stream;
    }
    if (!stop && ctx->writePrefix && openUnder(stream, ctx->writePrefix, name, &stop)) {
        return stream;
    }
    return __glsCloseReadStream(stream);
}

__GLSreadStream *__glsCloseReadStream(__GLSreadStream *stream) {
    if (!stream) return nullptr;
    if (stream->ownsChannel && fclose(stream->channel) != 0) __glsRaiseError(GLS_IO_ERROR);
    __glsStringBufferFree(&stream->name);
    free(stream);
    return nullptr;
}

GLulong __glsReadStreamSize(__GLSreadStream *stream) {
    FILE *channel = stream->channel;
    if (!channel || !__glsChannelHasSize(channel)) return 0;
    const int64_t position = __glsChannelTell(channel);
    if (position < 0 || __glsChannelSeek(channel, 0, SEEK_END) != 0) return 0;
    const int64_t size = __glsChannelTell(channel);
    __glsChannelSeek(channel, position, SEEK_SET);
    return size < 0 ? 0 : (GLulong)size;
}

GLuint __glsReadStreamCRC32(__GLSreadStream *stream) {
    FILE *channel = stream->channel;
    if (!channel || !__glsChannelHasSize(channel)) return 0;
    const int64_t position = __glsChannelTell(channel);
    if (position < 0 || __glsChannelSeek(channel, 0, SEEK_SET) != 0) return 0;
    GLuint crc = 0xFFFFFFFFu;
    GLubyte block[4096];
    GLulong total = 0;
    size_t n;
    while ((n = fread(block, 1, sizeof block, channel)) > 0) {
        crc = __glsCRC32Update(crc, block, n);
        total += n;
    }
    const bool failed = ferror(channel) != 0;
    clearerr(channel);
    __glsChannelSeek(channel, position, SEEK_SET);
    if (failed) {
        __glsRaiseError(GLS_IO_ERROR);
        return 0;
    }
    return total ? ~crc : 0;
}

GLSenum __glsReadStreamType(__GLSreadStream *stream) {
    if (!stream->channel) return 0;
    if (__glsChannelSeek(stream->channel, 0, SEEK_SET) != 0) return GLS_UNKNOWN;
    __GLSreader probe;
    if (!__glsReaderInitStream(&probe, stream, __GLS_PROBE_BUFFER_SIZE)) return 0;
    const GLSenum type = probe.type;
    __glsReaderFree(&probe);
    return type;
}

// ------------------------------------------------------------- reader

__GLSreader *__glsReaderInitStream(__GLSreader *reader, __GLSreadStream *stream,
                                   size_t bufferSize) {
    memset(reader, 0, sizeof *reader);
    reader->stream = stream;
    reader->buffer = (GLubyte *)__glsMalloc(bufferSize);
    if (!reader->buffer) return nullptr;
    reader->capacity = bufferSize;
    reader->start = reader->readPtr = reader->end = reader->buffer;
    reader->type = __glsReadBinaryHeader(reader, reader->version);
    if (!reader->type) reader->type = __glsReadTextHeader(reader, reader->version);
    if (!reader->type) {
        __glsReaderFree(reader);
        return nullptr;
    }
    return reader;
}

__GLSreader *__glsReaderInitMemory(__GLSreader *reader, const GLubyte *data, size_t byteCount) {
    memset(reader, 0, sizeof *reader);
    // A memory reader only reads its block; the text tokenizer steps back
    // over a byte it has read, but never writes.
    reader->buffer = reader->start = reader->readPtr = (GLubyte *)data;
    reader->capacity = byteCount;
    reader->end = reader->buffer + byteCount;
    return reader;
}

__GLSreader *__glsReaderFree(__GLSreader *reader) {
    if (reader && reader->stream) {
        free(reader->buffer);
        reader->buffer = nullptr;
        reader->capacity = 0;
        exhaust(reader);
    }
    return nullptr;
}

GLboolean __glsReaderFill(__GLSreader *reader, size_t need, GLboolean keepAlignment) {
    if (!reader->readPtr || !reader->stream) return 0;
    const size_t unread = (size_t)(reader->end - reader->readPtr);
    const size_t pad = keepAlignment ? (size_t)(reader->readPtr - reader->buffer) & 4 : 0;
    if (need > SIZE_MAX - 8 - pad) return exhaust(reader);
    // The unread bytes go to the front (pad <= their offset, so they fit).
    GLubyte *front = reader->buffer + pad;
    if (front != reader->readPtr) memmove(front, reader->readPtr, unread);
    reader->consumed += (GLulong)(reader->readPtr - reader->start);
    reader->start = reader->readPtr = front;
    reader->end = front + unread;
    while ((size_t)(reader->end - reader->readPtr) < need) {
        if (reader->end == reader->buffer + reader->capacity) {
            // Room for more, doubling up to what is needed: a forged size
            // grows the buffer only as far as the data really reaches.
            const size_t wanted = pad + need;
            size_t grown = reader->capacity <= SIZE_MAX / 2 ? reader->capacity * 2 : SIZE_MAX;
            if (grown > wanted) grown = wanted;
            if (!regrow(reader, grown)) return exhaust(reader);
        }
        const size_t room = (size_t)(reader->buffer + reader->capacity - reader->end);
        const size_t n = readSource(reader->stream, reader->end, room);
        if (!n) return exhaust(reader);
        reader->end += n;
    }
    return 1;
}

void __glsReaderRaiseError(__GLSreader *reader, GLSenum code) {
    if (!reader->error) reader->error = code;
}

void *__glsReaderMalloc(__GLSreader *reader, size_t byteCount) {
    if (reader->error) return nullptr;
    void *block = __glsMalloc(byteCount);
    if (!block) __glsReaderRaiseError(reader, GLS_RESOURCE_ERROR);
    return block;
}

GLfloat *__glsReaderGetFeedbackBuffer(__GLSreader *reader, GLulong byteCount) {
    return contextBuffer(reader, byteCount, __glsGetFeedbackBuffer);
}

GLuint *__glsReaderGetSelectBuffer(__GLSreader *reader, GLulong byteCount) {
    return contextBuffer(reader, byteCount, __glsGetSelectBuffer);
}

// ------------------------------------------------------- decode loop

void __glsDecodeStream(__GLSreader *reader) {
    __GLScontext *ctx = __glsGetContext();
    ctx->readBase = 0;
    ctx->readStart = nullptr;
    ctx->readCursor = nullptr;
    while (reader->type) {
        callFraming(ctx, __GLS_OP_glsBeginGLS, reader->version);
        GLboolean ended;
        if (reader->type == GLS_TEXT) {
            ended = __glsDecodeText(reader);
        } else if (reader->type == GLS_BINARY_LSB_FIRST) {
            ended = __glsDecodeBinary(reader);
        } else {
            ended = __glsDecodeBinarySwap(reader);
        }
        if (!ended) return;
        if (reader->type == GLS_TEXT) skipAfterText(reader);
        callFraming(ctx, __GLS_OP_glsEndGLS, nullptr);
        ctx->readBase = reader->readPtr ? __glsReaderOffset(reader) : 0;
        ctx->readStart = nullptr;
        ctx->readCursor = nullptr;
        reader->type = __glsReadBinaryHeader(reader, reader->version);
        if (!reader->type) reader->type = __glsReadTextHeader(reader, reader->version);
    }
}

}  // extern "C"
