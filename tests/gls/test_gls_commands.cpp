// The GLS commands: how their entry points route, what each implementation
// stores or raises, nested playback of context streams, and the real GL
// calls of glsDrawVertexArray on both of its paths.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <functional>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "api/api.h"
#include "stream/context_stream.h"
#include "context_test.h"
#include "api/gls_commands.h"
#include "read/decode.h"

namespace {

typedef std::vector<std::string> Calls;
const GLubyte *u(const char *s) { return (const GLubyte *)s; }
GLuint bitsOf(GLfloat f) {
    GLuint bits;
    memcpy(&bits, &f, 4);
    return bits;
}

class GlsCommands : public GlsContextTest {
protected:
    GlsCommands() : GlsContextTest(/*endsWithoutError=*/true) {}
};

// ---------------------------------------------------------------- routing

// The opcode and every argument as text: pointers by address, so that
// "unchanged" means the very same pointer, and doubles in full.
template <typename T> void show(std::ostream &out, T v) {
    if constexpr (std::is_pointer<T>::value) out << ' ' << (const void *)v;
    else out << ' ' << +v;
}
template <typename... A> std::string describe(GLSopcode op, A... args) {
    std::ostringstream out;
    out.precision(17);
    out << op;
    (show(out, args), ...);
    return out.str();
}
std::string routed;
template <int Op, typename R, typename... A> R GLSAPI recorder(A... args) {
    routed = describe(Op, args...);
    if constexpr (!std::is_void<R>::value) return (R)77;
}
template <int Op, typename R, typename... A> __GLSfunc recorderFor(R(GLSAPI *)(A...)) {
    return (__GLSfunc)&recorder<Op, R, A...>;
}

struct Route {
    GLSopcode op;
    __GLSfunc recorder, exec;
    std::function<void()> call;
    std::string want;
};
#define ROUTE(name, ...)                                                                       \
    Route{__GLS_OP_##name, recorderFor<__GLS_OP_##name>((__GLSfunc_##name) nullptr),           \
          (__GLSfunc)__gls_exec_##name, [] { name(__VA_ARGS__); },                             \
          describe(__GLS_OP_##name, ##__VA_ARGS__)}
GLbyte bv[2];
GLdouble dv[2];
GLfloat fv[4];
GLint iv[6];
GLlong lv[2];
GLshort sv[2];

// In opcode order.
std::vector<Route> routes() {
    return {ROUTE(glsBeginGLS, 1, -2), ROUTE(glsBlock, (GLSenum)GLS_HEADER),
            ROUTE(glsCallStream, u("s")),
            ROUTE(glsDrawVertexArray, (GLenum)GL_TRIANGLES, (GLenum)GL_V3F, 3, (const GLvoid *)fv),
            ROUTE(glsEndGLS), ROUTE(glsError, 300, (GLSenum)GLS_IO_ERROR),
            ROUTE(glsHeaderc, (GLSenum)GLS_TITLE, u("t")), ROUTE(glsHeaderf, (GLSenum)GLS_ASPECT, 1.5f),
            ROUTE(glsHeaderfv, (GLSenum)GLS_GAMMA, (const GLfloat *)fv),
            ROUTE(glsHeaderi, (GLSenum)GLS_HEIGHT, -7),
            ROUTE(glsHeaderiv, (GLSenum)GLS_CREATE_TIME, (const GLint *)iv),
            ROUTE(glsRequireExtension, u("e")), ROUTE(glsRequireVersion, (GLSenum)GLS_API_GL, 2, 1),
            ROUTE(glsUnsupportedCommand, u("c")), ROUTE(glsBeginObj, u("o")), ROUTE(glsComment, u("#")),
            ROUTE(glsEndObj), ROUTE(glsNumbv, u("b"), 1, (const GLbyte *)bv),
            ROUTE(glsNumd, u("d"), 0.1), ROUTE(glsNumdv, u("dv"), 3, (const GLdouble *)dv),
            ROUTE(glsNumf, u("f"), 0.5f), ROUTE(glsNumfv, u("fv"), 5, (const GLfloat *)fv),
            ROUTE(glsNumi, u("i"), -9), ROUTE(glsNumiv, u("iv"), 7, (const GLint *)iv),
            ROUTE(glsNuml, u("l"), (GLlong)-1234567890123LL),
            ROUTE(glsNumlv, u("lv"), 8, (const GLlong *)lv),
            ROUTE(glsNumsv, u("sv"), 9, (const GLshort *)sv), ROUTE(glsPad),
            ROUTE(glsString, u("Info"), u("text")), ROUTE(glsSwapBuffers)};
}

TEST_F(GlsCommands, EntryPointsCallTheirDispatchSlotAndTheDefaultSlotIsTheImplementation) {
    std::vector<Route> all = routes();
    ASSERT_EQ(30u, all.size());
    glsContext(0);
    for (const Route &r : all) {
        r.call();
        EXPECT_EQ((GLSenum)GLS_STATE_ERROR, glsGetError()) << "no context: " << r.want;
    }
    EXPECT_EQ(0u, glsCallStream(u("s")));
    EXPECT_EQ((GLSenum)GLS_STATE_ERROR, glsGetError());
    glsContext(name);
    for (size_t i = 0; i < all.size(); ++i) {
        const Route &r = all[i];
        EXPECT_EQ((GLSopcode)(16 + i), r.op);
        EXPECT_EQ(r.exec, __glsDefaultDispatchTable[r.op]) << r.want;
        EXPECT_EQ(r.exec, ctx()->dispatch[r.op]) << r.want;
        ctx()->dispatch[r.op] = r.recorder;
        routed.clear();
        r.call();
        EXPECT_EQ(r.want, routed);
    }
    EXPECT_EQ(77u, glsCallStream(u("s")));  // the slot's result comes back
    __glsUpdateDispatch(ctx());
}

// ---------------------------------------------------------- blocks, header

TEST_F(GlsCommands, BlockTypesAreSetAndAHeaderBlockStartsAFreshHeader) {
    const struct { GLSenum type, want, error; } cases[] = {
        {GLS_INIT, GLS_INIT, 0}, {GLS_STATIC, GLS_STATIC, 0}, {GLS_HEADER, GLS_HEADER, 0},
        {GLS_FRAME, GLS_FRAME, 0}, {31, GLS_FRAME, GLS_PARAMETER_ERROR},
        {36, GLS_FRAME, GLS_PARAMETER_ERROR}};
    for (const auto &c : cases) {
        glsBlock(c.type);
        EXPECT_EQ(c.want, ctx()->blockType) << c.type;
        EXPECT_EQ(c.error, glsGetError()) << c.type;
    }
    for (int round = 0; round < 2; ++round) {
        glsBlock(GLS_HEADER);
        EXPECT_STREQ("", (const char *)ctx()->header.author.start) << round;
        EXPECT_EQ(1, ctx()->header.colorRedBits) << round;
        EXPECT_EQ(0, ctx()->header.depthBits) << round;
        glsHeaderc(GLS_AUTHOR, u("someone with a name longer than the inline storage of a buffer"));
        glsHeaderi(GLS_COLOR_RED_BITS, 8);
        glsHeaderi(GLS_DEPTH_BITS, 16);
    }
}

TEST_F(GlsCommands, HeaderIntegersAreCountsOrSwitches) {
    typedef GLint __GLSheader::*Field;
    const struct { GLSenum attrib; Field field; bool isSwitch; } attribs[] = {
        {432, &__GLSheader::accumRedBits, 0}, {433, &__GLSheader::accumGreenBits, 0},
        {434, &__GLSheader::accumBlueBits, 0}, {435, &__GLSheader::accumAlphaBits, 0},
        {436, &__GLSheader::auxBuffers, 0}, {437, &__GLSheader::colorRedBits, 0},
        {438, &__GLSheader::colorGreenBits, 0}, {439, &__GLSheader::colorBlueBits, 0},
        {440, &__GLSheader::colorAlphaBits, 0}, {441, &__GLSheader::depthBits, 0},
        {443, &__GLSheader::height, 0}, {444, &__GLSheader::indexBits, 0},
        {446, &__GLSheader::stencilBits, 0}, {442, &__GLSheader::doubleBuffer, 1},
        {445, &__GLSheader::rgbaMode, 1}, {447, &__GLSheader::stereo, 1}, {448, &__GLSheader::tileable, 1}};
    const struct { GLint value, count, flag; } values[] = {
        {-3, 0, 1}, {0, 0, 0}, {1, 1, 1}, {7, 7, 1}, {-2147483647 - 1, 0, 1}, {2147483647, 2147483647, 1}};
    glsBlock(GLS_HEADER);
    for (const auto &a : attribs) {
        for (const auto &v : values) {
            glsHeaderi(a.attrib, v.value);
            EXPECT_EQ(a.isSwitch ? v.flag : v.count, ctx()->header.*a.field) << a.attrib << " " << v.value;
        }
    }
    const GLint times[6] = {2026, 12, 0, -5, 59, 1}, wantTimes[6] = {2026, 12, 0, 0, 59, 1};
    glsHeaderiv(GLS_CREATE_TIME, times);
    EXPECT_EQ(0, memcmp(wantTimes, ctx()->header.createTime, sizeof wantTimes));
}

TEST_F(GlsCommands, HeaderFloatsArePositiveOrZeroAndStringsUtf8) {
    const GLfloat nan = NAN, inf = INFINITY;
    const struct { GLfloat value, want; } values[] = {{1.5f, 1.5f}, {0.0f, 0.0f}, {-0.0f, 0.0f},
        {-2.0f, 0.0f}, {nan, 0.0f}, {-nan, 0.0f}, {inf, inf}, {-inf, 0.0f}, {1e-45f, 1e-45f}};
    glsBlock(GLS_HEADER);
    for (const auto &v : values) {
        glsHeaderf(GLS_ASPECT, v.value);
        glsHeaderf(GLS_CONTRAST, v.value);
        EXPECT_EQ(bitsOf(v.want), bitsOf(ctx()->header.aspect)) << v.value;  // -0 comes out +0
        EXPECT_EQ(bitsOf(v.want), bitsOf(ctx()->header.contrast)) << v.value;
    }
    const GLfloat given[4] = {1.5f, -1.0f, nan, 2.0f}, want[4] = {1.5f, 0.0f, 0.0f, 2.0f};
    __GLSheader &h = ctx()->header;
    const struct { GLSenum attrib; GLfloat *field; int count; } vectors[] = {
        {GLS_GAMMA, h.gamma, 4}, {GLS_RED_POINT, h.redPoint, 2}, {GLS_GREEN_POINT, h.greenPoint, 2},
        {GLS_BLUE_POINT, h.bluePoint, 2}, {GLS_WHITE_POINT, h.whitePoint, 2}};
    for (const auto &v : vectors) {
        h.whitePoint[0] = 9.0f;  // what follows a point stays as it is
        glsHeaderfv(v.attrib, given);
        for (int i = 0; i < v.count; ++i) EXPECT_EQ(bitsOf(want[i]), bitsOf(v.field[i])) << v.attrib;
        EXPECT_EQ(v.attrib == GLS_WHITE_POINT ? 1.5f : 9.0f, h.whitePoint[0]) << v.attrib;
    }
    const GLushort ucs2[] = {'n', 0xE9, 0x20AC, 0};
    const struct {
        GLSenum type, attrib;
        const void *text;
        const char *want;
        __GLSstring *field;
    } strings[] = {
        {GLS_UCS1, GLS_AUTHOR, "me", "me", &h.author},
        {GLS_UCS1, GLS_TITLE, "caf\xE9", "caf\xC3\xA9", &h.title},
        {GLS_UCS2, GLS_VERSION, ucs2, "n\xC3\xA9\xE2\x82\xAC", &h.version}};
    for (const auto &c : strings) {
        glsStringType(c.type);
        glsHeaderc(c.attrib, (const GLubyte *)c.text);
        EXPECT_STREQ(c.want, (const char *)c.field->start) << c.want;
    }
}

TEST_F(GlsCommands, HeaderCommandsStoreNothingOutsideAHeaderOrForAnotherAttribute) {
    const struct { const char *what; std::function<void()> call; GLSenum inHeader; } cases[] = {
        {"c", [] { glsHeaderc(GLS_AUTHOR, u("x")); }, 0}, {"f", [] { glsHeaderf(GLS_ASPECT, 1.5f); }, 0},
        {"fv", [] { glsHeaderfv(GLS_GAMMA, fv); }, 0}, {"i", [] { glsHeaderi(GLS_AUX_BUFFERS, 4); }, 0},
        {"iv", [] { glsHeaderiv(GLS_CREATE_TIME, iv); }, 0},
        {"c aspect", [] { glsHeaderc(GLS_ASPECT, u("x")); }, 130},
        {"f gamma", [] { glsHeaderf(GLS_GAMMA, 1); }, 130},
        {"fv aspect", [] { glsHeaderfv(GLS_ASPECT, fv); }, 130}, {"i 449", [] { glsHeaderi(449, 4); }, 130},
        {"iv height", [] { glsHeaderiv(GLS_HEIGHT, iv); }, 130},
        {"c null", [] { glsHeaderc(GLS_TITLE, nullptr); }, 130},
        {"fv null", [] { glsHeaderfv(416, nullptr); }, 130}};
    for (GLSenum block : {GLS_FRAME, GLS_INIT, GLS_STATIC, GLS_HEADER}) {
        glsBlock(block);
        __GLSheader before = ctx()->header;  // compared as bytes only
        for (const auto &c : cases) {
            if (block == GLS_HEADER && !c.inHeader) continue;
            c.call();
            EXPECT_EQ(block == GLS_HEADER ? c.inHeader : (GLSenum)GLS_STATE_ERROR, glsGetError())
                << c.what << " in " << block;
            EXPECT_EQ(0, memcmp(&before, &ctx()->header, sizeof before)) << c.what << " in " << block;
        }
    }
}

// -------------------------------------------------- errors, requirements

TEST_F(GlsCommands, ErrorsAndRequirementsRaiseWhatTheySay) {
    const struct { GLSopcode op; GLSenum error, want; } errors[] = {
        {16, 135, 130}, {16, 131, 131}, {1000, 131, 133}, {16, 128, 128}, {300, 134, 134}, {16, 127, 130},
        {47, 130, 133}, {-1, 130, 133}, {496, 130, 133}, {__GLS_OP_glColorTable, 132, 132}};
    for (const auto &c : errors) {
        glsError(c.op, c.error);
        EXPECT_EQ(c.want, glsGetError()) << c.op << " " << c.error;
    }
    glsError(16, GLS_IO_ERROR);
    glsError(16, GLS_STATE_ERROR);
    EXPECT_EQ((GLSenum)GLS_IO_ERROR, glsGetError());  // the first is kept
    const struct { const char *what; std::function<void()> call; GLSenum want; } requirements[] = {
        {"extension listed", [] { glsRequireExtension(u("__GL_EXT_abgr")); }, 0},
        {"extension unknown", [] { glsRequireExtension(u("GLS_SGI_nothing")); }, 134},
        {"extension null", [] { glsRequireExtension(nullptr); }, 130},
        {"GLS 1.0", [] { glsRequireVersion(GLS_API_GLS, 1, 0); }, 0},
        {"GLS 1.1", [] { glsRequireVersion(GLS_API_GLS, 1, 1); }, 135},
        {"GL 1.1", [] { glsRequireVersion(GLS_API_GL, 1, 1); }, 0},  // no GL context: 1.1
        {"GL 1.2", [] { glsRequireVersion(GLS_API_GL, 1, 2); }, 135},
        {"other api", [] { glsRequireVersion(18, 1, 0); }, 130},
        {"unsupported", [] { glsUnsupportedCommand(u("glFrobnicate")); }, 133}};
    for (const auto &c : requirements) {
        c.call();
        EXPECT_EQ(c.want, glsGetError()) << c.what;
    }
}

// ------------------------------------------------------ nested playback

typedef std::vector<GLuint> Words;
const GLuint END_OBJ = __GLS_OP_glsEndObj | 4 << 16;
// glsCallStream("self"): the string's padded byte count with bit 0 marking
// 7-bit text, then its bytes.
const Words CALL_SELF = {__GLS_OP_glsCallStream | 16 << 16, 8 | 1, 0x666c6573u, 0};

// One block of native records ending in the end link, filed in the context
// as a capture would file it.
__GLScontextStream *addStream(__GLScontext *ctx, const char *name, const Words &records) {
    __GLScontextStream *stream = __glsContextStreamCreate(u(name));
    __glsContextBlockDestroy(__glsContextStreamFirstBlock(stream));
    stream->blocks = nullptr;
    size_t bytes = records.size() * 4;
    __GLScontextBlock *block =
        __glsContextStreamAddBlock(stream, bytes + bytes % 8 + __GLS_CONTEXT_LINK_SIZE);
    memcpy(block->data, records.data(), bytes);
    block->writePtr += bytes;
    EXPECT_TRUE(__glsContextStreamPutLink(block, nullptr));
    EXPECT_TRUE(__glsStrDictAdd(ctx->contextStreamDict, stream->name.start, stream));
    __glsCountedListAppend(&ctx->contextStreams, &stream->link);
    return stream;
}

std::vector<GLint> endObjDepths;  // the call nesting at each glsEndObj
void GLSAPI countEndObj(void) { endObjDepths.push_back(__glsGetContext()->callNesting); }
void GLSAPI decodeCallStream(GLubyte *args) {
    __GLS_SLOT(__glsGetContext()->callFuncs, glsCallStream)(args + 4);
}

TEST_F(GlsCommands, CallStreamPlaysContextStreamsAndRefusesTheRest) {
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glsEndObj, (__GLSfunc)countEndObj);
    __GLScontextStream *two = addStream(ctx(), "two", {END_OBJ, END_OBJ});
    addStream(ctx(), "open", {END_OBJ})->beingWritten = 1;
    GLubyte mark = 0;
    const struct {
        const char *what, *name;
        GLint abort;
        GLSenum result, error;
        size_t runs;
    } cases[] = {
        {"context stream", "two", 0, GLS_CONTEXT, 0, 2},
        {"being written", "open", 0, 0, GLS_STATE_ERROR, 0},
        // Named files need the stream reader: they open nothing.
        {"no such stream", "no-such-stream.gls", 0, 0, GLS_PARAMETER_ERROR, 0},
        {"null name", nullptr, 0, 0, GLS_PARAMETER_ERROR, 0},
        {"aborting", "two", 1, 0, 0, 0}};
    for (const auto &c : cases) {
        ctx()->abortCall = c.abort;
        ctx()->readBase = 5;
        ctx()->readStart = &mark;
        endObjDepths.clear();
        EXPECT_EQ(c.result, glsCallStream(u(c.name))) << c.what;
        EXPECT_EQ(c.error, glsGetError()) << c.what;
        EXPECT_EQ(std::vector<GLint>(c.runs, 1), endObjDepths) << c.what;
        // The caller's nesting and read position come back.
        EXPECT_EQ(0, ctx()->callNesting) << c.what;
        EXPECT_EQ(5, ctx()->readBase) << c.what;
        EXPECT_EQ(&mark, ctx()->readStart) << c.what;
        EXPECT_EQ(c.abort, ctx()->abortCall) << c.what;
    }
    ctx()->abortCall = 0;
    EXPECT_EQ(0, two->readCount);
}

TEST_F(GlsCommands, AStreamThatCallsItselfStopsAtDepthSixtyFourAndRecovers) {
    __GLSdecodeBinFunc savedDecoder = __glsDispatchDecode_bin_default[__GLS_OP_glsCallStream];
    __glsDispatchDecode_bin_default[__GLS_OP_glsCallStream] = decodeCallStream;
    __glsUpdateDispatch(ctx());
    __glsSetCommandFunc(GLS_CALL_FUNC, __GLS_OP_glsEndObj, (__GLSfunc)countEndObj);
    Words records = {END_OBJ};
    records.insert(records.end(), CALL_SELF.begin(), CALL_SELF.end());
    records.push_back(END_OBJ);  // runs only once the call before it returns
    __GLScontextStream *self = addStream(ctx(), "self", records);
    std::vector<GLint> depths;
    for (GLint depth = 1; depth <= 64; ++depth) depths.push_back(depth);
    for (int round = 0; round < 2; ++round) {
        endObjDepths.clear();
        EXPECT_EQ((GLSenum)GLS_CONTEXT, glsCallStream(u("self"))) << round;
        EXPECT_EQ((GLSenum)GLS_STATE_ERROR, glsGetError()) << round;
        // One glsEndObj at each depth 1 .. 64, none after the refusal.
        EXPECT_EQ(depths, endObjDepths) << round;
        EXPECT_EQ(0, ctx()->abortCall) << round;
        EXPECT_EQ(0, ctx()->callNesting) << round;
        EXPECT_EQ(0, self->readCount) << round;
        EXPECT_EQ(decodeCallStream, ctx()->decodeFuncs[__GLS_OP_glsCallStream]) << round;
    }
    __glsDispatchDecode_bin_default[__GLS_OP_glsCallStream] = savedDecoder;
    __glsUpdateDispatch(ctx());
}

// ----------------------------------------------------- glsDrawVertexArray

Calls glCalls;
const GLubyte *vertexBase;
const char *glVersion;  // null: no GL context answers

// Each real call notes where its pointer points and whether it ran inside
// an execute bracket ("!").
void note(std::string call, const void *p = nullptr) {
    if (p) call += "@" + std::to_string((const GLubyte *)p - vertexBase);
    glCalls.push_back(call + (__glsGetContext()->captureExecDepth ? "!" : ""));
}
std::string str(long long n) { return " " + std::to_string(n); }
#define REAL_V(name, type) void GLSAPI real_##name(const type *v) { note(#name, v); }
REAL_V(glVertex2fv, GLfloat) REAL_V(glVertex3fv, GLfloat) REAL_V(glVertex4fv, GLfloat)
REAL_V(glColor4ubv, GLubyte) REAL_V(glColor3fv, GLfloat) REAL_V(glColor4fv, GLfloat)
REAL_V(glNormal3fv, GLfloat) REAL_V(glTexCoord2fv, GLfloat) REAL_V(glTexCoord4fv, GLfloat)
void GLSAPI real_glBegin(GLenum mode) { note("glBegin" + str(mode)); }
void GLSAPI real_glEnd(void) { note("glEnd"); }
void GLSAPI real_glPushClientAttrib(GLbitfield mask) { note("glPushClientAttrib" + str(mask)); }
void GLSAPI real_glPopClientAttrib(void) { note("glPopClientAttrib"); }
void GLSAPI real_glInterleavedArrays(GLenum format, GLsizei stride, const GLvoid *p) {
    note("glInterleavedArrays" + str(format) + str(stride) + " ", p);
}
void GLSAPI real_glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    note("glDrawArrays" + str(mode) + str(first) + str(count));
}
void GLSAPI real_glGetIntegerv(GLenum pname, GLint *out) {
    if (pname == GL_MAX_LIGHTS && glVersion) *out = 8;
}
const GLubyte *GLSAPI real_glGetString(GLenum pname) {
    return pname == GL_VERSION ? (const GLubyte *)glVersion : nullptr;
}

class DrawVertexArray : public GlsCommands {
protected:
#define SLOT(name) {__GLS_OP_##name, (__GLSfunc)real_##name}
    struct Slot { GLSopcode op; __GLSfunc fake, saved = nullptr; };
    std::vector<Slot> slots = {SLOT(glBegin), SLOT(glEnd), SLOT(glVertex2fv), SLOT(glVertex3fv),
        SLOT(glVertex4fv), SLOT(glColor4ubv), SLOT(glColor3fv), SLOT(glColor4fv), SLOT(glNormal3fv),
        SLOT(glTexCoord2fv), SLOT(glTexCoord4fv), SLOT(glPushClientAttrib), SLOT(glPopClientAttrib),
        SLOT(glInterleavedArrays), SLOT(glDrawArrays), SLOT(glGetIntegerv), SLOT(glGetString)};
#undef SLOT
    GLfloat data[64] = {};
    void SetUp() override {
        GlsCommands::SetUp();
        for (Slot &s : slots) std::swap(s.fake, __glsDefaultDispatchTable[s.op]);
        vertexBase = (const GLubyte *)data;
    }
    void TearDown() override {
        for (Slot &s : slots) std::swap(s.fake, __glsDefaultDispatchTable[s.op]);
        GlsCommands::TearDown();
    }
    // The real GL of that version, asked afresh.
    Calls draw(const char *version, GLenum mode, GLenum format, GLint count, const void *p) {
        glVersion = version;
        __glsGLInfoReset(&ctx()->glInfo);
        glCalls.clear();
        glsDrawVertexArray(mode, format, count, p);
        return glCalls;
    }
};

TEST_F(DrawVertexArray, OnGL10ItDrawsVertexByVertexInsideTheExecuteBrackets) {
    EXPECT_EQ(Calls({"glBegin 4!", "glColor3fv@0!", "glVertex3fv@12!", "glColor3fv@24!", "glVertex3fv@36!",
                     "glColor3fv@48!", "glVertex3fv@60!", "glEnd!"}),
              draw("1.0", GL_TRIANGLES, GL_C3F_V3F, 3, data));
    // Every format: its commands in order at their offsets, two vertices.
    const struct { GLenum format; GLint stride; Calls fields; } formats[] = {
        {GL_V2F, 8, {"glVertex2fv@0"}}, {GL_V3F, 12, {"glVertex3fv@0"}},
        {GL_C4UB_V2F, 12, {"glColor4ubv@0", "glVertex2fv@4"}},
        {GL_C4UB_V3F, 16, {"glColor4ubv@0", "glVertex3fv@4"}},
        {GL_C3F_V3F, 24, {"glColor3fv@0", "glVertex3fv@12"}},
        {GL_N3F_V3F, 24, {"glNormal3fv@0", "glVertex3fv@12"}},
        {GL_C4F_N3F_V3F, 40, {"glColor4fv@0", "glNormal3fv@16", "glVertex3fv@28"}},
        {GL_T2F_V3F, 20, {"glTexCoord2fv@0", "glVertex3fv@8"}},
        {GL_T4F_V4F, 32, {"glTexCoord4fv@0", "glVertex4fv@16"}},
        {GL_T2F_C4UB_V3F, 24, {"glTexCoord2fv@0", "glColor4ubv@8", "glVertex3fv@12"}},
        {GL_T2F_C3F_V3F, 32, {"glTexCoord2fv@0", "glColor3fv@8", "glVertex3fv@20"}},
        {GL_T2F_N3F_V3F, 32, {"glTexCoord2fv@0", "glNormal3fv@8", "glVertex3fv@20"}},
        {GL_T2F_C4F_N3F_V3F, 48, {"glTexCoord2fv@0", "glColor4fv@8", "glNormal3fv@24", "glVertex3fv@36"}},
        {GL_T4F_C4F_N3F_V4F, 60, {"glTexCoord4fv@0", "glColor4fv@16", "glNormal3fv@32", "glVertex4fv@44"}}};
    for (const auto &f : formats) {
        Calls want = {"glBegin 7!"};
        for (int vertex = 0; vertex < 2; ++vertex) {
            for (const std::string &field : f.fields) {
                size_t at = field.find('@') + 1;
                GLint offset = std::stoi(field.substr(at)) + vertex * f.stride;
                want.push_back(field.substr(0, at) + std::to_string(offset) + "!");
            }
        }
        want.push_back("glEnd!");
        EXPECT_EQ(want, draw("1.0", GL_QUADS, f.format, 2, data)) << f.format;
    }
    EXPECT_EQ(Calls({"glBegin 0!", "glEnd!"}), draw("1.0", GL_POINTS, GL_V2F, 0, data));
    EXPECT_EQ(0, ctx()->captureExecDepth);
}

TEST_F(DrawVertexArray, FromGL11OnItDrawsOneArrayAndLeavesTheApplicationsArraysAlone) {
    const std::string arrays = "glInterleavedArrays" + str(GL_T2F_V3F) + " 0 @0";
    const Calls want = {"glPushClientAttrib 2", arrays, "glDrawArrays 5 0 3", "glPopClientAttrib"};
    const struct { const char *version; bool arrays; } versions[] = {{"1.0", 0}, {"1.0.5 Vendor", 0},
        {"1.1", 1}, {"1.5.2", 1}, {"2.0", 1}, {"3.0 Mesa 9", 1}, {"4.6", 1}, {nullptr, 1}};
    for (const auto &v : versions) {
        Calls got = draw(v.version, GL_TRIANGLE_STRIP, GL_T2F_V3F, 3, data);
        if (v.arrays) EXPECT_EQ(want, got) << (v.version ? v.version : "no GL context");
        else EXPECT_EQ(8u, got.size()) << v.version;
    }
    // While a capture is open each real call is bracketed, so that the
    // capture does not record the system's own calls.
    ctx()->captureNesting = 1;
    Calls got = draw("2.1", GL_TRIANGLE_STRIP, GL_T2F_V3F, 3, data);
    ctx()->captureNesting = 0;
    EXPECT_EQ(Calls({"glPushClientAttrib 2!", arrays + "!", "glDrawArrays 5 0 3!",
                     "glPopClientAttrib!"}),
              got);
    EXPECT_EQ(0, ctx()->captureExecDepth);
    // A negative count is the GL's to refuse on this path.
    EXPECT_EQ("glDrawArrays 0 0 -1", draw("1.1", GL_POINTS, GL_V2F, -1, data)[2]);
}

TEST_F(DrawVertexArray, BadArgumentsDrawNothingOnEitherPath) {
    const struct { const char *what, *version; GLenum format; GLint count; const void *p; } cases[] = {
        {"negative count", "1.0", GL_V3F, -1, data}, {"format below", "1.0", GL_V2F - 1, 1, data},
        {"format above", "1.0", GL_T4F_C4F_N3F_V4F + 1, 1, data},
        {"format on arrays", "1.1", GL_RGBA, 1, data},
        {"no data on arrays", "2.0", GL_V3F, 1, nullptr}};
    for (const auto &c : cases) {
        EXPECT_EQ(Calls(), draw(c.version, GL_POINTS, c.format, c.count, c.p)) << c.what;
        EXPECT_EQ((GLSenum)GLS_PARAMETER_ERROR, glsGetError()) << c.what;
    }
}

TEST(GlsFileNames, PathsSplitAtTheirLastSlash) {
    const struct { const char *path, *directory, *file; } cases[] = {{"a/b/c.gls", "a/b/", "c.gls"},
        {"c.gls", "", "c.gls"}, {"/x", "/", "x"}, {"dir/", "dir/", ""}, {"", "", ""}, {"a\\b", "", "a\\b"}};
    for (const auto &c : cases) {
        GLubyte out[16];
        __glsDirectoryPart(u(c.path), out);
        EXPECT_STREQ(c.directory, (const char *)out) << c.path;
        __glsFilePart(u(c.path), out);
        EXPECT_STREQ(c.file, (const char *)out) << c.path;
    }
}

}  // namespace
