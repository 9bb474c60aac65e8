// The GL-context record's mirrors of GL state, as the application's calls
// set them, and every check that keeps one: whether the thread is between
// glBegin and glEnd, the mode and vertex count of the current primitive,
// dithering, lighting, the vertex array, the list base, whether a display
// list is being compiled, the glClear and glFlush/glFinish counts since each
// other, and the draw and read buffers the front-buffer switch goes back to.
//
// A mirror follows the calls as issued: a call compiled into a display list
// or refused by the GL with an error changes it all the same.
#include "analyses.h"
#include "api/embed.h"
#include "analyses_attach.h"

enum {
    MIRROR_LIGHTING = 0x0B50,
    MIRROR_DITHER = 0x0BD0,
    MIRROR_VERTEX_ARRAY = 0x8074,
};

void mirrors_init(GLContextRecord *record) {
    record->in_begin_end = 0;
    record->compiling_list = 0;
    record->dither_enabled = 1;
    record->lighting_enabled = 0;
    record->list_base = 0;
    record->primitive_mode = 0xFFFFFFFFu;
    record->vertex_array_enabled = 1;
    record->clear_count = 0;
    record->flushes_since_clear = 0;
    record->primitive_vertices = 0;
}

// ------------------------------------------------------ begin, end, vertices

void hook_begin(DebugThreadContext *ctx, GLenum mode) {
    GLContextRecord *record = ctx->gl_context;
    record->in_begin_end = 1;
    record->primitive_mode = mode;
    record->primitive_vertices = 0;
}

void hook_end(DebugThreadContext *ctx) {
    ctx->gl_context->in_begin_end = 0;
    count_primitives(ctx);
}

void hook_vertex_count(DebugThreadContext *ctx, const void *v, int vertex) {
    GLContextRecord *record = ctx->gl_context;
    ++record->primitive_vertices;
    if (vertex && record->in_begin_end == 0) problem_warning(ctx, "Not called between glBegin/glEnd.");
    data_address(ctx, v);
}

void hook_array_element(DebugThreadContext *ctx, GLint) {
    GLContextRecord *record = ctx->gl_context;
    if (record->vertex_array_enabled == 1) ++record->primitive_vertices;
}

// A draw from the arrays is a primitive of its own; with the vertex array
// off it is counted with the vertex count of the primitive before it.
static void draw_from_arrays(DebugThreadContext *ctx, GLenum mode, GLsizei count) {
    GLContextRecord *record = ctx->gl_context;
    record->primitive_mode = mode;
    if (record->vertex_array_enabled == 1) record->primitive_vertices = (uint64_t)(int64_t)count;
    count_primitives(ctx);
}

void hook_draw_arrays(DebugThreadContext *ctx, GLenum mode, GLint, GLsizei count) {
    draw_from_arrays(ctx, mode, count);
}

void hook_draw_elements(DebugThreadContext *ctx, GLenum mode, GLsizei count, GLenum, const void *) {
    draw_from_arrays(ctx, mode, count);
}

// ----------------------------------------------------- enables and buffers

static void capability(DebugThreadContext *ctx, GLenum cap, uint8_t on) {
    GLContextRecord *record = ctx->gl_context;
    if (cap == MIRROR_LIGHTING) record->lighting_enabled = on;
    if (cap == MIRROR_DITHER) record->dither_enabled = on;
}

void hook_enable(DebugThreadContext *ctx, GLenum cap) {
    capability(ctx, cap, 1);
    hint_normalize(ctx, cap);
}

void hook_disable(DebugThreadContext *ctx, GLenum cap) { capability(ctx, cap, 0); }

void hook_enable_client_state(DebugThreadContext *ctx, GLenum array) {
    if (array == MIRROR_VERTEX_ARRAY) ctx->gl_context->vertex_array_enabled = 1;
}

void hook_disable_client_state(DebugThreadContext *ctx, GLenum array) {
    if (array == MIRROR_VERTEX_ARRAY) ctx->gl_context->vertex_array_enabled = 0;
}

void hook_draw_buffer(DebugThreadContext *ctx, GLenum mode) { ctx->process->saved_draw_buffer = mode; }

void hook_read_buffer(DebugThreadContext *ctx, GLenum mode) { ctx->process->saved_read_buffer = mode; }

// ------------------------------------------------------ clears and flushes

void hook_clear(DebugThreadContext *ctx, GLbitfield) {
    GLContextRecord *record = ctx->gl_context;
    ++record->clear_count;
    hint_clear(ctx, record->flushes_since_clear, record->dither_enabled == 1);
    record->flushes_since_clear = 0;
}

// Every glFlush and glFinish hands the history its text so far, whatever
// the switches say.
static void flush_files(DebugThreadContext *ctx) {
    GLContextRecord *record = ctx->gl_context;
    ++record->flushes_since_clear;
    glsFlush();
    hint_flush(ctx, record->clear_count);
    record->clear_count = 0;
}

void hook_finish(DebugThreadContext *ctx) { flush_files(ctx); }

void hook_flush(DebugThreadContext *ctx) { flush_files(ctx); }

// ------------------------------------------------------------ display lists

// The display-list checks of no GL context do nothing.
void hook_list_base(DebugThreadContext *ctx, GLuint base) {
    if (ctx->gl_context->handle != 0) ctx->gl_context->list_base = base;
}

void hook_new_list(DebugThreadContext *ctx, GLuint list, GLenum) {
    if (list_open(ctx, list)) ctx->gl_context->compiling_list = 1;
}

void hook_end_list(DebugThreadContext *ctx) {
    if (list_close(ctx)) ctx->gl_context->compiling_list = 0;
}
