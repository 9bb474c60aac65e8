// What a program that embeds the codec uses of it, in one header: the
// debugger engine, and the programs that stand for the library in tests,
// samples and benchmarks. Such a program names nothing of the codec's
// layers below this one but what is gathered here:
//   - the codec's life with the process: __glsProcessAttach and
//     __glsProcessDetach, and __glsSetProcessHook, by which the embedding
//     program hears of them;
//   - the system OpenGL library the codec loaded, one handle for both:
//     __glsSystemLibrary, and __glsLoadSystemLibrary for the others of the
//     system directory;
//   - a thread-local slot read in place, for the paths every GL call takes:
//     __glsTlsGetInline;
//   - the programming interface (api.h) with the command functions
//     (__glsSetCommandFunc) and the capture attributes (__glsEnableAttrib,
//     __glsDisableAttrib, __glsIsAttribEnabled); the GLS commands
//     (gls_commands.h); the opcodes, the checked-capture calls and the GL
//     and GLS types (gls_functions.h);
//   - the capture flags of an opcode read and written in place, below, and
//     their bits (__GLS_CAPTURE_EXECUTE, __GLS_CAPTURE_WRITE,
//     __GLS_CAPTURE_CALLBACKS); the capture's writer flushed and the
//     context's data pointer read, in place too;
//   - the client-side commands of a context sent to the real library
//     always (__glsClientRealAlways), and a text capture's arrays
//     shortened (__glsCaptureShortenArrays), below.
#pragma once

#include "api/api.h"
#include "api/gls_commands.h"
#include "base/platform.h"
#include "core/context.h"
#include "core/startup.h"
#include "gls_functions.h"
#include "write/writer.h"

// The capture flags of `opcode` in the calling thread's current context, as
// glsGetCaptureFlags reads and glsCaptureFlags writes them, without their
// checks: for a caller on every GL call's path that knows the context is
// current and the opcode valid. The slot stays the context's: a flag saved
// from it goes back to it, whatever context is current by then.
static inline GLubyte *__glsCaptureFlagsSlot(GLSopcode opcode) {
    return &__glsGetContext()->captureFlags[opcode];
}

// What glsFlush does for the capture of the calling thread's current
// context, without its checks: the writer's buffer handed to its write
// function now. For a caller on every GL call's path that knows a context
// is current; always in place, whatever else a caller's body holds.
static inline __attribute__((always_inline)) void __glsCaptureFlush(void) {
    __GLScontext *gls = __glsGetContext();
    if (gls->writer) __glsWriterFlush(gls->writer);
}

// The data pointer of the calling thread's current context (glsDataPointer),
// null when none is current: for a write function, which runs on every
// call written.
static inline GLvoid *__glsCurrentDataPointer(void) {
    __GLScontext *gls = __glsGetContext();
    return gls ? gls->dataPointer : nullptr;
}

// Has the calling thread's current context send every client-side command
// to the real library, whether or not a GL context is current there, and
// answer no query from its client-state mirror: for a program that stands
// in for the system library, whose callers must get what that library
// gives them (with no context current, arrays left as they were).
static inline void __glsClientRealAlways(void) { __glsGetContext()->clientRealAlways = 1; }

// Has the text capture of the calling thread's current context end each
// command's first array after __GLS_TEXT_ARRAY_KEPT elements, ", ...}"
// standing for the rest (`on` 1), or write every array whole (0): a caller
// that keeps only the head of long arrays spares formatting the rest.
static inline void __glsCaptureShortenArrays(GLint on) {
    __GLScontext *gls = __glsGetContext();
    if (gls->writer) gls->writer->shortenArrays = on;
}
