// Playing and copying a stream that is read through the reader: a file
// under the read prefixes or the write prefix, or, for the empty name, the
// read function or the default read channel. The caller holds the stream
// call's bracket around either.
#include "api/stream_play.h"

#include "api/api.h"

namespace {

// Runs `body` over the stream's reader: 0, with GLS_PARAMETER_ERROR, when
// the stream opens nowhere or has no section to read.
template <typename Body>
GLSenum withReader(const GLubyte *utf8Name, Body body) {
    __GLSreadStream *stream = __glsOpenReadStream(utf8Name);
    __GLSreader reader;
    GLSenum type = 0;
    if (!stream || !__glsReaderInitStream(&reader, stream, __GLS_READ_BUFFER_SIZE)) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
    } else {
        type = body(&reader);
        __glsReaderFree(&reader);
    }
    __glsCloseReadStream(stream);
    return type;
}

}  // namespace

extern "C" {

GLSenum __glsCallReadStream(const GLubyte *utf8Name) {
    return withReader(utf8Name, [](__GLSreader *reader) {
        // Its addresses are another process's.
        __glsGetContext()->readForeign = 1;
        const GLSenum type = reader->type;
        __glsDecodeStream(reader);
        return type;
    });
}

GLSenum __glsCopyReadStream(const GLubyte *utf8Source, const GLvoid *destination,
                            GLSenum destinationType, GLbitfield writeFlags) {
    return withReader(utf8Source, [&](__GLSreader *reader) -> GLSenum {
        const GLSenum type = reader->type;
        if (!glsBeginCapture((const GLubyte *)destination, destinationType ? destinationType : type,
                             writeFlags)) {
            return 0;
        }
        __glsGetContext()->readForeign = 1;
        __glsDecodeStream(reader);
        glsEndCapture();
        return type;
    });
}

}  // extern "C"
