#include "base/names.h"

extern "C" {

static const char *pageName(const __GLSnamePage *pages, GLuint pageCount, GLuint page,
                            GLuint index) {
    if (page >= pageCount || index >= (GLuint)pages[page].count) return nullptr;
    return pages[page].names[index];
}

const char *__glsEnumName(GLint value) {
    if (value < 0) return nullptr;
    return pageName(__glsEnumPages, __GLS_ENUM_PAGE_COUNT, (GLuint)value / 16, (GLuint)value % 16);
}

const char *__glsGLEnumName(GLuint value) {
    return pageName(__glsGLEnumPages, __GLS_GL_ENUM_PAGE_COUNT, value >> 8, value & 255);
}

}  // extern "C"
