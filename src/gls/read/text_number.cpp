// Decimal numbers of GLS text to double, correctly rounded by our own
// integer arithmetic: no C library conversion and no locale is involved, so
// every build reads the same bits from the same text.
#include <string.h>

#include "read/text_reader.h"

namespace {

// A non-negative integer of up to WORDS 32-bit words, least significant
// first. 2^2400 holds 10^(324 + 400) with room for the quotient's bits.
enum { WORDS = 80 };

struct Big {
    GLuint w[WORDS];
    int n;  // words in use; w[n - 1] != 0 unless n == 0
};

void bigSet(Big &b, GLulong v) {
    b.n = 0;
    while (v) {
        b.w[b.n++] = (GLuint)v;
        v >>= 32;
    }
}

void bigMulSmall(Big &b, GLuint m, GLuint add = 0) {
    GLulong carry = add;
    for (int i = 0; i < b.n; ++i) {
        carry += (GLulong)b.w[i] * m;
        b.w[i] = (GLuint)carry;
        carry >>= 32;
    }
    if (carry) b.w[b.n++] = (GLuint)carry;
}

void bigMulPow10(Big &b, int e) {
    for (; e >= 9; e -= 9) bigMulSmall(b, 1000000000u);
    static const GLuint small[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    if (e) bigMulSmall(b, small[e]);
}

void bigShiftLeft(Big &b, int bits) {
    if (!b.n) return;
    const int words = bits / 32, s = bits % 32;
    b.w[b.n] = 0;
    for (int i = b.n; i >= 0; --i) {
        GLuint hi = s ? b.w[i] << s : b.w[i];
        if (s && i > 0) hi |= b.w[i - 1] >> (32 - s);
        b.w[i + words] = hi;
    }
    for (int i = 0; i < words; ++i) b.w[i] = 0;
    b.n += words + 1;
    while (b.n && !b.w[b.n - 1]) --b.n;
}

int bigBits(const Big &b) {
    if (!b.n) return 0;
    return 32 * (b.n - 1) + 32 - __builtin_clz(b.w[b.n - 1]);
}

bool bigBit(const Big &b, int i) { return i >= 0 && i / 32 < b.n && (b.w[i / 32] >> (i % 32)) & 1; }

// Whether any of the bits below bit i is set.
bool bigAnyBelow(const Big &b, int i) {
    for (int k = 0; k < b.n && 32 * k < i; ++k) {
        GLuint word = b.w[k];
        if (32 * (k + 1) > i) word &= (1u << (i - 32 * k)) - 1;
        if (word) return true;
    }
    return false;
}

int bigCompare(const Big &a, const Big &b) {
    if (a.n != b.n) return a.n < b.n ? -1 : 1;
    for (int i = a.n - 1; i >= 0; --i) {
        if (a.w[i] != b.w[i]) return a.w[i] < b.w[i] ? -1 : 1;
    }
    return 0;
}

void bigSubtract(Big &a, const Big &b) {  // a >= b
    GLlong borrow = 0;
    for (int i = 0; i < a.n; ++i) {
        GLlong d = (GLlong)a.w[i] - (i < b.n ? b.w[i] : 0) - borrow;
        borrow = d < 0;
        a.w[i] = (GLuint)(d + (borrow << 32));
    }
    while (a.n && !a.w[a.n - 1]) --a.n;
}

// q = floor(a / b) by shift and subtract, one bit at a time; a keeps the
// remainder. Only the hard cases of the conversion come here.
void bigDivide(Big &a, const Big &b, Big &q) {
    q.n = 0;
    const int shift = bigBits(a) - bigBits(b);
    if (shift < 0) return;
    Big d = b;
    bigShiftLeft(d, shift);
    q.n = shift / 32 + 1;
    memset(q.w, 0, sizeof(GLuint) * (size_t)q.n);
    for (int i = shift; i >= 0; --i) {
        if (bigCompare(a, d) >= 0) {
            bigSubtract(a, d);
            q.w[i / 32] |= 1u << (i % 32);
        }
        // d >>= 1
        for (int k = 0; k < d.n; ++k) {
            d.w[k] = (d.w[k] >> 1) | (k + 1 < d.n ? d.w[k + 1] << 31 : 0);
        }
        while (d.n && !d.w[d.n - 1]) --d.n;
    }
    while (q.n && !q.w[q.n - 1]) --q.n;
}

// The double nearest to m * 2^b (ties to even), m > 0, with `sticky` telling
// that the true value lies a little above m * 2^b.
GLulong roundToDouble(const Big &m, int b, bool sticky) {
    const int bits = bigBits(m);
    const int e = bits - 1 + b;  // exponent of the leading bit
    if (e > 1023) return 0x7FF0000000000000ull;
    // The unit of the last place: 2^(e - 52) for normal values, 2^-1074
    // below them.
    const int unit = e - 52 > -1074 ? e - 52 : -1074;
    const int drop = unit - b;  // low bits of m below the unit
    GLulong mant = 0;
    if (drop <= 0) {
        for (int i = bits - 1; i >= 0; --i) mant = mant << 1 | bigBit(m, i);
        mant <<= -drop;
    } else {
        for (int i = bits - 1; i >= drop; --i) mant = mant << 1 | bigBit(m, i);
        const bool half = bigBit(m, drop - 1);
        const bool rest = sticky || bigAnyBelow(m, drop - 1);
        if (half && (rest || (mant & 1))) ++mant;
    }
    int biased = unit + 1074;  // exponent field of mant * 2^unit, before normalising
    if (mant >> 53) {          // rounding carried into a new bit
        mant >>= 1;
        ++biased;
    }
    if (mant >> 52) {
        const int field = biased + 1;  // unit = exponent - 52, field = exponent + 1023
        if (field >= 2047) return 0x7FF0000000000000ull;
        return (GLulong)field << 52 | (mant & 0xFFFFFFFFFFFFFull);
    }
    return mant;  // subnormal or zero
}

// Powers of ten that a double holds exactly.
const double exactPow10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

}  // namespace

// digits: the significant digits without leading zeros, count of them, and
// the value digits * 10^exp10. Returns the bits of the nearest double.
static GLulong __glsDecimalToDouble(const char *digits, int count, int exp10) {
    if (!count) return 0;
    // Beyond these the value is certainly infinite or below half the
    // smallest subnormal.
    if (count + exp10 > 310) return 0x7FF0000000000000ull;
    if (count + exp10 < -324) return 0;
    GLulong small = 0;
    if (count <= 19) {
        for (int i = 0; i < count; ++i) small = small * 10 + (GLulong)(digits[i] - '0');
        // One rounding of an exact integer by an exact power of ten is the
        // correctly rounded result: SSE arithmetic rounds each step once.
        if (small < (1ull << 53) && exp10 >= -22 && exp10 <= 22) {
            double v = (double)small;
            v = exp10 < 0 ? v / exactPow10[-exp10] : v * exactPow10[exp10];
            GLulong bits;
            memcpy(&bits, &v, 8);
            return bits;
        }
    }
    Big m;
    bigSet(m, 0);
    for (int i = 0; i < count; ++i) {
        if (!m.n) {
            bigSet(m, (GLulong)(digits[i] - '0'));
        } else {
            bigMulSmall(m, 10, (GLuint)(digits[i] - '0'));
        }
    }
    if (exp10 >= 0) {
        bigMulPow10(m, exp10);
        return roundToDouble(m, 0, false);
    }
    // m / 10^k: scale m so that the quotient has more than 64 bits.
    Big d;
    bigSet(d, 1);
    bigMulPow10(d, -exp10);
    int scale = bigBits(d) - bigBits(m) + 66;
    if (scale < 0) scale = 0;
    bigShiftLeft(m, scale);
    Big q;
    bigDivide(m, d, q);
    return roundToDouble(q, -scale, m.n != 0);
}

GLboolean __glsStrToDouble(const char *token, size_t length, GLdouble *out) {
    const char *p = token, *end = token + length;
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    char digits[__GLS_TOKEN_MAX];
    int count = 0, exp10 = 0, seen = 0;
    bool point = false, nonZero = false;
    for (; p < end && *p != 'e' && *p != 'E'; ++p) {
        if (*p == '.') {
            if (point) return 0;
            point = true;
        } else if (*p >= '0' && *p <= '9') {
            ++seen;
            if (*p != '0') nonZero = true;
            if (count || *p != '0') digits[count++] = *p;
            if (point) --exp10;
        } else {
            return 0;
        }
    }
    if (!seen) return 0;
    if (p < end) {
        ++p;  // the exponent: an optional sign, then at least one digit
        bool minus = false;
        if (p < end && (*p == '+' || *p == '-')) minus = *p++ == '-';
        if (p == end) return 0;
        int e = 0;
        for (; p < end; ++p) {
            if (*p < '0' || *p > '9') return 0;
            if (e < 100000) e = e * 10 + (*p - '0');
        }
        exp10 += minus ? -e : e;
    }
    while (count && digits[count - 1] == '0') {
        --count;
        ++exp10;
    }
    const GLulong bits = __glsDecimalToDouble(digits, count, exp10);
    // Too large for a double, or so small that it reads as 0 although a
    // digit other than 0 was written.
    if (bits == 0x7FF0000000000000ull || (bits == 0 && nonZero)) return 0;
    GLdouble value;
    memcpy(&value, &bits, 8);
    *out = negative ? -value : value;
    return 1;
}
