// The client-state mirror of a GLS context: what it accepts, its attribute
// stack, the interleaved layouts, the answers it gives without a GL context
// and the buffers it owns. A GL context is simulated by putting recording
// functions into the default execute table for the length of a test.
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>

#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "api/api.h"
#include "core/client_state.h"
#include "core/context.h"
#include "context_test.h"

namespace {

struct Call {
    int op;
    GLenum arg;
    GLint depth;  // the execute bracket's depth during the call
};
std::vector<Call> glLog;
void note(int op, GLenum arg) { glLog.push_back({op, arg, __glsGetContext()->captureExecDepth}); }

// Recording stand-ins for the real library; the first enumerant is noted.
#define FAKES(X)                                                                             \
    X(glFeedbackBuffer, (GLsizei s, GLenum t, GLfloat *), t, )                               \
    X(glSelectBuffer, (GLsizei s, GLuint *), (GLenum)s, )                                    \
    X(glDisable, (GLenum c), c, ) X(glEnable, (GLenum c), c, )                               \
    X(glPixelStoref, (GLenum p, GLfloat), p, ) X(glPixelStorei, (GLenum p, GLint), p, )      \
    X(glGetBooleanv, (GLenum p, GLboolean *v), p, *v = 7;)                                   \
    X(glGetDoublev, (GLenum p, GLdouble *v), p, *v = 7;)                                     \
    X(glGetFloatv, (GLenum p, GLfloat *v), p, *v = 7;)                                       \
    X(glGetPointerv, (GLenum p, void **v), p, *v = (void *)0x1234;)                          \
    X(glDisableClientState, (GLenum a), a, ) X(glEnableClientState, (GLenum a), a, )         \
    X(glPopClientAttrib, (void), 0, ) X(glPushClientAttrib, (GLbitfield m), m, )             \
    X(glColorPointer, (GLint, GLenum t, GLsizei, const void *), t, )                         \
    X(glEdgeFlagPointer, (GLsizei, const void *), 0, )                                       \
    X(glIndexPointer, (GLenum t, GLsizei, const void *), t, )                                \
    X(glInterleavedArrays, (GLenum f, GLsizei, const void *), f, )                           \
    X(glNormalPointer, (GLenum t, GLsizei, const void *), t, )                               \
    X(glTexCoordPointer, (GLint, GLenum t, GLsizei, const void *), t, )                      \
    X(glVertexPointer, (GLint, GLenum t, GLsizei, const void *), t, )                        \
    X(glColorPointerEXT, (GLint, GLenum t, GLsizei, GLsizei, const void *), t, )             \
    X(glEdgeFlagPointerEXT, (GLsizei, GLsizei, const GLboolean *), 0, )                      \
    X(glIndexPointerEXT, (GLenum t, GLsizei, GLsizei, const void *), t, )                    \
    X(glNormalPointerEXT, (GLenum t, GLsizei, GLsizei, const void *), t, )                   \
    X(glTexCoordPointerEXT, (GLint, GLenum t, GLsizei, GLsizei, const void *), t, )          \
    X(glVertexPointerEXT, (GLint, GLenum t, GLsizei, GLsizei, const void *), t, )
#define FAKE(name, params, arg, body) \
    void GLSAPI fake_##name params {  \
        note(__GLS_OP_##name, arg);   \
        body                          \
    }
FAKES(FAKE)
#undef FAKE
GLboolean GLSAPI fake_glIsEnabled(GLenum c) {
    note(__GLS_OP_glIsEnabled, c);
    return GL_TRUE;
}
// Any GL answers GL_MAX_LIGHTS; the other names answer a value of their own.
void GLSAPI fake_glGetIntegerv(GLenum p, GLint *v) {
    if (p == GL_MAX_LIGHTS) {
        *v = 8;
        return;
    }
    note(__GLS_OP_glGetIntegerv, p);
    *v = (GLint)(p & 0xFF) + 100;
}
const GLubyte *GLSAPI fake_glGetString(GLenum) { return (const GLubyte *)"GL_EXT_texture3D"; }

class ClientStateTest : public GlsContextTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(GlsContextTest::SetUp());
        glLog.clear();
        glsGetError();
    }
    void TearDown() override {
        if (faking) memcpy(__glsDefaultDispatchTable, saved, sizeof saved);
        GlsContextTest::TearDown();
    }
    // From now on a GL context answers.
    void fakeGL() {
        memcpy(saved, __glsDefaultDispatchTable, sizeof saved);
        faking = true;
#define SLOT(name, ...) __glsDefaultDispatchTable[__GLS_OP_##name] = (__GLSfunc)fake_##name;
        FAKES(SLOT) SLOT(glGetIntegerv) SLOT(glIsEnabled) SLOT(glGetString)
#undef SLOT
        __glsGLInfoReset(&ctx()->glInfo);
    }
    GLint get(GLenum pname, GLint otherwise = -999) {
        GLint value = otherwise;
        __gls_client_glGetIntegerv(pname, &value);
        return value;
    }
    void *pointer(GLenum pname) {
        void *value = (void *)1;
        __gls_client_glGetPointerv(pname, &value);
        return value;
    }
    // An array as the queries describe it: enable, size, type, stride, pointer.
    typedef std::tuple<GLint, GLint, GLint, GLint, const void *> Array;
    Array array(GLenum cap) {
        static const GLenum names[][5] = {
            {GL_VERTEX_ARRAY, GL_VERTEX_ARRAY_SIZE, GL_VERTEX_ARRAY_TYPE, GL_VERTEX_ARRAY_STRIDE,
             GL_VERTEX_ARRAY_POINTER},
            {GL_NORMAL_ARRAY, 0, GL_NORMAL_ARRAY_TYPE, GL_NORMAL_ARRAY_STRIDE,
             GL_NORMAL_ARRAY_POINTER},
            {GL_COLOR_ARRAY, GL_COLOR_ARRAY_SIZE, GL_COLOR_ARRAY_TYPE, GL_COLOR_ARRAY_STRIDE,
             GL_COLOR_ARRAY_POINTER},
            {GL_TEXTURE_COORD_ARRAY, GL_TEXTURE_COORD_ARRAY_SIZE, GL_TEXTURE_COORD_ARRAY_TYPE,
             GL_TEXTURE_COORD_ARRAY_STRIDE, GL_TEXTURE_COORD_ARRAY_POINTER}};
        for (const GLenum *n : names) {
            if (n[0] == cap) {
                return Array(get(n[0]), n[1] ? get(n[1]) : 0, get(n[2]), get(n[3]), pointer(n[4]));
            }
        }
        return Array();
    }
    __GLSclientState &mirror() { return ctx()->clientState; }
    __GLSfunc saved[GLS_OP_COUNT];
    bool faking = false;
};

// Records are compared byte for byte, padding included.
typedef std::vector<unsigned char> Bytes;
template <class T>
Bytes bytes(const T &record) {
    return Bytes((const unsigned char *)&record, (const unsigned char *)&record + sizeof record);
}

const void *const P = (const void *)0x10000;
const void *at(intptr_t offset) { return (const void *)((intptr_t)P + offset); }

TEST_F(ClientStateTest, PixelStoreKeepsOnlyAcceptedValuesInTheNamedStore) {
    enum { BOOL, COUNT, ALIGN };
    // Field index in store order: alignment, lsbFirst, rowLength, skipRows,
    // skipPixels, swapBytes, imageHeight, skipImages.
    struct Mode { GLenum mode; bool pack; int field, kind; } modes[] = {
        {GL_UNPACK_SWAP_BYTES, false, 5, BOOL},  {GL_PACK_SWAP_BYTES, true, 5, BOOL},
        {GL_UNPACK_LSB_FIRST, false, 1, BOOL},   {GL_PACK_LSB_FIRST, true, 1, BOOL},
        {GL_UNPACK_ROW_LENGTH, false, 2, COUNT}, {GL_PACK_ROW_LENGTH, true, 2, COUNT},
        {GL_UNPACK_SKIP_ROWS, false, 3, COUNT},  {GL_PACK_SKIP_ROWS, true, 3, COUNT},
        {GL_UNPACK_SKIP_PIXELS, false, 4, COUNT}, {GL_PACK_SKIP_PIXELS, true, 4, COUNT},
        {GL_UNPACK_ALIGNMENT, false, 0, ALIGN},  {GL_PACK_ALIGNMENT, true, 0, ALIGN},
        {GL_UNPACK_SKIP_IMAGES_EXT, false, 7, COUNT}, {GL_PACK_SKIP_IMAGES_EXT, true, 7, COUNT},
        {GL_UNPACK_IMAGE_HEIGHT_EXT, false, 6, COUNT}, {GL_PACK_IMAGE_HEIGHT_EXT, true, 6, COUNT},
    };
    const std::vector<std::pair<GLint, bool>> values[] = {
        {{1, true}, {0, true}, {2, false}, {-1, false}},
        {{9, true}, {0, true}, {0x7FFFFFFF, true}, {-1, false}},
        {{8, true}, {1, true}, {2, true}, {4, true}, {0, false}, {3, false}, {16, false}},
    };
    for (const Mode &m : modes) {
        for (const auto &[value, accepted] : values[m.kind]) {
            __glsClientStateInit(&mirror());
            __GLSpixelStore pack = mirror().pack, unpack = mirror().unpack;
            GLint *field = (GLint *)(m.pack ? &pack : &unpack) + m.field;
            GLint before = *field;
            if (accepted) *field = value;
            __gls_client_glPixelStorei(m.mode, value);
            EXPECT_EQ(0, memcmp(&pack, &mirror().pack, sizeof pack)) << m.mode << " " << value;
            EXPECT_EQ(0, memcmp(&unpack, &mirror().unpack, sizeof unpack)) << m.mode;
            EXPECT_EQ(accepted ? value : before, get(m.mode)) << m.mode << " " << value;
        }
    }
    const Bytes before = bytes(mirror());
    __gls_client_glPixelStorei(GL_MAX_LIGHTS, 1);
    EXPECT_EQ(before, bytes(mirror()));
}

TEST_F(ClientStateTest, PixelStorefTruncatesTowardZeroAndIgnoresValuesWithoutAnInteger) {
    struct Case { GLenum mode; float value; GLint stored; } cases[] = {
        {GL_PACK_ROW_LENGTH, 2.9f, 2},      {GL_PACK_ROW_LENGTH, -0.9f, 0},
        {GL_PACK_ROW_LENGTH, -1.5f, 5},     {GL_PACK_ROW_LENGTH, NAN, 5},
        {GL_PACK_ROW_LENGTH, 3e9f, 5},      {GL_PACK_ROW_LENGTH, -INFINITY, 5},
        {GL_UNPACK_ALIGNMENT, 8.7f, 8},     {GL_UNPACK_ALIGNMENT, 3.99f, 4},
    };
    for (const Case &c : cases) {
        __glsClientStateInit(&mirror());
        mirror().pack.rowLength = 5;
        __gls_client_glPixelStoref(c.mode, c.value);
        EXPECT_EQ(c.stored, get(c.mode)) << c.value;
    }
}

TEST_F(ClientStateTest, WithAGLContextEveryClientCommandReachesItsRealFunction) {
    GLint i;
    GLfloat f;
    GLdouble d;
    GLboolean b;
    void *p;
    struct Row {
        int op;
        std::function<void()> call;
        bool mirrorChanges;
    };
#define ROW(name, changes, ...) \
    {__GLS_OP_##name, [&] { __gls_client_##name(__VA_ARGS__); }, changes}
    const Row rows[] = {
        ROW(glFeedbackBuffer, false, 4, GL_3D, nullptr),
        ROW(glSelectBuffer, false, 4, nullptr),
        ROW(glPixelStorei, false, GL_PACK_ALIGNMENT, 8),
        ROW(glPixelStoref, false, GL_PACK_ALIGNMENT, 8),
        ROW(glGetIntegerv, false, GL_UNPACK_ALIGNMENT, &i),
        ROW(glGetFloatv, false, GL_UNPACK_ALIGNMENT, &f),
        ROW(glGetDoublev, false, GL_UNPACK_ALIGNMENT, &d),
        ROW(glGetBooleanv, false, GL_UNPACK_ALIGNMENT, &b),
        ROW(glGetPointerv, false, GL_VERTEX_ARRAY_POINTER, &p),
        {__GLS_OP_glIsEnabled, [&] { b = __gls_client_glIsEnabled(GL_VERTEX_ARRAY); }, false},
        ROW(glEnable, true, GL_VERTEX_ARRAY),
        ROW(glDisable, true, GL_NORMAL_ARRAY),
        ROW(glEnableClientState, true, GL_COLOR_ARRAY),
        ROW(glDisableClientState, true, GL_NORMAL_ARRAY),
        ROW(glPushClientAttrib, true, 0),
        ROW(glPopClientAttrib, true, ),
        ROW(glInterleavedArrays, true, GL_V3F, 0, P),
        ROW(glColorPointer, true, 3, GL_BYTE, 0, P),
        ROW(glEdgeFlagPointer, true, 0, P),
        ROW(glIndexPointer, true, GL_INT, 0, P),
        ROW(glNormalPointer, true, GL_INT, 0, P),
        ROW(glTexCoordPointer, true, 2, GL_INT, 0, P),
        ROW(glVertexPointer, true, 2, GL_INT, 0, P),
        ROW(glColorPointerEXT, true, 3, GL_BYTE, 0, 1, P),
        ROW(glEdgeFlagPointerEXT, true, 0, 1, nullptr),
        ROW(glIndexPointerEXT, true, GL_INT, 0, 1, P),
        ROW(glNormalPointerEXT, true, GL_INT, 0, 1, P),
        ROW(glTexCoordPointerEXT, true, 2, GL_INT, 0, 1, P),
        ROW(glVertexPointerEXT, true, 2, GL_INT, 0, 1, P),
    };
#undef ROW
    fakeGL();
    for (const Row &row : rows) {
        __glsClientStateInit(&mirror());
        mirror().arrays.enabled[__GLS_ARRAY_NORMAL] = 1;
        mirror().attribStackDepth = 1;
        const Bytes before = bytes(mirror());
        glLog.clear();
        row.call();
        ASSERT_EQ(1u, glLog.size()) << row.op;
        EXPECT_EQ(row.op, glLog[0].op);
        EXPECT_EQ(row.mirrorChanges, before != bytes(mirror())) << row.op;
    }
    // The queries hand back the real answers, whatever the mirror holds.
    EXPECT_EQ(GL_UNPACK_ALIGNMENT % 256 + 100, i);
    EXPECT_EQ(7.0f, f);
    EXPECT_EQ(7.0, d);
    EXPECT_EQ(GL_TRUE, b);
    EXPECT_EQ((void *)0x1234, p);
}

TEST_F(ClientStateTest, WithoutAGLContextQueriesAnswerFromTheMirror) {
    // A new context's mirror.
    for (const auto &[pname, value] : std::vector<std::pair<GLenum, GLint>>{
             {GL_FEEDBACK_BUFFER_TYPE, GL_2D}, {GL_PACK_ALIGNMENT, 4}, {GL_UNPACK_ALIGNMENT, 4},
             {GL_VERTEX_ARRAY_SIZE, 4}, {GL_COLOR_ARRAY_SIZE, 4}, {GL_TEXTURE_COORD_ARRAY_SIZE, 4},
             {GL_VERTEX_ARRAY_TYPE, GL_FLOAT}, {GL_INDEX_ARRAY_TYPE, GL_FLOAT},
             {GL_NORMAL_ARRAY_TYPE, GL_FLOAT}, {GL_COLOR_ARRAY_STRIDE, 0}}) {
        EXPECT_EQ(value, get(pname)) << pname;
    }
    EXPECT_EQ(nullptr, pointer(GL_VERTEX_ARRAY_POINTER));
    __gls_client_glFeedbackBuffer(12, GL_4D_COLOR_TEXTURE, (GLfloat *)at(8));
    __gls_client_glFeedbackBuffer(-1, GL_2D, nullptr);   // negative size: ignored
    __gls_client_glFeedbackBuffer(3, GL_2D - 1, nullptr);  // type out of range: ignored
    __gls_client_glSelectBuffer(6, (GLuint *)at(16));
    __gls_client_glSelectBuffer(-6, nullptr);
    __gls_client_glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    __gls_client_glVertexPointerEXT(3, GL_SHORT, 12, 5, at(1));
    __gls_client_glNormalPointerEXT(GL_BYTE, 13, 6, at(2));
    __gls_client_glColorPointerEXT(3, GL_UNSIGNED_INT, 14, 7, at(3));
    __gls_client_glIndexPointerEXT(GL_DOUBLE, 15, 8, at(4));
    __gls_client_glTexCoordPointerEXT(1, GL_INT, 16, 9, at(5));
    __gls_client_glEdgeFlagPointerEXT(17, 10, (const GLboolean *)at(6));
    __gls_client_glEnableClientState(GL_INDEX_ARRAY);
    const std::pair<GLenum, GLint> answers[] = {
        {GL_MAX_CLIENT_ATTRIB_STACK_DEPTH, 16}, {GL_CLIENT_ATTRIB_STACK_DEPTH, 1},
        {GL_FEEDBACK_BUFFER_SIZE, 12}, {GL_FEEDBACK_BUFFER_TYPE, GL_4D_COLOR_TEXTURE},
        {GL_SELECTION_BUFFER_SIZE, 6}, {GL_UNPACK_ALIGNMENT, 4}, {GL_INDEX_ARRAY, 1},
        {GL_VERTEX_ARRAY, 0}, {GL_VERTEX_ARRAY_SIZE, 3}, {GL_VERTEX_ARRAY_TYPE, GL_SHORT},
        {GL_VERTEX_ARRAY_STRIDE, 12}, {GL_VERTEX_ARRAY_COUNT_EXT, 5},
        {GL_NORMAL_ARRAY_TYPE, GL_BYTE}, {GL_NORMAL_ARRAY_STRIDE, 13},
        {GL_NORMAL_ARRAY_COUNT_EXT, 6}, {GL_COLOR_ARRAY_SIZE, 3},
        {GL_COLOR_ARRAY_TYPE, GL_UNSIGNED_INT}, {GL_COLOR_ARRAY_STRIDE, 14},
        {GL_COLOR_ARRAY_COUNT_EXT, 7}, {GL_INDEX_ARRAY_TYPE, GL_DOUBLE},
        {GL_INDEX_ARRAY_STRIDE, 15}, {GL_INDEX_ARRAY_COUNT_EXT, 8},
        {GL_TEXTURE_COORD_ARRAY_SIZE, 1}, {GL_TEXTURE_COORD_ARRAY_TYPE, GL_INT},
        {GL_TEXTURE_COORD_ARRAY_STRIDE, 16}, {GL_TEXTURE_COORD_ARRAY_COUNT_EXT, 9},
        {GL_EDGE_FLAG_ARRAY_STRIDE, 17}, {GL_EDGE_FLAG_ARRAY_COUNT_EXT, 10},
        {GL_MAX_LIGHTS, -999},  // not the mirror's: left alone
    };
    for (const auto &[pname, value] : answers) EXPECT_EQ(value, get(pname)) << pname;
    const std::pair<GLenum, const void *> pointers[] = {
        {GL_FEEDBACK_BUFFER_POINTER, at(8)}, {GL_SELECTION_BUFFER_POINTER, at(16)},
        {GL_VERTEX_ARRAY_POINTER, at(1)},    {GL_NORMAL_ARRAY_POINTER, at(2)},
        {GL_COLOR_ARRAY_POINTER, at(3)},     {GL_INDEX_ARRAY_POINTER, at(4)},
        {GL_TEXTURE_COORD_ARRAY_POINTER, at(5)}, {GL_EDGE_FLAG_ARRAY_POINTER, at(6)},
        {GL_VERTEX_ARRAY_SIZE, (void *)1},  // not a pointer name: left alone
    };
    for (const auto &[pname, value] : pointers) EXPECT_EQ(value, pointer(pname)) << pname;
}

TEST_F(ClientStateTest, GetConversionsWriteOneValueEachAndUnknownNamesAsZero) {
    __gls_client_glFeedbackBuffer(0x7FFFFF01, GL_3D_COLOR, nullptr);
    for (GLenum pname : {(GLenum)GL_UNPACK_ALIGNMENT, (GLenum)GL_PACK_SWAP_BYTES,
                         (GLenum)GL_FEEDBACK_BUFFER_TYPE, (GLenum)GL_FEEDBACK_BUFFER_SIZE,
                         (GLenum)GL_MAX_LIGHTS}) {
        const GLint v = get(pname, 0);
        // Guard bytes around each destination, which need not be aligned.
        unsigned char out[3][12];
        memset(out, 0xEE, sizeof out);
        __gls_client_glGetBooleanv(pname, (GLboolean *)&out[0][1]);
        __gls_client_glGetFloatv(pname, (GLfloat *)&out[1][1]);
        __gls_client_glGetDoublev(pname, (GLdouble *)&out[2][1]);
        const GLfloat f = (GLfloat)v;
        const GLdouble d = (GLdouble)v;
        EXPECT_EQ(v ? GL_TRUE : GL_FALSE, out[0][1]) << pname;
        EXPECT_EQ(0, memcmp(&f, &out[1][1], 4)) << pname;
        EXPECT_EQ(0, memcmp(&d, &out[2][1], 8)) << pname;
        const size_t written[] = {1, 4, 8};
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(0xEE, out[k][0]);
            EXPECT_EQ(0xEE, out[k][1 + written[k]]) << pname << " " << k;
        }
    }
    GLfloat f = 5;
    __gls_client_glGetFloatv(GL_MAX_LIGHTS, &f);
    EXPECT_EQ(0.0f, f);
    // Rounded to the nearest float, as C converts.
    __gls_client_glGetFloatv(GL_FEEDBACK_BUFFER_SIZE, &f);
    EXPECT_EQ(2147483392.0f, f);
}

TEST_F(ClientStateTest, PointerCommandsRecordOnlyWhenEveryArgumentIsValid) {
    struct Row { std::function<void()> call; GLenum strideName; GLint stride; } valid[] = {
        {[] { __gls_client_glColorPointer(4, GL_UNSIGNED_INT, 3, P); }, GL_COLOR_ARRAY_STRIDE, 3},
        {[] { __gls_client_glColorPointer(3, GL_DOUBLE, 0, P); }, GL_COLOR_ARRAY_STRIDE, 0},
        {[] { __gls_client_glIndexPointer(GL_UNSIGNED_BYTE, 3, P); }, GL_INDEX_ARRAY_STRIDE, 3},
        {[] { __gls_client_glNormalPointer(GL_BYTE, 3, P); }, GL_NORMAL_ARRAY_STRIDE, 3},
        {[] { __gls_client_glTexCoordPointer(1, GL_SHORT, 3, P); }, GL_TEXTURE_COORD_ARRAY_STRIDE,
         3},
        {[] { __gls_client_glVertexPointer(2, GL_DOUBLE, 3, P); }, GL_VERTEX_ARRAY_STRIDE, 3},
        {[] { __gls_client_glEdgeFlagPointer(3, P); }, GL_EDGE_FLAG_ARRAY_STRIDE, 3},
        {[] { __gls_client_glIndexPointerEXT(GL_SHORT, 3, 0, P); }, GL_INDEX_ARRAY_STRIDE, 3},
        {[] { __gls_client_glVertexPointerEXT(4, GL_INT, 3, 0, P); }, GL_VERTEX_ARRAY_STRIDE, 3},
    };
    for (const Row &row : valid) {
        __glsClientStateInit(&mirror());
        mirror().arrays.stride[__GLS_ARRAY_COLOR] = 99;
        row.call();
        EXPECT_EQ(row.stride, get(row.strideName)) << row.strideName;
    }
    std::function<void()> invalid[] = {
        [] { __gls_client_glColorPointer(2, GL_FLOAT, 0, P); },
        [] { __gls_client_glColorPointer(4, GL_2_BYTES, 0, P); },
        [] { __gls_client_glColorPointer(4, GL_FLOAT, -4, P); },
        [] { __gls_client_glEdgeFlagPointer(-1, P); },
        [] { __gls_client_glIndexPointer(GL_BYTE, 0, P); },
        [] { __gls_client_glNormalPointer(GL_UNSIGNED_BYTE, 0, P); },
        [] { __gls_client_glTexCoordPointer(5, GL_FLOAT, 0, P); },
        [] { __gls_client_glTexCoordPointer(0, GL_FLOAT, 0, P); },
        [] { __gls_client_glTexCoordPointer(2, GL_BYTE, 0, P); },
        [] { __gls_client_glVertexPointer(1, GL_FLOAT, 0, P); },
        [] { __gls_client_glVertexPointer(3, GL_UNSIGNED_SHORT, 0, P); },
        [] { __gls_client_glColorPointerEXT(4, GL_FLOAT, 0, -1, P); },
        [] { __gls_client_glEdgeFlagPointerEXT(0, -1, nullptr); },
        [] { __gls_client_glIndexPointerEXT(GL_UNSIGNED_BYTE, 0, 1, P); },
        [] { __gls_client_glNormalPointerEXT(GL_INT, -1, 1, P); },
        [] { __gls_client_glTexCoordPointerEXT(2, GL_FLOAT, 0, -1, P); },
        [] { __gls_client_glVertexPointerEXT(5, GL_FLOAT, 0, 1, P); },
    };
    for (size_t k = 0; k < sizeof invalid / sizeof invalid[0]; ++k) {
        const Bytes before = bytes(mirror().arrays);
        invalid[k]();
        EXPECT_EQ(before, bytes(mirror().arrays)) << k;
    }
}

TEST_F(ClientStateTest, EnablesFollowTheSixClientArraysOnly) {
    const GLenum arrays[] = {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_COLOR_ARRAY,
                             GL_INDEX_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_EDGE_FLAG_ARRAY};
    for (GLenum on : arrays) {
        __gls_client_glEnableClientState(on);
        for (GLenum a : arrays) EXPECT_EQ(a == on, __gls_client_glIsEnabled(a)) << on << " " << a;
        EXPECT_EQ(1, get(on));
        __gls_client_glDisable(on);
        EXPECT_FALSE(__gls_client_glIsEnabled(on));
        __gls_client_glEnable(on);
        EXPECT_TRUE(__gls_client_glIsEnabled(on));
        __gls_client_glDisableClientState(on);
    }
    const Bytes before = bytes(mirror());
    __gls_client_glEnable(GL_LIGHTING);
    __gls_client_glEnableClientState(GL_LIGHTING);
    EXPECT_FALSE(__gls_client_glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(before, bytes(mirror()));
}

TEST_F(ClientStateTest, SeventeenPushesThenSeventeenPops) {
    // Push k saves row length k and vertex stride 10 k.
    for (GLint k = 1; k <= 17; ++k) {
        __gls_client_glPixelStorei(GL_UNPACK_ROW_LENGTH, k);
        __gls_client_glVertexPointer(3, GL_FLOAT, 10 * k, P);
        __gls_client_glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
        EXPECT_EQ(k < 16 ? k : 16, get(GL_CLIENT_ATTRIB_STACK_DEPTH));
    }
    __gls_client_glPixelStorei(GL_UNPACK_ROW_LENGTH, 99);
    for (GLint pop = 1; pop <= 17; ++pop) {
        __gls_client_glPopClientAttrib();
        // The seventeenth push was refused, so pop n restores push 17 - n.
        const GLint k = pop < 16 ? 17 - pop : 1;
        EXPECT_EQ(k, get(GL_UNPACK_ROW_LENGTH)) << pop;
        EXPECT_EQ(10 * k, get(GL_VERTEX_ARRAY_STRIDE)) << pop;
        EXPECT_EQ(16 - (pop < 16 ? pop : 16), get(GL_CLIENT_ATTRIB_STACK_DEPTH));
    }
}

TEST_F(ClientStateTest, PushSavesAndPopRestoresOnlyWhatTheMaskNames) {
    struct Case { GLbitfield mask; bool pixels, arrays; } cases[] = {
        {0, false, false},
        {GL_CLIENT_PIXEL_STORE_BIT, true, false},
        {GL_CLIENT_VERTEX_ARRAY_BIT, false, true},
        {GL_CLIENT_ALL_ATTRIB_BITS, true, true},
    };
    for (const Case &c : cases) {
        __glsClientStateInit(&mirror());
        __gls_client_glPushClientAttrib(c.mask);
        __gls_client_glPixelStorei(GL_PACK_ALIGNMENT, 2);
        __gls_client_glPixelStorei(GL_UNPACK_SKIP_ROWS, 3);
        __gls_client_glEnableClientState(GL_EDGE_FLAG_ARRAY);
        __gls_client_glNormalPointer(GL_SHORT, 6, P);
        __gls_client_glPopClientAttrib();
        EXPECT_EQ(c.pixels ? 4 : 2, get(GL_PACK_ALIGNMENT)) << c.mask;
        EXPECT_EQ(c.pixels ? 0 : 3, get(GL_UNPACK_SKIP_ROWS)) << c.mask;
        EXPECT_EQ(c.arrays ? 0 : 1, get(GL_EDGE_FLAG_ARRAY)) << c.mask;
        EXPECT_EQ(c.arrays ? 0 : 6, get(GL_NORMAL_ARRAY_STRIDE)) << c.mask;
    }
}

// The layout of an interleaved format worked out from its name: texture
// coordinates, colour, normal and vertex in that order, Nf as N floats and
// C4UB as four bytes.
struct Layout {
    GLint texSize = 0, colorSize = 0, vertexSize = 0;
    GLenum colorType = 0;
    GLint colorOffset = -1, normalOffset = -1, vertexOffset = -1, stride = 0;
};
Layout layoutOf(const std::string &name) {
    Layout l;
    size_t pos = 0;
    while (pos < name.size()) {
        const char part = name[pos];
        const GLint n = name[pos + 1] - '0';
        const bool ubytes = name.compare(pos + 2, 2, "UB") == 0;
        if (part == 'T') l.texSize = n;
        if (part == 'C') {
            l.colorSize = n;
            l.colorType = ubytes ? GL_UNSIGNED_BYTE : GL_FLOAT;
            l.colorOffset = l.stride;
        }
        if (part == 'N') l.normalOffset = l.stride;
        if (part == 'V') {
            l.vertexSize = n;
            l.vertexOffset = l.stride;
        }
        l.stride += ubytes ? n : 4 * n;
        pos = name.find('_', pos);
        pos = pos == std::string::npos ? name.size() : pos + 1;
    }
    return l;
}

TEST_F(ClientStateTest, InterleavedArraysTakeTheLayoutOfTheFormat) {
    const std::pair<GLenum, const char *> formats[] = {
        {GL_V2F, "V2F"}, {GL_V3F, "V3F"}, {GL_C4UB_V2F, "C4UB_V2F"}, {GL_C4UB_V3F, "C4UB_V3F"},
        {GL_C3F_V3F, "C3F_V3F"}, {GL_N3F_V3F, "N3F_V3F"}, {GL_C4F_N3F_V3F, "C4F_N3F_V3F"},
        {GL_T2F_V3F, "T2F_V3F"}, {GL_T4F_V4F, "T4F_V4F"}, {GL_T2F_C4UB_V3F, "T2F_C4UB_V3F"},
        {GL_T2F_C3F_V3F, "T2F_C3F_V3F"}, {GL_T2F_N3F_V3F, "T2F_N3F_V3F"},
        {GL_T2F_C4F_N3F_V3F, "T2F_C4F_N3F_V3F"}, {GL_T4F_C4F_N3F_V4F, "T4F_C4F_N3F_V4F"},
    };
    for (const auto &[format, name] : formats) {
        const Layout l = layoutOf(name);
        for (GLsizei stride : {0, 100}) {
            __glsClientStateInit(&mirror());
            // Arrays the format leaves out keep what they had.
            __gls_client_glEnableClientState(GL_INDEX_ARRAY);
            __gls_client_glEnableClientState(GL_EDGE_FLAG_ARRAY);
            __gls_client_glColorPointer(3, GL_SHORT, 7, at(-1));
            __gls_client_glNormalPointer(GL_INT, 7, at(-2));
            __gls_client_glTexCoordPointer(1, GL_INT, 7, at(-3));
            __gls_client_glInterleavedArrays(format, stride, P);
            const GLint s = stride ? stride : l.stride;
            const bool c = l.colorSize != 0, n = l.normalOffset >= 0, t = l.texSize != 0;
            const std::string what = std::string(name) + " " + std::to_string(stride);
            EXPECT_EQ(0, get(GL_INDEX_ARRAY) + get(GL_EDGE_FLAG_ARRAY)) << what;
            const Array vertex{1, l.vertexSize, GL_FLOAT, s, at(l.vertexOffset)};
            const Array color = c ? Array{1, l.colorSize, (GLint)l.colorType, s, at(l.colorOffset)}
                                  : Array{0, 3, GL_SHORT, 7, at(-1)};
            const Array normal = n ? Array{1, 0, GL_FLOAT, s, at(l.normalOffset)}
                                   : Array{0, 0, GL_INT, 7, at(-2)};
            const Array texCoord =
                t ? Array{1, l.texSize, GL_FLOAT, s, P} : Array{0, 1, GL_INT, 7, at(-3)};
            EXPECT_EQ(vertex, array(GL_VERTEX_ARRAY)) << what;
            EXPECT_EQ(color, array(GL_COLOR_ARRAY)) << what;
            EXPECT_EQ(normal, array(GL_NORMAL_ARRAY)) << what;
            EXPECT_EQ(texCoord, array(GL_TEXTURE_COORD_ARRAY)) << what;
        }
    }
    // A null base is moved by the offsets as an address, without fault.
    __gls_client_glInterleavedArrays(GL_C4UB_V2F, 0, nullptr);
    EXPECT_EQ((void *)4, pointer(GL_VERTEX_ARRAY_POINTER));
    const Bytes before = bytes(mirror());
    __gls_client_glInterleavedArrays(GL_V2F - 1, 0, P);
    __gls_client_glInterleavedArrays(GL_T4F_C4F_N3F_V4F + 1, 0, P);
    __gls_client_glInterleavedArrays(GL_V3F, -1, P);
    EXPECT_EQ(before, bytes(mirror()));
}

TEST_F(ClientStateTest, HeldBuffersOnlyGrowAndKeepTheOldOneWhenMemoryRunsOut) {
    GLfloat *small = __glsGetFeedbackBuffer(ctx(), 100);
    ASSERT_TRUE(small);
    memset(small, 1, 100);
    EXPECT_EQ(small, __glsGetFeedbackBuffer(ctx(), 50));
    EXPECT_EQ(small, __glsGetFeedbackBuffer(ctx(), 100));
    EXPECT_EQ(nullptr, __glsGetFeedbackBuffer(ctx(), SIZE_MAX));
    EXPECT_EQ((GLSenum)GLS_RESOURCE_ERROR, glsGetError());
    EXPECT_EQ(small, __glsGetFeedbackBuffer(ctx(), 100));
    GLfloat *large = __glsGetFeedbackBuffer(ctx(), 200);
    ASSERT_TRUE(large);
    EXPECT_NE(small, large);
    memset(large, 2, 200);  // the sanitizer checks the size
    EXPECT_EQ(200u, mirror().feedbackHolder.byteSize);
    // A GL that refused the larger buffer, or is still in feedback mode,
    // goes on writing into the one it was given before.
    memset(small, 3, 100);
    // The selection buffer is held apart; both are freed with the context.
    GLuint *select = __glsGetSelectBuffer(ctx(), 0);
    ASSERT_TRUE(select);
    EXPECT_NE((void *)select, (void *)large);
    EXPECT_EQ(large, __glsGetFeedbackBuffer(ctx(), 0));
}

TEST_F(ClientStateTest, StreamDefaultsSetTightPackingThroughTheClientCommand) {
    for (bool pack : {true, false}) {
        __glsClientStateInit(&mirror());
        __gls_client_glPixelStorei(GL_PACK_ROW_LENGTH, 5);
        __gls_client_glPixelStorei(GL_UNPACK_ROW_LENGTH, 5);
        ctx()->glInfo.packDefaultsSet = ctx()->glInfo.unpackDefaultsSet = 0;
        pack ? __glsPixelPackDefaults() : __glsPixelUnpackDefaults();
        const __GLSpixelStore set = {1, 0, 0, 0, 0, 0, 0, 0}, kept = {4, 0, 5, 0, 0, 0, 0, 0};
        EXPECT_EQ(0, memcmp(pack ? &set : &kept, &mirror().pack, sizeof set));
        EXPECT_EQ(0, memcmp(pack ? &kept : &set, &mirror().unpack, sizeof set));
        EXPECT_EQ(pack, ctx()->glInfo.packDefaultsSet);
        EXPECT_EQ(!pack, ctx()->glInfo.unpackDefaultsSet);
    }
    fakeGL();
    __glsPixelUnpackDefaults();
    const GLenum order[] = {GL_UNPACK_ALIGNMENT, GL_UNPACK_LSB_FIRST, GL_UNPACK_ROW_LENGTH,
                            GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS, GL_UNPACK_SWAP_BYTES,
                            GL_UNPACK_IMAGE_HEIGHT_EXT, GL_UNPACK_SKIP_IMAGES_EXT};
    ASSERT_EQ(8u, glLog.size());
    for (size_t k = 0; k < 8; ++k) {
        EXPECT_EQ(__GLS_OP_glPixelStorei, glLog[k].op);
        EXPECT_EQ(order[k], glLog[k].arg);
        EXPECT_EQ(1, glLog[k].depth);  // inside the execute bracket
    }
    EXPECT_EQ(0, ctx()->captureExecDepth);
}

TEST_F(ClientStateTest, UnpackStateReadsSixModesAndTheThreeDOnesOnlyWithTheExtension) {
    const GLenum unpack[] = {GL_UNPACK_ALIGNMENT, GL_UNPACK_LSB_FIRST, GL_UNPACK_ROW_LENGTH,
                             GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS, GL_UNPACK_SWAP_BYTES,
                             GL_UNPACK_IMAGE_HEIGHT_EXT, GL_UNPACK_SKIP_IMAGES_EXT};
    const GLint values[] = {2, 1, 7, 3, 4, 1, 6, 5};
    for (int k = 0; k < 8; ++k) __gls_client_glPixelStorei(unpack[k], values[k]);
    for (GLint texture3D : {0, 1}) {
        ctx()->glInfo.texture3D = texture3D;
        __GLSpixelStore store;
        memset(&store, 0x55, sizeof store);
        __glsPixelUnpackState(&store);
        const GLint *got = (const GLint *)&store;
        for (int k = 0; k < 8; ++k) EXPECT_EQ(k < 6 || texture3D ? values[k] : 0, got[k]) << k;
    }
    fakeGL();
    __GLSpixelStore store;
    __glsPixelUnpackState(&store);
    ASSERT_EQ(8u, glLog.size());
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(unpack[k], glLog[k].arg);
        EXPECT_EQ(1, glLog[k].depth);
        EXPECT_EQ((GLint)(unpack[k] & 0xFF) + 100, ((const GLint *)&store)[k]);
    }
}

TEST_F(ClientStateTest, ArrayQueryFillsEnabledArraysWithTheirElementStrides) {
    __GLSvertexArrayState state;
    __glsArrayStateInit(&state);
    EXPECT_FALSE(__glsQueryArrayState(&state));
    // The stride a zero stride stands for: one element of the array.
    struct Row { GLenum cap; int slot; GLint stride; std::function<void()> set; } rows[] = {
        {GL_VERTEX_ARRAY, __GLS_ARRAY_VERTEX, 6,
         [] { __gls_client_glVertexPointer(3, GL_SHORT, 0, at(1)); }},
        {GL_NORMAL_ARRAY, __GLS_ARRAY_NORMAL, 3,
         [] { __gls_client_glNormalPointer(GL_BYTE, 0, at(2)); }},
        {GL_COLOR_ARRAY, __GLS_ARRAY_COLOR, 4,
         [] { __gls_client_glColorPointer(4, GL_UNSIGNED_BYTE, 0, at(3)); }},
        {GL_INDEX_ARRAY, __GLS_ARRAY_INDEX, 8,
         [] { __gls_client_glIndexPointer(GL_DOUBLE, 0, at(4)); }},
        {GL_TEXTURE_COORD_ARRAY, __GLS_ARRAY_TEXCOORD, 8,
         [] { __gls_client_glTexCoordPointer(2, GL_FLOAT, 0, at(5)); }},
        {GL_EDGE_FLAG_ARRAY, __GLS_ARRAY_EDGE_FLAG, 1,
         [] { __gls_client_glEdgeFlagPointer(0, at(6)); }},
        {GL_VERTEX_ARRAY, __GLS_ARRAY_VERTEX, 11,
         [] { __gls_client_glVertexPointer(3, GL_SHORT, 11, at(1)); }},
    };
    for (const Row &row : rows) {
        __glsClientStateInit(&mirror());
        row.set();
        __gls_client_glEnableClientState(row.cap);
        memset(&state, 0x5A, sizeof state);
        __GLSvertexArrayState untouched = state;
        EXPECT_TRUE(__glsQueryArrayState(&state)) << row.cap;
        EXPECT_EQ(0, state.activeTexture);
        for (int slot = 0; slot < __GLS_ARRAY_SLOTS; ++slot) {
            EXPECT_EQ(slot == row.slot, state.enabled[slot]) << row.cap << " " << slot;
            if (slot != row.slot) {
                EXPECT_EQ(untouched.stride[slot], state.stride[slot]);
            }
        }
        EXPECT_EQ(row.stride, state.stride[row.slot]) << row.cap;
        EXPECT_EQ(mirror().arrays.pointer[row.slot], state.pointer[row.slot]) << row.cap;
        // The mirror itself keeps the stride it was given.
        EXPECT_EQ(row.stride == 11 ? 11 : 0, mirror().arrays.stride[row.slot]);
    }
    fakeGL();
    EXPECT_TRUE(__glsQueryArrayState(&state));
    for (const Call &call : glLog) EXPECT_EQ(3, call.depth) << call.op;
    EXPECT_EQ(0, state.enabled[__GLS_ARRAY_TEXCOORD + 1]);
    EXPECT_EQ(GL_VERTEX_ARRAY_POINTER, glLog.back().arg);
}

TEST_F(ClientStateTest, EachContextKeepsItsOwnMirror) {
    __gls_client_glPixelStorei(GL_PACK_ALIGNMENT, 8);
    const GLuint other = glsGenContext();
    glsContext(other);
    EXPECT_EQ(4, get(GL_PACK_ALIGNMENT));
    glsContext(name);
    EXPECT_EQ(8, get(GL_PACK_ALIGNMENT));
    glsDeleteContext(other);
}

}  // namespace
