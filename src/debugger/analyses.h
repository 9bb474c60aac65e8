// What the debugger makes of the calls it sees: the bodies of the checks the
// wrappers call after a call (warnings, mirrors of GL state, performance
// hints, primitive counts, display-list bookkeeping), the state scan and the
// description of the drawable. The check of each command (check_<command>,
// generated from tools/hooks.py) calls one body here with the command's own
// arguments; commands whose checks do the same thing share a body, a
// template where their argument types differ.
//
// Where each piece lives:
//   checks.cpp   the warning reporter, the glBlendFunc check, the data-address
//                annotation;
//   mirrors.cpp  every writer of the GL-context record's mirrors of GL state
//                (begin/end, primitive mode and vertices, dithering, lighting,
//                vertex array, list base, list compiling, clear and flush
//                counts) with the checks that keep them;
//   hints.cpp    primitive counting and the performance hints;
//   lists.cpp    the display-list table and the list validity check;
//   state.cpp    the state scan; drawable.cpp the drawable description.
#pragma once

#include <string.h>

#include "api/embed.h"
#include "halt.h"
#include "thread_context.h"

extern "C" {

// -------------------------------------------------------------- checks.cpp
// Appends "\nWarning: <text>" to the message text (whole, or not at all
// once the text is full: then it says once that more were dropped) and, with
// History and Show Possible Problems on, writes "- <text>" to the history.
void problem_warning(DebugThreadContext *ctx, const char *text);
// With History and Show Data Memory Address on, writes the address of the
// call's data to the history.
void data_address(DebugThreadContext *ctx, const void *data);
void hook_blend_func(DebugThreadContext *ctx, GLenum sfactor, GLenum dfactor);

// -------------------------------------------------------------- mirrors.cpp
void hook_begin(DebugThreadContext *ctx, GLenum mode);
void hook_end(DebugThreadContext *ctx);
void hook_vertex_count(DebugThreadContext *ctx, const void *v, int vertex);
void hook_array_element(DebugThreadContext *ctx, GLint i);
void hook_draw_arrays(DebugThreadContext *ctx, GLenum mode, GLint first, GLsizei count);
void hook_draw_elements(DebugThreadContext *ctx, GLenum mode, GLsizei count, GLenum type,
                        const void *indices);
void hook_enable(DebugThreadContext *ctx, GLenum cap);
void hook_disable(DebugThreadContext *ctx, GLenum cap);
void hook_enable_client_state(DebugThreadContext *ctx, GLenum array);
void hook_disable_client_state(DebugThreadContext *ctx, GLenum array);
void hook_draw_buffer(DebugThreadContext *ctx, GLenum mode);
void hook_read_buffer(DebugThreadContext *ctx, GLenum mode);
void hook_clear(DebugThreadContext *ctx, GLbitfield mask);
void hook_finish(DebugThreadContext *ctx);
void hook_flush(DebugThreadContext *ctx);
void hook_list_base(DebugThreadContext *ctx, GLuint base);
void hook_new_list(DebugThreadContext *ctx, GLuint list, GLenum mode);
void hook_end_list(DebugThreadContext *ctx);

// ---------------------------------------------------------------- hints.cpp
// Counts the primitive the record's mode and vertex count describe, then
// gives the GL_POLYGON hints.
void count_primitives(DebugThreadContext *ctx);
// Writes a hint to the history when History and `option` are on.
void hint(DebugThreadContext *ctx, const std::atomic<uint32_t> &option, const char *text);
void hint_clear(DebugThreadContext *ctx, uint64_t flushes_since_clear, int dithering);
void hint_flush(DebugThreadContext *ctx, uint64_t clear_count);
void hint_normalize(DebugThreadContext *ctx, GLenum cap);
void hint_positional_light(DebugThreadContext *ctx);
void hint_lighting_first(DebugThreadContext *ctx);
void hint_material_first(DebugThreadContext *ctx);
void hint_scale_with_lighting(DebugThreadContext *ctx);
// The glLoadMatrix hints; `exact_identity` when the matrix is bytewise the
// identity of its own type, `m` its elements widened to double.
void hint_load_matrix(DebugThreadContext *ctx, int exact_identity, const double *m);
void hook_rect(DebugThreadContext *ctx, const void *v1, const void *v2);
void hook_polygon_stipple(DebugThreadContext *ctx, const GLubyte *mask);
void hook_line_stipple(DebugThreadContext *ctx, GLint factor, GLushort pattern);

// ---------------------------------------------------------------- lists.cpp
// The record holding the display-list table `record` uses.
GLContextRecord *lists_table(GLContextRecord *record);
void check_list_valid(DebugThreadContext *ctx, GLuint id);
void hook_gen_lists(DebugThreadContext *ctx, GLsizei range);
void hook_delete_lists(DebugThreadContext *ctx, GLuint list, GLsizei range);
void hook_call_list(DebugThreadContext *ctx, GLuint list);
void hook_call_lists(DebugThreadContext *ctx, GLsizei n, GLenum type, const void *lists);
// The list bookkeeping of glNewList and glEndList; 1 when a list's record was
// opened or closed, so compiling begins or ends.
int list_open(DebugThreadContext *ctx, GLuint list);
int list_close(DebugThreadContext *ctx);

// -------------------------------------------------------------- state.cpp
void state_fetch_item(DebugThreadContext *ctx, uint32_t item);

// ----------------------------------------------------------- drawable.cpp
void drawable_query_visual(DebugThreadContext *ctx);
void drawable_write_visual_info(DebugThreadContext *ctx);
}  // extern "C"

// A hint is wanted when History and its option are on.
static inline bool hint_wanted(DebugThreadContext *ctx, const std::atomic<uint32_t> &option) {
    return switch_on(ctx->process->History) && switch_on(option);
}

// ------------------------------------------- bodies shared by a family
// Each takes the arguments of every member of its family.

template <typename T>
static inline void hook_data_address(DebugThreadContext *ctx, const T *v) {
    data_address(ctx, v);
}

template <typename T>
static inline void hook_vertex(DebugThreadContext *ctx, const T *v) {
    hook_vertex_count(ctx, v, 1);
}

template <typename T>
static inline void hook_eval_coord(DebugThreadContext *ctx, const T *v) {
    hook_vertex_count(ctx, v, 0);
}

template <typename T>
static inline void hook_light(DebugThreadContext *ctx, GLenum light, GLenum pname, const T *params) {
    if (pname == 0x1203 && params[3] != 0) hint_positional_light(ctx);  // GL_POSITION
}

template <typename... A>
static inline void hook_light_model(DebugThreadContext *ctx, A...) {
    hint_lighting_first(ctx);
}

template <typename... A>
static inline void hook_material(DebugThreadContext *ctx, A...) {
    hint_material_first(ctx);
}

template <typename T>
static inline void hook_scale(DebugThreadContext *ctx, T, T, T) {
    hint_scale_with_lighting(ctx);
}

template <typename T>
static inline void hook_load_matrix(DebugThreadContext *ctx, const T *m) {
    if (!hint_wanted(ctx, ctx->process->Show_performance_hints)) return;
    static const T identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    double wide[16];
    for (int i = 0; i < 16; ++i) wide[i] = m[i];
    hint_load_matrix(ctx, memcmp(m, identity, sizeof identity) == 0, wide);
}
