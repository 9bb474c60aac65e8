#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "real_library.h"
#include "core/startup.h"

// The system library is the one the GLS core loaded at attach, so an unload
// of this library frees it once and nothing keeps it mapped.
void *realOpenGLProc(const char *name) {
    void *proc = __glsSystemLibrary ? (void *)GetProcAddress((HMODULE)__glsSystemLibrary, name)
                                    : nullptr;
    if (!proc) ExitProcess(1);
    return proc;
}
