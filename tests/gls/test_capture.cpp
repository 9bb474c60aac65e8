// The capture functions: every opcode's record announces exactly the bytes
// it puts and aligns its 8-byte values; the template's flags, callbacks,
// execute step and refusals; and the records the irregular commands make.
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "api/api.h"
#include "capture/capture.h"
#include "context_test.h"
#include "gls_capture_sweep.h"
#include "sink.h"

namespace {

// One record as the checking writer saw it.
struct Record {
    GLSopcode op;
    GLulong announced;
    GLulong put = 0;
    int phase;              // the alignCommand phase before it, -1 for none
    long firstWide = -1;    // offset of the first 8-byte value in the block
    bool wideAligned = true;  // every 8-byte value on an 8-byte stream boundary
    std::string bytes;      // the argument block
};

// A binary writer whose slots are watched: what each record announces, the
// bytes its puts fill, its alignment phase and where its 8-byte values land.
struct Probe {
    __GLSputTable real;
    std::vector<Record> records;
    std::vector<std::string> log;  // callbacks, execution and writing in order
    int phase = -1;
    bool inAlign = false, refuseAlign = false, refuseBegin = false;
    GLubyte *argStart = nullptr;
} probe;

GLboolean GLSAPI alignCommand(__GLSwriter *w, GLuint phase) {
    if (probe.refuseAlign) return 0;
    probe.phase = (int)phase;
    probe.inAlign = true;  // a glsPad the writer inserts is not the record
    GLboolean ok = probe.real.alignCommand(w, phase);
    probe.inAlign = false;
    return ok;
}
GLboolean GLSAPI beginCommand(__GLSwriter *w, GLSopcode op, GLulong n) {
    if (probe.inAlign) return probe.real.beginCommand(w, op, n);
    if (probe.refuseBegin) return 0;
    if (!probe.real.beginCommand(w, op, n)) return 0;
    probe.log.push_back("write");
    Record r{};
    r.op = op;
    r.announced = n;
    r.phase = probe.phase;
    probe.records.push_back(r);
    probe.phase = -1;
    probe.argStart = w->writePtr;
    return 1;
}
void GLSAPI endCommand(__GLSwriter *w) {
    if (!probe.inAlign) {
        Record &r = probe.records.back();
        r.put = (GLulong)(w->writePtr - probe.argStart);
        r.bytes.assign((const char *)probe.argStart, (size_t)r.put);
    }
    probe.real.endCommand(w);
}
void wide(__GLSwriter *w, GLlong count = 1) {
    if (count <= 0) return;
    Record &r = probe.records.back();
    if (r.firstWide < 0) r.firstWide = (long)(w->writePtr - probe.argStart);
    if ((uintptr_t)w->writePtr & 7) r.wideAligned = false;
}
// The 8-byte slots, watched before they write.
void GLSAPI putGLdouble(__GLSwriter *w, GLulong v) { wide(w), probe.real.putGLdouble(w, v); }
void GLSAPI putGLdoubleOrEnum(__GLSwriter *w, GLenum p, GLulong v) {
    wide(w), probe.real.putGLdoubleOrEnum(w, p, v);
}
void GLSAPI putGLdoublev(__GLSwriter *w, __GLScount n, const GLdouble *v) {
    wide(w, n), probe.real.putGLdoublev(w, n, v);
}
void GLSAPI putGLdoublevOrEnum(__GLSwriter *w, GLenum p, __GLScount n, const GLdouble *v) {
    wide(w, n), probe.real.putGLdoublevOrEnum(w, p, n, v);
}
void GLSAPI putGLdoubleMatrix(__GLSwriter *w, const GLdouble *v) {
    wide(w), probe.real.putGLdoubleMatrix(w, v);
}
void GLSAPI putGLdoubleImage(__GLS_IMAGE_ARGS) {
    wide(w, (GLlong)(elements > 0) * (rows > 0) * (images > 0) * (groups > 0));
    probe.real.putGLdoubleImage(w, swap, elements, rowSkip, rows, imageSkip, images, groupSkip,
                                groups, data);
}
void GLSAPI putGLlong(__GLSwriter *w, GLlong v) { wide(w), probe.real.putGLlong(w, v); }
void GLSAPI putGLlongv(__GLSwriter *w, __GLScount n, const GLlong *v) {
    wide(w, n), probe.real.putGLlongv(w, n, v);
}
void GLSAPI putOutArg(__GLSwriter *w, GLint i, const GLvoid *p) {
    wide(w), probe.real.putOutArg(w, i, p);
}
void GLSAPI putArrayPointer(__GLSwriter *w, const GLvoid *p) {
    wide(w), probe.real.putArrayPointer(w, p);
}

void GLSAPI entryCallback(GLSopcode op) { probe.log.push_back("entry " + std::to_string(op)); }
void GLSAPI exitCallback(GLSopcode op) { probe.log.push_back("exit " + std::to_string(op)); }
GLubyte entrySetsFlags = 0xFF;  // flags the entry callback gives its opcode
void GLSAPI flagEntryCallback(GLSopcode op) {
    entryCallback(op);
    __glsGetContext()->captureFlags[op] = entrySetsFlags;
}
GLuint GLSAPI realGenLists(GLsizei range) {
    probe.log.push_back("exec depth " + std::to_string(__glsGetContext()->captureExecDepth));
    return 42;
}

class Capture : public GlsContextTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(GlsContextTest::SetUp());
        ctx()->writeFunc = Sink::write;
        ctx()->writer = watch(__glsWriterCreate((const GLubyte *)"", GLS_BINARY_LSB_FIRST, 0));
        memset(ctx()->captureFlags, __GLS_CAPTURE_WRITE, sizeof ctx()->captureFlags);
        probe.records.clear();
        probe.log.clear();
        probe.phase = -1;
        probe.refuseAlign = probe.refuseBegin = false;
        for (size_t i = 0; i < sizeof sweepIn; ++i) sweepIn[i] = (GLubyte)(i * 37 + 11);
        savedGenLists = __glsDefaultDispatchTable[__GLS_OP_glGenLists];
        __glsDefaultDispatchTable[__GLS_OP_glGenLists] = (__GLSfunc)realGenLists;
        glsGetError();
    }
    void TearDown() override {
        __glsDefaultDispatchTable[__GLS_OP_glGenLists] = savedGenLists;
        for (__GLSwriter *w : writers) __glsWriterDestroy(w);
        ctx()->writer = nullptr;
        GlsContextTest::TearDown();
    }
    // Every record then reaches the probe through the put table, none
    // stored whole.
    __GLSwriter *watch(__GLSwriter *w) {
        writers.push_back(w);
        w->nativeRecords = 0;
        probe.real = w->put;
        w->put.alignCommand = alignCommand;
        w->put.beginCommand = beginCommand;
        w->put.endCommand = endCommand;
        w->put.putGLdouble = putGLdouble;
        w->put.putGLdoubleOrEnum = putGLdoubleOrEnum;
        w->put.putGLdoublev = putGLdoublev;
        w->put.putGLdoublevOrEnum = putGLdoublevOrEnum;
        w->put.putGLdoubleMatrix = putGLdoubleMatrix;
        w->put.putGLdoubleImage = putGLdoubleImage;
        w->put.putGLlong = putGLlong;
        w->put.putGLlongv = putGLlongv;
        w->put.putOutArg = putOutArg;
        w->put.putArrayPointer = putArrayPointer;
        return w;
    }
    // The one record the last calls made.
    const Record &only() {
        EXPECT_EQ(1u, probe.records.size());
        static Record none{};
        return probe.records.empty() ? none : probe.records.back();
    }
    std::vector<__GLSwriter *> writers;
    __GLSfunc savedGenLists = nullptr;
};

GLint word(const std::string &bytes, size_t at) {
    GLint v = 0;
    if (at + 4 <= bytes.size()) memcpy(&v, bytes.data() + at, 4);
    return v;
}

#define CAPTURE(name) __GLS_SLOT(__glsDefaultCaptureTable, name)

}  // namespace

// -------------------------------------------------------------- the sweep

TEST_F(Capture, TheTableHoldsAFunctionForEveryNamedOpcodeOnly) {
    int named = 0;
    for (int op = 0; op < GLS_OP_COUNT; ++op) {
        EXPECT_EQ(__glsOpNames[op] != nullptr, __glsDefaultCaptureTable[op] != nullptr) << op;
        named += __glsOpNames[op] != nullptr;
    }
    EXPECT_EQ(__GLS_DEFINED_OPCODE_COUNT, named);
    EXPECT_EQ((size_t)__GLS_DEFINED_OPCODE_COUNT, sizeof captureSweep / sizeof captureSweep[0]);
}

TEST_F(Capture, EveryOpcodeAnnouncesWhatItPutsAndAlignsItsWideValues) {
    int aligned = 0;
    for (const CaptureSweep &s : captureSweep) {
        SCOPED_TRACE(s.name);
        probe.records.clear();
        s.call();
        ASSERT_EQ(1u, probe.records.size());
        const Record &r = probe.records[0];
        EXPECT_EQ(s.op, r.op);
        EXPECT_EQ(r.announced, r.put);
        if (r.firstWide >= 0) {
            EXPECT_EQ(r.firstWide / 4 % 2, r.phase);
            EXPECT_TRUE(r.wideAligned);
        }
        aligned += r.phase >= 0;
        EXPECT_FALSE(ctx()->writer->failed);
        EXPECT_EQ((GLSenum)GLS_NONE, glsGetError());
        ctx()->writer->failed = 0;  // one broken record must not hide the next
    }
    EXPECT_EQ(__GLS_ALIGNED_COMMAND_COUNT, aligned);
}

// A record a capture function stores whole, in the host's order, is the
// record the put table writes, byte for byte, for every opcode that has one.
TEST_F(Capture, RecordsStoredWholeAreThoseOfThePutTable) {
    ctx()->writer = watch(__glsWriterCreate((const GLubyte *)"", GLS_BINARY_LSB_FIRST,
                                            __GLS_WRITE_NO_FRAMING));
    int whole = 0;
    for (const CaptureSweep &s : captureSweep) {
        SCOPED_TRACE(s.name);
        std::string roads[2];
        for (GLint native : {0, 1}) {
            Sink::reset();
            probe.records.clear();
            ctx()->writer->nativeRecords = native;
            s.call();
            ASSERT_TRUE(__glsWriterFlush(ctx()->writer));
            roads[native] = Sink::out;
            if (native) whole += probe.records.empty();
        }
        EXPECT_EQ(roads[0], roads[1]);
    }
    // The records of fixed size: the per-vertex, state and transform
    // commands and the like, most of the GL's.
    EXPECT_GT(whole, 180);
}

TEST_F(Capture, FlagsDecideForEveryOpcode) {
    glsCaptureFunc(GLS_CAPTURE_ENTRY_FUNC, entryCallback);
    glsCaptureFunc(GLS_CAPTURE_EXIT_FUNC, exitCallback);
    struct { GLubyte flags; bool refuse; int records; bool callbacks; } cases[] = {
        {0, false, 0, false}, {__GLS_CAPTURE_CALLBACKS, false, 0, true},
        {__GLS_CAPTURE_CALLBACKS | __GLS_CAPTURE_WRITE, false, 1, true},
        {__GLS_CAPTURE_CALLBACKS | __GLS_CAPTURE_WRITE, true, 0, true},
    };
    for (auto &c : cases) {
        memset(ctx()->captureFlags, c.flags, sizeof ctx()->captureFlags);
        probe.refuseBegin = c.refuse;
        for (const CaptureSweep &s : captureSweep) {
            SCOPED_TRACE(std::string(s.name) + " flags " + std::to_string(c.flags));
            probe.records.clear();
            probe.log.clear();
            s.call();
            EXPECT_EQ((size_t)c.records, probe.records.size());
            std::vector<std::string> want;
            if (c.callbacks) want.push_back("entry " + std::to_string(s.op));
            if (c.records) want.push_back("write");
            if (c.callbacks) want.push_back("exit " + std::to_string(s.op));
            EXPECT_EQ(want, probe.log);
        }
    }
}

// ----------------------------------------------------------- the template

TEST_F(Capture, ExecutionAndResultFollowTheFlags) {
    struct { GLubyte flags; GLuint result; std::vector<std::string> log; } cases[] = {
        {0, 0, {}},
        {__GLS_CAPTURE_WRITE, 0, {"write"}},
        {__GLS_CAPTURE_EXECUTE, 42, {"exec depth 1"}},
        {__GLS_CAPTURE_EXECUTE | __GLS_CAPTURE_WRITE, 42, {"exec depth 1", "write"}},
    };
    for (auto &c : cases) {
        ctx()->captureFlags[__GLS_OP_glGenLists] = c.flags;
        probe.log.clear();
        EXPECT_EQ(c.result, CAPTURE(glGenLists)(5)) << (int)c.flags;
        EXPECT_EQ(c.log, probe.log) << (int)c.flags;
        EXPECT_EQ(0, ctx()->captureExecDepth);
    }
}

TEST_F(Capture, TheEntryCallbackDecidesForItsOwnCall) {
    glsCaptureFunc(GLS_CAPTURE_ENTRY_FUNC, flagEntryCallback);
    glsCaptureFunc(GLS_CAPTURE_EXIT_FUNC, exitCallback);
    struct { GLubyte set; std::vector<std::string> log; } cases[] = {
        {0, {"entry 53"}},
        {__GLS_CAPTURE_CALLBACKS, {"entry 53", "exit 53"}},
        {7, {"entry 53", "exec depth 1", "write", "exit 53"}},
    };
    for (auto &c : cases) {
        ctx()->captureFlags[__GLS_OP_glGenLists] = 7;
        entrySetsFlags = c.set;
        probe.log.clear();
        CAPTURE(glGenLists)(1);
        EXPECT_EQ(c.log, probe.log) << (int)c.set;
    }
}

// glPassThrough's own parameter is named token: its value reaches the GL
// through the capture function's execute step and through the
// capture-dispatch entry of a call made inside another's execution alike.
TEST_F(Capture, PassThroughReachesTheGLWithItsOwnToken) {
    static std::vector<GLfloat> seen;
    struct Fn {
        static void GLSAPI passThrough(GLfloat token) { seen.push_back(token); }
    };
    seen.clear();
    const __GLSfunc saved = __glsDefaultDispatchTable[__GLS_OP_glPassThrough];
    __glsDefaultDispatchTable[__GLS_OP_glPassThrough] = (__GLSfunc)Fn::passThrough;
    ctx()->captureFlags[__GLS_OP_glPassThrough] = __GLS_CAPTURE_EXECUTE | __GLS_CAPTURE_WRITE;
    CAPTURE(glPassThrough)(7.5f);
    ++ctx()->captureExecDepth;
    __gls_capture_dispatch_glPassThrough(2.25f);
    --ctx()->captureExecDepth;
    __glsDefaultDispatchTable[__GLS_OP_glPassThrough] = saved;
    EXPECT_EQ((std::vector<GLfloat>{7.5f, 2.25f}), seen);
    EXPECT_EQ(0x40F00000, word(only().bytes, 0));
}

// An entry callback may end the capture it is called from: the call then
// writes nothing and still calls back on its way out, for every opcode.
TEST_F(Capture, AnEntryCallbackThatEndsTheCaptureLeavesNothingToWrite) {
    struct Fn {
        static void GLSAPI endCapture(GLSopcode op) {
            entryCallback(op);
            __glsGetContext()->writer = nullptr;  // as glsEndCapture leaves the last level
        }
    };
    glsCaptureFunc(GLS_CAPTURE_ENTRY_FUNC, Fn::endCapture);
    glsCaptureFunc(GLS_CAPTURE_EXIT_FUNC, exitCallback);
    memset(ctx()->captureFlags, __GLS_CAPTURE_CALLBACKS | __GLS_CAPTURE_WRITE,
           sizeof ctx()->captureFlags);
    __GLSwriter *const writer = ctx()->writer;
    for (const CaptureSweep &s : captureSweep) {
        SCOPED_TRACE(s.name);
        probe.records.clear();
        probe.log.clear();
        s.call();
        EXPECT_TRUE(probe.records.empty());
        EXPECT_EQ((std::vector<std::string>{"entry " + std::to_string(s.op), "exit " + std::to_string(s.op)}),
                  probe.log);
        ctx()->writer = writer;
    }
}

TEST_F(Capture, ARefusedRecordStillExecutesAndCallsBack) {
    glsCaptureFunc(GLS_CAPTURE_EXIT_FUNC, exitCallback);
    ctx()->captureFlags[__GLS_OP_glGenLists] = 7;
    probe.refuseBegin = true;
    EXPECT_EQ(42u, CAPTURE(glGenLists)(1));
    EXPECT_EQ((std::vector<std::string>{"exec depth 1", "exit 53"}), probe.log);
    probe.refuseBegin = false;
    probe.refuseAlign = true;
    ctx()->captureFlags[__GLS_OP_glColor3dv] = 6;
    CAPTURE(glColor3dv)((const GLdouble *)sweepIn);
    EXPECT_TRUE(probe.records.empty());
    EXPECT_EQ("exit 58", probe.log.back());
}

TEST_F(Capture, DrawsBelongToTheExpandersWhenVertexArraysAreCaptured) {
    glsCaptureFunc(GLS_CAPTURE_ENTRY_FUNC, entryCallback);
    glsCaptureFunc(GLS_CAPTURE_EXIT_FUNC, exitCallback);
    memset(ctx()->captureFlags, 6, sizeof ctx()->captureFlags);
    // A draw is expanded only when an array is enabled to draw from.
    static const GLfloat vertices[9] = {};
    static const GLushort indices[] = {2, 0, 1};
    __gls_client_glVertexPointer(3, GL_FLOAT, 0, vertices);
    __gls_client_glEnableClientState(GL_VERTEX_ARRAY);
    ctx()->captureVertexArrays = 1;
    CAPTURE(glBegin)(GL_POINTS);
    CAPTURE(glArrayElement)(1);
    CAPTURE(glDrawArrays)(GL_TRIANGLES, 0, 3);
    CAPTURE(glDrawElements)(GL_TRIANGLES, 3, GL_UNSIGNED_SHORT, indices);
    ctx()->captureVertexArrays = 0;
    __gls_client_glDisableClientState(GL_VERTEX_ARRAY);
    for (const std::string &entry : probe.log) EXPECT_EQ(std::string::npos, entry.find(" 3")) << entry;
    for (const Record &r : probe.records) EXPECT_NE(__GLS_OP_glDrawArrays, r.op);
    CAPTURE(glDrawArrays)(GL_TRIANGLES, 0, 3);
    EXPECT_EQ(12u, probe.records.back().announced);
}

TEST_F(Capture, GLSCommandsRunTheirImplementation) {
    ctx()->captureFlags[__GLS_OP_glsBlock] = 3;
    CAPTURE(glsBlock)(GLS_FRAME);
    EXPECT_EQ((GLSenum)GLS_FRAME, ctx()->blockType);
    EXPECT_EQ(4u, only().announced);
}

// ------------------------------------------------------------- the records

TEST_F(Capture, RecordsHaveTheirSizeAndPhase) {
    struct { const char *what; void (*call)(); int phase; GLulong bytes; } cases[] = {
        {"glColor3dv", [] { CAPTURE(glColor3dv)((const GLdouble *)sweepIn); }, 0, 24},
        {"glGetIntegerv", [] { GLint v; CAPTURE(glGetIntegerv)(GL_VIEWPORT, &v); }, 1, 12},
        {"glColor3sv", [] { CAPTURE(glColor3sv)((const GLshort *)sweepIn); }, -1, 6},
        {"glTexCoord4dv", [] { CAPTURE(glTexCoord4dv)((const GLdouble *)sweepIn); }, 0, 32},
        {"glRectsv", [] { CAPTURE(glRectsv)((const GLshort *)sweepIn, (const GLshort *)sweepIn); }, -1, 8},
        {"glEdgeFlagv", [] { CAPTURE(glEdgeFlagv)(sweepIn); }, -1, 1},
        {"glColorMask", [] { CAPTURE(glColorMask)(1, 0, 1, 0); }, -1, 4},
        {"glLineStipple", [] { CAPTURE(glLineStipple)(3, 255); }, -1, 6},
        {"glClipPlane", [] { CAPTURE(glClipPlane)(GL_CLIP_PLANE0, (const GLdouble *)sweepIn); }, 1, 36},
        {"glTexGend", [] { CAPTURE(glTexGend)(GL_S, GL_TEXTURE_GEN_MODE, 2.0); }, 0, 16},
        {"glMapGrid2d", [] { CAPTURE(glMapGrid2d)(1, 0, 1, 2, 0, 1); }, 1, 44},
        {"glGetHistogram", [] { CAPTURE(glGetHistogram)(GL_HISTOGRAM, 1, GL_RGBA, GL_FLOAT, sweepOut); }, 0, 24},
        {"glHistogram", [] { CAPTURE(glHistogram)(GL_HISTOGRAM, 8, GL_RGBA, 1); }, -1, 13},
        {"glMinmax", [] { CAPTURE(glMinmax)(GL_MINMAX, GL_RGBA, 1); }, -1, 9},
        {"glLoadMatrixd", [] { CAPTURE(glLoadMatrixd)((const GLdouble *)sweepIn); }, 0, 128},
        {"glMultMatrixf", [] { CAPTURE(glMultMatrixf)((const GLfloat *)sweepIn); }, -1, 64},
        {"glDeleteTextures -3", [] { CAPTURE(glDeleteTextures)(-3, (const GLuint *)sweepIn); }, -1, 4},
        {"glPrioritizeTextures 0", [] { CAPTURE(glPrioritizeTextures)(0, (const GLuint *)sweepIn, (const GLfloat *)sweepIn); }, -1, 4},
        {"glAreTexturesResident 2", [] { CAPTURE(glAreTexturesResident)(2, (const GLuint *)sweepIn, sweepOut); }, 1, 20},
        {"glAreTexturesResident 3", [] { CAPTURE(glAreTexturesResident)(3, (const GLuint *)sweepIn, sweepOut); }, 0, 24},
        {"glVertexPointer", [] { CAPTURE(glVertexPointer)(3, GL_FLOAT, 0, sweepIn); }, 1, 20},
        {"glVertexPointerEXT", [] { CAPTURE(glVertexPointerEXT)(3, GL_FLOAT, 0, 4, sweepIn); }, 0, 24},
        {"glPixelMapusv -3", [] { CAPTURE(glPixelMapusv)(GL_PIXEL_MAP_I_TO_I, -3, (const GLushort *)sweepIn); }, -1, 8},
        {"glReadPixels", [] { CAPTURE(glReadPixels)(0, 0, 2, 2, GL_RGBA, GL_FLOAT, sweepOut); }, 0, 32},
        {"glSelectBuffer", [] { CAPTURE(glSelectBuffer)(4, (GLuint *)sweepOut); }, 1, 12},
        {"glGetSeparableFilter", [] { CAPTURE(glGetSeparableFilter)(GL_SEPARABLE_2D, GL_RGBA, GL_FLOAT, sweepOut, sweepOut, sweepOut); }, 1, 36},
        {"glGetError", [] { CAPTURE(glGetError)(); }, -1, 0},
        {"glsComment empty", [] { CAPTURE(glsComment)((const GLubyte *)""); }, -1, 8},
        {"glsComment 4", [] { CAPTURE(glsComment)((const GLubyte *)"abcd"); }, -1, 12},
        {"glsString 3 5", [] { CAPTURE(glsString)((const GLubyte *)"abc", (const GLubyte *)"abcde"); }, -1, 20},
        {"glsNumd 4", [] { CAPTURE(glsNumd)((const GLubyte *)"abcd", 1.0); }, 1, 20},
        {"glsNumd 3", [] { CAPTURE(glsNumd)((const GLubyte *)"abc", 1.0); }, 0, 16},
        {"glsNumdv 3 2", [] { CAPTURE(glsNumdv)((const GLubyte *)"abc", 2, (const GLdouble *)sweepIn); }, 1, 28},
        {"glsNumdv -2", [] { CAPTURE(glsNumdv)((const GLubyte *)"abc", -2, (const GLdouble *)sweepIn); }, 1, 12},
        {"glsHeaderfv unknown", [] { CAPTURE(glsHeaderfv)(999, (const GLfloat *)sweepIn); }, -1, 4},
        {"glTexImage2D null", [] { CAPTURE(glTexImage2D)(GL_TEXTURE_2D, 0, 4, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr); }, -1, 36},
        {"glTexImage3D null", [] { CAPTURE(glTexImage3D)(GL_TEXTURE_3D, 0, GL_RGBA, 2, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr); }, -1, 40},
        {"glBitmap move", [] { CAPTURE(glBitmap)(0, 0, 0, 0, 5, 0, nullptr); }, -1, 28},
        {"glBitmap null", [] { CAPTURE(glBitmap)(8, 8, 0, 0, 5, 0, nullptr); }, -1, 28},
        {"glPolygonStipple null", [] { CAPTURE(glPolygonStipple)(nullptr); }, -1, 4},
        {"glDrawPixels null", [] { CAPTURE(glDrawPixels)(2, 2, GL_RGBA, GL_UNSIGNED_BYTE, nullptr); }, -1, 20},
        {"glDrawElements float", [] { CAPTURE(glDrawElements)(GL_TRIANGLES, 6, GL_FLOAT, sweepIn); }, -1, 12},
        {"glDrawElements -1", [] { CAPTURE(glDrawElements)(GL_TRIANGLES, -1, GL_UNSIGNED_SHORT, sweepIn); }, -1, 12},
        {"glCallLists bad type", [] { CAPTURE(glCallLists)(3, 0x1234, sweepIn); }, -1, 8},
        {"glMap1f unknown", [] { CAPTURE(glMap1f)(0x1234, 0, 1, 5, 4, (const GLfloat *)sweepIn); }, -1, 20},
        {"glMap2d unknown", [] { CAPTURE(glMap2d)(0x1234, 0, 1, 12, 3, 0, 1, 4, 2, (const GLdouble *)sweepIn); }, 1, 52},
        {"glPopClientAttrib", [] { CAPTURE(glPopClientAttrib)(); }, -1, 0},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.what);
        probe.records.clear();
        c.call();
        const Record &r = only();
        EXPECT_EQ(c.phase, r.phase);
        EXPECT_EQ(c.bytes, r.announced);
        EXPECT_EQ(r.announced, r.put);
        EXPECT_FALSE(ctx()->writer->failed);
    }
}

TEST_F(Capture, RecordsHoldTheirValuesInPlace) {
    CAPTURE(glMapGrid2d)(7, 0, 1, 9, 0, 1);
    EXPECT_EQ(9, word(only().bytes, 20));
    EXPECT_EQ(0, word(only().bytes, 24));  // the pad before v1
    probe.records.clear();
    CAPTURE(glGetHistogram)(GL_HISTOGRAM, 1, GL_RGBA, GL_FLOAT, sweepOut);
    EXPECT_EQ(std::string("\1\0\0\0", 4), only().bytes.substr(4, 4));
    EXPECT_EQ(GL_RGBA, word(only().bytes, 8));
    probe.records.clear();
    CAPTURE(glTexImage2D)(GL_TEXTURE_2D, 0, 4, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(1, word(only().bytes, 0));  // the image-flags word comes first
    EXPECT_EQ(GL_TEXTURE_2D, word(only().bytes, 4));
    probe.records.clear();
    CAPTURE(glsNumdv)((const GLubyte *)"abc", -2, (const GLdouble *)sweepIn);
    EXPECT_EQ(-2, word(only().bytes, 8));
    probe.records.clear();
    // Floating-point values travel bit for bit, NaN payloads included.
    const GLuint nanBits = 0x7FC12345u;
    GLfloat nan;
    memcpy(&nan, &nanBits, 4);
    CAPTURE(glClearColor)(1.5f, nan, 0, 0);
    EXPECT_EQ(0x3FC00000, word(only().bytes, 0));
    EXPECT_EQ((GLint)nanBits, word(only().bytes, 4));
    probe.records.clear();
    // A stride below the components of a point keeps the stride and no points.
    CAPTURE(glMap1f)(0x1234, 0, 1, -1, 4, (const GLfloat *)sweepIn);
    EXPECT_EQ(-1, word(only().bytes, 12));
}

TEST_F(Capture, ControlPointsArePackedFromTheCallersStrides) {
    if (__glsMapComponents(GL_MAP1_VERTEX_3) != 3) GTEST_SKIP() << "the size rules are stand-ins";
    GLfloat p[20];
    for (int i = 0; i < 20; ++i) p[i] = (GLfloat)i;
    CAPTURE(glMap1f)(GL_MAP1_VERTEX_3, 0, 1, 5, 4, p);
    EXPECT_EQ(68u, only().announced);
    EXPECT_EQ(3, word(only().bytes, 12));
    GLfloat got[12];
    memcpy(got, only().bytes.data() + 20, sizeof got);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(p[i / 3 * 5 + i % 3], got[i]) << i;
    probe.records.clear();
    GLdouble q[36];
    for (int i = 0; i < 36; ++i) q[i] = i;
    CAPTURE(glMap2d)(GL_MAP2_VERTEX_3, 0, 1, 12, 3, 0, 1, 4, 2, q);
    EXPECT_EQ(196u, only().announced);
    EXPECT_EQ(6, word(only().bytes, 20));  // ustride
    EXPECT_EQ(3, word(only().bytes, 44));  // vstride
    GLdouble got2[18];
    memcpy(got2, only().bytes.data() + 52, sizeof got2);
    for (int i = 0; i < 18; ++i) EXPECT_EQ(q[i / 6 * 12 + i % 6 / 3 * 4 + i % 3], got2[i]) << i;
}

// Strides whose byte distances pass 32 bits: one point or one row reads
// only its own values; points that no address range could hold are not
// read at all, the record keeping the caller's stride and order.
TEST_F(Capture, HugeMapStridesReadOnlyWhatTheGLReads) {
    static GLdouble q[6];
    for (int i = 0; i < 6; ++i) q[i] = i + 0.5;
    const struct {
        const char *what;
        std::function<void()> call;
        GLulong announced;
        size_t strideAt;
        GLint stride;
        size_t pointsAt;
        size_t points;  // of q, in order
    } cases[] = {
        {"one point, a stride of 2 GB", [] { CAPTURE(glMap1d)(GL_MAP1_VERTEX_3, 0, 1, 0x10000003, 1, q); },
         28 + 24, 20, 3, 28, 3},
        {"one float point, the largest stride",
         [] { CAPTURE(glMap1f)(GL_MAP1_VERTEX_3, 0, 1, 0x7FFFFFFF, 1, (const GLfloat *)q); }, 20 + 12,
         12, 3, 20, 0},
        {"one row, a row stride of 2 GB",
         [] { CAPTURE(glMap2d)(GL_MAP2_VERTEX_3, 0, 1, 0x10000003, 1, 0, 1, 3, 2, q); }, 52 + 48, 20,
         6, 52, 6},
        {"no points, gaps past 2 to the 61st",
         [] { CAPTURE(glMap2d)(GL_MAP2_VERTEX_3, 0, 1, 0x7FFFFFFF, 0, 0, 1, 0x7FFFFFFF, 0x2AAAAAAA, q); },
         52, 44, 3, 52, 0},
        {"points past any address range",
         [] { CAPTURE(glMap1d)(GL_MAP1_VERTEX_3, 0, 1, 0x7FFFFFFF, 0x7FFFFFFF, q); }, 28, 20,
         0x7FFFFFFF, 28, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        probe.records.clear();
        c.call();
        EXPECT_EQ(c.announced, only().announced);
        EXPECT_EQ(c.announced, only().put);
        EXPECT_EQ(c.stride, word(only().bytes, c.strideAt));
        if (c.points) {
            EXPECT_EQ(0, memcmp(q, only().bytes.data() + c.pointsAt, 8 * c.points));
        }
    }
}

TEST_F(Capture, BeginIsShortInContextStreamsOnly) {
    struct { bool context; GLenum mode; GLSopcode op; GLulong bytes; } cases[] = {
        {true, GL_TRIANGLES, 5, 0}, {true, GL_POLYGON, 10, 0}, {true, 10, 55, 4},
        {false, GL_TRIANGLES, 55, 4},
    };
    __GLSwriter *binary = ctx()->writer;
    __GLSwriter *context = watch(__glsWriterCreate((const GLubyte *)"s", GLS_CONTEXT, 0));
    ASSERT_TRUE(context);
    for (auto &c : cases) {
        ctx()->writer = c.context ? context : binary;
        probe.records.clear();
        CAPTURE(glBegin)(c.mode);
        EXPECT_EQ(c.op, only().op) << c.mode;
        EXPECT_EQ(c.bytes, only().announced) << c.mode;
        EXPECT_EQ(c.bytes, only().put) << c.mode;
    }
    ctx()->writer = binary;
}

TEST_F(Capture, ClientCommandsKeepTheMirror) {
    ctx()->captureFlags[__GLS_OP_glEnableClientState] = 3;
    ctx()->captureFlags[__GLS_OP_glDisableClientState] = __GLS_CAPTURE_WRITE;
    ctx()->captureFlags[__GLS_OP_glIsEnabled] = 1;
    CAPTURE(glEnableClientState)(GL_VERTEX_ARRAY);
    CAPTURE(glDisableClientState)(GL_VERTEX_ARRAY);  // written, not executed
    EXPECT_EQ(GL_TRUE, CAPTURE(glIsEnabled)(GL_VERTEX_ARRAY));
    EXPECT_EQ(2u, probe.records.size());
}
