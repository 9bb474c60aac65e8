#include <gtest/gtest.h>

#include <algorithm>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

#include "base/util.h"

// The exhaustion tests ask for impossible sizes and expect null back, not a
// sanitizer abort.
extern "C" const char *__asan_default_options() { return "allocator_may_return_null=1"; }

namespace {

const GLubyte *S(const char *s) { return (const GLubyte *)s; }

// The characters of a zero-terminated string of a given width, as codes.
std::vector<GLuint> chars(const void *p, size_t width) {
    std::vector<GLuint> out;
    for (const GLubyte *b = (const GLubyte *)p;; b += width) {
        GLuint c = 0;
        memcpy(&c, b, width);  // little-endian host
        if (!c) return out;
        out.push_back(c);
    }
}

std::vector<GLuint> codesOf(const char *text) {
    std::vector<GLuint> out;
    for (; *text; ++text) out.push_back((GLubyte)*text);
    return out;
}

size_t widthOf(GLSenum type) { return type == GLS_UCS1 ? 1 : type == GLS_UCS2 ? 2 : 4; }

TEST(Memory, ZeroSizesAndExhaustion) {
    glsGetError();
    void *one = __glsCalloc(0, 0);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(*(GLubyte *)one, 0);
    free(one);
    void *m = __glsMalloc(0);
    EXPECT_NE(m, nullptr);
    free(m);
    EXPECT_EQ(glsGetError(), (GLSenum)GLS_NONE);

    EXPECT_EQ(__glsCalloc(SIZE_MAX, 16), nullptr);
    EXPECT_EQ(glsGetError(), (GLSenum)GLS_RESOURCE_ERROR);
    EXPECT_EQ(__glsMalloc(SIZE_MAX), nullptr);
    EXPECT_EQ(glsGetError(), (GLSenum)GLS_RESOURCE_ERROR);
}

TEST(Numbers, PowersOfTwoAndLongs) {
    struct {
        size_t n, log, pow;
    } p[] = {{0, 0, 1}, {1, 0, 1}, {2, 1, 2}, {3, 1, 4}, {64, 6, 64}, {65, 6, 128}};
    for (auto c : p) {
        EXPECT_EQ(__glsLog2(c.n), c.log) << c.n;
        EXPECT_EQ(__glsNextPow2(c.n), c.pow) << c.n;
    }
    EXPECT_EQ(__glsNextPow2(SIZE_MAX), 0u);

    EXPECT_EQ(__glsMakeLong(-1, 0xFFFFFFFFu), -1);
    EXPECT_EQ(__glsMakeLong(1, 2), 0x100000002LL);
    EXPECT_EQ(__glsMakeLong(-2, 5), -2 * 4294967296LL + 5);
    EXPECT_EQ(__glsLongHigh(-2 * 4294967296LL + 5), -2);
    EXPECT_EQ(__glsLongLow(-2 * 4294967296LL + 5), 5u);

    int x;
    EXPECT_EQ(__glsU64ToAddress(__glsAddressToU64(&x)), &x);
    if (sizeof(void *) == 4) {
        EXPECT_EQ(__glsAddressToU64(&x) >> 32, 0u);
    }
}

TEST(Utf8, LengthOfEachCharacterType) {
    const GLubyte ucs1[] = {0xE9, 'a', 0};
    const GLushort ucs2a[] = {0x20AC, 0}, ucs2b[] = {0x7FF, 0x7F, 0};
    const GLint ucs4[][2] = {{0x10000, 0}, {0x1FFFFF, 0}, {0x200000, 0}, {0x7FFFFFFF, 0}, {-5, 0}};
    EXPECT_EQ(__glsUtf8Length(GLS_UCS1, ucs1), 3u);
    EXPECT_EQ(__glsUtf8Length(GLS_UCS2, ucs2a), 3u);
    EXPECT_EQ(__glsUtf8Length(GLS_UCS2, ucs2b), 3u);
    // A negative code, which UTF-8 cannot carry, is U+FFFD.
    const size_t ucs4Len[] = {4, 4, 5, 6, 3};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(__glsUtf8Length(GLS_UCS4, ucs4[i]), ucs4Len[i]) << i;
    EXPECT_EQ(__glsUtf8Length(GLS_NONE, ucs1), 0u);
    const GLint negative[] = {'a', -5, (GLint)0x80000000, 0};
    __GLSstring utf8;
    __glsStringBufferInit(&utf8);
    ASSERT_TRUE(__glsStringAssignUtf8(&utf8, GLS_UCS4, negative));
    EXPECT_EQ(std::string("a\xEF\xBF\xBD\xEF\xBF\xBD"), (const char *)utf8.start);
    __glsStringBufferFree(&utf8);
}

TEST(Utf8, EncodeAndDecodeEachSequenceLength) {
    struct {
        GLuint code;
        std::vector<GLubyte> bytes;
    } cases[] = {
        {0x41, {0x41}},
        {0xE9, {0xC3, 0xA9}},
        {0x800000E9, {0xC3, 0xA9}},  // bit 31 is dropped
        {0x20AC, {0xE2, 0x82, 0xAC}},
        {0x1F600, {0xF0, 0x9F, 0x98, 0x80}},
        {0x200000, {0xF8, 0x88, 0x80, 0x80, 0x80}},
        {0x7FFFFFFF, {0xFD, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF}},
    };
    for (auto &c : cases) {
        GLubyte out[7] = {};
        GLint n = __glsUtf8EncodeChar(c.code, out);
        EXPECT_EQ(std::vector<GLubyte>(out, out + n), c.bytes) << std::hex << c.code;
        GLuint back = 0;
        EXPECT_EQ(__glsUtf8DecodeChar(out, &back), n);
        EXPECT_EQ(back, c.code & 0x7FFFFFFF);
    }
    // Invalid first bytes, sequences cut short by the terminator, following
    // bytes that are no continuation bytes, and a code 0 that would end the
    // string early.
    const char *bad[] = {"\x80",         "\xBF",         "\xFE", "\xFF",
                         "\xC3",         "\xE2\x82",     "\xFD\xBF\xBF\xBF\xBF",
                         "\xC0\xC0",     "\xE2\x41\x82", "\xF0\x9F\xD8\x80", "\xC0\x80"};
    for (const char *b : bad) {
        GLuint code = 1234;
        EXPECT_EQ(__glsUtf8DecodeChar(S(b), &code), 0) << std::hex << (GLubyte)b[0];
        EXPECT_EQ(code, 1234u);
    }
}

// Each output buffer is exactly as large as the sizing function asks for,
// so the sanitizer catches any write past it.
TEST(Utf8, ToCharsInEveryTypeFitsTheAnnouncedSize) {
    struct {
        const char *utf8;
        GLSenum type;
        std::vector<GLuint> out;
    } cases[] = {
        {"A\xC3\xA9", GLS_UCS1, {'A', 0xE9}},
        {"\xC4\x80", GLS_UCS1, codesOf("\\<100>")},
        {"\xC4\x80", GLS_UCS2, {0x100}},
        {"\xC4\x80", GLS_UCS4, {0x100}},
        {"\xF0\x9F\x98\x80", GLS_UCS2, codesOf("\\<1F600>")},
        {"\xF0\x9F\x98\x80", GLS_UCS4, {0x1F600}},
        {"\xFD\xBF\xBF\xBF\xBF\xBF", GLS_UCS1, codesOf("\\<7FFFFFFF>")},
        {"\xF7\xBF\xBF\xBF\xF7\xBF\xBF\xBF", GLS_UCS2, codesOf("\\<1FFFFF>\\<1FFFFF>")},
        {"abc", GLS_UCS2, {'a', 'b', 'c'}},
        {"ab\xC3\xA9\x80xyz", GLS_UCS1, {}},
        {"ab\xC3\xA9\x80xyz", GLS_UCS4, {}},
        {"ab\xE2\x82", GLS_UCS2, {}},
        {"ab\xC0\xC0xy", GLS_UCS2, {}},
        {"ab\xC0\x80xy", GLS_UCS4, {}},
    };
    for (auto &c : cases) {
        GLboolean all7;
        size_t n = __glsUtf8ByteLength(S(c.utf8), &all7);
        EXPECT_EQ(all7, __glsIs7BitString(S(c.utf8)));
        size_t size = __glsUtf8ToCharsSize(n + 1, all7, c.type);
        void *out = malloc(size);
        size_t written = __glsUtf8ToChars(S(c.utf8), c.type, out);
        EXPECT_EQ(written, c.out.size() * widthOf(c.type)) << c.utf8;
        EXPECT_EQ(chars(out, widthOf(c.type)), c.out) << c.utf8;
        free(out);
    }
    GLubyte untouched = 0x55;
    EXPECT_EQ(__glsUtf8ToChars(S("abc"), GLS_NONE, &untouched), 0u);
    EXPECT_EQ(untouched, 0x55);
    EXPECT_EQ(__glsUtf8ToCharsSize(10, 1, GLS_UCS2), 20u);
    EXPECT_EQ(__glsUtf8ToCharsSize(10, 0, GLS_UCS2), 50u);
    EXPECT_EQ(__glsUtf8ToCharsSize(SIZE_MAX / 2, 0, GLS_UCS4), SIZE_MAX);
    EXPECT_EQ(__glsUtf8ToCharsSize(10, 0, GLS_NONE), 0u);
}

TEST(StringBuffer, RoundTripsEveryTypeThroughUtf8) {
    std::vector<GLubyte> ucs1;
    for (int c = 1; c < 256; ++c) ucs1.push_back((GLubyte)c);
    ucs1.push_back(0);
    const GLushort ucs2[] = {'a', 0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0};
    const GLint ucs4[] = {'a', 0xFFFF, 0x10000, 0x10FFFF, 0x3FFFFFF, 0x7FFFFFFF, 0};
    struct {
        GLSenum type;
        const void *text;
    } cases[] = {{GLS_UCS1, ucs1.data()}, {GLS_UCS2, ucs2}, {GLS_UCS4, ucs4}};
    for (auto &c : cases) {
        __GLSstring utf8, back;
        __glsStringBufferInit(&utf8);
        __glsStringBufferInit(&back);
        ASSERT_TRUE(__glsStringAssignUtf8(&utf8, c.type, c.text));
        EXPECT_EQ((size_t)(utf8.write - utf8.start), __glsUtf8Length(c.type, c.text));
        ASSERT_TRUE(__glsStringAssignFromUtf8(&back, c.type, utf8.start));
        EXPECT_EQ(chars(back.start, widthOf(c.type)), chars(c.text, widthOf(c.type))) << c.type;
        __glsStringBufferFree(&utf8);
        __glsStringBufferFree(&back);
    }
}

TEST(StringBuffer, GrowsPastTheInlineStorageKeepingItsContents) {
    __GLSstring b;
    __glsStringBufferInit(&b);
    EXPECT_EQ(chars(b.start, 4), std::vector<GLuint>{});
    std::string text(63, 'x');
    ASSERT_TRUE(__glsStringAssignUtf8(&b, GLS_UCS1, text.c_str()));
    EXPECT_EQ(b.start, b.inlineBuf);
    ASSERT_TRUE(__glsStringAppendUtf8Char(&b, 'y'));
    EXPECT_NE(b.start, b.inlineBuf);
    EXPECT_EQ(b.limit - b.start + 1, 128);
    EXPECT_EQ(std::string((char *)b.start), text + "y");

    // A bare grow carries the terminator along.
    ASSERT_TRUE(__glsStringBufferGrow(&b, 1000));
    EXPECT_EQ(b.limit - b.start + 1, 2048);
    EXPECT_EQ(std::string((char *)b.start), text + "y");

    // Growth that cannot be had leaves the buffer as it was.
    glsGetError();
    GLubyte *start = b.start;
    EXPECT_FALSE(__glsStringBufferGrow(&b, SIZE_MAX - 10));
    EXPECT_FALSE(__glsStringBufferGrow(&b, SIZE_MAX / 4));
    EXPECT_EQ(glsGetError(), (GLSenum)GLS_RESOURCE_ERROR);
    EXPECT_EQ(b.start, start);
    EXPECT_EQ(std::string((char *)b.start), text + "y");

    __glsStringBufferReset(&b);
    EXPECT_EQ(b.start, b.inlineBuf);
    EXPECT_EQ(b.write, b.start);
    __glsStringBufferFree(&b);
}

// Wide text behind an odd number of bytes and a wide terminator that only
// just does not fit: the sanitizers catch misaligned or overrunning stores.
TEST(StringBuffer, WideAppendsReserveTheirTerminator) {
    __GLSstring b;
    __glsStringBufferInit(&b);
    ASSERT_TRUE(__glsStringAssignFromUtf8(&b, GLS_UCS4, S("0123456789abcdef")));
    EXPECT_NE(b.start, b.inlineBuf);
    EXPECT_EQ(b.write - b.start, 64);
    EXPECT_EQ(chars(b.start, 4), codesOf("0123456789abcdef"));

    __glsStringBufferReset(&b);
    ASSERT_TRUE(__glsStringAppendUtf8Char(&b, 'a'));
    struct {
        GLSenum type;
        GLuint code;
        std::vector<GLuint> out;
    } cases[] = {
        {GLS_UCS2, 0xFFFF, {0xFFFF}},
        {GLS_UCS2, 0x10000, codesOf("\\<10000>")},
        {GLS_UCS1, 0xFF, {0xFF}},
        {GLS_UCS1, 0x100, codesOf("\\<100>")},
        {GLS_UCS4, 0x7FFFFFFF, {0x7FFFFFFF}},
    };
    for (auto &c : cases) {
        GLubyte *at = b.write;
        size_t offset = (size_t)(at - b.start);
        ASSERT_TRUE(__glsStringAppendChar(&b, c.type, c.code));
        EXPECT_EQ(chars(b.start + offset, widthOf(c.type)), c.out) << std::hex << c.code;
    }
    GLubyte *end = b.write;
    EXPECT_TRUE(__glsStringAppendChar(&b, GLS_NONE, 'z'));
    EXPECT_TRUE(__glsStringAppendFromUtf8(&b, GLS_NONE, S("z")));
    EXPECT_EQ(b.write, end);
    __glsStringBufferFree(&b);
}

TEST(StringBuffer, ArgToUtf8PassesPlainTextThrough) {
    const char *plain = "plain";
    __GLSutf8Arg arg;
    ASSERT_TRUE(__glsArgToUtf8(&arg, GLS_UCS1, plain));
    EXPECT_EQ(arg.text, S(plain));
    EXPECT_EQ(arg.storage.start, nullptr);
    __glsArgToUtf8Free(&arg);

    const GLushort wide[] = {'p', 0xE9, 0};
    ASSERT_TRUE(__glsArgToUtf8(&arg, GLS_UCS2, wide));
    EXPECT_STREQ((const char *)arg.text, "p\xC3\xA9");
    __glsArgToUtf8Free(&arg);
    ASSERT_TRUE(__glsArgToUtf8(&arg, GLS_UCS1, "\xE9"));
    EXPECT_STREQ((const char *)arg.text, "\xC3\xA9");
    __glsArgToUtf8Free(&arg);
}

std::vector<GLubyte> iota(size_t n) {
    std::vector<GLubyte> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = (GLubyte)i;
    return v;
}

// Expected bytes: runs of {offset, width} reversed in an ascending buffer.
std::vector<GLubyte> reversedRuns(size_t n, std::vector<std::pair<size_t, size_t>> runs) {
    std::vector<GLubyte> v = iota(n);
    for (auto r : runs) std::reverse(v.begin() + r.first, v.begin() + r.first + r.second);
    return v;
}

TEST(ByteOrder, SwapsOfTwoFourAndEightBytes) {
    auto v = iota(24);
    __glsSwap2(v.data());
    __glsSwap4(v.data() + 2);
    __glsSwap8(v.data() + 6);
    EXPECT_EQ(v, reversedRuns(24, {{0, 2}, {2, 4}, {6, 8}}));
    v = iota(24);
    __glsSwap2v(2, v.data());
    __glsSwap4v(2, v.data() + 4);
    __glsSwap8v(1, v.data() + 12);
    __glsSwap8v(-1, v.data() + 16);
    EXPECT_EQ(v, reversedRuns(24, {{0, 2}, {2, 2}, {4, 4}, {8, 4}, {12, 8}}));
    EXPECT_EQ(__glsSwap2Value(0x1234), 0x3412);
    EXPECT_EQ(__glsSwap4Value(0x12345678u), 0x78563412u);
}

TEST(ByteOrder, TypedAndInterleavedArrays) {
    struct {
        bool interleaved;
        GLenum kind;
        GLint byteCount;
        std::vector<std::pair<size_t, size_t>> runs;
    } cases[] = {
        {false, GL_UNSIGNED_BYTE, 24, {}},
        {false, GL_DOUBLE, 24, {}},
        {false, GL_BITMAP, 24, {}},
        {false, GL_SHORT, 5, {{0, 2}, {2, 2}}},
        {false, GL_UNSIGNED_SHORT_5_5_5_1, 4, {{0, 2}, {2, 2}}},
        {false, GL_FLOAT, 10, {{0, 4}, {4, 4}}},
        {false, GL_UNSIGNED_INT_10_10_10_2, 8, {{0, 4}, {4, 4}}},
        {false, GL_INT, -8, {}},
        {true, GL_V3F, 12, {{0, 4}, {4, 4}, {8, 4}}},
        {true, GL_C4UB_V2F, 24, {{4, 4}, {8, 4}, {16, 4}, {20, 4}}},
        {true, GL_C4UB_V3F, 20, {{4, 4}, {8, 4}, {12, 4}}},
        {true, GL_T2F_C4UB_V3F, 24, {{0, 4}, {4, 4}, {12, 4}, {16, 4}, {20, 4}}},
        {true, GL_FLOAT, 24, {}},
    };
    for (auto &c : cases) {
        auto v = iota(24);
        if (c.interleaved)
            __glsSwapInterleavedArray(c.kind, c.byteCount, v.data());
        else
            __glsSwapTypedArray(c.kind, c.byteCount, v.data());
        EXPECT_EQ(v, reversedRuns(24, c.runs)) << std::hex << c.kind;
    }
}

TEST(ByteOrder, SniffBinaryTypeFromGlsBeginGLS) {
    const GLubyte lsb[20] = {0, 0, 0, 0, 16, 0, 0, 0, 20, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0};
    const GLubyte msb[20] = {0, 0, 0, 0, 0, 0, 0, 16, 0, 0, 0, 20, 0, 0, 0, 0, 0, 0, 0, 2};
    GLubyte lsbMajor2[20], msbMajor2[20], notZero[20], zeros[20] = {};
    memcpy(lsbMajor2, lsb, 20);
    lsbMajor2[12] = 2;
    memcpy(msbMajor2, msb, 20);
    msbMajor2[15] = 2;
    memcpy(notZero, lsb, 20);
    notZero[1] = 1;
    struct {
        const GLubyte *bytes;
        GLSenum type;
        GLint major, minor;
    } cases[] = {{lsb, GLS_BINARY_LSB_FIRST, 1, 3}, {msb, GLS_BINARY_MSB_FIRST, 0, 2},
                 {zeros, 0, -1, -1},                {lsbMajor2, 0, -1, -1},
                 {msbMajor2, 0, -1, -1},            {notZero, 0, -1, -1}};
    for (auto &c : cases) {
        GLint version[2] = {-1, -1};
        EXPECT_EQ(__glsSniffBinaryType(c.bytes, version), c.type);
        EXPECT_EQ(version[0], c.major);
        EXPECT_EQ(version[1], c.minor);
    }
}

}  // namespace
