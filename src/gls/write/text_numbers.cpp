// Exact decimal conversion: the value m * 2^e is expanded into all of its
// decimal digits with a small big-number in base 10^9, then rounded to the
// precision half to even, as a correctly rounding printf does.
#include "write/text_numbers.h"

#include <string.h>

namespace {

const GLuint BASE = 1000000000u;
// 2^1024 and 2^53 * 5^1074 both fit in 100 limbs of 9 digits.
const int MAX_LIMBS = 100;

struct Big {
    GLuint limb[MAX_LIMBS];  // least significant first
    int n;
};

void mulSmall(Big *b, GLuint factor) {
    GLulong carry = 0;
    for (int i = 0; i < b->n; ++i) {
        GLulong t = (GLulong)b->limb[i] * factor + carry;
        b->limb[i] = (GLuint)(t % BASE);
        carry = t / BASE;
    }
    while (carry) {
        b->limb[b->n++] = (GLuint)(carry % BASE);
        carry /= BASE;
    }
}

void mulPow(Big *b, GLuint base, GLuint chunk, int chunkExp, int e) {
    for (; e >= chunkExp; e -= chunkExp) mulSmall(b, chunk);
    GLuint rest = 1;
    while (e-- > 0) rest *= base;
    if (rest > 1) mulSmall(b, rest);
}

// All decimal digits of m * 2^e2 into digits; returns their count and sets
// *pointPos to the number of digits before the decimal point.
int expand(GLulong m, int e2, char *digits, int *pointPos) {
    Big b;
    b.n = 0;
    for (GLulong v = m; v; v /= BASE) b.limb[b.n++] = (GLuint)(v % BASE);
    int shift = 0;
    if (e2 >= 0) {
        mulPow(&b, 2, 1u << 28, 28, e2);
    } else {
        // m / 2^k = m * 5^k / 10^k
        mulPow(&b, 5, 1220703125u, 13, -e2);
        shift = -e2;
    }
    int len = 0;
    for (int i = b.n - 1; i >= 0; --i) {
        GLuint v = b.limb[i];
        char tmp[9];
        for (int k = 8; k >= 0; --k, v /= 10) tmp[k] = (char)('0' + v % 10);
        int k = 0;
        if (i == b.n - 1) while (k < 8 && tmp[k] == '0') ++k;
        memcpy(digits + len, tmp + k, (size_t)(9 - k));
        len += 9 - k;
    }
    *pointPos = len - shift;
    return len;
}

// "%.PG" of a finite value m * 2^e2 (m may be 0).
size_t formatG(bool negative, GLulong m, int e2, int precision, char *out) {
    char *p = out;
    if (negative) *p++ = '-';
    char digits[800];
    int x = 0;  // decimal exponent of the first digit
    if (!m) {
        memset(digits, '0', (size_t)precision);
    } else {
        int point;
        int len = expand(m, e2, digits, &point);
        x = point - 1;
        bool up = false;
        if (len > precision) {
            char d = digits[precision];
            bool rest = false;
            for (int i = precision + 1; i < len && !rest; ++i) rest = digits[i] != '0';
            up = d > '5' || (d == '5' && (rest || ((digits[precision - 1] - '0') & 1)));
        } else {
            memset(digits + len, '0', (size_t)(precision - len));
        }
        if (up) {
            int i = precision - 1;
            while (i >= 0 && digits[i] == '9') digits[i--] = '0';
            if (i >= 0) {
                ++digits[i];
            } else {
                digits[0] = '1';
                ++x;
            }
        }
    }
    int last = precision - 1;  // last significant digit kept
    if (x < precision && x >= -4) {
        int intDigits = x >= 0 ? x + 1 : 0;
        if (intDigits) {
            memcpy(p, digits, (size_t)intDigits);
            p += intDigits;
        } else {
            *p++ = '0';
        }
        while (last >= intDigits && digits[last] == '0') --last;
        if (last >= intDigits) {
            *p++ = '.';
            for (int i = x + 1; i < 0; ++i) *p++ = '0';
            memcpy(p, digits + intDigits, (size_t)(last + 1 - intDigits));
            p += last + 1 - intDigits;
        }
    } else {
        *p++ = digits[0];
        while (last > 0 && digits[last] == '0') --last;
        if (last > 0) {
            *p++ = '.';
            memcpy(p, digits + 1, (size_t)last);
            p += last;
        }
        *p++ = 'E';
        *p++ = x < 0 ? '-' : '+';
        int ax = x < 0 ? -x : x;
        if (ax >= 100) *p++ = (char)('0' + ax / 100);
        *p++ = (char)('0' + ax / 10 % 10);
        *p++ = (char)('0' + ax % 10);
    }
    return (size_t)(p - out);
}

size_t special(bool negative, bool nan, GLulong bits, char *out) {
    if (nan) return __glsFormatHex(bits, out);
    const char *text = negative ? "-GLS_INF" : "GLS_INF";
    size_t n = strlen(text);
    memcpy(out, text, n);
    return n;
}

size_t pad(size_t n, GLint width, char *out) {
    while ((GLint)n < width) out[n++] = ' ';
    return n;
}

}  // namespace

size_t __glsFormatUnsigned(GLulong value, char *out) {
    char tmp[20];
    int n = 0;
    do {
        tmp[n++] = (char)('0' + value % 10);
        value /= 10;
    } while (value);
    for (int i = 0; i < n; ++i) out[i] = tmp[n - 1 - i];
    return (size_t)n;
}

size_t __glsFormatDecimal(GLlong value, char *out) {
    if (value >= 0) return __glsFormatUnsigned((GLulong)value, out);
    out[0] = '-';
    // Negated in unsigned arithmetic, so the most negative value is exact.
    return 1 + __glsFormatUnsigned(0 - (GLulong)value, out + 1);
}

size_t __glsFormatHex(GLulong value, char *out) {
    static const char hex[] = "0123456789ABCDEF";
    char tmp[16];
    int n = 0;
    do {
        tmp[n++] = hex[value & 15];
        value >>= 4;
    } while (value);
    out[0] = '0';
    out[1] = 'x';
    for (int i = 0; i < n; ++i) out[2 + i] = tmp[n - 1 - i];
    return (size_t)n + 2;
}

size_t __glsFormatFloat(GLuint bits, GLint width, char *out) {
    bool negative = bits >> 31;
    GLuint exp = (bits >> 23) & 0xFF, frac = bits & 0x7FFFFF;
    if (exp == 0xFF) return special(negative, frac != 0, bits, out);
    GLulong m = exp ? (frac | 0x800000u) : frac;
    int e2 = exp ? (int)exp - 150 : -149;
    return pad(formatG(negative, m, e2, 7, out), width, out);
}

size_t __glsFormatDouble(GLulong bits, GLint width, char *out) {
    bool negative = bits >> 63;
    GLuint exp = (GLuint)(bits >> 52) & 0x7FF;
    GLulong frac = bits & 0xFFFFFFFFFFFFFull;
    if (exp == 0x7FF) return special(negative, frac != 0, bits, out);
    GLulong m = exp ? (frac | (1ull << 52)) : frac;
    int e2 = exp ? (int)exp - 1075 : -1074;
    return pad(formatG(negative, m, e2, 16, out), width, out);
}
