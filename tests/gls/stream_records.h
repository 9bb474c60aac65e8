// The records of a context stream, for tests that compare what two
// captures wrote: each record's opcode and argument bytes, without the
// writer's own framing and pad records.
#pragma once

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "stream/context_stream.h"
#include "base/dict.h"

struct StreamRecord {
    GLSopcode op;
    std::string args;
    bool operator==(const StreamRecord &o) const { return op == o.op && args == o.args; }
};

inline std::vector<StreamRecord> streamRecords(const char *name) {
    std::vector<StreamRecord> out;
    auto *s = (__GLScontextStream *)__glsStrDictLookup(__glsGetContext()->contextStreamDict,
                                                        (const GLubyte *)name);
    if (!s) {
        ADD_FAILURE() << "no stream " << name;
        return out;
    }
    __GLScontextBlock *first = __glsContextStreamFirstBlock(s), *b = first;
    do {
        GLubyte *p = b->data;
        while (b->writePtr - p >= 4) {
            GLuint word, op, size, header = 4;
            memcpy(&word, p, 4);
            if ((word & 0xFFFF) && (word >> 16)) {
                op = word & 0xFFFF;
                size = word >> 16;
            } else {
                memcpy(&op, p + 4, 4);
                if (!op) break;  // the link
                memcpy(&size, p + 8, 4);
                header = 12;
            }
            if (size < header || size > (size_t)(b->writePtr - p)) {
                ADD_FAILURE() << "bad record at " << (p - b->data);
                return out;
            }
            if (op != __GLS_OP_glsPad && op != __GLS_OP_glsBeginGLS && op != __GLS_OP_glsEndGLS) {
                out.push_back({(GLSopcode)op, std::string((const char *)p + header, size - header)});
            }
            p += size;
        }
        b = (__GLScontextBlock *)b->link.next;
    } while (b != first);
    return out;
}

inline std::string hexBytes(const std::string &bytes) {
    std::string s;
    char b[3];
    for (unsigned char c : bytes) {
        snprintf(b, sizeof b, "%02x", c);
        s += b;
    }
    return s;
}

inline std::string describe(const std::vector<StreamRecord> &records) {
    std::string s;
    for (const StreamRecord &r : records) s += std::to_string(r.op) + ":" + hexBytes(r.args) + " ";
    return s;
}
