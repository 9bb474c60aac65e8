// libFuzzer harness of the text reader over memory: arbitrary bytes played
// with glsCallArray as GLS text.
//
// Input: the first byte picks the context's string type (its value modulo
// 3); the other bytes are the text. A glsCallStream command of the text
// with the empty name plays the same text nested, as far as a budget
// allows.
#include "reader_fuzz.h"

namespace {

void playAgain() { glsCallArray(GLS_TEXT, fuzz::inputSize, fuzz::input); }

void install() { fuzz::nested = playAgain; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::harness = "text_array_fuzzer";
    static __GLScontext *const ctx = fuzz::setUp(install);
    if (size == 0) return 0;
    GLubyte *copy = fuzz::takeInput(data, size);
    fuzz::nestBudget = 8;
    glsCallArray(GLS_TEXT, fuzz::inputSize, copy);
    fuzz::checkAfter(ctx);
    free(copy);
    return 0;
}
