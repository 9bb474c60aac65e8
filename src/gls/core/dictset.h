// The process's one set of name dictionaries for reading GLS text, built on
// first use under the lock.
#pragma once

extern "C" {
struct __GLSdictSet;
void __glsDictSetDestroy(__GLSdictSet *set);
}
