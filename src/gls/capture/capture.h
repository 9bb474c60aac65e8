// The capture functions' shared steps and what they call outside the
// capture layer: the size rules of the arrays they write and the
// vertex-array expanders. The functions themselves are generated from the
// command table (gls_capture.cpp), the few steps the table cannot say
// written in capture_special.cpp; all are reached through
// __glsDefaultCaptureTable.
#pragma once

#include <string.h>

#include "base/util.h"
#include "client/size.h"
#include "core/context.h"
#include "core/seam.h"
#include "core/startup.h"
#include "write/writer.h"

// The flags of this call. The entry callback may change them for the very
// call it announces, so they are read again after it.
static inline GLubyte __glsCaptureEnter(__GLScontext *ctx, GLSopcode op) {
    GLubyte flags = ctx->captureFlags[op];
    if ((flags & __GLS_CAPTURE_CALLBACKS) && ctx->captureEntryFunc) {
        ctx->captureEntryFunc(op);
        flags = ctx->captureFlags[op];
    }
    return flags;
}

// The exit callback follows the flags the call ran with, also when the
// writer refused the record.
static inline void __glsCaptureLeave(__GLScontext *ctx, GLSopcode op, GLubyte flags) {
    if ((flags & __GLS_CAPTURE_CALLBACKS) && ctx->captureExitFunc) ctx->captureExitFunc(op);
}

// Floating-point arguments reach the writer as their bits, copied from the
// argument's memory, so that no float register quiets a signalling NaN.
static inline GLuint __glsFloatBits(const GLfloat *value) {
    GLuint bits;
    memcpy(&bits, value, sizeof bits);
    return bits;
}

static inline GLulong __glsDoubleBits(const GLdouble *value) {
    GLulong bits;
    memcpy(&bits, value, sizeof bits);
    return bits;
}

// The bytes a string argument takes: a 4-byte size, then its UTF-8 text with
// its terminator, rounded up to whole words.
static inline GLulong __glsStringBytes(const __GLScontext *ctx, const GLubyte *text) {
    return ((GLulong)__glsUtf8Length(ctx->stringType, text) + 8) & ~(GLulong)3;
}

// One image of a record, bytes as its size rule counted them; none hands
// the pixel put no pointer.
static inline void __glsCapturePutImage(__GLSwriter *w, GLenum format, GLenum type, GLint width,
                                        GLint height, GLint depth, GLulong bytes,
                                        const GLvoid *pixels) {
    __glsWriterPutPixels(w, format, type, width, height, depth, 0, bytes ? pixels : nullptr);
}

extern "C" {

// The vertex-array expanders: with GLS_CAPTURE_VERTEX_ARRAYS set, a draw is
// captured as the vertex data it draws, each command it becomes issued
// through its capture-dispatch entry. 0 when the call cannot be expanded (a
// negative count, an index type other than the three unsigned types, no
// array enabled): the caller then captures the call as the application made
// it, so that it is still executed and recorded, GL error included.
GLboolean __glsCaptureArrayElement(GLint i);
// Asks the GL, before glBegin, for the arrays glArrayElement will draw from
// until glEnd; glBegin itself is never taken over (0).
GLboolean __glsCaptureBegin(GLenum mode);
GLboolean __glsCaptureDrawArrays(GLenum mode, GLint first, GLsizei count);
GLboolean __glsCaptureDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid *indices);

// The per-vertex commands of element i of the enabled arrays, whose strides
// must not be 0. i is wide enough for any 32-bit unsigned index.
void __glsEmitArrayElement(const __GLSvertexArrayState *state, GLlong i);
// The first interleaved layout that holds exactly the enabled arrays with
// their sizes and types, whatever their strides and pointers; null for none.
const __GLSinterleavedFormat *__glsMatchInterleaved(const __GLSvertexArrayState *state);

}  // extern "C"
