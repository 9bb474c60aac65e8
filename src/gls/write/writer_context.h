// What the stream writers read of the calling thread's current GLS context.
// The writers reach the context only through these functions, so that the
// context record can change without touching the writers.
#pragma once

#include <stdio.h>

#include "base/gls.h"

struct __GLSwriter;
struct __GLScontextStream;

#include "core/client_state.h"
#include "core/context.h"

extern "C" {

// The context's string type: GLS_UCS1, GLS_UCS2 or GLS_UCS4.
GLSenum __glsWriterStringType(void);

// The bytes of one character of the context's string type, 0 for a type
// that has none.
size_t __glsWriterCharWidth(void);

// The character at s of a caller's string whose characters are width bytes.
GLuint __glsWriterCharAt(const GLubyte *s, size_t width);

// Non-zero while the context executes a decoded stream (its call nesting).
GLint __glsWriterCallNesting(void);

// 1 when a call function overrides the opcode in the context.
GLboolean __glsWriterHasCallOverride(GLSopcode opcode);

// The stream pointer value kept for output index (0-3) in the context's
// out-argument record; 0 for an index outside it.
GLulong __glsWriterOutArg(GLint index);

// The context's last decoded array pointer value.
GLulong __glsWriterLastOutPointer(void);

// The context's write function, null when none is set.
__GLSwriteFunc __glsWriterWriteFunc(void);

// The context's default write channel.
FILE *__glsWriterDefaultChannel(void);

// Sets buffer (UTF-8) to the context's write prefix followed by name, byte
// for byte; 0 when memory runs out.
struct __GLSstring;
GLboolean __glsWriterPrefixedName(const GLubyte *name, __GLSstring *buffer);

// The unpack pixel-store modes, as the real GL or the client-state mirror
// answer them (imageHeight and skipImages 0 without GL_EXT_texture3D).
void __glsWriterPixelUnpackState(__GLSpixelStore *state);

// In-memory GLS_CONTEXT streams: a writer into the context's stream of that
// name (null on failure), and the end of such a writer (writes the
// stream's end link where the writer stopped and clears its being-written
// mark).
__GLSwriter *__glsWriterCreateContext(const GLubyte *name, GLuint writeFlags);
void __glsWriterEndContext(__GLSwriter *writer);
// Size and CRC of a context stream of the current context (either output
// may be null); a stream that a capture is writing is measured as if it
// ended where the writer stands. 0 when it cannot be measured.
GLboolean __glsWriterMeasureContext(__GLScontextStream *stream, size_t *outSize,
                                    GLuint *outCRC);

}  // extern "C"
