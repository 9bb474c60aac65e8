// Every opcode, captured with sample arguments into GLS text, binary LSB
// first and binary MSB first, through the write function and into a file,
// then played with glsCallArray, with glsCallStream through the read
// function and with glsCallStream of the file, inside a capture of a
// context stream: the records that capture makes equal, byte for byte, the
// records of the same calls captured straight into a context stream.
//
// The binary encodings carry any bits; the text sweep fills the sample
// arrays with values whose text holds them exactly (so that the same bits
// come back), and the edge values of each encoding have a table of their own.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "api/api.h"
#include "capture/capture.h"
#include "context_test.h"
#include "gls_capture_sweep.h"
#include "api/gls_commands.h"
#include "records.h"
#include "sink.h"

namespace {

#define CAPTURE(name) __GLS_SLOT(__glsDefaultCaptureTable, name)

const GLubyte *S(const char *text) { return (const GLubyte *)text; }

// The read function hands out the bytes in pieces of changing size, so that
// records and tokens straddle every kind of refill.
std::string reading;
size_t readAt, piece;
size_t GLSAPI source(size_t n, GLubyte *bytes) {
    piece = piece % 13 + 1;
    size_t k = std::min({n, piece * 97 % 61 + 1, reading.size() - readAt});
    memcpy(bytes, reading.data() + readAt, k);
    readAt += k;
    return k;
}

std::vector<std::pair<GLSopcode, GLSenum>> errors;
void GLSAPI onError(GLSopcode op, GLSenum error) { errors.push_back({op, error}); }

enum Way { CALL_ARRAY, READ_FUNCTION, FILE_STREAM };
const char *const wayNames[] = {"glsCallArray", "read function", "file"};
const char *const fileName = "palisade_roundtrip.gls";

struct Encoding {
    GLSenum type;
    const char *name;
};

class RoundTrip : public GlsContextTest, public ::testing::WithParamInterface<Encoding> {
protected:
    void TearDown() override {
        remove(fileName);
        GlsContextTest::TearDown();
    }

    // The calls captured in `type`, into the write function and the file.
    void encode(GLSenum type, const std::function<void()> &calls) {
        Sink::reset();
        glsWriteFunc(Sink::write);
        ASSERT_TRUE(glsBeginCapture(S(""), type, 0));
        calls();
        glsEndCapture();
        glsWriteFunc(nullptr);
        ASSERT_TRUE(glsBeginCapture(S(fileName), type, 0));
        calls();
        glsEndCapture();
    }

    // The records that playing the encoded calls one way captures.
    std::vector<CapturedRecord> play(GLSenum type, Way way) {
        EXPECT_TRUE(glsBeginCapture(S("replay"), GLS_CONTEXT, 0));
        switch (way) {
        case CALL_ARRAY: glsCallArray(type, Sink::out.size(), (const GLubyte *)Sink::out.data()); break;
        case READ_FUNCTION:
            reading = Sink::out;
            readAt = 0;
            glsReadFunc(source);
            EXPECT_EQ(type, glsCallStream(S("")));
            glsReadFunc(nullptr);
            break;
        case FILE_STREAM: EXPECT_EQ(type, glsCallStream(S(fileName))); break;
        }
        glsEndCapture();
        std::vector<CapturedRecord> r = capturedRecords("replay");
        glsDeleteStream(S("replay"));
        return r;
    }

    std::vector<CapturedRecord> reference(const std::function<void()> &calls) {
        EXPECT_TRUE(glsBeginCapture(S("reference"), GLS_CONTEXT, 0));
        calls();
        glsEndCapture();
        std::vector<CapturedRecord> r = capturedRecords("reference");
        glsDeleteStream(S("reference"));
        return r;
    }
};

// Text holds these exactly as floats, and as doubles when two of them (the
// first 0) make one 8-byte value.
void fillExactly(GLubyte *bytes, size_t n) {
    static const GLuint words[] = {0x40000000, 0x3F800000, 0x40400000, 0xC0000000, 0x41000000};
    for (size_t i = 0; i + 8 <= n; i += 8) {
        const GLuint zero = 0, w = words[i / 8 % 5];
        memcpy(bytes + i, &zero, 4);
        memcpy(bytes + i + 4, &w, 4);
    }
}

TEST_P(RoundTrip, EveryOpcodeComesBackAsItWasCaptured) {
    const GLSenum type = GetParam().type;
    if (type == GLS_TEXT) {
        fillExactly(sweepIn, sizeof sweepIn);
    } else {
        for (size_t i = 0; i < sizeof sweepIn; ++i) sweepIn[i] = (GLubyte)(i * 37 + 11);
    }
    for (const CaptureSweep &s : captureSweep) {
        SCOPED_TRACE(s.name);
        // Errors are watched, but a glsError of the stream is replayed.
        __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glsError,
                            s.op == __GLS_OP_glsError ? nullptr : (__GLSfunc)onError);
        GLbitfield flags[GLS_OP_COUNT];
        for (GLSopcode op = 0; op < GLS_OP_COUNT; ++op) flags[op] = glsGetCaptureFlags(op);
        glsGetError();
        glsCaptureFlags(s.op, __GLS_CAPTURE_WRITE);
        const std::vector<CapturedRecord> want = reference(s.call);
        ASSERT_NO_FATAL_FAILURE(encode(type, s.call));
        // Replayed, each command is written again; glsCallStream is also
        // executed, and the outer one is neither written nor replayed.
        const bool callStream = s.op == __GLS_OP_glsCallStream;
        for (const CapturedRecord &r : want) glsCaptureFlags(r.op < 16 ? 55 : r.op, __GLS_CAPTURE_WRITE);
        glsCaptureFlags(__GLS_OP_glsCallStream, callStream ? 3 : 1);
        for (Way way : {CALL_ARRAY, READ_FUNCTION, FILE_STREAM}) {
            SCOPED_TRACE(wayNames[way]);
            errors.clear();
            std::vector<CapturedRecord> got = play(type, way);
            if (callStream && way != CALL_ARRAY && !got.empty()) got.pop_back();
            EXPECT_TRUE(want == got) << "\nwant " << describe(want) << "\ngot  " << describe(got);
            EXPECT_TRUE(errors.empty()) << errors.size() << " errors, the first for " << errors[0].first;
            const GLSenum error = glsGetError();
            if (!callStream) {
                EXPECT_EQ(0u, error);
            }
        }
        for (GLSopcode op = 0; op < GLS_OP_COUNT; ++op) glsCaptureFlags(op, flags[op]);
    }
}

// Values at the edges of each type, and strings long and wide.
TEST_P(RoundTrip, EdgeValuesComeBackAsTheEncodingHoldsThem) {
    const GLSenum type = GetParam().type;
    const bool text = type == GLS_TEXT;
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glsError, (__GLSfunc)onError);
    for (GLSopcode op = 0; op < GLS_OP_COUNT; ++op) glsCaptureFlags(op, __GLS_CAPTURE_WRITE);
    glsCaptureFlags(__GLS_OP_glsCallStream, 1);
    glsGetError();
    auto F = [](GLuint b) { GLfloat f; memcpy(&f, &b, 4); return f; };
    auto D = [](GLulong b) { GLdouble d; memcpy(&d, &b, 8); return d; };
    const std::string longText(70000, 'w'), utf8 = "h\xC3\xA9llo \xE2\x9C\x93 \xF0\x9D\x84\x9E";
    struct Edge {
        const char *what;
        std::function<void()> calls;
        std::function<void()> textCalls;  // what text brings back, when not the same
        bool textRefuses;
    };
    const std::vector<Edge> edges = {
        {"NaN, negative zero, infinities",
         [&] {
             const GLfloat v[4] = {F(0x7FC00001), F(0x80000000), F(0x7F800000), F(0xFF800000)};
             CAPTURE(glColor4fv)(v);
             const GLdouble d[4] = {D(0x7FF0000000000001ull), D(0x8000000000000000ull),
                                    D(0x7FF0000000000000ull), D(0xFFF8000000000000ull)};
             CAPTURE(glVertex4dv)(d);
         },
         nullptr, false},
        {"double subnormals and the smallest normal double",
         [&] {
             const GLdouble d[4] = {D(1), D(0x000FFFFFFFFFFFFFull), -D(0x0010000000000000ull),
                                    D(0x0010000000000000ull)};
             CAPTURE(glVertex4dv)(d);
         },
         [&] {
             // Sixteen digits of the smallest normal double read back as the
             // largest subnormal, which a double may hold.
             const GLdouble d[4] = {D(1), D(0x000FFFFFFFFFFFFFull), -D(0x000FFFFFFFFFFFFFull),
                                    D(0x000FFFFFFFFFFFFFull)};
             CAPTURE(glVertex4dv)(d);
         },
         false},
        {"the largest double, which sixteen digits would put beyond the range: text holds its bits",
         [&] {
             const GLdouble d[2] = {D(0x7FEFFFFFFFFFFFFFull), 0};
             CAPTURE(glVertex2dv)(d);
         },
         nullptr, false},
        {"a float subnormal: text holds its bits",
         [&] {
             const GLfloat v[3] = {F(1), 0, 0};
             CAPTURE(glNormal3fv)(v);
         },
         nullptr, false},
        {"the largest floats",
         [&] {
             const GLfloat v[3] = {F(0x7F7FFFFF), 0.1f, F(0xFF7FFFFF)};
             CAPTURE(glNormal3fv)(v);
         },
         [&] {
             // Seven digits of 3.4028235E+38 read back as the float below.
             const GLfloat v[3] = {F(0x7F7FFFFD), 0.1f, F(0xFF7FFFFD)};
             CAPTURE(glNormal3fv)(v);
         },
         false},
        {"the smallest normal float, which seven digits would put below the normal range: text "
         "holds its bits",
         [&] {
             const GLfloat v[3] = {F(0x00800000), 0, 0};
             CAPTURE(glNormal3fv)(v);
         },
         nullptr, false},
        {"negative counts, an empty tag",
         [&] {
             CAPTURE(glPixelMapfv)(GL_PIXEL_MAP_I_TO_R, -1, nullptr);
             CAPTURE(glsNumfv)(S("n"), -2, nullptr);
             const GLdouble d[2] = {1.5, -2.5};
             CAPTURE(glsNumdv)(S(""), 2, d);
         },
         nullptr, false},
        {"images of 8-, 16- and 32-bit types, and none",
         [&] {
             const GLushort u16[4] = {1, 0xFF00, 0x1234, 0x8000};
             const GLfloat f32[2] = {0.5f, -8.0f};
             const GLubyte u8[4] = {1, 2, 0xFE, 0xFF};
             CAPTURE(glTexImage2D)(GL_TEXTURE_2D, 0, 4, 1, 1, 0, GL_RGBA, GL_UNSIGNED_SHORT, u16);
             CAPTURE(glTexImage2D)(GL_TEXTURE_2D, 1, 2, 1, 1, 0, GL_LUMINANCE_ALPHA, GL_FLOAT, f32);
             CAPTURE(glTexImage2D)(GL_TEXTURE_2D, 2, 4, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, u8);
             CAPTURE(glTexImage2D)(GL_TEXTURE_2D, 3, 4, 1, 1, 0, GL_RGBA, GL_FLOAT, nullptr);
             CAPTURE(glGetHistogram)(GL_HISTOGRAM, GL_TRUE, GL_RGBA, GL_FLOAT, (GLvoid *)(uintptr_t)64);
         },
         nullptr, false},
        {"a long string and UTF-8",
         [&] {
             CAPTURE(glsComment)(S(longText.c_str()));
             CAPTURE(glsString)(S("tag"), S(utf8.c_str()));
         },
         nullptr, false},
    };
    for (const Edge &e : edges) {
        SCOPED_TRACE(e.what);
        // A value text refuses leaves out its command, reported.
        std::function<void()> back = e.calls;
        if (text && e.textRefuses) back = [] {};
        if (text && e.textCalls) back = e.textCalls;
        const std::vector<CapturedRecord> want = reference(back);
        ASSERT_NO_FATAL_FAILURE(encode(type, e.calls));
        for (Way way : {CALL_ARRAY, READ_FUNCTION, FILE_STREAM}) {
            SCOPED_TRACE(wayNames[way]);
            errors.clear();
            const std::vector<CapturedRecord> got = play(type, way);
            EXPECT_TRUE(want == got) << "\nwant " << describe(want) << "\ngot  " << describe(got);
            EXPECT_EQ(e.textRefuses && text ? 1u : 0u, errors.size());
            EXPECT_EQ(0u, glsGetError());
        }
        // The file copied: into a context stream, which then holds the same.
        EXPECT_EQ(type, glsCopyStream(S(fileName), S("copy"), GLS_CONTEXT, 0));
        EXPECT_TRUE(want == capturedRecords("copy")) << describe(capturedRecords("copy"));
        glsDeleteStream(S("copy"));
        EXPECT_EQ(0u, glsGetError());
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, RoundTrip,
                         ::testing::Values(Encoding{GLS_TEXT, "Text"},
                                           Encoding{GLS_BINARY_LSB_FIRST, "Lsb"},
                                           Encoding{GLS_BINARY_MSB_FIRST, "Msb"}),
                         [](const ::testing::TestParamInfo<Encoding> &i) { return i.param.name; });

}  // namespace
