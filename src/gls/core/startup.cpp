#include "core/startup.h"

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "base/dict.h"
#include "core/context.h"
#include "core/dictset.h"
#include "core/seam.h"

extern "C" {

__GLStlsIndex __glsContextTLS = -1;
__GLStlsIndex __glsErrorTLS = -1;
__GLSdict *__glsContextDict = nullptr;
__GLSlist __glsContextList = nullptr;
GLint __glsContextCount = 0;
__GLSdictSet *__glsDictSet = nullptr;
const char *__glsSystemLibraryName = "opengl32.dll";
void *__glsSystemLibrary = nullptr;
static __GLSprocessHook __glsProcessHook = nullptr;

void __glsSetProcessHook(__GLSprocessHook hook) { __glsProcessHook = hook; }

void __glsLock(void) { __glsLockSectionEnter(); }
void __glsUnlock(void) { __glsLockSectionLeave(); }

__GLSfunc __glsNullCommandFunc(GLSopcode opcode) { return __glsNullCommandFuncs[opcode]; }

int __glsFileExists(const char *path) {
    struct stat info;
    return stat(path, &info) == 0;
}

void __glsContextChangedHook(void) {}

int __glsCreateContextDict(void) {
    __glsContextDict = __glsIntDictCreate(1);
    return __glsContextDict != nullptr;
}

// A system directory that the platform does not give, or that does not fit,
// is a failed load: a relative or truncated path could load some other
// library.
void *__glsLoadSystemLibrary(const char *file) {
    char path[261];
    size_t n = __glsSystemDirectory(path, sizeof path);
    size_t name = strlen(file);
    if (n == 0 || n + 1 + name + 1 > sizeof path) return nullptr;
    path[n] = __glsPathSeparator;
    memcpy(path + n + 1, file, name + 1);
    return __glsLoadLibrary(path);
}

int __glsProcessAttach(void *instance, unsigned long reason, void *reserved) {
    void *library = __glsLoadSystemLibrary(__glsSystemLibraryName);
    if (!library) {
        fprintf(stderr, "GLS fatal: LoadLibrary failed on %s\n", __glsSystemLibraryName);
        return 0;
    }
    __glsSystemLibrary = library;
    // A procedure the system library lacks gets its null function, so no GL
    // slot is ever empty and no caller tests one.
    for (const GLSopcode *op = __glsOpcodesGL; *op; ++op) {
        __GLSfunc proc = (__GLSfunc)__glsGetProcAddress(library, __glsOpNames[*op]);
        __glsDefaultDispatchTable[*op] = proc ? proc : __glsNullCommandFuncs[*op];
    }
    // A command without arguments has nothing to swap: its swapped decoder
    // serves both byte orders.
    for (GLSopcode op = 0; op < GLS_OP_COUNT; ++op) {
        if (__glsOpAttributes[op] & __GLS_ATTRIB_NOARGS) {
            __glsDispatchDecode_bin_default[op] = __glsDispatchDecode_bin_swap[op];
        }
    }
    __glsLockSectionInit();
    __glsContextTLS = __glsTlsAlloc();
    __glsErrorTLS = __glsTlsAlloc();
    if (__glsContextTLS < 0 || __glsErrorTLS < 0) {
        fputs("GLS fatal: TlsAlloc failed\n", stderr);
        return 0;
    }
    if (!__glsCreateContextDict()) {
        fputs("GLS fatal: couldn't create __glsContextDict\n", stderr);
        return 0;
    }
    if (__glsProcessHook) __glsProcessHook(instance, reason, reserved);
    return 1;
}

// An unload while the process goes on (null `reserved`) gives the system
// library back: otherwise a module named opengl32.dll stays mapped, and the
// application's next load of that name gets the system library instead of
// this one. At process exit nothing is freed; the process takes it all.
int __glsProcessDetach(void *instance, unsigned long reason, void *reserved) {
    if (__glsProcessHook) __glsProcessHook(instance, reason, reserved);
    __glsDeleteAllContexts();
    __glsDictSetDestroy(__glsDictSet);
    __glsDictSet = nullptr;
    __glsLockSectionDelete();
    __glsTlsFree(__glsContextTLS);
    __glsTlsFree(__glsErrorTLS);
    if (!reserved && __glsSystemLibrary) {
        for (const GLSopcode *op = __glsOpcodesGL; *op; ++op) {
            __glsDefaultDispatchTable[*op] = __glsNullCommandFuncs[*op];
        }
        __glsFreeLibrary(__glsSystemLibrary);
    }
    __glsSystemLibrary = nullptr;
    return 1;
}

}  // extern "C"
