// The debugger's roads through GLS: checked-capture calls refuse without an
// open capture and never re-enter the context's capture function; scalar
// packers hand the vector form's capture-dispatch entry one array; the
// placeholders of wrapped SGI commands do nothing.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "api/api.h"
#include "core/seam.h"
#include "records.h"
#include "sink.h"
#include "support.h"

extern "C" GLuint GLSAPI glGenLists(GLsizei range);

namespace {

int wrapperCalls = 0;
GLfloat rectFirst[2], rectSecond[2];
GLubyte color[3];
int rectCalls = 0, colorCalls = 0;

GLuint GLSAPI wrapperGenLists(GLsizei) {
    ++wrapperCalls;
    return 99;
}
void GLSAPI recordRectfv(const GLfloat *a, const GLfloat *b) {
    ++rectCalls;
    memcpy(rectFirst, a, sizeof rectFirst);
    memcpy(rectSecond, b, sizeof rectSecond);
}
void GLSAPI recordColor3ubv(const GLubyte *v) {
    ++colorCalls;
    memcpy(color, v, 3);
}

class Checked : public ::testing::Test {
protected:
    GLuint name = 0;
    void SetUp() override {
        glsGetError();
        wrapperCalls = rectCalls = colorCalls = 0;
    }
    void TearDown() override {
        if (name) {
            while (glsGetContexti(GLS_CAPTURE_NESTING) > 0) glsEndCapture();
            glsContext(0);
            glsDeleteContext(name);
        }
        glsGetError();
    }
    void makeContext() {
        name = glsGenContext();
        glsContext(name);
        glsWriteFunc(Sink::write);
    }
};

}  // namespace

TEST_F(Checked, RefusedWithoutAnOpenCaptureWithTheFailureValue) {
    // No context at all, then a context with no capture open.
    for (int withContext = 0; withContext < 2; ++withContext) {
        if (withContext) makeContext();
        EXPECT_EQ(0u, __gls_checked_capture_glGenLists(3));
        EXPECT_EQ((GLSenum)GLS_STATE_ERROR, glsGetError());
        EXPECT_EQ(GL_FALSE, __gls_checked_capture_glIsEnabled(GL_BLEND));
        EXPECT_EQ(GL_FALSE, __gls_checked_capture_glIsTextureEXT(1));
        EXPECT_EQ(nullptr, __gls_checked_capture_glGetString(GL_VENDOR));
        EXPECT_EQ((GLSenum)GLS_STATE_ERROR, glsGetError());
    }
    // An error already pending is kept.
    __glsRaiseError(GLS_IO_ERROR);
    __gls_checked_capture_glClearColor(0, 0, 0, 0);
    EXPECT_EQ((GLSenum)GLS_IO_ERROR, glsGetError());
}

TEST_F(Checked, AdmittedCallsPassTheWrapperBy) {
    makeContext();
    __glsSetCommandFunc(GLS_CAPTURE_FUNC, __GLS_OP_glGenLists, (__GLSfunc)wrapperGenLists);
    ASSERT_TRUE(glsBeginCapture((const GLubyte *)"", GLS_TEXT, 0));
    // The captured call reaches the wrapper; the checked call performs the
    // command through the default capture function and does not.
    EXPECT_EQ(99u, glGenLists(1));
    EXPECT_EQ(1, wrapperCalls);
    __gls_checked_capture_glGenLists(1);
    __gls_checked_capture_glBlendColorEXT(1, 1, 1, 1);
    EXPECT_EQ(1, wrapperCalls);
    EXPECT_EQ(0u, glsGetError());
}

TEST_F(Checked, ScalarPackersHandOverOneArray) {
    makeContext();
    __glsSetCommandFunc(GLS_CAPTURE_FUNC, __GLS_OP_glRectfv, (__GLSfunc)recordRectfv);
    __glsSetCommandFunc(GLS_CAPTURE_FUNC, __GLS_OP_glColor3ubv, (__GLSfunc)recordColor3ubv);
    __gls_capture_dispatch_glRectf(1, 2, 3, 4);
    ASSERT_EQ(1, rectCalls);
    EXPECT_EQ(1, rectFirst[0]);
    EXPECT_EQ(2, rectFirst[1]);
    EXPECT_EQ(3, rectSecond[0]);
    EXPECT_EQ(4, rectSecond[1]);
    __gls_capture_dispatch_glColor3ub(255, 128, 0);
    ASSERT_EQ(1, colorCalls);
    EXPECT_EQ(255, color[0]);
    EXPECT_EQ(128, color[1]);
    EXPECT_EQ(0, color[2]);
}

TEST_F(Checked, PlaceholdersAnswerNothing) {
    EXPECT_EQ(GL_FALSE, __gls_null_capture_glIsAsyncMarkerSGIX(5));
    EXPECT_EQ(0u, __gls_null_capture_glGenAsyncMarkersSGIX(3));
    EXPECT_EQ(0, __gls_null_capture_glGetInstrumentsSGIX());
    GLfloat points[4] = {7, 7, 7, 7};
    __gls_null_capture_glGetFogLayersSGIX(points);
    EXPECT_EQ(7, points[0]);
}

namespace {
GLdouble seenDepth[2];
int seenAt = 0;
void GLSAPI captureDepthRange(GLclampd n, GLclampd f) {
    seenDepth[0] = n;
    seenDepth[1] = f;
    seenAt = 1;
}
void GLSAPI realDepthRange(GLclampd n, GLclampd f) {
    seenDepth[0] = n;
    seenDepth[1] = f;
    seenAt = 2;
}
GLboolean GLSAPI captureIsList(GLuint list) { return (GLboolean)(list + 1); }
GLboolean GLSAPI realIsList(GLuint list) { return (GLboolean)(list + 2); }
}  // namespace

extern "C" void GLSAPI glDepthRange(GLclampd, GLclampd);
extern "C" GLboolean GLSAPI glIsList(GLuint);

// A captured GL call goes to the capture function, or, inside the guard, to
// the real function; either way results come back and doubles keep their bits.
TEST_F(Checked, BothRoadsPassResultsAndDoubleBits) {
    makeContext();
    __glsSetCommandFunc(GLS_CAPTURE_FUNC, __GLS_OP_glDepthRange, (__GLSfunc)captureDepthRange);
    __glsSetCommandFunc(GLS_CAPTURE_FUNC, __GLS_OP_glIsList, (__GLSfunc)captureIsList);
    const __GLSfunc realDepth = __glsDefaultDispatchTable[__GLS_OP_glDepthRange];
    const __GLSfunc realList = __glsDefaultDispatchTable[__GLS_OP_glIsList];
    __glsDefaultDispatchTable[__GLS_OP_glDepthRange] = (__GLSfunc)realDepthRange;
    __glsDefaultDispatchTable[__GLS_OP_glIsList] = (__GLSfunc)realIsList;
    ASSERT_TRUE(glsBeginCapture((const GLubyte *)"", GLS_TEXT, 0));

    const uint64_t bits[2] = {0x7FF0000000000001ull, 0x000FFFFFFFFFFFFFull};
    GLdouble n, f;
    memcpy(&n, &bits[0], 8);
    memcpy(&f, &bits[1], 8);
    for (int guarded = 0; guarded < 2; ++guarded) {
        GLint token = guarded ? __glsBeginCaptureExec(__GLS_OP_glDepthRange) : 0;
        seenAt = 0;
        glDepthRange(n, f);
        GLboolean answer = glIsList(40);
        if (guarded) __glsEndCaptureExec(__GLS_OP_glDepthRange, token);
        EXPECT_EQ(guarded ? 2 : 1, seenAt);
        EXPECT_EQ(guarded ? 42 : 41, answer);
        EXPECT_EQ(0, memcmp(bits, seenDepth, 16)) << "guarded " << guarded;
    }
    __glsDefaultDispatchTable[__GLS_OP_glDepthRange] = realDepth;
    __glsDefaultDispatchTable[__GLS_OP_glIsList] = realList;
}

namespace {
// The opcodes of the records of a native binary stream, framing left out.
std::vector<GLuint> opcodesOf(const std::string &bytes) {
    std::vector<GLuint> ops;
    eachRecord(bytes, [&](const StreamRecord &r) {
        if (r.op != __GLS_OP_glsBeginGLS && r.op != __GLS_OP_glsEndGLS && r.op != __GLS_OP_glsPad) {
            ops.push_back(r.op);
        }
    });
    return ops;
}
}  // namespace

TEST_F(Checked, AnAliasAndItsCommandWriteTheSameCommand) {
    makeContext();
    Sink::reset();
    glsWriteFunc(Sink::write);
    ASSERT_TRUE(glsBeginCapture((const GLubyte *)"", glsBinary(GL_FALSE), 0));
    __gls_checked_capture_glBlendColor(0.25f, 0.5f, 0.75f, 1);
    __gls_checked_capture_glBlendColorEXT(0.25f, 0.5f, 0.75f, 1);
    __gls_checked_capture_glBindTextureEXT(GL_TEXTURE_2D, 3);
    glsEndCapture();
    const std::vector<GLuint> want = {__GLS_OP_glBlendColor, __GLS_OP_glBlendColor,
                                      __GLS_OP_glBindTexture};
    EXPECT_EQ(want, opcodesOf(Sink::out));
}
