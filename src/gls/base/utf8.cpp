#include <stdint.h>
#include <string.h>

#include "base/util.h"

// Length of a sequence by its first byte; 0 marks a byte that cannot start
// one (a following byte, 0xFE or 0xFF).
static const GLubyte seqLength[256] = {
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 0x00
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 0x10
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 0x20
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 0x30
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 0x40
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 0x50
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 0x60
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 0x70
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x80
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x90
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0xA0
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0xB0
    2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,  // 0xC0
    2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,  // 0xD0
    3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3,  // 0xE0
    4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 6, 6, 0, 0,  // 0xF0
};

static GLint encodedLength(GLuint code) {
    code &= 0x7FFFFFFF;
    if (code < 0x80) return 1;
    if (code < 0x800) return 2;
    if (code < 0x10000) return 3;
    if (code < 0x200000) return 4;
    if (code < 0x4000000) return 5;
    return 6;
}

size_t __glsCharWidth(GLSenum charType) {
    switch (charType) {
    case GLS_UCS1: return 1;
    case GLS_UCS2: return 2;
    case GLS_UCS4: return 4;
    default: return 0;
    }
}

// Output of the wider types need not be aligned: it may follow text of
// another width in a string buffer.
static void storeChar(GLubyte *out, size_t width, GLuint code) {
    if (width == 1) {
        *out = (GLubyte)code;
    } else if (width == 2) {
        GLushort c = (GLushort)code;
        memcpy(out, &c, 2);
    } else {
        memcpy(out, &code, 4);
    }
}

GLint __glsUtf8EncodeChar(GLuint code, GLubyte *out) {
    static const GLubyte leadBits[7] = {0, 0, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC};
    code &= 0x7FFFFFFF;
    GLint len = encodedLength(code);
    if (len == 1) {
        out[0] = (GLubyte)code;
        return 1;
    }
    for (GLint i = len - 1; i > 0; --i) {
        out[i] = (GLubyte)(0x80 | (code & 0x3F));
        code >>= 6;
    }
    out[0] = (GLubyte)(leadBits[len] | code);
    return len;
}

GLint __glsUtf8DecodeChar(const GLubyte *utf8, GLuint *outCode) {
    static const GLuint codeMask[7] = {0,        0x7F,      0x7FF,     0xFFFF,
                                       0x1FFFFF, 0x3FFFFFF, 0x7FFFFFFF};
    GLint len = seqLength[utf8[0]];
    if (!len) return 0;
    GLuint code = utf8[0];
    for (GLint i = 1; i < len; ++i) {
        // Only a continuation byte continues a sequence; the terminator
        // is none, so nothing past it is read.
        if ((utf8[i] & 0xC0) != 0x80) return 0;
        code = (code << 6) | (utf8[i] & 0x3F);
    }
    code &= codeMask[len];
    // An overlong code 0 would end the string where its text goes on.
    if (!code) return 0;
    *outCode = code;
    return len;
}

size_t __glsUtf8Length(GLSenum charType, const void *string) {
    size_t n = 0;
    switch (charType) {
    case GLS_UCS1:
        for (const GLubyte *p = (const GLubyte *)string; *p; ++p) n += *p < 0x80 ? 1 : 2;
        break;
    case GLS_UCS2:
        for (const GLushort *p = (const GLushort *)string; *p; ++p)
            n += *p < 0x80 ? 1 : *p < 0x800 ? 2 : 3;
        break;
    case GLS_UCS4:
        for (const GLint *p = (const GLint *)string; *p; ++p)
            n += (size_t)encodedLength(__glsUtf8Code((GLuint)*p));
        break;
    default:
        break;
    }
    return n;
}

size_t __glsUtf8ByteLength(const GLubyte *string, GLboolean *outAll7Bit) {
    GLubyte high = 0;
    const GLubyte *p = string;
    for (; *p; ++p) high |= *p;
    if (outAll7Bit) *outAll7Bit = high < 0x80;
    return (size_t)(p - string);
}

GLboolean __glsIs7BitString(const GLubyte *string) {
    for (; *string; ++string) {
        if (*string >= 0x80) return 0;
    }
    return 1;
}

size_t __glsPutChar(GLSenum charType, GLuint code, void *out) {
    size_t width = __glsCharWidth(charType);
    if (!width) return 0;
    GLuint largest = width == 1 ? 0xFF : width == 2 ? 0xFFFF : 0xFFFFFFFF;
    GLubyte *o = (GLubyte *)out;
    if (code <= largest) {
        if (o) storeChar(o, width, code);
        return width;
    }
    char text[16];
    size_t n = 0;
    text[n++] = '\\';
    text[n++] = '<';
    GLint shift = 28;
    while (shift > 0 && !(code >> shift)) shift -= 4;
    for (; shift >= 0; shift -= 4) text[n++] = "0123456789ABCDEF"[(code >> shift) & 0xF];
    text[n++] = '>';
    if (o) {
        for (size_t i = 0; i < n; ++i) storeChar(o + i * width, width, (GLubyte)text[i]);
    }
    return n * width;
}

size_t __glsUtf8ToChars(const GLubyte *utf8, GLSenum charType, void *out) {
    size_t width = __glsCharWidth(charType);
    if (!width) return 0;
    GLubyte *o = (GLubyte *)out;
    size_t n = 0;
    for (const GLubyte *p = utf8; *p;) {
        GLuint code;
        if (*p < 0x80) {
            code = *p++;
        } else {
            GLint len = __glsUtf8DecodeChar(p, &code);
            if (!len) {
                storeChar(o, width, 0);
                return 0;
            }
            p += len;
        }
        n += __glsPutChar(charType, code, o + n);
    }
    storeChar(o + n, width, 0);
    return n;
}

size_t __glsUtf8ToCharsSize(size_t byteCount, GLuint flags, GLSenum charType) {
    size_t factor;
    switch (charType) {
    case GLS_UCS1: factor = 3; break;
    case GLS_UCS2: factor = (flags & 1) ? 2 : 5; break;
    case GLS_UCS4: factor = 4; break;
    default: return 0;
    }
    // A length read from a stream must not wrap into a small buffer.
    if (byteCount > SIZE_MAX / factor) return SIZE_MAX;
    return byteCount * factor;
}
