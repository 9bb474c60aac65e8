// Process start-up and shutdown of the GLS core, and the globals they own.
#pragma once

#include "gls_functions.h"

struct __GLSdict;
struct __GLSdictSet;

extern "C" {

// Slots 16-45 hold the GLS command implementations from the start; the GL
// slots get the real procedures (or null functions) at process attach.
extern __GLSfunc __glsDefaultDispatchTable[GLS_OP_COUNT];

extern __GLStlsIndex __glsContextTLS;
extern __GLStlsIndex __glsErrorTLS;
extern __GLSdict *__glsContextDict;
extern GLint __glsContextCount;
extern __GLSdictSet *__glsDictSet;

// The file name of the system OpenGL library loaded at attach. Tests point
// it at a library that does not exist to see a refused load.
extern const char *__glsSystemLibraryName;

// The system OpenGL library as loaded at attach, null before and after. The
// one handle serves the codec and the debugger: a second load would keep a
// module of that name mapped past the library's own unload.
extern void *__glsSystemLibrary;

// Loads a library of the system directory by its full path; null when it
// fails.
void *__glsLoadSystemLibrary(const char *file);

// What a program embedding the codec hears of the process's load and unload:
// told of the load once the core stands (never when its attach fails), and
// of the unload while the core still stands. Null, the default, hears
// nothing. Set before the attach; it is kept for the detach.
typedef int (*__GLSprocessHook)(void *instance, unsigned long reason, void *reserved);
void __glsSetProcessHook(__GLSprocessHook hook);

int __glsProcessAttach(void *instance, unsigned long reason, void *reserved);
int __glsProcessDetach(void *instance, unsigned long reason, void *reserved);
void __glsDeleteAllContexts(void);
int __glsCreateContextDict(void);

void __glsLock(void);
void __glsUnlock(void);

__GLSfunc __glsNullCommandFunc(GLSopcode opcode);
int __glsFileExists(const char *path);
void __glsContextChangedHook(void);

}  // extern "C"
