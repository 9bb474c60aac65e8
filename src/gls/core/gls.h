// GLS types and the GLS enumerant values the programming interface answers
// with. GL types and enumerants come from the generated gl_types.h.
#pragma once

#include "gl_types.h"
#include "platform.h"

typedef GLuint GLSenum;
typedef GLint GLSopcode;
typedef GLbitfield GLSimageFlags;
typedef GLint64 GLlong;
typedef GLuint64 GLulong;

enum {
    GLS_NONE = 0,
    GLS_OP_COUNT = 496,

    GLS_API_GLS = 16,
    GLS_API_GL = 17,

    GLS_FRAME = 32,
    GLS_HEADER = 33,
    GLS_INIT = 34,
    GLS_STATIC = 35,

    GLS_CONTEXT = 64,
    GLS_BINARY_LSB_FIRST = 65,
    GLS_BINARY_MSB_FIRST = 66,
    GLS_TEXT = 67,
    GLS_UNKNOWN = 68,

    GLS_DECODE_ERROR = 128,
    GLS_IO_ERROR = 129,
    GLS_PARAMETER_ERROR = 130,
    GLS_RESOURCE_ERROR = 131,
    GLS_STATE_ERROR = 132,
    GLS_UNSUPPORTED_COMMAND = 133,
    GLS_UNSUPPORTED_EXTENSION = 134,
    GLS_UNSUPPORTED_VERSION = 135,

    GLS_NULL_FUNC = 144,

    GLS_UCS1 = 256,
    GLS_UCS2 = 257,
    GLS_UCS4 = 258,
};

// The thread's pending GLS error keeps the first error raised until read.
void __glsRaiseError(GLSenum code);
GLSenum glsGetError(void);
