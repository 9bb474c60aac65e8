// The writers' view of the calling thread's current GLS context. A writer
// runs inside a capture, so a context is current; without one (a writer
// made outside any capture) the context's initial values answer.
#include "write/writer_context.h"

#include <string.h>

#include "base/util.h"

GLSenum __glsWriterStringType(void) {
    __GLScontext *ctx = __glsGetContext();
    return ctx ? ctx->stringType : (GLSenum)GLS_UCS1;
}

size_t __glsWriterCharWidth(void) { return __glsCharWidth(__glsWriterStringType()); }

GLuint __glsWriterCharAt(const GLubyte *s, size_t width) {
    if (width == 1) return *s;
    if (width == 2) {
        GLushort c;
        memcpy(&c, s, 2);
        return c;
    }
    GLuint code;
    memcpy(&code, s, 4);
    return code;
}

GLint __glsWriterCallNesting(void) {
    __GLScontext *ctx = __glsGetContext();
    return ctx ? ctx->callNesting : 0;
}

GLboolean __glsWriterHasCallOverride(GLSopcode opcode) {
    __GLScontext *ctx = __glsGetContext();
    return ctx && opcode >= 0 && opcode < GLS_OP_COUNT && ctx->callOverride[opcode];
}

GLulong __glsWriterOutArg(GLint index) {
    __GLScontext *ctx = __glsGetContext();
    return ctx && index >= 0 && index < 4 ? ctx->outArgs.pointers[index] : 0;
}

GLulong __glsWriterLastOutPointer(void) {
    __GLScontext *ctx = __glsGetContext();
    return ctx ? ctx->lastOutPointer : 0;
}

__GLSwriteFunc __glsWriterWriteFunc(void) {
    __GLScontext *ctx = __glsGetContext();
    return ctx ? ctx->writeFunc : nullptr;
}

FILE *__glsWriterDefaultChannel(void) {
    __GLScontext *ctx = __glsGetContext();
    return ctx ? ctx->defaultWriteChannel : stdout;
}

// The joined name is kept UTF-8 encoded, one character per byte; the file is
// opened under the bytes themselves, so it is converted back.
GLboolean __glsWriterPrefixedName(const GLubyte *name, __GLSstring *buffer) {
    __GLScontext *ctx = __glsGetContext();
    if (!ctx || !ctx->writePrefix) {
        size_t n = strlen((const char *)name);
        __glsStringBufferReset(buffer);
        if (!__glsStringBufferGrow(buffer, n + 1)) return GL_FALSE;
        memcpy(buffer->start, name, n + 1);
        buffer->write = buffer->start + n;
        return GL_TRUE;
    }
    __GLSstring joined;
    __glsStringBufferInit(&joined);
    GLboolean ok = __glsPrefixedName(ctx->writePrefix, name, &joined) &&
                   __glsStringAssignFromUtf8(buffer, GLS_UCS1, joined.start);
    __glsStringBufferFree(&joined);
    return ok;
}

void __glsWriterPixelUnpackState(__GLSpixelStore *state) {
    if (__glsGetContext()) {
        __glsPixelUnpackState(state);
    } else {
        __glsPixelStoreInit(state);
    }
}
