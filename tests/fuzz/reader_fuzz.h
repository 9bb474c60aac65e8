// What the readers' fuzz harnesses share: the codec brought up once with a
// context of its own, the call functions that watch what decoders report,
// and the checks that every stream call leaves the context as it found it.
#pragma once

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "api/api.h"
#include "api/gls_commands.h"
#include "core/context.h"
#include "core/startup.h"
#include "fuzz_gl.h"
#include "read/decode.h"

namespace fuzz {

inline const char *harness = "reader fuzzer";
// The bytes of the stream being read, at every nesting level.
inline const GLubyte *input;
inline size_t inputSize;

[[noreturn]] inline void fail(const char *what) {
    fprintf(stderr, "%s: %s\n", harness, what);
    abort();
}

// What decoders report, and a stream's own glsError commands, which carry
// whatever they were given, are taken and dropped.
inline void GLSAPI onError(GLSopcode, GLSenum) {}

// The read offset of the command being decoded lies within the stream.
template <GLSopcode op>
void GLSAPI onCommand(void) {
    if (glsGetReadOffset() > inputSize) fail("read offset beyond the stream");
}

// The input's first byte picks the context's string type (its value modulo
// 3); the other bytes are copied into a block that ends where they end, so
// that a read past the last one shows. The caller frees the block.
inline GLubyte *takeInput(const uint8_t *data, size_t size) {
    static const GLSenum types[3] = {GLS_UCS1, GLS_UCS2, GLS_UCS4};
    glsStringType(types[data[0] % 3]);
    GLubyte *copy = (GLubyte *)malloc(size - 1 ? size - 1 : 1);
    if (!copy) abort();
    memcpy(copy, data + 1, size - 1);
    input = copy;
    inputSize = size - 1;
    return copy;
}

// A glsCallStream of the stream with the empty name plays `nested` while a
// budget of nestings lasts; other names open nothing.
inline int nestBudget;
inline void (*nested)();
inline GLSenum GLSAPI onCallStream(const GLubyte *name) {
    const size_t width = __glsCharWidth(__glsGetContext()->stringType);
    for (size_t i = 0; i < width; ++i) {
        if (name[i]) return 0;
    }
    if (nestBudget <= 0) return 0;
    --nestBudget;
    nested();
    return 0;
}

// Brings the codec up with the tests' stand-in system library and a current
// context whose call functions watch the decoders; `install` adds more.
inline __GLScontext *setUp(void (*install)()) {
    setenv("GLS_SYSTEM_DIRECTORY", FUZZ_GL_DIRECTORY, 0);
    if (!__glsProcessAttach(nullptr, 1, nullptr)) abort();
    fuzz_gl::install();
    const GLuint name = glsGenContext();
    if (!name) abort();
    glsContext(name);
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glsError, (__GLSfunc)onError);
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glEnd, (__GLSfunc)onCommand<__GLS_OP_glEnd>);
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glsEndGLS, (__GLSfunc)onCommand<__GLS_OP_glsEndGLS>);
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glsCallStream, (__GLSfunc)onCallStream);
    install();
    if (glsGetError()) abort();
    return __glsGetContext();
}

// Every call has returned: nesting, read state and abort are as before it,
// and only GLS errors are pending.
inline void checkAfter(__GLScontext *ctx) {
    if (ctx->callNesting != 0) fail("call nesting left raised");
    if (ctx->abortCall) fail("abort left set");
    if (ctx->readCursor || ctx->readStart || ctx->readForeign) fail("read state left behind");
    if (ctx->outArgs.count != 0) fail("out-argument record left changed");
    const GLSenum error = glsGetError();
    if (error && (error < GLS_DECODE_ERROR || error > GLS_UNSUPPORTED_VERSION)) {
        fail("unexpected error raised");
    }
}

}  // namespace fuzz
