// Captures into in-memory GLS_CONTEXT streams: records and links as they
// land in the blocks, chained and moved blocks, append and replace,
// refusals, the stream queries and glsDeleteStream.
#include <gtest/gtest.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "api/api.h"
#include "api/stream_call.h"
#include "stream/context_stream.h"
#include "context_test.h"
#include "write/writer.h"

namespace {

const size_t LINK = __GLS_CONTEXT_LINK_SIZE, RESERVE = __GLS_CONTEXT_BLOCK_RESERVE;
const size_t BLOCK = __GLS_CONTEXT_BLOCK_SIZE;
// Offsets at which a chained block is full: 4 and 0 modulo 8.
const size_t FULL4 = BLOCK - 28, FULL0 = BLOCK - 32;
// A record longer than a chained block.
const size_t LONG = BLOCK + 4464;
const GLbitfield APPEND = 1, BARE = 2;  // write flags
const GLSenum NONE = 0, STATE = GLS_STATE_ERROR, PARAM = GLS_PARAMETER_ERROR,
              RESOURCE = GLS_RESOURCE_ERROR, UNSUPPORTED = GLS_UNSUPPORTED_COMMAND;
const GLuint PAD = 0x0004002Bu;  // a glsPad record in native order

std::string seen;  // the decoders' trace
std::function<void(GLint)> onVertexHook;

GLuint word(const GLubyte *p) {
    GLuint v;
    memcpy(&v, p, 4);
    return v;
}
const GLubyte *address(const GLubyte *p) {
    const GLubyte *a;
    memcpy(&a, p, sizeof a);
    return a;
}
void GLSAPI onVertex(GLubyte *args) {
    seen += "V" + std::to_string((GLint)word(args)) + " ";
    if (onVertexHook) onVertexHook((GLint)word(args));
}
void GLSAPI onBulk(GLubyte *args) { seen += "B" + std::to_string((GLint)word(args)) + " "; }
void GLSAPI onPad(GLubyte *) { seen += "P "; }
void GLSAPI onBeginGLS(GLubyte *) { seen += "G "; }
void GLSAPI onEndGLS(GLubyte *) { seen += "E "; }

std::string records(std::string trace) {  // without the glsPad records
    for (size_t at; (at = trace.find("P ")) != std::string::npos;) trace.erase(at, 2);
    return trace;
}

// CRC-32/BZIP2 bit by bit, independent of the stream's table.
GLuint crc32(const std::string &bytes) {
    GLuint crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= (GLuint)c << 24;
        for (int bit = 0; bit < 8; ++bit) {
            crc = crc & 0x80000000u ? crc << 1 ^ 0x04C11DB7u : crc << 1;
        }
    }
    return ~crc;
}

bool fileExists(const char *path) {
    FILE *f = fopen(path, "rb");
    if (f) fclose(f);
    return f != nullptr;
}

const GLubyte *u(const char *s) { return (const GLubyte *)s; }

class ContextWriter : public GlsContextTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(GlsContextTest::SetUp());
        onVertexHook = nullptr;
        glsGetError();
    }
    void TearDown() override {
        onVertexHook = nullptr;
        GlsContextTest::TearDown();
    }

    bool begin(const char *stream, GLbitfield flags = BARE) {
        return glsBeginCapture(u(stream), GLS_CONTEXT, flags);
    }
    __GLSwriter *w() { return ctx()->writer; }
    FILE *outFile() { return w()->stream ? w()->stream->file : nullptr; }
    __GLScontextStream *find(const char *stream) {
        return (__GLScontextStream *)__glsStrDictLookup(ctx()->contextStreamDict, u(stream));
    }
    std::vector<__GLScontextBlock *> blocks(const char *stream) {
        std::vector<__GLScontextBlock *> out;
        __GLScontextStream *s = find(stream);
        __GLSlistIter it;
        for (__glsListFirst(&s->blocks, &it); it; __glsListNext(&s->blocks, &it)) {
            out.push_back((__GLScontextBlock *)it);
        }
        return out;
    }
    // The bytes that size and CRC count. While a capture holds the stream
    // its last block has no link and the writer knows where it ends.
    std::string content(const char *stream) {
        std::string out;
        for (__GLScontextBlock *b : blocks(stream)) {
            bool open = b == blocks(stream).back() && find(stream)->beingWritten;
            GLubyte *end = open ? w()->writePtr : b->writePtr - LINK;
            out.append((const char *)b->data, (size_t)(end - b->data));
        }
        return out;
    }
    // Opening and closing captures refill the decoders: the test's own go
    // in before every run, and again after a capture inside one.
    void install() {
        ctx()->decodeFuncs[__GLS_OP_glVertex2iv] = onVertex;
        ctx()->decodeFuncs[__GLS_OP_glsComment] = onBulk;
        ctx()->decodeFuncs[__GLS_OP_glsPad] = onPad;
        ctx()->decodeFuncs[__GLS_OP_glsBeginGLS] = onBeginGLS;
        ctx()->decodeFuncs[__GLS_OP_glsEndGLS] = onEndGLS;
    }
    std::string run(const char *stream) {
        install();
        seen.clear();
        __glsContextStreamExecute(find(stream));
        return seen;
    }
    // glVertex2iv(x, 0): 12 bytes.
    void vertex(GLint x) {
        ASSERT_TRUE(w()->put.beginCommand(w(), __GLS_OP_glVertex2iv, 8));
        w()->put.putGLint(w(), x);
        w()->put.putGLint(w(), 0);
        w()->put.endCommand(w());
    }
    // glsComment of argBytes (a multiple of 4): the tag, then a pattern.
    void bulk(GLint tag, size_t argBytes) {
        ASSERT_TRUE(w()->put.beginCommand(w(), __GLS_OP_glsComment, argBytes));
        w()->put.putGLint(w(), tag);
        std::vector<GLubyte> fill(argBytes - 4);
        for (size_t i = 0; i < fill.size(); ++i) fill[i] = (GLubyte)(i * 7 + tag);
        w()->put.putGLubytev(w(), (__GLScount)fill.size(), fill.data());
        w()->put.endCommand(w());
    }
    // A glsComment that ends the block's data at offset end; one that long
    // has the long header.
    void bulkTo(GLint tag, size_t end) {
        const size_t shortBytes = end - offset() - 4;
        bulk(tag, shortBytes <= 65528 ? shortBytes : shortBytes - 8);
    }
    // The writer's offset in its block.
    size_t offset() {
        return (size_t)(w()->writePtr - __glsContextStreamLastBlock(w()->contextStream)->data);
    }
};

// ------------------------------------------------------ opening streams

TEST_F(ContextWriter, ANewStreamIsKeptInUtf8ListedAndFramed) {
    ASSERT_TRUE(begin("s\xE9", 0));  // GLS_UCS1 in, UTF-8 kept
    ASSERT_TRUE(find("s\xC3\xA9"));
    EXPECT_EQ(1, find("s\xC3\xA9")->beingWritten);
    EXPECT_STREQ("s\xE9", (const char *)glsGetContextListubz(GLS_CONTEXT_STREAM_LIST, 0));
    // The first block holds just the end link, so glsBeginGLS opened a
    // second block, linked from the first one's start.
    std::vector<__GLScontextBlock *> b = blocks("s\xC3\xA9");
    ASSERT_EQ(2u, b.size());
    EXPECT_EQ(RESERVE, (size_t)(b[0]->end - b[0]->data));
    EXPECT_EQ(b[1]->data, address(b[0]->data + 16));
    EXPECT_EQ(20u, offset());
    glsEndCapture();
    EXPECT_EQ(0, find("s\xC3\xA9")->beingWritten);
    EXPECT_EQ("G E ", run("s\xC3\xA9"));
    EXPECT_EQ(32u, glsGetStreamSize(u("s\xE9")));
    EXPECT_EQ(NONE, glsGetError());
}

TEST_F(ContextWriter, AppendKeepsTheOldRecordsAndReplaceDropsThem) {
    const struct {
        GLbitfield flags;
        const char *trace;
    } cases[] = {{0, "G V3 E P "},
                 {BARE, "V3 P "},
                 {APPEND, "G V1 V2 E G V3 E P "},
                 {APPEND | BARE, "G V1 V2 E V3 P "}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.flags);
        ASSERT_TRUE(begin("s", 0));
        vertex(1);
        vertex(2);
        glsEndCapture();
        std::string before = content("s");
        ASSERT_TRUE(begin("s", c.flags));
        vertex(3);
        glsEndCapture();
        EXPECT_EQ(c.trace, run("s"));
        std::string after = content("s");
        if (c.flags & APPEND) {
            EXPECT_EQ(before, after.substr(0, before.size()));
        }
        // Replacing cut the first block down to its link.
        __GLScontextBlock *first = blocks("s").front();
        EXPECT_EQ(c.flags & APPEND ? RESERVE : LINK, (size_t)(first->end - first->data));
        EXPECT_EQ(after.size(), glsGetStreamSize(u("s")));
        EXPECT_EQ(1, glsGetContexti(GLS_CONTEXT_STREAM_COUNT));
        glsDeleteStream(u("s"));
    }
    EXPECT_EQ(NONE, glsGetError());
}

TEST_F(ContextWriter, AStreamBeingReadOrWrittenIsRefusedAndLeftAlone) {
    ASSERT_TRUE(begin("s", 0));
    vertex(1);
    glsEndCapture();
    const std::string before = content("s");
    GLint nesting = -1;
    const struct {
        const char *what;
        std::function<void()> act;
        GLint nesting;  // when refused
    } cases[] = {
        {"written by a capture",
         [&] {
             ASSERT_TRUE(begin("s", APPEND));
             for (GLbitfield flags : {0u, APPEND, BARE, APPEND | BARE}) {
                 EXPECT_FALSE(begin("s", flags));
                 EXPECT_EQ(STATE, glsGetError());
             }
             nesting = ctx()->captureNesting;
             glsEndCapture();
         },
         1},
        {"read by its own execution",
         [&] {
             onVertexHook = [&](GLint) {
                 EXPECT_FALSE(begin("s", 0));
                 EXPECT_EQ(STATE, glsGetError());
                 nesting = ctx()->captureNesting;
             };
             EXPECT_EQ("G V1 E P G E ", run("s"));
             onVertexHook = nullptr;
         },
         0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        c.act();
        EXPECT_EQ(c.nesting, nesting);
        EXPECT_EQ(0, find("s")->beingWritten);
        EXPECT_EQ(0, find("s")->readCount);
    }
    // Only the admitted append added to the stream.
    EXPECT_EQ("G V1 E P G E ", run("s"));
    EXPECT_EQ(before, content("s").substr(0, before.size()));
}

// ---------------------------------------------------------- making room

// V1 and a bulk record fill the block up to `end`, and V2 does not fit: a
// new block is chained. With the writer 4 bytes past an 8-byte boundary a
// glsPad precedes the link and another one opens the new block, so that
// 8-byte values keep their alignment.
TEST_F(ContextWriter, ARecordThatDoesNotFitGoesToAChainedBlock) {
    const struct {
        size_t end;
        bool padded;
    } cases[] = {{FULL4, true}, {FULL0, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.end);
        ASSERT_TRUE(begin("s"));
        vertex(1);
        bulkTo(7, c.end);
        ASSERT_EQ(c.end, offset());
        ASSERT_LT(w()->limit - w()->writePtr, 12);
        vertex(2);
        std::vector<__GLScontextBlock *> b = blocks("s");
        ASSERT_EQ(3u, b.size());
        EXPECT_EQ(BLOCK, (size_t)(b[2]->end - b[2]->data));
        // The full block ends in [glsPad] 0 0 0 0 <address of the new data>.
        const GLubyte *link = b[1]->data + c.end + (c.padded ? 4 : 0);
        EXPECT_EQ(c.padded ? PAD : 0u, word(b[1]->data + c.end));
        EXPECT_EQ(link + LINK, b[1]->writePtr);
        EXPECT_EQ(std::string(16, '\0'), std::string((const char *)link, 16));
        EXPECT_EQ(b[2]->data, address(link + 16));
        // The new block: [glsPad] glVertex2iv(2, 0).
        const GLubyte *rec = b[2]->data + (c.padded ? 4 : 0);
        EXPECT_EQ(c.padded ? PAD : word(rec), word(b[2]->data));
        EXPECT_EQ((GLuint)__GLS_OP_glVertex2iv | 12u << 16, word(rec));
        EXPECT_EQ(2u, word(rec + 4));
        EXPECT_EQ(rec + 12, w()->writePtr);
        EXPECT_EQ(b[2]->end - RESERVE, w()->limit);
        glsEndCapture();
        EXPECT_EQ(c.padded ? "V1 B7 P P V2 " : "V1 B7 V2 P ", run("s"));
        EXPECT_EQ(c.end + 16 + (c.padded ? 4 : 0), glsGetStreamSize(u("s")));
        glsDeleteStream(u("s"));
    }
}

// Below nine tenths full, counting the reserve, the block moves to a
// larger area instead, and the link before it follows.
TEST_F(ContextWriter, ABlockLessThanNineTenthsFullMovesToALargerArea) {
    const size_t moves = ((size_t)(0.9 * BLOCK) - RESERVE) / 4 * 4;
    const struct {
        size_t used;
        bool moved;
    } cases[] = {{12, true}, {moves, true}, {moves + 4, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.used);
        ASSERT_TRUE(begin("s"));
        vertex(1);
        if (c.used > 12) bulkTo(7, c.used);
        __GLScontextBlock *block = blocks("s").back();
        const GLubyte *oldData = block->data;
        const std::string before = content("s");
        const size_t pad = c.moved ? 0 : 4 * w()->wordPhase;  // opens a new block
        bulk(8, LONG);
        std::vector<__GLScontextBlock *> b = blocks("s");
        ASSERT_EQ(c.moved ? 2u : 3u, b.size());
        EXPECT_EQ(c.moved, oldData != block->data);
        // used + record + reserve + a glsPad; or the record's own block.
        EXPECT_EQ((c.moved ? c.used : 0) + LONG + 12 + RESERVE + 4,
                  (size_t)(b.back()->end - b.back()->data));
        EXPECT_EQ(b[1]->data, address(b[0]->data + 16));
        EXPECT_EQ(b.back()->data + (c.moved ? c.used : pad) + LONG + 12, w()->writePtr);
        EXPECT_EQ(b.back()->end - RESERVE, w()->limit);
        EXPECT_EQ(before, content("s").substr(0, before.size()));
        glsEndCapture();
        EXPECT_EQ(c.used > 12 ? "V1 B7 B8 " : "V1 B8 ", records(run("s")));
        glsDeleteStream(u("s"));
    }
}

// The record before a block change stays behind: the 4 bytes of an
// alignment become a glsPad record of their own, never a longer record.
TEST_F(ContextWriter, AlignmentAfterABlockChangeWritesAPadRecord) {
    ASSERT_TRUE(begin("s"));
    vertex(1);
    const size_t limit = BLOCK - RESERVE;
    bulkTo(7, limit);
    ASSERT_EQ(w()->limit, w()->writePtr);
    ASSERT_TRUE(w()->put.alignCommand(w(), w()->wordPhase));
    EXPECT_EQ(PAD, word(w()->writePtr - 4));
    vertex(2);
    glsEndCapture();
    EXPECT_EQ(3u, blocks("s").size());
    // The long header of the glsComment that filled the block: its length
    // is what it was written with.
    const GLubyte *header = blocks("s")[1]->data + 12;
    EXPECT_EQ(0u, word(header));
    EXPECT_EQ((GLuint)__GLS_OP_glsComment, word(header + 4));
    EXPECT_EQ(limit - 12, word(header + 8));
    EXPECT_EQ("V1 B7 V2 ", records(run("s")));
    EXPECT_EQ(NONE, glsGetError());
}

// A writer that cannot make room fails for good; the stream keeps what was
// written and closes as usual.
TEST_F(ContextWriter, AFailureToMakeRoomFailsTheWriterAndKeepsTheStream) {
    struct Case {
        size_t used;  // small: the block would move; large: a block is chained
        GLulong bytes;
        bool direct;  // makeRoom itself, or a record of that many argument bytes
    };
    std::vector<Case> cases = {{32, (GLulong)SIZE_MAX - 8, true},
                               {FULL0, (GLulong)SIZE_MAX - 8, true}};
    if (sizeof(void *) == 4) {  // sizes that fit, memory that cannot be had
        cases.push_back({32, 0xF0000000u, false});
        cases.push_back({FULL0, 0xF0000000u, false});
    }
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.used) + " " + std::to_string(c.bytes));
        ASSERT_TRUE(begin("s", 0));
        vertex(1);
        if (c.used > 32) bulkTo(7, c.used);
        const std::string before = content("s");
        const size_t count = blocks("s").size();
        GLubyte *at = w()->writePtr;
        EXPECT_FALSE(c.direct ? w()->put.makeRoom(w(), c.bytes)
                              : w()->put.beginCommand(w(), __GLS_OP_glsComment, c.bytes));
        EXPECT_EQ(RESOURCE, glsGetError());
        EXPECT_TRUE(w()->failed);
        EXPECT_EQ(at, w()->writePtr);
        EXPECT_EQ(count, blocks("s").size());
        EXPECT_FALSE(w()->put.beginCommand(w(), __GLS_OP_glVertex2iv, 8));
        glsEndCapture();  // without glsEndGLS
        EXPECT_EQ(NONE, glsGetError());
        EXPECT_EQ(before, content("s").substr(0, before.size()));
        EXPECT_EQ(c.used > 32 ? "G V1 B7 " : "G V1 ", records(run("s")));
        glsDeleteStream(u("s"));
    }
}

// -------------------------------------------------------------- queries

TEST_F(ContextWriter, SizeAndCRCCountTheBytesWhileWrittenAndAfterARoundTrip) {
    ASSERT_TRUE(begin("s"));
    // Measured while written, as if the stream ended there: a glsPad before
    // the end link counts; measuring writes nothing between the records.
    for (size_t step : {0, 16, 24, 40}) {
        SCOPED_TRACE(step);
        if (step) vertex((GLint)step);
        std::string bytes = content("s");
        if (offset() % 8) bytes.append((const char *)&PAD, 4);
        EXPECT_EQ(step, bytes.size());
        EXPECT_EQ(step, glsGetStreamSize(u("s")));
        EXPECT_EQ((GLint)crc32(bytes), glsGetStreami(GLS_CRC32, u("s")));
    }
    bulkTo(5, FULL4);  // fills the block: V99 opens a third one
    vertex(99);
    glsEndCapture();
    std::string bytes = content("s");
    ASSERT_EQ(3u, blocks("s").size());
    EXPECT_EQ("V16 V24 V40 B5 P P V99 ", run("s"));
    // Opening for appending and closing with nothing written takes the end
    // link off and puts it back.
    ASSERT_TRUE(begin("s", APPEND | BARE));
    glsEndCapture();
    EXPECT_EQ(bytes, content("s"));
    EXPECT_EQ(bytes.size(), glsGetStreamSize(u("s")));
    EXPECT_EQ((GLint)crc32(bytes), glsGetStreami(GLS_CRC32, u("s")));
    EXPECT_EQ(GLS_CONTEXT, (GLSenum)glsGetStreami(GLS_STREAM_TYPE, u("s")));
    EXPECT_EQ(NONE, glsGetError());
}

TEST_F(ContextWriter, QueriesAnswerContextStreamsAndRefuseTheRest) {
    ASSERT_TRUE(begin("s"));
    glsEndCapture();
    const char *file = "palisade_cw_query.gls", *missing = "palisade_cw_missing.gls";
    FILE *f = fopen(file, "wb");
    ASSERT_TRUE(f);
    fclose(f);
    const struct {
        std::function<GLint()> query;
        GLint result;
        GLSenum error;
    } cases[] = {
        {[] { return (GLint)glsGetStreamSize(u("s")); }, 0, NONE},
        {[] { return glsGetStreami(GLS_CRC32, u("s")); }, 0, NONE},
        {[] { return (GLint)glsIsContextStream(u("s")); }, 1, NONE},
        {[=] { return (GLint)glsIsContextStream(u(file)); }, 0, NONE},
        {[] { return glsGetStreami(GLS_CRC32 + 2, u("s")); }, 0, PARAM},
        {[=] { return (GLint)glsGetStreamSize(u(file)); }, 0, UNSUPPORTED},
        {[=] { return glsGetStreami(GLS_CRC32, u(file)); }, 0, UNSUPPORTED},
        {[=] { return glsGetStreami(GLS_STREAM_TYPE, u(file)); }, 0, UNSUPPORTED},
        {[=] { return (GLint)glsGetStreamSize(u(missing)); }, 0, PARAM},
        {[=] { return glsGetStreami(GLS_STREAM_TYPE, u(missing)); }, 0, PARAM},
        {[] { return (GLint)glsGetStreamSize(nullptr); }, 0, PARAM},
        {[] { return (GLint)glsIsContextStream(nullptr); }, 0, PARAM},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        EXPECT_EQ(cases[i].result, cases[i].query()) << "row " << i;
        EXPECT_EQ(cases[i].error, glsGetError()) << "row " << i;
    }
    remove(file);
    glsContext(0);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(0, cases[i].query()) << "no context, row " << i;
        EXPECT_EQ(STATE, glsGetError()) << "no context, row " << i;
    }
    glsDeleteStream(u("s"));
    EXPECT_EQ(STATE, glsGetError());
    glsContext(name);
    EXPECT_TRUE(glsIsContextStream(u("s")));
}

// ------------------------------------------------------------- deletion

TEST_F(ContextWriter, DeletingAContextStream) {
    const struct {
        const char *what;
        std::function<void()> act;
        GLSenum error;
        bool remains;
    } cases[] = {
        {"idle", [] { glsDeleteStream(u("s")); }, NONE, false},
        {"written by a capture",
         [this] {
             ASSERT_TRUE(begin("s", APPEND | BARE));
             glsDeleteStream(u("s"));
             EXPECT_EQ(find("s"), w()->contextStream);
             vertex(3);
             glsEndCapture();
             EXPECT_EQ("V1 V2 V3 P ", run("s"));
         },
         STATE, true},
        {"while it runs",
         [this] {
             onVertexHook = [this](GLint x) {
                 if (x != 1) return;
                 glsDeleteStream(u("s"));
                 // Gone from the name at once; freed when the run ends.
                 EXPECT_FALSE(glsIsContextStream(u("s")));
                 EXPECT_EQ(0, glsGetContexti(GLS_CONTEXT_STREAM_COUNT));
                 EXPECT_TRUE(begin("s"));  // a new stream of that name
                 vertex(4);
                 glsEndCapture();
                 install();
             };
             EXPECT_EQ("V1 V2 ", run("s"));
             onVertexHook = nullptr;
             EXPECT_EQ("V4 P ", run("s"));
             glsDeleteStream(u("s"));
         },
         NONE, false},
        {"unknown name", [] { glsDeleteStream(u("palisade_cw_missing")); }, PARAM, true},
        {"null name", [] { glsDeleteStream(nullptr); }, PARAM, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(begin("s"));
        vertex(1);
        vertex(2);
        glsEndCapture();
        c.act();
        EXPECT_EQ(c.error, glsGetError());
        EXPECT_EQ(c.remains, (bool)glsIsContextStream(u("s")));
        EXPECT_EQ(c.remains ? 1 : 0, glsGetContexti(GLS_CONTEXT_STREAM_COUNT));
        if (c.remains) glsDeleteStream(u("s"));
    }
}

// A file that a capture of the context writes is closed before it is
// removed (an open file cannot be removed everywhere); the capture writes
// nothing more. Other captures go on.
TEST_F(ContextWriter, DeletingAFileClosesTheCaptureWritingItFirst) {
    const char *file = "palisade_cw_delete.gls", *kept = "palisade_cw_kept.gls";
    ASSERT_TRUE(glsBeginCapture(u(kept), GLS_BINARY_LSB_FIRST, 0));
    for (bool captured : {false, true}) {
        SCOPED_TRACE(captured);
        if (captured) {
            ASSERT_TRUE(glsBeginCapture(u(file), GLS_BINARY_LSB_FIRST, 0));
        } else {
            FILE *f = fopen(file, "wb");
            ASSERT_TRUE(f);
            fclose(f);
        }
        ASSERT_TRUE(fileExists(file));
        glsDeleteStream(u(file));
        EXPECT_EQ(NONE, glsGetError());
        EXPECT_FALSE(fileExists(file));
        if (captured) {
            EXPECT_EQ(nullptr, outFile());
            EXPECT_FALSE(w()->put.beginCommand(w(), __GLS_OP_glVertex2iv, 8));
            glsFlush();
            glsEndCapture();
            EXPECT_EQ(NONE, glsGetError());
            EXPECT_FALSE(fileExists(file));
        }
        glsDeleteStream(u(file));
        EXPECT_EQ(PARAM, glsGetError());
    }
    EXPECT_FALSE(w()->failed);
    glsEndCapture();
    FILE *f = fopen(kept, "rb");
    ASSERT_TRUE(f);
    char bytes[64];
    EXPECT_EQ(32u, fread(bytes, 1, sizeof bytes, f));  // glsBeginGLS, glsEndGLS
    fclose(f);
    remove(kept);
}

TEST_F(ContextWriter, DestroyingTheContextEndsItsCapturesBeforeItsStreams) {
    ASSERT_TRUE(begin("s", 0));
    vertex(1);
    ASSERT_TRUE(begin("t", 0));
    bulk(1, LONG);
    glsContext(0);
    glsDeleteContext(name);  // a leak or a double free is the sanitizer's
    name = glsGenContext();
    glsContext(name);
    EXPECT_EQ(NONE, glsGetError());
}

}  // namespace
