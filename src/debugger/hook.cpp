// The debugger engine's share of the library's load and unload.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "core/startup.h"

DWORD debugThreadContextTLS = TLS_OUT_OF_INDEXES;
int registeredBlockCount = 0;

extern "C" int dll_process_hook(void *instance, unsigned long reason, void *reserved) {
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        debugThreadContextTLS = TlsAlloc();
        registeredBlockCount = 0;
    } else if (reason == DLL_PROCESS_DETACH) {
        // Named blocks are registered once the debugger builds its records;
        // until then there is nothing to give back.
        registeredBlockCount = 0;
    }
    return 1;
}
