// GLS types and the GLS enumerant values the programming interface answers
// with. GL types and enumerants come from the generated gl_types.h.
#pragma once

#include "gl_types.h"
#include "base/platform.h"

typedef GLuint GLSenum;
typedef GLint GLSopcode;
typedef GLbitfield GLSimageFlags;
typedef GLint64 GLlong;
typedef GLuint64 GLulong;

// GLS enumerant values, generated from the GLS name table.
#include "gls_enums.h"

// Every per-command table has one slot per opcode below this.
enum { GLS_OP_COUNT = 496 };

// The thread's pending GLS error keeps the first error raised until read.
void __glsRaiseError(GLSenum code);
GLSenum glsGetError(void);
