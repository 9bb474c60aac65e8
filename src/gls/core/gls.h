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
    GLS_UNKNOWN = 272,

    GLS_DECODE_ERROR = 128,
    GLS_IO_ERROR = 129,
    GLS_PARAMETER_ERROR = 130,
    GLS_RESOURCE_ERROR = 131,
    GLS_STATE_ERROR = 132,
    GLS_UNSUPPORTED_COMMAND = 133,
    GLS_UNSUPPORTED_EXTENSION = 134,
    GLS_UNSUPPORTED_VERSION = 135,

    GLS_NULL_FUNC = 144,

    GLS_UCS1 = 480,
    GLS_UCS2 = 481,
    GLS_UCS4 = 482,

    // Attributes, targets and queries of the context and its programming interface.
    GLS_ABORT_CALL = 48,
    GLS_CAPTURE_VERTEX_ARRAYS = 49,
    GLS_CAPTURE_ENTRY_FUNC = 80,
    GLS_CAPTURE_EXIT_FUNC = 81,
    GLS_DEFAULT_READ_CHANNEL = 96,
    GLS_DEFAULT_WRITE_CHANNEL = 97,
    GLS_CALL_FUNC = 112,
    GLS_CAPTURE_FUNC = 113,
    GLS_API = 160,
    GLS_IS_CLIENT_COMMAND = 161,
    GLS_IS_GET_COMMAND = 162,
    GLS_IS_CLIENT_ENUM = 176,
    GLS_READ_FUNC = 192,
    GLS_WRITE_FUNC = 193,
    GLS_CONTEXT_STREAM_LIST = 208,
    GLS_READ_PREFIX_LIST = 209,
    GLS_OUT_ARG_SIZE_LIST = 224,
    GLS_OUT_ARG_POINTER_LIST = 240,
    GLS_DATA_POINTER = 256,
    GLS_READ_NAME = 288,
    GLS_WRITE_NAME = 289,
    GLS_CRC32 = 304,
    GLS_STREAM_TYPE = 305,
    GLS_EXTENSIONS = 320,
    GLS_RELEASE = 321,
    GLS_VENDOR = 322,
    GLS_WRITE_PREFIX = 323,
    GLS_BLOCK_TYPE = 336,
    GLS_CALL_NESTING = 337,
    GLS_CAPTURE_NESTING = 338,
    GLS_CONTEXT_STREAM_COUNT = 339,
    GLS_MAX_CALL_NESTING = 340,
    GLS_MAX_CAPTURE_NESTING = 341,
    GLS_OUT_ARG_COUNT = 342,
    GLS_READ_PREFIX_COUNT = 343,
    GLS_STRING_TYPE = 344,
    GLS_VERSION_MAJOR = 345,
    GLS_VERSION_MINOR = 346,
    GLS_CURRENT_TIME = 368,
    GLS_AUTHOR = 384,
    GLS_TITLE = 385,
    GLS_VERSION = 386,
    GLS_ASPECT = 400,
    GLS_CONTRAST = 401,
    GLS_GAMMA = 416,
    GLS_RED_POINT = 417,
    GLS_GREEN_POINT = 418,
    GLS_BLUE_POINT = 419,
    GLS_WHITE_POINT = 420,
    GLS_ACCUM_RED_BITS = 432,
    GLS_ACCUM_GREEN_BITS = 433,
    GLS_ACCUM_BLUE_BITS = 434,
    GLS_ACCUM_ALPHA_BITS = 435,
    GLS_AUX_BUFFERS = 436,
    GLS_COLOR_RED_BITS = 437,
    GLS_COLOR_GREEN_BITS = 438,
    GLS_COLOR_BLUE_BITS = 439,
    GLS_COLOR_ALPHA_BITS = 440,
    GLS_DEPTH_BITS = 441,
    GLS_DOUBLEBUFFER = 442,
    GLS_HEIGHT = 443,
    GLS_INDEX_BITS = 444,
    GLS_RGBA_MODE = 445,
    GLS_STENCIL_BITS = 446,
    GLS_STEREO = 447,
    GLS_TILEABLE = 448,
    GLS_CREATE_TIME = 464,
};

// The thread's pending GLS error keeps the first error raised until read.
void __glsRaiseError(GLSenum code);
GLSenum glsGetError(void);
