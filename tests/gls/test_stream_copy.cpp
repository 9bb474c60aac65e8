// Copying a stream re-captures its commands into another stream, refusing
// to copy a stream onto itself or one a capture is still writing; the
// stream names answer for context streams and the write prefix.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "api/api.h"
#include "context_test.h"
#include "gls_entry.h"
#include "support.h"

namespace {

const GLubyte *u(const char *text) { return (const GLubyte *)text; }

class StreamCopy : public GlsContextTest {
protected:
    // A context stream holding a few argument-less commands, written only.
    void record(const char *stream) {
        for (GLSopcode op : {__GLS_OP_glPushMatrix, __GLS_OP_glLoadIdentity, __GLS_OP_glPopMatrix}) {
            glsCaptureFlags(op, 2);
        }
        ASSERT_TRUE(glsBeginCapture(u(stream), GLS_CONTEXT, 0));
        glPushMatrix();
        glLoadIdentity();
        glPopMatrix();
        glsEndCapture();
    }
};

}  // namespace

TEST_F(StreamCopy, AContextStreamCopiesRecordForRecord) {
    record("source");
    EXPECT_EQ((GLSenum)GLS_CONTEXT, glsCopyStream(u("source"), u("copy"), GLS_CONTEXT, 0));
    EXPECT_EQ(0u, glsGetError());
    ASSERT_TRUE(glsIsContextStream(u("copy")));
    EXPECT_EQ(glsGetStreamSize(u("source")), glsGetStreamSize(u("copy")));
    EXPECT_EQ(glsGetStreami(GLS_CRC32, u("source")), glsGetStreami(GLS_CRC32, u("copy")));
    EXPECT_EQ(0, glsGetContexti(GLS_CALL_NESTING));
    // Type 0 means a context stream as well.
    EXPECT_EQ((GLSenum)GLS_CONTEXT, glsCopyStream(u("source"), u("again"), 0, 0));
    EXPECT_EQ(glsGetStreami(GLS_CRC32, u("source")), glsGetStreami(GLS_CRC32, u("again")));
}

TEST_F(StreamCopy, RefusalsLeaveTheSourceAlone) {
    record("source");
    const GLint crc = glsGetStreami(GLS_CRC32, u("source"));
    // Onto itself: opening the copy would empty what it reads.
    EXPECT_EQ(0u, glsCopyStream(u("source"), u("source"), GLS_CONTEXT, 0));
    EXPECT_EQ((GLSenum)GLS_STATE_ERROR, glsGetError());
    EXPECT_EQ(crc, glsGetStreami(GLS_CRC32, u("source")));
    // A stream a capture is writing.
    ASSERT_TRUE(glsBeginCapture(u("open"), GLS_CONTEXT, 0));
    EXPECT_EQ(0u, glsCopyStream(u("open"), u("elsewhere"), GLS_CONTEXT, 0));
    EXPECT_EQ((GLSenum)GLS_STATE_ERROR, glsGetError());
    glsEndCapture();
    // Bad destination types and flags, a name found nowhere, a null name.
    const struct { GLSenum type; GLbitfield flags; } bad[] = {{63, 0}, {68, 0}, {GLS_CONTEXT, 4}};
    for (const auto &b : bad) {
        EXPECT_EQ(0u, glsCopyStream(u("source"), u("x"), b.type, b.flags));
        EXPECT_EQ((GLSenum)GLS_PARAMETER_ERROR, glsGetError());
    }
    EXPECT_EQ(0u, glsCopyStream(u("nowhere"), u("x"), GLS_CONTEXT, 0));
    EXPECT_EQ((GLSenum)GLS_PARAMETER_ERROR, glsGetError());
    EXPECT_EQ(0u, glsCopyStream(nullptr, u("x"), GLS_CONTEXT, 0));
    EXPECT_EQ((GLSenum)GLS_PARAMETER_ERROR, glsGetError());
    EXPECT_FALSE(glsIsContextStream(u("x")));
}

TEST_F(StreamCopy, StreamNames) {
    record("source");
    EXPECT_STREQ("source", (const char *)glsGetStreamubz(GLS_READ_NAME, u("source")));
    ASSERT_TRUE(glsWritePrefix(u("out/")));
    EXPECT_STREQ("out/anything", (const char *)glsGetStreamubz(GLS_WRITE_NAME, u("anything")));
    EXPECT_EQ(nullptr, glsGetStreamubz(GLS_READ_NAME, u("no such stream")));
    EXPECT_EQ((GLSenum)GLS_PARAMETER_ERROR, glsGetError());
    EXPECT_EQ(nullptr, glsGetStreamubz(GLS_STREAM_TYPE, u("source")));
    EXPECT_EQ((GLSenum)GLS_PARAMETER_ERROR, glsGetError());
}
