// The constant name tables of the GLS text form: GLS enumerants by group, GL
// enumerants by page of 256 values, the read-only further names of both, and
// the mask-bit and image-flag names. The tables themselves are generated
// (gls_names.cpp); they never change and are read without a lock.
#pragma once

#include "base/gls.h"

extern "C" {

// count is one more than the highest index that has a name, 0 for an empty
// page; names[i] is null where a value has no name, and lengths[i] is the
// length of names[i].
struct __GLSnamePage {
    GLint count;
    const char *const *names;
    const GLubyte *lengths;
};

// A further name under which a value is read; never written.
struct __GLSnameAlias {
    GLuint value;
    const char *name;
};

// The counts of the tables (__GLS_ENUM_PAGE_COUNT, ...) are generated with
// the GLS enumerants in gls_enums.h.

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

// The same two lookups with the name's length, for the text writer, which
// writes names on every call.
static inline const char *__glsPageNameLength(const __GLSnamePage *pages, GLuint pageCount,
                                              GLuint page, GLuint index, size_t *length) {
    if (page >= pageCount || index >= (GLuint)pages[page].count) return nullptr;
    *length = pages[page].lengths[index];
    return pages[page].names[index];
}

static inline const char *__glsEnumNameLength(GLint value, size_t *length) {
    if (value < 0) return nullptr;
    return __glsPageNameLength(__glsEnumPages, __GLS_ENUM_PAGE_COUNT, (GLuint)value / 16,
                               (GLuint)value % 16, length);
}

static inline const char *__glsGLEnumNameLength(GLuint value, size_t *length) {
    return __glsPageNameLength(__glsGLEnumPages, __GLS_GL_ENUM_PAGE_COUNT, value >> 8,
                               value & 255, length);
}
