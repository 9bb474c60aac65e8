// The vertex-array expanders: what glArrayElement, glDrawArrays and
// glDrawElements become under GLS_CAPTURE_VERTEX_ARRAYS. Recording capture
// functions stand in for the commands the expanders issue; the arrays live
// in the client-state mirror, which answers since no GL context does.
#include <gtest/gtest.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "api/api.h"
#include "capture/capture.h"
#include "context_test.h"
#include "sink.h"

namespace {

using Log = std::vector<std::string>;
Log calls;
std::string drawnData;             // the bytes of the last glsDrawVertexArray
alignas(8) GLubyte arena[1 << 15];  // every array's memory

// A command as it came, "!" marking one that came inside an execute
// bracket, where it would have escaped capture; a vector argument as its
// offset into the arena.
void note(const std::string &what) {
    calls.push_back(what + (__glsGetContext()->captureExecDepth ? "!" : ""));
}
void note(const std::string &what, const void *p) {
    note(what + "@" + std::to_string((uintptr_t)p - (uintptr_t)arena));
}
std::string str(GLlong v) { return std::to_string(v); }

// The vector commands the expanders may issue, with their element types.
#define SIFD(X, n) X(n##sv, GLshort) X(n##iv, GLint) X(n##fv, GLfloat) X(n##dv, GLdouble)
#define COLORS(X, n) \
    X(n##bv, GLbyte) X(n##ubv, GLubyte) X(n##usv, GLushort) X(n##uiv, GLuint) SIFD(X, n)
#define VECTORS(X)                                                                         \
    COLORS(X, glColor3) COLORS(X, glColor4) X(glEdgeFlagv, GLboolean) SIFD(X, glIndex)     \
    X(glIndexubv, GLubyte) SIFD(X, glNormal3) X(glNormal3bv, GLbyte) SIFD(X, glTexCoord1) \
    SIFD(X, glTexCoord2) SIFD(X, glTexCoord3) SIFD(X, glTexCoord4) SIFD(X, glVertex2)     \
    SIFD(X, glVertex3) SIFD(X, glVertex4)
#define RECORD(name, T) void GLSAPI rec_##name(const T *v) { note(#name, v); }
VECTORS(RECORD)
void GLSAPI rec_glBegin(GLenum mode) { note("glBegin " + str(mode)); }
void GLSAPI rec_glEnd() { note("glEnd"); }
void GLSAPI rec_glsError(GLSopcode op, GLSenum e) { note("glsError " + str(op) + " " + str(e)); }
void GLSAPI rec_glsDrawVertexArray(GLenum mode, GLenum format, GLint count, const GLvoid *data) {
    note("glsDrawVertexArray " + str(mode) + " " + str(format) + " " + str(count));
    drawnData.assign((const char *)data, (size_t)__glsSize_glsDrawVertexArray(format, count));
}
// The real library's draws, for calls captured as they stand.
void GLSAPI exec_glArrayElement(GLint i) { note("exec glArrayElement " + str(i)); }
void GLSAPI exec_glDrawArrays(GLenum m, GLint f, GLsizei n) {
    note("exec glDrawArrays " + str(m) + " " + str(f) + " " + str(n));
}
void GLSAPI exec_glDrawElements(GLenum m, GLsizei n, GLenum t, const GLvoid *) {
    note("exec glDrawElements " + str(m) + " " + str(n) + " " + str(t));
}
void GLSAPI entry(GLSopcode op) { note("entry " + str(op)); }
void GLSAPI leave(GLSopcode op) { note("exit " + str(op)); }

const GLSopcode draws[] = {__GLS_OP_glArrayElement, __GLS_OP_glDrawArrays, __GLS_OP_glDrawElements};
const __GLSfunc execs[] = {(__GLSfunc)exec_glArrayElement, (__GLSfunc)exec_glDrawArrays,
                           (__GLSfunc)exec_glDrawElements};

// The application's calls, as the dispatch table makes them while capturing.
// An element follows the glBegin whose capture asks for the arrays it draws
// from; the recording glBegin stands in for the command itself.
void arrayElement(GLint i) {
    __GLS_SLOT(__glsDefaultCaptureTable, glBegin)(GL_POINTS);
    __gls_capture_dispatch_glArrayElement(i);
}
void drawArrays(GLenum mode, GLint first, GLsizei count) {
    __gls_capture_dispatch_glDrawArrays(mode, first, count);
}
void drawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid *indices) {
    __gls_capture_dispatch_glDrawElements(mode, count, type, indices);
}

enum Kind { COLOR, EDGE, INDEX, NORMAL, TEX, VERTEX, TEX1 };
struct Array { Kind kind; GLint size; GLenum type; GLint stride, offset; };

class VertexArrays : public GlsContextTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(GlsContextTest::SetUp());
        __glsEnableAttrib(GLS_CAPTURE_VERTEX_ARRAYS);
#define INSTALL(name, T) \
    __glsSetCommandFunc(GLS_CAPTURE_FUNC, __GLS_OP_##name, (__GLSfunc)rec_##name);
        VECTORS(INSTALL)
        INSTALL(glBegin, ) INSTALL(glEnd, ) INSTALL(glsError, ) INSTALL(glsDrawVertexArray, )
        glsCaptureFunc(GLS_CAPTURE_ENTRY_FUNC, entry);
        glsCaptureFunc(GLS_CAPTURE_EXIT_FUNC, leave);
        for (int d = 0; d < 3; ++d) {
            saved[d] = __glsDefaultDispatchTable[draws[d]];
            __glsDefaultDispatchTable[draws[d]] = execs[d];
            ctx()->captureFlags[draws[d]] = __GLS_CAPTURE_CALLBACKS | __GLS_CAPTURE_EXECUTE;
        }
        for (size_t i = 0; i < sizeof arena; ++i) arena[i] = (GLubyte)(i * 7 + i / 251);
        calls.clear();
    }
    void TearDown() override {
        for (int d = 0; d < 3; ++d) __glsDefaultDispatchTable[draws[d]] = saved[d];
        GlsContextTest::TearDown();
    }
    // Enables exactly the given arrays in the mirror, any size or type.
    void use(std::vector<Array> arrays) {
        __GLSvertexArrayState *s = &ctx()->clientState.arrays;
        __glsArrayStateInit(s);
        for (const Array &a : arrays) {
            static const GLint slot[] = {0, 1, 2, 3, 4, 8, 5},
                               sizeSlot[] = {0, -1, -1, -1, 1, 5, 2},
                               typeSlot[] = {0, -1, 1, 2, 3, 7, 4};
            s->enabled[slot[a.kind]] = 1;
            if (sizeSlot[a.kind] >= 0) s->size[sizeSlot[a.kind]] = a.size;
            if (typeSlot[a.kind] >= 0) s->type[typeSlot[a.kind]] = a.type;
            s->stride[slot[a.kind]] = a.stride;
            s->pointer[slot[a.kind]] = arena + a.offset;
        }
    }
    // Element e of an array, as bytes, for the repacked layouts.
    static std::string at(GLint offset, GLint stride, GLlong e, GLint bytes) {
        return std::string((const char *)arena + offset + e * stride, (size_t)bytes);
    }
    __GLSfunc saved[3] = {};
};

}  // namespace

// ------------------------------------------------- per-vertex commands

TEST_F(VertexArrays, EachSizeAndTypeHasItsVectorCommandOrNone) {
    struct Row {
        Kind kind;
        const char *prefix;
        std::vector<GLint> sizes;
        std::vector<GLenum> types;
    };
    const Row rows[] = {
        {COLOR, "glColor", {3, 4}, {GL_BYTE, GL_UNSIGNED_BYTE, GL_SHORT, GL_UNSIGNED_SHORT, GL_INT,
                                    GL_UNSIGNED_INT, GL_FLOAT, GL_DOUBLE}},
        {INDEX, "glIndex", {1}, {GL_UNSIGNED_BYTE, GL_SHORT, GL_INT, GL_FLOAT, GL_DOUBLE}},
        {NORMAL, "glNormal", {3}, {GL_BYTE, GL_SHORT, GL_INT, GL_FLOAT, GL_DOUBLE}},
        {TEX, "glTexCoord", {1, 2, 3, 4}, {GL_SHORT, GL_INT, GL_FLOAT, GL_DOUBLE}},
        {VERTEX, "glVertex", {2, 3, 4}, {GL_SHORT, GL_INT, GL_FLOAT, GL_DOUBLE}},
    };
    const char *suffix[] = {"b", "ub", "s", "us", "i", "ui", "f", "", "", "", "d"};
    const GLint bytes[] = {1, 1, 2, 2, 4, 4, 4, 2, 3, 4, 8};
    for (const Row &r : rows) {
        const bool fixed = r.kind == INDEX || r.kind == NORMAL;  // no size of their own
        for (GLint size = 0; size <= 5; ++size) {
            for (GLenum type = GL_BYTE; type <= GL_DOUBLE; ++type) {
                const GLint n = r.kind == INDEX ? 1 : r.kind == NORMAL ? 3 : size;
                use({{r.kind, size, type, 0, 8}});
                calls.clear();
                arrayElement(5);  // tightly packed: 5 elements in
                bool sized = fixed, typed = false;
                for (GLint s : r.sizes) sized |= s == size;
                for (GLenum t : r.types) typed |= t == type;
                Log want;
                if (sized && typed) {
                    want = {r.prefix + (r.kind == INDEX ? "" : str(n)) + suffix[type - GL_BYTE] +
                            "v@" + str(8 + 5 * n * bytes[type - GL_BYTE])};
                }
                EXPECT_EQ(want, calls) << r.prefix << " size " << size << " type " << type;
            }
        }
    }
    use({{EDGE, 0, 0, 0, 8}});
    calls.clear();
    arrayElement(5);
    EXPECT_EQ(Log{"glEdgeFlagv@13"}, calls);
}

TEST_F(VertexArrays, AnElementIssuesItsAttributesInOrderBeforeItsVertex) {
    const std::vector<Array> all = {{VERTEX, 3, GL_FLOAT, 32, 0}, {TEX, 2, GL_FLOAT, 0, 1000},
                                    {NORMAL, 3, GL_BYTE, 4, 2000}, {INDEX, 1, GL_SHORT, 0, 3000},
                                    {EDGE, 0, 0, 0, 4000}, {COLOR, 4, GL_UNSIGNED_BYTE, 6, 5000}};
    const Log attributes = {"glColor4ubv@5018", "glEdgeFlagv@4003", "glIndexsv@3006",
                            "glNormal3bv@2012"};
    Log want = attributes;
    want.insert(want.end(), {"glTexCoord2fv@1024", "glVertex3fv@96"});
    use(all);
    arrayElement(3);
    EXPECT_EQ(want, calls);
    // Texture coordinates of another unit leave those of unit 0 out.
    std::vector<Array> more = all;
    more.push_back({TEX1, 2, GL_FLOAT, 0, 0});
    use(more);
    calls.clear();
    arrayElement(3);
    want = attributes;
    want.push_back("glVertex3fv@96");
    EXPECT_EQ(want, calls);
}

// --------------------------------------------------- interleaved layouts

TEST_F(VertexArrays, ArraysMatchALayoutByWhatTheyHoldAlone) {
    const Array c4ub{COLOR, 4, GL_UNSIGNED_BYTE, 7, 0}, c3f{COLOR, 3, GL_FLOAT, 0, 0},
        c4f{COLOR, 4, GL_FLOAT, 0, 0}, n3f{NORMAL, 3, GL_FLOAT, 0, 0}, t2f{TEX, 2, GL_FLOAT, 0, 0},
        t4f{TEX, 4, GL_FLOAT, 0, 0}, v2f{VERTEX, 2, GL_FLOAT, 0, 0},
        v3f{VERTEX, 3, GL_FLOAT, 99, 0}, v4f{VERTEX, 4, GL_FLOAT, 0, 0};
    struct { std::vector<Array> arrays; GLenum format; } cases[] = {
        {{v2f}, GL_V2F}, {{v3f}, GL_V3F}, {{c4ub, v2f}, GL_C4UB_V2F}, {{c4ub, v3f}, GL_C4UB_V3F},
        {{c3f, v3f}, GL_C3F_V3F}, {{n3f, v3f}, GL_N3F_V3F}, {{c4f, n3f, v3f}, GL_C4F_N3F_V3F},
        {{t2f, v3f}, GL_T2F_V3F}, {{t4f, v4f}, GL_T4F_V4F}, {{t2f, c4ub, v3f}, GL_T2F_C4UB_V3F},
        {{t2f, c3f, v3f}, GL_T2F_C3F_V3F}, {{t2f, n3f, v3f}, GL_T2F_N3F_V3F},
        {{t2f, c4f, n3f, v3f}, GL_T2F_C4F_N3F_V3F}, {{t4f, c4f, n3f, v4f}, GL_T4F_C4F_N3F_V4F},
        {{}, 0}, {{c4ub}, 0}, {{v4f}, 0}, {{n3f, v2f}, 0}, {{c4ub, v4f}, 0}, {{t2f, v4f}, 0},
        {{{VERTEX, 3, GL_DOUBLE, 0, 0}}, 0}, {{{COLOR, 3, GL_UNSIGNED_BYTE, 0, 0}, v3f}, 0},
        {{{COLOR, 4, GL_BYTE, 0, 0}, v3f}, 0}, {{{NORMAL, 3, GL_SHORT, 0, 0}, v3f}, 0},
        {{{TEX, 2, GL_DOUBLE, 0, 0}, v3f}, 0}, {{{TEX, 3, GL_FLOAT, 0, 0}, v3f}, 0},
        {{{EDGE, 0, 0, 0, 0}, v3f}, 0}, {{{INDEX, 1, GL_FLOAT, 0, 0}, v3f}, 0},
        {{{TEX1, 2, GL_FLOAT, 0, 0}, t2f, v3f}, 0},
    };
    for (auto &c : cases) {
        use(c.arrays);
        const __GLSinterleavedFormat *f = __glsMatchInterleaved(&ctx()->clientState.arrays);
        EXPECT_EQ(c.format, f ? f->format : 0) << &c - cases;
    }
}

// ---------------------------------------------------------------- draws

TEST_F(VertexArrays, MatchingDrawsBecomeOneRepackedDraw) {
    // Texture 2 floats at 0, colour at 8, normal at 24, vertex at 36 of 48.
    use({{TEX, 2, GL_FLOAT, 12, 0}, {COLOR, 4, GL_FLOAT, 0, 4000}, {NORMAL, 3, GL_FLOAT, 0, 8000},
         {VERTEX, 3, GL_FLOAT, 20, 12000}});
    auto full = [](GLlong e) {
        return at(0, 12, e, 8) + at(4000, 16, e, 16) + at(8000, 12, e, 12) + at(12000, 20, e, 12);
    };
    static const GLubyte u8[] = {2, 0, 255};
    static const GLushort u16[] = {300, 1};
    static const GLuint u32[] = {7, 500, 3};
    struct {
        const char *what;
        void (*draw)();
        Log want;
        std::vector<GLlong> elements;
    } cases[] = {
        {"run", [] { drawArrays(GL_TRIANGLES, 10, 2); }, {"glsDrawVertexArray 4 10796 2"},
         {10, 11}},
        {"empty", [] { drawArrays(GL_TRIANGLES, 0, 0); }, {"glsDrawVertexArray 4 10796 0"}, {}},
        {"ubyte", [] { drawElements(GL_LINES, 3, GL_UNSIGNED_BYTE, u8); },
         {"glsDrawVertexArray 1 10796 3"}, {2, 0, 255}},
        {"ushort", [] { drawElements(GL_POINTS, 2, GL_UNSIGNED_SHORT, u16); },
         {"glsDrawVertexArray 0 10796 2"}, {300, 1}},
        {"uint", [] { drawElements(GL_POINTS, 3, GL_UNSIGNED_INT, u32); },
         {"glsDrawVertexArray 0 10796 3"}, {7, 500, 3}},
    };
    for (auto &c : cases) {
        calls.clear();
        c.draw();
        EXPECT_EQ(c.want, calls) << c.what;
        std::string want;
        for (GLlong e : c.elements) want += full(e);
        EXPECT_EQ(want, drawnData) << c.what;
    }
}

TEST_F(VertexArrays, RepackedDrawsOfAnySizeAreWhole) {
    // Colour bytes, then the floats of the vertex, 16 bytes an element.
    for (GLsizei count : {3, 256, 257, 2000}) {
        use({{COLOR, 4, GL_UNSIGNED_BYTE, 0, 0}, {VERTEX, 3, GL_FLOAT, 0, 8192}});
        calls.clear();
        drawArrays(GL_TRIANGLES, 0, count);
        EXPECT_EQ(Log{"glsDrawVertexArray 4 10787 " + str(count)}, calls);
        std::string want;
        for (GLint e = 0; e < count; ++e) want += at(0, 4, e, 4) + at(8192, 12, e, 12);
        EXPECT_EQ(want, drawnData) << count;
    }
}

TEST_F(VertexArrays, ABufferThatCannotBeHadBecomesAResourceError) {
    const GLsizei count = 0x7FFFFFFF;  // 60-byte elements: beyond any 32-bit address space
    if (sizeof(size_t) > 4) {
        void *probe = malloc((size_t)count * 60);
        free(probe);
        if (probe) GTEST_SKIP() << "this machine lends " << (size_t)count * 60 << " bytes";
    }
    use({{TEX, 4, GL_FLOAT, 0, 0}, {COLOR, 4, GL_FLOAT, 0, 0}, {NORMAL, 3, GL_FLOAT, 0, 0},
         {VERTEX, 4, GL_FLOAT, 0, 0}});
    glsGetError();
    drawArrays(GL_POINTS, 0, count);
    EXPECT_EQ(Log{"glsError 19 131"}, calls);
    EXPECT_EQ((GLSenum)GLS_RESOURCE_ERROR, glsGetError());
}

TEST_F(VertexArrays, OtherDrawsBecomeImmediateCommands) {
    use({{COLOR, 3, GL_UNSIGNED_BYTE, 0, 0}, {VERTEX, 3, GL_FLOAT, 0, 400}});
    auto element = [](GLlong e) {
        return Log{"glColor3ubv@" + str(3 * e), "glVertex3fv@" + str(400 + 12 * e)};
    };
    static const GLubyte u8[] = {2, 0};
    static const GLushort u16[] = {2, 0};
    static const GLuint u32[] = {2, 0, 0x80000000u};
    struct {
        const char *what;
        void (*draw)();
        GLenum mode;
        std::vector<GLlong> elements;
    } cases[] = {
        {"run", [] { drawArrays(GL_TRIANGLES, 0, 3); }, GL_TRIANGLES, {0, 1, 2}},
        {"later run", [] { drawArrays(GL_LINES, 10, 2); }, GL_LINES, {10, 11}},
        {"empty", [] { drawArrays(GL_QUADS, 4, 0); }, GL_QUADS, {}},
        {"ubyte", [] { drawElements(GL_POINTS, 2, GL_UNSIGNED_BYTE, u8); }, GL_POINTS, {2, 0}},
        {"ushort", [] { drawElements(GL_POINTS, 2, GL_UNSIGNED_SHORT, u16); }, GL_POINTS, {2, 0}},
        {"uint", [] { drawElements(GL_POINTS, 2, GL_UNSIGNED_INT, u32); }, GL_POINTS, {2, 0}},
    };
    for (auto &c : cases) {
        calls.clear();
        c.draw();
        Log want = {"glBegin " + str(c.mode)};
        for (GLlong e : c.elements) for (const std::string &s : element(e)) want.push_back(s);
        want.push_back("glEnd");
        EXPECT_EQ(want, calls) << c.what;
    }
    // An unsigned index above 2^31 names an element that far on, not before.
    use({{VERTEX, 3, GL_INT, 0, 0}});
    calls.clear();
    drawElements(GL_POINTS, 1, GL_UNSIGNED_INT, u32 + 2);
    const std::string far = std::to_string((uintptr_t)(0x80000000ull * 12));
    EXPECT_EQ((Log{"glBegin 0", "glVertex3iv@" + far, "glEnd"}), calls);
}

TEST_F(VertexArrays, TheApplicationsOwnArrayCommandsFeedTheExpansion) {
    // Arrays already interleaved repack to themselves, in every layout.
    for (GLenum format = GL_V2F; format <= GL_T4F_C4F_N3F_V4F; ++format) {
        const GLint stride = __glsSize_glsDrawVertexArray(format, 1);
        __gls_client_glInterleavedArrays(format, 0, arena);
        calls.clear();
        drawArrays(GL_TRIANGLE_STRIP, 1, 4);
        EXPECT_EQ(Log{"glsDrawVertexArray 5 " + str(format) + " 4"}, calls);
        EXPECT_EQ(at(stride, stride, 0, 4 * stride), drawnData) << format;
    }
    __gls_client_glInterleavedArrays(GL_C4F_N3F_V3F, 0, arena);
    __gls_client_glDisableClientState(GL_NORMAL_ARRAY);
    __gls_client_glVertexPointer(2, GL_SHORT, 0, arena + 64);
    calls.clear();
    arrayElement(2);
    EXPECT_EQ((Log{"glColor4fv@80", "glVertex2sv@72"}), calls);
}

// ------------------------------------- calls that cannot be expanded

TEST_F(VertexArrays, UnexpandableCallsAreCapturedAsTheyStand) {
    static const GLushort indices[] = {0, 1, 2};
    struct { const char *what; bool arrays; void (*call)(); Log want; } cases[] = {
        {"negative run", true, [] { drawArrays(GL_TRIANGLES, 0, -1); },
         {"entry 320", "exec glDrawArrays 4 0 -1!", "exit 320"}},
        {"no arrays", false, [] { drawArrays(GL_TRIANGLES, 0, 3); },
         {"entry 320", "exec glDrawArrays 4 0 3!", "exit 320"}},
        {"signed indices", true, [] { drawElements(GL_LINES, 3, GL_SHORT, indices); },
         {"entry 340", "exec glDrawElements 1 3 5122!", "exit 340"}},
        {"negative indices", true, [] { drawElements(GL_LINES, -3, GL_UNSIGNED_SHORT, indices); },
         {"entry 340", "exec glDrawElements 1 -3 5123!", "exit 340"}},
        {"no arrays to index", false, [] { drawElements(GL_LINES, 3, GL_UNSIGNED_SHORT, indices); },
         {"entry 340", "exec glDrawElements 1 3 5123!", "exit 340"}},
        {"no arrays for an element", false, [] { arrayElement(7); },
         {"entry 318", "exec glArrayElement 7!", "exit 318"}},
    };
    for (auto &c : cases) {
        use(c.arrays ? std::vector<Array>{{VERTEX, 3, GL_FLOAT, 0, 0}} : std::vector<Array>{});
        calls.clear();
        c.call();
        EXPECT_EQ(c.want, calls) << c.what;
    }
    // The draw's record, too, is the application's own.
    ctx()->captureFlags[__GLS_OP_glDrawArrays] = __GLS_CAPTURE_WRITE;
    ctx()->writeFunc = Sink::write;
    ctx()->writer = __glsWriterCreate((const GLubyte *)"", GLS_TEXT, 0);
    drawArrays(GL_TRIANGLES, 0, -1);
    __glsWriterFlush(ctx()->writer);
    ctx()->writer = __glsWriterDestroy(ctx()->writer);
    EXPECT_NE(std::string::npos, Sink::out.find("glDrawArrays(GL_TRIANGLES, 0, -1);")) << Sink::out;
}

// --------------------------------------------- arrays in buffer objects

namespace {

// A real GL as far as the draws ask it: its version and extensions, one
// vertex array of three floats, and the buffers bound for indices and for
// the vertex array. The questions it was asked, by name.
struct BufferGL {
    const char *version = "1.1", *extensions = "";
    GLint elementBuffer = 0, vertexBuffer = 0;
    const void *vertexPointer = nullptr;
    std::vector<GLenum> asked;
} gl;

const GLubyte *GLSAPI fakeGetString(GLenum name) {
    return (const GLubyte *)(name == GL_VERSION ? gl.version : gl.extensions);
}
void GLSAPI fakeGetIntegerv(GLenum pname, GLint *v) {
    gl.asked.push_back(pname);
    switch (pname) {
    case GL_MAX_LIGHTS: *v = 8; break;
    case GL_ELEMENT_ARRAY_BUFFER_BINDING: *v = gl.elementBuffer; break;
    case GL_VERTEX_ARRAY_BUFFER_BINDING: *v = gl.vertexBuffer; break;
    case GL_VERTEX_ARRAY_SIZE: *v = 3; break;
    case GL_VERTEX_ARRAY_TYPE: *v = GL_FLOAT; break;
    case GL_VERTEX_ARRAY_STRIDE: *v = 0; break;
    }
}
GLboolean GLSAPI fakeIsEnabled(GLenum cap) { return cap == GL_VERTEX_ARRAY; }
void GLSAPI fakeGetPointerv(GLenum pname, void **p) {
    if (pname == GL_VERTEX_ARRAY_POINTER) *p = (void *)gl.vertexPointer;
}

class BufferObjects : public VertexArrays {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(VertexArrays::SetUp());
        memcpy(savedGL, __glsDefaultDispatchTable, sizeof savedGL);
        __glsDefaultDispatchTable[__GLS_OP_glGetString] = (__GLSfunc)fakeGetString;
        __glsDefaultDispatchTable[__GLS_OP_glGetIntegerv] = (__GLSfunc)fakeGetIntegerv;
        __glsDefaultDispatchTable[__GLS_OP_glIsEnabled] = (__GLSfunc)fakeIsEnabled;
        __glsDefaultDispatchTable[__GLS_OP_glGetPointerv] = (__GLSfunc)fakeGetPointerv;
        for (GLSopcode op : draws) ctx()->captureFlags[op] |= __GLS_CAPTURE_WRITE;
        ctx()->captureFlags[__GLS_OP_glBegin] = 0;
        ctx()->writeFunc = Sink::write;
        ctx()->writer = __glsWriterCreate((const GLubyte *)"", GLS_TEXT, __GLS_WRITE_NO_FRAMING);
    }
    void TearDown() override {
        ctx()->writer = __glsWriterDestroy(ctx()->writer);
        memcpy(__glsDefaultDispatchTable, savedGL, sizeof savedGL);
        VertexArrays::TearDown();
    }
    __GLSfunc savedGL[GLS_OP_COUNT];
};

}  // namespace

// Indices or vertices in a buffer object are not in client memory: the
// draw is executed as the application made it and captured unexpanded, a
// glDrawElements record holding the offset it was given. A GL without
// buffer objects is not asked about them.
TEST_F(BufferObjects, DrawsFromBuffersAreCapturedAsTheyStand) {
    static const void *const offset = (const void *)(uintptr_t)16;
    static const GLushort indices[] = {0, 1, 2};
    const struct {
        const char *what, *version, *extensions;
        bool asks;  // the GL has buffer objects to ask about
        GLint elementBuffer, vertexBuffer;
        void (*call)();
        Log want;
        const char *record;
    } cases[] = {
        {"indices in a buffer, GL 1.5", "1.5 Fake", "", true, 1, 0,
         [] { drawElements(GL_LINES, 3, GL_UNSIGNED_SHORT, offset); },
         {"entry 340", "exec glDrawElements 1 3 5123!", "exit 340"},
         "glDrawElements(GL_LINES, 3, GL_UNSIGNED_SHORT, 0x10);"},
        {"indices in a buffer, the extension", "1.1", "GL_ARB_vertex_buffer_object", true, 1, 0,
         [] { drawElements(GL_LINES, 3, GL_UNSIGNED_SHORT, offset); },
         {"entry 340", "exec glDrawElements 1 3 5123!", "exit 340"},
         "glDrawElements(GL_LINES, 3, GL_UNSIGNED_SHORT, 0x10);"},
        {"vertices in a buffer", "2.1", "", true, 0, 1,
         [] { drawElements(GL_LINES, 3, GL_UNSIGNED_SHORT, indices); },
         {"entry 340", "exec glDrawElements 1 3 5123!", "exit 340"},
         "glDrawElements(GL_LINES, 3, GL_UNSIGNED_SHORT, {0, 1, 2});"},
        {"a run of vertices in a buffer", "1.5", "", true, 0, 1, [] { drawArrays(GL_TRIANGLES, 0, 3); },
         {"entry 320", "exec glDrawArrays 4 0 3!", "exit 320"}, "glDrawArrays(GL_TRIANGLES, 0, 3);"},
        {"an element of vertices in a buffer", "1.5", "", true, 0, 1, [] { arrayElement(2); },
         {"entry 318", "exec glArrayElement 2!", "exit 318"}, "glArrayElement(2);"},
        {"no buffer objects to ask about", "1.4", "GL_ARB_multitexture", false, 1, 1,
         [] { arrayElement(2); }, {"glVertex3fv@24"}, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        gl.version = c.version;
        gl.extensions = c.extensions;
        gl.elementBuffer = c.elementBuffer;
        gl.vertexBuffer = c.vertexBuffer;
        gl.vertexPointer = c.vertexBuffer && c.asks ? nullptr : arena;
        gl.asked.clear();
        __glsGLInfoReset(&ctx()->glInfo);
        calls.clear();
        Sink::out.clear();
        c.call();
        __glsWriterFlush(ctx()->writer);
        EXPECT_EQ(c.want, calls);
        EXPECT_EQ(c.record, Sink::out.substr(0, Sink::out.find('\n')));
        bool asked = false;
        for (GLenum pname : gl.asked) {
            asked |= pname >= GL_ELEMENT_ARRAY_BUFFER_BINDING && pname <= GL_EDGE_FLAG_ARRAY_BUFFER_BINDING;
        }
        EXPECT_EQ(c.asks, asked);
    }
    // Without vertex-array capture the draw's own record is all there is.
    __glsDisableAttrib(GLS_CAPTURE_VERTEX_ARRAYS);
    gl.version = "1.5";
    gl.elementBuffer = 1;
    __glsGLInfoReset(&ctx()->glInfo);
    Sink::out.clear();
    drawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, offset);
    __glsWriterFlush(ctx()->writer);
    EXPECT_EQ("glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, 0x10);\n", Sink::out);
}

// glArrayElement draws from the arrays the GL had at glBegin, not from a
// mirror that missed the application's array commands while no capture
// was open; an array command after glBegin leaves the element unexpanded.
TEST_F(BufferObjects, AnElementDrawsFromTheArraysTheGLHadAtBegin) {
    gl.version = "1.1";
    gl.vertexPointer = arena;
    __glsGLInfoReset(&ctx()->glInfo);
    use({{VERTEX, 3, GL_FLOAT, 0, 4096}});
    calls.clear();
    arrayElement(2);
    EXPECT_EQ(Log{"glVertex3fv@24"}, calls);
    calls.clear();
    __GLS_SLOT(__glsDefaultCaptureTable, glBegin)(GL_POINTS);
    __gls_client_glDisableClientState(GL_NORMAL_ARRAY);
    __gls_client_glEnableClientState(GL_NORMAL_ARRAY);
    __gls_capture_dispatch_glArrayElement(1);
    EXPECT_EQ((Log{"entry 318", "exec glArrayElement 1!", "exit 318"}), calls);
}
