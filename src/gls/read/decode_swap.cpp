#include "read/decode_swap.h"

#include "client/size.h"

// The part of n bytes from the cursor that lies in the record.
static GLulong within(const __GLSswapCursor *s, GLulong n) {
    if (s->at >= s->avail) return 0;
    return n < s->avail - s->at ? n : s->avail - s->at;
}

void __glsSwapString(__GLSswapCursor *s) {
    const GLulong start = s->at;
    const GLuint word = __glsSwapField4(s);
    // The field counts its own size word; a smaller size steps over that.
    const GLulong field = word & ~(GLuint)3;
    s->at = start;
    __glsSwapSkip(s, field > 4 ? field : 4);
}

void __glsSwapTyped(__GLSswapCursor *s, GLenum type, GLulong byteCount) {
    __glsSwapTypedArray(type, (GLlong)within(s, byteCount), s->block + s->at);
    __glsSwapSkip(s, byteCount);
}

void __glsSwapInterleaved(__GLSswapCursor *s, GLenum format, GLulong byteCount) {
    // Whole vertices only: a vertex cut off by the record's end stays as it is.
    const GLint stride = __glsSize_glsDrawVertexArray(format, 1);
    if (stride > 0) {
        const GLulong n = within(s, byteCount);
        __glsSwapInterleavedArray(format, (GLlong)(n - n % (GLulong)stride), s->block + s->at);
    }
    __glsSwapSkip(s, byteCount);
}
