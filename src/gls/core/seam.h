// What the core calls in the layers above it, declared here so that the core
// includes none of them: creating, flushing and destroying the writer of a
// capture level and the few writer fields the interface touches (the
// writers), the capture-dispatch table and the default capture functions
// (the capture layer), and the binary decoder tables (the decoders).
#pragma once

#include <stdio.h>

#include "base/gls.h"
#include "gls_functions.h"

struct __GLSwriter;

extern "C" {

// name is UTF-8, streamType 64 to 67, writeFlags at most 3; null after the
// writer has raised a GLS error.
__GLSwriter *__glsWriterCreate(const GLubyte *name, GLSenum streamType, GLuint writeFlags);
// Ends, flushes and closes the stream; accepts null; always returns null.
__GLSwriter *__glsWriterDestroy(__GLSwriter *writer);
// The same for the captures of a context, which keeps the memory of a file
// writer that ended (*spare) for the next to be made in: a capture begun and
// ended, again and again, allocates nothing after the first. A spare is a
// writer that writes nothing; __glsWriterDestroy frees it.
__GLSwriter *__glsWriterCreateIn(__GLSwriter **spare, const GLubyte *name, GLSenum streamType,
                                 GLuint writeFlags);
__GLSwriter *__glsWriterEnd(__GLSwriter *writer, __GLSwriter **spare);
// 1 on success, 0 on failure (the writer is then failed for good).
GLboolean __glsWriterFlush(__GLSwriter *writer);

// The writer's output file stream, null when it writes into memory or
// through the write function.
FILE *__glsWriterOutputFile(__GLSwriter *writer);
// A failed writer writes no further command.
void __glsWriterSetFailed(__GLSwriter *writer);
// The writer's next command starts a new 8-byte phase.
void __glsWriterResetAlignPhase(__GLSwriter *writer);

// One capture-dispatch entry per named opcode.
extern const __GLSfunc __glsDispatchCapture[GLS_OP_COUNT];
// One default capture function per named opcode.
extern const __GLSfunc __glsDefaultCaptureTable[GLS_OP_COUNT];

typedef void (GLSAPI *__GLSdecodeBinFunc)(GLubyte *inoutPtr);

// Native byte order; start-up completes it for the commands without
// arguments, whose swapped decoders serve both orders.
extern __GLSdecodeBinFunc __glsDispatchDecode_bin_default[GLS_OP_COUNT];
extern const __GLSdecodeBinFunc __glsDispatchDecode_bin_swap[GLS_OP_COUNT];

// The guard around real GL calls made while a capture is open.
GLint __glsBeginCaptureExec(GLSopcode opcode);
void __glsEndCaptureExec(GLSopcode opcode, GLint token);

}  // extern "C"
