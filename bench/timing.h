// The clock of the benchmarks, and the nanoseconds one call takes.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

inline double secondsNow(void) {
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

// Nanoseconds per call(i) over n calls, after a tenth of them to warm up.
template <typename Call>
inline double nanosecondsPerCall(Call call, int n = 2000000) {
    for (int i = 0; i < n / 10; ++i) call(i);
    double start = secondsNow();
    for (int i = 0; i < n; ++i) call(i);
    return (secondsNow() - start) * 1e9 / n;
}
