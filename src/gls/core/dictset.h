// The process's one set of name dictionaries for reading GLS text, built on
// first use under the lock. Keys are the constant names of the name tables
// and opcode tables, kept in place; values are the numbers the names stand
// for, stored in the dictionary's pointer slot.
#pragma once

#include "base/gls.h"

struct __GLSdict;

extern "C" {

struct __GLSdictSet {
    __GLSdict *glAttribMaskDict;
    __GLSdict *glClientAttribMaskDict;
    __GLSdict *glEnumDict;
    __GLSdict *glsEnumDict;
    __GLSdict *glsImageFlagsDict;
    __GLSdict *glsOpDict;
};

// A fully built set, or null with GLS_RESOURCE_ERROR pending. The caller
// holds __glsLock and stores the result in __glsDictSet.
__GLSdictSet *__glsDictSetCreate(void);
// Accepts null; a null field is skipped. Returns 0.
GLint __glsDictSetDestroy(__GLSdictSet *set);
// The process's set, built once on first use; null when it cannot be built,
// and the next caller tries again.
__GLSdictSet *__glsGetDictSet(void);
// 1 and the opcode of a command name or alias; otherwise 0 and the opcode of
// glsUnsupportedCommand.
GLboolean __glsOpcodeFromName(__GLSdictSet *set, const GLubyte *name, GLSopcode *outOpcode);
// Writes the six dictionaries to standard output, each under its label.
void __glsDictSetPrint(__GLSdictSet *set);

}  // extern "C"
