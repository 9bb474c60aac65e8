// Creation, output target, buffering and destruction of the stream writers.
#include "write/writer.h"

#include <stdlib.h>
#include <string.h>

GLboolean __glsWriterOpenStream(__GLSwriteStream *stream, const GLubyte *name, GLboolean append) {
    memset(stream, 0, sizeof *stream);
    __glsStringBufferInit(&stream->name);
    if (name[0]) {
        if (!__glsWriterPrefixedName(name, &stream->name)) {
            __glsWriterCloseStream(stream);
            return 0;
        }
        stream->file = fopen((const char *)stream->name.start, append ? "ab" : "wb");
        if (!stream->file) {
            __glsRaiseError(GLS_IO_ERROR);
            __glsWriterCloseStream(stream);
            return 0;
        }
        stream->ownsFile = 1;
    } else {
        // The channel and the write function belong to the context: never
        // opened or closed here, and appending means nothing to them.
        stream->writeFunc = __glsWriterWriteFunc();
        if (!stream->writeFunc) stream->file = __glsWriterDefaultChannel();
    }
    return 1;
}

void __glsWriterCloseStream(__GLSwriteStream *stream) {
    if (stream->ownsFile && stream->file && fclose(stream->file)) __glsRaiseError(GLS_IO_ERROR);
    __glsStringBufferFree(&stream->name);
    memset(stream, 0, sizeof *stream);
    __glsStringBufferInit(&stream->name);
}

GLboolean __glsWriterReleaseFile(__GLSwriter *writer, const GLubyte *path) {
    __GLSwriteStream *stream = writer->stream;
    if (!stream || !stream->ownsFile || !stream->file ||
        strcmp((const char *)stream->name.start, (const char *)path) != 0) {
        return 0;
    }
    // The file is going away: a failing close has nothing left to lose.
    fclose(stream->file);
    stream->file = nullptr;
    stream->ownsFile = 0;
    __glsWriterMarkFailed(writer);
    return 1;
}

// A file writer, made in the memory of the spare when one is given, with
// the spare's buffer; on failure that memory is the spare again.
static __GLSwriter *createFile(__GLSwriter **spare, const GLubyte *name, GLSenum streamType,
                               GLuint writeFlags) {
    __GLSwriter *writer = spare ? *spare : nullptr;
    if (writer) {
        *spare = nullptr;
        GLubyte *buffer = writer->buffer;
        memset(writer, 0, sizeof *writer);
        writer->buffer = buffer;
        writer->limit = buffer + __GLS_WRITER_LIMIT;
    } else {
        writer = (__GLSwriter *)__glsCalloc(1, sizeof(__GLSwriter));
        if (!writer) return nullptr;
    }
    if (!__glsWriterOpenStream(&writer->output, name, (writeFlags & __GLS_WRITE_APPEND) != 0)) {
        return __glsWriterEnd(writer, spare);
    }
    writer->stream = &writer->output;
    if (!writer->buffer) writer->buffer = (GLubyte *)__glsMalloc(__GLS_WRITER_BUFFER_SIZE);
    if (!writer->buffer) return __glsWriterEnd(writer, spare);
    writer->bufferStart = writer->writePtr = writer->buffer;
    writer->limit = writer->buffer + __GLS_WRITER_LIMIT;
    if (streamType == GLS_TEXT) {
        __glsTextWriterInit(writer);
    } else {
        __glsBinaryWriterInit(writer, streamType);
    }
    writer->streamType = streamType;
    writer->writeFlags = writeFlags;
    return writer;
}

__GLSwriter *__glsWriterCreateFile(const GLubyte *name, GLSenum streamType, GLuint writeFlags) {
    return createFile(nullptr, name, streamType, writeFlags);
}

__GLSwriter *__glsWriterCreate(const GLubyte *name, GLSenum streamType, GLuint writeFlags) {
    return __glsWriterCreateIn(nullptr, name, streamType, writeFlags);
}

__GLSwriter *__glsWriterCreateIn(__GLSwriter **spare, const GLubyte *name, GLSenum streamType,
                                 GLuint writeFlags) {
    __GLSwriter *writer = streamType == GLS_CONTEXT
                              ? __glsWriterCreateContext(name, writeFlags)
                              : createFile(spare, name, streamType, writeFlags);
    if (writer && !(writeFlags & __GLS_WRITE_NO_FRAMING)) {
        if (writer->put.beginCommand(writer, __GLS_OP_glsBeginGLS, 8)) {
            writer->put.putGLint(writer, 1);
            writer->put.putGLint(writer, 0);
            writer->put.endCommand(writer);
        }
        // The file holds the opening command as soon as the capture begins.
        __glsWriterFlush(writer);
    }
    return writer;
}

GLboolean __glsWriterFlush(__GLSwriter *writer) {
    if (writer->failed) return 0;
    writer->lastHeader = nullptr;
    if (writer->contextStream || !writer->stream) return 1;
    size_t n = (size_t)(writer->writePtr - writer->bufferStart);
    if (!n) return 1;
    __GLSwriteStream *stream = writer->stream;
    // With neither a channel nor a write function nothing can take the bytes.
    size_t taken = stream->file        ? fwrite(writer->bufferStart, 1, n, stream->file)
                   : stream->writeFunc ? stream->writeFunc(n, writer->bufferStart)
                                       : 0;
    if (taken != n) {
        __glsRaiseError(GLS_IO_ERROR);
        if (stream->file) clearerr(stream->file);
        __glsWriterMarkFailed(writer);
        return 0;
    }
    // Buffer addresses and stream positions agree modulo 8.
    writer->bufferStart = writer->buffer + (writer->wordPhase ? 4 : 0);
    writer->writePtr = writer->bufferStart;
    return 1;
}

void __glsWriterResetAlignPhase(__GLSwriter *writer) { writer->wordPhase = 0; }

__GLSwriter *__glsWriterDestroy(__GLSwriter *writer) { return __glsWriterEnd(writer, nullptr); }

__GLSwriter *__glsWriterEnd(__GLSwriter *writer, __GLSwriter **spare) {
    if (!writer) return nullptr;
    if (writer->streamType) {
        if (!(writer->writeFlags & __GLS_WRITE_NO_FRAMING) &&
            writer->put.beginCommand(writer, __GLS_OP_glsEndGLS, 0)) {
            writer->put.endCommand(writer);
        }
        __glsWriterFlush(writer);
        if (writer->contextStream) __glsWriterEndContext(writer);
    }
    if (writer->stream) __glsWriterCloseStream(writer->stream);
    writer->stream = nullptr;
    writer->streamType = 0;
    // A buffer a record too large for it replaced is not kept: the next
    // capture would hold that much for nothing.
    if (spare && !*spare && writer->buffer && writer->limit == writer->buffer + __GLS_WRITER_LIMIT) {
        *spare = writer;
        return nullptr;
    }
    free(writer->buffer);
    free(writer);
    return nullptr;
}
