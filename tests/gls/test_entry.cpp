// The exported entry points: each reaches the slot of its opcode in the
// thread's current table, scalar forms as their vector form with the
// argument bits unchanged.
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>

#include "core/context.h"
#include "gls_entry.h"
#include "support.h"

namespace {

// What the recording slots saw last.
struct Seen {
    int opcode;
    unsigned char bytes[32];
    const void *first, *second;
    GLenum target;
    GLuint name;
} seen;

template <int Op, size_t Bytes>
void GLSAPI recordVector(const void *v) {
    seen.opcode = Op;
    seen.first = v;
    memcpy(seen.bytes, v, Bytes);
}
template <int Op, size_t Bytes>
void GLSAPI recordRect(const void *a, const void *b) {
    seen.opcode = Op;
    seen.first = a;
    seen.second = b;
    memcpy(seen.bytes, a, Bytes);
}
void GLSAPI recordBindTexture(GLenum target, GLuint name) {
    seen.opcode = __GLS_OP_glBindTexture;
    seen.target = target;
    seen.name = name;
}
GLboolean GLSAPI answerIsTexture(GLuint name) { return name == 9 ? 0x5A : 0; }
void GLSAPI recordVertexPointer(GLint, GLenum, GLsizei, const GLvoid *) {
    seen.opcode = __GLS_OP_glVertexPointer;
}

// A context whose table records instead of drawing, current on this thread
// for the test's duration.
class EntryTest : public ::testing::Test {
protected:
    __GLScontext ctx = {};
    void SetUp() override {
        memcpy(ctx.dispatch, __glsDefaultDispatchTable, sizeof ctx.dispatch);
        ctx.dispatch[__GLS_OP_glColor3bv] = (__GLSfunc)recordVector<__GLS_OP_glColor3bv, 3>;
        ctx.dispatch[__GLS_OP_glVertex2dv] = (__GLSfunc)recordVector<__GLS_OP_glVertex2dv, 16>;
        ctx.dispatch[__GLS_OP_glTexCoord4fv] = (__GLSfunc)recordVector<__GLS_OP_glTexCoord4fv, 16>;
        ctx.dispatch[__GLS_OP_glEdgeFlagv] = (__GLSfunc)recordVector<__GLS_OP_glEdgeFlagv, 1>;
        ctx.dispatch[__GLS_OP_glIndexubv] = (__GLSfunc)recordVector<__GLS_OP_glIndexubv, 1>;
        ctx.dispatch[__GLS_OP_glRectfv] = (__GLSfunc)recordRect<__GLS_OP_glRectfv, 16>;
        ctx.dispatch[__GLS_OP_glRectsv] = (__GLSfunc)recordRect<__GLS_OP_glRectsv, 8>;
        ctx.dispatch[__GLS_OP_glBindTexture] = (__GLSfunc)recordBindTexture;
        ctx.dispatch[__GLS_OP_glIsTexture] = (__GLSfunc)answerIsTexture;
        ctx.dispatch[__GLS_OP_glVertexPointer] = (__GLSfunc)recordVertexPointer;
        ctx.dispatch[__GLS_OP_glVertexPointerEXT] = nullptr;  // must never be reached
        memset(&seen, 0, sizeof seen);
        __glsTlsSet(__glsContextTLS, &ctx);
    }
    void TearDown() override { __glsTlsSet(__glsContextTLS, nullptr); }
};

}  // namespace

TEST_F(EntryTest, ScalarFormsReachTheVectorSlotWithTheirBits) {
    glColor3b(-1, 2, -128);
    EXPECT_EQ(__GLS_OP_glColor3bv, seen.opcode);
    const unsigned char color[3] = {0xFF, 2, 0x80};
    EXPECT_EQ(0, memcmp(color, seen.bytes, 3));

    // Signalling and quiet NaNs, negative zero and a denormal keep their bits.
    const uint64_t dx = 0x7FF0000000000001ull, dy = 0x8000000000000000ull;
    // The values are made in memory: a function returning a double hands it
    // back through the x87 stack on i686, which would quiet the NaN first.
    double x, y;
    memcpy(&x, &dx, 8);
    memcpy(&y, &dy, 8);
    glVertex2d(x, y);
    EXPECT_EQ(__GLS_OP_glVertex2dv, seen.opcode);
    uint64_t got[2];
    memcpy(got, seen.bytes, 16);
    EXPECT_EQ(dx, got[0]);
    EXPECT_EQ(dy, got[1]);

    const uint32_t f[4] = {0x7F800001u, 0xFFC00000u, 0x00000001u, 0x3F800000u};
    float g[4];
    memcpy(g, f, 16);
    glTexCoord4f(g[0], g[1], g[2], g[3]);
    EXPECT_EQ(__GLS_OP_glTexCoord4fv, seen.opcode);
    EXPECT_EQ(0, memcmp(f, seen.bytes, 16));

    glEdgeFlag(GL_TRUE);
    EXPECT_EQ(__GLS_OP_glEdgeFlagv, seen.opcode);
    EXPECT_EQ(GL_TRUE, seen.bytes[0]);
    glIndexub(200);
    EXPECT_EQ(__GLS_OP_glIndexubv, seen.opcode);
    EXPECT_EQ(200, seen.bytes[0]);
}

TEST_F(EntryTest, RectanglesPassTwoHalvesOfOneArray) {
    glRectf(1.5f, -2.0f, 3.25f, 4.0f);
    EXPECT_EQ(__GLS_OP_glRectfv, seen.opcode);
    EXPECT_EQ((const char *)seen.first + 2 * sizeof(GLfloat), seen.second);
    const GLfloat want[4] = {1.5f, -2.0f, 3.25f, 4.0f};
    EXPECT_EQ(0, memcmp(want, seen.bytes, 16));

    glRects(1, 2, 3, 4);
    EXPECT_EQ(__GLS_OP_glRectsv, seen.opcode);
    EXPECT_EQ((const char *)seen.first + 2 * sizeof(GLshort), seen.second);
}

TEST_F(EntryTest, ForwardersAndResultsGoThroughTheirOpcode) {
    glBindTexture(GL_TEXTURE_2D, 42);
    EXPECT_EQ(__GLS_OP_glBindTexture, seen.opcode);
    EXPECT_EQ((GLenum)GL_TEXTURE_2D, seen.target);
    EXPECT_EQ(42u, seen.name);
    EXPECT_EQ(0x5A, glIsTexture(9));
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    EXPECT_EQ(__GLS_OP_glVertexPointer, seen.opcode);
}

TEST_F(EntryTest, AThreadWithoutAContextGoesToTheDefaultTable) {
    GLenum direct = __GLS_SLOT(__glsDefaultDispatchTable, glGetError)();
    GLenum other = 1;
    runOnOtherThread([&] {
        glColor3b(1, 2, 3);  // no context here: the real (or null) procedure
        other = glGetError();
    });
    EXPECT_EQ(0, seen.opcode);
    EXPECT_EQ(direct, other);
}
