// The GLS text tokenizer and the typed readers of command arguments.
#include "read/text_reader.h"

#include <stdlib.h>
#include <string.h>

#include "base/dict.h"
#include "core/dictset.h"

namespace {

// ------------------------------------------------------------ classes

enum { PRINTABLE = 1, BLANK = 2, TOKEN = 4 };

constexpr GLubyte classOf(int c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                   c == '_' || c == '+' || c == '-' || c == '.'
               ? PRINTABLE | TOKEN
           : (c >= 9 && c <= 13) || c == ' ' ? PRINTABLE | BLANK
           : c > 32 && c < 127               ? PRINTABLE
                                             : 0;
}

#define C4(i) classOf(i), classOf((i) + 1), classOf((i) + 2), classOf((i) + 3)
#define C16(i) C4(i), C4((i) + 4), C4((i) + 8), C4((i) + 12)
#define C64(i) C16(i), C16((i) + 16), C16((i) + 32), C16((i) + 48)

// ---------------------------------------------------------- characters
// The end of the data reads as -1 and consumes nothing; a byte is pushed
// back only after it was really read.

inline int nextChar(__GLSreader *r) {
    if (r->readPtr < r->end) return *r->readPtr++;
    if (__glsReaderFill(r, 1, 0)) return *r->readPtr++;
    return -1;
}

inline void pushBack(__GLSreader *r, int c) {
    if (c >= 0 && r->readPtr && r->readPtr > r->buffer) --r->readPtr;
}

// The first character after blanks and '#' comments, consumed.
int nextNonBlank(__GLSreader *r) {
    for (;;) {
        int c = nextChar(r);
        if (c < 0) return c;
        if (__glsCharClass[c] & BLANK) continue;
        if (c != '#') return c;
        do {
            c = nextChar(r);
        } while (c > 0 && c != '\n' && c != '\r');
        // A zero byte ends the comment and the blanks alike.
        if (c <= 0) return c;
    }
}

void raise(__GLSreader *r, GLSenum code) { __glsReaderRaiseError(r, code); }

// ------------------------------------------------------------- strings
// One machine reads the characters of a quoted string for both the string
// reader and the skip after a bad command, so the skip ends a string
// exactly where the reader does.

enum StringEvent { NOTHING, APPEND, BAD, CLOSE, END };

struct StringScan {
    enum { PLAIN, ESCAPE, HEX } state = PLAIN;
    GLuint code = 0;
    int digits = 0;

    StringEvent feed(int c) {
        if (c <= 0) return END;
        switch (state) {
        case PLAIN:
            if (c == '"') return CLOSE;
            if (c == '\\') {
                state = ESCAPE;
                return NOTHING;
            }
            code = (GLuint)c;
            return __glsCharClass[c] & PRINTABLE ? APPEND : BAD;
        case ESCAPE:
            state = PLAIN;
            if (c == '"' || c == '\\') {
                code = (GLuint)c;
                return APPEND;
            }
            if (c == '<') {
                state = HEX;
                code = 0;
                digits = 0;
                return NOTHING;
            }
            return BAD;
        case HEX: {
            const int d = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
            if (d >= 0 && digits < 8) {
                code = code << 4 | (GLuint)d;
                ++digits;
                return NOTHING;
            }
            // A ninth digit, '>' after no digit, a code too large or any
            // other character ends the escape, the character consumed.
            state = PLAIN;
            return c == '>' && digits && code < 0x80000000u ? APPEND : BAD;
        }
        }
        return BAD;
    }
};

// --------------------------------------------------------------- parsers

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexDigit(char c) {
    return c >= '0' && c <= '9' ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// Digits only, up to max.
bool parseUnsigned(const char *s, size_t n, GLulong max, GLulong *out) {
    if (!n) return false;
    GLulong v = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!isDigit(s[i])) return false;
        const GLulong d = (GLulong)(s[i] - '0');
        if (v > (max - d) / 10) return false;
        v = v * 10 + d;
    }
    *out = v;
    return true;
}

// An optional '-' and digits, from -(max + 1) to max.
bool parseSigned(const __GLStoken *t, GLulong max, GLlong *out) {
    const bool minus = t->length && t->text[0] == '-';
    GLulong magnitude;
    if (!parseUnsigned(t->text + minus, t->length - minus, max + minus, &magnitude)) return false;
    *out = minus ? (GLlong)(0 - magnitude) : (GLlong)magnitude;
    return true;
}

// "0x" and hexadecimal digits: at most `significant` digits after any
// leading zeros, and no more than max.
bool parseHex(const __GLStoken *t, int significant, GLulong max, GLulong *out) {
    if (t->length < 3 || t->text[0] != '0' || (t->text[1] != 'x' && t->text[1] != 'X')) {
        return false;
    }
    GLulong v = 0;
    for (size_t i = 2; i < t->length; ++i) {
        const int d = hexDigit(t->text[i]);
        if (d < 0) return false;
        if (v >> (4 * significant - 4)) return false;
        v = v << 4 | (GLulong)d;
    }
    if (v > max) return false;
    *out = v;
    return true;
}

bool parseChar(const __GLStoken *t, GLulong *out) {
    if (t->length != 3 || t->text[0] != '\'' || t->text[2] != '\'') return false;
    *out = (GLubyte)t->text[1];
    return true;
}

bool inDict(__GLSdict *dict, const __GLStoken *t, GLuint *out) {
    void *value;
    if (!dict || !__glsStrDictFind(dict, (const GLubyte *)t->text, &value)) return false;
    *out = (GLuint)(uintptr_t)value;
    return true;
}

// A GL enumerant name, else a GLS one.
bool enumName(const __GLStoken *t, GLuint *out) {
    __GLSdictSet *set = __glsGetDictSet();
    return set && (inDict(set->glEnumDict, t, out) || inDict(set->glsEnumDict, t, out));
}

// The integer forms of one width: decimal, hexadecimal, character literal,
// and for the 32-bit forms enumerant names.
bool parseInteger(const __GLStoken *t, bool isSigned, GLulong max, bool names, GLulong *out) {
    GLlong s;
    GLuint named;
    if (isSigned ? parseSigned(t, max, &s) : parseUnsigned(t->text, t->length, max, (GLulong *)&s)) {
        *out = (GLulong)s;
        return true;
    }
    const GLulong hexMax = isSigned ? max * 2 + 1 : max;
    if (parseHex(t, 8, hexMax, out) || parseChar(t, out)) return true;
    if (names && enumName(t, &named)) {
        *out = named;
        return true;
    }
    return false;
}

// An integer of T's width and signedness; a hexadecimal form above the
// signed maximum wraps to a negative value.
template <typename T>
GLboolean integer(const __GLStoken *t, bool isSigned, bool names, T *out) {
    const GLulong max = isSigned ? ((GLulong)1 << (8 * sizeof(T) - 1)) - 1
                                 : ~(GLulong)0 >> (64 - 8 * sizeof(T));
    GLulong v;
    if (!parseInteger(t, isSigned, max, names, &v)) return 0;
    *out = (T)v;
    return 1;
}

bool isName(const __GLStoken *t, const char *name) { return !strcmp(t->text, name); }

// ------------------------------------------------------- argument start

// Nothing once an error is set; a ',' before every argument but the first
// of the group.
bool argument(__GLSreader *r) {
    if (r->error) return false;
    if (r->argCount++ && !__glsReaderExpect(r, ',', 1)) return false;
    return true;
}

bool token(__GLSreader *r, __GLStoken *t) { return __glsReaderGetToken(r, t); }

template <typename T>
GLboolean scalar(__GLSreader *r, T *out, GLboolean (*parse)(const __GLStoken *, T *)) {
    __GLStoken t;
    if (!argument(r) || !token(r, &t)) return 0;
    if (!parse(&t, out)) {
        raise(r, GLS_DECODE_ERROR);
        return 0;
    }
    return 1;
}

// A name of the dictionary or an integer; GLS_DECODE_ERROR for anything else.
bool nameOrInteger(__GLSreader *r, __GLSdict *dict, const __GLStoken *t, GLuint *out) {
    if (inDict(dict, t, out)) return true;
    GLint v;
    if (__glsParseGLint(t, &v)) {
        *out = (GLuint)v;
        return true;
    }
    raise(r, GLS_DECODE_ERROR);
    return false;
}

// --------------------------------------------------------------- arrays

const size_t elementBytes[] = {1, 1, 1, 2, 2, 4, 4, 4, 8, 8, 0};

bool parseElement(__GLStextElement type, const __GLStoken *t, void *out) {
    switch (type) {
    case __GLS_TEXT_GLboolean: return __glsParseGLboolean(t, (GLboolean *)out);
    case __GLS_TEXT_GLbyte: return __glsParseGLbyte(t, (GLbyte *)out);
    case __GLS_TEXT_GLubyte: return __glsParseGLubyte(t, (GLubyte *)out);
    case __GLS_TEXT_GLshort: return __glsParseGLshort(t, (GLshort *)out);
    case __GLS_TEXT_GLushort: return __glsParseGLushort(t, (GLushort *)out);
    case __GLS_TEXT_GLint: return __glsParseGLint(t, (GLint *)out);
    case __GLS_TEXT_GLuint: return __glsParseGLuint(t, (GLuint *)out);
    case __GLS_TEXT_GLfloat: return __glsParseGLfloat(t, (GLfloat *)out);
    case __GLS_TEXT_GLdouble: return __glsParseGLdouble(t, (GLdouble *)out);
    case __GLS_TEXT_GLlong: return __glsParseGLlong(t, (GLlong *)out);
    default: return false;
    }
}

// Where the elements of an array go: the caller's buffer when it holds
// them all, else a heap block that doubles as elements arrive.
struct ArrayOut {
    __GLSreader *r;
    GLubyte *data;
    size_t capacity, used;
    GLulong total;  // what all the elements take, which may exceed memory
    void **heap;

    bool reserve(size_t bytes) {
        if (used + bytes <= capacity) return true;
        GLulong grown = capacity < 4096 ? 4096 : (GLulong)capacity * 2;
        if (grown > total) grown = total;
        if (grown > (GLulong)SIZE_MAX) {
            __glsReaderRaiseError(r, GLS_RESOURCE_ERROR);
            return false;
        }
        GLubyte *block = (GLubyte *)__glsReaderMalloc(r, (size_t)grown);
        if (!block) return false;
        if (used) memcpy(block, data, used);
        free(*heap);
        *heap = block;
        data = block;
        capacity = (size_t)grown;
        return true;
    }
};

// The opening brace, `count` elements whose type `typeAt` gives by index,
// an optional ',' and the closing brace.
template <typename TypeAt>
bool readList(__GLSreader *r, GLulong count, ArrayOut &out, TypeAt typeAt) {
    if (!argument(r) || !__glsReaderExpect(r, '{', 1)) return false;
    __GLStoken t;
    for (GLulong i = 0; i < count; ++i) {
        if (i && !__glsReaderExpect(r, ',', 1)) return false;
        if (!token(r, &t)) return false;
        const __GLStextElement type = typeAt(i);
        const size_t size = elementBytes[type];
        if (!out.reserve(size)) return false;
        if (!parseElement(type, &t, out.data + out.used)) {
            raise(r, GLS_DECODE_ERROR);
            return false;
        }
        out.used += size;
    }
    __glsReaderExpect(r, ',', 0);
    return __glsReaderExpect(r, '}', 1);
}

void *list(__GLSreader *r, GLulong count, GLulong total, void *stack, size_t stackBytes,
           void **heap, __GLStextElement (*typeAt)(GLulong, const void *), const void *arg) {
    void *unused = nullptr;
    ArrayOut out{r, (GLubyte *)stack, stack ? stackBytes : 0, 0, total, heap ? heap : &unused};
    if (stack && stackBytes >= total) out.capacity = (size_t)total;
    const bool ok = readList(r, count, out, [&](GLulong i) { return typeAt(i, arg); });
    free(unused);
    if (!ok) return nullptr;
    // An empty list still gives an address the caller may hand on.
    return out.data ? (void *)out.data : stack ? stack : (void *)elementBytes;
}

__GLStextElement sameType(GLulong, const void *arg) { return *(const __GLStextElement *)arg; }

GLboolean fixedArray(__GLSreader *r, __GLStextElement type, GLint count, void *out) {
    const GLulong n = count > 0 ? (GLulong)count : 0;
    return list(r, n, n * elementBytes[type], out, n * elementBytes[type], nullptr, sameType,
                &type) != nullptr;
}

// The forms after the decimal one, shared by both widths: a bit pattern
// when the token begins with 0, the names of NaN and the infinities, and
// enumerant names by their value.
template <typename T, typename Bits>
GLboolean realForms(const __GLStoken *t, T *out, Bits nanBits) {
    Bits bits;
    GLuint named;
    if (t->text[0] == '0') {
        bool ok;
        if (sizeof(T) == 4) {
            GLuint b;
            ok = __glsParseGLuint(t, &b);
            bits = (Bits)b;
        } else {
            GLlong b;
            ok = __glsParseGLlong(t, &b);
            bits = (Bits)b;
        }
        if (!ok) return 0;
        memcpy(out, &bits, sizeof(T));
        return 1;
    }
    if (isName(t, "GLS_NAN")) {
        memcpy(out, &nanBits, sizeof(T));
    } else if (isName(t, "GLS_INF")) {
        *out = (T)__builtin_inf();
    } else if (isName(t, "-GLS_INF")) {
        *out = -(T)__builtin_inf();
    } else if (enumName(t, &named)) {
        *out = (T)(GLint)named;
    } else {
        return 0;
    }
    return 1;
}

}  // namespace

extern "C" {

const GLubyte __glsCharClass[256] = {C64(0), C64(64), C64(128), C64(192)};

// ------------------------------------------------------------ framing

GLboolean __glsReaderGetToken(__GLSreader *r, __GLStoken *t) {
    t->length = 0;
    t->text[0] = 0;
    int c = nextNonBlank(r);
    if (c == '\'') {
        const int ch = nextChar(r);
        if (ch < 0 || !(__glsCharClass[ch] & PRINTABLE)) {
            raise(r, GLS_DECODE_ERROR);
            return 0;
        }
        if (nextChar(r) != '\'') {
            raise(r, GLS_DECODE_ERROR);
            return 0;
        }
        t->text[0] = '\'';
        t->text[1] = (char)ch;
        t->text[2] = '\'';
        t->text[3] = 0;
        t->length = 3;
        return 1;
    }
    if (c < 0 || !(__glsCharClass[c] & TOKEN)) {
        pushBack(r, c);
        raise(r, GLS_DECODE_ERROR);
        return 0;
    }
    do {
        if (t->length == __GLS_TOKEN_MAX - 1) {
            raise(r, GLS_DECODE_ERROR);
            return 0;
        }
        t->text[t->length++] = (char)c;
        c = nextChar(r);
    } while (c >= 0 && (__glsCharClass[c] & TOKEN));
    t->text[t->length] = 0;
    pushBack(r, c);
    return 1;
}

GLboolean __glsReaderExpect(__GLSreader *r, char expected, GLboolean required) {
    const int c = nextNonBlank(r);
    if (c == (GLubyte)expected) return 1;
    pushBack(r, c);
    if (required) raise(r, GLS_DECODE_ERROR);
    return 0;
}

GLboolean __glsReaderSkipCommand(__GLSreader *r) {
    StringScan scan;
    bool quoted = false;
    for (;;) {
        int c = nextChar(r);
        if (c < 0) return 0;
        if (quoted) {
            const StringEvent e = scan.feed(c);
            if (e == CLOSE) quoted = false;
            continue;
        }
        switch (c) {
        case ';': return 1;
        case '"':
            quoted = true;
            scan = StringScan();
            break;
        case '#':
            // A comment to the end of its line, as between arguments.
            do {
                c = nextChar(r);
            } while (c > 0 && c != '\n' && c != '\r');
            if (c < 0) return 0;
            break;
        case '\'':
            // A character literal, which may hold a quote or a ';'.
            if ((c = nextChar(r)) < 0) return 0;
            if (c == ';' || c == '"' || c == '#') {
                if ((c = nextChar(r)) < 0) return 0;
                if (c != '\'') pushBack(r, c);
            } else {
                pushBack(r, c);
            }
            break;
        default: break;
        }
    }
}

GLboolean __glsReaderBeginCommand(__GLSreader *r, __GLStoken *name) {
    r->error = 0;
    r->argCount = 0;
    return __glsReaderGetToken(r, name) && __glsReaderExpect(r, '(', 1);
}

GLboolean __glsReaderEndCommand(__GLSreader *r) {
    if (r->error) return 0;
    return __glsReaderExpect(r, ')', 1) && __glsReaderExpect(r, ';', 1);
}

GLboolean __glsReaderNextArgGroup(__GLSreader *r) {
    r->argCount = 0;
    if (r->error) return 0;
    return __glsReaderExpect(r, ')', 1) && __glsReaderExpect(r, '(', 1);
}

// ------------------------------------------------------------ parsers

GLboolean __glsParseGLint(const __GLStoken *t, GLint *out) { return integer(t, true, true, out); }
GLboolean __glsParseGLuint(const __GLStoken *t, GLuint *out) { return integer(t, false, true, out); }
GLboolean __glsParseGLbyte(const __GLStoken *t, GLbyte *out) { return integer(t, true, false, out); }
GLboolean __glsParseGLubyte(const __GLStoken *t, GLubyte *out) {
    return integer(t, false, false, out);
}
GLboolean __glsParseGLshort(const __GLStoken *t, GLshort *out) {
    return integer(t, true, false, out);
}
GLboolean __glsParseGLushort(const __GLStoken *t, GLushort *out) {
    return integer(t, false, false, out);
}

GLboolean __glsParseGLboolean(const __GLStoken *t, GLboolean *out) {
    GLulong v;
    if (isName(t, "GL_FALSE")) {
        *out = 0;
    } else if (isName(t, "GL_TRUE")) {
        *out = 1;
    } else if (parseUnsigned(t->text, t->length, 0xFF, &v) || parseHex(t, 8, 0xFF, &v)) {
        *out = (GLboolean)v;
    } else {
        return 0;
    }
    return 1;
}

GLboolean __glsParseGLlong(const __GLStoken *t, GLlong *out) {
    GLulong v;
    GLlong s;
    GLuint named;
    if (parseSigned(t, 0x7FFFFFFFFFFFFFFFull, &s)) {
        *out = s;
    } else if (parseHex(t, 16, ~0ull, &v) || parseChar(t, &v)) {
        *out = (GLlong)v;
    } else if (enumName(t, &named)) {
        *out = named;
    } else {
        return 0;
    }
    return 1;
}

GLboolean __glsParseGLfloat(const __GLStoken *t, GLfloat *out) {
    GLdouble d;
    if (__glsStrToDouble(t->text, t->length, &d)) {
        const GLdouble m = d < 0 ? -d : d;
        if (m != 0 && (m < 1.1754943508222875e-38 || m > 3.4028234663852886e+38)) return 0;
        *out = (GLfloat)d;
        return 1;
    }
    return realForms<GLfloat, GLuint>(t, out, 0xFFFFFFFFu);
}

GLboolean __glsParseGLdouble(const __GLStoken *t, GLdouble *out) {
    if (__glsStrToDouble(t->text, t->length, out)) return 1;
    return realForms<GLdouble, GLulong>(t, out, ~0ull);
}

// --------------------------------------------------- argument readers

GLboolean __glsReaderGetGLint(__GLSreader *r, GLint *out) { return scalar(r, out, __glsParseGLint); }

GLboolean __glsReaderGetGLuint(__GLSreader *r, GLuint *out) {
    return scalar(r, out, __glsParseGLuint);
}

GLboolean __glsReaderGetGLushort(__GLSreader *r, GLushort *out) {
    return scalar(r, out, __glsParseGLushort);
}

GLboolean __glsReaderGetGLboolean(__GLSreader *r, GLboolean *out) {
    return scalar(r, out, __glsParseGLboolean);
}

GLboolean __glsReaderGetGLfloat(__GLSreader *r, GLfloat *out) {
    return scalar(r, out, __glsParseGLfloat);
}

GLboolean __glsReaderGetGLdouble(__GLSreader *r, GLdouble *out) {
    return scalar(r, out, __glsParseGLdouble);
}

GLboolean __glsReaderGetGLlong(__GLSreader *r, GLlong *out) {
    return scalar(r, out, __glsParseGLlong);
}

GLboolean __glsReaderGetEnum(__GLSreader *r, __GLSdict *dict, GLuint *out) {
    __GLStoken t;
    return argument(r) && token(r, &t) && nameOrInteger(r, dict, &t, out);
}

GLboolean __glsReaderGetGLenum(__GLSreader *r, GLenum *out) {
    __GLSdictSet *set = __glsGetDictSet();
    return __glsReaderGetEnum(r, set ? set->glEnumDict : nullptr, out);
}

GLboolean __glsReaderGetGLSenum(__GLSreader *r, GLSenum *out) {
    __GLSdictSet *set = __glsGetDictSet();
    return __glsReaderGetEnum(r, set ? set->glsEnumDict : nullptr, out);
}

GLboolean __glsReaderGetBitfield(__GLSreader *r, __GLSdict *dict, GLuint *out) {
    if (!argument(r)) return 0;
    GLuint value = 0;
    do {
        __GLStoken t;
        if (!token(r, &t)) return 0;
        GLuint bits;
        if (!nameOrInteger(r, dict, &t, &bits)) return 0;
        value |= bits;
    } while (__glsReaderExpect(r, '|', 0));
    *out = value;
    return 1;
}

GLboolean __glsReaderGetAttribMask(__GLSreader *r, GLbitfield *out) {
    __GLSdictSet *set = __glsGetDictSet();
    return __glsReaderGetBitfield(r, set ? set->glAttribMaskDict : nullptr, out);
}

GLboolean __glsReaderGetClientAttribMask(__GLSreader *r, GLbitfield *out) {
    __GLSdictSet *set = __glsGetDictSet();
    return __glsReaderGetBitfield(r, set ? set->glClientAttribMaskDict : nullptr, out);
}

GLboolean __glsReaderGetImageFlags(__GLSreader *r, GLbitfield *out) {
    __GLSdictSet *set = __glsGetDictSet();
    return __glsReaderGetBitfield(r, set ? set->glsImageFlagsDict : nullptr, out);
}

GLboolean __glsReaderGetOpcode(__GLSreader *r, GLSopcode *out) {
    __GLStoken t;
    if (!argument(r) || !token(r, &t)) return 0;
    __GLSdictSet *set = __glsGetDictSet();
    if (set && t.length > 7 && !strncmp(t.text, "GLS_OP_", 7)) {
        void *value;
        if (__glsStrDictFind(set->glsOpDict, (const GLubyte *)t.text + 7, &value)) {
            *out = (GLSopcode)(uintptr_t)value;
            return 1;
        }
    }
    if (__glsParseGLint(&t, out)) return 1;
    raise(r, GLS_DECODE_ERROR);
    return 0;
}

GLboolean __glsReaderGetString(__GLSreader *r, __GLSstring *out) {
    if (!argument(r) || !__glsReaderExpect(r, '"', 1)) return 0;
    const GLSenum charType = __glsGetContext()->stringType;
    out->write = out->start;
    memset(out->start, 0, 4);
    bool bad = false;
    StringScan scan;
    for (;;) {
        const int c = nextChar(r);
        switch (scan.feed(c)) {
        case NOTHING: break;
        case APPEND:
            if (!__glsStringAppendChar(out, charType, scan.code)) {
                raise(r, GLS_RESOURCE_ERROR);
                return 0;
            }
            break;
        case BAD:
            raise(r, GLS_DECODE_ERROR);
            bad = true;
            break;
        case END:
            raise(r, GLS_DECODE_ERROR);
            return 0;
        case CLOSE:
            // Adjacent pieces make one string.
            if (!__glsReaderExpect(r, '"', 0)) return !bad;
            scan = StringScan();
            break;
        }
    }
}

GLboolean __glsReaderGetAddress(__GLSreader *r, GLvoid **out) {
    GLlong value;
    if (!__glsReaderGetGLlong(r, &value)) return 0;
    __glsGetContext()->lastOutPointer = (GLulong)value;
    *out = __glsU64ToAddress((GLulong)value);
    return 1;
}

#define FIXED_ARRAY(T)                                                             \
    GLboolean __glsReaderGet##T##v(__GLSreader *r, GLint count, T *out) {          \
        return fixedArray(r, __GLS_TEXT_##T, count, out);                          \
    }
FIXED_ARRAY(GLboolean)
FIXED_ARRAY(GLbyte)
FIXED_ARRAY(GLubyte)
FIXED_ARRAY(GLshort)
FIXED_ARRAY(GLushort)
FIXED_ARRAY(GLint)
FIXED_ARRAY(GLuint)
FIXED_ARRAY(GLfloat)
FIXED_ARRAY(GLdouble)
FIXED_ARRAY(GLlong)
#undef FIXED_ARRAY

void *__glsReaderGetArray(__GLSreader *r, __GLStextElement type, GLint count, void *stack,
                          size_t stackBytes, void **heap) {
    const GLulong n = count > 0 && type != __GLS_TEXT_NONE ? (GLulong)count : 0;
    return list(r, n, n * elementBytes[type], stack, stackBytes, heap, sameType, &type);
}

__GLStextElement __glsTextPixelElement(GLenum type) {
    switch (type) {
    case GL_BYTE: return __GLS_TEXT_GLbyte;
    case GL_UNSIGNED_BYTE: case GL_2_BYTES: case GL_3_BYTES: case GL_4_BYTES:
    case GL_UNSIGNED_BYTE_3_3_2_EXT: case GL_BITMAP: return __GLS_TEXT_GLubyte;
    case GL_SHORT: return __GLS_TEXT_GLshort;
    case GL_UNSIGNED_SHORT: case GL_UNSIGNED_SHORT_4_4_4_4_EXT:
    case GL_UNSIGNED_SHORT_5_5_5_1_EXT: return __GLS_TEXT_GLushort;
    case GL_INT: return __GLS_TEXT_GLint;
    case GL_UNSIGNED_INT: case GL_UNSIGNED_INT_8_8_8_8_EXT:
    case GL_UNSIGNED_INT_10_10_10_2_EXT: return __GLS_TEXT_GLuint;
    case GL_FLOAT: return __GLS_TEXT_GLfloat;
    default: return __GLS_TEXT_NONE;
    }
}

void *__glsReaderGetPixels(__GLSreader *r, GLenum type, GLint byteCount, void *stack,
                           size_t stackBytes, void **heap) {
    const __GLStextElement element = __glsTextPixelElement(type);
    const GLint count = element == __GLS_TEXT_NONE || byteCount <= 0
                            ? 0
                            : byteCount / (GLint)elementBytes[element];
    return __glsReaderGetArray(r, element, count, stack, stackBytes, heap);
}

}  // extern "C"

namespace {

// The element at index i of the flat list of unsigned-byte-colour vertices.
struct VertexLayout {
    GLulong perVertex;
    GLulong before;  // floats before the four colour bytes
};

__GLStextElement vertexElement(GLulong i, const void *arg) {
    const VertexLayout *v = (const VertexLayout *)arg;
    const GLulong k = i % v->perVertex;
    return k >= v->before && k < v->before + 4 ? __GLS_TEXT_GLubyte : __GLS_TEXT_GLfloat;
}

}  // namespace

extern "C" void *__glsReaderGetInterleavedData(__GLSreader *r, GLenum format, GLint byteCount,
                                               void *stack, size_t stackBytes, void **heap) {
    const __GLSinterleavedFormat *row = __glsInterleavedFormat(format);
    if (!row || byteCount <= 0) return __glsReaderGetArray(r, __GLS_TEXT_NONE, 0, stack, stackBytes, heap);
    if (row->colorType != GL_UNSIGNED_BYTE) {
        return __glsReaderGetArray(r, __GLS_TEXT_GLfloat, byteCount / 4, stack, stackBytes, heap);
    }
    const GLulong vertices = (GLulong)byteCount / (GLulong)row->stride;
    const VertexLayout layout = {(GLulong)(row->texCoordSize + 4 + row->vertexSize),
                                 (GLulong)row->texCoordSize};
    return list(r, vertices * layout.perVertex, vertices * (GLulong)row->stride, stack,
                stackBytes, heap, vertexElement, &layout);
}
