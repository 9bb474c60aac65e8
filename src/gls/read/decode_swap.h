// What the byte-swapped decoders share: a cursor that walks a record's
// argument block field by field and reverses each field in place, never a
// byte beyond the record. A field that would reach past the record is left
// as it is and reads as 0; the native decoder that runs next then refuses
// the record as too short.
#pragma once

#include <string.h>

#include "read/decode.h"

struct __GLSswapCursor {
    GLubyte *block;
    GLulong avail;  // the record's argument bytes
    GLulong at;     // offset of the next field
};

static inline __GLSswapCursor __glsSwapBegin(GLSopcode opcode, GLubyte *block) {
    return __GLSswapCursor{block, __glsDecodeArgBytes(opcode, block), 0};
}

// Steps over n bytes; 1 when they all lie in the record.
static inline bool __glsSwapTake(__GLSswapCursor *s, GLulong n, GLubyte **out) {
    const bool fits = s->at <= s->avail && n <= s->avail - s->at;
    *out = s->block + (fits ? s->at : 0);
    s->at = s->at + n < s->at ? ~(GLulong)0 : s->at + n;
    return fits;
}

static inline void __glsSwapSkip(__GLSswapCursor *s, GLulong n) {
    GLubyte *unused;
    __glsSwapTake(s, n, &unused);
}

// The value of the field after its reversal.
static inline GLushort __glsSwapField2(__GLSswapCursor *s) {
    GLubyte *p;
    if (!__glsSwapTake(s, 2, &p)) return 0;
    __glsSwap2(p);
    GLushort v;
    memcpy(&v, p, 2);
    return v;
}

static inline GLuint __glsSwapField4(__GLSswapCursor *s) {
    GLubyte *p;
    if (!__glsSwapTake(s, 4, &p)) return 0;
    __glsSwap4(p);
    GLuint v;
    memcpy(&v, p, 4);
    return v;
}

static inline void __glsSwapField8(__GLSswapCursor *s) {
    GLubyte *p;
    if (__glsSwapTake(s, 8, &p)) __glsSwap8(p);
}

// n values of 2, 4 or 8 bytes from p, reversed in place.
static inline void __glsSwapRun(GLubyte *p, int width, GLulong n) {
    if (width == 2) {
        __glsSwap2v((GLlong)n, p);
    } else if (width == 4) {
        __glsSwap4v((GLlong)n, p);
    } else {
        __glsSwap8v((GLlong)n, p);
    }
}

// count values of 2, 4 or 8 bytes; as many as the record holds.
static inline void __glsSwapArray(__GLSswapCursor *s, int width, GLulong count) {
    const GLulong bytes =
        count <= ~(GLulong)0 / (GLulong)width ? count * (GLulong)width : ~(GLulong)0;
    const GLulong room = s->at < s->avail ? s->avail - s->at : 0;
    __glsSwapRun(s->block + s->at, width, (bytes < room ? bytes : room) / (GLulong)width);
    __glsSwapSkip(s, bytes);
}
// A counted string: its size word, then a step over the whole field.
void __glsSwapString(__GLSswapCursor *s);
// byteCount bytes of pixel or list data of a GL type.
void __glsSwapTyped(__GLSswapCursor *s, GLenum type, GLulong byteCount);
// byteCount bytes of interleaved vertex data.
void __glsSwapInterleaved(__GLSswapCursor *s, GLenum format, GLulong byteCount);
// The address of the next field, for a size function that takes the data
// it sizes; null when the field begins beyond the record.
static inline const GLubyte *__glsSwapHere(const __GLSswapCursor *s) {
    return s->at <= s->avail ? s->block + s->at : nullptr;
}
