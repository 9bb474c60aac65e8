// The constant name tables of the GLS text form: GLS enumerants by group, GL
// enumerants by page of 256 values, the read-only further names of both, and
// the mask-bit and image-flag names. The tables themselves are generated
// (gls_names.cpp); they never change and are read without a lock.
#pragma once

#include "base/gls.h"

extern "C" {

// count is one more than the highest index that has a name, 0 for an empty
// page; names[i] is null where a value has no name.
struct __GLSnamePage {
    GLint count;
    const char *const *names;
};

// A further name under which a value is read; never written.
struct __GLSnameAlias {
    GLuint value;
    const char *name;
};

enum {
    __GLS_ENUM_PAGE_COUNT = 33,     // GLS value = group * 16 + index
    __GLS_GL_ENUM_PAGE_COUNT = 133, // GL value = page * 256 + index
    __GLS_ENUM_ALIAS_COUNT = 2,
    __GLS_GL_ATTRIB_MASK_COUNT = 23,
    __GLS_GL_CLIENT_ATTRIB_MASK_COUNT = 4,
    __GLS_IMAGE_FLAG_COUNT = 2,
};

extern const __GLSnamePage __glsEnumPages[__GLS_ENUM_PAGE_COUNT];
extern const __GLSnameAlias __glsEnumAliases[__GLS_ENUM_ALIAS_COUNT];
extern const __GLSnamePage __glsGLEnumPages[__GLS_GL_ENUM_PAGE_COUNT];
extern const __GLSnameAlias __glsGLEnumAliases[];
extern const GLint __glsGLEnumAliasCount;

// Parallel arrays, in the order the text writer tries the bits.
extern const char *const __glsGLAttribMaskNames[__GLS_GL_ATTRIB_MASK_COUNT];
extern const GLuint __glsGLAttribMaskValues[__GLS_GL_ATTRIB_MASK_COUNT];
extern const char *const __glsGLClientAttribMaskNames[__GLS_GL_CLIENT_ATTRIB_MASK_COUNT];
extern const GLuint __glsGLClientAttribMaskValues[__GLS_GL_CLIENT_ATTRIB_MASK_COUNT];
extern const char *const __glsImageFlagNames[__GLS_IMAGE_FLAG_COUNT];
extern const GLuint __glsImageFlagValues[__GLS_IMAGE_FLAG_COUNT];

// The name a GLS value is written under; null for a negative value or one
// without a name.
const char *__glsEnumName(GLint value);
// The name a GL value is written under; null for a value without one.
const char *__glsGLEnumName(GLuint value);

}  // extern "C"
