#include "base/names.h"

extern "C" {

const char *__glsEnumName(GLint value) {
    size_t length;
    return __glsEnumNameLength(value, &length);
}

const char *__glsGLEnumName(GLuint value) {
    size_t length;
    return __glsGLEnumNameLength(value, &length);
}

}  // extern "C"
