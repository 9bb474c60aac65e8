// The text writer: command framing, numbers, strings, arrays, images,
// matrices, enumerant names and bitfields, and its flushing.
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "read/text_reader.h"
#include "write/text_numbers.h"
#include "writer_fixture.h"

namespace {

class TextWriter : public WriterTest {
public:
    using WriterTest::w;
    void SetUp() override {
        WriterTest::SetUp();
        open(GLS_TEXT, __GLS_WRITE_NO_FRAMING);
    }
    __GLSputTable &p() { return w->put; }
    bool begin(GLSopcode op) { return p().beginCommand(w, op, 0); }
    void end() { p().endCommand(w); }
};

TEST_F(TextWriter, WorkedLines) {
    const GLuint inf = 0x7F800000, negInf = 0xFF800000;
    begin(__GLS_OP_glClearColor);
    for (float f : {0.0f, 0.0f, 0.5f, 1.0f}) p().putGLfloat(w, floatBits(f));
    end();
    begin(__GLS_OP_glScalef);
    for (GLuint b : {inf, floatBits(1), negInf}) p().putGLfloat(w, b);
    end();
    begin(__GLS_OP_glClearDepth);
    p().putGLdouble(w, 0x7FF8000000000000ull);
    end();
    begin(__GLS_OP_glTranslated);
    for (double d : {1e10, -0.125, 1e-5}) p().putGLdouble(w, doubleBits(d));
    end();
    begin(__GLS_OP_glLineStipple);
    p().putGLint(w, 3);
    p().putGLushortHex(w, 0xAAAA);
    end();
    begin(__GLS_OP_glStencilMask);
    p().putGLuintHex(w, 0xFF);
    end();
    begin(__GLS_OP_glEnd);
    end();
    begin(__GLS_OP_glsError);
    p().putGLSopcode(w, __GLS_OP_glBegin);
    p().putGLSenum(w, GLS_STATE_ERROR);
    end();
    begin(__GLS_OP_glGetFloatv);
    p().putGLenum(w, 0x0BA6);
    p().putOutArg(w, 0, (const void *)(uintptr_t)0x12FF40);
    end();
    begin(__GLS_OP_glColorPointer);
    p().putGLint(w, 4);
    p().putGLenum(w, GL_FLOAT);
    p().putGLint(w, 0);
    p().putArrayPointer(w, (const void *)(uintptr_t)0x4A2F10);
    end();
    begin(__GLS_OP_glsComment);
    p().putString(w, 0, "size \"big\" \xE9t\xE9");
    end();
    EXPECT_EQ("glClearColor(0, 0, 0.5, 1);\n"
              "glScalef(GLS_INF, 1, -GLS_INF);\n"
              "glClearDepth(0x7FF8000000000000);\n"
              "glTranslated(10000000000, -0.125, 1E-05);\n"
              "glLineStipple(3, 0xAAAA);\n"
              "glStencilMask(0xFF);\n"
              "glEnd();\n"
              "glsError(GLS_OP_glBegin, GLS_STATE_ERROR);\n"
              "glGetFloatv(GL_MODELVIEW_MATRIX, 0x12FF40);\n"
              "glColorPointer(4, GL_FLOAT, 0, 0x4A2F10);\n"
              "glsComment(\"size \\\"big\\\" \\<E9>t\\<E9>\");\n",
              close());
}

TEST_F(TextWriter, WorkedEnumerantLines) {
    const float grey[] = {0.5f, 0.5f, 0.5f, 1.0f}, colour[] = {1.0f, 0.5f, 0.0f};
    const GLboolean edge[] = {1};
    begin(__GLS_OP_glBegin), p().putGLenum(w, 4), end();
    begin(__GLS_OP_glBlendFunc), p().putBlendFactor(w, 0x0302), p().putBlendFactor(w, 0x0303), end();
    begin(__GLS_OP_glBlendFunc), p().putBlendFactor(w, 1), p().putBlendFactor(w, 0), end();
    begin(__GLS_OP_glDrawBuffer), p().putDrawBuffer(w, 0), end();
    begin(__GLS_OP_glStencilOp), p().putStencilOp(w, 0x1E00), p().putStencilOp(w, 0),
        p().putStencilOp(w, 0x1E01), end();
    begin(__GLS_OP_glColorMask);
    for (GLboolean b : {1, 1, 1, 0}) p().putGLboolean(w, b);
    end();
    begin(__GLS_OP_glClear), p().putClearMask(w, 0x4100), end();
    begin(__GLS_OP_glPushClientAttrib), p().putClientAttribMask(w, 0xFFFFFFFF), end();
    begin(__GLS_OP_glTexParameteri), p().putGLenum(w, 0x0DE1), p().putGLenum(w, 0x2801),
        p().putGLintOrEnum(w, 0x2801, 0x2601), end();
    begin(__GLS_OP_glFogf), p().putGLenum(w, 0x0B65),
        p().putGLfloatOrEnum(w, 0x0B65, floatBits(9729.0f)), end();
    begin(__GLS_OP_glPixelStorei), p().putGLenum(w, 0x0CF0), p().putGLintOrEnum(w, 0x0CF0, 1), end();
    begin(__GLS_OP_glPixelStorei), p().putGLenum(w, 0x0CF5), p().putGLintOrEnum(w, 0x0CF5, 1), end();
    begin(__GLS_OP_glFogfv), p().putGLenum(w, 0x0B66), p().putGLfloatvOrEnum(w, 0x0B66, 4, grey),
        end();
    begin(__GLS_OP_glColor3fv), p().putGLfloatv(w, 3, colour), end();
    begin(__GLS_OP_glEdgeFlagv), p().putGLbooleanv(w, 1, edge), end();
    begin(__GLS_OP_glsHeaderi), p().putGLSenum(w, GLS_DOUBLEBUFFER),
        p().putGLintOrGLSenum(w, GLS_DOUBLEBUFFER, 1), end();
    EXPECT_EQ("glBegin(GL_TRIANGLES);\n"
              "glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);\n"
              "glBlendFunc(GL_ONE, GL_ZERO);\n"
              "glDrawBuffer(GL_NONE);\n"
              "glStencilOp(GL_KEEP, GL_ZERO, GL_REPLACE);\n"
              "glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);\n"
              "glClear(GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT);\n"
              "glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);\n"
              "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);\n"
              "glFogf(GL_FOG_MODE, GL_LINEAR);\n"
              "glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_TRUE);\n"
              "glPixelStorei(GL_UNPACK_ALIGNMENT, 1);\n"
              "glFogfv(GL_FOG_COLOR, {0.5, 0.5, 0.5, 1});\n"
              "glColor3fv({1, 0.5, 0});\n"
              "glEdgeFlagv({GL_TRUE});\n"
              "glsHeaderi(GLS_DOUBLEBUFFER, GL_TRUE);\n",
              close());
}

TEST_F(TextWriter, ImageCommandsBreakTheirArgumentsAndSkipRowPadding) {
    // 2 x 2 RGB rows of 6 bytes stored 8 apart (unpack alignment 4).
    const GLubyte pixels[] = {255, 0, 0, 0, 255, 0, 9, 9, 0, 0, 255, 255, 255, 255, 9, 9};
    begin(__GLS_OP_glTexImage2D);
    p().putGLSimageFlags(w, 0);
    p().breakArgs(w);
    p().putGLenum(w, 0x0DE1);
    for (GLint v : {0, 3, 2, 2, 0}) p().putGLint(w, v);
    p().putGLenum(w, 0x1907);
    p().putGLenum(w, 0x1401);
    __glsWriterPutPixels(w, 0x1907, 0x1401, 2, 2, 0, 0, pixels);
    end();
    EXPECT_EQ("glTexImage2D(GLS_NONE)(GL_TEXTURE_2D, 0, 3, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, {\n"
              "    255, 0, 0, 0, 255, 0, 0, 0,\n"
              "    255, 255, 255, 255\n"
              "});\n",
              close());
}

struct NumberCase {
    bool isDouble;
    GLulong bits;
    const char *text;
};

GLulong f(float v) { return floatBits(v); }
GLulong d(double v) { return doubleBits(v); }

const NumberCase kFixedForms[] = {
    {false, f(1.0f), "1"},
    {false, f(0.1f), "0.1"},
    {false, f(3.14159265f), "3.141593"},
    {false, f(123456789.0f), "1.234568E+08"},
    {false, f(0.00001f), "1E-05"},
    {false, f(100000.0f), "100000"},
    {false, f(1e7f), "1E+07"},
    {false, f(-3.0f), "-3"},
    {false, f(12345665.0f), "1.234566E+07"},  // a tie goes to the even digit
    {false, f(12345675.0f), "1.234568E+07"},
    {false, f(0.0001f), "0.0001"},
    {false, f(3.4028235e38f), "3.402823E+38"},
    // A float below the normal range, or whose seven digits fall below it,
    // reads back only as its bits.
    {false, 0x00000001, "0x1"},
    {false, 0x807FFFFF, "0x807FFFFF"},
    {false, 0x00800000, "0x800000"},
    {false, 0x00800001, "0x800001"},
    {false, 0x00800002, "1.175495E-38"},
    {false, 0x80000000, "-0"},
    {false, 0x7F800000, "GLS_INF"},
    {false, 0xFF800000, "-GLS_INF"},
    {false, 0x7FC00000, "0x7FC00000"},
    {false, 0xFF800001, "0xFF800001"},
    {true, d(1e10), "10000000000"},
    {true, d(-0.0), "-0"},
    {true, d(0.1), "0.1"},
    {true, d(1.0 / 3), "0.3333333333333333"},
    {true, d(1e16), "1E+16"},
    {true, d(1.5e100), "1.5E+100"},
    {true, d(2.5e-300), "2.5E-300"},
    // Sixteen digits of the largest double and its neighbour read as
    // infinity.
    {true, 0x7FEFFFFFFFFFFFFFull, "0x7FEFFFFFFFFFFFFF"},
    {true, 0xFFEFFFFFFFFFFFFEull, "0xFFEFFFFFFFFFFFFE"},
    {true, 0x7FEFFFFFFFFFFFFDull, "1.797693134862315E+308"},
    {true, 0x0010000000000000ull, "2.225073858507201E-308"},
    {true, 0x0000000000000001ull, "4.940656458412465E-324"},
    {true, 0x7FF0000000000000ull, "GLS_INF"},
    {true, 0xFFF0000000000000ull, "-GLS_INF"},
    {true, 0x7FF0000000000001ull, "0x7FF0000000000001"},
};

TEST(TextNumbers, FormsAreFixed) {
    for (const NumberCase &c : kFixedForms) {
        char out[40];
        size_t n = c.isDouble ? __glsFormatDouble(c.bits, 0, out)
                              : __glsFormatFloat((GLuint)c.bits, 0, out);
        EXPECT_EQ(c.text, std::string(out, n)) << std::hex << c.bits;
    }
}

// The fast road must give the exact road's bytes wherever it decides, and
// decide nearly everywhere: on random bit patterns, subnormals, the values
// of the capture benchmark, the fixed forms above, values on and beside
// rounding ties, and powers of ten and their neighbours.
TEST(TextNumbers, FastAndExactRoadsAgree) {
    GLulong state = 0x9E3779B97F4A7C15ull;
    auto next = [&] { return state = state * 6364136223846793005ull + 1442695040888963407ull; };
    std::vector<GLuint> floats;
    std::vector<GLulong> doubles;
    for (int i = 0; i < 500000; ++i) floats.push_back((GLuint)(next() >> 32));
    for (int i = 0; i < 60000; ++i) doubles.push_back(next());
    // Doubles of everyday size, whose exact road is cheap enough to try often.
    for (int i = 0; i < 250000; ++i) {
        GLulong r = next();
        const GLulong exponent = 1023 - 40 + (r >> 52) % 80;
        doubles.push_back((r & 0x800FFFFFFFFFFFFFull) | exponent << 52);
    }
    for (int i = 0; i < 200000; ++i) floats.push_back((GLuint)(next() >> 32) & 0x807FFFFF);
    for (int i = 0; i < 20000; ++i) doubles.push_back(next() & 0x800FFFFFFFFFFFFFull);
    for (GLuint b = 0; b < 64; ++b) floats.push_back(b), doubles.push_back(b);
    for (int i = 0; i < 1024; ++i) {
        const float v = (float)i;
        for (float x : {v * 0.0009765625f, v, v * 0.5f, -v, 0.5f, 0.25f, 1.0f}) {
            floats.push_back(floatBits(x));
        }
    }
    for (const NumberCase &c : kFixedForms) {
        if (c.isDouble) {
            doubles.push_back(c.bits);
        } else {
            floats.push_back((GLuint)c.bits);
        }
    }
    // Every float integer that is a tie at seven digits, and decimal ties of
    // eight and seventeen digits at every scale with their neighbours.
    for (GLuint n = 10000005; n < (1u << 24); n += 10) floats.push_back(floatBits((float)n));
    for (int i = 0; i < 40000; ++i) {
        char text[48];
        GLulong r = next();
        snprintf(text, sizeof text, "%llu5e%d", (unsigned long long)(1000000 + r % 9000000),
                 (int)((r >> 40) % 84) - 52);
        GLuint fb = floatBits(strtof(text, nullptr));
        snprintf(text, sizeof text, "%llu5e%d",
                 (unsigned long long)(1000000000000000ull + r % 9000000000000000ull),
                 (int)((r >> 40) % 640) - 340);
        GLulong db = doubleBits(strtod(text, nullptr));
        for (int k = -1; k <= 1; ++k) floats.push_back(fb + k), doubles.push_back(db + k);
    }
    for (int e = -330; e <= 310; ++e) {
        char text[32];
        snprintf(text, sizeof text, "1e%d", e);
        GLulong db = doubleBits(strtod(text, nullptr));
        GLuint fb = floatBits(strtof(text, nullptr));
        for (int k = -2; k <= 2; ++k) floats.push_back(fb + k), doubles.push_back(db + k);
    }

    // What the writer prints must be the exact road's bytes; the fast road
    // alone must decide all but a handful.
    size_t floatFallbacks = 0, doubleFallbacks = 0;
    char mine[40], fast[40], exact[40];
    for (GLuint b : floats) {
        size_t e = __glsFormatFloatBy(__GLS_EXACT_ONLY, b, 0, exact);
        ASSERT_EQ(std::string(exact, e), std::string(mine, __glsFormatFloat(b, 0, mine)))
            << "float " << std::hex << b;
        floatFallbacks += !__glsFormatFloatBy(__GLS_FAST_ONLY, b, 0, fast);
    }
    for (GLulong b : doubles) {
        size_t e = __glsFormatDoubleBy(__GLS_EXACT_ONLY, b, 0, exact);
        ASSERT_EQ(std::string(exact, e), std::string(mine, __glsFormatDouble(b, 0, mine)))
            << "double " << std::hex << b;
        doubleFallbacks += !__glsFormatDoubleBy(__GLS_FAST_ONLY, b, 0, fast);
    }
    EXPECT_LE(floatFallbacks, 10u);
    EXPECT_LE(doubleFallbacks, 10u);
}

#if !defined(_WIN32)
// Natively the C library's conversions are correctly rounded with two-digit
// exponents: the formatter must agree with them wherever those digits read
// back as a value, and write the bits exactly where they do not.
// Whether the text reader takes a printed number as a value.
bool readsBack(const char *printed, bool isDouble) {
    __GLStoken t;
    t.length = strcspn(printed, " ");
    memcpy(t.text, printed, t.length);
    t.text[t.length] = 0;
    GLfloat f;
    GLdouble d;
    return isDouble ? __glsParseGLdouble(&t, &d) : __glsParseGLfloat(&t, &f);
}

TEST(TextNumbers, AgreeWithACorrectlyRoundingPrintf) {
    GLulong state = 0x243F6A8885A308D3ull;
    auto next = [&] { return state = state * 6364136223846793005ull + 1442695040888963407ull; };
    for (int i = 0; i < 20000; ++i) {
        GLulong r = next();
        GLuint fb = (GLuint)(r >> 32);
        GLulong db = next();
        if (i % 4 == 0) db = doubleBits((double)(GLint)(r >> 40) / (1 << (r & 15)));
        char mine[40], libc[64];
        float fv;
        double dv;
        memcpy(&fv, &fb, 4);
        memcpy(&dv, &db, 8);
        if ((fb & 0x7F800000) != 0x7F800000) {
            for (GLint width : {0, 11}) {
                size_t n = __glsFormatFloat(fb, width, mine);
                snprintf(libc, sizeof libc, width ? "%-11.7G" : "%.7G", (double)fv);
                if (!readsBack(libc, false)) {
                    snprintf(libc, sizeof libc, width ? "0x%-9X" : "0x%X", fb);
                }
                ASSERT_EQ(std::string(libc), std::string(mine, n)) << std::hex << fb;
            }
        }
        if ((db & 0x7FF0000000000000ull) != 0x7FF0000000000000ull) {
            for (GLint width : {0, 17}) {
                size_t n = __glsFormatDouble(db, width, mine);
                snprintf(libc, sizeof libc, width ? "%-17.16G" : "%.16G", dv);
                if (!readsBack(libc, true)) {
                    snprintf(libc, sizeof libc, width ? "0x%-15llX" : "0x%llX",
                             (unsigned long long)db);
                }
                ASSERT_EQ(std::string(libc), std::string(mine, n)) << std::hex << db;
            }
        }
    }
}
#endif

TEST_F(TextWriter, IdentityMatrix) {
    const float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    begin(__GLS_OP_glLoadMatrixf), p().putGLfloatMatrix(w, m), end();
    EXPECT_EQ("glLoadMatrixf({\n"
              "    1          , 0          , 0          , 0          ,\n"
              "    0          , 1          , 0          , 0          ,\n"
              "    0          , 0          , 1          , 0          ,\n"
              "    0          , 0          , 0          , 1          \n"
              "});\n",
              close());
}

TEST_F(TextWriter, MatrixSpecialValuesAreNotPadded) {
    double m[16] = {0.5, 1.0 / 0.0, 0};
    GLulong nan = 0x7FF8000000000001ull;
    memcpy(&m[2], &nan, 8);
    begin(__GLS_OP_glLoadMatrixd), p().putGLdoubleMatrix(w, m), end();
    std::string s = close();
    std::string row = "    0.5" + std::string(14, ' ') + ", GLS_INF, 0x7FF8000000000001, 0" +
                      std::string(16, ' ') + ",\n";
    EXPECT_EQ("glLoadMatrixd({\n" + row, s.substr(0, 16 + row.size()));
}

TEST_F(TextWriter, ArraysBreakLinesPastFourElements) {
    const GLint v[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    struct Case {
        GLlong n;
        const char *text;
    } cases[] = {
        {0, "{}"},
        {1, "{1}"},
        {4, "{1, 2, 3, 4}"},
        {5, "{\n    1, 2, 3, 4, 5\n}"},
        {10, "{\n    1, 2, 3, 4, 5, 6, 7, 8,\n    9, 10\n}"},
    };
    for (const Case &c : cases) {
        begin(__GLS_OP_glsNumiv), p().putGLintv(w, c.n, v), end();
        EXPECT_EQ(std::string("glsNumiv(") + c.text + ");\n", close()) << c.n;
        Sink::out.clear();
        open(GLS_TEXT, __GLS_WRITE_NO_FRAMING);
    }
}

// Asked to, the writer ends a command's first array after 16 elements, the
// rest standing as ", ...}"; a shorter array, and any array after the
// first, are written whole.
TEST_F(TextWriter, ShortenedArraysKeepTheHeadOfEachCommandsFirstArray) {
    GLint v[40];
    for (int i = 0; i < 40; ++i) v[i] = i + 1;
    GLubyte pixels[40];
    for (int i = 0; i < 40; ++i) pixels[i] = (GLubyte)(i * 7);
    const std::string head = "{\n    1, 2, 3, 4, 5, 6, 7, 8,\n    9, 10, 11, 12, 13, 14, 15, 16, ...}";
    struct Case {
        const char *what;
        void (*write)(TextWriter *, const GLint *, const GLubyte *);
        std::string text;
    } cases[] = {
        {"16 elements", [](TextWriter *t, const GLint *v, const GLubyte *) { t->p().putGLintv(t->w, 16, v); },
         "{\n    1, 2, 3, 4, 5, 6, 7, 8,\n    9, 10, 11, 12, 13, 14, 15, 16\n}"},
        {"17 elements", [](TextWriter *t, const GLint *v, const GLubyte *) { t->p().putGLintv(t->w, 17, v); }, head},
        {"a short array, then a long one",
         [](TextWriter *t, const GLint *v, const GLubyte *) {
             t->p().putGLintv(t->w, 2, v);
             t->p().putGLintv(t->w, 17, v);
         },
         "{1, 2}, {\n    1, 2, 3, 4, 5, 6, 7, 8,\n    9, 10, 11, 12, 13, 14, 15, 16,\n    17\n}"},
        {"two long ones",
         [](TextWriter *t, const GLint *v, const GLubyte *) {
             t->p().putGLintv(t->w, 40, v);
             t->p().putGLintv(t->w, 17, v);
         },
         head + ", {\n    1, 2, 3, 4, 5, 6, 7, 8,\n    9, 10, 11, 12, 13, 14, 15, 16,\n    17\n}"},
        {"an image", [](TextWriter *t, const GLint *, const GLubyte *px) {
             t->p().putGLubyteImage(t->w, 0, 20, 20, 2, 0, 1, 0, 1, px);
         },
         "{\n    0, 7, 14, 21, 28, 35, 42, 49,\n    56, 63, 70, 77, 84, 91, 98, 105, ...}"},
    };
    for (const Case &c : cases) {
        w->shortenArrays = 1;
        for (int command = 0; command < 2; ++command) {
            begin(__GLS_OP_glsNumiv), c.write(this, v, pixels), end();
        }
        std::string line = "glsNumiv(" + c.text + ");\n";
        EXPECT_EQ(line + line, close()) << c.what;
        Sink::out.clear();
        open(GLS_TEXT, __GLS_WRITE_NO_FRAMING);
    }
}

TEST_F(TextWriter, EveryArrayTypeWritesItsOwnForm) {
    const GLbyte b[] = {-128, 127};
    const GLubyte ub[] = {255, 0};
    const GLshort s[] = {-32768, 1};
    const GLushort us[] = {65535, 2};
    const GLuint ui[] = {4294967295u, 3};
    const GLlong l[] = {INT64_MIN, 4};
    const double dv[] = {0.25, -1e-300};
    const GLboolean bo[] = {0, 2};
    begin(__GLS_OP_glsNumbv);
    p().putGLbytev(w, 2, b);
    p().putGLubytev(w, 2, ub);
    p().putGLshortv(w, 2, s);
    p().putGLushortv(w, 2, us);
    p().putGLuintv(w, 2, ui);
    p().putGLlongv(w, 2, l);
    p().putGLdoublev(w, 2, dv);
    p().putGLbooleanv(w, 2, bo);
    end();
    EXPECT_EQ("glsNumbv({-128, 127}, {255, 0}, {-32768, 1}, {65535, 2}, {4294967295, 3}, "
              "{-9223372036854775808, 4}, {0.25, -1E-300}, {GL_FALSE, 2});\n",
              close());
}

TEST_F(TextWriter, ImageFormsCountAcrossRowsAndSwapElements) {
    // Rows of 3 GLushort with 2 bytes of padding; 2 rows, 2 images.
    GLushort data[16];
    for (int i = 0; i < 16; ++i) data[i] = (GLushort)(i + 1);
    const GLubyte swapped[] = {0x01, 0x02};
    begin(__GLS_OP_glsNumsv);
    p().putGLushortImage(w, 0, 3, 2, 2, 0, 2, 0, 1, data);
    p().putGLushortImage(w, 1, 1, 0, 1, 0, 1, 0, 1, swapped);
    p().putGLushortImage(w, 0, 3, 0, 0, 0, 1, 0, 1, data);
    end();
    EXPECT_EQ("glsNumsv({\n    1, 2, 3, 5, 6, 7, 9, 10,\n    11, 13, 14, 15\n}, {258}, {});\n",
              close());
}

TEST_F(TextWriter, BitmapBytesAreTwoUpperCaseDigits) {
    const GLubyte data[] = {0x0F, 0xC3, 0xFF, 0x80};
    begin(__GLS_OP_glBitmap);
    p().putBitmapBits(w, 0, 0, 10, 6, 2, 1, 0, data);
    p().putBitmapBits(w, 1, 0, 8, 0, 1, 1, 0, data);
    end();
    EXPECT_EQ("glBitmap({0x0F, 0xC0, 0xFF, 0x80}, {0xF0});\n", close());
}

TEST_F(TextWriter, VertexDataOfMixedFormatsBreaksEveryEightValues) {
    GLubyte data[24];
    const float a[] = {0.5f, 1.0f}, b[] = {-0.5f, 1.0f};
    const GLubyte ca[] = {255, 0, 0, 255}, cb[] = {0, 255, 0, 255};
    memcpy(data, ca, 4), memcpy(data + 4, a, 8), memcpy(data + 12, cb, 4), memcpy(data + 16, b, 8);
    begin(__GLS_OP_glsDrawVertexArray);
    p().putVertexArrayData(w, 0x2A22, 24, data);
    p().putVertexArrayData(w, 0x2A20, 8, a);  // GL_V2F: a float array
    p().putVertexArrayData(w, 0x2A22, 0, data);
    p().putVertexArrayData(w, 0x1234, 24, data);
    end();
    EXPECT_EQ("glsDrawVertexArray({\n    255, 0, 0, 255, 0.5, 1, 0, 255,\n    0, 255, -0.5, 1\n}, "
              "{0.5, 1}, {}, {});\n",
              close());
}

TEST_F(TextWriter, NamesFallBackToNumbers) {
    begin(__GLS_OP_glsNumiv);
    p().putGLenum(w, 0x9999);
    p().putGLenum(w, (GLenum)-5);
    p().putGLSenum(w, 600);  // outside the GLS names: never looked up
    p().putGLSopcode(w, 496);
    p().putGLSopcode(w, 47);
    p().putTexComponents(w, 4);
    p().putTexComponents(w, 0x4000);
    p().putGLboolean(w, 2);
    p().putOutArg(w, 0, nullptr);
    end();
    EXPECT_EQ("glsNumiv(39321, -5, 600, 496, 47, 4, GL_LIGHT0, 2, 0x0);\n", close());
}

TEST_F(TextWriter, BitfieldsNameRowsInTableOrder) {
    struct Case {
        void(GLSAPI *__GLSputTable::*slot)(__GLSwriter *, GLbitfield);
        GLbitfield mask;
        const char *text;
    } cases[] = {
        {&__GLSputTable::putAttribMask, 0, "GL_NONE"},
        {&__GLSputTable::putAttribMask, 0x100000, "0x100000"},
        {&__GLSputTable::putAttribMask, 0x100001, "GL_CURRENT_BIT | 0x100000"},
        {&__GLSputTable::putAttribMask, 0xFFFFF, "GL_ALL_ATTRIB_BITS"},
        {&__GLSputTable::putAttribMask, 0x20000002, "GL_POINT_BIT | GL_MULTISAMPLE_BIT_EXT"},
        {&__GLSputTable::putClientAttribMask, 3,
         "GL_CLIENT_PIXEL_STORE_BIT | GL_CLIENT_VERTEX_ARRAY_BIT"},
        {&__GLSputTable::putClientAttribMask, 0, "GL_NONE"},
        {&__GLSputTable::putGLSimageFlags, 1, "GLS_IMAGE_NULL_BIT"},
        {&__GLSputTable::putGLSimageFlags, 6, "0x6"},
    };
    for (const Case &c : cases) {
        begin(__GLS_OP_glPushAttrib), (p().*c.slot)(w, c.mask), end();
        EXPECT_EQ(std::string("glPushAttrib(") + c.text + ");\n", close());
        Sink::out.clear();
        open(GLS_TEXT, __GLS_WRITE_NO_FRAMING);
    }
}

TEST_F(TextWriter, ParameterValuesNameOnlyWholeValuesOfTheirParameters) {
    const GLuint nan = 0x7FC00000;
    begin(__GLS_OP_glTexParameterf);
    p().putGLfloatOrEnum(w, 0x2801, floatBits(9729.0f));
    p().putGLfloatOrEnum(w, 0x2801, floatBits(9729.5f));
    p().putGLfloatOrEnum(w, 0x8066, floatBits(1.0f));
    p().putGLfloatOrEnum(w, 0x2801, nan);
    p().putGLfloatOrEnum(w, 0x2801, floatBits(-9729.0f));
    p().putGLdoubleOrEnum(w, 0x2801, doubleBits(9729.0));
    p().putGLdoubleOrEnum(w, 0x2801, doubleBits(4294967296.0 + 9729));
    p().putGLintOrEnum(w, 0x0CF0, 2);
    p().putGLintOrEnum(w, 0x0CF0, 256);
    p().putGLintOrEnum(w, 0x0CF0, -1);
    p().putGLintOrGLSenum(w, 443, 1);
    end();
    EXPECT_EQ("glTexParameterf(GL_LINEAR, 9729.5, 1, 0x7FC00000, -9729, GL_LINEAR, "
              "4294977025, 2, 256, -1, 1);\n",
              close());
}

TEST_F(TextWriter, StringsKeepPrintableCharactersAndEscapeTheRest) {
    struct Case {
        GLSenum type;
        std::vector<GLuint> chars;
        const char *text;
    } cases[] = {
        {GLS_UCS1, {'a', '\n', 'b', '\t'}, "\"a\nb\t\""},
        {GLS_UCS1, {200, '\\', '"'}, "\"\\<C8>\\\\\\\"\""},
        {GLS_UCS2, {0x20AC, 'x'}, "\"\\<20AC>x\""},
        {GLS_UCS4, {0x10348, 0x7F}, "\"\\<10348>\\<7F>\""},
        {0, {'a'}, "\"\""},
    };
    for (const Case &c : cases) {
        ctx()->stringType = c.type;
        std::vector<GLuint> u4(c.chars);
        u4.push_back(0);
        std::vector<GLushort> u2(u4.begin(), u4.end());
        std::vector<GLubyte> u1(u4.begin(), u4.end());
        const void *text = c.type == GLS_UCS4 ? (const void *)u4.data()
                           : c.type == GLS_UCS2 ? (const void *)u2.data()
                                                : (const void *)u1.data();
        begin(__GLS_OP_glsComment), p().putString(w, 0, text), end();
        EXPECT_EQ(std::string("glsComment(") + c.text + ");\n", close());
        Sink::out.clear();
        open(GLS_TEXT, __GLS_WRITE_NO_FRAMING);
    }
}

TEST_F(WriterTest, TextStreamsAreFramedAndFlushedAtTheLimit) {
    open(GLS_TEXT);
    EXPECT_EQ("glsBeginGLS(1, 0);\n", Sink::out);
    std::string expect = Sink::out;
    // Enough commands of about 17 bytes to fill the buffer three times.
    const int commands = 3 * __GLS_WRITER_LIMIT / 17;
    for (int i = 0; i < commands; ++i) {
        ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glCallList, 0));
        w->put.putGLuint(w, (GLuint)i);
        w->put.endCommand(w);
        expect += "glCallList(" + std::to_string(i) + ");\n";
    }
    expect += "glsEndGLS();\n";
    EXPECT_EQ(expect, close());
    ASSERT_GE(Sink::calls.size(), 4u);
    for (size_t i = 1; i + 1 < Sink::calls.size(); ++i) {
        // Each put checks the limit once, then writes one short element.
        EXPECT_GE(Sink::calls[i], (size_t)__GLS_WRITER_LIMIT);
        EXPECT_LT(Sink::calls[i], (size_t)__GLS_WRITER_LIMIT + 32);
    }
}

TEST_F(WriterTest, AFailedTextFlushStopsTheStream) {
    open(GLS_TEXT);
    Sink::shortBy = 1;
    int begun = 0;
    const int commands = 3 * __GLS_WRITER_LIMIT / 17;  // about 17 bytes each
    for (int i = 0; i < commands; ++i) {
        if (!w->put.beginCommand(w, __GLS_OP_glCallList, 0)) continue;
        ++begun;
        w->put.putGLuint(w, (GLuint)i);
        w->put.endCommand(w);
    }
    EXPECT_LT(begun, commands);
    EXPECT_EQ(GLS_IO_ERROR, glsGetError());
    size_t calls = Sink::calls.size();
    close();
    EXPECT_EQ(calls, Sink::calls.size());
    EXPECT_EQ(0u, glsGetError());
}

}  // namespace
