// libFuzzer harness of the stream reader: arbitrary bytes played with
// glsCallStream through the read function, as GLS text or binary sections
// of either byte order, one after another.
//
// Input: the first byte picks the context's string type (its value modulo
// 3) and, by its upper bits, how many bytes the read function hands out at
// a time (1 to 63, or as many as asked for); the other bytes are the
// stream. A glsCallStream command of the stream with the empty name plays
// the rest of the stream nested, as far as a budget allows.
#include <algorithm>

#include "reader_fuzz.h"

namespace {

size_t readAt, piece;
const GLubyte emptyName[4] = {0, 0, 0, 0};

size_t GLSAPI source(size_t n, GLubyte *bytes) {
    const size_t k = std::min({n, piece ? piece : n, fuzz::inputSize - readAt});
    memcpy(bytes, fuzz::input + readAt, k);
    readAt += k;
    return k;
}

void playRest() { glsCallStream(emptyName); }

void install() {
    glsReadFunc(source);
    fuzz::nested = playRest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::harness = "stream_fuzzer";
    static __GLScontext *const ctx = fuzz::setUp(install);
    if (size == 0) return 0;
    GLubyte *copy = fuzz::takeInput(data, size);
    piece = data[0] >> 2;
    readAt = 0;
    fuzz::nestBudget = 8;
    glsCallStream(emptyName);
    fuzz::checkAfter(ctx);
    free(copy);
    return 0;
}
