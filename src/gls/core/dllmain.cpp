#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "core/startup.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return __glsProcessAttach(instance, reason, reserved);
    case DLL_PROCESS_DETACH:
        dll_process_hook(instance, reason, reserved);
        return __glsProcessDetach(instance, reason, reserved);
    case DLL_THREAD_ATTACH:
    case DLL_THREAD_DETACH:
        return dll_process_hook(instance, reason, reserved);
    default:
        return TRUE;
    }
}
