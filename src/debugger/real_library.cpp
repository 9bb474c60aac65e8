#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "real_library.h"

static HMODULE systemOpenGL(void) {
    static HMODULE module;
    if (!module) {
        char path[MAX_PATH];
        UINT n = GetSystemDirectoryA(path, MAX_PATH);
        if (n == 0 || n + sizeof "\\opengl32.dll" > MAX_PATH) ExitProcess(1);
        lstrcpyA(path + n, "\\opengl32.dll");
        module = LoadLibraryA(path);
        if (!module) ExitProcess(1);
    }
    return module;
}

void *realOpenGLProc(const char *name) {
    void *proc = (void *)GetProcAddress(systemOpenGL(), name);
    if (!proc) ExitProcess(1);
    return proc;
}
