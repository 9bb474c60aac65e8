// The few writer fields the programming interface touches, kept here so that
// only this file knows the writer's layout; and, until the capture functions
// are in the tree, a stand-in table of them that lets the core link.
#include "capture_seam.h"

#include "util.h"
#include "writer.h"

extern "C" {

FILE *__glsWriterOutputFile(__GLSwriter *writer) {
    return writer->stream ? writer->stream->file : nullptr;
}

void __glsWriterSetFailed(__GLSwriter *writer) { writer->failed = 1; }

// ---------------------------------------------------------------------------
// STAND-IN, to be deleted once src/gls/capture defines the default capture
// functions and their table.

// Every opcode's null command function stands in for its capture function.
#define __GLS_N1(i) __glsNullCommandFuncs[i]
#define __GLS_N4(i) __GLS_N1(i), __GLS_N1(i + 1), __GLS_N1(i + 2), __GLS_N1(i + 3)
#define __GLS_N16(i) __GLS_N4(i), __GLS_N4(i + 4), __GLS_N4(i + 8), __GLS_N4(i + 12)
#define __GLS_N64(i) __GLS_N16(i), __GLS_N16(i + 16), __GLS_N16(i + 32), __GLS_N16(i + 48)
const __GLSfunc __glsDefaultCaptureTable[GLS_OP_COUNT] = {
    __GLS_N64(0),   __GLS_N64(64),  __GLS_N64(128), __GLS_N64(192), __GLS_N64(256),
    __GLS_N64(320), __GLS_N64(384), __GLS_N16(448), __GLS_N16(464), __GLS_N16(480)};
#undef __GLS_N64
#undef __GLS_N16
#undef __GLS_N4
#undef __GLS_N1

// END OF STAND-IN
// ---------------------------------------------------------------------------

}  // extern "C"
