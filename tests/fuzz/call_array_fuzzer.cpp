// libFuzzer harness of glsCallArray: executes arbitrary bytes as an in-memory
// binary GLS stream, in the machine's own byte order or the swapped one.
//
// Input: the first byte picks the stream type (its value modulo 3: the
// native type glsBinary(GL_FALSE), GLS_BINARY_LSB_FIRST or
// GLS_BINARY_MSB_FIRST) and, by its bit 2, whether the array starts 4 bytes
// past an 8-byte boundary instead of on one; the other bytes are the array.
// The array is copied into a buffer that ends where it ends, so that
// AddressSanitizer sees any read past its last byte.
//
// The call functions set here check what they are told against the record
// at the read offset and stop the run at the first disagreement; one of them
// nests further calls of the same array, so that the nesting limit and the
// abort it raises are reached too.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "api/api.h"
#include "core/context.h"
#include "core/startup.h"
#include "fuzz_gl.h"
#include "read/decode.h"

namespace {

// The array being executed, the same at every nesting level.
const GLubyte *arrayBytes;
size_t arraySize;
GLSenum arrayType;
// Nested calls left to this input: enough to reach the nesting limit once,
// few enough that records which nest cannot multiply the work without end.
int nestBudget;

[[noreturn]] void fail(const char *what, size_t offset) {
    fprintf(stderr, "call_array_fuzzer: %s (record at offset %zu, type %u)\n", what, offset,
            arrayType);
    abort();
}

GLuint readField(const GLubyte *p, int n) {
    GLuint v = 0;
    for (int i = 0; i < n; ++i) {
        int shift = arrayType == GLS_BINARY_MSB_FIRST ? 8 * (n - 1 - i) : 8 * i;
        v |= (GLuint)p[i] << shift;
    }
    return v;
}

// The opcode of the record the decoder stands on, read here independently of
// the codec; the record must lie inside the array.
GLuint currentOpcode(size_t *outOffset) {
    const size_t offset = glsGetReadOffset();
    *outOffset = offset;
    if (offset > arraySize || arraySize - offset < 4) fail("read offset outside the array", offset);
    const GLubyte *p = arrayBytes + offset;
    GLuint opcode = readField(p, 2), size = readField(p + 2, 2), header = 4;
    if (!opcode || !size) {
        if (arraySize - offset < 12) fail("long header cut short", offset);
        opcode = readField(p + 4, 4);
        size = readField(p + 8, 4);
        header = 12;
    }
    if (!opcode || size < header || size > arraySize - offset) fail("record not framed", offset);
    const GLint nesting = glsGetContexti(GLS_CALL_NESTING);
    if (nesting < 1 || nesting > __GLS_MAX_CALL_NESTING) fail("call nesting out of range", offset);
    return opcode;
}

template <GLSopcode op>
void GLSAPI onCommand(void) {
    size_t offset;
    if (currentOpcode(&offset) != (GLuint)op) fail("command called for another record", offset);
}

void GLSAPI onSwapBuffers(void) {
    onCommand<__GLS_OP_glsSwapBuffers>();
    if (nestBudget > 0) {
        --nestBudget;
        glsCallArray(arrayType, arraySize, arrayBytes);
    }
}

void GLSAPI onUnsupported(const GLubyte *name) {
    size_t offset;
    const GLuint opcode = currentOpcode(&offset);
    // A glsUnsupportedCommand record of the stream itself names anything.
    if (opcode == (GLuint)__GLS_OP_glsUnsupportedCommand) return;
    char want[16];
    snprintf(want, sizeof want, "0x%X", opcode);
    if (!name || strcmp((const char *)name, want) != 0) fail("unsupported command misnamed", offset);
    if (opcode >= 16 && opcode < GLS_OP_COUNT &&
        (arrayType == GLS_BINARY_MSB_FIRST ? __glsDispatchDecode_bin_swap
                                           : __glsDispatchDecode_bin_default)[opcode]) {
        fail("decodable command reported unsupported", offset);
    }
}

void GLSAPI onError(GLSopcode opcode, GLSenum error) {
    size_t offset;
    const GLuint current = currentOpcode(&offset);
    // A glsError record of the stream itself carries whatever it was given.
    if (current == (GLuint)__GLS_OP_glsError) return;
    if (current != (GLuint)opcode) fail("error reported for another record", offset);
    // A decoder refuses a record too short for its arguments; memory may
    // run out for a large one. Nothing else is reported by a decoder.
    if (error != GLS_DECODE_ERROR && error != GLS_RESOURCE_ERROR) {
        fail("unexpected error reported", offset);
    }
}

__GLScontext *setUp() {
    // The stand-in system library built beside the harness, unless the
    // environment names another.
    setenv("GLS_SYSTEM_DIRECTORY", FUZZ_GL_DIRECTORY, 0);
    if (!__glsProcessAttach(nullptr, 1, nullptr)) abort();
    fuzz_gl::install();
    const GLuint name = glsGenContext();
    if (!name) abort();
    glsContext(name);
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glsEndGLS, (__GLSfunc)onCommand<__GLS_OP_glsEndGLS>);
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glsPad, (__GLSfunc)onCommand<__GLS_OP_glsPad>);
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glEnd, (__GLSfunc)onCommand<__GLS_OP_glEnd>);
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glsSwapBuffers, (__GLSfunc)onSwapBuffers);
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glsUnsupportedCommand, (__GLSfunc)onUnsupported);
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glsError, (__GLSfunc)onError);
    if (glsGetError()) abort();
    return __glsGetContext();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static __GLScontext *const ctx = setUp();
    if (size == 0) return 0;
    static const GLSenum types[3] = {glsBinary(GL_FALSE), GLS_BINARY_LSB_FIRST, GLS_BINARY_MSB_FIRST};
    arrayType = types[data[0] % 3];
    const size_t shift = data[0] & 4;
    arraySize = size - 1;
    // malloc gives 8-byte alignment; the array ends at the buffer's end.
    const size_t bufferSize = shift + arraySize;
    GLubyte *buffer = (GLubyte *)malloc(bufferSize ? bufferSize : 1);
    if (!buffer) return 0;
    memcpy(buffer + shift, data + 1, arraySize);
    arrayBytes = buffer + shift;
    nestBudget = __GLS_MAX_CALL_NESTING + 16;

    glsCallArray(arrayType, arraySize, arrayBytes);

    // Every call has returned: the nesting, the read state and any abort are
    // as they were before it.
    if (ctx->callNesting != 0) fail("call nesting left raised", 0);
    if (ctx->abortCall) fail("abort left set", 0);
    if (ctx->readCursor || ctx->readStart || ctx->readBase) fail("read state left behind", 0);
    if (ctx->decodeFuncs[__GLS_OP_glEnd] == __glsNoOpDecode) fail("decoders left as no-ops", 0);
    // The commands themselves run now (glsError, the header and require
    // commands, glsCallStream of unknown names), so any GLS error may be
    // pending; nothing else may.
    const GLSenum error = glsGetError();
    if (error && (error < GLS_DECODE_ERROR || error > GLS_UNSUPPORTED_VERSION)) {
        fail("unexpected error raised", 0);
    }
    free(buffer);
    return 0;
}
