// The one body of the debugger's GLU wrappers. The generated wrapper of each
// GLU function (tools/gen_glu_wrappers.py) instantiates it with the function's
// index among the GLU names and its own type, and passes its arguments on.
//
// A GLU wrapper neither halts, breaks, skips, traces nor checks: it writes
// the function's name to the history, raises the history's indent level
// while the real function runs (so the GL calls it makes stand indented
// beneath the name) and counts the call.
#pragma once

#include <type_traits>

#include "api/embed.h"
#include "history.h"
#include "thread_context.h"

struct GLUnurbs;
struct GLUquadric;
struct GLUtesselator;
typedef void(GLSAPI *_GLUfuncptr)(void);

template <unsigned Index, typename F, typename... A>
static auto glu_body(A... args) -> decltype(F()(args...)) {
    using Result = decltype(F()(args...));
    DebugThreadContext *ctx = context_get();
    glu_library_load(ctx);
    history_annotate(ctx, "Info", ctx->master->glu_names[Index]);
    RealLibraryTable *libs = ctx->libraries;
    // A function the system GLU lacks is not called: the call answers 0 and
    // is not counted, as it did not happen.
    F real = (F)libs->glu_procs[Index];
    ++libs->history_indent;
    struct Done {
        DebugThreadContext *ctx;
        bool called;
        ~Done() {
            --ctx->libraries->history_indent;
            if (called) ++ctx->process->glu_call_counts[Index];
        }
    } done{ctx, real != nullptr};
    if constexpr (std::is_void_v<Result>) {
        if (real) real(args...);
    } else {
        return real ? real(args...) : Result();
    }
}
