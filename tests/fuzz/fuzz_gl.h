// The GL the fuzz harnesses call: the stand-in system library, with every
// command that is handed an array replaced by one that reads all of it and
// every command with an output by one that writes all of it
// (tools/gen_fuzz_gl.py). The byte counts here are the GL's, in 64 bits
// from the arguments as a GL takes them, so that a decoder that hands on
// fewer bytes than they say shows as an overread.
#pragma once

#include <string.h>

#include "base/pixel_formats.h"
#include "client/size.h"
#include "core/context.h"
#include "core/opcodes.h"

namespace fuzz_gl {

// Beyond any array of a process; products are held here so none wraps.
const GLulong LARGE = (GLulong)1 << 62;

inline GLulong count(GLlong n) { return n > 0 ? (GLulong)n : 0; }

inline GLulong times(GLulong a, GLulong b) { return a && b > LARGE / a ? LARGE : a * b; }

// Byte by byte from the start, so that the first byte past the array is
// the one reported.
inline void read(const void *p, GLulong bytes) {
    GLubyte chunk[4096];
    for (GLulong at = 0; at < bytes; at += sizeof chunk) {
        const GLulong n = bytes - at < sizeof chunk ? bytes - at : sizeof chunk;
        memcpy(chunk, (const GLubyte *)p + at, (size_t)n);
        // The copy is the read: it must not be left out as unused.
        __asm__ __volatile__("" : : "r"(chunk) : "memory");
    }
}

inline void write(void *p, GLulong bytes) {
    for (GLulong at = 0; at < bytes; at += 4096) {
        memset((GLubyte *)p + at, 0, (size_t)(bytes - at < 4096 ? bytes - at : 4096));
    }
}

// A tightly packed image, as the decoders set the unpack and pack modes;
// nothing for a format or type this GL does not know, or a negative extent.
inline GLulong pixelBytes(GLenum format, GLenum type, GLlong width, GLlong height, GLlong depth) {
    GLint elements, bits;
    if (width < 0 || height < 0 || depth < 0 || !__glsPixelLayout(format, type, &elements, &bits)) {
        return 0;
    }
    const GLulong row = (times(times((GLulong)elements, (GLulong)width), (GLulong)bits) + 7) / 8;
    return times(times(row, (GLulong)height), (GLulong)depth);
}

inline GLulong listBytes(GLlong n, GLenum type) {
    switch (type) {
    case GL_BYTE: case GL_UNSIGNED_BYTE: return count(n);
    case GL_SHORT: case GL_UNSIGNED_SHORT: case GL_2_BYTES: return times(count(n), 2);
    case GL_3_BYTES: return times(count(n), 3);
    case GL_INT: case GL_UNSIGNED_INT: case GL_FLOAT: case GL_4_BYTES: return times(count(n), 4);
    default: return 0;
    }
}

inline GLulong indexBytes(GLlong n, GLenum type) {
    switch (type) {
    case GL_UNSIGNED_BYTE: return count(n);
    case GL_UNSIGNED_SHORT: return times(count(n), 2);
    case GL_UNSIGNED_INT: return times(count(n), 4);
    default: return 0;
    }
}

// The control-point values an evaluator map reads with its strides and
// orders, from the first of the first point to the last of the last; a
// one-dimensional map passes order2 = 1.
inline GLulong mapValues(GLenum target, GLlong stride1, GLlong order1, GLlong stride2,
                         GLlong order2) {
    const GLlong k = __glsMapComponents(target);
    if (!k || stride1 < k || order1 < 1 || order2 < 1 || (order2 > 1 && stride2 < k)) return 0;
    return times((GLulong)(order1 - 1), (GLulong)stride1) +
           times((GLulong)(order2 - 1), (GLulong)stride2) + (GLulong)k;
}

// glGetMap*v of a GL without control points: the orders and the domain.
inline GLulong mapQueryValues(GLenum target, GLenum query) {
    if (!__glsMapComponents(target)) return 0;
    const bool two = target >= GL_MAP2_COLOR_4 && target <= GL_MAP2_VERTEX_4;
    return query == GL_ORDER ? (two ? 2 : 1) : query == GL_DOMAIN ? (two ? 4 : 2) : 0;
}

// Puts the reading commands in the default dispatch table: call after the
// codec has loaded the system library and before a context is made.
void install();

}  // namespace fuzz_gl
