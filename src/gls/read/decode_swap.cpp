#include "read/decode_swap.h"

#include "client/size.h"

// The part of n bytes from the cursor that lies in the record.
static GLulong within(const __GLSswapCursor *s, GLulong n) {
    if (s->at >= s->avail) return 0;
    return n < s->avail - s->at ? n : s->avail - s->at;
}

// The swaps take counts of type GLint: larger stretches go in pieces.
static const GLint PIECE = 0x10000000;

void __glsSwapString(__GLSswapCursor *s) {
    const GLulong start = s->at;
    const GLuint word = __glsSwapField4(s);
    // The field counts its own size word; a smaller size steps over that.
    const GLulong field = word & ~(GLuint)3;
    s->at = start;
    __glsSwapSkip(s, field > 4 ? field : 4);
}

void __glsSwapTyped(__GLSswapCursor *s, GLenum type, GLulong byteCount) {
    GLulong n = within(s, byteCount);
    GLubyte *p = s->block + s->at;
    while (n) {
        // A whole number of 4-byte values per piece keeps every element whole.
        const GLint piece = n < (GLulong)PIECE ? (GLint)n : PIECE;
        __glsSwapTypedArray(type, piece, p);
        p += piece;
        n -= (GLulong)piece;
    }
    __glsSwapSkip(s, byteCount);
}

void __glsSwapInterleaved(__GLSswapCursor *s, GLenum format, GLulong byteCount) {
    // Whole vertices only: a piece is a multiple of every vertex size.
    const GLulong n = within(s, byteCount);
    GLubyte *p = s->block + s->at;
    const GLint stride = __glsSize_glsDrawVertexArray(format, 1);
    if (stride > 0) {
        GLulong vertices = n / (GLulong)stride;
        const GLulong perPiece = (GLulong)PIECE / (GLulong)stride;
        while (vertices) {
            const GLulong k = vertices < perPiece ? vertices : perPiece;
            __glsSwapInterleavedArray(format, (GLint)(k * (GLulong)stride), p);
            p += k * (GLulong)stride;
            vertices -= k;
        }
    }
    __glsSwapSkip(s, byteCount);
}
