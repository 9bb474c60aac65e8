// libFuzzer harness of the text reader over memory: arbitrary bytes played
// with glsCallArray as GLS text.
//
// Input: the first byte picks the context's string type (its value modulo
// 3); the other bytes are the text, copied into a buffer that ends where
// they end, so that a read past the last byte shows. A glsCallStream
// command of the text with the empty name plays the same text nested, as
// far as a budget allows; other names open nothing.
#include <stdint.h>

#include "reader_fuzz.h"

namespace {

int nestBudget;

GLSenum GLSAPI onCallStream(const GLubyte *name) {
    const size_t width = __glsCharWidth(__glsGetContext()->stringType);
    for (size_t i = 0; i < width; ++i) {
        if (name[i]) return 0;
    }
    if (nestBudget <= 0) return 0;
    --nestBudget;
    glsCallArray(GLS_TEXT, fuzz::inputSize, fuzz::input);
    return GLS_TEXT;
}

void install() {
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glsCallStream, (__GLSfunc)onCallStream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::harness = "text_array_fuzzer";
    static __GLScontext *const ctx = fuzz::setUp(install);
    if (size == 0) return 0;
    static const GLSenum types[3] = {GLS_UCS1, GLS_UCS2, GLS_UCS4};
    glsStringType(types[data[0] % 3]);
    GLubyte *copy = (GLubyte *)malloc(size - 1 ? size - 1 : 1);
    if (!copy) return 0;
    memcpy(copy, data + 1, size - 1);
    fuzz::input = copy;
    fuzz::inputSize = size - 1;
    nestBudget = 8;
    glsCallArray(GLS_TEXT, fuzz::inputSize, copy);
    fuzz::checkAfter(ctx);
    free(copy);
    return 0;
}
