// What the text writer's files share: the room rule, the argument
// separator, the token copy and in-place number output.
#pragma once

#include <string.h>

#include "base/names.h"
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

// A name to write and its length; text null for none.
struct __GLStextName {
    const char *text;
    size_t length;
};

template <size_t N>
constexpr __GLStextName __glsTextFixedName(const char (&text)[N]) {
    return {text, N - 1};
}

// Names and fixed tokens. The token copy of GLS text puts a caret before
// every caret or double quote; no name of the generated tables and no fixed
// token holds either (the name tests check every table), so they are copied
// whole, by length: in words, the last one overlapping the one before, so
// that nothing past the name is read. The room rule leaves 256 bytes, and
// no name is longer.
inline void __glsTextName(__GLSwriter *w, __GLStextName name) {
    GLubyte *const p = w->writePtr;
    const char *const s = name.text;
    const size_t n = name.length;
    if (n >= 8) {
        for (size_t i = 0; i + 8 < n; i += 8) memcpy(p + i, s + i, 8);
        memcpy(p + n - 8, s + n - 8, 8);
    } else if (n >= 4) {
        memcpy(p, s, 4);
        memcpy(p + n - 4, s + n - 4, 4);
    } else {
        for (size_t i = 0; i < n; ++i) p[i] = (GLubyte)s[i];
    }
    w->writePtr = p + n;
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

// Opens an array: "{", counted among the command's arrays.
inline void __glsTextArrayOpen(__GLSwriter *w) {
    *w->writePtr++ = '{';
    ++w->arraysInCommand;
}

// Element i of n: the room rule, then ",", and a line break before every
// eighth element of arrays longer than 4, else a space. False when the
// flush of the room rule failed, or when the array ends here shortened (the
// command's first array, past the elements it keeps): it is closed then,
// ", ...}" standing for the rest.
inline bool __glsTextArrayStep(__GLSwriter *w, GLlong i, GLlong n) {
    if (!__glsTextRoom(w)) return false;
    if (i == __GLS_TEXT_ARRAY_KEPT && w->shortenArrays && w->arraysInCommand == 1) {
        __glsTextLiteral(w, ", ...}");
        return false;
    }
    if (i > 0) *w->writePtr++ = ',';
    if (n > 4 && i % 8 == 0) {
        __glsTextLiteral(w, "\n    ");
    } else if (i > 0) {
        *w->writePtr++ = ' ';
    }
    return true;
}

inline void __glsTextArrayEnd(__GLSwriter *w, GLlong n) {
    __glsTextLiteral(w, n > 4 ? "\n}" : "}");
}

// The name of a GL enumerant, of a GLS enumerant (only 0 to 527) and the
// boolean names; text null for none.
inline __GLStextName __glsTextGLName(GLuint value) {
    __GLStextName name = {nullptr, 0};
    name.text = __glsGLEnumNameLength(value, &name.length);
    return name;
}

inline __GLStextName __glsTextGLSName(GLint value) {
    __GLStextName name = {nullptr, 0};
    if (value < 528) name.text = __glsEnumNameLength(value, &name.length);
    return name;
}

inline __GLStextName __glsTextBooleanName(GLulong value) {
    return value == 0   ? __glsTextFixedName("GL_FALSE")
           : value == 1 ? __glsTextFixedName("GL_TRUE")
                        : __GLStextName{nullptr, 0};
}

// The slots of arrays, image data, bitmaps, matrices, vertex data,
// enumerants, parameter values and bitfields.
void __glsTextArraysInit(__GLSputTable *t);
void __glsTextEnumsInit(__GLSputTable *t);
