// The opcode space: which numbers name a command.
#pragma once

#include "gls_functions.h"

extern "C" {
// 1 for a defined opcode; otherwise raises GLS_UNSUPPORTED_COMMAND and gives 0.
GLboolean __glsValidOpcode(GLSopcode opcode);
}
