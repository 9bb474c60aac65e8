// The list-compilation workload both benchmarks time: glColor4f and
// glVertex3f pairs compiled into a display list, through whichever table of
// procedures the caller hands it (newList, begin, color4f, vertex3f, end,
// endList, deleteLists). Returns the seconds the pairs took; the list's
// opening and closing are not timed.
#pragma once

#include "timing.h"

template <typename Gl>
double compileListPairs(const Gl &gl, long pairs) {
    enum : unsigned { POINTS = 0x0000, COMPILE = 0x1300 };
    gl.newList(1, COMPILE);
    gl.begin(POINTS);
    double start = secondsNow();
    for (long i = 0; i < pairs; ++i) {
        const float f = (float)(i & 1023);
        gl.color4f(f * 0.0009765625f, 0.5f, 0.25f, 1.0f);
        gl.vertex3f(f, f * 0.5f, -f);
    }
    double seconds = secondsNow() - start;
    gl.end();
    gl.endList();
    gl.deleteLists(1, 1);
    return seconds;
}
