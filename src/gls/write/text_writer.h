// What the text writer's files share: the room rule, the argument
// separator, the token copy and in-place number output.
#pragma once

#include <string.h>

#include "write/text_numbers.h"
#include "write/writer.h"

// Before each step: a writer at its limit flushes first; false when that
// flush failed, and the put then stops.
inline bool __glsTextRoom(__GLSwriter *w) {
    return w->writePtr < w->limit || __glsWriterFlush(w);
}

inline void __glsTextBytes(__GLSwriter *w, const char *text, size_t n) {
    memcpy(w->writePtr, text, n);
    w->writePtr += n;
}

inline void __glsTextLiteral(__GLSwriter *w, const char *text) {
    __glsTextBytes(w, text, strlen(text));
}

// Names and fixed tokens, a caret before every caret or double quote.
inline void __glsTextToken(__GLSwriter *w, const char *token) {
    for (; *token; ++token) {
        if (*token == '^' || *token == '"') *w->writePtr++ = '^';
        *w->writePtr++ = (GLubyte)*token;
    }
}

// The room rule and ", " before every argument but the first of a group.
inline bool __glsTextSeparator(__GLSwriter *w) {
    if (!__glsTextRoom(w)) return false;
    if (w->argCount++) __glsTextBytes(w, ", ", 2);
    return true;
}

inline void __glsTextDecimal(__GLSwriter *w, GLlong v) {
    w->writePtr += __glsFormatDecimal(v, (char *)w->writePtr);
}
inline void __glsTextUnsigned(__GLSwriter *w, GLulong v) {
    w->writePtr += __glsFormatUnsigned(v, (char *)w->writePtr);
}
inline void __glsTextHex(__GLSwriter *w, GLulong v) {
    w->writePtr += __glsFormatHex(v, (char *)w->writePtr);
}
inline void __glsTextFloat(__GLSwriter *w, GLuint bits, GLint width = 0) {
    w->writePtr += __glsFormatFloat(bits, width, (char *)w->writePtr);
}
inline void __glsTextDouble(__GLSwriter *w, GLulong bits, GLint width = 0) {
    w->writePtr += __glsFormatDouble(bits, width, (char *)w->writePtr);
}

// Element i of n: the room rule, then ",", and a line break before every
// eighth element of arrays longer than 4, else a space. False when the
// flush of the room rule failed.
inline bool __glsTextArrayStep(__GLSwriter *w, GLlong i, GLlong n) {
    if (!__glsTextRoom(w)) return false;
    if (i > 0) *w->writePtr++ = ',';
    if (n > 4 && i % 8 == 0) {
        __glsTextToken(w, "\n    ");
    } else if (i > 0) {
        *w->writePtr++ = ' ';
    }
    return true;
}

inline void __glsTextArrayEnd(__GLSwriter *w, GLlong n) {
    __glsTextLiteral(w, n > 4 ? "\n}" : "}");
}

// The name of a GL enumerant, of a GLS enumerant (only 0 to 527) and the
// boolean names; null for none.
const char *__glsTextGLName(GLuint value);
const char *__glsTextGLSName(GLint value);
const char *__glsTextBooleanName(GLulong value);

// The slots of arrays, image data, bitmaps, matrices, vertex data,
// enumerants, parameter values and bitfields.
void __glsTextArraysInit(__GLSputTable *t);
void __glsTextEnumsInit(__GLSputTable *t);
