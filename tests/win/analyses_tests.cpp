// What the debugger makes of the calls it sees: warnings, hints, primitive
// counts, the state scan, the drawable description, display-list bookkeeping
// and the GLU wrappers. One program links the debugger in and calls the gl
// and wgl entry points as an application would: a real window with a real
// GL context on the system GL (Mesa under Wine), the control panel up,
// History on. Each test checks the history text, the message text, the
// counters and the records; the few that halt the thread press the panel's
// buttons from a second thread, as a person would.
#define _GDI32_
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "debugger/analyses.h"
#include "debugger/debugger_tables.h"
#include "gls_entry.h"
#include "panel.h"
#include "ui/ui_windows.h"
#include "spinning_quads_draw.h"
#include "debugger/analyses_attach.h"
#include "debugger/ring.h"

extern "C" {
// The GLU wrappers the tests call; nothing installs them.
struct GLUquadric;
struct GLUtesselator;
typedef void(GLSAPI *_GLUfuncptr)(void);
enum { GLU_TESS_BEGIN = 100100, GLU_TESS_VERTEX = 100101, GLU_TESS_END = 100102 };
GLUtesselator *GLSAPI wrap_gluNewTess(void);
void GLSAPI wrap_gluDeleteTess(GLUtesselator *tess);
void GLSAPI wrap_gluTessCallback(GLUtesselator *tess, GLenum which, _GLUfuncptr callback);
void GLSAPI wrap_gluTessBeginPolygon(GLUtesselator *tess, GLvoid *data);
void GLSAPI wrap_gluTessBeginContour(GLUtesselator *tess);
void GLSAPI wrap_gluTessVertex(GLUtesselator *tess, GLdouble *location, GLvoid *data);
void GLSAPI wrap_gluTessEndContour(GLUtesselator *tess);
void GLSAPI wrap_gluTessEndPolygon(GLUtesselator *tess);
GLUquadric *GLSAPI wrap_gluNewQuadric(void);
void GLSAPI wrap_gluDeleteQuadric(GLUquadric *quad);
void GLSAPI wrap_gluSphere(GLUquadric *quad, GLdouble radius, GLint slices, GLint stacks);
void GLSAPI wrap_gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top);
const GLubyte *GLSAPI wrap_gluErrorString(GLenum error);
GLint GLSAPI wrap_gluProject(GLdouble objX, GLdouble objY, GLdouble objZ, const GLdouble *model,
                             const GLdouble *proj, const GLint *view, GLdouble *winX,
                             GLdouble *winY, GLdouble *winZ);
}

namespace {

HWND window;
HDC window_dc;

// The sample's window, and the debugger on this thread: its first wgl call
// builds it, and its first GL call, which finds the thread halted, takes
// the Continue the panel would post.
bool window_ready() {
    if (window) return true;
    window = sampleCreateWindow();
    window_dc = GetDC(window);
    if (!window || !sampleSetPixelFormat(window_dc)) return false;
    if (wglGetCurrentContext() != nullptr) return false;
    ring_post(&context_current()->process->ui_commands, CMD_CONTINUE);
    glGetError();
    return true;
}

// ------------------------------------------------------------- history

std::string read_file(const std::string &path, long from = 0) {
    std::string text;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return text;
    fseek(file, from, SEEK_SET);
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    fclose(file);
    return text;
}

std::string list_calls_path(DebugThreadContext *ctx) {
    char path[PATH_CHARS];
    mmaps_path_list_calls(ctx->temp_dir, path);
    return path;
}

// The "Info" annotations of a stretch of history text, in order.
std::vector<std::string> infos(const std::string &text) {
    std::vector<std::string> out;
    static const char head[] = "glsString(\"Info\", \"";
    for (size_t at = text.find(head); at != std::string::npos; at = text.find(head, at + 1)) {
        size_t from = at + sizeof head - 1, to = text.find("\");", from);
        out.push_back(text.substr(from, to - from));
    }
    return out;
}

// ------------------------------------------------------------- fixture

// A fresh GL context on the sample's window for every test, made current
// through the debugger's wgl entry points: a record, a number and a history
// of its own. The switches start at History on, everything else off.
class Analyses : public ::testing::Test {
protected:
    HGLRC rc = nullptr;
    DebugThreadContext *ctx = nullptr;
    long history_mark = 0;

    void SetUp() override {
        ASSERT_TRUE(window_ready());
        rc = wglCreateContext(window_dc);
        ASSERT_TRUE(rc);
        ASSERT_TRUE(wglMakeCurrent(window_dc, rc));
        ctx = context_current();
        ASSERT_TRUE(ctx);
        ASSERT_EQ((uintptr_t)rc, record()->handle);
        ProcessRecord *p = ctx->process;
        for (std::atomic<uint32_t> *s : {&p->Break_on_GL_calls, &p->Break_on_SwapBuffers,
                                         &p->Check_for_GL_error, &p->Limit_data_dumps,
                                         &p->Show_data_memory_address, &p->Show_performance_hints,
                                         &p->Show_possible_problems, &p->Skip_GL_calls}) {
            s->store(0);
        }
        p->History.store(1);
        mark();
    }

    void TearDown() override {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(rc);
    }

    GLContextRecord *record() { return ctx->gl_context; }
    ProcessRecord *process() { return ctx->process; }
    std::string message() { return process()->message_text; }
    uint64_t counter(int index) { return process()->primitive_counts[index]; }

    // The history written from now on.
    void mark() {
        glsFlush();
        history_mark = (long)record()->history.length.load();
    }
    std::string history_since_mark() {
        glsFlush();
        return read_file(record()->history_path, history_mark).substr(0, record()->history.length.load() - history_mark);
    }
    void set(std::atomic<uint32_t> &option, bool on) { option.store(on ? 1 : 0); }
};


// ------------------------------------------------------------ warnings

// What a row switches on besides History (which it may switch off).
struct Switches {
    bool problems = false, address = false, hints = false, history = true;
};

std::string address_text(const void *p) {
    char text[64];
    _snprintf_s(text, sizeof text, _TRUNCATE, "- data at memory location 0x%0*llX.",
                (int)(2 * sizeof p), (unsigned long long)(uintptr_t)p);
    return text;
}

TEST_F(Analyses, WarningsReachTheMessageTextAndTheHistoryAsTheSwitchesSay) {
    static const GLfloat v[3] = {0, 0, 0};
    struct Case {
        const char *what;
        Switches on;
        int alpha_bits;  // the drawable's own when -1
        // Makes the calls; returns the message text of the call checked.
        std::function<std::string()> run;
        std::string message;
        std::vector<std::string> infos;
        uint64_t vertices;  // the primitive's vertex count after, from 0
    };
    const std::string no_alpha = "Function requires alpha planes.";
    const std::string inside = "Should not be called between glBegin/glEnd.";
    const std::string outside = "Not called between glBegin/glEnd.";
    Switches problems;
    problems.problems = true;
    Switches quiet = problems;
    quiet.problems = false;
    Switches no_history = problems;
    no_history.history = false;
    auto call = [this](std::function<void()> f) {
        return [this, f] { f(); return message(); };
    };
    const Case cases[] = {
        {"destination alpha, no alpha planes", problems, -1,
         call([] { glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_DST_ALPHA); }),
         "\nWarning: " + no_alpha, {"- " + no_alpha}, 0},
        {"saturate is a source factor only", problems, -1,
         call([] { glBlendFunc(GL_ONE, GL_SRC_ALPHA_SATURATE); }), "", {}, 0},
        {"saturate as the source", problems, -1,
         call([] { glBlendFunc(GL_SRC_ALPHA_SATURATE, GL_ONE); }), "\nWarning: " + no_alpha,
         {"- " + no_alpha}, 0},
        {"destination alpha with alpha planes", problems, 8,
         call([] { glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_DST_ALPHA); }), "", {}, 0},
        {"both warnings, the begin/end one first", problems, -1,
         [this] {
             glBegin(GL_POINTS);
             glBlendFunc(GL_DST_ALPHA, GL_ZERO);
             std::string m = message();
             glEnd();
             return m;
         },
         "\nWarning: " + inside + "\nWarning: " + no_alpha, {"- " + inside, "- " + no_alpha}, 0},
        {"a vertex outside glBegin/glEnd", problems, -1, call([] { glVertex3fv(v); }),
         "\nWarning: " + outside, {"- " + outside}, 1},
        {"a vertex inside glBegin/glEnd", problems, -1,
         [this] {
             glBegin(GL_POINTS);
             glVertex3fv(v);
             std::string m = message();
             glEnd();
             return m;
         },
         "", {}, 1},
        {"problems not shown: the message text only", quiet, -1, call([] { glVertex2fv(v); }),
         "\nWarning: " + outside, {}, 1},
        {"History off: the message text only", no_history, -1,
         call([] { glBlendFunc(GL_ZERO, GL_DST_ALPHA); }), "\nWarning: " + no_alpha, {}, 0},
    };
    int32_t own_alpha_bits = record()->alpha_bits;
    ASSERT_EQ(0, own_alpha_bits) << "the sample's pixel format has alpha planes";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        set(process()->Show_possible_problems, c.on.problems);
        set(process()->History, c.on.history);
        record()->alpha_bits = c.alpha_bits < 0 ? own_alpha_bits : c.alpha_bits;
        mark();
        record()->primitive_vertices = 0;
        EXPECT_EQ(c.message, c.run());
        EXPECT_EQ(c.vertices, record()->primitive_vertices);
        set(process()->History, true);
        EXPECT_EQ(c.infos, infos(history_since_mark()));
    }
    record()->alpha_bits = own_alpha_bits;
}

TEST_F(Analyses, PerVertexDataIsFollowedByItsAddress) {
    static const GLfloat f[4] = {0.5f, 0.25f, 0.125f, 1};
    static const GLshort sh[4] = {1, 2, 3, 4};
    static const GLbyte b[3] = {1, 2, 3};
    static const GLint i[4] = {1, 2, 3, 4};
    static const GLdouble d[4] = {0.5, 0.25, 0.125, 1};
    static const GLubyte ub[4] = {1, 2, 3, 4};
    set(process()->Show_data_memory_address, true);
    glColor3fv(f);
    glColor4ubv(ub);
    glIndexsv(sh);
    glNormal3bv(b);
    glRasterPos2iv(i);
    glTexCoord4dv(d);
    glEvalCoord1fv(f);
    glBegin(GL_POINTS);
    glVertex2sv(sh);
    glVertex3f(1, 2, 3);
    glEnd();
    std::vector<std::string> got = infos(history_since_mark());
    ASSERT_EQ(9u, got.size());
    std::vector<std::string> want = {address_text(f), address_text(ub), address_text(sh),
                                     address_text(b), address_text(i), address_text(d),
                                     address_text(f), address_text(sh)};
    EXPECT_EQ(want, std::vector<std::string>(got.begin(), got.begin() + 8));
    // The scalar form shows where its entry point copied its arguments.
    EXPECT_EQ(address_text(nullptr).size(), got[8].size());
    EXPECT_EQ(0u, got[8].find("- data at memory location 0x"));

    set(process()->Show_data_memory_address, false);
    mark();
    glColor3fv(f);
    EXPECT_TRUE(infos(history_since_mark()).empty());
}


// --------------------------------------------------- hints and counting

enum {
    POINTS = 0, LINES, LINE_LOOPS, LINE_STRIPS, LINE_LOOP_VERTICES, LINE_STRIP_VERTICES, RECTS,
    TRIANGLES, TRIANGLE_FANS, TRIANGLE_STRIPS, FAN_VERTICES, STRIP_VERTICES, QUADS, QUAD_STRIPS,
    QUAD_STRIP_VERTICES, POLYGONS
};

void primitive(GLenum mode, int vertices) {
    glBegin(mode);
    for (int i = 0; i < vertices; ++i) glVertex2f((GLfloat)i, (GLfloat)(i % 2));
    glEnd();
}

TEST_F(Analyses, PrimitivesAreCountedAndHintedAbout) {
    static const GLfloat nine[18] = {0, 0, 1, 0, 1, 1, 0, 0, 1, 0, 1, 1, 0, 0, 1, 0, 1, 1};
    static const GLubyte four[4] = {0, 1, 2, 3};
    const std::string triangles_hint =
        "- Use glBegin(GL_TRIANGLES) instead of glBegin(GL_POLYGON) followed by 3 vertices.";
    const std::string quads_hint =
        "- Use glBegin(GL_QUADS) instead of glBegin(GL_POLYGON) followed by 4 vertices.";
    struct Case {
        const char *what;
        bool hints;
        std::function<void()> run;
        std::vector<std::pair<int, uint64_t>> counts;  // counters not named stay
        std::vector<std::string> infos;
    };
    auto arrays = [](bool enabled) {
        glVertexPointer(2, GL_FLOAT, 0, nine);
        if (enabled) glEnableClientState(GL_VERTEX_ARRAY);
        else glDisableClientState(GL_VERTEX_ARRAY);
    };
    const Case cases[] = {
        {"a strip of two vertices is no triangle", true, [] { primitive(GL_TRIANGLE_STRIP, 2); }, {}, {}},
        {"a strip of three", true, [] { primitive(GL_TRIANGLE_STRIP, 3); },
         {{TRIANGLE_STRIPS, 1}, {STRIP_VERTICES, 3}}, {}},
        {"a fan of four", true, [] { primitive(GL_TRIANGLE_FAN, 4); },
         {{TRIANGLE_FANS, 1}, {FAN_VERTICES, 4}}, {}},
        {"a line strip without vertices", true, [] { primitive(GL_LINE_STRIP, 0); },
         {{LINE_STRIPS, 1}}, {}},
        {"a line loop of three", true, [] { primitive(GL_LINE_LOOP, 3); },
         {{LINE_LOOPS, 1}, {LINE_LOOP_VERTICES, 3}}, {}},
        {"five vertices of lines", true, [] { primitive(GL_LINES, 5); }, {{LINES, 2}}, {}},
        {"seven vertices of quads", true, [] { primitive(GL_QUADS, 7); }, {{QUADS, 1}}, {}},
        {"a quad strip of three is none", true, [] { primitive(GL_QUAD_STRIP, 3); }, {}, {}},
        {"a quad strip of four", true, [] { primitive(GL_QUAD_STRIP, 4); },
         {{QUAD_STRIPS, 1}, {QUAD_STRIP_VERTICES, 4}}, {}},
        {"a polygon of three", true, [] { primitive(GL_POLYGON, 3); }, {{POLYGONS, 1}},
         {triangles_hint}},
        {"a polygon of four", true, [] { primitive(GL_POLYGON, 4); }, {{POLYGONS, 1}},
         {quads_hint}},
        {"a polygon of five", true, [] { primitive(GL_POLYGON, 5); }, {{POLYGONS, 1}}, {}},
        {"a polygon of three, hints off", false, [] { primitive(GL_POLYGON, 3); },
         {{POLYGONS, 1}}, {}},
        {"points by glVertex3f", true,
         [] {
             glBegin(GL_POINTS);
             for (int i = 0; i < 3; ++i) glVertex3f(0, 0, 0);
             glEnd();
         },
         {{POINTS, 3}}, {}},
        {"points by glEvalCoord", true,
         [] {
             glBegin(GL_POINTS);
             glEvalCoord1f(0.5f);
             glEvalCoord2f(0.5f, 0.5f);
             glEnd();
         },
         {{POINTS, 2}}, {}},
        {"array elements", true,
         [&] {
             arrays(true);
             glBegin(GL_POINTS);
             for (int i = 0; i < 3; ++i) glArrayElement(i);
             glEnd();
         },
         {{POINTS, 3}}, {}},
        {"array elements, the vertex array off", true,
         [&] {
             arrays(false);
             glBegin(GL_POINTS);
             for (int i = 0; i < 3; ++i) glArrayElement(i);
             glEnd();
         },
         {}, {}},
        {"glDrawArrays of nine triangle vertices", true,
         [&] {
             arrays(true);
             glDrawArrays(GL_TRIANGLES, 0, 9);
         },
         {{TRIANGLES, 3}}, {}},
        {"glDrawElements of a polygon of four", true,
         [&] {
             arrays(true);
             glDrawElements(GL_POLYGON, 4, GL_UNSIGNED_BYTE, four);
         },
         {{POLYGONS, 1}}, {quads_hint}},
        {"rectangles", true,
         [] {
             glRectf(0, 0, 1, 1);
             static const GLint corner[2] = {0, 0}, other[2] = {1, 1};
             glRectiv(corner, other);
         },
         {{RECTS, 2}}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        set(process()->Show_performance_hints, c.hints);
        uint64_t before[PRIMITIVE_COUNTERS];
        memcpy(before, process()->primitive_counts, sizeof before);
        mark();
        c.run();
        EXPECT_EQ(c.infos, infos(history_since_mark()));
        for (int i = 0; i < PRIMITIVE_COUNTERS; ++i) {
            uint64_t want = 0;
            for (auto &count : c.counts) {
                if (count.first == i) want = count.second;
            }
            EXPECT_EQ(want, counter(i) - before[i]) << "counter " << i;
        }
    }
}

TEST_F(Analyses, PerformanceHintsFollowTheirOptions) {
    static const GLfloat identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    static const GLdouble identity_d[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    static const GLfloat negative_zero[16] = {1, -0.0f, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    static const GLfloat scale[16] = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1};
    static const GLfloat translate[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
    static const GLfloat both[16] = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 5, 6, 7, 1};
    static const GLfloat at_infinity[4] = {0, 0, 1, 0}, positional[4] = {0, 0, 1, 1};
    static const GLint positional_i[4] = {0, 0, 1, 1};
    static const GLint one = 1;
    static GLubyte solid[128], holed[128];
    memset(solid, 0xFF, sizeof solid);
    memset(holed, 0xFF, sizeof holed);
    holed[77] = 0xFE;
    const std::string one_clear = "- Use one glClear per frame if possible.";
    const std::string one_flush = "- Flush the graphics pipe once per frame if possible.";
    const std::string dither = "- Do not enable GL_DITHER for glClear.";
    const std::string load_identity =
        "- Use glLoadIdentity rather than loading the identity matrix with glLoadMatrix.";
    const std::string use_scale =
        "- Use glScale instead of calling glLoadMatrix with your own scaling matrix.";
    const std::string use_translate =
        "- Use glTranslate instead of calling glLoadMatrix with your own translation matrix.";
    const std::string directional = "- directional lights (w = 0) are more efficient on many platforms.";
    const std::string lighting_first =
        "For best performance, set up lighting parameters first, then enable lighting.";
    const std::string material_first =
        "For best performance, set up material parameters first, then enable lighting.";
    const std::string no_scale =
        "- Avoid using glScale when doing lighting because it almost always requires that normals "
        "be renormalized, even if the x, y, and z scale factors are uniform.";
    const std::string line_stipple = "- Do not use line stippling with a stipple pattern of 0xFFFF.";
    const std::string polygon_stipple =
        "- Do not use polygon stippling with a stipple pattern of all 0xFF.";
    const std::string normalize =
        "- Provide unit-length normals if it is possible and leave GL_NORMALIZE off.";
    struct Case {
        const char *what;
        bool hints, address;
        std::function<void()> run;
        std::vector<std::string> infos;
    };
    const Case cases[] = {
        {"a clear with dithering as it starts", true, false, [] { glClear(GL_COLOR_BUFFER_BIT); },
         {dither}},
        {"a clear with dithering off", true, false,
         [] {
             glDisable(GL_DITHER);
             glClear(GL_COLOR_BUFFER_BIT);
         },
         {}},
        {"two clears, then a flush", true, false,
         [] {
             glDisable(GL_DITHER);
             glClear(GL_COLOR_BUFFER_BIT);
             glClear(GL_COLOR_BUFFER_BIT);
             glFlush();
         },
         {one_clear}},
        {"two flushes, then a clear", true, false,
         [] {
             glDisable(GL_DITHER);
             glFlush();
             glFinish();
             glClear(GL_COLOR_BUFFER_BIT);
         },
         {one_flush}},
        {"clears and flushes, hints off", false, true,
         [] {
             glClear(GL_COLOR_BUFFER_BIT);
             glClear(GL_COLOR_BUFFER_BIT);
             glFlush();
             glFlush();
             glClear(GL_COLOR_BUFFER_BIT);
         },
         {}},
        {"the identity loaded", true, false, [] { glLoadMatrixf(identity); }, {load_identity}},
        {"the identity loaded in doubles", true, false, [] { glLoadMatrixd(identity_d); },
         {load_identity}},
        {"an identity with -0.0 is a scaling", true, false, [] { glLoadMatrixf(negative_zero); },
         {use_scale}},
        {"a scaling matrix", true, false, [] { glLoadMatrixf(scale); }, {use_scale}},
        {"a translation matrix", true, false, [] { glLoadMatrixf(translate); }, {use_translate}},
        {"scaling and translation", true, false, [] { glLoadMatrixf(both); }, {}},
        {"a light at infinity", true, false,
         [] { glLightfv(GL_LIGHT0, GL_POSITION, at_infinity); }, {}},
        {"a positional light", true, false, [] { glLightfv(GL_LIGHT1, GL_POSITION, positional); },
         {directional}},
        {"a positional light in integers", true, false,
         [] { glLightiv(GL_LIGHT1, GL_POSITION, positional_i); }, {directional}},
        {"light model and materials before lighting", true, false,
         [] {
             glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
             glMaterialf(GL_FRONT, GL_SHININESS, 10);
             glScalef(2, 2, 2);
             glEnable(GL_LIGHTING);
         },
         {}},
        {"light model, materials and scaling while lighting", true, false,
         [] {
             glEnable(GL_LIGHTING);
             glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 1);
             glLightModeliv(GL_LIGHT_MODEL_LOCAL_VIEWER, &one);
             glMateriali(GL_FRONT, GL_SHININESS, 10);
             glScaled(2, 2, 2);
             glDisable(GL_LIGHTING);
             glScalef(2, 2, 2);
         },
         {lighting_first, lighting_first, material_first, no_scale}},
        {"a solid line stipple, hints only", true, false, [] { glLineStipple(1, 0xFFFF); }, {}},
        {"a solid line stipple, addresses shown", false, true, [] { glLineStipple(1, 0xFFFF); },
         {line_stipple}},
        {"GL_NORMALIZE, hints only", true, false, [] { glEnable(GL_NORMALIZE); }, {}},
        {"GL_NORMALIZE, addresses shown", false, true, [] { glEnable(GL_NORMALIZE); }, {normalize}},
        {"a solid polygon stipple", true, false, [] { glPolygonStipple(solid); }, {polygon_stipple}},
        {"a polygon stipple with a hole", true, false, [] { glPolygonStipple(holed); }, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        // Each case starts from a fresh context's mirrors and counts.
        TearDown();
        SetUp();
        set(process()->Show_performance_hints, c.hints);
        set(process()->Show_data_memory_address, c.address);
        c.run();
        EXPECT_EQ(c.infos, infos(history_since_mark()));
        // Hints never touch the message text.
        EXPECT_EQ("", message());
    }
}


// ------------------------------------------------------------ state scan

// The items whose current values differ from their defaults.
std::vector<std::string> changed_items(DebugThreadContext *ctx) {
    std::vector<std::string> out;
    for (int i = 0; i < STATE_ITEMS; ++i) {
        const StateSlot &slot = ctx->gl_context->state_slots[i];
        size_t bytes = ctx->master->state_items[i].value_count * sizeof(float);
        if (memcmp(slot.default_values, slot.current_values, bytes) != 0) {
            out.push_back(ctx->master->state_items[i].name);
        }
    }
    return out;
}

int item_named(DebugThreadContext *ctx, const char *name) {
    for (int i = 0; i < STATE_ITEMS; ++i) {
        if (strcmp(ctx->master->state_items[i].name, name) == 0) return i;
    }
    return -1;
}

TEST_F(Analyses, AttachingAContextTakesItsDefaults) {
    for (int i = 0; i < STATE_ITEMS; ++i) {
        const StateSlot &slot = record()->state_slots[i];
        int n = ctx->master->state_items[i].value_count;
        EXPECT_EQ(0, memcmp(slot.default_values, slot.current_values, n * sizeof(float)))
            << ctx->master->state_items[i].name;
        for (int k = 0; k < n; ++k) EXPECT_EQ(0.0f, slot.snapshot_values[k]);
    }
    // A few defaults every GL has.
    const float *viewport = record()->state_slots[item_named(ctx, "glGet(GL_VIEWPORT)")].default_values;
    EXPECT_EQ(kSampleWidth, viewport[2]);
    EXPECT_EQ(1.0f, record()->state_slots[item_named(ctx, "glGet(GL_DITHER)")].default_values[0]);
    EXPECT_EQ((float)GL_MODULATE,
              record()->state_slots[item_named(ctx, "glGetTexEnv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE)")]
                  .default_values[0]);
}

TEST_F(Analyses, ValuesShowByTheFirstOfTheirNames) {
    struct {
        uint32_t value;
        const char *name;
    } const rows[] = {
        {0x0000, "GL_FALSE"},      {0x0B50, "GL_LIGHTING"},      {0x0600, "GL_2D"},
        {0x0D17, "GL_ZOOM_Y"},     {0x8005, "GL_BLEND_COLOR"},   {0x0BF1, "GL_INDEX_LOGIC_OP"},
        {0x846E, "0x846E"},        {0x0123, "0x0123"},           {0x12345, "0x12345"},
    };
    char name[COMMAND_NAME_CHARS];
    for (const auto &row : rows) {
        EXPECT_STREQ(row.name, value_name_lookup(row.value, ctx->master->enumerants, ENUMERANT_ROWS, name));
    }
}

TEST_F(Analyses, TheSampleChangesOnlyTheStateItSets) {
    unsigned backdrop = sampleSetUp();
    for (int frame = 0; frame < kSampleFrames; ++frame) sampleDrawFrame(backdrop, frame);
    static unsigned char pixels[kSampleWidth * kSampleHeight * 3];
    ASSERT_EQ(0u, sampleReadPixels(pixels));
    state_scan(ctx);
    std::vector<std::string> want = {
        "glGet(GL_COLOR_ARRAY_SIZE)",   "glGet(GL_COLOR_ARRAY_TYPE)", "glGet(GL_COLOR_CLEAR_VALUE)",
        "glGet(GL_PACK_ALIGNMENT)",     "glGet(GL_VERTEX_ARRAY_SIZE)",
    };
    // What Mesa changes of itself: the current colour after the arrays are
    // drawn (the GL leaves it undefined).
    const char *mesa[] = {"glGet(GL_CURRENT_COLOR)"};
    std::vector<std::string> got;
    for (const std::string &name : changed_items(ctx)) {
        bool allowed = false;
        for (const char *m : mesa) allowed = allowed || name == m;
        if (!allowed) got.push_back(name);
    }
    EXPECT_EQ(want, got);
}

TEST_F(Analyses, TheScanLeavesNoTrace) {
    static GLubyte stipple[128];
    for (int i = 0; i < 128; ++i) stipple[i] = (GLubyte)(i * 7 + 1);
    static const GLdouble plane[4] = {1.5, -2.25, 1.0 / 3, 16777217.0};
    glPolygonStipple(stipple);
    glClipPlane(GL_CLIP_PLANE2, plane);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 16);
    glEnable(0xFFFF);  // an error left pending by the application
    mark();
    GLbitfield flags[GLS_OP_COUNT];
    for (int op = 0; op < GLS_OP_COUNT; ++op) flags[op] = glsGetCaptureFlags((GLSopcode)op);

    state_scan(ctx);

    EXPECT_EQ("", history_since_mark());
    for (int op = 0; op < GLS_OP_COUNT; ++op) EXPECT_EQ(flags[op], glsGetCaptureFlags((GLSopcode)op)) << op;
    const float *got = record()->state_slots[item_named(ctx, "glGetPolygonStipple()")].current_values;
    for (int i = 0; i < 128; ++i) EXPECT_EQ((float)stipple[i], got[i]) << i;
    got = record()->state_slots[item_named(ctx, "glGetClipPlane(GL_CLIP_PLANE2)")].current_values;
    for (int i = 0; i < 4; ++i) EXPECT_EQ((float)plane[i], got[i]) << i;
    // The application's own reads see its pack modes and the error it left.
    EXPECT_EQ((GLenum)GL_INVALID_ENUM, glGetError());
    GLint alignment = 0, row_length = 0;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_PACK_ROW_LENGTH, &row_length);
    EXPECT_EQ(1, alignment);
    EXPECT_EQ(16, row_length);
}

TEST_F(Analyses, AnErrorTheApplicationLeftOutlivesTheScan) {
    GLint depth = 0, max_depth = 0;
    glGetIntegerv(GL_MAX_CLIENT_ATTRIB_STACK_DEPTH, &max_depth);
    struct Case {
        const char *what;
        std::function<void()> raise;
        GLenum error;
    };
    const Case cases[] = {
        {"invalid enumerant", [] { glEnable(0xFFFF); }, GL_INVALID_ENUM},
        {"invalid value", [] { glLineWidth(-1); }, GL_INVALID_VALUE},
        {"invalid operation", [] { glEndList(); }, GL_INVALID_OPERATION},
        {"invalid operation while compiling",
         [] {
             glNewList(5, GL_COMPILE);
             glNewList(6, GL_COMPILE);
         },
         GL_INVALID_OPERATION},
        {"stack overflow",
         [&] {
             for (GLint i = 0; i <= max_depth; ++i) glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
         },
         GL_STACK_OVERFLOW},
        {"stack underflow", [] { glPopClientAttrib(); }, GL_STACK_UNDERFLOW},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        c.raise();
        GLint list = 0;
        glGetIntegerv(GL_LIST_INDEX, &list);
        glGetIntegerv(GL_CLIENT_ATTRIB_STACK_DEPTH, &depth);
        state_scan(ctx);
        EXPECT_EQ(c.error, glGetError());
        EXPECT_EQ((GLenum)GL_NO_ERROR, glGetError());
        // Raising it again changed nothing else.
        GLint now = -1;
        glGetIntegerv(GL_LIST_INDEX, &now);
        EXPECT_EQ(list, now);
        glGetIntegerv(GL_CLIENT_ATTRIB_STACK_DEPTH, &now);
        EXPECT_EQ(depth, now);
        if (list) glEndList();
    }
}

TEST_F(Analyses, LargeMapsAreScannedWithinTheirItems) {
    // A 30 x 30 map of four components: 3,600 coefficients.
    GLint max_order = 0;
    glGetIntegerv(GL_MAX_EVAL_ORDER, &max_order);
    ASSERT_GE(max_order, 30);
    std::vector<GLfloat> points(30 * 30 * 4);
    for (size_t i = 0; i < points.size(); ++i) points[i] = (GLfloat)(i + 1);
    glMap2f(GL_MAP2_VERTEX_4, 0, 1, 4, 30, 0, 1, 120, 30, points.data());
    // The longest pixel map the GL takes, up to 4,096 entries.
    GLint max_table = 0;
    glGetIntegerv(GL_MAX_PIXEL_MAP_TABLE, &max_table);
    GLint entries = max_table < 4096 ? max_table : 4096;
    std::vector<GLfloat> map(entries);
    for (GLint i = 0; i < entries; ++i) map[i] = (GLfloat)(entries - i) / entries;
    glPixelMapfv(GL_PIXEL_MAP_I_TO_R, entries, map.data());
    ASSERT_EQ((GLenum)GL_NO_ERROR, glGetError());

    int coeff = item_named(ctx, "glGetMap(GL_MAP2_VERTEX_4, GL_COEFF)");
    int pixel = item_named(ctx, "glGetPixelMap(GL_PIXEL_MAP_I_TO_R)");
    StateSlot &c = record()->state_slots[coeff];
    for (float &v : c.snapshot_values) v = -7;
    state_scan(ctx);
    EXPECT_EQ(std::vector<float>({1, 2, 3, 4}), std::vector<float>(c.current_values, c.current_values + 4));
    for (float v : c.snapshot_values) ASSERT_EQ(-7.0f, v);
    EXPECT_EQ(1.0f, record()->state_slots[pixel].current_values[0]);
    EXPECT_EQ(30.0f, record()->state_slots[coeff + 2].current_values[0]);  // GL_ORDER
}

TEST_F(Analyses, AContextsRecordHoldsWhatItsItemsHold) {
    // The record with its values is small: a process of many contexts pays
    // little more for each than the GL does.
    EXPECT_LT(HeapSize(GetProcessHeap(), 0, record()), (SIZE_T)64 * 1024);
    // Every set of values is its item's count of floats, and none overlaps
    // another: each filled with its own mark keeps it.
    auto set = [&](int i, int k) {
        StateSlot &s = record()->state_slots[i];
        return k == 0 ? s.default_values : k == 1 ? s.current_values : s.snapshot_values;
    };
    for (int i = 0; i < STATE_ITEMS; ++i) {
        for (int k = 0; k < 3; ++k) {
            ASSERT_EQ((size_t)ctx->master->state_items[i].value_count, set(i, k).size()) << i;
            std::fill(set(i, k).begin(), set(i, k).end(), (float)(3 * i + k));
        }
    }
    for (int i = 0; i < STATE_ITEMS; ++i) {
        for (int k = 0; k < 3; ++k) {
            for (float v : set(i, k)) ASSERT_EQ((float)(3 * i + k), v) << ctx->master->state_items[i].name;
        }
    }
    // A map larger than its item is read through scratch made when first
    // needed, and kept for the next scan.
    EXPECT_EQ(nullptr, record()->scan_scratch);
    std::vector<GLfloat> points(20 * 20 * 3, 1.0f);
    glMap2f(GL_MAP2_VERTEX_3, 0, 1, 3, 20, 0, 1, 60, 20, points.data());
    state_scan(ctx);
    const float *scratch = record()->scan_scratch;
    EXPECT_NE(nullptr, scratch);
    state_scan(ctx);
    EXPECT_EQ(scratch, record()->scan_scratch);
}


// ------------------------------------------------------- the drawable

size_t count_of(const std::string &text, const std::string &part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST_F(Analyses, TheSampleWindowsDrawableHeadsTheHistoryOnce) {
    // As the sample's pixel format gives it on Mesa.
    const std::string head =
        "glsBeginGLS(1, 0);\r\n"
        "glsString(\"Visual Info\", \"GLX_USE_GL, GLX_DOUBLEBUFFER, GLX_RGBA, GLX_RED_SIZE, 8, "
        "GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, GLX_DEPTH_SIZE, 16, None\");\r\n"
        "glsString(\"Viewport Info\", \"0 0 64 64\");\r\n";
    EXPECT_EQ(head, read_file(record()->history_path).substr(0, head.size()));
    GLint bits = -1;
    glGetIntegerv(GL_DEPTH_BITS, &bits);
    EXPECT_EQ(bits, record()->depth_bits);
    glGetIntegerv(GL_ALPHA_BITS, &bits);
    EXPECT_EQ(bits, record()->alpha_bits);
    EXPECT_EQ((uint32_t)GL_RGBA, record()->color_mode);
    EXPECT_EQ(1, record()->double_buffer);

    // Back to a context seen before: no second description.
    HGLRC other = wglCreateContext(window_dc);
    ASSERT_TRUE(wglMakeCurrent(window_dc, other));
    ASSERT_TRUE(wglMakeCurrent(window_dc, rc));
    glFinish();
    std::string history = read_file(record()->history_path);
    EXPECT_EQ(1u, count_of(history, "\"Visual Info\""));
    EXPECT_EQ(1u, count_of(history, "\"Viewport Info\""));
    wglDeleteContext(other);
}

TEST_F(Analyses, DescribedDrawablesListTheirAttributesInOrder) {
    struct Config {
        uint8_t double_buffer, stereo;
        int32_t aux;
        uint32_t mode;
        int32_t accum[4], index, rgba[4], stencil, depth;
    };
    struct Case {
        const char *what;
        Config config;
        const char *list;
    };
    const Case cases[] = {
        {"single-buffered colour index", {0, 0, 0, GL_COLOR_INDEX, {0, 0, 0, 0}, 8, {0, 0, 0, 0}, 0, 16},
         "GLX_USE_GL, GLX_BUFFER_SIZE, 8, GLX_DEPTH_SIZE, 16, None"},
        {"colour index shows no colour or accumulation sizes",
         {1, 0, 0, GL_COLOR_INDEX, {16, 16, 16, 16}, 12, {8, 8, 8, 8}, 8, 24},
         "GLX_USE_GL, GLX_DOUBLEBUFFER, GLX_BUFFER_SIZE, 12, GLX_DEPTH_SIZE, 24, GLX_STENCIL_SIZE, 8, "
         "None"},
        {"RGBA shows red, green and blue even when 0",
         {0, 0, 0, GL_RGBA, {0, 0, 0, 0}, 0, {0, 0, 0, 0}, 0, 0},
         "GLX_USE_GL, GLX_RGBA, GLX_RED_SIZE, 0, GLX_GREEN_SIZE, 0, GLX_BLUE_SIZE, 0, None"},
        {"stereo, double-buffered, auxiliary buffers, everything",
         {1, 1, 2, GL_RGBA, {16, 16, 16, 8}, 0, {5, 6, 5, 1}, 8, 24},
         "GLX_USE_GL, GLX_DOUBLEBUFFER, GLX_STEREO, GLX_AUX_BUFFERS, 2, GLX_RGBA, GLX_RED_SIZE, 5, "
         "GLX_GREEN_SIZE, 6, GLX_BLUE_SIZE, 5, GLX_ALPHA_SIZE, 1, GLX_ACCUM_RED_SIZE, 16, "
         "GLX_ACCUM_GREEN_SIZE, 16, GLX_ACCUM_BLUE_SIZE, 16, GLX_ACCUM_ALPHA_SIZE, 8, "
         "GLX_DEPTH_SIZE, 24, GLX_STENCIL_SIZE, 8, None"},
    };
    // The drawable's own description is given back after.
    char *tail = (char *)&record()->direct_render;
    std::vector<char> saved(tail, (char *)record() + sizeof(GLContextRecord));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        GLContextRecord *r = record();
        const Config &k = c.config;
        r->double_buffer = k.double_buffer;
        r->stereo = k.stereo;
        r->aux_buffers = k.aux;
        r->color_mode = k.mode;
        r->accum_red_bits = k.accum[0], r->accum_green_bits = k.accum[1];
        r->accum_blue_bits = k.accum[2], r->accum_alpha_bits = k.accum[3];
        r->index_bits = k.index;
        r->red_bits = k.rgba[0], r->green_bits = k.rgba[1], r->blue_bits = k.rgba[2];
        r->alpha_bits = k.rgba[3];
        r->stencil_bits = k.stencil;
        r->depth_bits = k.depth;
        mark();
        drawable_write_visual_info(ctx);
        std::string want = std::string("glsString(\"Visual Info\", \"") + c.list +
                           "\");\r\nglsString(\"Viewport Info\", \"0 0 64 64\");\r\n";
        EXPECT_EQ(want, history_since_mark());
    }
    // The query reads the drawable through the GL, leaving no flag changed.
    GLbitfield flags[GLS_OP_COUNT];
    for (int op = 0; op < GLS_OP_COUNT; ++op) flags[op] = glsGetCaptureFlags((GLSopcode)op);
    mark();
    drawable_query_visual(ctx);
    EXPECT_EQ("", history_since_mark());
    for (int op = 0; op < GLS_OP_COUNT; ++op) EXPECT_EQ(flags[op], glsGetCaptureFlags((GLSopcode)op)) << op;
    EXPECT_EQ(0, memcmp(tail, saved.data(), saved.size()));
    memcpy(tail, saved.data(), saved.size());
}


// ------------------------------------------------------- display lists

const std::string kInvalid = "\nWarning: Display list not valid.";

struct ListWant {
    uint32_t id, state, recorded, called;
    std::string calls;  // the list's stretch of list\calls
};

void expect_lists(DebugThreadContext *ctx, GLContextRecord *r, const std::vector<ListWant> &want) {
    glFlush();  // the calls file on disk
    GLContextRecord *table = lists_table(r);
    ASSERT_EQ(want.size(), table->list_count);
    std::string calls = read_file(list_calls_path(ctx));
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        const ListInfoRecord &got = table->lists[i];
        EXPECT_EQ(want[i].id, got.list_id);
        EXPECT_EQ(want[i].state, got.state);
        EXPECT_EQ(want[i].recorded, got.recorded_calls);
        EXPECT_EQ(want[i].called, got.times_called);
        ASSERT_LE(got.start_offset, got.end_offset);
        ASSERT_LE(got.end_offset, calls.size());
        EXPECT_EQ(want[i].calls, calls.substr(got.start_offset, got.end_offset - got.start_offset));
    }
}

void compile(GLuint list, GLenum mode = GL_COMPILE) {
    glNewList(list, mode);
    glColor3f(1, 0, 0);
    glEndList();
}

const char kRed[] = "glColor3fv({1, 0, 0});\r\nglEndList();\r\n";

TEST_F(Analyses, EachContextKeepsItsOwnDisplayLists) {
    HGLRC other = wglCreateContext(window_dc);
    ASSERT_TRUE(other);
    GLContextRecord *a = record();
    auto use = [&](HGLRC c) { ASSERT_TRUE(wglMakeCurrent(window_dc, c)); };

    glGenLists(3);
    EXPECT_EQ(0u, a->list_count);
    EXPECT_EQ(3u, a->free_list_count);
    compile(1);
    EXPECT_EQ(1u, a->list_count);
    EXPECT_EQ(2u, a->free_list_count);
    expect_lists(ctx, a, {{1, LIST_COMPILED, 2, 0, kRed}});

    use(other);
    GLContextRecord *b = record();
    ASSERT_NE(a, b);
    glCallList(7);  // no list compiled here yet: nothing to say
    EXPECT_EQ("", message());
    compile(5);
    glCallList(5);
    glCallList(5);
    EXPECT_EQ("", message());
    glCallList(7);
    EXPECT_EQ(kInvalid, message());
    glCallList(1);  // the other context's list
    EXPECT_EQ(kInvalid, message());
    glDeleteLists(5, 1);
    glCallList(5);
    EXPECT_EQ(kInvalid, message());
    compile(5);
    expect_lists(ctx, b, {{5, LIST_DELETED, 2, 2, kRed}, {5, LIST_COMPILED, 2, 0, kRed}});

    use(rc);
    glCallList(5);
    EXPECT_EQ(kInvalid, message());
    glCallList(1);
    EXPECT_EQ("", message());
    // Compiling a live list again reuses its record, counts reset.
    glNewList(1, GL_COMPILE_AND_EXECUTE);
    glColor3f(0, 1, 0);
    glEndList();
    // A glNewList while compiling changes nothing; glEndList ends the first.
    glNewList(2, GL_COMPILE);
    glNewList(3, GL_COMPILE);
    glGenLists(8);  // reserves nothing while compiling
    glEndList();
    glEndList();
    expect_lists(ctx, a,
                 {{1, LIST_COMPILED, 2, 0, "glColor3fv({0, 1, 0});\r\nglEndList();\r\n"},
                  {2, LIST_COMPILED, 2, 0, "glGenLists(8);\r\nglEndList();\r\n"}});
    EXPECT_EQ(1u, a->free_list_count);
    EXPECT_EQ(0, a->compiling_list);
    // The other context's table is as it was left.
    expect_lists(ctx, b, {{5, LIST_DELETED, 2, 2, kRed}, {5, LIST_COMPILED, 2, 0, kRed}});
    wglDeleteContext(other);
}

TEST_F(Analyses, ContextsSharingListsShareTheirTable) {
    HGLRC sharer = wglCreateContext(window_dc);
    ASSERT_TRUE(wglShareLists(rc, sharer));
    GLContextRecord *a = record();
    compile(7);
    ASSERT_TRUE(wglMakeCurrent(window_dc, sharer));
    GLContextRecord *b = record();
    EXPECT_EQ(a, lists_table(b));
    glCallList(7);
    EXPECT_EQ("", message());
    compile(8);
    ASSERT_TRUE(wglMakeCurrent(window_dc, rc));
    glCallList(8);
    EXPECT_EQ("", message());
    expect_lists(ctx, a, {{7, LIST_COMPILED, 2, 1, kRed}, {8, LIST_COMPILED, 2, 1, kRed}});
    wglDeleteContext(sharer);
}

TEST_F(Analyses, ListCallsReadEveryNameType) {
    struct Case {
        const char *what;
        GLenum type;
        std::vector<unsigned char> bytes;
        GLsizei n;
        GLuint base;
        std::vector<GLuint> called;  // one count each
        int invalid;                 // warnings
    };
    auto bytes_of = [](const auto &values) {
        const unsigned char *p = (const unsigned char *)values.data();
        return std::vector<unsigned char>(p, p + values.size() * sizeof(values[0]));
    };
    const Case cases[] = {
        {"GL_BYTE", GL_BYTE, {3, 0xFE}, 2, 0, {3}, 1},
        {"GL_UNSIGNED_BYTE", GL_UNSIGNED_BYTE, {200, 3}, 2, 0, {200, 3}, 0},
        {"GL_UNSIGNED_BYTE with a base", GL_UNSIGNED_BYTE, {1, 2}, 2, 100, {101, 102}, 0},
        {"GL_SHORT", GL_SHORT, bytes_of(std::vector<GLshort>{300, -3}), 2, 0, {300}, 1},
        {"GL_UNSIGNED_SHORT", GL_UNSIGNED_SHORT, bytes_of(std::vector<GLushort>{40000}), 1, 0, {40000}, 0},
        {"GL_INT", GL_INT, bytes_of(std::vector<GLint>{70000, 0}), 2, 0, {70000}, 1},
        {"GL_UNSIGNED_INT", GL_UNSIGNED_INT, bytes_of(std::vector<GLuint>{3000000000u}), 1, 0,
         {3000000000u}, 0},
        {"GL_FLOAT, truncated toward zero", GL_FLOAT, bytes_of(std::vector<GLfloat>{1.9f, 2.0f, -0.5f}),
         3, 0, {1, 2}, 1},
        {"GL_2_BYTES", GL_2_BYTES, {0x01, 0x80}, 1, 0, {384}, 0},
        {"GL_3_BYTES", GL_3_BYTES, {0x01, 0x02, 0x03}, 1, 0, {66051}, 0},
        {"GL_4_BYTES", GL_4_BYTES, {0x00, 0x01, 0x00, 0x02}, 1, 0, {65538}, 0},
        {"a wrapping base", GL_UNSIGNED_BYTE, {2}, 1, 0xFFFFFFFFu, {1}, 0},
        {"a type that names no lists", 0x1234, {1, 2, 3, 4}, 4, 0, {}, 0},
    };
    for (GLuint id : {1u, 2u, 3u, 101u, 102u, 200u, 300u, 384u, 40000u, 65538u, 66051u, 70000u,
                      3000000000u}) {
        compile(id);
    }
    GLContextRecord *table = lists_table(record());
    auto times_called = [&](GLuint id) {
        for (uint32_t i = 0; i < table->list_count; ++i) {
            if (table->lists[i].list_id == id) return table->lists[i].times_called;
        }
        return 0xFFFFFFFFu;
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint32_t> before;
        for (uint32_t i = 0; i < table->list_count; ++i) before.push_back(table->lists[i].times_called);
        glListBase(c.base);
        glCallLists(c.n, c.type, c.bytes.data());
        std::string want;
        for (int i = 0; i < c.invalid; ++i) want += kInvalid;
        EXPECT_EQ(want, message());
        for (uint32_t i = 0; i < table->list_count; ++i) {
            GLuint id = table->lists[i].list_id;
            uint32_t calls = 0;
            for (GLuint called : c.called) calls += called == id;
            EXPECT_EQ(before[i] + calls, times_called(id)) << "list " << id;
        }
    }
    glListBase(0);
}

TEST_F(Analyses, ThousandsOfInvalidNamesKeepTheFirstWarnings) {
    compile(1);
    std::vector<GLushort> names(5000);
    for (size_t i = 0; i < names.size(); ++i) names[i] = (GLushort)(10000 + i);
    glCallLists((GLsizei)names.size(), GL_UNSIGNED_SHORT, names.data());
    std::string text = message();
    const std::string dropped = "\nWarning: further warnings dropped.";
    EXPECT_LT(text.size(), (size_t)MESSAGE_TEXT_CHARS);
    ASSERT_GT(text.size(), dropped.size());
    EXPECT_EQ(dropped, text.substr(text.size() - dropped.size()));
    std::string warnings = text.substr(0, text.size() - dropped.size());
    EXPECT_EQ(warnings.size() / kInvalid.size(), count_of(warnings, kInvalid));
    EXPECT_EQ(0u, warnings.size() % kInvalid.size());
    EXPECT_GT(warnings.size() + kInvalid.size() + dropped.size(), (size_t)MESSAGE_TEXT_CHARS - 1);
}

TEST_F(Analyses, ListChecksWithoutAGLContextDoNothing) {
    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    GLContextRecord *none = record();
    ASSERT_EQ(0u, none->handle);
    glGenLists(2);
    glListBase(5);
    glNewList(1, GL_COMPILE);
    glColor3f(1, 0, 0);
    glEndList();
    glCallList(1);
    GLubyte one = 1;
    glCallLists(1, GL_UNSIGNED_BYTE, &one);
    glDeleteLists(1, 1);
    EXPECT_EQ(0u, none->list_count);
    EXPECT_EQ(0u, none->free_list_count);
    EXPECT_EQ(nullptr, none->current_list);
    EXPECT_EQ(0, none->compiling_list);
    EXPECT_EQ(0u, none->list_base);
    EXPECT_EQ("", message());
    ASSERT_TRUE(wglMakeCurrent(window_dc, rc));
}


// --------------------------------------------------------------- GLU

TEST_F(Analyses, GluWrappersAnnotateIndentAndCount) {
    uint64_t *counts = process()->glu_call_counts;
    // The tessellator calls back into the application, whose GL calls then
    // stand beneath the GLU call that made them.
    static GLdouble corners[3][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    GLUtesselator *tess = wrap_gluNewTess();
    ASSERT_TRUE(tess);
    wrap_gluTessCallback(tess, GLU_TESS_BEGIN, (_GLUfuncptr)glBegin);
    wrap_gluTessCallback(tess, GLU_TESS_VERTEX, (_GLUfuncptr)glVertex3dv);
    wrap_gluTessCallback(tess, GLU_TESS_END, (_GLUfuncptr)glEnd);
    wrap_gluTessBeginPolygon(tess, nullptr);
    wrap_gluTessBeginContour(tess);
    for (GLdouble *corner : corners) wrap_gluTessVertex(tess, corner, corner);
    wrap_gluTessEndContour(tess);
    uint64_t ends = counts[GLU_gluTessEndPolygon];
    mark();
    wrap_gluTessEndPolygon(tess);
    glFlush();
    std::string text = history_since_mark();
    // The name at the level of the call, the GL calls it makes two blanks in,
    // and the level back after it.
    ASSERT_EQ(0u, text.find("glsString(\"Info\", \"gluTessEndPolygon\");\r\n  glBegin(GL_TRIANGLES);\r\n"));
    EXPECT_EQ(3u, count_of(text, "\r\n  glVertex3dv("));
    EXPECT_EQ(1u, count_of(text, "\r\n  glEnd();\r\nglFlush();\r\n"));
    EXPECT_EQ(ends + 1, counts[GLU_gluTessEndPolygon]);
    EXPECT_EQ(0, ctx->libraries->history_indent);
    wrap_gluDeleteTess(tess);

    GLUquadric *quad = wrap_gluNewQuadric();
    ASSERT_TRUE(quad);
    uint64_t spheres = counts[GLU_gluSphere];
    wrap_gluSphere(quad, 1.0, 3, 2);
    EXPECT_EQ(spheres + 1, counts[GLU_gluSphere]);

    // History off: counted, and the level still goes up and down.
    set(process()->History, false);
    wrap_gluSphere(quad, 1.0, 3, 2);
    EXPECT_EQ(spheres + 2, counts[GLU_gluSphere]);
    EXPECT_EQ(0, ctx->libraries->history_indent);
    set(process()->History, true);

    // Results come back unchanged.
    EXPECT_STREQ((const char *)((const GLubyte *(GLSAPI *)(GLenum))ctx->libraries
                                    ->glu_procs[GLU_gluErrorString])(GL_INVALID_ENUM),
                 (const char *)wrap_gluErrorString(GL_INVALID_ENUM));
    static const GLdouble identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    static const GLint viewport[4] = {0, 0, 64, 64};
    GLdouble x = 0, y = 0, z = 0;
    EXPECT_EQ(GL_TRUE, wrap_gluProject(0, 0, 0, identity, identity, viewport, &x, &y, &z));
    EXPECT_EQ(32.0, x);
    EXPECT_EQ(32.0, y);

    // A function the system GLU lacks is not called: 0, and no count.
    __GLSfunc saved = ctx->libraries->glu_procs[GLU_gluOrtho2D];
    ctx->libraries->glu_procs[GLU_gluOrtho2D] = nullptr;
    uint64_t orthos = counts[GLU_gluOrtho2D];
    wrap_gluOrtho2D(0, 1, 0, 1);
    EXPECT_EQ(orthos, counts[GLU_gluOrtho2D]);
    EXPECT_EQ(0, ctx->libraries->history_indent);
    ctx->libraries->glu_procs[GLU_gluOrtho2D] = saved;
    wrap_gluDeleteQuadric(quad);
}

// ------------------------------------------------- halting the thread

// Presses Continue on the thread's panel once the thread has halted, from a
// thread of its own, as a person at the panel would; `seen` gets the
// message text the halted thread shows.
class ContinueWhenHalted {
public:
    explicit ContinueWhenHalted(DebugThreadContext *ctx, std::string *seen = nullptr)
        : worker([ctx, seen, this] {
              std::vector<HWND> panels;
              panel::wait([&] { return !(panels = panel::find(GetCurrentProcessId())).empty(); }, 30);
              if (panels.empty()) return;
              HWND p = panels[0];
              ok = panel::wait_status(p, "Halted", 30);
              if (seen) *seen = ctx->process->message_text;
              panel::click(p, panel::CONTINUE);
          }) {}
    ~ContinueWhenHalted() { join(); }
    bool join() {
        if (worker.joinable()) worker.join();
        return ok;
    }

private:
    std::thread worker;
    bool ok = false;
};

TEST_F(Analyses, AWarningHaltsTheThreadWhenGLErrorsAreChecked) {
    set(process()->Check_for_GL_error, true);
    set(process()->Show_possible_problems, true);
    std::string seen;
    ContinueWhenHalted press(ctx, &seen);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_DST_ALPHA);
    ASSERT_TRUE(press.join());
    EXPECT_EQ("\nWarning: Function requires alpha planes.", seen);
    EXPECT_EQ(std::vector<std::string>{"- Function requires alpha planes."}, infos(history_since_mark()));
    set(process()->Check_for_GL_error, false);
}

TEST_F(Analyses, AHaltScansTheStateOutsideGlBeginGlEndOnly) {
    int clear_color = item_named(ctx, "glGet(GL_COLOR_CLEAR_VALUE)");
    const float *current = record()->state_slots[clear_color].current_values;
    glClearColor(0.5f, 0.25f, 0, 1);
    glBegin(GL_POINTS);
    {
        ContinueWhenHalted press(ctx);
        ring_post(&process()->ui_commands, CMD_HALT);
        glVertex2f(0, 0);
        ASSERT_TRUE(press.join());
    }
    glEnd();
    EXPECT_EQ(0.0f, current[0]);
    {
        ContinueWhenHalted press(ctx);
        ring_post(&process()->ui_commands, CMD_HALT);
        glFlush();
        ASSERT_TRUE(press.join());
    }
    EXPECT_EQ(0.5f, current[0]);
    EXPECT_EQ(0.25f, current[1]);
}


// ------------------------------------------------------- names of state values

class StateNames : public Analyses {};

// The name every state item's default value shows by (the sample's window:
// double-buffered RGBA). Enumerants are named by enumerants as their item
// means them, never by a mask bit or a boolean sharing the value; a boolean
// item not listed shows GL_FALSE.
TEST_F(StateNames, EveryDefaultIsNamedAsItsItemMeansIt) {
    struct Row {
        const char *item, *text;
    };
    const std::vector<Row> enumerants = {
        {"glGet(GL_ALPHA_TEST_FUNC)", "GL_ALWAYS"},
        {"glGet(GL_BLEND_DST)", "GL_ZERO"},
        {"glGet(GL_BLEND_SRC)", "GL_ONE"},
        {"glGet(GL_COLOR_ARRAY_TYPE)", "GL_FLOAT"},
        {"glGet(GL_COLOR_MATERIAL_FACE)", "GL_FRONT_AND_BACK"},
        {"glGet(GL_COLOR_MATERIAL_PARAMETER)", "GL_AMBIENT_AND_DIFFUSE"},
        {"glGet(GL_CULL_FACE_MODE)", "GL_BACK"},
        {"glGet(GL_DEPTH_FUNC)", "GL_LESS"},
        {"glGet(GL_DRAW_BUFFER)", "GL_BACK"},
        {"glGet(GL_FOG_HINT)", "GL_DONT_CARE"},
        {"glGet(GL_FOG_MODE)", "GL_EXP"},
        {"glGet(GL_FRONT_FACE)", "GL_CCW"},
        {"glGet(GL_INDEX_ARRAY_TYPE)", "GL_FLOAT"},
        {"glGet(GL_LINE_SMOOTH_HINT)", "GL_DONT_CARE"},
        {"glGet(GL_LIST_MODE)", "GL_NONE"},
        {"glGet(GL_LOGIC_OP_MODE)", "GL_COPY"},
        {"glGet(GL_MATRIX_MODE)", "GL_MODELVIEW"},
        {"glGet(GL_NORMAL_ARRAY_TYPE)", "GL_FLOAT"},
        {"glGet(GL_PERSPECTIVE_CORRECTION_HINT)", "GL_DONT_CARE"},
        {"glGet(GL_POINT_SMOOTH_HINT)", "GL_DONT_CARE"},
        {"glGet(GL_POLYGON_MODE)", "GL_FILL GL_FILL"},
        {"glGet(GL_POLYGON_SMOOTH_HINT)", "GL_DONT_CARE"},
        {"glGet(GL_READ_BUFFER)", "GL_BACK"},
        {"glGet(GL_RENDER_MODE)", "GL_RENDER"},
        {"glGet(GL_SHADE_MODEL)", "GL_SMOOTH"},
        {"glGet(GL_STENCIL_FAIL)", "GL_KEEP"},
        {"glGet(GL_STENCIL_FUNC)", "GL_ALWAYS"},
        {"glGet(GL_STENCIL_PASS_DEPTH_FAIL)", "GL_KEEP"},
        {"glGet(GL_STENCIL_PASS_DEPTH_PASS)", "GL_KEEP"},
        {"glGet(GL_TEXTURE_COORD_ARRAY_TYPE)", "GL_FLOAT"},
        {"glGet(GL_VERTEX_ARRAY_TYPE)", "GL_FLOAT"},
        {"glGetTexEnv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE)", "GL_MODULATE"},
        {"glGetTexGen(GL_Q, GL_TEXTURE_GEN_MODE)", "GL_EYE_LINEAR"},
        {"glGetTexGen(GL_R, GL_TEXTURE_GEN_MODE)", "GL_EYE_LINEAR"},
        {"glGetTexGen(GL_S, GL_TEXTURE_GEN_MODE)", "GL_EYE_LINEAR"},
        {"glGetTexGen(GL_T, GL_TEXTURE_GEN_MODE)", "GL_EYE_LINEAR"},
        {"glGetTexParameter(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER)", "GL_LINEAR"},
        {"glGetTexParameter(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER)", "GL_NEAREST_MIPMAP_LINEAR"},
        {"glGetTexParameter(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S)", "GL_REPEAT"},
        {"glGetTexParameter(GL_TEXTURE_1D, GL_TEXTURE_WRAP_T)", "GL_REPEAT"},
        {"glGetTexParameter(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER)", "GL_LINEAR"},
        {"glGetTexParameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER)", "GL_NEAREST_MIPMAP_LINEAR"},
        {"glGetTexParameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S)", "GL_REPEAT"},
        {"glGetTexParameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T)", "GL_REPEAT"},
    };
    const std::vector<Row> booleans_true = {
        {"glGet(GL_COLOR_WRITEMASK)", "GL_TRUE GL_TRUE GL_TRUE GL_TRUE"},
        {"glGet(GL_CURRENT_RASTER_POSITION_VALID)", "GL_TRUE"},
        {"glGet(GL_DEPTH_WRITEMASK)", "GL_TRUE"},
        {"glGet(GL_DITHER)", "GL_TRUE"},
        {"glGet(GL_DOUBLEBUFFER)", "GL_TRUE"},
        {"glGet(GL_EDGE_FLAG)", "GL_TRUE"},
        {"glGet(GL_RGBA_MODE)", "GL_TRUE"},
        {"glGetTexParameter(GL_TEXTURE_1D, GL_TEXTURE_RESIDENT)", "GL_TRUE"},
        {"glGetTexParameter(GL_TEXTURE_2D, GL_TEXTURE_RESIDENT)", "GL_TRUE"},
    };
    size_t enumerant_items = 0, boolean_items = 0;
    for (int i = 0; i < STATE_ITEMS; ++i) {
        const StateItemDesc &item = ctx->master->state_items[i];
        if (item.display_type != 1 && item.display_type != 2) continue;
        ++(item.display_type == 2 ? enumerant_items : boolean_items);
        std::string want = item.display_type == 1 ? "GL_FALSE" : "";
        for (const Row &row : item.display_type == 2 ? enumerants : booleans_true) {
            if (strcmp(row.item, item.name) == 0) want = row.text;
        }
        EXPECT_EQ(want + " \r\n", ui_state_format(ctx->master, "", item.display_type, item.value_count,
                                                  record()->state_slots[i].default_values, &item))
            << item.name;
    }
    EXPECT_EQ(enumerants.size(), enumerant_items);
    EXPECT_EQ(56u, boolean_items);
}

}  // namespace
