// Streams read through the reader: where a name is looked for, what the
// empty name reads, the stream queries, sections of any encoding one after
// another, records that the buffer must grow for, and streams that are cut
// short or malformed anywhere.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "api/api.h"
#include "api/gls_commands.h"
#include "context_test.h"

namespace {

const GLubyte *S(const char *text) { return (const GLubyte *)text; }

// What the recording call functions saw, one line per call.
std::vector<std::string> seen;
void GLSAPI onBeginGLS(GLint major, GLint minor) {
    seen.push_back("begin " + std::to_string(major) + "." + std::to_string(minor));
}
void GLSAPI onEndGLS() { seen.push_back("end"); }
void GLSAPI onEnd() { seen.push_back("glEnd"); }
void GLSAPI onBegin(GLenum mode) { seen.push_back("glBegin " + std::to_string(mode)); }
void GLSAPI onComment(const GLubyte *text) {
    seen.push_back("comment " + std::to_string(strlen((const char *)text)));
}
void GLSAPI onUnsupported(const GLubyte *name) { seen.push_back(std::string("unsupported ") + (const char *)name); }
void GLSAPI onError(GLSopcode op, GLSenum error) {
    seen.push_back("error " + std::to_string(op) + " " + std::to_string(error));
}

// A binary section built by hand in either byte order.
struct Binary {
    explicit Binary(bool msb) : msb(msb) {}
    bool msb;
    std::string bytes;

    void u16(GLuint v) {
        for (int i = 0; i < 2; ++i) bytes += (char)(v >> (msb ? 8 * (1 - i) : 8 * i));
    }
    void u32(GLuint v) {
        for (int i = 0; i < 4; ++i) bytes += (char)(v >> (msb ? 8 * (3 - i) : 8 * i));
    }
    Binary &begin(GLuint major = 1, GLuint minor = 0, GLuint size = 20) {
        u16(0), u16(0), u32(16), u32(size), u32(major), u32(minor);
        return *this;
    }
    Binary &shortRecord(GLuint op, const std::vector<GLuint> &args = {}) {
        u16(op), u16(4 + 4 * (GLuint)args.size());
        for (GLuint a : args) u32(a);
        return *this;
    }
    Binary &longRecord(GLuint op, GLuint size, const std::vector<GLuint> &args = {}) {
        u16(0), u16(0), u32(op), u32(size);
        for (GLuint a : args) u32(a);
        return *this;
    }
    Binary &end() { return longRecord(20, 12); }
};

const char *const fileName = "palisade_reader.gls";
const char *const bigFileName = "palisade_reader_big.gls";

// 64-bit positions of a stdio channel, where a long holds 32 bits (Windows).
int seek64(FILE *f, GLlong offset) {
#if defined(_WIN32)
    return _fseeki64(f, offset, SEEK_SET);
#else
    return fseeko(f, (off_t)offset, SEEK_SET);
#endif
}
GLlong tell64(FILE *f) {
#if defined(_WIN32)
    return _ftelli64(f);
#else
    return (GLlong)ftello(f);
#endif
}

void writeFile(const char *name, const std::string &bytes) {
    FILE *f = fopen(name, "wb");
    ASSERT_TRUE(f);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string feeding;
size_t fedAt;
size_t GLSAPI feed(size_t n, GLubyte *out) {
    const size_t k = std::min(n, feeding.size() - fedAt);
    memcpy(out, feeding.data() + fedAt, k);
    fedAt += k;
    return k;
}

class Reader : public GlsContextTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(GlsContextTest::SetUp());
        const struct {
            GLSopcode op;
            __GLSfunc fn;
        } recorders[] = {{__GLS_OP_glsBeginGLS, (__GLSfunc)onBeginGLS},
                         {__GLS_OP_glsEndGLS, (__GLSfunc)onEndGLS},
                         {__GLS_OP_glEnd, (__GLSfunc)onEnd},
                         {__GLS_OP_glBegin, (__GLSfunc)onBegin},
                         {__GLS_OP_glsComment, (__GLSfunc)onComment},
                         {__GLS_OP_glsUnsupportedCommand, (__GLSfunc)onUnsupported},
                         {__GLS_OP_glsError, (__GLSfunc)onError}};
        for (const auto &r : recorders) __glsSetCommandFunc(GLS_CALL_FUNC, r.op, r.fn);
        seen.clear();
    }
    void TearDown() override {
        for (const char *f : {fileName, bigFileName, "palisade_rp_x.gls", "palisade_wp_x.gls"}) {
            remove(f);
        }
        GlsContextTest::TearDown();
    }
    // Plays the bytes as a file: the calls seen, the result and the error.
    std::vector<std::string> playFile(const std::string &bytes, GLSenum *type = nullptr,
                                      GLSenum *error = nullptr) {
        writeFile(fileName, bytes);
        seen.clear();
        const GLSenum t = glsCallStream(S(fileName));
        const GLSenum e = glsGetError();
        if (type) *type = t;
        if (error) *error = e;
        return seen;
    }
};

const std::string textSection = "# a comment before\nglsBeginGLS(1, 0);\nglEnd();\nglsEndGLS();\n";

TEST_F(Reader, SectionsOfEveryEncodingFollowOneAnother) {
    const std::string lsb = Binary(false).begin(1, 7).shortRecord(55, {4}).end().bytes;
    const std::string msb = Binary(true).begin(0, 3).shortRecord(74).end().bytes;
    GLSenum type, error;
    EXPECT_EQ((std::vector<std::string>{"begin 1.0", "glEnd", "end", "begin 1.7", "glBegin 4", "end",
                                        "begin 0.3", "glEnd", "end", "begin 1.0", "glEnd", "end"}),
              playFile(textSection + " # after\n" + lsb + msb + textSection, &type, &error));
    EXPECT_EQ((GLSenum)GLS_TEXT, type);
    EXPECT_EQ(0u, error);
    // Fewer than 20 bytes after a whole section end the stream quietly.
    EXPECT_EQ((std::vector<std::string>{"begin 1.7", "glBegin 4", "end"}),
              playFile(lsb + "glsBeginGLS(1,0);", &type, &error));
    EXPECT_EQ((GLSenum)GLS_BINARY_LSB_FIRST, type);
    EXPECT_EQ(0u, error);
}

TEST_F(Reader, ASectionWithoutItsEndStopsTheStream) {
    const std::string lsb = Binary(false).begin().shortRecord(74).shortRecord(74).end().bytes;
    const std::string full = lsb + textSection;
    // Cut anywhere after the header and before the end record: the records
    // whole before the cut have run, then a decode error and no end call.
    for (size_t cut = 20; cut < lsb.size(); ++cut) {
        GLSenum type, error;
        std::vector<std::string> calls = playFile(full.substr(0, cut), &type, &error);
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ("begin 1.0", calls[0]) << cut;
        EXPECT_NE("end", calls.back()) << cut;
        EXPECT_EQ((GLSenum)GLS_DECODE_ERROR, error) << cut;
    }
    // Cut inside the header: no section at all.
    for (size_t cut = 0; cut < 20; ++cut) {
        GLSenum type, error;
        EXPECT_TRUE(playFile(lsb.substr(0, cut), &type, &error).empty());
        EXPECT_EQ(0u, type);
        EXPECT_EQ((GLSenum)GLS_PARAMETER_ERROR, error);
    }
    // A text section that runs out: its last command is no command.
    EXPECT_EQ((std::vector<std::string>{"begin 1.0", "glEnd", "error 0 128"}),
              playFile("glsBeginGLS(1, 0);\nglEnd();\n"));
    EXPECT_EQ((std::vector<std::string>{"begin 1.0", "glEnd", "error 20 128"}),
              playFile("glsBeginGLS(1, 0);\nglEnd();\nglsEndGLS("));
    // Blanks after the last line, as a writer that keeps room past its text
    // leaves when its process dies, read as the white space they are.
    EXPECT_EQ((std::vector<std::string>{"begin 1.0", "glEnd", "error 0 128"}),
              playFile("glsBeginGLS(1, 0);\r\nglEnd();\r\n" + std::string(70000, ' ')));
}

TEST_F(Reader, HeadersAndRecordHeaders) {
    GLSenum type, error;
    const struct {
        const char *what;
        std::string bytes;
        std::vector<std::string> calls;
        GLSenum type, error;
    } cases[] = {
        {"major version 2", Binary(false).begin(2).end().bytes, {}, 0, GLS_PARAMETER_ERROR},
        {"a header of 24 bytes", Binary(false).begin(1, 0, 24).end().bytes, {}, 0, GLS_PARAMETER_ERROR},
        {"any minor version", Binary(true).begin(1, 0xFFFFFFFF).end().bytes, {"begin 1.-1", "end"},
         GLS_BINARY_MSB_FIRST, 0},
        {"a short header of size 0 is a long one",
         Binary(false).begin().longRecord(74, 12).end().bytes, {"begin 1.0", "glEnd", "end"},
         GLS_BINARY_LSB_FIRST, 0},
        {"a long header of opcode 0", Binary(false).begin().longRecord(0, 12).end().bytes,
         {"begin 1.0"}, GLS_BINARY_LSB_FIRST, GLS_DECODE_ERROR},
        {"a record smaller than its header", Binary(false).begin().longRecord(74, 8).end().bytes,
         {"begin 1.0"}, GLS_BINARY_LSB_FIRST, GLS_DECODE_ERROR},
        {"opcodes without a command", Binary(true).begin().shortRecord(1).longRecord(700, 12).end().bytes,
         {"begin 1.0", "unsupported 0x1", "unsupported 0x2BC", "end"}, GLS_BINARY_MSB_FIRST, 0},
        {"a short record of opcode 20 is no end", Binary(false).begin().shortRecord(20).shortRecord(74).end().bytes,
         {"begin 1.0", "end", "glEnd", "end"}, GLS_BINARY_LSB_FIRST, 0},
        {"text of major version 2", "glsBeginGLS(2, 0); glsEndGLS();", {}, 0, GLS_PARAMETER_ERROR},
        {"text of major version 0", "glsBeginGLS(0, 5); glsEndGLS();         ", {"begin 0.5", "end"},
         GLS_TEXT, 0},
        {"fewer than 20 bytes", "glsBeginGLS(1,0);  ", {}, 0, GLS_PARAMETER_ERROR},
        {"a malformed end of a text section still ends it",
         "glsBeginGLS(1, 0); glsEndGLS(1); glsBeginGLS(1, 1); glEnd(); glsEndGLS();",
         {"begin 1.0", "error 20 128", "end", "begin 1.1", "glEnd", "end"}, GLS_TEXT, 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.calls, playFile(c.bytes, &type, &error)) << c.what;
        EXPECT_EQ(c.type, type) << c.what;
        EXPECT_EQ(c.error, error) << c.what;
    }
}

TEST_F(Reader, ARecordLargerThanTheBufferGrowsIt) {
    // A comment of 40,000 characters, in a 16,384-byte buffer, in both
    // byte orders and at both phases of 8.
    for (bool msb : {false, true}) {
        for (bool pad : {false, true}) {
            Binary b(msb);
            b.begin();
            if (pad) b.shortRecord(74);
            const GLuint field = 4 + 40004;
            b.longRecord(31, 12 + field);
            b.u32(field | 1);
            b.bytes += std::string(40000, 'c') + std::string(4, '\0');
            b.shortRecord(74).end();
            std::vector<std::string> want = {"begin 1.0", "comment 40000", "glEnd", "end"};
            if (pad) want.insert(want.begin() + 1, "glEnd");
            EXPECT_EQ(want, playFile(b.bytes)) << msb << pad;
        }
    }
}

TEST_F(Reader, NamesAreLookedForUnderTheReadPrefixesThenTheWritePrefix) {
    glsPrependReadPrefix(S("palisade_rp_"));
    ASSERT_TRUE(glsWritePrefix(S("palisade_wp_")));
    writeFile("palisade_wp_x.gls", textSection);
    EXPECT_EQ((GLSenum)GLS_TEXT, glsCallStream(S("x.gls")));
    EXPECT_STREQ("palisade_wp_x.gls", (const char *)glsGetStreamubz(GLS_READ_NAME, S("x.gls")));
    writeFile("palisade_rp_x.gls", Binary(false).begin().end().bytes);
    EXPECT_STREQ("palisade_rp_x.gls", (const char *)glsGetStreamubz(GLS_READ_NAME, S("x.gls")));
    EXPECT_EQ((GLSenum)GLS_BINARY_LSB_FIRST, glsGetStreami(GLS_STREAM_TYPE, S("x.gls")));
    // Deleting takes the first one found, then the next.
    glsDeleteStream(S("x.gls"));
    EXPECT_EQ((GLSenum)GLS_TEXT, glsGetStreami(GLS_STREAM_TYPE, S("x.gls")));
    glsDeleteStream(S("x.gls"));
    EXPECT_EQ(0u, glsGetError());
    glsDeleteStream(S("x.gls"));
    EXPECT_EQ((GLSenum)GLS_PARAMETER_ERROR, glsGetError());
    EXPECT_EQ(0u, glsCallStream(S("x.gls")));
    EXPECT_EQ((GLSenum)GLS_PARAMETER_ERROR, glsGetError());
}

TEST_F(Reader, SizeChecksumAndTypeOfAFileLeaveItWhereItWas) {
    writeFile(fileName, "123456789");
    EXPECT_EQ(9u, glsGetStreamSize(S(fileName)));
    EXPECT_EQ((GLint)0xFC891918, glsGetStreami(GLS_CRC32, S(fileName)));
    EXPECT_EQ(0, glsGetStreami(GLS_STREAM_TYPE, S(fileName)));
    EXPECT_EQ(0u, glsGetError());
    // Through the default read channel, whose position the queries keep.
    FILE *f = fopen(fileName, "rb");
    ASSERT_TRUE(f);
    fseek(f, 3, SEEK_SET);
    glsChannel(GLS_DEFAULT_READ_CHANNEL, f);
    const GLint crc = glsGetStreami(GLS_CRC32, S(""));
    EXPECT_EQ(9u, glsGetStreamSize(S("")));
    EXPECT_EQ(crc, glsGetStreami(GLS_CRC32, S("")));
    EXPECT_EQ((GLint)0xFC891918, crc);
    EXPECT_EQ(3, ftell(f));
    glsChannel(GLS_DEFAULT_READ_CHANNEL, stdin);
    fclose(f);
}

// A stream past 4 GiB, sparse so that it takes no room on the disk: its
// size is told in 64 bits, by name and through a default read channel that
// stands past 4 GiB, where the query leaves it. A 32-bit size_t cannot hold
// that size: the query then tells none.
TEST_F(Reader, AStreamPast4GiBIsMeasuredIn64Bits) {
    const GLlong size = ((GLlong)1 << 32) + 74, at = size - 10;
    FILE *f = fopen(bigFileName, "wb");
    ASSERT_TRUE(f);
    fwrite(textSection.data(), 1, textSection.size(), f);
    const bool extended = seek64(f, size - 1) == 0 && fputc(0, f) == 0;
    fclose(f);
    ASSERT_TRUE(extended);
    const size_t want = sizeof(size_t) >= 8 ? (size_t)size : 0;
    EXPECT_EQ(want, glsGetStreamSize(S(bigFileName)));
    EXPECT_EQ((GLSenum)GLS_TEXT, glsGetStreami(GLS_STREAM_TYPE, S(bigFileName)));
    f = fopen(bigFileName, "rb");
    ASSERT_TRUE(f);
    ASSERT_EQ(0, seek64(f, at));
    glsChannel(GLS_DEFAULT_READ_CHANNEL, f);
    EXPECT_EQ(want, glsGetStreamSize(S("")));
    EXPECT_EQ(at, tell64(f));
    glsChannel(GLS_DEFAULT_READ_CHANNEL, stdin);
    fclose(f);
    EXPECT_EQ(0u, glsGetError());
    EXPECT_EQ(0, remove(bigFileName));
}

// A device that never ends has no size and no checksum to read to its end:
// both queries answer at once, as a call of it does.
TEST_F(Reader, AnEndlessStreamIsNotReadToItsEnd) {
#if defined(_WIN32)
    glsPrependReadPrefix(S("Z:\\dev\\"));
#else
    glsPrependReadPrefix(S("/dev/"));
#endif
    if (!glsGetStreamubz(GLS_READ_NAME, S("zero"))) {
        glsGetError();
        glsRemoveReadPrefix(0);
        GTEST_SKIP() << "no endless device here";
    }
    EXPECT_EQ(0u, glsGetStreamSize(S("zero")));
    EXPECT_EQ(0, glsGetStreami(GLS_CRC32, S("zero")));
    EXPECT_EQ(0, glsGetStreami(GLS_STREAM_TYPE, S("zero")));
    EXPECT_EQ(0u, glsGetError());
    EXPECT_EQ(0u, glsCallStream(S("zero")));
    EXPECT_EQ((GLSenum)GLS_PARAMETER_ERROR, glsGetError());
    glsRemoveReadPrefix(0);
}

TEST_F(Reader, TheEmptyNameReadsTheReadFunctionElseTheDefaultChannel) {
    feeding = Binary(true).begin().shortRecord(74).end().bytes;
    fedAt = 0;
    glsReadFunc(feed);
    EXPECT_EQ((GLSenum)GLS_BINARY_MSB_FIRST, glsCallStream(S("")));
    EXPECT_EQ((std::vector<std::string>{"begin 1.0", "glEnd", "end"}), seen);
    // Nothing to measure without a channel.
    EXPECT_EQ(0u, glsGetStreamSize(S("")));
    EXPECT_EQ(0, glsGetStreami(GLS_CRC32, S("")));
    EXPECT_EQ(0, glsGetStreami(GLS_STREAM_TYPE, S("")));
    EXPECT_STREQ("", (const char *)glsGetStreamubz(GLS_READ_NAME, S("")));
    glsReadFunc(nullptr);

    writeFile(fileName, textSection);
    FILE *f = fopen(fileName, "rb");
    ASSERT_TRUE(f);
    glsChannel(GLS_DEFAULT_READ_CHANNEL, f);
    seen.clear();
    EXPECT_EQ((GLSenum)GLS_TEXT, glsCallStream(S("")));
    EXPECT_EQ((std::vector<std::string>{"begin 1.0", "glEnd", "end"}), seen);
    fclose(f);
    // Neither: nothing to read.
    glsChannel(GLS_DEFAULT_READ_CHANNEL, nullptr);
    EXPECT_EQ(0u, glsCallStream(S("")));
    EXPECT_EQ((GLSenum)GLS_PARAMETER_ERROR, glsGetError());
    glsChannel(GLS_DEFAULT_READ_CHANNEL, stdin);
    EXPECT_EQ(0u, glsGetError());
}

// A stream that plays itself: the 64th nested call ends every call in
// progress, and nothing after the nested call runs at any level.
TEST_F(Reader, AStreamThatCallsItselfStopsAtTheNestingLimit) {
    const std::string text = std::string("glsBeginGLS(1, 0); glsCallStream(\"") + fileName +
                             "\"); glEnd(); glsEndGLS();";
    Binary b(true);
    b.begin();
    const GLuint field = 4 + (GLuint)((strlen(fileName) + 4) & ~(size_t)3);
    b.u16(__GLS_OP_glsCallStream), b.u16(4 + field), b.u32(field | 1);
    b.bytes += fileName + std::string(field - 4 - strlen(fileName), '\0');
    b.shortRecord(74).end();
    for (const std::string &stream : {text, b.bytes}) {
        std::vector<std::string> calls(64, "begin 1.0");
        GLSenum error;
        EXPECT_EQ(calls, playFile(stream, nullptr, &error));
        EXPECT_EQ((GLSenum)GLS_STATE_ERROR, error);
        EXPECT_EQ(0, glsGetContexti(GLS_CALL_NESTING));
        EXPECT_FALSE(__glsIsAttribEnabled(GLS_ABORT_CALL));
    }
}

bool drawn;
void GLSAPI onDrawArrays(GLenum, GLint, GLsizei) { drawn = true; }

// A stream from a file holds another process's addresses: a draw that
// would read arrays at them is reported and left out, unless the call
// function is one of the caller's own. The same records from memory are
// the process's own.
TEST_F(Reader, ArraysAtAnotherProcesssAddressesAreNotDrawn) {
    Binary b(false);
    b.begin();
    b.shortRecord(__GLS_OP_glEnableClientState, {GL_VERTEX_ARRAY});
    b.shortRecord(__GLS_OP_glVertexPointer, {3, GL_FLOAT, 0, 0x12345670, 0});
    b.shortRecord(__GLS_OP_glDrawArrays, {GL_POINTS, 0, 1000});
    b.end();
    // Under a capture, so that the client commands keep the context's
    // mirror, which answers for want of a GL context. The draw reads the
    // arrays only when it is executed.
    ASSERT_TRUE(glsBeginCapture(S("sink"), GLS_CONTEXT, 0));
    glsCaptureFlags(__GLS_OP_glDrawArrays, 1);
    glsCaptureFlags(__GLS_OP_glsCallStream, 1);
    EXPECT_EQ((std::vector<std::string>{"begin 1.0", "error 320 128", "end"}), playFile(b.bytes));
    // A text stream alike; the arrays left disabled draw nothing from it.
    const std::string text = "glsBeginGLS(1, 0); glVertexPointer(2, GL_FLOAT, 0, 0x1000); glDrawArrays(GL_POINTS, 0, 9);"
                             " glDisableClientState(GL_VERTEX_ARRAY); glDrawArrays(GL_POINTS, 0, 9); glsEndGLS();";
    EXPECT_EQ((std::vector<std::string>{"begin 1.0", "error 320 128", "end"}), playFile(text));
    // From memory, and with a call function of the caller's, the draw is made.
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glDrawArrays, (__GLSfunc)onDrawArrays);
    drawn = false;
    playFile(b.bytes);
    EXPECT_TRUE(drawn);
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glDrawArrays, nullptr);
    seen.clear();
    glsCallArray(GLS_BINARY_LSB_FIRST, b.bytes.size(), S(b.bytes.c_str()));
    EXPECT_EQ((std::vector<std::string>{"begin 1.0", "end"}), seen);
    glsEndCapture();
}

#if !defined(_WIN32)
TEST_F(Reader, AChannelThatCannotSeekHasAnUnknownType) {
    FILE *pipe = popen("printf 'glsBeginGLS(1,0);glsEndGLS();'", "r");
    ASSERT_TRUE(pipe);
    glsChannel(GLS_DEFAULT_READ_CHANNEL, pipe);
    EXPECT_EQ((GLint)GLS_UNKNOWN, glsGetStreami(GLS_STREAM_TYPE, S("")));
    EXPECT_EQ((GLSenum)GLS_TEXT, glsCallStream(S("")));
    glsChannel(GLS_DEFAULT_READ_CHANNEL, stdin);
    pclose(pipe);
}
#endif

}  // namespace
