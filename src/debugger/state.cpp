// The state scan: the 411 state items of the thread's current GL context read
// through the GL getters into the context's record: the defaults once, when
// the debugger first attaches the context, and the current values each time
// the thread halts. The scan's own calls are executed only (never written to
// the history), and every capture flag and pixel-pack mode it changes is
// given back, so neither the history nor the application sees the scan.
#include <string.h>

#include "analyses.h"
#include "api/embed.h"
#include "debugger_tables.h"
#include "own_calls.h"
#include "analyses_attach.h"

enum StateFetchKind : uint32_t {
    FETCH_FLOAT = 1,
    FETCH_CLIP_PLANE = 2,
    FETCH_LIGHT = 3,
    FETCH_MAP = 4,
    FETCH_MATERIAL = 5,
    FETCH_PIXEL_MAP = 6,
    FETCH_POLYGON_STIPPLE = 7,
    FETCH_TEX_ENV = 8,
    FETCH_TEX_GEN = 9,
    FETCH_TEX_PARAMETER = 10,
};

enum {
    GL_COEFF_QUERY = 0x0A00,
    GL_ORDER_QUERY = 0x0A01,
    // A map's size is its map's name plus this.
    PIXEL_MAP_SIZE_OFFSET = 0x40,
    // A getter that would write more values than this is not read: no GL
    // has evaluator maps or pixel maps this large.
    MAX_SCRATCH_VALUES = 1 << 20,
};

// The pack modes, in the order they are saved, set and restored, with the
// values the scan reads under: the stipple as 128 tightly packed bytes in
// the standard bit order.
static const GLenum kPackModes[6] = {0x0D05, 0x0D01, 0x0D02, 0x0D04, 0x0D03, 0x0D00};
static const GLint kScanPackModes[6] = {4, 0, 0, 0, 0, 0};

// Reads a getter that writes `count` values, `count` known from the GL, and
// keeps the first STATE_ITEM_VALUES of them in `values`: more than those go
// to the record's scan scratch first. A count the GL cannot mean, or scratch
// that cannot be had, leaves the values as they were.
template <typename Get>
static void fetch_sized(GLContextRecord *record, int64_t count, float *values, Get get) {
    if (count <= 0 || count > MAX_SCRATCH_VALUES) return;
    if (count <= STATE_ITEM_VALUES) {
        get(values);
        return;
    }
    float *scratch = gl_record_scan_scratch(record, (size_t)count);
    if (!scratch) return;
    get(scratch);
    memcpy(values, scratch, STATE_ITEM_VALUES * sizeof(float));
}

// How many values glGetMapfv writes for GL_COEFF: the components of one
// control point (the item's own value count) times the order, or both orders
// of a two-dimensional map.
static int64_t map_coefficients(GLenum target, int32_t components) {
    GLint order[2] = {0, 0};
    __gls_checked_capture_glGetMapiv(target, GL_ORDER_QUERY, order);
    bool two_dimensional = target >= 0x0DB0;  // GL_MAP2_COLOR_4 on
    if (order[0] < 0 || (two_dimensional && order[1] < 0)) return -1;
    int64_t points = order[0];
    if (two_dimensional) points *= order[1];
    return points * components;
}

void state_fetch_item(DebugThreadContext *ctx, uint32_t item) {
    const StateItemDesc &d = ctx->master->state_items[item];
    GLenum a1 = d.getter_args[0], a2 = d.getter_args[1];
    GLContextRecord *record = ctx->gl_context;
    // The getters write into room for any item's values, and the item keeps
    // its own: a GL that writes more than the item holds reaches no other
    // item's values. What a getter leaves unwritten stays as it was.
    StateValues current = record->state_slots[item].current_values;
    float v[STATE_ITEM_VALUES];
    memcpy(v, current.first, current.size() * sizeof(float));
    switch (d.fetch_kind) {
    case FETCH_FLOAT:
        __gls_checked_capture_glGetFloatv(a1, v);
        break;
    case FETCH_CLIP_PLANE: {
        GLdouble e[4] = {0, 0, 0, 0};
        __gls_checked_capture_glGetClipPlane(a1, e);
        for (int i = 0; i < 4; ++i) v[i] = (float)e[i];
        break;
    }
    case FETCH_LIGHT:
        __gls_checked_capture_glGetLightfv(a1, a2, v);
        break;
    case FETCH_MAP:
        if (a2 == GL_COEFF_QUERY) {
            fetch_sized(record, map_coefficients(a1, d.value_count), v,
                        [&](float *out) { __gls_checked_capture_glGetMapfv(a1, a2, out); });
        } else {
            __gls_checked_capture_glGetMapfv(a1, a2, v);
        }
        break;
    case FETCH_MATERIAL:
        __gls_checked_capture_glGetMaterialfv(a1, a2, v);
        break;
    case FETCH_PIXEL_MAP: {
        GLint size = 0;
        __gls_checked_capture_glGetIntegerv(a1 + PIXEL_MAP_SIZE_OFFSET, &size);
        fetch_sized(record, size, v, [&](float *out) { __gls_checked_capture_glGetPixelMapfv(a1, out); });
        break;
    }
    case FETCH_POLYGON_STIPPLE: {
        // Read under the scan's pack modes, the application's put back
        // after: the pack-mode items show the application's.
        GLint saved[6];
        for (int i = 0; i < 6; ++i) {
            saved[i] = kScanPackModes[i];
            __gls_checked_capture_glGetIntegerv(kPackModes[i], &saved[i]);
        }
        for (int i = 0; i < 6; ++i) __gls_checked_capture_glPixelStorei(kPackModes[i], kScanPackModes[i]);
        GLubyte p[128];
        memset(p, 0, sizeof p);
        __gls_checked_capture_glGetPolygonStipple(p);
        for (int i = 0; i < 128; ++i) v[i] = (float)p[i];
        for (int i = 0; i < 6; ++i) __gls_checked_capture_glPixelStorei(kPackModes[i], saved[i]);
        break;
    }
    case FETCH_TEX_ENV:
        __gls_checked_capture_glGetTexEnvfv(a1, a2, v);
        break;
    case FETCH_TEX_GEN:
        __gls_checked_capture_glGetTexGenfv(a1, a2, v);
        break;
    case FETCH_TEX_PARAMETER:
        __gls_checked_capture_glGetTexParameterfv(a1, a2, v);
        break;
    default:
        fatal_error_box("state", __LINE__, "Unknown state.");
        ExitProcess(1);
    }
    memcpy(current.first, v, current.size() * sizeof(float));
}

// Reads every item into its current values: the getters executed only, and
// the GL errors they raise dropped. The flags are given back, and the errors
// the application left pending are its own again after, for its glGetError
// to read (own_calls.h).
static void scan_items(DebugThreadContext *ctx) {
    KeepGLErrors errors(ctx);
    OwnCall get_float(__GLS_OP_glGetFloatv), get_clip_plane(__GLS_OP_glGetClipPlane),
        get_light(__GLS_OP_glGetLightfv), get_map(__GLS_OP_glGetMapfv),
        get_material(__GLS_OP_glGetMaterialfv), get_pixel_map(__GLS_OP_glGetPixelMapfv),
        get_stipple(__GLS_OP_glGetPolygonStipple), get_tex_env(__GLS_OP_glGetTexEnvfv),
        get_tex_gen(__GLS_OP_glGetTexGenfv), get_tex_parameter(__GLS_OP_glGetTexParameterfv),
        get_map_order(__GLS_OP_glGetMapiv), get_integer(__GLS_OP_glGetIntegerv),
        pixel_store(__GLS_OP_glPixelStorei);
    for (uint32_t item = 0; item < STATE_ITEMS; ++item) state_fetch_item(ctx, item);
}

void state_init_defaults(DebugThreadContext *ctx) {
    scan_items(ctx);
    for (uint32_t item = 0; item < STATE_ITEMS; ++item) {
        StateSlot &slot = ctx->gl_context->state_slots[item];
        size_t bytes = slot.default_values.size() * sizeof(float);
        memcpy(slot.default_values, slot.current_values, bytes);
        memset(slot.snapshot_values, 0, bytes);
    }
}

void state_scan(DebugThreadContext *ctx) { scan_items(ctx); }

void master_fill_tables(MasterRecord *master) {
    memcpy(master->state_items, state_item_table, sizeof master->state_items);
    uint32_t rows = enumerant_table_rows < ENUMERANT_ROWS ? enumerant_table_rows : (uint32_t)ENUMERANT_ROWS;
    memcpy(master->enumerants, enumerant_table, rows * sizeof(EnumerantRow));
    master->enumerant_count = rows;
}
