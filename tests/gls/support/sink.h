// The tests' one GLS write function: it keeps every byte it is handed, and
// the byte count of every call, and can be told to take fewer bytes than it
// is handed, as a full device would.
#pragma once

#include <string>
#include <vector>

#include "base/gls.h"

struct Sink {
    static inline std::string out;
    static inline std::vector<size_t> calls;
    static inline size_t shortBy = 0;  // the function takes this many fewer

    static size_t GLSAPI write(size_t n, const GLubyte *bytes) {
        calls.push_back(n);
        const size_t taken = n > shortBy ? n - shortBy : 0;
        out.append((const char *)bytes, taken);
        return taken;
    }
    static void reset() {
        out.clear();
        calls.clear();
        shortBy = 0;
    }
};
