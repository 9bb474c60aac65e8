// What the engine asks of the analyses when a thread, a context or a
// table is attached, and at each halt; the bodies of the checks are in
// analyses.h.
#pragma once

#include "thread_context.h"

extern "C" {
// The state scan: the defaults and current values of a newly attached real
// context, and the current values at each halt (state.cpp).
void state_scan(DebugThreadContext *ctx);
void state_init_defaults(DebugThreadContext *ctx);
// The buffer configuration of a newly attached real context's drawable and
// the "Visual Info" and "Viewport Info" annotations (drawable.cpp).
void drawable_describe(DebugThreadContext *ctx);
// The state-item and enumerant tables of a new master record (state.cpp).
void master_fill_tables(MasterRecord *master);
// The mirrors of GL state in a new GL-context record (mirrors.cpp).
void mirrors_init(GLContextRecord *record);
// The display-list table of a newly attached real context; the sharing of
// lists after a successful wglShareLists(a, b); a deleted context shares
// nothing any more (lists.cpp).
void lists_attach(DebugThreadContext *ctx, GLContextRecord *record);
void lists_share(DebugThreadContext *ctx, uintptr_t a, uintptr_t b);
void lists_forget(uintptr_t handle);
// A call of the list the record is compiling, its text just written to the
// calls file: counted, and the list's stretch of the file taken to its end.
void list_count_call(GLContextRecord *record);
}  // extern "C"
