// The library's entry: the one place the codec, the debugger engine and its
// interface meet. The interface is handed to the engine and the engine's
// process hook to the codec before the codec's attach, which tells the
// engine of the load once the codec stands and of the unload while the codec
// still stands; the threads' comings and goings concern the engine only.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "api/embed.h"
#include "debugger/thread_context.h"
#include "ui/ui.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        ui_register();
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
