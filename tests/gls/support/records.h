// The tests' one walker of native-order binary records: a short header is
// one word, the opcode in its low and the record's bytes in its high half; a
// long header is a word whose halves are not both set, the opcode and the
// record's bytes. A long header of opcode 0 is a context-stream link, where
// the walk stops.
#pragma once

#include <gtest/gtest.h>
#include <string.h>

#include <functional>
#include <string>

#include "base/gls.h"

struct StreamRecord {
    GLSopcode op;
    const GLubyte *args;  // the argument block, in place
    size_t bytes;         // of the argument block
};

// Calls fn for each record in [p, end) and returns where the walk stopped: at
// the end, at a link, or at a record that does not fit (a test failure).
inline const GLubyte *eachRecord(const GLubyte *p, const GLubyte *end,
                                 const std::function<void(const StreamRecord &)> &fn) {
    while (end - p >= 4) {
        GLuint word, op, size, header = 4;
        memcpy(&word, p, 4);
        if ((word & 0xFFFF) && (word >> 16)) {
            op = word & 0xFFFF;
            size = word >> 16;
        } else {
            if (end - p < 12) break;
            memcpy(&op, p + 4, 4);
            if (!op) break;  // a link
            memcpy(&size, p + 8, 4);
            header = 12;
        }
        if (size < header || size > (size_t)(end - p)) {
            ADD_FAILURE() << "bad record of opcode " << op << " and " << size << " bytes";
            return p;
        }
        fn({(GLSopcode)op, p + header, size - header});
        p += size;
    }
    return p;
}

inline void eachRecord(const std::string &bytes, const std::function<void(const StreamRecord &)> &fn) {
    const GLubyte *p = (const GLubyte *)bytes.data();
    eachRecord(p, p + bytes.size(), fn);
}
