// Primitive counting and the performance hints. A hint is advice written to
// the history as an "Info" annotation when History and the hint's option are
// on; it never touches the message text and never halts the thread.
#include "analyses.h"
#include "api/embed.h"
#include "history.h"

enum PrimitiveCounter {
    COUNT_POINTS = 0,
    COUNT_LINES = 1,
    COUNT_LINE_LOOPS = 2,
    COUNT_LINE_STRIPS = 3,
    COUNT_LINE_LOOP_VERTICES = 4,
    COUNT_LINE_STRIP_VERTICES = 5,
    COUNT_RECTS = 6,
    COUNT_TRIANGLES = 7,
    COUNT_TRIANGLE_FANS = 8,
    COUNT_TRIANGLE_STRIPS = 9,
    COUNT_FAN_VERTICES = 10,
    COUNT_STRIP_VERTICES = 11,
    COUNT_QUADS = 12,
    COUNT_QUAD_STRIPS = 13,
    COUNT_QUAD_STRIP_VERTICES = 14,
    COUNT_POLYGONS = 15,
};

void hint(DebugThreadContext *ctx, const std::atomic<uint32_t> &option, const char *text) {
    if (hint_wanted(ctx, option)) history_annotate(ctx, "Info", text);
}

// ---------------------------------------------------------------- counting

void count_primitives(DebugThreadContext *ctx) {
    uint64_t *count = ctx->process->primitive_counts;
    int64_t v = (int64_t)ctx->gl_context->primitive_vertices;
    // A negative vertex count (a draw the GL refused) draws nothing: the
    // primitive is counted as the rules say, with no vertices.
    uint64_t vertices = v > 0 ? (uint64_t)v : 0;
    switch (ctx->gl_context->primitive_mode) {
    case 0:  // GL_POINTS
        count[COUNT_POINTS] += vertices;
        break;
    case 1:  // GL_LINES
        count[COUNT_LINES] += vertices / 2;
        break;
    case 2:  // GL_LINE_LOOP
        ++count[COUNT_LINE_LOOPS];
        count[COUNT_LINE_LOOP_VERTICES] += vertices;
        break;
    case 3:  // GL_LINE_STRIP
        ++count[COUNT_LINE_STRIPS];
        count[COUNT_LINE_STRIP_VERTICES] += vertices;
        break;
    case 4:  // GL_TRIANGLES
        count[COUNT_TRIANGLES] += vertices / 3;
        break;
    case 5:  // GL_TRIANGLE_STRIP
        if (v > 2) {
            ++count[COUNT_TRIANGLE_STRIPS];
            count[COUNT_STRIP_VERTICES] += vertices;
        }
        break;
    case 6:  // GL_TRIANGLE_FAN
        if (v > 2) {
            ++count[COUNT_TRIANGLE_FANS];
            count[COUNT_FAN_VERTICES] += vertices;
        }
        break;
    case 7:  // GL_QUADS
        count[COUNT_QUADS] += vertices / 4;
        break;
    case 8:  // GL_QUAD_STRIP
        if (v > 3) {
            ++count[COUNT_QUAD_STRIPS];
            count[COUNT_QUAD_STRIP_VERTICES] += vertices;
        }
        break;
    case 9:  // GL_POLYGON
        ++count[COUNT_POLYGONS];
        if (v == 3) {
            hint(ctx, ctx->process->Show_performance_hints,
                 "- Use glBegin(GL_TRIANGLES) instead of glBegin(GL_POLYGON) followed by 3 vertices.");
        } else if (v == 4) {
            hint(ctx, ctx->process->Show_performance_hints,
                 "- Use glBegin(GL_QUADS) instead of glBegin(GL_POLYGON) followed by 4 vertices.");
        }
        break;
    default:
        break;
    }
}

void hook_rect(DebugThreadContext *ctx, const void *, const void *) {
    ++ctx->process->primitive_counts[COUNT_RECTS];
}

// ------------------------------------------------------------------- hints

void hint_clear(DebugThreadContext *ctx, uint64_t flushes_since_clear, int dithering) {
    const std::atomic<uint32_t> &option = ctx->process->Show_performance_hints;
    if (!hint_wanted(ctx, option)) return;
    if (flushes_since_clear >= 2) hint(ctx, option, "- Flush the graphics pipe once per frame if possible.");
    if (dithering) hint(ctx, option, "- Do not enable GL_DITHER for glClear.");
}

void hint_flush(DebugThreadContext *ctx, uint64_t clear_count) {
    if (clear_count >= 2) {
        hint(ctx, ctx->process->Show_performance_hints, "- Use one glClear per frame if possible.");
    }
}

// Given under Show Data Memory Address, like the line-stipple hint.
void hint_normalize(DebugThreadContext *ctx, GLenum cap) {
    if (cap == 0x0BA1) {  // GL_NORMALIZE
        hint(ctx, ctx->process->Show_data_memory_address,
             "- Provide unit-length normals if it is possible and leave GL_NORMALIZE off.");
    }
}

void hint_positional_light(DebugThreadContext *ctx) {
    hint(ctx, ctx->process->Show_performance_hints,
         "- directional lights (w = 0) are more efficient on many platforms.");
}

void hint_lighting_first(DebugThreadContext *ctx) {
    if (ctx->gl_context->lighting_enabled == 1) {
        hint(ctx, ctx->process->Show_performance_hints,
             "For best performance, set up lighting parameters first, then enable lighting.");
    }
}

void hint_material_first(DebugThreadContext *ctx) {
    if (ctx->gl_context->lighting_enabled == 1) {
        hint(ctx, ctx->process->Show_performance_hints,
             "For best performance, set up material parameters first, then enable lighting.");
    }
}

void hint_scale_with_lighting(DebugThreadContext *ctx) {
    if (ctx->gl_context->lighting_enabled == 1) {
        hint(ctx, ctx->process->Show_performance_hints,
             "- Avoid using glScale when doing lighting because it almost always requires that "
             "normals be renormalized, even if the x, y, and z scale factors are uniform.");
    }
}

void hook_polygon_stipple(DebugThreadContext *ctx, const GLubyte *mask) {
    if (!mask || !hint_wanted(ctx, ctx->process->Show_performance_hints)) return;
    for (int i = 0; i < 128; ++i) {
        if (mask[i] != 0xFF) return;
    }
    hint(ctx, ctx->process->Show_performance_hints,
         "- Do not use polygon stippling with a stipple pattern of all 0xFF.");
}

// Given under Show Data Memory Address, not Show Performance Hints.
void hook_line_stipple(DebugThreadContext *ctx, GLint, GLushort pattern) {
    if (pattern == 0xFFFF) {
        hint(ctx, ctx->process->Show_data_memory_address,
             "- Do not use line stippling with a stipple pattern of 0xFFFF.");
    }
}

// A template element of -1 takes any value; 0 and 1 must match exactly
// (-0.0 equals 0.0).
static bool matches(const double *m, const double *pattern) {
    for (int i = 0; i < 16; ++i) {
        if (pattern[i] != -1.0 && m[i] != pattern[i]) return false;
    }
    return true;
}

void hint_load_matrix(DebugThreadContext *ctx, int exact_identity, const double *m) {
    static const double scale[16] = {-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
    static const double translate[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -1, -1, -1, 1};
    const std::atomic<uint32_t> &option = ctx->process->Show_performance_hints;
    if (exact_identity) {
        hint(ctx, option, "- Use glLoadIdentity rather than loading the identity matrix with glLoadMatrix.");
    } else if (matches(m, scale)) {
        hint(ctx, option, "- Use glScale instead of calling glLoadMatrix with your own scaling matrix.");
    } else if (matches(m, translate)) {
        hint(ctx, option,
             "- Use glTranslate instead of calling glLoadMatrix with your own translation matrix.");
    }
}
