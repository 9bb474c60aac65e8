// The binary writer's records, both byte orders, and the writer core's
// buffering, targets and failures.
#include <stdio.h>
#include <stdlib.h>

#include "read_file.h"
#include "writer_fixture.h"

namespace {

// "00 0A ff" -> bytes
std::string hex(const char *text) {
    std::string out;
    for (const char *p = text; *p;) {
        if (*p == ' ') { ++p; continue; }
        out.push_back((char)strtol(std::string(p, 2).c_str(), nullptr, 16));
        p += 2;
    }
    return out;
}

struct Order {
    GLSenum type;
    const char *start, *end;  // the framing records
};

const Order orders[] = {
    {GLS_BINARY_LSB_FIRST, "00000000 10000000 14000000 01000000 00000000",
     "00000000 14000000 0C000000"},
    {GLS_BINARY_MSB_FIRST, "00000000 00000010 00000014 00000001 00000000",
     "00000000 00000014 0000000C"},
};

class BinaryWriter : public WriterTest, public ::testing::WithParamInterface<Order> {
protected:
    bool msb() const { return GetParam().type == GLS_BINARY_MSB_FIRST; }
    // The same field in either order, given most significant byte first.
    std::string field(const char *msbHex) {
        std::string b = hex(msbHex);
        return msb() ? b : std::string(b.rbegin(), b.rend());
    }
    void emptyCommand(GLSopcode op) {
        ASSERT_TRUE(w->put.beginCommand(w, op, 0));
        w->put.endCommand(w);
    }
};

TEST_P(BinaryWriter, GlTranslatedStreamIs60Bytes) {
    open(GetParam().type);
    ASSERT_TRUE(w->put.alignCommand(w, 0));
    ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glTranslated, 24));
    for (double d : {1.0, 2.0, 3.0}) w->put.putGLdouble(w, doubleBits(d));
    w->put.endCommand(w);
    std::string expect = hex(GetParam().start) + field("0115") + field("001C") +
                         field("3FF0000000000000") + field("4000000000000000") +
                         field("4008000000000000") + hex(GetParam().end);
    EXPECT_EQ(expect, close());
    EXPECT_EQ(60u, expect.size());
}

TEST_P(BinaryWriter, PadGoesBeforeGetDoublevAfterTheStartRecord) {
    open(GetParam().type, 0);
    ASSERT_TRUE(w->put.alignCommand(w, 1));
    ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glGetDoublev, 12));
    w->put.putGLenum(w, GL_MODELVIEW_MATRIX);
    w->put.putOutArg(w, 0, (const void *)(uintptr_t)0x12345678);
    w->put.endCommand(w);
    std::string s = close();
    ASSERT_EQ(52u, s.size());
    EXPECT_EQ(field("002B") + field("0004"), s.substr(20, 4));
    EXPECT_EQ(field("00EA") + field("0010"), s.substr(24, 4));
    EXPECT_EQ(field("00000BA6"), s.substr(28, 4));
    // A narrower address is zero-extended.
    EXPECT_EQ(field("0000000012345678"), s.substr(32, 8));
}

TEST_P(BinaryWriter, OutputPointersComeFromTheStreamWhileACallRuns) {
    ctx()->callNesting = 1;
    ctx()->outArgs.pointers[1] = 0x1122334455667788ull;
    ctx()->lastOutPointer = 0xAABBCCDDEEFF0011ull;
    open(GetParam().type, __GLS_WRITE_NO_FRAMING);
    ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glGetDoublev, 16));
    w->put.putOutArg(w, 1, &w);
    w->put.putArrayPointer(w, &w);
    w->put.endCommand(w);
    std::string s = close();
    EXPECT_EQ(field("1122334455667788") + field("AABBCCDDEEFF0011"), s.substr(4));
    // With an override for the opcode the client addresses are written.
    ctx()->callOverride[__GLS_OP_glGetDoublev] = (__GLSfunc)__gls_null_glGetDoublev;
    Sink::out.clear();
    open(GetParam().type, __GLS_WRITE_NO_FRAMING);
    ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glGetDoublev, 8));
    w->put.putOutArg(w, 1, nullptr);
    w->put.endCommand(w);
    EXPECT_EQ(field("0000000000000000"), close().substr(4));
}

struct HeaderCase {
    GLulong argBytes;
    bool isLong;
    GLuint count;
};

TEST_P(BinaryWriter, ShortAndLongHeadersMeetAt65531ArgumentBytes) {
    const HeaderCase cases[] = {
        {0, false, 4},        {1, false, 8},         {65528, false, 65532},
        {65529, true, 65544}, {65532, true, 65544},  {70000, true, 70012},
    };
    for (const HeaderCase &c : cases) {
        SCOPED_TRACE(c.argBytes);
        Sink::out.clear();
        open(GetParam().type, __GLS_WRITE_NO_FRAMING);
        ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glEnd, c.argBytes));
        w->put.padInCommand(w, (GLint)c.argBytes);
        w->put.endCommand(w);
        std::string s = close();
        ASSERT_EQ(c.count, s.size());
        char count[9];
        snprintf(count, sizeof count, "%08X", c.count);
        std::string header = c.isLong ? hex("00000000") + field("0000004A") + field(count)
                                      : field("004A") + field(count + 4);
        EXPECT_EQ(header, s.substr(0, header.size()));
    }
}

TEST_P(BinaryWriter, AlignCommandGrowsThePreviousRecordOrWritesAPad) {
    struct Case {
        GLulong prevArgs;   // the record before; phase 1 before it
        GLuint k;
        const char *grown;  // its count field afterwards (MSB hex), or null for a pad
    } cases[] = {
        {0, 0, "0008"},           // glEnd, count 4 -> 8
        {65524, 1, "FFFC"},       // count 65528 -> 65532
        {65528, 0, nullptr},      // count 65532 cannot grow
        {65532, 1, "0001000C"},   // long, 65544 -> 65548
    };
    const GLulong bigArgs = 100004;  // a long record of 100016 bytes: phase unchanged
    for (const Case &c : cases) {
        SCOPED_TRACE(c.prevArgs);
        Sink::out.clear();
        open(GetParam().type);  // phase 1 after the start record
        // A buffer large enough that the records below stay in it.
        ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glEnd, bigArgs));
        w->put.padInCommand(w, (GLint)bigArgs);
        w->put.endCommand(w);
        ASSERT_TRUE(__glsWriterFlush(w));
        ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glEnd, c.prevArgs));
        w->put.padInCommand(w, (GLint)c.prevArgs);
        w->put.endCommand(w);
        ASSERT_EQ(c.k, w->wordPhase);
        ASSERT_TRUE(w->put.alignCommand(w, c.k));
        EXPECT_EQ(c.k ^ 1, w->wordPhase);
        std::string s = close();
        size_t base = 20 + bigArgs + 12;
        bool isLong = c.prevArgs > 65531;
        if (c.grown) {
            std::string countField = s.substr(base + (isLong ? 8 : 2), isLong ? 4 : 2);
            EXPECT_EQ(field(c.grown), countField);
        } else {
            size_t pad = base + 4 + c.prevArgs;
            EXPECT_EQ(field("002B") + field("0004"), s.substr(pad, 4));
        }
    }
}

TEST_P(BinaryWriter, ARecordThatLeftTheBufferIsNotGrown) {
    open(GetParam().type);
    // Records of 65528 bytes, and a last one of the rest, fill the buffer
    // from its fifth byte to the limit.
    size_t left = __GLS_WRITER_LIMIT - 4, last = 0;
    for (; left; left -= last) {
        last = left >= 65528 + 4 ? 65528 : left;
        ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glEnd, last - 4));
        w->put.padInCommand(w, (GLint)(last - 4));
        w->put.endCommand(w);
    }
    ASSERT_TRUE(w->put.alignCommand(w, w->wordPhase));  // no room: flushed, so a pad
    std::string s = close();
    const size_t end = 20 + __GLS_WRITER_LIMIT - 4;
    EXPECT_EQ(field("002B") + field("0004"), s.substr(end, 4));
    char count[8];
    snprintf(count, sizeof count, "%04zX", last);
    EXPECT_EQ(field(count), s.substr(end - last + 2, 2));
}

TEST_P(BinaryWriter, AlignCommandAtTheOtherPhaseAddsNothing) {
    open(GetParam().type, __GLS_WRITE_NO_FRAMING);
    ASSERT_TRUE(w->put.alignCommand(w, 1));
    EXPECT_EQ(0u, w->wordPhase);
    EXPECT_EQ("", close());
}

TEST_P(BinaryWriter, AFlushForgetsTheLastRecordAndKeepsMemoryInPhase) {
    open(GetParam().type);
    emptyCommand(__GLS_OP_glEnd);  // phase 0
    emptyCommand(__GLS_OP_glEnd);  // phase 1
    ASSERT_TRUE(__glsWriterFlush(w));
    EXPECT_EQ(w->buffer + 4, w->writePtr);
    ASSERT_TRUE(w->put.alignCommand(w, 1));
    std::string s = close();
    EXPECT_EQ(field("002B") + field("0004"), s.substr(28, 4));
}

TEST_P(BinaryWriter, StringsAreCountedUtf8WithTheSevenBitMark) {
    struct Case {
        GLSenum type;
        std::vector<GLuint> chars;
        GLulong size;
        const char *lengthWord, *body;
    } cases[] = {
        {GLS_UCS1, {}, 8, "00000009", "00000000"},
        {GLS_UCS1, {'a', 'b', 'c'}, 8, "00000009", "61626300"},
        {GLS_UCS1, {0xE9}, 8, "00000008", "C3A90000"},
        {GLS_UCS2, {0x20AC}, 8, "00000008", "E282AC00"},
        {GLS_UCS4, {0x10348}, 12, "0000000C", "F0908D88 00000000"},
        // A negative 32-bit code, which UTF-8 cannot carry, is U+FFFD.
        {GLS_UCS4, {0x800000E9u}, 8, "00000008", "EFBFBD00"},
        // A field too small for the text keeps its terminator.
        {GLS_UCS1, {'a', 'b', 'c', 'd', 'e'}, 8, "00000009", "61626300"},
    };
    for (const Case &c : cases) {
        ctx()->stringType = c.type;
        std::vector<GLubyte> text;
        for (GLuint ch : c.chars) {
            GLubyte unit[4];
            memcpy(unit, &ch, 4);  // host order; the low unit first on the hosts served
            GLushort u2 = (GLushort)ch;
            if (c.type == GLS_UCS1) text.push_back((GLubyte)ch);
            if (c.type == GLS_UCS2) text.insert(text.end(), (GLubyte *)&u2, (GLubyte *)&u2 + 2);
            if (c.type == GLS_UCS4) text.insert(text.end(), unit, unit + 4);
        }
        text.resize(text.size() + 4, 0);
        Sink::out.clear();
        open(GetParam().type, __GLS_WRITE_NO_FRAMING);
        ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glsComment, c.size));
        w->put.putString(w, c.size, text.data());
        w->put.endCommand(w);
        EXPECT_EQ(field(c.lengthWord) + hex(c.body), close().substr(4)) << c.lengthWord;
    }
}

TEST_P(BinaryWriter, ImageDataIsGatheredAndOrdered) {
    // Two rows of two GLushort, 2 bytes of row padding, then the same again.
    const GLubyte data[] = {1, 2, 3, 4, 0xEE, 0xEE, 5, 6, 7, 8, 0xEE, 0xEE};
    struct Case {
        GLboolean swap;
        const char *lsb, *msb;
    } cases[] = {
        {0, "0102 0304 0506 0708", "0201 0403 0605 0807"},
        {1, "0201 0403 0605 0807", "0102 0304 0506 0708"},
    };
    for (const Case &c : cases) {
        Sink::out.clear();
        open(GetParam().type, __GLS_WRITE_NO_FRAMING);
        ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glEnd, 8));
        w->put.putGLushortImage(w, c.swap, 2, 2, 2, 0, 1, 0, 1, data);
        w->put.putGLushortImage(w, c.swap, 2, 2, 0, 0, 1, 0, 1, data);  // no rows: nothing
        w->put.endCommand(w);
        EXPECT_EQ(hex(msb() ? c.msb : c.lsb), close().substr(4));
    }
}

TEST_P(BinaryWriter, BitmapRowsAreWholeBytesMostSignificantBitFirst) {
    struct Case {
        GLboolean lsbFirst;
        GLint offset, rowBits, skipBits, rows;
        std::vector<GLubyte> data;
        const char *out;
    } cases[] = {
        {0, 0, 10, 6, 2, {0xAB, 0xFF, 0x12, 0x34}, "AB C0 12 00"},
        {0, 3, 10, 6, 1, {0xAB, 0xFF}, "5F C0"},
        {1, 0, 8, 0, 1, {0x01}, "80"},
        // Only the bytes that hold the row's bits are read: one here.
        {0, 3, 5, 3, 1, {0x1F}, "F8"},
        // Here the last bits reach into the second byte.
        {0, 6, 5, 3, 1, {0x03, 0xE0}, "F8"},
        {0, 0, 0, 0, 3, {0x00}, ""},
    };
    for (const Case &c : cases) {
        // Exactly sized, so that a read past the row is caught.
        GLubyte *data = (GLubyte *)malloc(c.data.size());
        memcpy(data, c.data.data(), c.data.size());
        Sink::out.clear();
        open(GetParam().type, __GLS_WRITE_NO_FRAMING);
        GLulong bytes = (GLulong)((c.rowBits + 7) / 8) * c.rows;
        ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glEnd, bytes));
        w->put.putBitmapBits(w, c.lsbFirst, c.offset, c.rowBits, c.skipBits, c.rows, 1, 0, data);
        w->put.padInCommand(w, (GLint)((4 - bytes % 4) % 4));
        w->put.endCommand(w);
        std::string expect = hex(c.out);
        expect.resize((expect.size() + 3) & ~3u, 0);
        EXPECT_EQ(expect, close().substr(4)) << c.out;
        free(data);
    }
}

TEST_P(BinaryWriter, VertexDataKeepsColourBytesInOrder) {
    const float v[] = {0.5f, 1.0f};
    GLubyte data[12] = {1, 2, 3, 4};
    memcpy(data + 4, v, 8);
    open(GetParam().type, __GLS_WRITE_NO_FRAMING);
    ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glsDrawVertexArray, 12));
    w->put.putVertexArrayData(w, GL_C4UB_V2F, 12, data);
    w->put.putVertexArrayData(w, 0x1234, 12, data);  // unknown format: nothing
    w->put.endCommand(w);
    EXPECT_EQ(hex("01020304") + field("3F000000") + field("3F800000"), close().substr(4));
}

TEST_P(BinaryWriter, AMiscountedRecordFailsTheWriterButNotTheProcess) {
    open(GetParam().type);
    ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glTranslated, 8));
    w->put.putGLint(w, 1);
    w->put.endCommand(w);
    EXPECT_EQ(GLS_PARAMETER_ERROR, glsGetError());
    EXPECT_FALSE(w->put.beginCommand(w, __GLS_OP_glEnd, 0));
    EXPECT_FALSE(w->put.alignCommand(w, w->wordPhase));
    // Only the start record, flushed when the capture began, was written.
    EXPECT_EQ(hex(GetParam().start), close());
}

TEST_P(BinaryWriter, ARecordBeyond32BitsIsRefusedAndTheWriterGoesOn) {
    open(GetParam().type, __GLS_WRITE_NO_FRAMING);
    EXPECT_FALSE(w->put.beginCommand(w, __GLS_OP_glEnd, 0xFFFFFFF8ull));
    EXPECT_FALSE(w->put.beginCommand(w, __GLS_OP_glEnd, 1ull << 40));
    EXPECT_EQ(GLS_RESOURCE_ERROR, glsGetError());
    emptyCommand(__GLS_OP_glEnd);
    EXPECT_EQ(field("004A") + field("0004"), close());
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, BinaryWriter, ::testing::ValuesIn(orders),
                         [](const ::testing::TestParamInfo<Order> &info) {
                             return info.param.type == GLS_BINARY_MSB_FIRST ? "Msb" : "Lsb";
                         });

// ----------------------------------------------------------- writer core

TEST_F(WriterTest, BufferedRecordsGoOutOnlyWhenTheNextDoesNotFit) {
    open(GLS_BINARY_LSB_FIRST);
    ASSERT_EQ(std::vector<size_t>{20}, Sink::calls);
    // From the buffer's fifth byte to its limit: records of glEnd.
    const size_t full = __GLS_WRITER_LIMIT - 4;
    for (size_t i = 0; i < full / 4; ++i) {
        ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glEnd, 0));
        w->put.endCommand(w);
    }
    EXPECT_EQ(1u, Sink::calls.size());
    ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glEnd, 0));
    w->put.endCommand(w);
    EXPECT_EQ((std::vector<size_t>{20, full}), Sink::calls);
    close();
    EXPECT_EQ((std::vector<size_t>{20, full, 16}), Sink::calls);
}

TEST_F(WriterTest, ARecordLargerThanTheBufferGetsABufferOfItsOwn) {
    open(GLS_BINARY_LSB_FIRST, __GLS_WRITE_NO_FRAMING);
    std::vector<GLubyte> big(__GLS_WRITER_BUFFER_SIZE + 100000, 7);
    ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glEnd, big.size()));
    w->put.putGLubytev(w, (GLlong)big.size(), big.data());
    w->put.endCommand(w);
    std::string s = close();
    ASSERT_EQ(big.size() + 12, s.size());
    EXPECT_EQ(std::string(big.begin(), big.end()), s.substr(12));
}

TEST_F(WriterTest, AShortWriteFailsTheWriterForGood) {
    open(GLS_BINARY_LSB_FIRST);
    Sink::shortBy = 1;
    ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glEnd, 0));
    w->put.endCommand(w);
    EXPECT_FALSE(__glsWriterFlush(w));
    EXPECT_EQ(GLS_IO_ERROR, glsGetError());
    EXPECT_FALSE(w->put.beginCommand(w, __GLS_OP_glEnd, 0));
    EXPECT_FALSE(w->put.alignCommand(w, 0));
    EXPECT_FALSE(__glsWriterFlush(w));
    close();
    EXPECT_EQ(0u, glsGetError());  // raised once
    EXPECT_EQ(2u, Sink::calls.size());
}

TEST_F(WriterTest, AnEmptyFlushCallsNothing) {
    open(GLS_TEXT, __GLS_WRITE_NO_FRAMING);
    EXPECT_TRUE(__glsWriterFlush(w));
    close();
    EXPECT_TRUE(Sink::calls.empty());
}

std::string readFile(const std::string &path) {
    std::string s;
    ::readFile(path, &s);  // a file not there reads as empty
    return s;
}

TEST_F(WriterTest, FilesAreNamedByThePrefixAndReplacedOrAppended) {
    // In the working directory, the test's own: other runs on the machine
    // share the temporary directory.
    const std::string prefix = "prefixed_";
    ASSERT_TRUE(glsWritePrefix((const GLubyte *)prefix.c_str()));
    std::string path = prefix + "writer_prefix.gls";
    remove(path.c_str());
    const struct {
        GLuint flags;
        size_t size;
    } steps[] = {{0, 32}, {0, 32}, {__GLS_WRITE_APPEND, 64}, {__GLS_WRITE_NO_FRAMING, 0}};
    for (const auto &step : steps) {
        w = __glsWriterCreate((const GLubyte *)"writer_prefix.gls", GLS_BINARY_MSB_FIRST,
                              step.flags);
        ASSERT_NE(nullptr, w);
        if (!(step.flags & __GLS_WRITE_NO_FRAMING)) {
            // The start record has gone to the file as the capture began.
            fflush(w->stream->file);
            EXPECT_GE(readFile(path).size(), 20u);
        }
        w = __glsWriterDestroy(w);
        EXPECT_EQ(step.size, readFile(path).size());
    }
    EXPECT_TRUE(Sink::calls.empty());
    remove(path.c_str());
}

TEST_F(WriterTest, AFileThatCannotBeOpenedGivesNoWriter) {
    std::string dir = ::testing::TempDir() + "no_such_directory/";
    ASSERT_TRUE(glsWritePrefix((const GLubyte *)dir.c_str()));
    EXPECT_EQ(nullptr, __glsWriterCreate((const GLubyte *)"a.gls", GLS_TEXT, 0));
    EXPECT_EQ(GLS_IO_ERROR, glsGetError());
}

TEST_F(WriterTest, AnEmptyNameWithoutAWriteFunctionWritesToTheChannel) {
    FILE *channel = tmpfile();
    ASSERT_NE(nullptr, channel);
    ctx()->writeFunc = nullptr;
    ctx()->defaultWriteChannel = channel;
    open(GLS_BINARY_LSB_FIRST, __GLS_WRITE_APPEND);
    close();
    // Still open: the channel is the context's, not the writer's.
    EXPECT_EQ(32, ftell(channel));
    EXPECT_EQ(0, fclose(channel));
}

TEST_F(WriterTest, IndexAndListArraysGoThroughTheirTypesArrayPut) {
    const GLubyte bytes[] = {1, 2, 3, 4, 5, 6};
    const GLushort shorts[] = {0x0102, 0x0304};
    struct Case {
        bool indices;
        GLenum type;
        GLint count;
        const void *data;
        const char *out;
    } cases[] = {
        {false, GL_3_BYTES, 2, bytes, "010203040506"},
        {false, GL_2_BYTES, 1, bytes, "0102"},
        {false, GL_UNSIGNED_SHORT, 2, shorts, "0102 0304"},
        {false, 0x1234, 2, bytes, ""},
        {true, GL_UNSIGNED_BYTE, 2, bytes, "0102"},
        {true, GL_BYTE, 2, bytes, ""},
    };
    for (const Case &c : cases) {
        Sink::out.clear();
        open(GLS_BINARY_MSB_FIRST, __GLS_WRITE_NO_FRAMING);
        ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glEnd, 0));
        GLubyte *before = w->writePtr;
        (c.indices ? __glsWriterPutIndices : __glsWriterPutIndexArray)(w, c.type, c.count, c.data);
        std::string written((const char *)before, (size_t)(w->writePtr - before));
        w->writePtr = before;
        w->put.endCommand(w);
        close();
        EXPECT_EQ(hex(c.out), written) << c.out;
    }
}

TEST_F(WriterTest, PixelRowsFollowTheUnpackModes) {
    struct Case {
        GLenum format, type;
        GLint width, rowLength, alignment;
        __GLSpixelRowInfo info;
    } cases[] = {
        {GL_RGB, GL_UNSIGNED_BYTE, 3, 0, 4, {8, 3, 3, 9, 9, 12}},
        {GL_RGB, GL_UNSIGNED_BYTE, 3, 5, 4, {8, 3, 1, 9, 9, 16}},
        {GL_COLOR_INDEX, GL_BITMAP, 10, 0, 1, {1, 1, 0, 2, 10, 2}},
        {GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4_EXT, 2, 0, 4, {16, 1, 0, 4, 2, 4}},
    };
    for (const Case &c : cases) {
        __GLSpixelStore state{};
        state.alignment = c.alignment;
        state.rowLength = c.rowLength;
        __GLSpixelRowInfo info;
        ASSERT_TRUE(__glsPixelRowSize(c.format, c.type, c.width, &state, &info));
        auto fields = [](const __GLSpixelRowInfo &i) {
            return std::vector<GLlong>{i.bitsPerComponent, i.components, i.padBytes,
                                       i.rowBytes,         i.elementsPerRow, i.strideBytes};
        };
        EXPECT_EQ(fields(c.info), fields(info)) << c.width << " " << c.rowLength;
    }
    __GLSpixelStore state{};
    state.alignment = 4;
    __GLSpixelRowInfo info;
    EXPECT_FALSE(__glsPixelRowSize(GL_RGB, GL_UNSIGNED_SHORT_4_4_4_4_EXT, 1, &state, &info));
    EXPECT_FALSE(__glsPixelRowSize(0x1234, GL_UNSIGNED_BYTE, 1, &state, &info));
}

TEST_F(WriterTest, BitmapPixelsStartAtTheSkippedPixelsBit) {
    // No GL context answers: the context's mirror holds the modes.
    __gls_client_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    __gls_client_glPixelStorei(GL_UNPACK_SKIP_PIXELS, 10);
    // Row of 6 pixels, 10 skipped: byte 1, bit 2 onwards.
    GLubyte data[3] = {0xFF, 0x2D, 0xFF};
    open(GLS_BINARY_LSB_FIRST, __GLS_WRITE_NO_FRAMING);
    ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glBitmap, 1));
    __glsWriterPutPixels(w, GL_COLOR_INDEX, GL_BITMAP, 6, 1, 0, 0, data);
    w->put.endCommand(w);
    EXPECT_EQ(hex("B4000000"), close().substr(4));
}

// A row length that makes the distance between rows pass 32 bits: the one
// row there is read from where it starts, and no distance wraps on the way.
TEST_F(WriterTest, RowsFartherApartThan32BitsReadTheirOwnRow) {
    struct Case {
        GLenum format, type;
        GLint width;
        GLulong size;
        const char *bytes;
    } cases[] = {
        {GL_COLOR_INDEX, GL_BITMAP, 8, 1, "A5000000"},
        {GL_RGBA, GL_FLOAT, 1, 16, "A55A0FF0 01020304 05060708 090A0B0C"},
    };
    __gls_client_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    __gls_client_glPixelStorei(GL_UNPACK_ROW_LENGTH, 0x7FFFFFFF);
    const GLubyte data[16] = {0xA5, 0x5A, 0x0F, 0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    for (const Case &c : cases) {
        Sink::out.clear();
        open(GLS_BINARY_LSB_FIRST, __GLS_WRITE_NO_FRAMING);
        ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glEnd, c.size));
        __glsWriterPutPixels(w, c.format, c.type, c.width, 1, 0, 0, data);
        w->put.endCommand(w);
        EXPECT_EQ(hex(c.bytes), close().substr(4)) << c.bytes;
    }
}

TEST_F(WriterTest, ThreeDImagesSkipWholeImages) {
    // Images of 1x2 luminance bytes; an image height of 0 means the height.
    // Skipped images count only where the GL has 3-D textures.
    ctx()->glInfo.texture3D = 1;
    __gls_client_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    __gls_client_glPixelStorei(GL_UNPACK_SKIP_IMAGES_EXT, 2);
    const GLubyte data[] = {1, 2, 3, 4, 5, 6, 7, 8};
    open(GLS_BINARY_LSB_FIRST, __GLS_WRITE_NO_FRAMING);
    ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glEnd, 4));
    __glsWriterPutPixels(w, GL_LUMINANCE, GL_UNSIGNED_BYTE, 1, 2, 2, 0, data);
    __glsWriterPutPixels(w, GL_LUMINANCE, GL_UNSIGNED_BYTE, 1, 2, 2, 0, nullptr);
    w->put.endCommand(w);
    // skipImages 2 x height 2 = 4 rows in.
    EXPECT_EQ(hex("05060708"), close().substr(4));
}

}  // namespace
