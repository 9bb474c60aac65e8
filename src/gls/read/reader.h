// Reading GLS streams: a stream opened by name (a file under the read
// prefixes or the write prefix, or the context's read function or default
// read channel for the empty name), measured (size, CRC-32, type), and the
// reader, a window over such a stream or over a block of memory from which
// the binary section decoders and the text tokenizer take their bytes.
#pragma once

#include <stdio.h>

#include "core/context.h"

struct __GLSreadStream {
    FILE *channel;             // null when readFunc is used, or when there is no source
    __GLSstring name;          // UTF-8: the prefix and the name last tried
    GLint ownsChannel;         // the record opened channel and closes it
    __GLSreadFunc readFunc;    // the context's read function, for the empty name only
};

// The caller owns the record, normally on its stack. The bytes from readPtr
// to end are the unread data, in stream order; readPtr is null once a fill
// has failed, and the reader then stays exhausted.
struct __GLSreader {
    GLubyte *buffer;           // a stream reader owns it; a memory reader borrows it
    size_t capacity;
    GLSenum error;             // sticky: the first code raised since it was cleared
    GLuint argCount;           // arguments read in the current text argument group
    GLulong consumed;          // data bytes that lie before start
    GLubyte *start;            // where the last fill put the unread bytes
    GLubyte *readPtr;
    GLubyte *end;
    __GLSreadStream *stream;   // null for a reader over memory, which never fills
    GLSenum type;              // of the section being read; 0 when none was recognised
    GLint version[2];          // major, minor of the section's glsBeginGLS
};

enum {
    __GLS_READ_BUFFER_SIZE = 16384,
    __GLS_PROBE_BUFFER_SIZE = 256,
};

extern "C" {

// ------------------------------------------------------------ streams
// Null when the name opens under no prefix (no error is raised: callers
// report GLS_PARAMETER_ERROR) or memory runs out (GLS_RESOURCE_ERROR).
__GLSreadStream *__glsOpenReadStream(const GLubyte *utf8Name);
// Accepts null; always returns null. A failing close raises GLS_IO_ERROR.
__GLSreadStream *__glsCloseReadStream(__GLSreadStream *stream);
// The size in 64 bits; 0 without a channel, for a channel that is no file
// with a size (a pipe, a device, which may never end), or when the channel
// cannot tell it.
GLulong __glsReadStreamSize(__GLSreadStream *stream);
// CRC-32/BZIP2 of the whole stream; 0 without a channel, for a channel that
// is no file with a size, or on failure. The channel's position is kept.
GLuint __glsReadStreamCRC32(__GLSreadStream *stream);
// The type of the stream's first section, 0 when it has none and
// GLS_UNKNOWN when the channel cannot seek. The position is left where the
// probe stopped.
GLSenum __glsReadStreamType(__GLSreadStream *stream);

// ------------------------------------------------------------- reader
// Null when no section header is recognised or memory runs out; the buffer
// is then already freed.
__GLSreader *__glsReaderInitStream(__GLSreader *reader, __GLSreadStream *stream,
                                   size_t bufferSize);
// No type detection: the caller knows the type.
__GLSreader *__glsReaderInitMemory(__GLSreader *reader, const GLubyte *data, size_t byteCount);
// Accepts null; always returns null.
__GLSreader *__glsReaderFree(__GLSreader *reader);
// 1 when at least `need` unread bytes are buffered. With keepAlignment the
// unread bytes keep their offset modulo 8 from the buffer start; without,
// they move to the buffer start. The buffer grows as the stream delivers
// bytes, never ahead of them, so that a size read from the stream costs no
// more memory than the stream really holds.
GLboolean __glsReaderFill(__GLSreader *reader, size_t need, GLboolean keepAlignment);
void __glsReaderRaiseError(__GLSreader *reader, GLSenum code);
// Null without allocating while the reader's error is set; on failure also
// records GLS_RESOURCE_ERROR in the reader. The caller frees the block.
void *__glsReaderMalloc(__GLSreader *reader, size_t byteCount);
// The context's feedback or selection buffer of at least byteCount bytes;
// null with GLS_RESOURCE_ERROR beyond what a decoder may take.
GLfloat *__glsReaderGetFeedbackBuffer(__GLSreader *reader, GLulong byteCount);
GLuint *__glsReaderGetSelectBuffer(__GLSreader *reader, GLulong byteCount);

// The data offset of the next unread byte.
static inline GLulong __glsReaderOffset(const __GLSreader *reader) {
    return reader->consumed + (GLulong)(reader->readPtr - reader->start);
}

// Runs every section of the stream, each framed by the context's glsBeginGLS
// and glsEndGLS decoders, until a section ends without its glsEndGLS or no
// further section header follows.
void __glsDecodeStream(__GLSreader *reader);

// ---------------------------------------------------- binary sections
// GLS_BINARY_LSB_FIRST or GLS_BINARY_MSB_FIRST when the next 20 bytes are a
// binary glsBeginGLS, storing {major, minor} and stepping past them; else 0.
GLSenum __glsReadBinaryHeader(__GLSreader *reader, GLint outVersion[2]);
// 1 when the section ended at its glsEndGLS record.
GLboolean __glsDecodeBinary(__GLSreader *reader);
GLboolean __glsDecodeBinarySwap(__GLSreader *reader);

// ------------------------------------------------------ text sections
GLSenum __glsReadTextHeader(__GLSreader *reader, GLint outVersion[2]);
GLboolean __glsDecodeText(__GLSreader *reader);

}  // extern "C"
