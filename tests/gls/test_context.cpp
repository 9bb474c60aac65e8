// The GLS context: its record at creation, its life across threads, the
// thread's first-error-kept GLS error and the tables the entry points read.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "api/api.h"
#include "core/seam.h"
#include "stream/context_stream.h"
#include "context_test.h"
#include "read/decode.h"
#include "sink.h"
#include "support.h"

extern "C" void GLSAPI glClearColor(GLclampf, GLclampf, GLclampf, GLclampf);

namespace {

void setEnv(const char *name, const char *value) {
#if defined(_WIN32)
    _putenv_s(name, value ? value : "");
#else
    if (value) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
#endif
}

// Every test starts and ends with no pending GLS error.
class ContextTest : public GlsContextTest {
protected:
    ContextTest() : GlsContextTest(/*endsWithoutError=*/true) {}
};

std::vector<std::string> readPrefixes() {
    std::vector<std::string> list;
    GLint count = glsGetContexti(GLS_READ_PREFIX_COUNT);
    for (GLint i = 0; i < count; ++i) {
        list.push_back((const char *)glsGetContextListubz(GLS_READ_PREFIX_LIST, i));
    }
    return list;
}

GLint captured, executed;
void GLSAPI captureClearColor(GLclampf, GLclampf, GLclampf, GLclampf) { ++captured; }
void GLSAPI executeClearColor(GLclampf, GLclampf, GLclampf, GLclampf) { ++executed; }
void GLSAPI captureString(const GLubyte *, const GLubyte *) { ++captured; }


}  // namespace

// ------------------------------------------------------------ the record

TEST_F(ContextTest, FreshCaptureFlagsWriteAndExecuteOnlyClientCommandsWithoutResults) {
    struct { GLSopcode op; GLubyte flags; } cases[] = {
        {__GLS_OP_glBegin, 2},        {__GLS_OP_glClearColor, 2},
        {__GLS_OP_glVertexPointer, 3}, {__GLS_OP_glPixelStorei, 3},
        {__GLS_OP_glEnable, 3},        {__GLS_OP_glPopClientAttrib, 3},
        {__GLS_OP_glGetIntegerv, 2},   {__GLS_OP_glIsEnabled, 2},
        {__GLS_OP_glGetError, 2},      {__GLS_OP_glsBeginGLS, 0},
        {__GLS_OP_glsEndGLS, 0},       {__GLS_OP_glsPad, 0},
        {__GLS_OP_glsString, 2},
    };
    for (const auto &c : cases) EXPECT_EQ(c.flags, glsGetCaptureFlags(c.op)) << __glsOpNames[c.op];
    int executed = 0;
    for (const GLSopcode *op = __glsOpcodesGL; *op; ++op) executed += ctx()->captureFlags[*op] == 3;
    EXPECT_EQ(23, executed);
}

TEST_F(ContextTest, FreshRecordHoldsItsDocumentedValues) {
    __GLScontext *c = ctx();
    EXPECT_EQ((GLSenum)GLS_FRAME, c->blockType);
    EXPECT_EQ((GLSenum)GLS_UCS1, c->stringType);
    EXPECT_EQ(stdin, c->defaultReadChannel);
    EXPECT_EQ(stdout, c->defaultWriteChannel);
    EXPECT_EQ(name, c->name);
    EXPECT_EQ(1, c->isCurrent);
    EXPECT_EQ(nullptr, c->writer);
    EXPECT_EQ(0, memcmp(c->captureFuncs, __glsDefaultCaptureTable, sizeof c->captureFuncs));
    const GLint ones[] = {GLS_COLOR_RED_BITS, GLS_COLOR_GREEN_BITS, GLS_COLOR_BLUE_BITS,
                          GLS_TILEABLE, GLS_RGBA_MODE};
    for (GLSenum attrib = GLS_ACCUM_RED_BITS; attrib <= GLS_TILEABLE; ++attrib) {
        bool one = std::find(std::begin(ones), std::end(ones), (GLint)attrib) != std::end(ones);
        EXPECT_EQ(one ? 1 : 0, glsGetHeaderi(attrib)) << attrib;
    }
}

TEST_F(ContextTest, WithoutARealGLContextTheVersionIsOneOneAndNoTextureExtension) {
    __GLSglInfo *info = &ctx()->glInfo;
    EXPECT_EQ(-1, info->haveGLContext);
    GLint major = 0, minor = 0;
    __glsGLVersion(info, &major, &minor);
    EXPECT_EQ(1, major);
    EXPECT_EQ(1, minor);
    EXPECT_FALSE(__glsGLExtensionPresent(info, 0));
    EXPECT_FALSE(__glsGLExtensionPresent(info, 1));
    EXPECT_EQ(0, info->haveGLContext);
    info->packDefaultsSet = 1;
    __glsGLInfoReset(info);
    EXPECT_EQ(-1, info->versionMajor);
    EXPECT_EQ(0, info->packDefaultsSet);
    EXPECT_EQ(1, __glsTextureUnitCount(ctx()));
}

// ----------------------------------------------------- prefixes from env

TEST(ContextPrefixes, ReadPrefixListSplitsAtEverySeparatorCharacterAndEndsWithThePlainName) {
    struct {
        const char *list, *separator;
        std::vector<std::string> want;
    } cases[] = {
        {nullptr, nullptr, {""}},
        {"a/:b/", nullptr, {"a/", "b/", ""}},
        {"::", nullptr, {""}},
        {":a/::b/:", nullptr, {"a/", "b/", ""}},
        {"x;y,z:w", ";,", {"x", "y", "z:w", ""}},
        {"a;b", ":", {"a;b", ""}},
    };
    glsGetError();
    for (const auto &c : cases) {
        setEnv("GLS_READ_PREFIX_LIST", c.list);
        setEnv("GLS_LIST_SEPARATOR", c.separator);
        GLuint name = glsGenContext();
        glsContext(name);
        EXPECT_EQ(c.want, readPrefixes()) << (c.list ? c.list : "(unset)");
        glsContext(0);
        glsDeleteContext(name);
    }
    setEnv("GLS_READ_PREFIX_LIST", nullptr);
    setEnv("GLS_LIST_SEPARATOR", nullptr);
    EXPECT_EQ(0u, glsGetError());
}

TEST(ContextPrefixes, WritePrefixComesFromTheEnvironmentOrIsEmpty) {
    const char *cases[] = {nullptr, "out/", "dir\\sub-"};
    for (const char *value : cases) {
        setEnv("GLS_WRITE_PREFIX", value);
        GLuint name = glsGenContext();
        glsContext(name);
        EXPECT_STREQ(value ? value : "", (const char *)glsGetContextubz(GLS_WRITE_PREFIX));
        __GLSstring joined;
        __glsStringBufferInit(&joined);
        ASSERT_TRUE(__glsPrefixedName(__glsGetContext()->writePrefix, (const GLubyte *)"s.gls", &joined));
        EXPECT_EQ(std::string(value ? value : "") + "s.gls", (const char *)joined.start);
        __glsStringBufferFree(&joined);
        glsContext(0);
        glsDeleteContext(name);
    }
    setEnv("GLS_WRITE_PREFIX", nullptr);
}

// ------------------------------------------------------------- life

TEST(ContextLife, NamesCountUpAndAreNeverReused) {
    glsGetError();
    GLuint first = glsGenContext();
    glsDeleteContext(first);
    GLuint second = glsGenContext();
    GLuint third = glsGenContext();
    EXPECT_EQ(first + 1, second);
    EXPECT_EQ(first + 2, third);
    EXPECT_FALSE(glsIsContext(first));
    EXPECT_TRUE(glsIsContext(second));

    GLuint *all = glsGetAllContexts();
    ASSERT_NE(nullptr, all);
    std::vector<GLuint> names;
    for (GLuint *n = all; *n; ++n) names.push_back(*n);
    free(all);
    ASSERT_EQ((size_t)__glsContextCount, names.size());
    auto at = std::find(names.begin(), names.end(), second);
    ASSERT_NE(names.end(), at);
    ASSERT_NE(names.end(), at + 1);
    EXPECT_EQ(third, at[1]);  // creation order
    EXPECT_EQ(names.end(), std::find(names.begin(), names.end(), first));

    glsDeleteContext(second);
    glsDeleteContext(third);
    EXPECT_EQ(0u, glsGetError());
}

TEST(ContextLife, BadNamesAndStatesAnswerWithTheirErrors) {
    struct {
        const char *what;
        void (*call)(GLuint known);
        GLSenum error;
    } cases[] = {
        {"delete 0", [](GLuint) { glsDeleteContext(0); }, GLS_PARAMETER_ERROR},
        {"delete unknown", [](GLuint k) { glsDeleteContext(k + 1000); }, GLS_PARAMETER_ERROR},
        {"current unknown", [](GLuint k) { glsContext(k + 1000); }, GLS_PARAMETER_ERROR},
        {"release none", [](GLuint) { glsContext(0); }, 0},
        {"is 0", [](GLuint) { EXPECT_FALSE(glsIsContext(0)); }, 0},
    };
    glsGetError();
    GLuint known = glsGenContext();
    for (const auto &c : cases) {
        c.call(known);
        EXPECT_EQ(c.error, glsGetError()) << c.what;
        EXPECT_EQ(0u, glsGetCurrentContext()) << c.what;
    }
    glsDeleteContext(known);
}

TEST(ContextLife, AContextIsCurrentInOneThreadAtATime) {
    glsGetError();
    GLuint mine = glsGenContext();
    glsContext(mine);
    GLSenum otherError = 0;
    GLuint otherCurrent = 99;
    runOnOtherThread([&] {
        glsContext(mine);
        otherError = glsGetError();
        otherCurrent = glsGetCurrentContext();
    });
    EXPECT_EQ((GLSenum)GLS_STATE_ERROR, otherError);
    EXPECT_EQ(0u, otherCurrent);
    // Making the same context current again changes nothing and raises nothing.
    glsContext(mine);
    EXPECT_EQ(0u, glsGetError());
    EXPECT_EQ(mine, glsGetCurrentContext());
    // Once let go of, by switching to another context or to none, another
    // thread may take it.
    for (bool switchAway : {true, false}) {
        GLuint spare = glsGenContext();
        glsContext(switchAway ? spare : 0);
        runOnOtherThread([&] {
            glsContext(mine);
            otherError = glsGetError();
            glsContext(0);
        });
        EXPECT_EQ(0u, otherError) << switchAway;
        glsContext(0);
        glsDeleteContext(spare);
        glsContext(mine);
    }
    glsContext(0);
    runOnOtherThread([&] {
        glsContext(mine);
        otherError = glsGetError();
        otherCurrent = glsGetCurrentContext();
        glsContext(0);
    });
    EXPECT_EQ(0u, otherError);
    EXPECT_EQ(mine, otherCurrent);
    glsDeleteContext(mine);
}

TEST(ContextLife, DeletingTheCurrentContextWaitsUntilItsThreadLetsGo) {
    // Let go by naming no context, or by switching to another one.
    for (bool switchAway : {false, true}) {
        glsGetError();
        GLuint doomed = glsGenContext();
        GLuint other = glsGenContext();
        glsContext(doomed);
        glsDeleteContext(doomed);
        EXPECT_EQ(0u, glsGetError());
        EXPECT_FALSE(glsIsContext(doomed));
        EXPECT_EQ(doomed, glsGetCurrentContext());
        EXPECT_EQ(1, __glsGetContext()->deletePending);
        // Still working: it answers queries and opens captures.
        EXPECT_EQ(16, glsGetContexti(GLS_MAX_CAPTURE_NESTING));
        glsContext(doomed);
        EXPECT_EQ((GLSenum)GLS_PARAMETER_ERROR, glsGetError());
        EXPECT_EQ(doomed, glsGetCurrentContext());
        // The sanitizer sees the record freed exactly once here.
        glsContext(switchAway ? other : 0);
        EXPECT_EQ(switchAway ? other : 0u, glsGetCurrentContext());
        glsContext(0);
        glsDeleteContext(other);
        EXPECT_EQ(0u, glsGetError());
    }
}

TEST(ContextErrors, TheFirstErrorIsKeptUntilRead) {
    struct { std::vector<GLSenum> raised; GLSenum first; } cases[] = {
        {{}, 0},
        {{GLS_STATE_ERROR}, GLS_STATE_ERROR},
        {{GLS_PARAMETER_ERROR, GLS_STATE_ERROR}, GLS_PARAMETER_ERROR},
        {{GLS_DECODE_ERROR, GLS_IO_ERROR, GLS_UNSUPPORTED_VERSION}, GLS_DECODE_ERROR},
    };
    glsGetError();
    for (const auto &c : cases) {
        for (GLSenum e : c.raised) __glsRaiseError(e);
        EXPECT_EQ(c.first, glsGetError());
        EXPECT_EQ(0u, glsGetError());
    }
    // Each thread has its own.
    __glsRaiseError(GLS_IO_ERROR);
    GLSenum other = 99;
    runOnOtherThread([&] { other = glsGetError(); });
    EXPECT_EQ(0u, other);
    EXPECT_EQ((GLSenum)GLS_IO_ERROR, glsGetError());
}

// ------------------------------------------------------------- tables

TEST_F(ContextTest, DispatchFollowsTheCaptureLevelAndCallFuncsFollowOverrides) {
    const size_t bytes = sizeof ctx()->dispatch;
    const GLSopcode op = __GLS_OP_glClearColor;
    __GLSfunc override = (__GLSfunc)captureClearColor;
    EXPECT_EQ(0, memcmp(ctx()->dispatch, __glsDefaultDispatchTable, bytes));
    EXPECT_EQ(0, memcmp(ctx()->callFuncs, __glsDefaultDispatchTable, bytes));

    __glsSetCommandFunc(GLS_CALL_FUNC, op, override);
    EXPECT_EQ(override, ctx()->callFuncs[op]);
    EXPECT_EQ(__glsDefaultDispatchTable[op], ctx()->dispatch[op]);

    glsWriteFunc(Sink::write);
    for (int level = 1; level <= 3; ++level) {
        ASSERT_TRUE(glsBeginCapture((const GLubyte *)"", GLS_BINARY_LSB_FIRST, 0));
        EXPECT_EQ(0, memcmp(ctx()->dispatch, __glsDispatchCapture, bytes)) << level;
        EXPECT_EQ(override, ctx()->callFuncs[op]) << level;
        EXPECT_EQ(__glsDispatchCapture[__GLS_OP_glBegin], ctx()->callFuncs[__GLS_OP_glBegin]);
    }
    for (int level = 2; level >= 0; --level) {
        glsEndCapture();
        const __GLSfunc *want = level ? __glsDispatchCapture : __glsDefaultDispatchTable;
        EXPECT_EQ(0, memcmp(ctx()->dispatch, want, bytes)) << level;
    }
    __glsSetCommandFunc(GLS_CALL_FUNC, op, nullptr);
    EXPECT_EQ(0, memcmp(ctx()->callFuncs, __glsDefaultDispatchTable, bytes));
}

TEST_F(ContextTest, CapturesNestSixteenDeepWithOneWriterPerLevel) {
    glsWriteFunc(Sink::write);
    for (int level = 1; level <= 16; ++level) {
        ASSERT_TRUE(glsBeginCapture((const GLubyte *)"", GLS_TEXT, 0)) << level;
        EXPECT_EQ(level, glsGetContexti(GLS_CAPTURE_NESTING));
        EXPECT_EQ(ctx()->writerStack[level - 1], ctx()->writer);
        for (int below = 0; below < level - 1; ++below) {
            EXPECT_NE(ctx()->writer, ctx()->writerStack[below]);
        }
    }
    EXPECT_FALSE(glsBeginCapture((const GLubyte *)"", GLS_TEXT, 0));
    EXPECT_EQ((GLSenum)GLS_STATE_ERROR, glsGetError());
    EXPECT_EQ(16, glsGetContexti(GLS_CAPTURE_NESTING));
    for (int level = 15; level >= 0; --level) {
        glsEndCapture();
        EXPECT_EQ(level ? ctx()->writerStack[level - 1] : nullptr, ctx()->writer);
    }
    EXPECT_EQ(0, memcmp(ctx()->dispatch, __glsDefaultDispatchTable, sizeof ctx()->dispatch));
    glsEndCapture();
    EXPECT_EQ((GLSenum)GLS_STATE_ERROR, glsGetError());
    EXPECT_EQ(0, glsGetContexti(GLS_CAPTURE_NESTING));
}

TEST_F(ContextTest, ACapturedGLCallReachesTheCaptureFunctionUnlessARealCallRuns) {
    glsWriteFunc(Sink::write);
    __glsSetCommandFunc(GLS_CAPTURE_FUNC, __GLS_OP_glClearColor, (__GLSfunc)captureClearColor);
    __glsSetCommandFunc(GLS_CAPTURE_FUNC, __GLS_OP_glsString, (__GLSfunc)captureString);
    ASSERT_TRUE(glsBeginCapture((const GLubyte *)"", GLS_BINARY_LSB_FIRST, 0));
    // The real library's procedure, watched for the length of the test.
    const __GLSfunc real = __glsDefaultDispatchTable[__GLS_OP_glClearColor];
    __glsDefaultDispatchTable[__GLS_OP_glClearColor] = (__GLSfunc)executeClearColor;
    captured = executed = 0;
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    EXPECT_EQ(1, captured);

    // Inside the guard the GL command goes to the real library; a GLS
    // command still goes to its capture function.
    GLint token = __glsBeginCaptureExec(__GLS_OP_glClearColor);
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    __GLS_SLOT(ctx()->dispatch, glsString)((const GLubyte *)"t", (const GLubyte *)"s");
    EXPECT_EQ(1, ctx()->captureExecDepth);
    __glsEndCaptureExec(__GLS_OP_glClearColor, token);
    __glsDefaultDispatchTable[__GLS_OP_glClearColor] = real;
    EXPECT_EQ(0, ctx()->captureExecDepth);
    EXPECT_EQ(2, captured);
    EXPECT_EQ(1, executed);
    glsEndCapture();
    glClearColor(0, 0, 0, 0);
    EXPECT_EQ(2, captured);
}

TEST_F(ContextTest, AbortTurnsEveryNativeDecoderIntoTheNoOp) {
    __glsEnableAttrib(GLS_ABORT_CALL);
    for (GLSopcode op = 0; op < GLS_OP_COUNT; ++op) {
        ASSERT_EQ((__GLSdecodeFunc)__glsNoOpDecode, ctx()->decodeFuncs[op]) << op;
    }
    __glsDisableAttrib(GLS_ABORT_CALL);
    for (GLSopcode op = 0; op < GLS_OP_COUNT; ++op) {
        ASSERT_EQ(__glsDispatchDecode_bin_default[op], ctx()->decodeFuncs[op]) << op;
    }
}

TEST_F(ContextTest, ContextStreamsAreListedByPositionAndFreedWithTheContext) {
    for (const char *streamName : {"one", "two"}) {
        __GLScontextStream *stream = __glsContextStreamCreate((const GLubyte *)streamName);
        ASSERT_NE(nullptr, stream);
        ASSERT_TRUE(__glsStrDictAdd(ctx()->contextStreamDict, stream->name.start, stream));
        __glsCountedListAppend(&ctx()->contextStreams, &stream->link);
    }
    EXPECT_EQ(2, glsGetContexti(GLS_CONTEXT_STREAM_COUNT));
    EXPECT_STREQ("one", (const char *)glsGetContextListubz(GLS_CONTEXT_STREAM_LIST, 0));
    EXPECT_STREQ("two", (const char *)glsGetContextListubz(GLS_CONTEXT_STREAM_LIST, 1));
    EXPECT_EQ(nullptr, glsGetContextListubz(GLS_CONTEXT_STREAM_LIST, 2));
    EXPECT_EQ((GLSenum)GLS_PARAMETER_ERROR, glsGetError());
    // Deleting the context at the end frees both; the sanitizer watches.
}
