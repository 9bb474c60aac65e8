// libFuzzer harness of the stream reader: arbitrary bytes played with
// glsCallStream through the read function, as GLS text or binary sections
// of either byte order, one after another.
//
// Input: the first byte picks the context's string type (its value modulo
// 3) and, by its upper bits, how many bytes the read function hands out at
// a time (1 to 63, or as many as asked for); the other bytes are the
// stream. A glsCallStream command of the stream with the empty name plays
// the rest of the stream nested, as far as a budget allows; other names
// open nothing.
#include <stdint.h>

#include <algorithm>

#include "reader_fuzz.h"

namespace {

size_t readAt, piece;
int nestBudget;

size_t GLSAPI source(size_t n, GLubyte *bytes) {
    const size_t k = std::min({n, piece ? piece : n, fuzz::inputSize - readAt});
    memcpy(bytes, fuzz::input + readAt, k);
    readAt += k;
    return k;
}

GLSenum GLSAPI onCallStream(const GLubyte *name) {
    const size_t width = __glsCharWidth(__glsGetContext()->stringType);
    for (size_t i = 0; i < width; ++i) {
        if (name[i]) return 0;
    }
    if (nestBudget <= 0) return 0;
    --nestBudget;
    return glsCallStream(name);
}

void install() {
    glsReadFunc(source);
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glsCallStream, (__GLSfunc)onCallStream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::harness = "stream_fuzzer";
    static __GLScontext *const ctx = fuzz::setUp(install);
    if (size == 0) return 0;
    static const GLSenum types[3] = {GLS_UCS1, GLS_UCS2, GLS_UCS4};
    glsStringType(types[data[0] % 3]);
    piece = data[0] >> 2;
    // A copy that ends where the stream ends, so that a read past it shows.
    GLubyte *copy = (GLubyte *)malloc(size - 1 ? size - 1 : 1);
    if (!copy) return 0;
    memcpy(copy, data + 1, size - 1);
    fuzz::input = copy;
    fuzz::inputSize = size - 1;
    readAt = 0;
    nestBudget = 8;
    static const GLubyte empty[4] = {0, 0, 0, 0};
    glsCallStream(empty);
    fuzz::checkAfter(ctx);
    free(copy);
    return 0;
}
