// The native binary decoders: every opcode captured into a context stream
// and played back with glsCallStream calls its command with the arguments
// it was captured with; the layouts that are easy to get wrong, checked
// argument by argument with distinct values; a short frame captured through
// the exported entry points; the out-argument record, the pixel-store
// flags, strings; and records that claim more than they hold.
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "api/api.h"
#include "capture/capture.h"
#include "stream/context_stream.h"
#include "context_test.h"
#include "gls_entry.h"
#include "read/decode.h"
#include "gls_capture_sweep.h"
#include "records.h"
#include "api/gls_commands.h"

namespace {

#define CAPTURE(name) __GLS_SLOT(__glsDefaultCaptureTable, name)
#define OP(name) __GLS_OP_##name

const GLubyte *S(const char *text) { return (const GLubyte *)text; }

typedef CapturedRecord Rec;

__GLScontextStream *stream(const char *name) {
    return (__GLScontextStream *)__glsStrDictLookup(__glsGetContext()->contextStreamDict, S(name));
}

// Each record of a context stream in order: opcode, argument block in place
// in the stream, argument bytes.
void eachRecordOf(const char *name, const std::function<void(GLSopcode, GLubyte *, size_t)> &fn) {
    __GLScontextStream *s = stream(name);
    if (!s) {
        ADD_FAILURE() << "no stream " << name;
        return;
    }
    __GLScontextBlock *first = __glsContextStreamFirstBlock(s), *b = first;
    do {
        eachRecord(b->data, b->writePtr, [&](const StreamRecord &r) {
            fn(r.op, (GLubyte *)r.args, r.bytes);
        });
        b = (__GLScontextBlock *)b->link.next;
    } while (b != first);
}

// The records that the capture wrote, without the writer's own: the framing
// glsBeginGLS and glsEndGLS and the alignment pads.
bool writersOwn(GLSopcode op) {
    return op == OP(glsPad) || op == OP(glsBeginGLS) || op == OP(glsEndGLS);
}

std::vector<Rec> records(const char *name) { return capturedRecords(name); }

// The argument block of the first record that the capture wrote, in place.
GLubyte *firstBlock(const char *name) {
    GLubyte *first = nullptr;
    eachRecordOf(name, [&](GLSopcode op, GLubyte *args, size_t) {
        if (!first && !writersOwn(op)) first = args;
    });
    return first;
}

// ------------------------------------------------------------- recording

std::vector<std::string> calls;  // what the recording call functions saw

std::string hex(const void *p, size_t n) {
    std::string s;
    char b[3];
    for (size_t i = 0; i < n; ++i) {
        snprintf(b, sizeof b, "%02x", ((const GLubyte *)p)[i]);
        s += b;
    }
    return s;
}
// Floats and doubles by their bits.
std::string arg(GLfloat v) { return hex(&v, 4); }
std::string arg(GLdouble v) { return hex(&v, 8); }
std::string arg(GLuint v) { return std::to_string(v); }
std::string arg(GLint v) { return std::to_string(v); }
std::string arg(GLushort v) { return "u" + std::to_string(v); }
std::string arg(GLboolean v) { return "b" + std::to_string(v); }
std::string arg(const void *p) { return p ? "p" + std::to_string((uintptr_t)p) : "null"; }
std::string arg(const std::string &s) { return s; }

template <typename... A>
std::string line(const char *name, A... a) {
    std::string s = name;
    const std::vector<std::string> parts{arg(a)...};
    for (const std::string &t : parts) s += " " + t;
    return s;
}
template <typename... A>
void record(const char *name, A... a) {
    calls.push_back(line(name, a...));
}

std::vector<std::pair<GLSopcode, GLSenum>> errors;
void GLSAPI recError(GLSopcode op, GLSenum error) { errors.push_back({op, error}); }

std::vector<GLSopcode> replayed;
void GLSAPI logEntry(GLSopcode op) {
    if (__glsGetContext()->callNesting > 0) replayed.push_back(op);
}

class DecodeNative : public GlsContextTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(GlsContextTest::SetUp());
        for (size_t i = 0; i < sizeof sweepIn; ++i) sweepIn[i] = (GLubyte)(i * 37 + 11);
        calls.clear();
        errors.clear();
        glsGetError();
    }
    void TearDown() override {
        for (const char *s : {"a", "b"}) {
            if (glsIsContextStream(S(s))) glsDeleteStream(S(s));
        }
        GlsContextTest::TearDown();
    }
    // Runs body inside a capture into the context stream "a", with the
    // given opcodes written only, not executed.
    void capture(std::initializer_list<GLSopcode> ops, const std::function<void()> &body) {
        for (GLSopcode op : ops) glsCaptureFlags(op, __GLS_CAPTURE_WRITE);
        ASSERT_TRUE(glsBeginCapture(S("a"), GLS_CONTEXT, 0));
        body();
        glsEndCapture();
    }
    void install(GLSopcode op, __GLSfunc fn) { __glsSetCommandFunc(GLS_CALL_FUNC, op, fn); }
    void replay() {
        calls.clear();
        EXPECT_EQ((GLSenum)GLS_CONTEXT, glsCallStream(S("a")));
    }
};

// ------------------------------------------------------ every opcode, once

TEST_F(DecodeNative, EveryOpcodeHasANativeDecoder) {
    for (const CaptureSweep &s : captureSweep) {
        EXPECT_NE(nullptr, __glsDispatchDecode_bin_default[s.op]) << s.name;
        EXPECT_NE(nullptr, ctx()->decodeFuncs[s.op]) << s.name;
    }
    for (GLSopcode op = 1; op <= 10; ++op) EXPECT_NE(nullptr, __glsDispatchDecode_bin_default[op]);
}

// Played back inside a second capture, each decoded call is captured again:
// the record it makes holds, bit for bit, the arguments the decoder passed,
// so it equals the record the sweep's sample arguments made.
TEST_F(DecodeNative, EveryOpcodeReplaysIntoTheRecordItWasCapturedAs) {
    glsCaptureFunc(GLS_CAPTURE_ENTRY_FUNC, logEntry);
    for (const CaptureSweep &s : captureSweep) {
        SCOPED_TRACE(s.name);
        GLbitfield flags[GLS_OP_COUNT];
        for (GLSopcode op = 0; op < GLS_OP_COUNT; ++op) flags[op] = glsGetCaptureFlags(op);
        glsGetError();  // the opcodes without a command
        capture({s.op}, s.call);
        const std::vector<Rec> a = records("a");
        // The calls the records stand for; the compact glBegin records
        // stand for glBegin.
        std::vector<GLSopcode> ops;
        for (const Rec &r : a) ops.push_back(r.op < 16 ? OP(glBegin) : r.op);
        // The framing commands are the writer's: a capture writes none itself.
        EXPECT_EQ(writersOwn(s.op), ops.end() == std::find(ops.begin(), ops.end(), s.op));

        // The outer glsCallStream executes; as a replayed record it is
        // executed and written again.
        const bool callStream = s.op == OP(glsCallStream);
        for (GLSopcode op : ops) glsCaptureFlags(op, __GLS_CAPTURE_WRITE | __GLS_CAPTURE_CALLBACKS);
        glsCaptureFlags(OP(glsCallStream), callStream ? 3 | __GLS_CAPTURE_CALLBACKS : 1);
        ASSERT_TRUE(glsBeginCapture(S("b"), GLS_CONTEXT, 0));
        replayed.clear();
        EXPECT_EQ((GLSenum)GLS_CONTEXT, glsCallStream(S("a")));
        glsEndCapture();
        std::vector<Rec> b = records("b");
        if (callStream && !b.empty()) b.pop_back();  // the outer call's own record
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) {
            EXPECT_TRUE(a[i] == b[i]) << "captured " << a[i].op << " " << hex(a[i].args.data(), a[i].args.size())
                                      << "\nreplayed " << b[i].op << " " << hex(b[i].args.data(), b[i].args.size());
        }
        EXPECT_EQ(ops, replayed);
        GLSenum error = glsGetError();
        if (!callStream) {
            EXPECT_EQ(0u, error);
        }

        for (GLSopcode op : ops) glsCaptureFlags(op, flags[op]);
        glsCaptureFlags(OP(glsCallStream), flags[OP(glsCallStream)]);
        glsDeleteStream(S("a"));
        glsDeleteStream(S("b"));
    }
}

// ------------------------------------- layouts, with every argument distinct

void GLSAPI recMapGrid2d(GLint un, GLdouble u1, GLdouble u2, GLint vn, GLdouble v1, GLdouble v2) {
    record("glMapGrid2d", un, u1, u2, vn, v1, v2);
}
void GLSAPI recBeginGLS(GLint major, GLint minor) { record("glsBeginGLS", major, minor); }
void GLSAPI recTexGend(GLenum c, GLenum p, GLdouble v) { record("glTexGend", c, p, v); }
void GLSAPI recLineStipple(GLint f, GLushort p) { record("glLineStipple", f, p); }
void GLSAPI recColorMask(GLboolean r, GLboolean g, GLboolean b, GLboolean a) {
    record("glColorMask", r, g, b, a);
}
void GLSAPI recRotated(GLdouble a, GLdouble x, GLdouble y, GLdouble z) {
    record("glRotated", a, x, y, z);
}
void GLSAPI recClipPlane(GLenum p, const GLdouble *e) { record("glClipPlane", p, hex(e, 32)); }
void GLSAPI recNumd(const GLubyte *tag, GLdouble v) {
    record("glsNumd", std::string((const char *)tag), v);
}
void GLSAPI recString(const GLubyte *tag, const GLubyte *s) {
    record("glsString", std::string((const char *)tag), std::string((const char *)s));
}
void GLSAPI recPrioritize(GLsizei n, const GLuint *t, const GLclampf *p) {
    record("glPrioritizeTextures", n, hex(t, 4 * n), hex(p, 4 * n));
}
void GLSAPI recVertexPointerEXT(GLint s, GLenum t, GLsizei st, GLsizei c, const GLvoid *p) {
    record("glVertexPointerEXT", s, t, st, c, p, hex(&__glsGetContext()->lastOutPointer, 8));
}
void GLSAPI recGetHistogram(GLenum t, GLboolean r, GLenum f, GLenum ty, GLvoid *v) {
    const __GLSoutArgs &o = __glsGetContext()->outArgs;
    record("glGetHistogram", t, r, f, ty, o.count, hex(&o.pointers[0], 8));
}
void GLSAPI recGetSeparable(GLenum t, GLenum f, GLenum ty, GLvoid *r, GLvoid *c, GLvoid *s) {
    const __GLSoutArgs &o = __glsGetContext()->outArgs;
    record("glGetSeparableFilter", t, f, ty, o.count, hex(o.pointers, 24));
}
void GLSAPI recMap2d(GLenum t, GLdouble u1, GLdouble u2, GLint us, GLint uo, GLdouble v1,
                     GLdouble v2, GLint vs, GLint vo, const GLdouble *p) {
    record("glMap2d", t, u1, u2, us, uo, v1, v2, vs, vo, hex(p, 8 * 3 * 4));
}
void GLSAPI recMap1f(GLenum t, GLfloat u1, GLfloat u2, GLint s, GLint o, const GLfloat *p) {
    record("glMap1f", t, u1, u2, s, o, hex(p, 4 * 4 * 2));
}
void GLSAPI recSeparable(GLenum t, GLenum i, GLsizei w, GLsizei h, GLenum f, GLenum ty,
                         const GLvoid *r, const GLvoid *c) {
    record("glSeparableFilter2D", t, i, w, h, f, ty, hex(r, 4 * w), hex(c, 4 * h));
}
void GLSAPI recTexImage2D(GLenum t, GLint l, GLint i, GLsizei w, GLsizei h, GLint b, GLenum f,
                          GLenum ty, const GLvoid *p) {
    record("glTexImage2D", t, l, i, w, h, b, f, ty, p ? hex(p, 4 * w * h) : "null");
}
void GLSAPI recDrawElements(GLenum m, GLsizei c, GLenum t, const GLvoid *i) {
    record("glDrawElements", m, c, t, hex(i, 2 * c));
}
void GLSAPI recPixelMapfv(GLenum m, GLint n, const GLfloat *v) {
    record("glPixelMapfv", m, n, hex(v, 4 * n));
}

const GLdouble d1 = 1.25, d2 = -3.5e100, d3 = 7.0 / 3, d4 = -0.0;
const GLfloat f1 = 0.1f, f2 = -2.75f;
const GLuint names[2] = {5, 600};
const GLclampf priorities[2] = {0.25f, 0.875f};
const GLdouble plane[4] = {d1, d2, d3, d4};
const GLushort indices[3] = {9, 0x1234, 0xFFFF};
const GLfloat pixelMap[3] = {f1, f2, 1e-30f};
alignas(8) const GLubyte rowBytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
alignas(8) const GLubyte columnBytes[12] = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22};
GLdouble mapPoints[12];
GLfloat mapPointsf[8];

struct Layout {
    const char *what;
    GLSopcode op;
    __GLSfunc recorder;
    std::function<void()> call;
    std::string expected;
};

std::string hexOf(const void *p, size_t n) { return hex(p, n); }

const std::vector<Layout> &layouts() {
    // Pointer values as wide as the platform's addresses.
    static const GLulong out1 = (uintptr_t)0x1122334455667788ull,
                         out2 = (uintptr_t)0x0102030405060708ull,
                         out3 = (uintptr_t)0xA0B0C0D0E0F00010ull, arrayValue = 0x5678;
    static const std::vector<Layout> cases = {
        {"the framing a capture writes", OP(glsBeginGLS), (__GLSfunc)recBeginGLS, [] {},
         line("glsBeginGLS", 1, 0)},
        {"a pad before the second domain", OP(glMapGrid2d), (__GLSfunc)recMapGrid2d,
         [] { CAPTURE(glMapGrid2d)(7, d1, d2, 9, d3, d4); },
         line("glMapGrid2d", 7, d1, d2, 9, d3, d4)},
        {"a double after two words", OP(glTexGend), (__GLSfunc)recTexGend,
         [] { CAPTURE(glTexGend)(GL_S, GL_TEXTURE_GEN_MODE, d3); },
         line("glTexGend", (GLuint)GL_S, (GLuint)GL_TEXTURE_GEN_MODE, d3)},
        {"a 16-bit pattern", OP(glLineStipple), (__GLSfunc)recLineStipple,
         [] { CAPTURE(glLineStipple)(3, 0xABCD); },
         line("glLineStipple", 3, (GLushort)0xABCD)},
        {"four flag bytes", OP(glColorMask), (__GLSfunc)recColorMask,
         [] { CAPTURE(glColorMask)(1, 0, 0, 1); },
         line("glColorMask", (GLboolean)1, (GLboolean)0, (GLboolean)0, (GLboolean)1)},
        {"four doubles", OP(glRotated), (__GLSfunc)recRotated,
         [] { CAPTURE(glRotated)(d4, d3, d2, d1); }, line("glRotated", d4, d3, d2, d1)},
        {"a double array", OP(glClipPlane), (__GLSfunc)recClipPlane,
         [] { CAPTURE(glClipPlane)(GL_CLIP_PLANE0 + 3, plane); },
         line("glClipPlane", (GLuint)GL_CLIP_PLANE0 + 3, hexOf(plane, 32))},
        {"a double after a string", OP(glsNumd), (__GLSfunc)recNumd,
         [] { CAPTURE(glsNumd)(S("seven"), d2); }, line("glsNumd", std::string("seven"), d2)},
        {"two strings", OP(glsString), (__GLSfunc)recString,
         [] { CAPTURE(glsString)(S("t"), S("the second string")); },
         line("glsString", std::string("t"), std::string("the second string"))},
        {"an array after a counted array", OP(glPrioritizeTextures), (__GLSfunc)recPrioritize,
         [] { CAPTURE(glPrioritizeTextures)(2, names, priorities); },
         line("glPrioritizeTextures", 2, hexOf(names, 8), hexOf(priorities, 8))},
        {"a client array pointer", OP(glVertexPointerEXT), (__GLSfunc)recVertexPointerEXT,
         [] { CAPTURE(glVertexPointerEXT)(3, GL_FLOAT, 12, 40, (const GLvoid *)(uintptr_t)0x5678); },
         line("glVertexPointerEXT", 3, (GLuint)GL_FLOAT, 12, 40, (const void *)(uintptr_t)0x5678,
              hexOf(&arrayValue, 8))},
        {"an output after a flag and its pad", OP(glGetHistogram), (__GLSfunc)recGetHistogram,
         [] { CAPTURE(glGetHistogram)(GL_HISTOGRAM, 1, GL_RGBA, GL_FLOAT, (GLvoid *)(uintptr_t)out1); },
         line("glGetHistogram", (GLuint)GL_HISTOGRAM, (GLboolean)1, (GLuint)GL_RGBA,
              (GLuint)GL_FLOAT, 1, hexOf(&out1, 8))},
        {"three outputs", OP(glGetSeparableFilter), (__GLSfunc)recGetSeparable,
         [] {
             CAPTURE(glGetSeparableFilter)(GL_SEPARABLE_2D, GL_RGBA, GL_UNSIGNED_BYTE,
                                           (GLvoid *)(uintptr_t)out1, (GLvoid *)(uintptr_t)out2,
                                           (GLvoid *)(uintptr_t)out3);
         },
         line("glGetSeparableFilter", (GLuint)GL_SEPARABLE_2D, (GLuint)GL_RGBA,
              (GLuint)GL_UNSIGNED_BYTE, 3, hexOf(&out1, 8) + hexOf(&out2, 8) + hexOf(&out3, 8))},
        {"a two-dimensional map", OP(glMap2d), (__GLSfunc)recMap2d,
         [] { CAPTURE(glMap2d)(GL_MAP2_VERTEX_3, d1, d2, 6, 2, d3, d4, 3, 2, mapPoints); },
         line("glMap2d", (GLuint)GL_MAP2_VERTEX_3, d1, d2, 6, 2, d3, d4, 3, 2,
              hexOf(mapPoints, 96))},
        {"a one-dimensional float map", OP(glMap1f), (__GLSfunc)recMap1f,
         [] { CAPTURE(glMap1f)(GL_MAP1_VERTEX_4, f1, f2, 4, 2, mapPointsf); },
         line("glMap1f", (GLuint)GL_MAP1_VERTEX_4, f1, f2, 4, 2, hexOf(mapPointsf, 32))},
        {"a column filter after the row filter", OP(glSeparableFilter2D), (__GLSfunc)recSeparable,
         [] {
             CAPTURE(glSeparableFilter2D)(GL_SEPARABLE_2D, GL_RGBA, 2, 3, GL_RGBA,
                                          GL_UNSIGNED_BYTE, rowBytes, columnBytes);
         },
         line("glSeparableFilter2D", (GLuint)GL_SEPARABLE_2D, (GLuint)GL_RGBA, 2, 3,
              (GLuint)GL_RGBA, (GLuint)GL_UNSIGNED_BYTE, hexOf(rowBytes, 8),
              hexOf(columnBytes, 12))},
        {"a null texture image", OP(glTexImage2D), (__GLSfunc)recTexImage2D,
         [] { CAPTURE(glTexImage2D)(GL_TEXTURE_2D, 1, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr); },
         line("glTexImage2D", (GLuint)GL_TEXTURE_2D, 1, (GLint)GL_RGBA, 2, 2, 0, (GLuint)GL_RGBA,
              (GLuint)GL_UNSIGNED_BYTE, std::string("null"))},
        {"16-bit indices", OP(glDrawElements), (__GLSfunc)recDrawElements,
         [] { CAPTURE(glDrawElements)(GL_TRIANGLES, 3, GL_UNSIGNED_SHORT, indices); },
         line("glDrawElements", (GLuint)GL_TRIANGLES, 3, (GLuint)GL_UNSIGNED_SHORT,
              hexOf(indices, 6))},
        {"a counted map", OP(glPixelMapfv), (__GLSfunc)recPixelMapfv,
         [] { CAPTURE(glPixelMapfv)(GL_PIXEL_MAP_I_TO_R, 3, pixelMap); },
         line("glPixelMapfv", (GLuint)GL_PIXEL_MAP_I_TO_R, 3, hexOf(pixelMap, 12))},
    };
    return cases;
}

TEST_F(DecodeNative, EachArgumentComesFromItsOwnPlace) {
    for (size_t i = 0; i < 12; ++i) mapPoints[i] = i * 1.5 - 4;
    for (size_t i = 0; i < 8; ++i) mapPointsf[i] = (GLfloat)i * 0.5f + 1;
    for (const Layout &c : layouts()) {
        SCOPED_TRACE(c.what);
        capture({c.op}, c.call);
        install(c.op, c.recorder);
        replay();
        EXPECT_EQ(std::vector<std::string>{c.expected}, calls);
        EXPECT_EQ(0u, glsGetError());
        install(c.op, nullptr);
        glsDeleteStream(S("a"));
    }
}

// The out-argument record describes the call in progress only.
TEST_F(DecodeNative, TheOutArgumentRecordIsPublishedForTheCallAndPutBack) {
    static __GLSoutArgs during;
    struct Fn {
        static void GLSAPI getIntegerv(GLenum pname, GLint *data) {
            during = __glsGetContext()->outArgs;
            memset(data, 0x5A, 16);  // the buffer holds the four values
        }
    };
    capture({OP(glGetIntegerv)}, [] { CAPTURE(glGetIntegerv)(GL_VIEWPORT, (GLint *)(uintptr_t)0xBEEF0); });
    install(OP(glGetIntegerv), (__GLSfunc)Fn::getIntegerv);
    ctx()->outArgs.count = 2;
    ctx()->outArgs.pointers[0] = 77;
    replay();
    EXPECT_EQ(1, during.count);
    EXPECT_EQ(4, during.sizes[0]);
    EXPECT_EQ(0xBEEF0u, during.pointers[0]);
    EXPECT_EQ(2, ctx()->outArgs.count);
    EXPECT_EQ(77u, ctx()->outArgs.pointers[0]);
}

// Image commands get the stream's pixel-store modes; a pixel-store command
// makes the next image command set them again.
TEST_F(DecodeNative, PixelStoreCommandsClearTheDefaultsFlags) {
    struct Fn {
        static void GLSAPI stipple(GLubyte *mask) {
            memset(mask, 1, 128);
            record("stipple", (GLint)__glsGetContext()->glInfo.packDefaultsSet);
        }
        static void GLSAPI store(GLenum, GLint) {}
        static void GLSAPI draw(GLsizei, GLsizei, GLenum, GLenum, const GLvoid *) {}
        static void GLSAPI clear(GLbitfield) {
            const __GLSglInfo &i = __glsGetContext()->glInfo;
            record("clear", (GLint)i.packDefaultsSet, (GLint)i.unpackDefaultsSet);
        }
    };
    capture({OP(glGetPolygonStipple), OP(glDrawPixels), OP(glPixelStorei), OP(glClear),
             OP(glPopClientAttrib)}, [] {
        CAPTURE(glGetPolygonStipple)((GLubyte *)sweepOut);
        CAPTURE(glDrawPixels)(1, 1, GL_RGBA, GL_UNSIGNED_BYTE, sweepIn);
        CAPTURE(glClear)(GL_COLOR_BUFFER_BIT);
        CAPTURE(glPixelStorei)(GL_UNPACK_ALIGNMENT, 2);
        CAPTURE(glClear)(GL_COLOR_BUFFER_BIT);
        CAPTURE(glGetPolygonStipple)((GLubyte *)sweepOut);
        CAPTURE(glPopClientAttrib)();
        CAPTURE(glClear)(GL_COLOR_BUFFER_BIT);
    });
    install(OP(glGetPolygonStipple), (__GLSfunc)Fn::stipple);
    install(OP(glPixelStorei), (__GLSfunc)Fn::store);
    install(OP(glDrawPixels), (__GLSfunc)Fn::draw);
    install(OP(glPopClientAttrib), (__GLSfunc)__glsNullCommandFuncs[OP(glPopClientAttrib)]);
    install(OP(glClear), (__GLSfunc)Fn::clear);
    replay();
    EXPECT_EQ((std::vector<std::string>{"stipple 1", "clear 1 1", "clear 0 0", "stipple 1",
                                        "clear 0 0"}),
              calls);
}

// The GL keeps writing into the feedback buffer after the call: it is the
// context's own, and only grows.
TEST_F(DecodeNative, FeedbackBuffersAreTheContextsOwn) {
    static std::vector<GLfloat *> seen;
    struct Fn {
        static void GLSAPI feedback(GLsizei, GLenum, GLfloat *b) { seen.push_back(b); }
    };
    seen.clear();
    capture({OP(glFeedbackBuffer)}, [] {
        CAPTURE(glFeedbackBuffer)(100, GL_3D, (GLfloat *)sweepOut);
        CAPTURE(glFeedbackBuffer)(50, GL_3D, (GLfloat *)sweepOut);
    });
    install(OP(glFeedbackBuffer), (__GLSfunc)Fn::feedback);
    replay();
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(seen[0], __glsGetFeedbackBuffer(ctx(), 400));
}

// A 7-bit string is handed on in place to GLS_UCS1; other string types get
// converted characters.
TEST_F(DecodeNative, StringsFollowTheContextsStringType) {
    static const void *text;
    static std::vector<GLushort> wide;
    struct Fn {
        static void GLSAPI comment(const GLubyte *c) {
            text = c;
            wide.clear();
            for (const GLushort *w = (const GLushort *)c; *w; ++w) wide.push_back(*w);
        }
    };
    capture({OP(glsComment)}, [] { CAPTURE(glsComment)(S("hi")); });
    install(OP(glsComment), (__GLSfunc)Fn::comment);
    replay();
    EXPECT_EQ((const void *)(firstBlock("a") + 4), text);
    glsStringType(GLS_UCS2);
    EXPECT_EQ((GLSenum)GLS_CONTEXT, glsCallStream((const GLubyte *)u"a"));
    EXPECT_EQ((std::vector<GLushort>{'h', 'i'}), wide);
    glsStringType(GLS_UCS1);
    EXPECT_EQ(0u, glsGetError());
}

// ------------------------------------------ what the GL reads and writes

// Replayed into call functions that read their data as a GL would, every
// image and parameter vector is there: index, stencil and depth images,
// bitmaps and the packed types of later GLs are carried at their real size,
// a parameter name the table does not know gets as many values as any name
// takes, and an image whose size cannot be told is not replayed at all.
TEST_F(DecodeNative, WhatTheGLReadsIsInTheRecord) {
    static std::vector<GLubyte> source(4096), seen;
    static size_t reads;  // the bytes the GL reads for the call replayed
    for (size_t i = 0; i < source.size(); ++i) source[i] = (GLubyte)(i * 7 + 3);
    struct Fn {
        static void read(const void *p) {
            seen.assign((const GLubyte *)p, (const GLubyte *)p + reads);
        }
        static void GLSAPI texImage1D(GLenum, GLint, GLint, GLsizei, GLint, GLenum, GLenum,
                                      const GLvoid *p) {
            read(p);
        }
        static void GLSAPI texImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum,
                                      GLenum, const GLvoid *p) {
            read(p);
        }
        static void GLSAPI texSubImage2D(GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum,
                                         GLenum, const GLvoid *p) {
            read(p);
        }
        static void GLSAPI texParameterfv(GLenum, GLenum, const GLfloat *p) { read(p); }
    };
    const struct {
        const char *what;
        GLSopcode op;
        __GLSfunc recorder;
        std::function<void()> call;
        size_t reads, recorded;  // bytes the GL reads, of them from the caller
    } cases[] = {
        {"a colour-index texture", OP(glTexImage2D), (__GLSfunc)Fn::texImage2D,
         [] { CAPTURE(glTexImage2D)(GL_TEXTURE_2D, 0, GL_RGBA, 64, 64, 0, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, source.data()); },
         4096, 4096},
        {"reversed packed pixels", OP(glTexImage2D), (__GLSfunc)Fn::texImage2D,
         [] { CAPTURE(glTexImage2D)(GL_TEXTURE_2D, 0, GL_RGBA, 16, 16, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, source.data()); },
         1024, 1024},
        {"a depth sub-image", OP(glTexSubImage2D), (__GLSfunc)Fn::texSubImage2D,
         [] { CAPTURE(glTexSubImage2D)(GL_TEXTURE_2D, 0, 1, 1, 8, 8, GL_DEPTH_COMPONENT, GL_FLOAT, source.data()); },
         256, 256},
        {"a bitmap texture", OP(glTexImage1D), (__GLSfunc)Fn::texImage1D,
         [] { CAPTURE(glTexImage1D)(GL_TEXTURE_1D, 0, GL_RGBA, 64, 0, GL_COLOR_INDEX, GL_BITMAP, source.data()); },
         8, 8},
        {"a parameter name of a later GL", OP(glTexParameterfv), (__GLSfunc)Fn::texParameterfv,
         [] { CAPTURE(glTexParameterfv)(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, (const GLfloat *)source.data()); },
         64, 0},
        {"a pixel type no table knows", OP(glTexImage2D), (__GLSfunc)Fn::texImage2D,
         [] { CAPTURE(glTexImage2D)(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, 0x1234, source.data()); },
         0, 0},
    };
    install(OP(glsError), (__GLSfunc)recError);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        reads = c.reads;
        seen.clear();
        errors.clear();
        capture({c.op}, c.call);
        install(c.op, c.recorder);
        replay();
        install(c.op, nullptr);
        glsDeleteStream(S("a"));
        if (!c.reads) {
            EXPECT_EQ((std::vector<std::pair<GLSopcode, GLSenum>>{{c.op, GLS_DECODE_ERROR}}), errors);
            continue;
        }
        EXPECT_TRUE(errors.empty());
        ASSERT_EQ(c.reads, seen.size());
        EXPECT_TRUE(std::equal(seen.begin(), seen.begin() + c.recorded, source.begin()));
        EXPECT_TRUE(std::all_of(seen.begin() + c.recorded, seen.end(), [](GLubyte b) { return b == 0; }));
    }
}

// Replayed queries write what a GL writes into the buffers the decoders
// provide: every value of a name the table does not know, every pixel of a
// read back in a format or type it does not know.
TEST_F(DecodeNative, QueryBuffersHoldWhatTheGLWrites) {
    static size_t writes;
    struct Fn {
        static void GLSAPI getFloatv(GLenum, GLfloat *p) { memset(p, 0x3F, writes); }
        static void GLSAPI getTexParameteriv(GLenum, GLenum, GLint *p) { memset(p, 1, writes); }
        static void GLSAPI readPixels(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, GLvoid *p) {
            memset(p, 0x5A, writes);
        }
    };
    GLvoid *const out = (GLvoid *)(uintptr_t)0xB0000;
    const struct {
        const char *what;
        GLSopcode op;
        __GLSfunc recorder;
        std::function<void()> call;
        size_t writes;
    } cases[] = {
        {"a matrix of a later GL", OP(glGetFloatv), (__GLSfunc)Fn::getFloatv,
         [&] { CAPTURE(glGetFloatv)(0x84E3, (GLfloat *)out); }, 64},
        {"a range of a later GL", OP(glGetFloatv), (__GLSfunc)Fn::getFloatv,
         [&] { CAPTURE(glGetFloatv)(0x846E, (GLfloat *)out); }, 8},
        {"a swizzle", OP(glGetTexParameteriv), (__GLSfunc)Fn::getTexParameteriv,
         [&] { CAPTURE(glGetTexParameteriv)(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, (GLint *)out); }, 16},
        {"reversed packed pixels", OP(glReadPixels), (__GLSfunc)Fn::readPixels,
         [&] { CAPTURE(glReadPixels)(0, 0, 256, 256, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, out); }, 256 * 256 * 4},
        {"a pixel type no table knows", OP(glReadPixels), (__GLSfunc)Fn::readPixels,
         [&] { CAPTURE(glReadPixels)(0, 0, 64, 64, GL_RGBA, GL_HALF_FLOAT, out); }, 64 * 64 * 8},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        writes = c.writes;
        capture({c.op}, c.call);
        install(c.op, c.recorder);
        replay();
        install(c.op, nullptr);
        glsDeleteStream(S("a"));
        EXPECT_EQ(0u, glsGetError());
    }
}

// glsComment records made by hand, whose length word may claim 7-bit text
// it does not hold: the conversion is sized from the text itself, an empty
// string is a string, and a sequence that is no UTF-8 is a decode error
// rather than a string cut short.
TEST_F(DecodeNative, HandMadeStringsDecodeByTheirBytes) {
    static std::vector<GLuint> seen;
    static GLSenum type;
    struct Fn {
        static void GLSAPI comment(const GLubyte *c) {
            const size_t width = type == GLS_UCS1 ? 1 : type == GLS_UCS2 ? 2 : 4;
            seen.clear();
            for (;; c += width) {
                GLuint code = 0;
                memcpy(&code, c, width);
                if (!code) break;
                seen.push_back(code);
            }
            seen.push_back(0);  // the call was made
        }
    };
    const std::string smiles = "\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80";
    std::vector<GLuint> escaped;
    for (int i = 0; i < 4; ++i) {
        for (const char *c = "\\<1F600>"; *c; ++c) escaped.push_back((GLubyte)*c);
    }
    escaped.push_back(0);
    const struct {
        const char *what;
        GLSenum type;
        std::string text;
        GLuint sevenBitMark;
        std::vector<GLuint> chars;  // empty: a decode error
    } cases[] = {
        {"4-byte sequences marked 7-bit, UCS2", GLS_UCS2, smiles, 1, escaped},
        {"4-byte sequences marked 7-bit, UCS1", GLS_UCS1, smiles, 1, escaped},
        {"the empty string, UCS2", GLS_UCS2, "", 1, {0}},
        {"the empty string, UCS4", GLS_UCS4, "", 1, {0}},
        {"the empty string, UCS1", GLS_UCS1, "", 0, {0}},
        {"a lead byte followed by a lead byte", GLS_UCS2, "ab\xC0\xC0xy", 0, {}},
        {"an overlong terminator", GLS_UCS4, "ab\xC0\x80xy", 0, {}},
    };
    install(OP(glsComment), (__GLSfunc)Fn::comment);
    install(OP(glsError), (__GLSfunc)recError);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<GLubyte> record(4 + 4 + ((c.text.size() + 4) & ~(size_t)3));
        const GLuint header = OP(glsComment) | (GLuint)record.size() << 16;
        const GLuint word = (GLuint)(record.size() - 4) | c.sevenBitMark;
        memcpy(&record[0], &header, 4);
        memcpy(&record[4], &word, 4);
        memcpy(&record[8], c.text.data(), c.text.size());
        type = c.type;
        glsStringType(c.type);
        seen.clear();
        errors.clear();
        glsCallArray(glsBinary(GL_FALSE), record.size(), record.data());
        EXPECT_EQ(c.chars, seen);
        if (c.chars.empty()) {
            EXPECT_EQ((std::vector<std::pair<GLSopcode, GLSenum>>{{OP(glsComment), GLS_DECODE_ERROR}}),
                      errors);
        } else {
            EXPECT_TRUE(errors.empty());
        }
    }
    glsStringType(GLS_UCS1);
    EXPECT_EQ(0u, glsGetError());
}

// ------------------------------------------------- records that claim more

struct Short {
    const char *what;
    GLSopcode op;
    std::function<void()> call;
    size_t at;      // offset in the argument block of the word made larger
    GLuint value;
};

TEST_F(DecodeNative, ARecordTooShortForWhatItClaimsIsADecodeError) {
    static const GLfloat one[4] = {1, 2, 3, 4};
    static const GLubyte pixels[16] = {};
    const std::vector<Short> cases = {
        {"a vector its pname makes longer", OP(glLightfv),
         [] { CAPTURE(glLightfv)(GL_LIGHT0, GL_SPOT_EXPONENT, one); }, 4, GL_AMBIENT},
        {"more list names", OP(glCallLists),
         [] { CAPTURE(glCallLists)(2, GL_UNSIGNED_BYTE, pixels); }, 0, 1000},
        {"a wider image", OP(glTexImage2D),
         [] { CAPTURE(glTexImage2D)(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels); },
         16, 3},
        {"a longer string", OP(glsComment), [] { CAPTURE(glsComment)(S("abc")); }, 0, 0x101},
        {"a string without its terminator", OP(glsComment),
         [] { CAPTURE(glsComment)(S("abc")); }, 4, 0x64636261},
        {"more counted values", OP(glsNumdv),
         [] { CAPTURE(glsNumdv)(S("t"), 1, (const GLdouble *)sweepIn); }, 8, 2},
        {"a map stride past the points", OP(glMap1f),
         [] { CAPTURE(glMap1f)(GL_MAP1_VERTEX_4, 0, 1, 4, 2, (const GLfloat *)sweepIn); }, 12, 5},
        {"a taller column filter", OP(glSeparableFilter2D),
         [] {
             CAPTURE(glSeparableFilter2D)(GL_SEPARABLE_2D, GL_RGBA, 1, 1, GL_RGBA,
                                          GL_UNSIGNED_BYTE, pixels, pixels);
         },
         16, 2},
    };
    for (const Short &c : cases) {
        SCOPED_TRACE(c.what);
        static bool called;
        struct Fn {
            static void GLSAPI any() { called = true; }
        };
        called = false;
        errors.clear();
        capture({c.op}, c.call);
        memcpy(firstBlock("a") + c.at, &c.value, 4);
        install(c.op, (__GLSfunc)Fn::any);  // never called through this type
        install(OP(glsError), (__GLSfunc)recError);
        replay();
        EXPECT_FALSE(called);
        EXPECT_EQ((std::vector<std::pair<GLSopcode, GLSenum>>{{c.op, GLS_DECODE_ERROR}}), errors);
        install(c.op, nullptr);
        install(OP(glsError), nullptr);
        glsDeleteStream(S("a"));
    }
}

// Long records replay whatever their length, also one whose length word
// could be read as a short header of the record's own opcode (65,536 + 340
// bytes for glDrawElements, opcode 340): a decoder takes its record from
// the walker, never from the bytes before its arguments.
TEST_F(DecodeNative, LongRecordsReplayWhateverTheirLength) {
    static std::vector<GLsizei> counts;
    struct Fn {
        static void GLSAPI drawElements(GLenum, GLsizei count, GLenum, const GLvoid *) {
            counts.push_back(count);
        }
    };
    static std::vector<GLubyte> indices(70000, 7);
    for (GLsizei count : {65848, 65852, 65856}) {
        SCOPED_TRACE(count);
        static GLsizei n;
        n = count;
        counts.clear();
        errors.clear();
        capture({OP(glDrawElements)},
                [] { CAPTURE(glDrawElements)(GL_POINTS, n, GL_UNSIGNED_BYTE, indices.data()); });
        install(OP(glDrawElements), (__GLSfunc)Fn::drawElements);
        install(OP(glsError), (__GLSfunc)recError);
        replay();
        EXPECT_EQ(std::vector<GLsizei>{count}, counts);
        EXPECT_TRUE(errors.empty());
        install(OP(glDrawElements), nullptr);
        install(OP(glsError), nullptr);
        glsDeleteStream(S("a"));
    }
}

// A map whose strides and order reach 2 to the 61st values: the bytes they
// span do not wrap into the few the record holds.
TEST_F(DecodeNative, AMapSpanPast64BitsIsADecodeError) {
    struct Fn {
        static void GLSAPI map1d(GLenum, GLdouble, GLdouble, GLint, GLint, const GLdouble *) {
            record("glMap1d");
        }
    };
    install(OP(glMap1d), (__GLSfunc)Fn::map1d);
    install(OP(glsError), (__GLSfunc)recError);
    alignas(8) GLuint words[1 + 7 + 2] = {OP(glMap1d) | 40u << 16, GL_MAP1_VERTEX_3};
    words[6] = 0x40000001;  // stride
    words[7] = 0x7FFFFFFF;  // order
    glsCallArray(glsBinary(GL_FALSE), sizeof words, (const GLubyte *)words);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ((std::vector<std::pair<GLSopcode, GLSenum>>{{OP(glMap1d), GLS_DECODE_ERROR}}), errors);
}

// A count whose bytes pass what a size holds (2^31 - 1) reaches no GL: its
// size rule gives 0 bytes for it, and the GL would read the count's worth
// from the empty array after the record's arguments. In either byte order;
// a type that no rule knows stays the GL's to refuse, and the GL reads nothing.
TEST_F(DecodeNative, ACountWhoseBytesCannotBeCountedIsADecodeError) {
    struct Fn {
        static void GLSAPI callLists(GLsizei, GLenum, const GLvoid *) { record("glCallLists"); }
        static void GLSAPI drawElements(GLenum, GLsizei, GLenum, const GLvoid *) {
            record("glDrawElements");
        }
        static void GLSAPI drawVertexArray(GLenum, GLenum, GLint, const GLvoid *) {
            record("glsDrawVertexArray");
        }
    };
    install(OP(glCallLists), (__GLSfunc)Fn::callLists);
    install(OP(glDrawElements), (__GLSfunc)Fn::drawElements);
    install(OP(glsDrawVertexArray), (__GLSfunc)Fn::drawVertexArray);
    install(OP(glsError), (__GLSfunc)recError);
    const struct {
        GLSopcode op;
        std::vector<GLuint> args;
        bool called;
    } cases[] = {
        {OP(glCallLists), {0x20000000, GL_UNSIGNED_INT}, false},
        {OP(glCallLists), {0x2AAAAAAB, GL_3_BYTES}, false},
        {OP(glCallLists), {0x7FFFFFFF, GL_2_BYTES}, false},
        {OP(glDrawElements), {GL_POINTS, 0x40000000, GL_UNSIGNED_SHORT}, false},
        {OP(glsDrawVertexArray), {GL_POINTS, GL_T4F_C4F_N3F_V4F, 0x04000000}, false},
        {OP(glCallLists), {0x20000000, 0x1234}, true},
        {OP(glDrawElements), {GL_POINTS, 0x40000000, GL_FLOAT}, true},
    };
    for (const auto &c : cases) {
        for (GLboolean swapped : {GL_FALSE, GL_TRUE}) {
            SCOPED_TRACE(line("opcode", c.op, c.args[0], c.args[1], (GLuint)swapped));
            // The header's opcode comes first in either order.
            const GLuint size = (GLuint)(4 + 4 * c.args.size());
            std::vector<GLuint> words = {swapped ? c.op << 16 | size : c.op | size << 16};
            words.insert(words.end(), c.args.begin(), c.args.end());
            if (swapped) {
                for (GLuint &w : words) w = __builtin_bswap32(w);
            }
            calls.clear();
            errors.clear();
            glsCallArray(glsBinary(swapped), 4 * words.size(), (const GLubyte *)words.data());
            typedef std::vector<std::pair<GLSopcode, GLSenum>> Errors;
            EXPECT_EQ(c.called ? 1u : 0u, calls.size());
            EXPECT_EQ(c.called ? Errors() : Errors(1, {c.op, GLS_DECODE_ERROR}), errors);
        }
    }
}

// A record whose size leaves out some of its fixed arguments, read through
// the array walker, is refused too.
TEST_F(DecodeNative, ARecordShorterThanItsFixedArgumentsIsADecodeError) {
    struct Fn {
        static void GLSAPI clearColor(GLclampf, GLclampf, GLclampf, GLclampf) {
            record("glClearColor");
        }
    };
    install(OP(glClearColor), (__GLSfunc)Fn::clearColor);
    install(OP(glsError), (__GLSfunc)recError);
    const GLuint whole[5] = {OP(glClearColor) | 20u << 16, 1, 2, 3, 4};
    const GLuint cut[5] = {OP(glClearColor) | 12u << 16, 1, 2, 3, 4};
    const GLuint longForm[6] = {0, OP(glClearColor), 24, 1, 2, 3};
    glsCallArray(GLS_BINARY_LSB_FIRST, sizeof whole, (const GLubyte *)whole);
    EXPECT_EQ(std::vector<std::string>{"glClearColor"}, calls);
    EXPECT_TRUE(errors.empty());
    calls.clear();
    glsCallArray(GLS_BINARY_LSB_FIRST, 12, (const GLubyte *)cut);
    glsCallArray(GLS_BINARY_LSB_FIRST, 24, (const GLubyte *)longForm);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ((std::vector<std::pair<GLSopcode, GLSenum>>{{OP(glClearColor), GLS_DECODE_ERROR},
                                                          {OP(glClearColor), GLS_DECODE_ERROR}}),
              errors);
}

// A count in a forged record cannot make a decoder allocate gigabytes: the
// output buffer is refused as an allocation failure and nothing is called.
TEST_F(DecodeNative, AHugeOutputCountIsRefusedWithoutAllocating) {
    struct Fn {
        static void GLSAPI genTextures(GLsizei, GLuint *) { record("glGenTextures"); }
        static void GLSAPI selectBuffer(GLsizei, GLuint *) { record("glSelectBuffer"); }
    };
    install(OP(glGenTextures), (__GLSfunc)Fn::genTextures);
    install(OP(glSelectBuffer), (__GLSfunc)Fn::selectBuffer);
    install(OP(glsError), (__GLSfunc)recError);
    const GLuint gen[4] = {OP(glGenTextures) | 16u << 16, 0x40000000, 0, 0};
    const GLuint select[4] = {OP(glSelectBuffer) | 16u << 16, 0x7FFFFFFF, 0, 0};
    glsCallArray(GLS_BINARY_LSB_FIRST, sizeof gen, (const GLubyte *)gen);
    glsCallArray(GLS_BINARY_LSB_FIRST, sizeof select, (const GLubyte *)select);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ((std::vector<std::pair<GLSopcode, GLSenum>>{{OP(glGenTextures), GLS_RESOURCE_ERROR},
                                                          {OP(glSelectBuffer), GLS_RESOURCE_ERROR}}),
              errors);
    glsGetError();
}

// The largest output buffer a record may ask for is one for all decoders in
// progress: a nested call's decoder gets none while its caller's is held,
// whatever either record says, and every buffer is given back after its
// call. Pages that the GL never writes cost nothing.
TEST_F(DecodeNative, DecoderBuffersAreBoundedTogether) {
    static const GLuint gen[4] = {OP(glGenTextures) | 16u << 16, 0x4000000, 0, 0};
    static int depth;
    struct Fn {
        static void GLSAPI genTextures(GLsizei n, GLuint *textures) {
            record("glGenTextures", n);
            textures[n - 1] = 1;  // the last name, at the far end of 256 MB
            if (depth++ < 1) glsCallArray(GLS_BINARY_LSB_FIRST, sizeof gen, (const GLubyte *)gen);
        }
    };
    depth = 0;
    install(OP(glGenTextures), (__GLSfunc)Fn::genTextures);
    install(OP(glsError), (__GLSfunc)recError);
    glsCallArray(GLS_BINARY_LSB_FIRST, sizeof gen, (const GLubyte *)gen);
    glsCallArray(GLS_BINARY_LSB_FIRST, sizeof gen, (const GLubyte *)gen);
    EXPECT_EQ((std::vector<std::string>{line("glGenTextures", 0x4000000),
                                        line("glGenTextures", 0x4000000)}),
              calls);
    EXPECT_EQ((std::vector<std::pair<GLSopcode, GLSenum>>{{OP(glGenTextures), GLS_RESOURCE_ERROR}}),
              errors);
    EXPECT_EQ(0u, ctx()->decodeLiveBytes);
    glsGetError();
}

// Signalling NaNs reach the call unchanged: the decoders move floating-point
// values as bits. The recorders read their parameters where they lie.
TEST_F(DecodeNative, FloatingPointValuesReachTheCallAsTheirBits) {
    struct Fn {
        static void GLSAPI rotatef(GLfloat a, GLfloat x, GLfloat y, GLfloat z) {
            record("glRotatef", hex(&a, 4), hex(&x, 4), hex(&y, 4), hex(&z, 4));
        }
        static void GLSAPI rotated(GLdouble a, GLdouble x, GLdouble y, GLdouble z) {
            record("glRotated", hex(&a, 8), hex(&x, 8), hex(&y, 8), hex(&z, 8));
        }
    };
    install(OP(glRotatef), (__GLSfunc)Fn::rotatef);
    install(OP(glRotated), (__GLSfunc)Fn::rotated);
    const GLuint nan4 = 0x7F800001, quiet4 = 0xFFC00000;
    const GLulong nan8 = 0x7FF0000000000001ull;
    GLuint bytes[2 + 4 + 8] = {OP(glRotatef) | 20u << 16, nan4, quiet4, 0x80000000, nan4,
                               OP(glRotated) | 36u << 16};
    for (int i = 0; i < 4; ++i) memcpy(&bytes[6 + 2 * i], &nan8, 8);
    glsCallArray(GLS_BINARY_LSB_FIRST, sizeof bytes, (const GLubyte *)bytes);
    const std::string n4 = hex(&nan4, 4), n8 = hex(&nan8, 8);
    EXPECT_EQ((std::vector<std::string>{
                  line("glRotatef", n4, hex(&quiet4, 4), std::string("00000080"), n4),
                  line("glRotated", n8, n8, n8, n8)}),
              calls);
}

// --------------------------------------------------------- a typical frame

void GLSAPI frameClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    record("glClearColor", r, g, b, a);
}
void GLSAPI frameClear(GLbitfield m) { record("glClear", (GLuint)m); }
void GLSAPI frameMatrixMode(GLenum m) { record("glMatrixMode", (GLuint)m); }
void GLSAPI frameLoadIdentity() { record("glLoadIdentity"); }
void GLSAPI frameRotatef(GLfloat a, GLfloat x, GLfloat y, GLfloat z) {
    record("glRotatef", a, x, y, z);
}
void GLSAPI frameBegin(GLenum m) { record("glBegin", (GLuint)m); }
void GLSAPI frameColor3fv(const GLfloat *v) { record("glColor3fv", hex(v, 12)); }
void GLSAPI frameVertex3fv(const GLfloat *v) { record("glVertex3fv", hex(v, 12)); }
void GLSAPI frameEnd() { record("glEnd"); }
void GLSAPI frameTexImage2D(GLenum t, GLint l, GLint i, GLsizei w, GLsizei h, GLint b, GLenum f,
                            GLenum ty, const GLvoid *p) {
    record("glTexImage2D", t, l, i, w, h, b, f, ty, hex(p, 3 * w * h),
           (GLint)__glsGetContext()->glInfo.unpackDefaultsSet);
}
void GLSAPI frameCallLists(GLsizei n, GLenum t, const GLvoid *l) {
    record("glCallLists", n, t, hex(l, 2 * n));
}

TEST_F(DecodeNative, AFrameCapturedThroughTheEntryPointsReplaysTheSameCalls) {
    struct Command {
        GLSopcode op;
        __GLSfunc recorder;
    };
    const Command frame[] = {
        {OP(glClearColor), (__GLSfunc)frameClearColor}, {OP(glClear), (__GLSfunc)frameClear},
        {OP(glMatrixMode), (__GLSfunc)frameMatrixMode},
        {OP(glLoadIdentity), (__GLSfunc)frameLoadIdentity},
        {OP(glRotatef), (__GLSfunc)frameRotatef}, {OP(glBegin), (__GLSfunc)frameBegin},
        {OP(glColor3fv), (__GLSfunc)frameColor3fv}, {OP(glVertex3fv), (__GLSfunc)frameVertex3fv},
        {OP(glEnd), (__GLSfunc)frameEnd}, {OP(glTexImage2D), (__GLSfunc)frameTexImage2D},
        {OP(glCallLists), (__GLSfunc)frameCallLists},
    };
    static const GLfloat red[3] = {1, 0, 0}, corner[3][3] = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0.5f}};
    // Rows of whole words, as the default unpack alignment reads them.
    static GLubyte image[2 * 4 * 3];
    for (size_t i = 0; i < sizeof image; ++i) image[i] = (GLubyte)(10 * i + 1);
    static const GLushort lists[3] = {4, 5, 0x0102};
    for (const Command &c : frame) glsCaptureFlags(c.op, __GLS_CAPTURE_WRITE);
    ASSERT_TRUE(glsBeginCapture(S("a"), GLS_CONTEXT, 0));
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(30.0f, 0.0f, 0.0f, 1.0f);
    glBegin(GL_TRIANGLES);
    for (const GLfloat *v : corner) {
        glColor3fv(red);
        glVertex3fv(v);
    }
    glEnd();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, image);
    glCallLists(3, GL_UNSIGNED_SHORT, lists);
    glsEndCapture();

    for (const Command &c : frame) install(c.op, c.recorder);
    replay();
    std::vector<std::string> expected = {
        line("glClearColor", 0.25f, 0.5f, 0.75f, 1.0f),
        line("glClear", (GLuint)(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT)),
        line("glMatrixMode", (GLuint)GL_MODELVIEW), line("glLoadIdentity"),
        line("glRotatef", 30.0f, 0.0f, 0.0f, 1.0f), line("glBegin", (GLuint)GL_TRIANGLES)};
    for (const GLfloat *v : corner) {
        expected.push_back(line("glColor3fv", hex(red, 12)));
        expected.push_back(line("glVertex3fv", hex(v, 12)));
    }
    expected.push_back(line("glEnd"));
    expected.push_back(line("glTexImage2D", (GLuint)GL_TEXTURE_2D, 0, (GLint)GL_RGB, 4, 2, 0,
                            (GLuint)GL_RGB, (GLuint)GL_UNSIGNED_BYTE, hex(image, 24), 1));
    expected.push_back(line("glCallLists", 3, (GLuint)GL_UNSIGNED_SHORT, hex(lists, 6)));
    EXPECT_EQ(expected, calls);
    EXPECT_EQ(0u, glsGetError());
}

}  // namespace
