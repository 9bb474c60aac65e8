// libFuzzer harness of capture and replay: executes arbitrary bytes with
// glsCallArray while a capture is open, so that every call a decoder makes
// is written again, then replays what was captured into a second capture of
// the same type and requires the two to be equal, byte for byte. Whatever a
// decoder makes of the input, once written it must read back as itself.
//
// Input: the first byte picks, by its bits 0-1, the type of both captures
// (GLS_CONTEXT, GLS_BINARY_LSB_FIRST, GLS_BINARY_MSB_FIRST or GLS_TEXT), by
// its bits 2-3 (modulo 3) the string type of the context (GLS_UCS1, GLS_UCS2
// or GLS_UCS4), by its bit 4 the byte order of the array (the machine's own
// or the other) and by its bit 5 whether the array starts 4 bytes past an
// 8-byte boundary; the other bytes are the array, copied into a buffer that
// ends where it ends.
//
// A stream of a type that cannot be read back here yet (text before the text
// reader, the other byte order before its decoders) is compared with a
// twin instead: the same array captured into a context stream, replayed into
// a capture of that type. A text stream is compared after one reading, which
// leaves only what text holds (see below).
//
// Every command is written only, never executed, so that nothing the array
// says changes what the second pass sees.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "api/api.h"
#include "api/gls_commands.h"
#include "core/context.h"
#include "core/startup.h"
#include "fuzz_gl.h"
#include "read/decode.h"

namespace {

std::string *target;  // where the write function puts a capture's bytes

size_t GLSAPI sink(size_t byteCount, const GLubyte *bytes) {
    target->append((const char *)bytes, byteCount);
    return byteCount;
}

[[noreturn]] void fail(const char *what, GLSenum captureType, GLSenum stringType) {
    fprintf(stderr, "capture_replay_fuzzer: %s (capture type %u, string type %u)\n", what,
            captureType, stringType);
    abort();
}

// A stream name in the context's string type.
struct Name {
    GLubyte ucs1[4];
    GLushort ucs2[4];
    GLint ucs4[4];
    Name(const char *text) {
        for (size_t i = 0; i < 4; ++i) {
            ucs1[i] = (GLubyte)text[i];
            ucs2[i] = (GLubyte)text[i];
            ucs4[i] = (GLubyte)text[i];
            if (!text[i]) break;
        }
    }
    const GLubyte *in(GLSenum stringType) const {
        return stringType == GLS_UCS2   ? (const GLubyte *)ucs2
               : stringType == GLS_UCS4 ? (const GLubyte *)ucs4
                                        : ucs1;
    }
};
const Name nameA("a"), nameB("b"), nameTwin("n"), nameNone("");

bool textReadable, swappedReadable;

void setUp() {
    setenv("GLS_SYSTEM_DIRECTORY", FUZZ_GL_DIRECTORY, 0);
    if (!__glsProcessAttach(nullptr, 1, nullptr)) abort();
    fuzz_gl::install();
    const GLuint name = glsGenContext();
    if (!name) abort();
    glsContext(name);
    glsWriteFunc(sink);
    for (GLSopcode op = 0; op < GLS_OP_COUNT; ++op) {
        if (glsGetCaptureFlags(op)) glsCaptureFlags(op, 2);
    }
    // The readers a build has: the text one raises no error for an empty
    // array, the other byte order has a decoder wherever the native has.
    // (The flags of opcodes without a command have left an error pending.)
    glsGetError();
    glsCallArray(GLS_TEXT, 0, (const GLubyte *)"");
    textReadable = glsGetError() == GLS_NONE;
    swappedReadable = true;
    for (GLSopcode op = 16; op < GLS_OP_COUNT; ++op) {
        if (__glsDispatchDecode_bin_default[op] && !__glsDispatchDecode_bin_swap[op]) {
            swappedReadable = false;
        }
    }
    glsGetError();
}

bool readable(GLSenum type) {
    if (type == GLS_CONTEXT || type == glsBinary(GL_FALSE)) return true;
    return type == GLS_TEXT ? textReadable : swappedReadable;
}

// One capture of type `type` into the context stream `name` or, for the
// other types, into `out`, around `calls`.
template <typename Calls>
void capture(GLSenum type, const Name &name, GLSenum stringType, std::string *out, Calls calls) {
    target = out;
    const Name &streamName = type == GLS_CONTEXT ? name : nameNone;
    if (!glsBeginCapture(streamName.in(stringType), type, 0)) fail("capture refused", type, stringType);
    calls();
    glsEndCapture();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool ready = (setUp(), true);
    (void)ready;
    if (size == 0) return 0;
    static const GLSenum captureTypes[4] = {GLS_CONTEXT, GLS_BINARY_LSB_FIRST, GLS_BINARY_MSB_FIRST,
                                            GLS_TEXT};
    static const GLSenum stringTypes[3] = {GLS_UCS1, GLS_UCS2, GLS_UCS4};
    const GLSenum type = captureTypes[data[0] & 3];
    const GLSenum stringType = stringTypes[((data[0] >> 2) & 3) % 3];
    const GLSenum arrayType = glsBinary((data[0] >> 4) & 1);
    const size_t shift = (data[0] >> 5) & 1 ? 4 : 0;
    const size_t arraySize = size - 1;
    GLubyte *buffer = (GLubyte *)malloc(shift + arraySize + 1);
    if (!buffer) return 0;
    memcpy(buffer + shift, data + 1, arraySize);
    const GLubyte *array = buffer + shift;
    glsStringType(stringType);

    auto callArray = [&] { glsCallArray(arrayType, arraySize, array); };
    std::string a, b;
    capture(type, nameA, stringType, &a, callArray);
    if (type == GLS_TEXT && readable(type)) {
        // Text holds floats to 7 digits and doubles to 16 (the bits only
        // where those digits would not read back as a value): the first text
        // is read into what text holds; from then on it must read back as
        // itself.
        capture(type, nameB, stringType, &b,
                [&] { glsCallArray(type, a.size(), (const GLubyte *)a.data()); });
        a.swap(b);
        b.clear();
    }
    if (readable(type)) {
        capture(type, nameB, stringType, &b, [&] {
            if (type == GLS_CONTEXT) {
                __gls_exec_glsCallStream(nameA.in(stringType));
            } else {
                glsCallArray(type, a.size(), (const GLubyte *)a.data());
            }
        });
    } else {
        std::string unused;
        capture(GLS_CONTEXT, nameTwin, stringType, &unused, callArray);
        capture(type, nameB, stringType, &b, [&] { __gls_exec_glsCallStream(nameTwin.in(stringType)); });
    }

    if (type == GLS_CONTEXT) {
        const GLubyte *first = nameA.in(stringType), *second = nameB.in(stringType);
        if (glsGetStreamSize(first) != glsGetStreamSize(second)) {
            fail("replay differs in size", type, stringType);
        }
        if (glsGetStreami(GLS_CRC32, first) != glsGetStreami(GLS_CRC32, second)) {
            fail("replay differs in checksum", type, stringType);
        }
    } else if (a != b) {
        fprintf(stderr, "captured %zu bytes, replayed %zu\n", a.size(), b.size());
        fail("replay differs", type, stringType);
    }
    for (const Name *n : {&nameA, &nameB, &nameTwin}) {
        if (glsIsContextStream(n->in(stringType))) glsDeleteStream(n->in(stringType));
    }
    // Decoders report what they refuse through the streams themselves; a
    // GLS error may be left pending by an allocation a record asked for.
    const GLSenum error = glsGetError();
    if (error && error != GLS_RESOURCE_ERROR && error != GLS_DECODE_ERROR) {
        fprintf(stderr, "GLS error %u\n", error);
        fail("unexpected error raised", type, stringType);
    }
    glsStringType(GLS_UCS1);
    free(buffer);
    return 0;
}
