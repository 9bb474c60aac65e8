// The named streams of the programming interface: a name is first looked up
// among the context's in-memory context streams, then as a file under the
// read prefixes and last the write prefix.
#include <stdio.h>
#include <string.h>

#include "api/api.h"
#include "api/stream_call.h"
#include "stream/context_stream.h"
#include "write/writer.h"

namespace {

__GLScontextStream *findContextStream(__GLScontext *ctx, const GLubyte *utf8) {
    return (__GLScontextStream *)__glsStrDictLookup(ctx->contextStreamDict, utf8);
}

// The file opens under prefix and name joined byte for byte, as the writers
// open theirs, so that the same file gets the same path.
GLboolean opensForReading(const __GLSprefix *prefix, const GLubyte *name, __GLSstring *path) {
    __GLSstring joined;
    __glsStringBufferInit(&joined);
    GLboolean ok = __glsPrefixedName(prefix, name, &joined) &&
                   __glsStringAssignFromUtf8(path, GLS_UCS1, joined.start);
    __glsStringBufferFree(&joined);
    if (!ok) return 0;
    FILE *file = fopen((const char *)path->start, "rb");
    if (!file) return 0;
    fclose(file);
    return 1;
}

// The full name of the file that the stream name opens for reading: the
// first read prefix under which it opens, else the write prefix. 0 when it
// opens nowhere.
GLboolean findFile(__GLScontext *ctx, const GLubyte *name, __GLSstring *path) {
    __GLSlistIter iter;
    for (__glsListFirst(&ctx->readPrefixes.head, &iter); iter;
         __glsListNext(&ctx->readPrefixes.head, &iter)) {
        if (opensForReading((const __GLSprefix *)iter, name, path)) return 1;
    }
    return ctx->writePrefix && opensForReading(ctx->writePrefix, name, path);
}

void deleteFile(__GLScontext *ctx, const GLubyte *name) {
    __GLSstring path;
    __glsStringBufferInit(&path);
    if (!findFile(ctx, name, &path)) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
    } else {
        // An open file cannot be removed everywhere: a capture of this
        // context that writes it lets go of it first.
        for (GLint level = 0; level < ctx->captureNesting; ++level) {
            __GLSwriter *writer = ctx->writerStack[level];
            if (writer) __glsWriterReleaseFile(writer, path.start);
        }
        if (remove((const char *)path.start) != 0) __glsRaiseError(GLS_IO_ERROR);
    }
    __glsStringBufferFree(&path);
}

// A name that is no context stream: the file branches need the stream
// reader, which is not there; a name that opens nowhere is a bad argument.
void fileQuery(__GLScontext *ctx, const GLubyte *name) {
    __GLSstring path;
    __glsStringBufferInit(&path);
    __glsRaiseError(findFile(ctx, name, &path) ? GLS_UNSUPPORTED_COMMAND : GLS_PARAMETER_ERROR);
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
        } else {
            fileQuery(ctx, name.text);
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
            fileQuery(ctx, name.text);
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
        } else if (findFile(ctx, name.text, &full)) {
            // The file's path is kept as bytes; the answer is text.
            __GLSstring text;
            __glsStringBufferInit(&text);
            if (__glsStringAssignUtf8(&text, GLS_UCS1, full.start)) {
                answer = __glsScratchString(ctx, text.start);
            }
            __glsStringBufferFree(&text);
        } else {
            __glsRaiseError(GLS_PARAMETER_ERROR);
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
            // A file is copied by the stream reader, which this build does
            // not have yet.
            fileQuery(ctx, from.text);
        }
        __glsStreamCallEnd(ctx, &saved);
    }
    __glsArgToUtf8Free(&from);
    __glsArgToUtf8Free(&to);
    return result;
}

}  // extern "C"
