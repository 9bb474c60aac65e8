// The description of a GL context's drawable: its buffer configuration,
// read once when the debugger first attaches the context and kept in the
// context's record, and two annotations at the head of the context's
// history: "Visual Info" (the configuration as an attribute list in the
// style of an X visual) and "Viewport Info" (the viewport at that moment).
#include <string.h>

#include "analyses.h"
#include "api/embed.h"
#include "own_calls.h"
#include "analyses_attach.h"

enum {
    COLOR_INDEX_MODE = 0x1900,  // GL_COLOR_INDEX
    RGBA_MODE = 0x1908,         // GL_RGBA
};

void drawable_query_visual(DebugThreadContext *ctx) {
    GLContextRecord *r = ctx->gl_context;
    OwnCall get_boolean(__GLS_OP_glGetBooleanv), get_integer(__GLS_OP_glGetIntegerv);
    __gls_checked_capture_glGetBooleanv(0x0C32, &r->double_buffer);  // GL_DOUBLEBUFFER
    __gls_checked_capture_glGetIntegerv(0x0C00, &r->aux_buffers);    // GL_AUX_BUFFERS
    __gls_checked_capture_glGetBooleanv(0x0C33, &r->stereo);         // GL_STEREO
    GLboolean rgba = 0;
    __gls_checked_capture_glGetBooleanv(0x0C31, &rgba);  // GL_RGBA_MODE
    r->color_mode = rgba == 1 ? RGBA_MODE : COLOR_INDEX_MODE;
    struct {
        GLenum pname;
        int32_t *field;
    } const bits[] = {
        {0x0D58, &r->accum_red_bits}, {0x0D59, &r->accum_green_bits},
        {0x0D5A, &r->accum_blue_bits}, {0x0D5B, &r->accum_alpha_bits},
        {0x0D51, &r->index_bits},     {0x0D52, &r->red_bits},
        {0x0D53, &r->green_bits},     {0x0D54, &r->blue_bits},
        {0x0D55, &r->alpha_bits},     {0x0D57, &r->stencil_bits},
        {0x0D56, &r->depth_bits},
    };
    for (const auto &b : bits) __gls_checked_capture_glGetIntegerv(b.pname, b.field);
    // Every Windows context renders in the application's own process.
    r->direct_render = 1;
}

// Appends one attribute (with its value when `value` is not null).
static void attribute(char *list, const char *name, const int32_t *value = nullptr) {
    char item[64];
    if (value) {
        _snprintf_s(item, sizeof item, _TRUNCATE, "%s, %d, ", name, *value);
    } else {
        _snprintf_s(item, sizeof item, _TRUNCATE, "%s, ", name);
    }
    strcat_s(list, MESSAGE_TEXT_CHARS, item);
}

static void attribute_if_set(char *list, const char *name, const int32_t &value) {
    if (value > 0) attribute(list, name, &value);
}

void drawable_write_visual_info(DebugThreadContext *ctx) {
    const GLContextRecord *r = ctx->gl_context;
    char list[MESSAGE_TEXT_CHARS] = "";
    attribute(list, "GLX_USE_GL");
    if (r->double_buffer == 1) attribute(list, "GLX_DOUBLEBUFFER");
    if (r->stereo == 1) attribute(list, "GLX_STEREO");
    attribute_if_set(list, "GLX_AUX_BUFFERS", r->aux_buffers);
    if (r->color_mode != RGBA_MODE) {
        attribute(list, "GLX_BUFFER_SIZE", &r->index_bits);
    } else {
        attribute(list, "GLX_RGBA");
        attribute(list, "GLX_RED_SIZE", &r->red_bits);
        attribute(list, "GLX_GREEN_SIZE", &r->green_bits);
        attribute(list, "GLX_BLUE_SIZE", &r->blue_bits);
        attribute_if_set(list, "GLX_ALPHA_SIZE", r->alpha_bits);
        attribute_if_set(list, "GLX_ACCUM_RED_SIZE", r->accum_red_bits);
        attribute_if_set(list, "GLX_ACCUM_GREEN_SIZE", r->accum_green_bits);
        attribute_if_set(list, "GLX_ACCUM_BLUE_SIZE", r->accum_blue_bits);
        attribute_if_set(list, "GLX_ACCUM_ALPHA_SIZE", r->accum_alpha_bits);
    }
    attribute_if_set(list, "GLX_DEPTH_SIZE", r->depth_bits);
    attribute_if_set(list, "GLX_STENCIL_SIZE", r->stencil_bits);
    strcat_s(list, sizeof list, "None");
    glsString((const GLubyte *)"Visual Info", (const GLubyte *)list);

    OwnCall get_integer(__GLS_OP_glGetIntegerv);
    GLint viewport[4] = {0, 0, 0, 0};
    __gls_checked_capture_glGetIntegerv(0x0BA2, viewport);  // GL_VIEWPORT
    char text[64];
    _snprintf_s(text, sizeof text, _TRUNCATE, "%d %d %d %d", viewport[0], viewport[1], viewport[2],
                viewport[3]);
    glsString((const GLubyte *)"Viewport Info", (const GLubyte *)text);
}

void drawable_describe(DebugThreadContext *ctx) {
    KeepGLErrors errors(ctx);
    drawable_query_visual(ctx);
    drawable_write_visual_info(ctx);
}
