// GLS text as the reader takes it: the number forms of every type, exact
// float conversion, and commands written by hand in every form the text
// allows, each played with glsCallArray into a capture and compared record
// for record with the capture of the calls the text stands for.
#include <gtest/gtest.h>
#include <math.h>
#include <stdint.h>
#include <string.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "api/api.h"
#include "capture/capture.h"
#include "context_test.h"
#include "records.h"
#include "sink.h"
#include "read/text_reader.h"

namespace {

#define CAPTURE(name) __GLS_SLOT(__glsDefaultCaptureTable, name)

const GLubyte *S(const char *text) { return (const GLubyte *)text; }

__GLStoken tok(const char *text) {
    __GLStoken t;
    t.length = strlen(text);
    memcpy(t.text, text, t.length + 1);
    return t;
}

GLuint floatBits(GLfloat f) {
    GLuint b;
    memcpy(&b, &f, 4);
    return b;
}

GLulong doubleBits(GLdouble d) {
    GLulong b;
    memcpy(&b, &d, 8);
    return b;
}

// ------------------------------------------------------------ token forms

struct IntCase {
    const char *token;
    bool ok;
    GLlong value;
};

TEST(TextForms, IntegersOfEveryWidth) {
    struct Form {
        const char *what;
        std::function<bool(const __GLStoken &, GLlong *)> parse;
        std::vector<IntCase> cases;
    };
    const Form forms[] = {
        {"GLint", [](const __GLStoken &t, GLlong *v) { GLint x; bool ok = __glsParseGLint(&t, &x); *v = x; return ok; },
         {{"-2147483648", true, INT32_MIN}, {"2147483648", false, 0}, {"2147483647", true, INT32_MAX},
          {"0xFFFFFFFF", true, -1}, {"0x000000000010", true, 16}, {"0x100000000", false, 0},
          {"-0", true, 0}, {"007", true, 7}, {"+1", false, 0}, {"'A'", true, 65}, {"''''", false, 0},
          {"GL_LIGHTING", true, 0xB50}, {"GLS_TEXT", true, 67}, {"GL_NO_SUCH", false, 0},
          {"1.5", false, 0}, {"0x", false, 0}, {"-", false, 0}, {"0xg", false, 0}}},
        {"GLuint", [](const __GLStoken &t, GLlong *v) { GLuint x; bool ok = __glsParseGLuint(&t, &x); *v = x; return ok; },
         {{"4294967295", true, 4294967295ll}, {"4294967296", false, 0}, {"-1", false, 0},
          {"0xffffffff", true, 4294967295ll}, {"GL_TRUE", true, 1}}},
        {"GLbyte", [](const __GLStoken &t, GLlong *v) { GLbyte x; bool ok = __glsParseGLbyte(&t, &x); *v = x; return ok; },
         {{"0x80", true, -128}, {"128", false, 0}, {"-128", true, -128}, {"0xFF", true, -1},
          {"0x100", false, 0}, {"' '", true, 32}, {"GL_TRUE", false, 0}}},
        {"GLubyte", [](const __GLStoken &t, GLlong *v) { GLubyte x; bool ok = __glsParseGLubyte(&t, &x); *v = x; return ok; },
         {{"255", true, 255}, {"256", false, 0}, {"0xff", true, 255}, {"'A'", true, 65}}},
        {"GLshort", [](const __GLStoken &t, GLlong *v) { GLshort x; bool ok = __glsParseGLshort(&t, &x); *v = x; return ok; },
         {{"-32768", true, -32768}, {"32768", false, 0}, {"0xFFFF", true, -1}}},
        {"GLushort", [](const __GLStoken &t, GLlong *v) { GLushort x; bool ok = __glsParseGLushort(&t, &x); *v = x; return ok; },
         {{"65535", true, 65535}, {"0xF0F0", true, 0xF0F0}, {"0x10000", false, 0}}},
        {"GLboolean", [](const __GLStoken &t, GLlong *v) { GLboolean x; bool ok = __glsParseGLboolean(&t, &x); *v = x; return ok; },
         {{"GL_TRUE", true, 1}, {"GL_FALSE", true, 0}, {"255", true, 255}, {"0x2", true, 2},
          {"'A'", false, 0}, {"GL_ONE", false, 0}}},
        {"GLlong", [](const __GLStoken &t, GLlong *v) { return __glsParseGLlong(&t, v) != 0; },
         {{"-9223372036854775808", true, INT64_MIN}, {"9223372036854775808", false, 0},
          {"0xFFFFFFFFFFFFFFFF", true, -1}, {"0x00FFFFFFFFFFFFFFFF", true, -1},
          {"0x10000000000000000", false, 0}, {"GL_ONE", true, 1}, {"'z'", true, 122}}},
    };
    for (const Form &f : forms) {
        for (const IntCase &c : f.cases) {
            GLlong v = 0;
            const __GLStoken t = tok(c.token);
            EXPECT_EQ(c.ok, f.parse(t, &v)) << f.what << " " << c.token;
            if (c.ok) {
                EXPECT_EQ(c.value, v) << f.what << " " << c.token;
            }
        }
    }
}

// The bits every build must read, whatever its C library: round-to-nearest
// cases that a conversion through a less careful strtod gets wrong, the
// boundaries of the ranges and the special names.
TEST(TextForms, RealsAreReadToTheSameBitsEverywhere) {
    const struct {
        const char *token;
        bool ok;
        GLulong bits;
    } doubles[] = {
        {"0.1", true, 0x3FB999999999999Aull},
        {"1e23", true, 0x44B52D02C7E14AF6ull},
        {"8.589973e9", true, 0x42000004B0400000ull},
        {"9007199254740993", true, 0x4340000000000000ull},  // halfway: to even
        {"9007199254740995", true, 0x4340000000000002ull},
        {"2.2250738585072011e-308", true, 0x000FFFFFFFFFFFFFull},
        {"2.2250738585072014E-308", true, 0x0010000000000000ull},
        {"4.940656458412465E-324", true, 0x0000000000000001ull},
        {"2.4703282292062328e-324", true, 0x0000000000000001ull},  // just above half the smallest
        {"1.7976931348623157E+308", true, 0x7FEFFFFFFFFFFFFFull},
        {"1.7976931348623159e308", false, 0},  // rounds to infinity
        {"1e-400", false, 0},
        {"0e-400", true, 0},
        {"-0", true, 0x8000000000000000ull},
        {"-2.5", true, 0xC004000000000000ull},
        {"1.5e+3", true, doubleBits(1500.0)},
        {"1.", true, doubleBits(1.0)},
        {".5", true, doubleBits(0.5)},
        {"3.1415926535897932384626433832795028841971693993751058209749445923", true,
         0x400921FB54442D18ull},
        {"0.000000000000000000000000000000000000000000000000001", true, 0x3557F1FB6F10934Cull},
        {"123456789012345678901234567890e-20", true, doubleBits(1234567890.1234567)},
        {"1.2.3", false, 0},
        {"+1", false, 0},
        {"1e", false, 0},
        {"e5", false, 0},
        {"0x3FF0000000000000", true, 0x3FF0000000000000ull},
        {"GLS_NAN", true, ~0ull},
        {"GLS_INF", true, 0x7FF0000000000000ull},
        {"-GLS_INF", true, 0xFFF0000000000000ull},
        {"GL_ONE", true, doubleBits(1.0)},
        {"-GL_ONE", false, 0},
    };
    for (const auto &c : doubles) {
        GLdouble d = 0;
        const __GLStoken t = tok(c.token);
        ASSERT_EQ(c.ok, (bool)__glsParseGLdouble(&t, &d)) << c.token;
        if (c.ok) {
            EXPECT_EQ(c.bits, doubleBits(d)) << c.token;
        }
    }
    const struct {
        const char *token;
        bool ok;
        GLuint bits;
    } floats[] = {
        {"0.1", true, 0x3DCCCCCD},
        {"1e39", false, 0},
        {"1e-40", false, 0},  // a subnormal float
        {"1.175494E-38", false, 0},  // FLT_MIN as seven digits: below the normal range
        {"1.1754944E-38", true, 0x00800000},
        {"3.402823E+38", true, 0x7F7FFFFD},
        {"3.4028236E+38", false, 0},
        {"0x3F800000", true, 0x3F800000},
        {"GLS_NAN", true, 0xFFFFFFFF},
        {"-GLS_INF", true, 0xFF800000},
        {"GL_LINEAR", true, floatBits(9729.0f)},
        {"-0", true, 0x80000000},
    };
    for (const auto &c : floats) {
        GLfloat f = 0;
        const __GLStoken t = tok(c.token);
        ASSERT_EQ(c.ok, (bool)__glsParseGLfloat(&t, &f)) << c.token;
        if (c.ok) {
            EXPECT_EQ(c.bits, floatBits(f)) << c.token;
        }
    }
}

#if !defined(_WIN32)
// Natively the C library rounds correctly; the reader's own conversion
// must agree with it on every digit string.
TEST(TextForms, RealsAgreeWithACorrectlyRoundingLibrary) {
    uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    char text[64];
    for (int i = 0; i < 60000; ++i) {
        const uint64_t r = next();
        int n;
        if (i % 3 == 0) {
            // Random bits, printed with 16 or 17 digits.
            GLdouble d;
            const GLulong b = r & 0x7FFFFFFFFFFFFFFFull;
            memcpy(&d, &b, 8);
            if (d != d || d > 1.7976931348623157e308) continue;
            n = snprintf(text, sizeof text, i % 2 ? "%.17g" : "%.16G", d);
        } else {
            // Up to 25 random digits and an exponent anywhere in range.
            const int digits = 1 + (int)(next() % 25);
            n = 0;
            for (int k = 0; k < digits; ++k) text[n++] = (char)('0' + next() % 10);
            n += snprintf(text + n, sizeof text - n, "e%d", (int)(next() % 660) - 340);
        }
        const __GLStoken t = tok(text);
        GLdouble mine = 0, theirs = strtod(text, nullptr);
        const bool ok = __glsStrToDouble(t.text, t.length, &mine);
        const bool nonZeroDigit = strspn(text, "0.") < strcspn(text, "eE");
        if (theirs > 1.7976931348623157e308 || (theirs == 0 && nonZeroDigit)) {
            EXPECT_FALSE(ok) << text;
        } else {
            ASSERT_TRUE(ok) << text;
            ASSERT_EQ(doubleBits(theirs), doubleBits(mine)) << text;
        }
        (void)n;
    }
}
#endif

// ------------------------------------------------------- commands by hand

std::vector<std::pair<GLSopcode, GLSenum>> errors;
std::vector<std::string> unsupported;
void GLSAPI onError(GLSopcode op, GLSenum error) { errors.push_back({op, error}); }
void GLSAPI onUnsupported(const GLubyte *name) { unsupported.push_back((const char *)name); }

struct HandCase {
    const char *text;
    std::function<void()> calls;  // the calls the text stands for, captured
    std::vector<std::pair<GLSopcode, GLSenum>> errors;
};

class TextCommands : public GlsContextTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(GlsContextTest::SetUp());
        for (GLSopcode op = 0; op < GLS_OP_COUNT; ++op) glsCaptureFlags(op, __GLS_CAPTURE_WRITE);
        glsGetError();
        __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glsError, (__GLSfunc)onError);
        __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glsUnsupportedCommand, (__GLSfunc)onUnsupported);
        errors.clear();
        unsupported.clear();
    }

    std::vector<CapturedRecord> expected(const std::function<void()> &calls) {
        EXPECT_TRUE(glsBeginCapture(S("want"), GLS_CONTEXT, 0));
        calls();
        glsEndCapture();
        std::vector<CapturedRecord> r = capturedRecords("want");
        glsDeleteStream(S("want"));
        return r;
    }

    std::vector<CapturedRecord> played(const std::string &text) {
        EXPECT_TRUE(glsBeginCapture(S("got"), GLS_CONTEXT, 0));
        glsCallArray(GLS_TEXT, text.size(), (const GLubyte *)text.data());
        glsEndCapture();
        std::vector<CapturedRecord> r = capturedRecords("got");
        glsDeleteStream(S("got"));
        return r;
    }

    void check(const std::vector<HandCase> &cases) {
        for (const HandCase &c : cases) {
            errors.clear();
            const std::vector<CapturedRecord> want = expected(c.calls), got = played(c.text);
            EXPECT_TRUE(want == got) << c.text << "\nwant " << describe(want) << "\ngot  " << describe(got);
            EXPECT_EQ(c.errors, errors) << c.text;
            EXPECT_EQ(0u, glsGetError()) << c.text;
        }
    }
};

const GLfloat f3[3] = {1.0f, 0.5f, 0.0f};
const GLubyte ub3[3] = {255, 255, 65};
const GLbyte b3[3] = {-128, 0, 0};
const GLdouble plane[4] = {1, 0, 0, -2.5};

std::pair<GLSopcode, GLSenum> decodeError(GLSopcode op) { return {op, GLS_DECODE_ERROR}; }

TEST_F(TextCommands, SpacingCommentsAndNumberFormsDecodeAlike) {
    check({
        {"glBegin(GL_POINTS);", [] { CAPTURE(glBegin)(GL_POINTS); }, {}},
        {"glBegin( GL_POINTS ) ;", [] { CAPTURE(glBegin)(GL_POINTS); }, {}},
        {"glBegin(0);", [] { CAPTURE(glBegin)(GL_POINTS); }, {}},
        {"glBegin(#mode\n 0 # points\n) # done\n;", [] { CAPTURE(glBegin)(GL_POINTS); }, {}},
        {"glColor3ubv({255, 0xff, 'A'});", [] { CAPTURE(glColor3ubv)(ub3); }, {}},
        {"glColor3bv({0x80, 0, 0});", [] { CAPTURE(glColor3bv)(b3); }, {}},
        {"glColor3bv({128, 0, 0});", [] {}, {decodeError(__GLS_OP_glColor3bv)}},
        {"glColor3fv({1, 0.5, 0});", [] { CAPTURE(glColor3fv)(f3); }, {}},
        {"glColor3fv({1, 5e-1, 0,});", [] { CAPTURE(glColor3fv)(f3); }, {}},
        {"glColor3fv({1, 0.5});", [] {}, {decodeError(__GLS_OP_glColor3fv)}},
        {"glClipPlane(GL_CLIP_PLANE0, {1, 0, 0, -2.5});",
         [] { CAPTURE(glClipPlane)(GL_CLIP_PLANE0, plane); }, {}},
        {"glFogi(GL_FOG_MODE, GL_LINEAR);", [] { CAPTURE(glFogi)(GL_FOG_MODE, GL_LINEAR); }, {}},
        {"glFogf(GL_FOG_MODE, GL_LINEAR);", [] { CAPTURE(glFogf)(GL_FOG_MODE, (GLfloat)GL_LINEAR); }, {}},
        {"glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);", [] { CAPTURE(glClear)(0x4100); }, {}},
        {"glClear(0x4100);", [] { CAPTURE(glClear)(0x4100); }, {}},
        {"glPushAttrib(GL_ALL_ATTRIB_BITS);", [] { CAPTURE(glPushAttrib)(0xFFFFF); }, {}},
        {"glGenLists(3);", [] { CAPTURE(glGenLists)(3); }, {}},
        // The test's own glsError call function takes the decoded command.
        {"glsError(GLS_OP_glBegin, GLS_DECODE_ERROR);", [] {}, {{55, 128}}},
        {"glsError(55, 128);", [] {}, {{55, 128}}},
        {"glEnable(GL_LIGHTING, 1);", [] { CAPTURE(glEnable)(GL_LIGHTING); },
         {decodeError(__GLS_OP_glEnable)}},
        {"glLineStipple(3, 0xABCD);", [] { CAPTURE(glLineStipple)(3, 0xABCD); }, {}},
    });
}

TEST_F(TextCommands, StringsInPiecesAndEscapes) {
    check({
        {"glsComment(\"say \\\"hi\" \"\\\" twice\");", [] { CAPTURE(glsComment)(S("say \"hi\" twice")); }, {}},
        {"glsComment(\"\\<41>\\\\\");", [] { CAPTURE(glsComment)(S("A\\")); }, {}},
        {"glsComment(\"a\" # between the pieces\n \"b\");", [] { CAPTURE(glsComment)(S("ab")); }, {}},
        {"glsComment(\"\\<>x;\"); glEnd();", [] { CAPTURE(glEnd)(); },
         {decodeError(__GLS_OP_glsComment)}},
        {"glsComment(\"\\<123456789>\"); glEnd();", [] { CAPTURE(glEnd)(); },
         {decodeError(__GLS_OP_glsComment)}},
        {"glsString(\"Info\", \"x\");", [] { CAPTURE(glsString)(S("Info"), S("x")); }, {}},
        // A bad command's ';' or escaped quote inside a string does not end
        // the skip; an escaped backslash before the quote does end it.
        {"glBegin(\"a;\\\";\" x); glEnd();", [] { CAPTURE(glEnd)(); }, {decodeError(__GLS_OP_glBegin)}},
        {"glBegin(\"a\\\\\" x; glEnd();", [] { CAPTURE(glEnd)(); }, {decodeError(__GLS_OP_glBegin)}},
    });
}

TEST_F(TextCommands, UnknownCommandsAndBrokenCommandsAreSkipped) {
    check({
        {"glFoo(1, 2); glEnd();", [] { CAPTURE(glEnd)(); }, {}},
        {"glBegin(GL_NO_SUCH_NAME); glEnd();", [] { CAPTURE(glEnd)(); }, {decodeError(__GLS_OP_glBegin)}},
        {"glsEndGLS(1); glEnd();", [] { CAPTURE(glEnd)(); }, {decodeError(__GLS_OP_glsEndGLS)}},
        {"{ glEnd();", [] {}, {decodeError(0)}},
    });
    EXPECT_EQ(std::vector<std::string>{"glFoo"}, unsupported);
}

TEST_F(TextCommands, TokensHoldAtMost255Characters) {
    const std::string name255(255, 'x'), name256(256, 'x');
    errors.clear();
    played(name255 + "(); glEnd();");
    EXPECT_EQ(std::vector<std::string>{name255}, unsupported);
    EXPECT_TRUE(errors.empty());
    unsupported.clear();
    played(name256 + "(); glEnd();");
    EXPECT_TRUE(unsupported.empty());
    EXPECT_EQ((std::vector<std::pair<GLSopcode, GLSenum>>{decodeError(0)}), errors);
}

}  // namespace

namespace {

GLfloat points12[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
GLdouble points48[48];
const GLubyte bitmap4[4] = {1, 2, 3, 4};
const GLushort pixels16[4] = {1, 0xFFFF, 3, 0x8000};
const GLfloat matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, 0.25f, 0, 1};

std::string list(int n) {
    std::string s = "{";
    for (int i = 1; i <= n; ++i) s += std::to_string(i) + (i < n ? ", " : "");
    return s + "}";
}

std::pair<GLSopcode, GLSenum> parameterError(GLSopcode op) { return {op, GLS_PARAMETER_ERROR}; }

TEST_F(TextCommands, ArraysSizedByTheArgumentsBeforeThem) {
    for (int i = 0; i < 48; ++i) points48[i] = i + 1;
    const std::string m16 = "glLoadMatrixf({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5, 0.25, 0, 1,});";
    check({
        {m16.c_str(), [] { CAPTURE(glLoadMatrixf)(matrix); }, {}},
        {"glLoadMatrixf({1, 0, 0, 0});", [] {}, {decodeError(__GLS_OP_glLoadMatrixf)}},
        // A negative count asks for an empty list, and the call gets it.
        {"glsNumfv(\"n\", -2, {});", [] { CAPTURE(glsNumfv)(S("n"), -2, nullptr); }, {}},
        {"glPixelMapfv(GL_PIXEL_MAP_I_TO_R, -1, {,});",
         [] { CAPTURE(glPixelMapfv)(GL_PIXEL_MAP_I_TO_R, -1, nullptr); }, {}},
        {"glDeleteTextures(-3, {});", [] { CAPTURE(glDeleteTextures)(-3, nullptr); }, {}},
        {"glPrioritizeTextures(-1, {}, {});", [] { CAPTURE(glPrioritizeTextures)(-1, nullptr, nullptr); }, {}},
        {"glPrioritizeTextures(2, {1}, {0.5, 1});", [] {}, {decodeError(__GLS_OP_glPrioritizeTextures)}},
        // A count that would take more bytes than the address space holds
        // costs only what the elements read take.
        {"glsNumdv(\"n\", 536870912, {1.5, 2.5});", [] {}, {decodeError(__GLS_OP_glsNumdv)}},
        {"glsNumdv(\"n\", 2147483647, {});", [] {}, {decodeError(__GLS_OP_glsNumdv)}},
        // A name no size function knows: an empty list, and the call.
        {"glLightfv(GL_LIGHT0, 0x1234, {});", [] { CAPTURE(glLightfv)(GL_LIGHT0, 0x1234, points12); }, {}},
        {"glLightfv(GL_LIGHT0, GL_POSITION, {1, 2, 3, 4});",
         [] { CAPTURE(glLightfv)(GL_LIGHT0, GL_POSITION, points12); }, {}},
        {"glCallLists(2, GL_3_BYTES, {1, 2, 3, 4, 5, 6});",
         [] { static const GLubyte b[6] = {1, 2, 3, 4, 5, 6}; CAPTURE(glCallLists)(2, GL_3_BYTES, b); }, {}},
        // Maps: the points the strides and orders reach must have been read.
        {("glMap1f(GL_MAP1_VERTEX_3, 0, 1, 3, 4, " + list(12) + ");").c_str(),
         [] { CAPTURE(glMap1f)(GL_MAP1_VERTEX_3, 0, 1, 3, 4, points12); }, {}},
        {("glMap1f(GL_MAP1_VERTEX_3, 0, 1, 4, 4, " + list(12) + ");").c_str(), [] {},
         {parameterError(__GLS_OP_glMap1f)}},
        {"glMap1f(GL_MAP1_VERTEX_3, 0, 1, 2, 4, {});",
         [] { CAPTURE(glMap1f)(GL_MAP1_VERTEX_3, 0, 1, 2, 4, points12); }, {}},
        {("glMap2d(GL_MAP2_VERTEX_3, 0, 1, 3, 4, 0, 1, 12, 4, " + list(48) + ");").c_str(),
         [] { CAPTURE(glMap2d)(GL_MAP2_VERTEX_3, 0, 1, 3, 4, 0, 1, 12, 4, points48); }, {}},
        {("glMap2d(GL_MAP2_VERTEX_3, 0, 1, 12, 4, 0, 1, 3, 4, " + list(48) + ");").c_str(),
         [] { CAPTURE(glMap2d)(GL_MAP2_VERTEX_3, 0, 1, 12, 4, 0, 1, 3, 4, points48); }, {}},
        {("glMap2d(GL_MAP2_VERTEX_3, 0, 1, 3, 4, 0, 1, 13, 4, " + list(48) + ");").c_str(), [] {},
         {parameterError(__GLS_OP_glMap2d)}},
    });
}

// What the out-argument record says while a decoded query runs.
std::string outArgsSeen;
void GLSAPI onGetClipPlane(GLenum, GLdouble *equation) {
    const __GLSoutArgs &o = __glsGetContext()->outArgs;
    outArgsSeen = std::to_string(o.count) + " " + std::to_string(o.sizes[0]) + " " +
                  std::to_string(o.pointers[0]);
    for (int i = 0; i < 4; ++i) equation[i] = 1;  // all four are the GL's to write
}

TEST_F(TextCommands, QueriesCarryOnlyThePointerValuesOfTheirOutputs) {
    check({
        {"glGetClipPlane(GL_CLIP_PLANE0, 4096);",
         [] { CAPTURE(glGetClipPlane)(GL_CLIP_PLANE0, (GLdouble *)(uintptr_t)4096); }, {}},
        {"glGetFloatv(GL_VIEWPORT, 0x7FFF0000);",
         [] { CAPTURE(glGetFloatv)(GL_VIEWPORT, (GLfloat *)(uintptr_t)0x7FFF0000); }, {}},
        {"glGetFloatv(GL_VIEWPORT, {1, 2});", [] {}, {decodeError(__GLS_OP_glGetFloatv)}},
        {"glGenTextures(-1, 16);", [] { CAPTURE(glGenTextures)(-1, (GLuint *)(uintptr_t)16); }, {}},
        {"glGetSeparableFilter(GL_SEPARABLE_2D, GL_RGBA, GL_UNSIGNED_BYTE, 16, 32, 48);",
         [] {
             CAPTURE(glGetSeparableFilter)(GL_SEPARABLE_2D, GL_RGBA, GL_UNSIGNED_BYTE,
                                           (GLvoid *)(uintptr_t)16, (GLvoid *)(uintptr_t)32,
                                           (GLvoid *)(uintptr_t)48);
         },
         {}},
    });
    // A feedback buffer of 8 GB is more than a decoder may take.
    errors.clear();
    played("glFeedbackBuffer(2147483647, GL_3D, 16);");
    EXPECT_EQ((std::vector<std::pair<GLSopcode, GLSenum>>{{__GLS_OP_glFeedbackBuffer, GLS_RESOURCE_ERROR}}),
              errors);
    EXPECT_EQ((GLSenum)GLS_RESOURCE_ERROR, glsGetError());
    errors.clear();
    // During the call the record names the one output; afterwards it is as
    // it was.
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glGetClipPlane, (__GLSfunc)onGetClipPlane);
    ctx()->outArgs.count = 7;
    const std::string text = "glGetClipPlane(GL_CLIP_PLANE0, 4096); glGetClipPlane(GL_CLIP_PLANE0, x);";
    glsCallArray(GLS_TEXT, text.size(), S(text.c_str()));
    EXPECT_EQ("1 4 4096", outArgsSeen);
    EXPECT_EQ(7, ctx()->outArgs.count);
    EXPECT_EQ((std::vector<std::pair<GLSopcode, GLSenum>>{decodeError(__GLS_OP_glGetClipPlane)}), errors);
}

TEST_F(TextCommands, ImagesOpenWithTheirFlags) {
    check({
        {"glTexImage2D(GLS_IMAGE_NULL_BIT)(GL_TEXTURE_2D, 0, 4, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, {});",
         [] { CAPTURE(glTexImage2D)(GL_TEXTURE_2D, 0, 4, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr); }, {}},
        {"glTexImage2D(2)(GL_TEXTURE_2D, 0, 4, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, {});", [] {},
         {parameterError(__GLS_OP_glTexImage2D)}},
        {"glBitmap(GLS_IMAGE_NULL_BIT)(9, 2, 0, 0, 1, 1, {1, 2, 3, 4});", [] {},
         {parameterError(__GLS_OP_glBitmap)}},
        {"glBitmap(GLS_NONE)(9, 2, 0, 0, 1, 1, {1, 2, 3, 4});",
         [] { CAPTURE(glBitmap)(9, 2, 0, 0, 1, 1, bitmap4); }, {}},
        {"glBitmap(0)(9, 2, 0, 0, 1, 1, {1, 2, 3});", [] {}, {decodeError(__GLS_OP_glBitmap)}},
        {"glBitmap(0)(9, 2, 0, 0, 1, 1 {1, 2, 3, 4});", [] {}, {decodeError(__GLS_OP_glBitmap)}},
        {"glDrawPixels(0)(2, 1, GL_LUMINANCE_ALPHA, GL_UNSIGNED_SHORT, {1, 0xFFFF, 3, 0x8000});",
         [] { CAPTURE(glDrawPixels)(2, 1, GL_LUMINANCE_ALPHA, GL_UNSIGNED_SHORT, pixels16); }, {}},
        {"glTexImage3D(0)(GL_TEXTURE_3D, 0, GL_RGBA, 1, 1, -1, 0, GL_RGBA, GL_UNSIGNED_BYTE, {});",
         [] { CAPTURE(glTexImage3D)(GL_TEXTURE_3D, 0, GL_RGBA, 1, 1, -1, 0, GL_RGBA, GL_UNSIGNED_BYTE, bitmap4); }, {}},
    });
}

// Every float and double a text capture writes reads back from its replay
// as a value: the same one, or, where the text holds it to 7 or 16 digits,
// the nearest those digits allow; never a command dropped for a value the
// reader refuses. Subnormals, the limits and their neighbours, zeros of
// both signs, infinities and NaNs, as scalars, vectors and padded matrices.
TEST_F(TextCommands, EveryFloatAndDoubleReadsBackAsAValue) {
    static const GLuint floats[16] = {
        0x00000000, 0x80000000, 0x00000001, 0x807FFFFF, 0x00400000, 0x00800000, 0x80800001,
        0x00800002, 0x7F7FFFFF, 0xFF7FFFFE, 0x3F800000, 0x3DCCCCCD, 0x7F800000, 0xFF800000,
        0x7FC00000, 0x0DA24260};
    static const GLulong doubles[16] = {
        0x0000000000000000ull, 0x8000000000000000ull, 0x0000000000000001ull,
        0x800FFFFFFFFFFFFFull, 0x0010000000000000ull, 0x8010000000000001ull,
        0x7FEFFFFFFFFFFFFFull, 0xFFEFFFFFFFFFFFFEull, 0x7FEFFFFFFFFFFFFDull,
        0x3FF0000000000000ull, 0x3FB999999999999Aull, 0x7FF0000000000000ull,
        0xFFF0000000000000ull, 0x7FF8000000000001ull, 0x3810000000000000ull,
        0x47EFFFFFE0000000ull};
    static std::vector<GLuint> floatsRead;
    static std::vector<GLulong> doublesRead;
    struct Fn {
        static void GLSAPI color3fv(const GLfloat *v) { floatsRead.push_back(floatBits(v[1])); }
        static void GLSAPI clearDepth(GLclampd d) { doublesRead.push_back(doubleBits(d)); }
        static void GLSAPI loadMatrixf(const GLfloat *m) {
            for (int i = 0; i < 16; ++i) floatsRead.push_back(floatBits(m[i]));
        }
        static void GLSAPI loadMatrixd(const GLdouble *m) {
            for (int i = 0; i < 16; ++i) doublesRead.push_back(doubleBits(m[i]));
        }
    };
    GLfloat fm[16];
    GLdouble dm[16];
    memcpy(fm, floats, sizeof fm);
    memcpy(dm, doubles, sizeof dm);
    ctx()->writeFunc = Sink::write;
    Sink::reset();
    ASSERT_TRUE(glsBeginCapture(S(""), GLS_TEXT, 0));
    for (GLfloat f : fm) {
        const GLfloat v[3] = {1, f, 1};
        CAPTURE(glColor3fv)(v);
    }
    for (GLdouble d : dm) CAPTURE(glClearDepth)(d);
    CAPTURE(glLoadMatrixf)(fm);
    CAPTURE(glLoadMatrixd)(dm);
    glsEndCapture();
    const std::string text = Sink::out;

    floatsRead.clear();
    doublesRead.clear();
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glColor3fv, (__GLSfunc)Fn::color3fv);
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glClearDepth, (__GLSfunc)Fn::clearDepth);
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glLoadMatrixf, (__GLSfunc)Fn::loadMatrixf);
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glLoadMatrixd, (__GLSfunc)Fn::loadMatrixd);
    glsCallArray(GLS_TEXT, text.size(), S(text.c_str()));
    EXPECT_TRUE(errors.empty()) << text;
    ASSERT_EQ(32u, floatsRead.size()) << text;
    ASSERT_EQ(32u, doublesRead.size()) << text;
    for (size_t i = 0; i < 32; ++i) {
        const GLuint want = floats[i % 16], got = floatsRead[i];
        GLfloat w, g;
        memcpy(&w, &want, 4);
        memcpy(&g, &got, 4);
        // Seven digits are within half a unit of their last place.
        if (want != got) {
            EXPECT_TRUE((want >> 31) == (got >> 31) && w == w && fabs((double)g - w) <= 5e-7 * fabs(w))
                << std::hex << want << " read as " << got << "\n" << text;
        }
    }
    for (size_t i = 0; i < 32; ++i) {
        const GLulong want = doubles[i % 16], got = doublesRead[i];
        GLdouble w, g;
        memcpy(&w, &want, 8);
        memcpy(&g, &got, 8);
        if (want != got) {
            EXPECT_TRUE((want >> 63) == (got >> 63) && w == w && fabs(g - w) <= 5e-16 * fabs(w))
                << std::hex << want << " read as " << got << "\n" << text;
        }
    }
}

// What the binary decoders refuse, text refuses too: a count whose bytes
// pass what a size holds, read as an empty array, and an image whose bytes
// the table cannot tell (a format it does not know, a size past 31 bits);
// a GL would read either from beyond the array. A type that no rule knows
// stays the GL's to refuse, and a null image has nothing to read.
TEST_F(TextCommands, ArraysWhoseBytesCannotBeCountedAreRefused) {
    check({
        {"glCallLists(536870912, GL_UNSIGNED_INT, {});", [] {}, {decodeError(__GLS_OP_glCallLists)}},
        {"glDrawElements(GL_POINTS, 1073741824, GL_UNSIGNED_SHORT, {});", [] {},
         {decodeError(__GLS_OP_glDrawElements)}},
        {"glsDrawVertexArray(GL_POINTS, GL_V2F, 268435456, {});", [] {},
         {decodeError(__GLS_OP_glsDrawVertexArray)}},
        {"glMap1f(GL_MAP1_VERTEX_4, 0, 1, 4, 1073741824, {});", [] {},
         {parameterError(__GLS_OP_glMap1f)}},
        {"glTexImage1D(0)(GL_TEXTURE_1D, 0, 4, 2, 0, 0x1234, GL_UNSIGNED_BYTE, {});", [] {},
         {decodeError(__GLS_OP_glTexImage1D)}},
        {"glTexImage2D(0)(GL_TEXTURE_2D, 0, 4, 65536, 65536, 0, GL_RGBA, GL_UNSIGNED_BYTE, {});",
         [] {}, {decodeError(__GLS_OP_glTexImage2D)}},
        {"glDrawPixels(0)(1, 1, GL_RGBA, 0x1234, {});", [] {}, {decodeError(__GLS_OP_glDrawPixels)}},
        {"glCallLists(2, 0x1234, {});", [] { CAPTURE(glCallLists)(2, 0x1234, bitmap4); }, {}},
        {"glTexImage1D(GLS_IMAGE_NULL_BIT)(GL_TEXTURE_1D, 0, 4, 2, 0, 0x1234, GL_UNSIGNED_BYTE, {});",
         [] { CAPTURE(glTexImage1D)(GL_TEXTURE_1D, 0, 4, 2, 0, 0x1234, GL_UNSIGNED_BYTE, nullptr); }, {}},
    });
}

TEST_F(TextCommands, ImageCommandsSetThePackedModesOnceUntilThePixelStoreChanges) {
    const std::string image = "glDrawPixels(0)(1, 1, GL_RGBA, GL_UNSIGNED_BYTE, {1, 2, 3, 4});";
    auto play = [](const std::string &text) { glsCallArray(GLS_TEXT, text.size(), S(text.c_str())); };
    glsCaptureFlags(__GLS_OP_glPixelStorei, 1);
    ctx()->glInfo.unpackDefaultsSet = 0;
    play(image);
    EXPECT_EQ(1, ctx()->glInfo.unpackDefaultsSet);
    play("glPixelStorei(GL_UNPACK_ALIGNMENT, 4);");
    EXPECT_EQ(0, ctx()->glInfo.unpackDefaultsSet);
    play("glPixelStorei(GL_UNPACK_ALIGNMENT, x);");
    play(image + image);
    EXPECT_EQ(1, ctx()->glInfo.unpackDefaultsSet);
    GLint alignment = 0;
    __glsClientGetInteger(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(1, alignment);
}

}  // namespace
