// The library's entry: the one place the codec and the debugger engine meet.
// The engine's process hook is handed to the codec before the codec's
// attach, which tells it of the load once the codec stands and of the unload
// while the codec still stands; the threads' comings and goings concern the
// engine only.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "api/embed.h"
#include "debugger/engine.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        __glsSetProcessHook(dll_process_hook);
        return __glsProcessAttach(instance, reason, reserved);
    case DLL_PROCESS_DETACH:
        return __glsProcessDetach(instance, reason, reserved);
    case DLL_THREAD_ATTACH:
    case DLL_THREAD_DETACH:
        return dll_process_hook(instance, reason, reserved);
    default:
        return TRUE;
    }
}
