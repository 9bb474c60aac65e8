// Prints nanoseconds per call through palisade.dll against a direct call of
// the system opengl32.dll procedure, with no GLS context current: a scalar
// form, a vector form and a command with a result.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <stdio.h>

#include "timing.h"

typedef void(WINAPI *Color4f)(float, float, float, float);
typedef void(WINAPI *Vertex3fv)(const float *);
typedef unsigned(WINAPI *GetError)(void);

int main(void) {
    char path[MAX_PATH];
    UINT len = GetSystemDirectoryA(path, MAX_PATH);
    lstrcpyA(path + len, "\\opengl32.dll");
    HMODULE real = LoadLibraryA(path);
    HMODULE ours = LoadLibraryA("palisade.dll");
    if (!real || !ours) {
        fprintf(stderr, "bench: cannot load %s\n", real ? "palisade.dll" : path);
        return 1;
    }
    static const float v[3] = {1, 2, 3};
    volatile unsigned sink = 0;
    printf("%-12s %10s %10s %7s\n", "command", "direct ns", "palisade", "ratio");
    const char *names[] = {"glColor4f", "glVertex3fv", "glGetError"};
    for (const char *name : names) {
        FARPROC d = GetProcAddress(real, name), p = GetProcAddress(ours, name);
        double direct, through;
        if (name[2] == 'C') {
            direct = nanosecondsPerCall([&](int i) { ((Color4f)d)((float)i, 0, 0, 1); });
            through = nanosecondsPerCall([&](int i) { ((Color4f)p)((float)i, 0, 0, 1); });
        } else if (name[2] == 'V') {
            direct = nanosecondsPerCall([&](int) { ((Vertex3fv)d)(v); });
            through = nanosecondsPerCall([&](int) { ((Vertex3fv)p)(v); });
        } else {
            direct = nanosecondsPerCall([&](int) { sink += ((GetError)d)(); });
            through = nanosecondsPerCall([&](int) { sink += ((GetError)p)(); });
        }
        printf("%-12s %10.1f %10.1f %6.2fx\n", name, direct, through, through / direct);
    }
    return 0;
}
