// The decoder tables: one decoder per opcode for each encoding. A binary
// decoder takes the address of a record's argument block.
#pragma once

#include "context.h"

extern "C" {

typedef void (GLSAPI *__GLSdecodeBinFunc)(GLubyte *inoutPtr);

// Native byte order; start-up completes it for the commands without
// arguments, whose swapped decoders serve both orders.
extern __GLSdecodeBinFunc __glsDispatchDecode_bin_default[GLS_OP_COUNT];
extern const __GLSdecodeBinFunc __glsDispatchDecode_bin_swap[GLS_OP_COUNT];

}  // extern "C"
