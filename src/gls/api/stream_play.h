// The stream calls of the programming interface on streams that are read
// through the reader rather than held in memory.
#pragma once

#include "read/reader.h"

extern "C" {

// Decodes every section of the named stream (UTF-8) through the current
// context; its type, or 0 with GLS_PARAMETER_ERROR when it opens nowhere
// or begins with no section.
GLSenum __glsCallReadStream(const GLubyte *utf8Name);

// Decodes the named stream into a capture of the destination (a name in
// the context's string type) of the given type, or of the source's own
// type when that is 0; the source's type, or 0.
GLSenum __glsCopyReadStream(const GLubyte *utf8Source, const GLvoid *destination,
                            GLSenum destinationType, GLbitfield writeFlags);

}  // extern "C"
