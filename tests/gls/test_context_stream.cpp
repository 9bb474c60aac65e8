// In-memory context streams: links and pads, size and CRC, trimming, and the
// executor's walk over hand-built native records.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "api/stream_call.h"
#include "core/context.h"
#include "read/decode.h"
#include "stream/context_stream.h"

namespace {

const size_t LINK = __GLS_CONTEXT_LINK_SIZE;
typedef std::vector<GLuint> Words;

std::string seen;  // what the decoders saw, in order
__GLScontextStream *running = nullptr;

void GLSAPI onBegin(GLenum mode) { seen += "B" + std::to_string(mode) + " "; }
void GLSAPI onEnd(GLubyte *) { seen += "E "; }
void GLSAPI onPad(GLubyte *) { seen += "P "; }
void GLSAPI onBeginGLS(GLubyte *args) { seen += "G" + std::to_string(*(GLint *)args) + " "; }
// glVertex2iv x: 1 aborts, 2 runs the stream once more from inside, 3
// deletes it as the programming interface does while it runs.
void GLSAPI onVertex(GLubyte *args) {
    GLint x = *(GLint *)args;
    seen += "V" + std::to_string(x) + " ";
    if (x == 1) __glsGetContext()->abortCall = 1;
    if (x == 2 && running->readCount == 1) __glsContextStreamExecute(running);
    if (x == 3) running->deletePending = 1;
}

GLuint hdr(GLuint opcode, GLuint length) { return opcode | length << 16; }
Words V(GLint x) { return {hdr(__GLS_OP_glVertex2iv, 12), (GLuint)x, 7}; }
const GLuint END = hdr(__GLS_OP_glEnd, 4);

// Each entry is one block's records; the blocks are sized to their bytes
// (plus spare ones) so that the sanitizer sees any read past them. Every
// block but the last ends in a link, the last in the end link unless a
// writer holds it open.
__GLScontextStream *makeStream(const std::vector<Words> &blocks, bool open = false,
                               size_t spare = 0) {
    __GLScontextStream *stream = __glsContextStreamCreate((const GLubyte *)"s");
    __glsContextBlockDestroy(__glsContextStreamFirstBlock(stream));
    stream->blocks = nullptr;
    __GLScontextBlock *prev = nullptr;
    for (size_t i = 0; i < blocks.size(); ++i) {
        size_t bytes = blocks[i].size() * 4;
        bool linked = !open || i + 1 < blocks.size();
        __GLScontextBlock *block =
            __glsContextStreamAddBlock(stream, bytes + (linked ? bytes % 8 + LINK : 0) + spare);
        EXPECT_TRUE(!prev || __glsContextStreamPutLink(prev, block->data)) << i;
        memcpy(block->data, blocks[i].data(), bytes);
        block->writePtr += bytes;
        prev = block;
    }
    EXPECT_TRUE(open || __glsContextStreamPutLink(prev, nullptr));
    return stream;
}

class ContextStream : public ::testing::Test {
protected:
    __GLScontext *ctx = (__GLScontext *)calloc(1, sizeof(__GLScontext));
    void *saved = __glsTlsGet(__glsContextTLS);
    void SetUp() override {
        for (int op = 1; op <= 10; ++op) ctx->decodeFuncs[op] = __glsDispatchDecode_bin_default[op];
        ctx->callFuncs[__GLS_OP_glBegin] = (__GLSfunc)onBegin;
        ctx->decodeFuncs[__GLS_OP_glEnd] = onEnd;
        ctx->decodeFuncs[__GLS_OP_glsPad] = onPad;
        ctx->decodeFuncs[__GLS_OP_glsBeginGLS] = onBeginGLS;
        ctx->decodeFuncs[__GLS_OP_glVertex2iv] = onVertex;
        __glsTlsSet(__glsContextTLS, ctx);
        glsGetError();
    }
    void TearDown() override {
        __glsTlsSet(__glsContextTLS, saved);
        free(ctx);
    }
    // The decoders' trace and the error the walk left.
    std::string run(__GLScontextStream *stream, GLSenum error = 0) {
        seen.clear();
        running = stream;
        __glsContextStreamExecute(stream);
        EXPECT_EQ(error, glsGetError()) << seen;
        return seen;
    }
};

TEST_F(ContextStream, SizeAndCRCLeaveLinksOut) {
    __GLScontextStream *fresh = __glsContextStreamCreate((const GLubyte *)"n\xC3\xA9");
    EXPECT_STREQ("n\xC3\xA9", (const char *)fresh->name.start);
    EXPECT_EQ(__glsContextStreamFirstBlock(fresh), __glsContextStreamLastBlock(fresh));
    // "123456789" in one block held open, and over two linked blocks.
    __GLScontextStream *whole = makeStream({Words(3)}, true);
    memcpy(__glsContextStreamFirstBlock(whole)->data, "123456789", 9);
    __glsContextStreamFirstBlock(whole)->writePtr -= 3;
    __GLScontextStream *split = makeStream({Words(2), Words(1)}, true);
    memcpy(__glsContextStreamFirstBlock(split)->data, "12345678", 8);
    memcpy(__glsContextStreamLastBlock(split)->data, "9", 1);
    __glsContextStreamLastBlock(split)->writePtr -= 3;
    const struct { __GLScontextStream *stream; size_t size; GLuint crc; } cases[] = {
        {fresh, 0, 0}, {whole, 9, 0xFC891918u}, {split, 9, 0xFC891918u}};
    for (const auto &c : cases) {
        EXPECT_EQ(c.size, __glsContextStreamSize(c.stream));
        EXPECT_EQ(c.crc, __glsContextStreamCRC(c.stream));
        __glsContextStreamDestroy(c.stream);
    }
}

TEST_F(ContextStream, LinksSitOnEightByteBoundariesOrAreRefused) {
    EXPECT_EQ(16 + sizeof(void *), LINK);
    const struct { size_t capacity, offset, after; } cases[] = {
        {LINK, 0, LINK}, {8 + LINK, 8, 8 + LINK}, {16 + LINK, 12, 16 + LINK},  // pad at 12
        {12 + LINK, 12, 12}, {LINK - 1, 0, 0}};                                 // no room
    for (const auto &c : cases) {
        __GLScontextBlock *block = __glsContextBlockCreate(c.capacity);
        memset(block->data, 0xAB, c.capacity);
        block->writePtr += c.offset;
        bool fits = c.after != c.offset;
        EXPECT_EQ(fits, __glsContextStreamPutLink(block, block->data)) << c.offset;
        EXPECT_EQ(c.after, (size_t)(block->writePtr - block->data)) << c.offset;
        GLuint pad = 0;
        memcpy(&pad, block->data + c.offset, 4);
        EXPECT_EQ(fits && c.offset % 8, pad == hdr(__GLS_OP_glsPad, 4)) << c.offset;
        EXPECT_EQ(fits, __glsContextStreamUnlink(block)) << c.offset;
        EXPECT_FALSE(__glsContextStreamUnlink(block)) << c.offset;
        __glsContextBlockDestroy(block);
    }
}

TEST_F(ContextStream, TrimShrinksRelinksAndFreesTheRest) {
    __GLScontextStream *stream = makeStream({V(5), V(6), V(7)}, false, 16);
    __GLScontextBlock *middle = (__GLScontextBlock *)stream->blocks->next;
    __glsContextStreamTrim(stream, middle, 12);
    EXPECT_EQ(middle, __glsContextStreamLastBlock(stream));
    EXPECT_EQ(16 + LINK, (size_t)(middle->end - middle->data));
    EXPECT_EQ(32u, __glsContextStreamSize(stream));
    EXPECT_EQ("V5 P V6 P ", run(stream));  // through the moved block's new address
    __glsContextStreamTrim(stream, __glsContextStreamFirstBlock(stream), 0);
    __GLScontextBlock *only = __glsContextStreamFirstBlock(stream);
    EXPECT_EQ(only, __glsContextStreamLastBlock(stream));
    EXPECT_EQ(LINK, (size_t)(only->end - only->data));
    EXPECT_EQ("", run(stream));
    __glsContextStreamDestroy(stream);
}

TEST_F(ContextStream, RunsShortLongAndCompactRecordsInOrderUntilAnAbortAtALink) {
    const Words one = {0, __GLS_OP_glsBeginGLS, 20, 1, 0, hdr(1, 4), V(8)[0], 8, 0};
    const Words two = {hdr(10, 4), END, 0, __GLS_OP_glEnd, 16, 99};
    __GLScontextStream *stream = makeStream({one, two});
    EXPECT_EQ("G1 B0 V8 P B9 E E ", run(stream));
    EXPECT_EQ(0, stream->readCount);
    __glsContextStreamDestroy(stream);
    // The rest of the block still runs; the next block does not.
    stream = makeStream({{V(1)[0], 1, 0, END}, {END}});
    EXPECT_EQ("V1 E ", run(stream));
    __glsContextStreamDestroy(stream);
}

TEST_F(ContextStream, MalformedRecordsStopTheWalkWithADecodeError) {
    const Words bad[] = {
        {hdr(__GLS_OP_glEnd, 2)},  {__GLS_OP_glEnd}, {0, __GLS_OP_glEnd, 8},  // shorter than the header
        {hdr(__GLS_OP_glEnd, 64)}, {0}, {0, 0, 0, 0},                         // longer than the data
        {hdr(496, 4)}, {0, 70000, 12}, {hdr(__GLS_OP_glCallList, 8), 1},    // no such decoder
        {0, 0, 4, 0, 0, 0},                                                   // a link with a length
    };
    for (const Words &records : bad) {
        __GLScontextStream *stream = makeStream({V(4), records}, true);
        EXPECT_EQ("V4 P ", run(stream, GLS_DECODE_ERROR)) << records[0];
        EXPECT_EQ(0, stream->readCount);
        __glsContextStreamDestroy(stream);
    }
    // A link to memory that is not the next block; no end link.
    __GLScontextStream *stream = makeStream({V(4), {END}});
    __GLScontextBlock *first = __glsContextStreamFirstBlock(stream);
    memcpy(first->writePtr - sizeof(void *), &first->data, sizeof(void *));
    EXPECT_EQ("V4 P ", run(stream, GLS_DECODE_ERROR));
    __glsContextStreamUnlink(first);
    EXPECT_EQ("V4 P ", run(stream, GLS_DECODE_ERROR));
    __glsContextStreamDestroy(stream);
}

TEST_F(ContextStream, DeletedWhileRunningIsFreedOnceByTheOutermostRun) {
    // Both walks finish; a second free or a leak would be the sanitizer's.
    EXPECT_EQ("V2 V2 P E P V3 P P E P V3 P ", run(makeStream({V(2), {END}, V(3)})));
}

}  // namespace
