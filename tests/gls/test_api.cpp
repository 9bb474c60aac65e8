// The GLS programming interface: what each function answers without a
// context, with bad arguments and with good ones.
#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "api/api.h"
#include "api/gls_commands.h"
#include "core/seam.h"
#include "context_test.h"
#include "read/decode.h"
#include "sink.h"
#include "support.h"
#include "write/writer.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's, which watches every allocation.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void *, size_t),
                                                         void (*)(const volatile void *));
#endif

namespace {

const GLubyte *u(const char *s) { return (const GLubyte *)s; }

class ApiTest : public GlsContextTest {
protected:
    ApiTest() : GlsContextTest(/*endsWithoutError=*/true) {}
};

struct Call {
    const char *what;
    std::function<bool()> failed;  // true when the call gave its failure value
};

void GLSAPI entry(GLSopcode) {}
void GLSAPI nullClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}

}  // namespace

TEST(ApiWithoutContext, EveryContextFunctionFailsWithAStateError) {
    GLint time[6];
    GLfloat vec[4];
    GLint ivec[6];
    const std::vector<Call> calls = {
        {"glsBeginCapture", [] { return !glsBeginCapture(u("x"), GLS_TEXT, 0); }},
        {"glsEndCapture", [] { glsEndCapture(); return true; }},
        {"glsFlush", [] { glsFlush(); return true; }},
        {"glsCaptureFlags", [] { glsCaptureFlags(__GLS_OP_glBegin, 1); return true; }},
        {"glsGetCaptureFlags", [] { return glsGetCaptureFlags(__GLS_OP_glBegin) == 0; }},
        {"__glsSetCommandFunc", [] { __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glBegin, nullptr); return true; }},
        {"__glsGetCommandFunc", [] { return !__glsGetCommandFunc(GLS_NULL_FUNC, __GLS_OP_glBegin); }},
        {"glsCaptureFunc", [] { glsCaptureFunc(GLS_CAPTURE_ENTRY_FUNC, entry); return true; }},
        {"glsReadFunc", [] { glsReadFunc(nullptr); return true; }},
        {"glsWriteFunc", [] { glsWriteFunc(Sink::write); return true; }},
        {"glsGetContextFunc", [] { return !glsGetContextFunc(GLS_WRITE_FUNC); }},
        {"glsChannel", [] { glsChannel(GLS_DEFAULT_READ_CHANNEL, stdin); return true; }},
        {"glsDataPointer", [] { glsDataPointer(nullptr); return true; }},
        {"glsGetContextPointer", [] { return !glsGetContextPointer(GLS_DEFAULT_READ_CHANNEL); }},
        {"glsStringType", [] { glsStringType(GLS_UCS1); return true; }},
        {"glsAppendReadPrefix", [] { glsAppendReadPrefix(u("p")); return true; }},
        {"glsPrependReadPrefix", [] { glsPrependReadPrefix(u("p")); return true; }},
        {"glsRemoveReadPrefix", [] { glsRemoveReadPrefix(0); return true; }},
        {"glsWritePrefix", [] { return !glsWritePrefix(u("p")); }},
        {"__glsEnableAttrib", [] { __glsEnableAttrib(GLS_ABORT_CALL); return true; }},
        {"__glsIsAttribEnabled", [] { return !__glsIsAttribEnabled(GLS_ABORT_CALL); }},
        {"glsGetContexti", [] { return glsGetContexti(GLS_MAX_CALL_NESTING) == 0; }},
        {"glsGetContextubz", [] { return !glsGetContextubz(GLS_VENDOR); }},
        {"glsGetContextListubz", [] { return !glsGetContextListubz(GLS_READ_PREFIX_LIST, 0); }},
        {"glsGetContextListi", [] { return glsGetContextListi(GLS_OUT_ARG_SIZE_LIST, 0) == 0; }},
        {"glsGetContextListl", [] { return glsGetContextListl(GLS_OUT_ARG_POINTER_LIST, 0) == 0; }},
        {"glsGetCurrentTime", [&] { return !glsGetCurrentTime(GLS_CURRENT_TIME, time); }},
        {"glsGetHeaderubz", [] { return !glsGetHeaderubz(GLS_AUTHOR); }},
        {"glsGetHeaderf", [] { return glsGetHeaderf(GLS_ASPECT) == 0.0f; }},
        {"glsGetHeaderfv", [&] { return !glsGetHeaderfv(GLS_GAMMA, vec); }},
        {"glsGetHeaderi", [] { return glsGetHeaderi(GLS_TILEABLE) == 0; }},
        {"glsGetHeaderiv", [&] { return !glsGetHeaderiv(GLS_CREATE_TIME, ivec); }},
        {"glsOpcodeString", [] { return !glsOpcodeString(__GLS_OP_glBegin); }},
        {"glsOpcodeFromString", [] { return glsOpcodeFromString(u("glBegin")) == 0; }},
        {"glsEnumString", [] { return !glsEnumString(GLS_API_GLS, GLS_TEXT); }},
        {"glsEnumFromString", [] { return glsEnumFromString(GLS_API_GLS, u("GLS_TEXT")) == 0; }},
        {"glsIsExtensionSupported", [] { return !glsIsExtensionSupported(u("GL_EXT_abgr")); }},
        {"__glsIsVersionSupported GL", [] { return !__glsIsVersionSupported(GLS_API_GL, 1, 0); }},
    };
    glsGetError();
    ASSERT_EQ(nullptr, __glsGetContext());
    for (const auto &c : calls) {
        EXPECT_TRUE(c.failed()) << c.what;
        EXPECT_EQ((GLSenum)GLS_STATE_ERROR, glsGetError()) << c.what;
    }
    EXPECT_EQ(0u, glsGetReadOffset());
}

TEST(ApiWithoutContext, ContextFreeQueriesAnswer) {
    glsGetError();
    struct { std::function<GLint()> call; GLint want; GLSenum error; } cases[] = {
        {[] { return (GLint)glsBinary(GL_FALSE); }, GLS_BINARY_LSB_FIRST, 0},
        {[] { return (GLint)glsBinary(3); }, GLS_BINARY_MSB_FIRST, 0},
        {[] { return (GLint)glsBinary(2); }, GLS_BINARY_LSB_FIRST, 0},
        {[] { return (GLint)glsGetCommandi(__GLS_OP_glsEndGLS, GLS_API); }, GLS_API_GLS, 0},
        {[] { return (GLint)glsGetCommandi(__GLS_OP_glNewList, GLS_API); }, GLS_API_GL, 0},
        {[] { return (GLint)glsGetCommandi(__GLS_OP_glPointParameterfvEXT, GLS_API); }, GLS_API_GL, 0},
        {[] { return (GLint)glsGetCommandi(__GLS_OP_glGetIntegerv, GLS_IS_CLIENT_COMMAND); }, 1, 0},
        {[] { return (GLint)glsGetCommandi(__GLS_OP_glGetIntegerv, GLS_IS_GET_COMMAND); }, 1, 0},
        {[] { return (GLint)glsGetCommandi(__GLS_OP_glVertexPointer, GLS_IS_GET_COMMAND); }, 0, 0},
        {[] { return (GLint)glsGetCommandi(__GLS_OP_glBegin, GLS_IS_CLIENT_COMMAND); }, 0, 0},
        {[] { return (GLint)glsGetCommandi(500, GLS_API); }, 0, GLS_UNSUPPORTED_COMMAND},
        {[] { return (GLint)glsGetCommandi(-1, GLS_API); }, 0, GLS_UNSUPPORTED_COMMAND},
        {[] { return (GLint)glsGetCommandi(46, GLS_API); }, 0, GLS_UNSUPPORTED_COMMAND},
        {[] { return (GLint)glsGetCommandi(__GLS_OP_glBegin, GLS_VENDOR); }, 0, GLS_PARAMETER_ERROR},
        {[] { return (GLint)glsGetEnumi(GLS_API_GLS, 0x8074, GLS_IS_CLIENT_ENUM); }, 0, 0},
        {[] { return (GLint)glsGetEnumi(GLS_API_GL, 0x0BB1, GLS_IS_CLIENT_ENUM); }, 1, 0},
        {[] { return (GLint)glsGetEnumi(GLS_API_GL, 0x0CF5, GLS_IS_CLIENT_ENUM); }, 1, 0},
        {[] { return (GLint)glsGetEnumi(GLS_API_GL, 0x0CF6, GLS_IS_CLIENT_ENUM); }, 0, 0},
        {[] { return (GLint)glsGetEnumi(GLS_API_GL, 0x0D3B, GLS_IS_CLIENT_ENUM); }, 1, 0},
        {[] { return (GLint)glsGetEnumi(GLS_API_GL, 0x0DF4, GLS_IS_CLIENT_ENUM); }, 1, 0},
        {[] { return (GLint)glsGetEnumi(GLS_API_GL, 0x806A, GLS_IS_CLIENT_ENUM); }, 0, 0},
        {[] { return (GLint)glsGetEnumi(GLS_API_GL, 0x8093, GLS_IS_CLIENT_ENUM); }, 1, 0},
        {[] { return (GLint)glsGetEnumi(GLS_API_GL, 0x8094, GLS_IS_CLIENT_ENUM); }, 0, 0},
        {[] { return (GLint)glsGetEnumi(GLS_API_GL, 0x0BB1, GLS_API); }, 0, GLS_PARAMETER_ERROR},
        {[] { return (GLint)glsGetEnumi(18, 0x0BB1, GLS_IS_CLIENT_ENUM); }, 0, GLS_PARAMETER_ERROR},
        {[] { return (GLint)glsGetOpcodeCount(GLS_API_GLS); }, __GLS_OPCODES_GLS_COUNT, 0},
        {[] { return (GLint)glsGetOpcodeCount(GLS_API_GL); }, __GLS_OPCODES_GL_COUNT, 0},
        {[] { return (GLint)glsGetOpcodeCount(18); }, 0, GLS_PARAMETER_ERROR},
        {[] { return (GLint)__glsIsVersionSupported(GLS_API_GLS, 1, 0); }, 1, 0},
        {[] { return (GLint)__glsIsVersionSupported(GLS_API_GLS, 1, -3); }, 1, 0},
        {[] { return (GLint)__glsIsVersionSupported(GLS_API_GLS, 1, 1); }, 0, 0},
        {[] { return (GLint)__glsIsVersionSupported(GLS_API_GLS, 2, 0); }, 0, 0},
        {[] { return (GLint)__glsIsVersionSupported(18, 1, 0); }, 0, GLS_PARAMETER_ERROR},
    };
    int row = 0;
    for (const auto &c : cases) {
        EXPECT_EQ(c.want, c.call()) << "row " << row;
        EXPECT_EQ(c.error, glsGetError()) << "row " << row;
        ++row;
    }
    const GLSopcode *gls = glsGetOpcodes(GLS_API_GLS);
    const GLSopcode *gl = glsGetOpcodes(GLS_API_GL);
    ASSERT_TRUE(gls && gl);
    EXPECT_EQ(16, gls[0]);
    EXPECT_EQ(45, gls[__GLS_OPCODES_GLS_COUNT - 1]);
    EXPECT_EQ(0, gls[__GLS_OPCODES_GLS_COUNT]);
    EXPECT_EQ(48, gl[0]);
    EXPECT_EQ(376, gl[__GLS_OPCODES_GL_COUNT - 1]);
    EXPECT_EQ(0, gl[__GLS_OPCODES_GL_COUNT]);
    EXPECT_EQ(nullptr, glsGetOpcodes(0));
    EXPECT_EQ((GLSenum)GLS_PARAMETER_ERROR, glsGetError());
}

TEST_F(ApiTest, BadArgumentsGiveTheirErrorAndChangeNothing) {
    GLfloat vec[4];
    GLint ivec[6];
    const GLSenum P = GLS_PARAMETER_ERROR, C = GLS_UNSUPPORTED_COMMAND;
    struct { const char *what; std::function<bool()> failed; GLSenum error; } calls[] = {
        {"begin flags 4", [] { return !glsBeginCapture(u(""), GLS_TEXT, 4); }, P},
        {"begin type 63", [] { return !glsBeginCapture(u(""), 63, 0); }, P},
        {"begin type 68", [] { return !glsBeginCapture(u(""), 68, 0); }, P},
        {"begin null name", [] { return !glsBeginCapture(nullptr, GLS_TEXT, 0); }, P},
        {"end none open", [] { glsEndCapture(); return true; }, GLS_STATE_ERROR},
        {"flags opcode 496", [] { glsCaptureFlags(496, 1); return true; }, C},
        {"flags 8", [] { glsCaptureFlags(__GLS_OP_glBegin, 8); return true; }, P},
        {"flags 8 on pad", [] { glsCaptureFlags(__GLS_OP_glsPad, 8); return true; }, P},
        {"get flags opcode 1", [] { return glsGetCaptureFlags(1) == 0; }, C},
        {"set func attr", [] { __glsSetCommandFunc(GLS_NULL_FUNC, __GLS_OP_glBegin, nullptr); return true; }, P},
        {"set func opcode", [] { __glsSetCommandFunc(GLS_CALL_FUNC, 280, nullptr); return true; }, C},
        {"get func attr", [] { return !__glsGetCommandFunc(GLS_API, __GLS_OP_glBegin); }, P},
        {"get func opcode", [] { return !__glsGetCommandFunc(GLS_NULL_FUNC, 47); }, C},
        {"capture func", [] { glsCaptureFunc(GLS_READ_FUNC, entry); return true; }, P},
        {"context func", [] { return !glsGetContextFunc(GLS_DATA_POINTER); }, P},
        {"channel", [] { glsChannel(GLS_DATA_POINTER, stdout); return true; }, P},
        {"context pointer", [] { return !glsGetContextPointer(GLS_WRITE_FUNC); }, P},
        {"string type", [] { glsStringType(GLS_TEXT); return true; }, P},
        {"append null", [] { glsAppendReadPrefix(nullptr); return true; }, P},
        {"remove -1", [] { glsRemoveReadPrefix(-1); return true; }, P},
        {"remove 1", [] { glsRemoveReadPrefix(1); return true; }, P},
        {"write prefix null", [] { return !glsWritePrefix(nullptr); }, P},
        {"enable", [] { __glsEnableAttrib(GLS_API); return true; }, P},
        {"disable", [] { __glsDisableAttrib(GLS_CONTEXT); return true; }, P},
        {"is enabled", [] { return !__glsIsAttribEnabled(GLS_TEXT); }, P},
        {"contexti", [] { return glsGetContexti(GLS_VENDOR) == 0; }, P},
        {"contextubz", [] { return !glsGetContextubz(GLS_BLOCK_TYPE); }, P},
        {"listubz index", [] { return !glsGetContextListubz(GLS_READ_PREFIX_LIST, 1); }, P},
        {"listubz streams", [] { return !glsGetContextListubz(GLS_CONTEXT_STREAM_LIST, 0); }, P},
        {"listubz attr", [] { return !glsGetContextListubz(GLS_OUT_ARG_SIZE_LIST, 0); }, P},
        {"listi none", [] { return glsGetContextListi(GLS_OUT_ARG_SIZE_LIST, 0) == 0; }, P},
        {"listl none", [] { return glsGetContextListl(GLS_OUT_ARG_POINTER_LIST, 0) == 0; }, P},
        {"time attr", [&] { return !glsGetCurrentTime(GLS_CREATE_TIME, ivec); }, P},
        {"header ubz", [] { return !glsGetHeaderubz(GLS_ASPECT); }, P},
        {"header f", [] { return glsGetHeaderf(GLS_GAMMA) == 0.0f; }, P},
        {"header fv", [&] { return !glsGetHeaderfv(GLS_ASPECT, vec); }, P},
        {"header i", [] { return glsGetHeaderi(GLS_CREATE_TIME) == 0; }, P},
        {"header iv", [&] { return !glsGetHeaderiv(GLS_GAMMA, ivec); }, P},
        {"opcode string", [] { return !glsOpcodeString(10); }, C},
        {"enum string gls", [] { return !glsEnumString(GLS_API_GLS, 22 * 16); }, P},
        {"enum string gls big", [] { return !glsEnumString(GLS_API_GLS, 33 * 16); }, P},
        {"enum string negative", [] { return !glsEnumString(GLS_API_GL, -1); }, P},
        {"enum string gl big", [] { return !glsEnumString(GLS_API_GL, 133 * 256); }, P},
        {"enum string api", [] { return !glsEnumString(18, 0); }, P},
        {"enum from string api", [] { return glsEnumFromString(18, u("GLS_TEXT")) == 0; }, P},
        {"extension null", [] { return !glsIsExtensionSupported(nullptr); }, P},
    };
    for (const auto &c : calls) {
        EXPECT_TRUE(c.failed()) << c.what;
        EXPECT_EQ(c.error, glsGetError()) << c.what;
    }
    // Nothing changed.
    EXPECT_EQ(0, glsGetContexti(GLS_CAPTURE_NESTING));
    EXPECT_EQ(2u, glsGetCaptureFlags(__GLS_OP_glBegin));
    EXPECT_EQ((GLint)GLS_UCS1, glsGetContexti(GLS_STRING_TYPE));
    EXPECT_EQ(1, glsGetContexti(GLS_READ_PREFIX_COUNT));
    EXPECT_EQ(nullptr, ctx()->captureEntryFunc);
    EXPECT_EQ(stdin, ctx()->defaultReadChannel);
}

TEST_F(ApiTest, CaptureFlagsSkipTheFramingCommands) {
    glsCaptureFlags(__GLS_OP_glsPad, 7);
    glsCaptureFlags(__GLS_OP_glsBeginGLS, 1);
    EXPECT_EQ(0u, glsGetError());
    EXPECT_EQ(0u, glsGetCaptureFlags(__GLS_OP_glsPad));
    EXPECT_EQ(0u, glsGetCaptureFlags(__GLS_OP_glsBeginGLS));
    for (GLbitfield flags = 0; flags <= 7; ++flags) {
        glsCaptureFlags(__GLS_OP_glVertex3fv, flags);
        EXPECT_EQ(flags, glsGetCaptureFlags(__GLS_OP_glVertex3fv));
    }
}

namespace {

// Allocations counted where the allocator lets a test watch them.
#if defined(__SANITIZE_ADDRESS__)
std::atomic<long> allocations{-1};  // -1 while nothing counts
void countAllocation(const volatile void *, size_t) {
    if (allocations >= 0) ++allocations;
}
void noFree(const volatile void *) {}
#endif

size_t GLSAPI discard(size_t n, const GLubyte *) { return n; }

}  // namespace

TEST_F(ApiTest, ACaptureBegunAndEndedAgainAllocatesNothing) {
    // As the debugger writes each call's text while a capture of the
    // history stays open below.
    glsWriteFunc(discard);
    ASSERT_TRUE(glsBeginCapture(u(""), GLS_TEXT, 0));
    ASSERT_TRUE(glsBeginCapture(u(""), GLS_TEXT, __GLS_WRITE_NO_FRAMING));
    const __GLSwriter *first = ctx()->writer;
    const GLubyte *buffer = first->buffer;
    glsEndCapture();
    // Where a writer made anew would land: on the blocks the last one left.
    std::vector<char> heldWriter(sizeof(__GLSwriter)), heldBuffer(__GLS_WRITER_BUFFER_SIZE);
#if defined(__SANITIZE_ADDRESS__)
    static const int hooked = __sanitizer_install_malloc_and_free_hooks(countAllocation, noFree);
    ASSERT_TRUE(hooked);
    allocations = 0;
#endif
    int renewed = 0;
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(glsBeginCapture(u(""), GLS_TEXT, __GLS_WRITE_NO_FRAMING));
        if (ctx()->writer != first || ctx()->writer->buffer != buffer) ++renewed;
        glsComment(u("a call"));
        glsEndCapture();
    }
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(0, allocations.exchange(-1));
#endif
    EXPECT_EQ(0, renewed);
    glsEndCapture();
    EXPECT_EQ(0, ctx()->captureNesting);
}

TEST_F(ApiTest, CommandFunctionsSetAndAnswer) {
    const GLSopcode op = __GLS_OP_glClearColor;
    __GLSfunc mine = (__GLSfunc)nullClearColor;
    EXPECT_EQ(nullptr, __glsGetCommandFunc(GLS_CALL_FUNC, op));
    EXPECT_EQ(nullptr, __glsGetCommandFunc(GLS_CAPTURE_FUNC, op));
    EXPECT_EQ(__glsNullCommandFuncs[op], __glsGetCommandFunc(GLS_NULL_FUNC, op));

    __glsSetCommandFunc(GLS_CAPTURE_FUNC, op, mine);
    EXPECT_EQ(mine, __glsGetCommandFunc(GLS_CAPTURE_FUNC, op));
    EXPECT_EQ(mine, ctx()->captureFuncs[op]);
    __glsSetCommandFunc(GLS_CAPTURE_FUNC, op, nullptr);
    EXPECT_EQ(nullptr, __glsGetCommandFunc(GLS_CAPTURE_FUNC, op));
    EXPECT_EQ(__glsDefaultCaptureTable[op], ctx()->captureFuncs[op]);

    // A call function never stands in for the native decoder: it takes the
    // command's own arguments, not a pointer to a record.
    ASSERT_NE(nullptr, __glsDispatchDecode_bin_default[op]);
    __glsSetCommandFunc(GLS_CALL_FUNC, op, mine);
    EXPECT_EQ(mine, __glsGetCommandFunc(GLS_CALL_FUNC, op));
    EXPECT_EQ((__GLSdecodeFunc)__glsDispatchDecode_bin_default[op], ctx()->decodeFuncs[op]);
    __glsSetCommandFunc(GLS_CALL_FUNC, op, nullptr);
    EXPECT_EQ(ctx()->dispatch[op], ctx()->callFuncs[op]);

    glsCaptureFunc(GLS_CAPTURE_ENTRY_FUNC, entry);
    glsCaptureFunc(GLS_CAPTURE_EXIT_FUNC, entry);
    glsReadFunc(nullptr);
    glsWriteFunc(Sink::write);
    EXPECT_EQ((__GLSfunc)entry, glsGetContextFunc(GLS_CAPTURE_ENTRY_FUNC));
    EXPECT_EQ((__GLSfunc)entry, glsGetContextFunc(GLS_CAPTURE_EXIT_FUNC));
    EXPECT_EQ(nullptr, glsGetContextFunc(GLS_READ_FUNC));
    EXPECT_EQ((__GLSfunc)Sink::write, glsGetContextFunc(GLS_WRITE_FUNC));
    EXPECT_EQ(0u, glsGetError());
}

TEST_F(ApiTest, ChannelsPointersAndSwitchesAreKept) {
    int mark = 0;
    glsChannel(GLS_DEFAULT_READ_CHANNEL, stderr);
    glsChannel(GLS_DEFAULT_WRITE_CHANNEL, stderr);
    glsDataPointer(&mark);
    EXPECT_EQ(stderr, glsGetContextPointer(GLS_DEFAULT_READ_CHANNEL));
    EXPECT_EQ(stderr, glsGetContextPointer(GLS_DEFAULT_WRITE_CHANNEL));
    EXPECT_EQ(&mark, glsGetContextPointer(GLS_DATA_POINTER));
    glsFlush();  // no capture open: nothing to do
    for (GLSenum attrib : {GLS_ABORT_CALL, GLS_CAPTURE_VERTEX_ARRAYS}) {
        EXPECT_FALSE(__glsIsAttribEnabled(attrib));
        __glsEnableAttrib(attrib);
        EXPECT_TRUE(__glsIsAttribEnabled(attrib));
        __glsDisableAttrib(attrib);
        EXPECT_FALSE(__glsIsAttribEnabled(attrib));
    }
    EXPECT_EQ(0u, glsGetError());
}

TEST_F(ApiTest, ContextQueriesAnswerTheirValues) {
    struct { GLSenum attrib; GLint want; } cases[] = {
        {GLS_BLOCK_TYPE, GLS_FRAME},    {GLS_CALL_NESTING, 0},
        {GLS_CAPTURE_NESTING, 0},       {GLS_CONTEXT_STREAM_COUNT, 0},
        {GLS_MAX_CALL_NESTING, 64},     {GLS_MAX_CAPTURE_NESTING, 16},
        {GLS_OUT_ARG_COUNT, 0},         {GLS_READ_PREFIX_COUNT, 1},
        {GLS_STRING_TYPE, GLS_UCS1},    {GLS_VERSION_MAJOR, 1},
        {GLS_VERSION_MINOR, 0},
    };
    for (const auto &c : cases) EXPECT_EQ(c.want, glsGetContexti(c.attrib)) << c.attrib;
    EXPECT_STREQ("ARB", (const char *)glsGetContextubz(GLS_VENDOR));
    EXPECT_STREQ("2", (const char *)glsGetContextubz(GLS_RELEASE));
    EXPECT_STREQ(__glsExtensions, (const char *)glsGetContextubz(GLS_EXTENSIONS));

    // The out-argument record of a get command being decoded.
    ctx()->outArgs.count = 2;
    ctx()->outArgs.sizes[1] = 12;
    ctx()->outArgs.pointers[1] = 0x123456789ABCull;
    EXPECT_EQ(12, glsGetContextListi(GLS_OUT_ARG_SIZE_LIST, 1));
    EXPECT_EQ((GLlong)0x123456789ABCll, glsGetContextListl(GLS_OUT_ARG_POINTER_LIST, 1));
    EXPECT_EQ(0, glsGetContextListi(GLS_OUT_ARG_SIZE_LIST, 2));
    EXPECT_EQ((GLSenum)GLS_PARAMETER_ERROR, glsGetError());
    ctx()->outArgs.count = 0;

    // The read offset: the binary cursor's distance from the start plus the
    // base, or the base alone.
    GLubyte block[32];
    GLubyte *cursor = block + 20;
    ctx()->readBase = 4;
    EXPECT_EQ(4u, glsGetReadOffset());
    ctx()->readStart = block;
    ctx()->readCursor = &cursor;
    EXPECT_EQ(24u, glsGetReadOffset());
    ctx()->readCursor = nullptr;
    ctx()->readBase = 0;

    GLint now[6] = {-1, -1, -1, -1, -1, -1};
    EXPECT_EQ(now, glsGetCurrentTime(GLS_CURRENT_TIME, now));
    EXPECT_GE(now[0], 2020);
    EXPECT_TRUE(now[1] >= 1 && now[1] <= 12 && now[2] >= 1 && now[2] <= 31);
    EXPECT_TRUE(now[3] <= 23 && now[4] <= 59 && now[5] <= 60);
}

TEST_F(ApiTest, HeaderQueriesReadTheHeaderOfTheStreamBeingRead) {
    __GLSheader *h = &ctx()->header;
    __glsStringAssignUtf8(&h->title, GLS_UCS1, "T\xe9st");  // UTF-8 inside
    h->aspect = 1.5f;
    h->whitePoint[1] = 0.25f;
    h->gamma[3] = 2.2f;
    h->stencilBits = 8;
    h->createTime[5] = 59;
    EXPECT_STREQ("T\xe9st", (const char *)glsGetHeaderubz(GLS_TITLE));  // back in GLS_UCS1
    EXPECT_STREQ("", (const char *)glsGetHeaderubz(GLS_AUTHOR));
    EXPECT_EQ(1.5f, glsGetHeaderf(GLS_ASPECT));
    EXPECT_EQ(0.0f, glsGetHeaderf(GLS_CONTRAST));
    GLfloat fv[4] = {9, 9, 9, 9};
    EXPECT_EQ(fv, glsGetHeaderfv(GLS_WHITE_POINT, fv));
    EXPECT_EQ(0.25f, fv[1]);
    EXPECT_EQ(9.0f, fv[2]);  // two values only
    glsGetHeaderfv(GLS_GAMMA, fv);
    EXPECT_EQ(2.2f, fv[3]);
    EXPECT_EQ(8, glsGetHeaderi(GLS_STENCIL_BITS));
    GLint iv[6];
    glsGetHeaderiv(GLS_CREATE_TIME, iv);
    EXPECT_EQ(59, iv[5]);
    __glsHeaderReset(h);
    EXPECT_STREQ("", (const char *)glsGetHeaderubz(GLS_TITLE));
    EXPECT_EQ(0, glsGetHeaderi(GLS_STENCIL_BITS));
    EXPECT_EQ(0u, glsGetError());
}

TEST_F(ApiTest, ReadPrefixesAreEditedByPosition) {
    glsAppendReadPrefix(u("tail/"));
    glsPrependReadPrefix(u("head/"));
    std::vector<std::string> want = {"head/", "", "tail/"};
    ASSERT_EQ((GLint)want.size(), glsGetContexti(GLS_READ_PREFIX_COUNT));
    for (GLint i = 0; i < 3; ++i) {
        EXPECT_EQ(want[i], (const char *)glsGetContextListubz(GLS_READ_PREFIX_LIST, i));
    }
    glsRemoveReadPrefix(1);
    EXPECT_STREQ("tail/", (const char *)glsGetContextListubz(GLS_READ_PREFIX_LIST, 1));
    glsRemoveReadPrefix(1);
    glsRemoveReadPrefix(0);
    EXPECT_EQ(0, glsGetContexti(GLS_READ_PREFIX_COUNT));
    EXPECT_TRUE(glsWritePrefix(u("w/")));
    EXPECT_STREQ("w/", (const char *)glsGetContextubz(GLS_WRITE_PREFIX));
    EXPECT_EQ(0u, glsGetError());
}

TEST_F(ApiTest, StringsTravelInTheContextsStringType) {
    const GLushort prefix2[] = {'p', 0x263A, '/', 0};
    const GLuint prefix4[] = {'q', 0x1F600, 0};
    glsStringType(GLS_UCS2);
    glsAppendReadPrefix((const GLubyte *)prefix2);
    const GLushort *got2 = (const GLushort *)glsGetContextListubz(GLS_READ_PREFIX_LIST, 1);
    ASSERT_NE(nullptr, got2);
    EXPECT_EQ(0, memcmp(prefix2, got2, sizeof prefix2));
    const GLushort *vendor = (const GLushort *)glsGetContextubz(GLS_VENDOR);
    ASSERT_NE(nullptr, vendor);
    EXPECT_TRUE(vendor[0] == 'A' && vendor[1] == 'R' && vendor[2] == 'B' && vendor[3] == 0);
    // Stored UTF-8 whatever the type it came in.
    EXPECT_STREQ("p\xe2\x98\xba/",
                 (const char *)((__GLSprefix *)ctx()->readPrefixes.head->next)->text.start);

    glsStringType(GLS_UCS4);
    EXPECT_TRUE(glsWritePrefix((const GLubyte *)prefix4));
    const GLuint *got4 = (const GLuint *)glsGetContextubz(GLS_WRITE_PREFIX);
    ASSERT_NE(nullptr, got4);
    EXPECT_EQ(0, memcmp(prefix4, got4, sizeof prefix4));
    const GLuint name4[] = {'g', 'l', 'E', 'n', 'd', 0};
    EXPECT_EQ(__GLS_OP_glEnd, glsOpcodeFromString((const GLubyte *)name4));
    EXPECT_EQ(0u, glsGetError());
}

TEST_F(ApiTest, NamesAndEnumerantsTranslateBothWays) {
    EXPECT_STREQ("glPointParameterfvEXT", (const char *)glsOpcodeString(376));
    struct { const char *name; GLSopcode op; } ops[] = {
        {"glsBeginGLS", 16}, {"glBlendColorEXT", 288}, {"glBlendColor", 288},
        {"glPointParameterfSGIS", 375}, {"glVertex3f", 0}, {"", 0}, {"glbegin", 0},
    };
    for (const auto &c : ops) EXPECT_EQ(c.op, glsOpcodeFromString(u(c.name))) << c.name;
    EXPECT_STREQ("GLS_PARAMETER_ERROR", (const char *)glsEnumString(GLS_API_GLS, 130));
    EXPECT_STREQ("GLS_NONE", (const char *)glsEnumString(GLS_API_GLS, 0));
    EXPECT_STREQ("GL_VERTEX_ARRAY", (const char *)glsEnumString(GLS_API_GL, 0x8074));
    EXPECT_EQ(GLS_UCS4, glsEnumFromString(GLS_API_GLS, u("GLS_UCS4")));
    EXPECT_EQ(0x8074, glsEnumFromString(GLS_API_GL, u("GL_VERTEX_ARRAY")));
    EXPECT_EQ(-1, glsEnumFromString(GLS_API_GLS, u("GL_VERTEX_ARRAY")));
    EXPECT_EQ(-1, glsEnumFromString(GLS_API_GL, u("")));
    EXPECT_EQ(0u, glsGetError());
}

TEST_F(ApiTest, ExtensionsAreFoundByTheirEndAndTheEmptyNameIsNot) {
    struct { const char *name; GLboolean want; } cases[] = {
        {"GL_EXT_abgr", 1},    {"GL_EXT_abg", 0},          {"EXT_abgr", 1},
        {"__GL_EXT_vertex_array", 1}, {"GL_EXT_texture", 1}, {"GL_EXT_texture3", 0},
        {"GL_EXT_texture4D", 0}, {"", 0},                  {" ", 1},
    };
    for (const auto &c : cases) EXPECT_EQ(c.want, glsIsExtensionSupported(u(c.name))) << c.name;
    struct { const char *name, *list; GLboolean want; } finds[] = {
        {"ab", "xab", 1}, {"ab", "abc ab", 1}, {"ab", "abc", 0}, {"", "", 0}, {"a", "", 0},
    };
    for (const auto &f : finds) {
        EXPECT_EQ(f.want, __glsFindExtension(u(f.name), u(f.list))) << f.name << "|" << f.list;
    }
    // Without a real GL context the version is 1.1.
    EXPECT_TRUE(__glsIsVersionSupported(GLS_API_GL, 1, 0));
    EXPECT_TRUE(__glsIsVersionSupported(GLS_API_GL, 1, 1));
    EXPECT_FALSE(__glsIsVersionSupported(GLS_API_GL, 1, 2));
    EXPECT_FALSE(__glsIsVersionSupported(GLS_API_GL, 2, 0));
    EXPECT_EQ(0u, glsGetError());
}

// ------------------------------------------------------ in-memory arrays

namespace {

std::vector<std::string> calls;
GLint deepest;

void GLSAPI recordEnd(void) { calls.push_back("glEnd"); }
void GLSAPI recordBegin(GLenum mode) { calls.push_back("glBegin " + std::to_string(mode)); }
void GLSAPI recordUnsupported(const GLubyte *name) {
    calls.push_back(std::string("unsupported ") + (const char *)name);
}

// Records of opcode and size in either byte order; long records put both in
// 32-bit words behind a zero word.
struct Records {
    std::vector<GLubyte> bytes;
    bool msbFirst;
    void put(GLuint v, int n) {
        for (int i = 0; i < n; ++i) {
            int shift = msbFirst ? 8 * (n - 1 - i) : 8 * i;
            bytes.push_back((GLubyte)(v >> shift));
        }
    }
    Records &shortRecord(GLuint op, GLuint size = 4) {
        put(op, 2);
        put(size, 2);
        for (GLuint i = 4; i < size; ++i) bytes.push_back(0);
        return *this;
    }
    Records &longRecord(GLuint op, GLuint size = 12) {
        put(0, 4);
        put(op, 4);
        put(size, 4);
        for (GLuint i = 12; i < size; ++i) bytes.push_back(0);
        return *this;
    }
};

const GLubyte *nestedArray;
size_t nestedSize;
void GLSAPI nestEnd(void) {
    deepest = std::max(deepest, glsGetContexti(GLS_CALL_NESTING));
    glsCallArray(GLS_BINARY_LSB_FIRST, nestedSize, nestedArray);
}

}  // namespace

TEST_F(ApiTest, ArraysExecuteTheirRecordsInEitherByteOrder) {
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glEnd, (__GLSfunc)recordEnd);
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glBegin, (__GLSfunc)recordBegin);
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glsUnsupportedCommand, (__GLSfunc)recordUnsupported);
    using V = std::vector<std::string>;
    struct {
        const char *what;
        std::function<void(Records &)> build;
        bool native;  // native byte order only
        V want;
        GLSenum error;
    } cases[] = {
        {"empty", [](Records &) {}, false, {}, 0},
        {"short and long", [](Records &r) { r.shortRecord(74).longRecord(74, 16).shortRecord(74, 8); },
         false, {"glEnd", "glEnd", "glEnd"}, 0},
        {"unknown opcodes", [](Records &r) { r.shortRecord(47).longRecord(0x1234).shortRecord(74); },
         false, {"unsupported 0x2F", "unsupported 0x1234", "glEnd"}, 0},
        {"zero long size", [](Records &r) { r.shortRecord(74).longRecord(74, 0).shortRecord(74); },
         false, {"glEnd"}, GLS_DECODE_ERROR},
        {"zero long opcode", [](Records &r) { r.longRecord(0).shortRecord(74); }, false, {},
         GLS_DECODE_ERROR},
        {"size past the end", [](Records &r) { r.shortRecord(74); r.put(74, 2); r.put(64, 2); }, false,
         {"glEnd"}, GLS_DECODE_ERROR},
        {"size below the header", [](Records &r) { r.shortRecord(74).longRecord(74, 8); }, false,
         {"glEnd"}, GLS_DECODE_ERROR},
        {"trailing bytes", [](Records &r) { r.shortRecord(74).bytes.push_back(1); }, false,
         {"glEnd"}, 0},
        // The compact glBegin records belong to context streams alone.
        {"compact begin", [](Records &r) { r.shortRecord(1).shortRecord(10); }, true,
         {"unsupported 0x1", "unsupported 0xA"}, 0},
    };
    for (const auto &c : cases) {
        for (bool msbFirst : {false, true}) {
            if (c.native && msbFirst) continue;
            Records r{{}, msbFirst};
            c.build(r);
            calls.clear();
            glsCallArray(msbFirst ? GLS_BINARY_MSB_FIRST : GLS_BINARY_LSB_FIRST, r.bytes.size(),
                         r.bytes.data());
            EXPECT_EQ(c.want, calls) << c.what << (msbFirst ? " msb" : " lsb");
            EXPECT_EQ(c.error, glsGetError()) << c.what << (msbFirst ? " msb" : " lsb");
            EXPECT_EQ(0, glsGetContexti(GLS_CALL_NESTING));
        }
    }
    calls.clear();
    glsCallArray(68, 4, Records{{}, false}.shortRecord(74).bytes.data());
    EXPECT_EQ((GLSenum)GLS_PARAMETER_ERROR, glsGetError());
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(0, glsGetContexti(GLS_CALL_NESTING));
}

TEST_F(ApiTest, ArraysNestSixtyFourDeepAndAnAbortEndsThemAll) {
    Records r{{}, false};
    r.shortRecord(74).shortRecord(74);
    nestedArray = r.bytes.data();
    nestedSize = r.bytes.size();
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glEnd, (__GLSfunc)nestEnd);
    deepest = 0;
    glsCallArray(GLS_BINARY_LSB_FIRST, nestedSize, nestedArray);
    EXPECT_EQ(64, deepest);
    EXPECT_EQ((GLSenum)GLS_STATE_ERROR, glsGetError());
    // Forgotten once the outermost call returned.
    EXPECT_FALSE(__glsIsAttribEnabled(GLS_ABORT_CALL));
    EXPECT_EQ(0, glsGetContexti(GLS_CALL_NESTING));
    EXPECT_NE((__GLSdecodeFunc)__glsNoOpDecode, ctx()->decodeFuncs[__GLS_OP_glEnd]);

    // Set outside any call, the abort stays and no array runs.
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glEnd, (__GLSfunc)recordEnd);
    __glsEnableAttrib(GLS_ABORT_CALL);
    calls.clear();
    glsCallArray(GLS_BINARY_LSB_FIRST, nestedSize, nestedArray);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(__glsIsAttribEnabled(GLS_ABORT_CALL));
    __glsDisableAttrib(GLS_ABORT_CALL);
    glsCallArray(GLS_BINARY_LSB_FIRST, nestedSize, nestedArray);
    EXPECT_EQ(2u, calls.size());
    EXPECT_EQ(0u, glsGetError());
}
