// The named streams of the programming interface: a name is first looked up
// among the context's in-memory context streams, then as a file under the
// read prefixes and last the write prefix; the empty name stands for the
// read function or the default read channel.
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "api/api.h"
#include "api/stream_call.h"
#include "api/stream_play.h"
#include "read/reader.h"
#include "stream/context_stream.h"
#include "write/writer.h"

namespace {

__GLScontextStream *findContextStream(__GLScontext *ctx, const GLubyte *utf8) {
    return (__GLScontextStream *)__glsStrDictLookup(ctx->contextStreamDict, utf8);
}

// The file a stream name opens for reading; GLS_PARAMETER_ERROR when it
// opens nowhere.
__GLSreadStream *openFile(const GLubyte *name) {
    __GLSreadStream *stream = __glsOpenReadStream(name);
    if (!stream) __glsRaiseError(GLS_PARAMETER_ERROR);
    return stream;
}

void deleteFile(__GLScontext *ctx, const GLubyte *name) {
    __GLSreadStream *stream = openFile(name);
    if (!stream) return;
    __GLSstring path;
    __glsStringBufferInit(&path);
    const GLboolean named = __glsStringAssignFromUtf8(&path, GLS_UCS1, stream->name.start);
    // Only to learn the file's full name; an open file cannot be removed
    // everywhere.
    __glsCloseReadStream(stream);
    if (named) {
        // A capture of this context that writes the file lets go of it first.
        for (GLint level = 0; level < ctx->captureNesting; ++level) {
            __GLSwriter *writer = ctx->writerStack[level];
            if (writer) __glsWriterReleaseFile(writer, path.start);
        }
        if (remove((const char *)path.start) != 0) __glsRaiseError(GLS_IO_ERROR);
    }
    __glsStringBufferFree(&path);
}

}  // namespace

extern "C" {

GLboolean glsIsContextStream(const GLubyte *streamName) {
    if (!__glsRequireContext()) return GL_FALSE;
    __GLScontext *ctx = __glsGetContext();
    __GLSutf8Arg name;
    GLboolean found = __glsStringArg(&name, ctx, streamName) && findContextStream(ctx, name.text);
    __glsArgToUtf8Free(&name);
    return found;
}

size_t glsGetStreamSize(const GLubyte *streamName) {
    if (!__glsRequireContext()) return 0;
    glsFlush();
    __GLScontext *ctx = __glsGetContext();
    __GLSutf8Arg name;
    size_t size = 0;
    if (__glsStringArg(&name, ctx, streamName)) {
        __GLScontextStream *stream = findContextStream(ctx, name.text);
        if (stream) {
            __glsWriterMeasureContext(stream, &size, nullptr);
        } else if (__GLSreadStream *file = openFile(name.text)) {
            // A size past what a size_t holds (a 32-bit build) is not told.
            const GLulong bytes = __glsReadStreamSize(file);
            size = bytes <= (GLulong)SIZE_MAX ? (size_t)bytes : 0;
            __glsCloseReadStream(file);
        }
    }
    __glsArgToUtf8Free(&name);
    return size;
}

GLint glsGetStreami(GLSenum attrib, const GLubyte *streamName) {
    if (!__glsRequireContext()) return 0;
    glsFlush();
    if (attrib != GLS_CRC32 && attrib != GLS_STREAM_TYPE) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return 0;
    }
    __GLScontext *ctx = __glsGetContext();
    __GLSutf8Arg name;
    GLint value = 0;
    if (__glsStringArg(&name, ctx, streamName)) {
        __GLScontextStream *stream = findContextStream(ctx, name.text);
        if (!stream) {
            if (__GLSreadStream *file = openFile(name.text)) {
                value = attrib == GLS_STREAM_TYPE ? (GLint)__glsReadStreamType(file)
                                                  : (GLint)__glsReadStreamCRC32(file);
                __glsCloseReadStream(file);
            }
        } else if (attrib == GLS_STREAM_TYPE) {
            value = GLS_CONTEXT;
        } else {
            GLuint crc = 0;
            __glsWriterMeasureContext(stream, nullptr, &crc);
            value = (GLint)crc;
        }
    }
    __glsArgToUtf8Free(&name);
    return value;
}

void glsDeleteStream(const GLubyte *streamName) {
    if (!__glsRequireContext()) return;
    __GLScontext *ctx = __glsGetContext();
    __GLSutf8Arg name;
    if (__glsStringArg(&name, ctx, streamName)) {
        __GLScontextStream *stream = findContextStream(ctx, name.text);
        if (!stream) {
            deleteFile(ctx, name.text);
        } else if (stream->beingWritten) {
            // The capture writes into the stream's blocks: it must not be
            // freed under the writer.
            __glsRaiseError(GLS_STATE_ERROR);
        } else {
            __glsStrDictRemove(ctx->contextStreamDict, name.text);
            __glsCountedListRemove(&ctx->contextStreams, &stream->link);
            // While it runs, the outermost execution frees it at its end.
            if (stream->readCount) {
                stream->deletePending = 1;
            } else {
                __glsContextStreamDestroy(stream);
            }
        }
    }
    __glsArgToUtf8Free(&name);
}

const GLubyte *glsGetStreamubz(GLSenum attrib, const GLubyte *streamName) {
    if (!__glsRequireContext()) return nullptr;
    __GLScontext *ctx = __glsGetContext();
    if (attrib != GLS_READ_NAME && attrib != GLS_WRITE_NAME) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return nullptr;
    }
    __GLSutf8Arg name;
    const GLubyte *answer = nullptr;
    __GLSstring full;
    __glsStringBufferInit(&full);
    if (__glsStringArg(&name, ctx, streamName)) {
        if (attrib == GLS_WRITE_NAME) {
            // Whether or not such a stream exists.
            if (__glsPrefixedName(ctx->writePrefix, name.text, &full)) {
                answer = __glsScratchString(ctx, full.start);
            }
        } else if (findContextStream(ctx, name.text)) {
            answer = __glsScratchString(ctx, name.text);
        } else if (__GLSreadStream *file = openFile(name.text)) {
            answer = __glsScratchString(ctx, file->name.start);
            __glsCloseReadStream(file);
        }
    }
    __glsStringBufferFree(&full);
    __glsArgToUtf8Free(&name);
    return answer;
}

GLSenum glsCopyStream(const GLubyte *source, const GLubyte *destination, GLSenum destinationType,
                      GLbitfield writeFlags) {
    if (!__glsRequireContext()) return 0;
    __GLScontext *ctx = __glsGetContext();
    if (!__glsStreamCallAdmit(ctx)) return 0;
    if ((destinationType != 0 && (destinationType < GLS_CONTEXT || destinationType > GLS_TEXT)) ||
        writeFlags > 3) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return 0;
    }
    __GLSutf8Arg from, to;
    GLSenum result = 0;
    // Both conversions run, so that both arguments can be freed below.
    if (__glsStringArg(&from, ctx, source) & __glsStringArg(&to, ctx, destination)) {
        __GLSstreamCall saved;
        __glsStreamCallBegin(ctx, &saved);
        __GLScontextStream *stream = findContextStream(ctx, from.text);
        const GLSenum type = destinationType ? destinationType : (GLSenum)GLS_CONTEXT;
        if (stream && stream->beingWritten) {
            __glsRaiseError(GLS_STATE_ERROR);
        } else if (stream && type == GLS_CONTEXT && !strcmp((const char *)from.text,
                                                            (const char *)to.text)) {
            // Opening the copy would empty the very stream it reads.
            __glsRaiseError(GLS_STATE_ERROR);
        } else if (stream) {
            // The commands reach the copy's capture through callFuncs, which
            // follow the capture-dispatch entries while it is open.
            if (glsBeginCapture(destination, type, writeFlags)) {
                result = GLS_CONTEXT;
                __glsContextStreamExecute(stream);
                glsEndCapture();
            }
        } else {
            result = __glsCopyReadStream(from.text, destination, destinationType, writeFlags);
        }
        __glsStreamCallEnd(ctx, &saved);
    }
    __glsArgToUtf8Free(&from);
    __glsArgToUtf8Free(&to);
    return result;
}

}  // extern "C"
