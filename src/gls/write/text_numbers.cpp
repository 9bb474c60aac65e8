// Numbers as text. Floating-point values are printed as a correctly
// rounding "%.7G" or "%.16G" would print them, by our own code, so that
// every build writes the same bytes. Two roads give the digits: a fast one
// in 128-bit fixed point, and, for the rare value the fast one cannot
// decide (a rounding tie, or too close to one to tell), the exact one: all
// of the value's decimal digits expanded with a small big-number in base
// 10^9, then rounded half to even.
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

// ----------------------------------------------------------- fast road
//
// The value m * 2^e2 is scaled by the power of ten that brings its first
// `precision` digits before the point, in 128-bit fixed point, and rounded
// to the nearest integer. The scaled value is never more than a few units
// of its last bit below the true one, and it carries at least 70 bits
// after the point, so the nearest integer is certain unless the remainder
// lies within those few units of one half: then the exact road decides.

// 10^s is (hi * 2^64 + lo) * 2^e, hi's top bit set, truncated.
struct Pow10 {
    GLulong hi, lo;
    int e;
};

// The powers the two precisions reach: doubles from 4.9E-324 to 1.8E+308
// at 16 digits, floats inside that.
const int MIN_POW = -294, MAX_POW = 339;

struct Pow10Table {
    Pow10 p[MAX_POW - MIN_POW + 1];
};

// A working value of nine 32-bit limbs, least significant first, times 2^e,
// kept with its top bit at bit 255: stepping from one power to the next
// loses less than one unit of bit 0 each time, far below the 128 bits kept.
struct Wide {
    GLuint limb[9];
    int e;
};

constexpr void shiftDownTo255(Wide &w) {
    int top = 8;
    while (!w.limb[top]) --top;
    int bits = 0;
    while (bits < 32 && (w.limb[top] >> bits)) ++bits;
    const int shift = 32 * top + bits - 256;
    const int limbs = shift / 32, rest = shift % 32;
    for (int i = 0; i < 9; ++i) {
        const GLulong pair = (i + limbs + 1 < 9 ? (GLulong)w.limb[i + limbs + 1] << 32 : 0) |
                             (i + limbs < 9 ? w.limb[i + limbs] : 0);
        w.limb[i] = (GLuint)(pair >> rest);
    }
    w.e += shift;
}

constexpr void timesTen(Wide &w) {
    GLulong carry = 0;
    for (int i = 0; i < 9; ++i) {
        const GLulong t = (GLulong)w.limb[i] * 10 + carry;
        w.limb[i] = (GLuint)t;
        carry = t >> 32;
    }
    shiftDownTo255(w);
}

constexpr void dividedByTen(Wide &w) {
    // One limb more below the value before dividing keeps 32 more bits.
    for (int i = 8; i > 0; --i) w.limb[i] = w.limb[i - 1];
    w.limb[0] = 0;
    w.e -= 32;
    GLulong rest = 0;
    for (int i = 8; i >= 0; --i) {
        const GLulong t = (rest << 32) | w.limb[i];
        w.limb[i] = (GLuint)(t / 10);
        rest = t % 10;
    }
    shiftDownTo255(w);
}

constexpr Pow10 top128(const Wide &w) {
    return {(GLulong)w.limb[7] << 32 | w.limb[6], (GLulong)w.limb[5] << 32 | w.limb[4],
            w.e + 128};
}

constexpr Pow10Table makePowers() {
    Pow10Table t{};
    Wide one{};
    one.limb[7] = 0x80000000u;
    one.e = -255;
    t.p[-MIN_POW] = top128(one);
    Wide w = one;
    for (int s = 1; s <= MAX_POW; ++s) {
        timesTen(w);
        t.p[s - MIN_POW] = top128(w);
    }
    w = one;
    for (int s = -1; s >= MIN_POW; --s) {
        dividedByTen(w);
        t.p[s - MIN_POW] = top128(w);
    }
    return t;
}

// Built by the compiler, so that no thread ever sees it half made.
constexpr Pow10Table POWERS = makePowers();

const GLulong TEN[20] = {1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull,
                         10000000ull, 100000000ull, 1000000000ull, 10000000000ull,
                         100000000000ull, 1000000000000ull, 10000000000000ull,
                         100000000000000ull, 1000000000000000ull, 10000000000000000ull,
                         100000000000000000ull, 1000000000000000000ull,
                         10000000000000000000ull};

struct U128 {
    GLulong hi, lo;
};

inline U128 multiply(GLulong a, GLulong b) {
#if defined(__SIZEOF_INT128__)
    const unsigned __int128 p = (unsigned __int128)a * b;
    return {(GLulong)(p >> 64), (GLulong)p};
#else
    const GLulong aL = (GLuint)a, aH = a >> 32, bL = (GLuint)b, bH = b >> 32;
    const GLulong ll = aL * bL, lh = aL * bH, hl = aH * bL, hh = aH * bH;
    const GLulong mid = (ll >> 32) + (GLuint)lh + (GLuint)hl;
    return {hh + (lh >> 32) + (hl >> 32) + (mid >> 32), mid << 32 | (GLuint)ll};
#endif
}

// floor(n / 2^18), for the estimate of a decimal exponent below.
inline int floorShift18(int n) { return n >= 0 ? n >> 18 : -((-n + 262143) >> 18); }

// The scaled value may undershoot by less than 3 units of its last bit.
const GLulong TIE_MARGIN = 16;

// The first `precision` digits of a whole value v (not 0), by division:
// every value too large for the fixed point's exact powers is whole below
// 2^64, and there its ties are told exactly.
bool integerDigits(GLulong v, int precision, GLulong *outDigits, int *outX) {
    int x = 0;
    while (x < 19 && v >= TEN[x + 1]) ++x;
    GLulong r = v;
    if (x < precision) {
        r *= TEN[precision - 1 - x];
    } else {
        const GLulong unit = TEN[x - (precision - 1)], rest = v % unit;
        r = v / unit;
        if (2 * rest > unit || (2 * rest == unit && (r & 1))) ++r;
        if (r == TEN[precision]) {
            r = TEN[precision - 1];
            ++x;
        }
    }
    *outDigits = r;
    *outX = x;
    return true;
}

// The first `precision` digits of m * 2^e2 (m not 0) as an integer,
// rounded to nearest, and the decimal exponent of the first; false when the
// value is too close to a rounding tie to tell.
bool fastDigits(GLulong m, int e2, int precision, GLulong *outDigits, int *outX) {
    const int bitLength = 64 - __builtin_clzll(m);
    if (e2 >= 0 ? bitLength + e2 <= 64 : e2 > -64 && !(m << (64 + e2))) {
        return integerDigits(e2 >= 0 ? m << e2 : m >> -e2, precision, outDigits, outX);
    }
    const GLulong top = m << (64 - bitLength);
    // log10(2) is about 78913 / 2^18; the estimate is the exponent or one
    // below it, and the scaled value says which.
    int x = floorShift18((e2 + bitLength - 1) * 78913);
    const GLulong low = TEN[precision - 1], high = TEN[precision];
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int s = precision - 1 - x;
        if (s < MIN_POW || s > MAX_POW) return false;
        const Pow10 &c = POWERS.p[s - MIN_POW];
        const U128 a = multiply(top, c.hi), b = multiply(top, c.lo);
        const GLulong tLo = a.lo + b.hi, tHi = a.hi + (tLo < a.lo);
        // The scaled value is tHi:tLo / 2^shift.
        const int shift = -(e2 + bitLength + c.e);
        if (shift <= 64 || shift >= 128) return false;
        const int k = shift - 64;
        const GLulong n = tHi >> k;
        if (n < low) {
            --x;
            continue;
        }
        if (n >= high) {
            ++x;
            continue;
        }
        const GLulong fracHi = tHi & ((1ull << k) - 1), halfHi = 1ull << (k - 1);
        const bool above = fracHi >= halfHi;
        const GLulong distHi = above ? fracHi - halfHi : halfHi - fracHi - (tLo != 0);
        const GLulong distLo = above ? tLo : 0 - tLo;
        // Powers 10^0 to 10^55 are held exactly (5^55 < 2^128); with nothing
        // of the product cut off, the scaled value is exact, and a remainder
        // of one half is a true tie, which goes to the even digit.
        const bool exact = s >= 0 && s <= 55 && !b.lo;
        if (!distHi && distLo <= TIE_MARGIN && !exact) return false;
        const bool tie = !distHi && !distLo;
        GLulong r = n + (above && (!tie || (n & 1)));
        if (r == high) {
            r = low;
            ++x;
        }
        *outDigits = r;
        *outX = x;
        return true;
    }
    return false;
}

// ---------------------------------------------------------- exact road

// The first `precision` digits of m * 2^e2 (m not 0) as an integer, rounded
// half to even, and the decimal exponent of the first.
void exactDigits(GLulong m, int e2, int precision, GLulong *outDigits, int *outX) {
    char all[800];
    int point;
    const int len = expand(m, e2, all, &point);
    int x = point - 1;
    GLulong r = 0;
    for (int i = 0; i < precision; ++i) r = r * 10 + (GLulong)(i < len ? all[i] - '0' : 0);
    if (len > precision) {
        const char d = all[precision];
        bool rest = false;
        for (int i = precision + 1; i < len && !rest; ++i) rest = all[i] != '0';
        if (d > '5' || (d == '5' && (rest || (r & 1)))) ++r;
    }
    if (r == TEN[precision]) {
        r = TEN[precision - 1];
        ++x;
    }
    *outDigits = r;
    *outX = x;
}

// ------------------------------------------------------------- layout

const char PAIRS[] =
    "0001020304050607080910111213141516171819"
    "2021222324252627282930313233343536373839"
    "4041424344454647484950515253545556575859"
    "6061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the count decimal digits of v (leading zeros included) at out, two
// at a time from the last, in 32-bit arithmetic, which every target divides
// fast.
inline void writeDigits(char *out, GLulong v, int count) {
    char *end = out + count;
    while (count > 0) {
        GLuint chunk = (GLuint)v;
        int n = count;
        if (n > 8) {
            chunk = (GLuint)(v % 100000000u);
            v /= 100000000u;
            n = 8;
        }
        count -= n;
        for (; n >= 2; n -= 2, chunk /= 100) {
            end -= 2;
            memcpy(end, PAIRS + 2 * (chunk % 100), 2);
        }
        if (n) *--end = (char)('0' + chunk % 10);
    }
}

// Writes the count digits of v at out with a point after the first
// `whole`: the digits go one place on, then the whole ones move back one by
// one. Each byte then stays where a store of its own or of its pair put it,
// and the text's copy is not held up by loads that span several stores.
inline void writeDigitsWithPoint(char *out, GLulong v, int count, int whole) {
    writeDigits(out + 1, v, count);
    for (int i = 0; i < whole; ++i) out[i] = out[i + 1];
    out[whole] = '.';
}

// Drops r's trailing zeros and counts them off *digits: eight, four, two
// and one at a time, in 32-bit arithmetic once r fits.
template <typename T>
inline T dropZeros(T r, int *digits) {
    static const GLuint steps[3] = {10000, 100, 10};
    for (int i = 0; i < 3; ++i) {
        if (r % steps[i] == 0) {
            r /= steps[i];
            *digits -= 4 >> i;
        }
    }
    return r;
}

inline GLulong dropTrailingZeros(GLulong r, int *digits) {
    if (r % 100000000u == 0) {
        r /= 100000000u;
        *digits -= 8;
    }
    return r > 0xFFFFFFFFu ? dropZeros<GLulong>(r, digits) : dropZeros<GLuint>((GLuint)r, digits);
}

// "%.PG" of the `precision`-digit integer r (0, or at least 10^(P-1)) whose
// first digit has decimal exponent x.
size_t layout(bool negative, GLulong r, int x, int precision, char *out) {
    char *p = out;
    if (negative) *p++ = '-';
    if (!r) {
        *p++ = '0';
        return (size_t)(p - out);
    }
    // The G conversion drops trailing zeros.
    int significant = precision;
    r = dropTrailingZeros(r, &significant);
    if (x < precision && x >= -4) {
        if (x < 0) {
            // 0.000ddd
            *p++ = '0';
            *p++ = '.';
            for (int i = x + 1; i < 0; ++i) *p++ = '0';
            writeDigits(p, r, significant);
            p += significant;
        } else if (significant <= x + 1) {
            // ddd000: the whole digits, then the zeros that were dropped.
            writeDigits(p, r, significant);
            p += significant;
            for (int i = significant; i <= x; ++i) *p++ = '0';
        } else {
            // dd.ddd
            writeDigitsWithPoint(p, r, significant, x + 1);
            p += significant + 1;
        }
    } else {
        // d.dddE+xx
        if (significant > 1) {
            writeDigitsWithPoint(p, r, significant, 1);
            p += significant + 1;
        } else {
            *p++ = (char)('0' + r);
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

// "%.PG" of a finite value m * 2^e2 (m may be 0); 0 when the fast road
// alone was asked for and cannot tell.
size_t formatG(bool negative, GLulong m, int e2, int precision, __GLSnumberRoad road, char *out) {
    GLulong r = 0;
    int x = 0;
    if (m && (road == __GLS_EXACT_ONLY || !fastDigits(m, e2, precision, &r, &x))) {
        if (road == __GLS_FAST_ONLY) return 0;
        exactDigits(m, e2, precision, &r, &x);
    }
    return layout(negative, r, x, precision, out);
}

// The text reader refuses a float beyond the normal range and a double
// beyond the largest, and the digits of a value in the binade at either
// end may fall beyond although the value does not. Such a value is written
// as its bits in hexadecimal instead, as NaN is, which the reader takes as
// the exact value. The decimal values it takes back for a precision lie
// from (lowX, lowR) to (highX, highR): r * 10^(x - precision + 1), r of
// `precision` digits. 1.175495E-38 is the first at 7 digits not below the
// smallest normal float, 3.402823E+38 the last not above the largest;
// 1.797693134862315E+308 the last at 16 digits that reads as a double.
struct Limits {
    int precision;
    int lowX;
    GLulong lowR;
    int highX;
    GLulong highR;
};
constexpr Limits FLOAT_LIMITS = {7, -38, 1175495, 38, 3402823};
constexpr Limits DOUBLE_LIMITS = {16, -400, 0, 308, 1797693134862315};

// Kept out of line, and laid out by the common road, so that its code stays
// as it was; the digits of these few binades are found twice.
__attribute__((noinline)) size_t formatNearLimit(bool negative, GLulong m, int e2, GLulong bits,
                                                 const Limits &l, __GLSnumberRoad road,
                                                 char *out) {
    GLulong r = 0;
    int x = 0;
    if (m && (road == __GLS_EXACT_ONLY || !fastDigits(m, e2, l.precision, &r, &x))) {
        if (road == __GLS_FAST_ONLY) return 0;
        exactDigits(m, e2, l.precision, &r, &x);
    }
    const bool readable = !r || ((x > l.lowX || (x == l.lowX && r >= l.lowR)) &&
                                 (x < l.highX || (x == l.highX && r <= l.highR)));
    return readable ? formatG(negative, m, e2, l.precision, road, out) : __glsFormatHex(bits, out);
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
    return __glsFormatFloatBy(__GLS_FAST_OR_EXACT, bits, width, out);
}

size_t __glsFormatDouble(GLulong bits, GLint width, char *out) {
    return __glsFormatDoubleBy(__GLS_FAST_OR_EXACT, bits, width, out);
}

size_t __glsFormatFloatBy(__GLSnumberRoad road, GLuint bits, GLint width, char *out) {
    bool negative = bits >> 31;
    GLuint exp = (bits >> 23) & 0xFF, frac = bits & 0x7FFFFF;
    if (exp == 0xFF) return special(negative, frac != 0, bits, out);
    GLulong m = exp ? (frac | 0x800000u) : frac;
    int e2 = exp ? (int)exp - 150 : -149;
    // Subnormals and the lowest binade, whose digits may fall below the
    // normal range; the largest float's digits stay below it.
    size_t n = exp <= 1 ? formatNearLimit(negative, m, e2, bits, FLOAT_LIMITS, road, out)
                        : formatG(negative, m, e2, 7, road, out);
    return n ? pad(n, width, out) : 0;
}

size_t __glsFormatDoubleBy(__GLSnumberRoad road, GLulong bits, GLint width, char *out) {
    bool negative = bits >> 63;
    GLuint exp = (GLuint)(bits >> 52) & 0x7FF;
    GLulong frac = bits & 0xFFFFFFFFFFFFFull;
    if (exp == 0x7FF) return special(negative, frac != 0, bits, out);
    GLulong m = exp ? (frac | (1ull << 52)) : frac;
    int e2 = exp ? (int)exp - 1075 : -1074;
    // The highest binade, whose digits may pass the largest double.
    size_t n = exp == 0x7FE ? formatNearLimit(negative, m, e2, bits, DOUBLE_LIMITS, road, out)
                            : formatG(negative, m, e2, 16, road, out);
    return n ? pad(n, width, out) : 0;
}
