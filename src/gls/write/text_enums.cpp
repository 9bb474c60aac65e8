// Text of enumerants, parameter values that name enumerants, GLS header
// values and bitfields.
#include <math.h>

#include "text_writer.h"

namespace {

struct BitName {
    const char *name;
    GLuint value;
};

const BitName attribBits[] = {
    {"GL_NONE", 0},
    {"GL_CURRENT_BIT", 0x1},
    {"GL_POINT_BIT", 0x2},
    {"GL_LINE_BIT", 0x4},
    {"GL_POLYGON_BIT", 0x8},
    {"GL_POLYGON_STIPPLE_BIT", 0x10},
    {"GL_PIXEL_MODE_BIT", 0x20},
    {"GL_LIGHTING_BIT", 0x40},
    {"GL_FOG_BIT", 0x80},
    {"GL_DEPTH_BUFFER_BIT", 0x100},
    {"GL_ACCUM_BUFFER_BIT", 0x200},
    {"GL_STENCIL_BUFFER_BIT", 0x400},
    {"GL_VIEWPORT_BIT", 0x800},
    {"GL_TRANSFORM_BIT", 0x1000},
    {"GL_ENABLE_BIT", 0x2000},
    {"GL_COLOR_BUFFER_BIT", 0x4000},
    {"GL_HINT_BIT", 0x8000},
    {"GL_EVAL_BIT", 0x10000},
    {"GL_LIST_BIT", 0x20000},
    {"GL_TEXTURE_BIT", 0x40000},
    {"GL_SCISSOR_BIT", 0x80000},
    {"GL_ALL_ATTRIB_BITS", 0xFFFFF},
    {"GL_MULTISAMPLE_BIT_EXT", 0x20000000},
    {nullptr, 0},
};

const BitName clientAttribBits[] = {
    {"GL_NONE", 0},
    {"GL_CLIENT_PIXEL_STORE_BIT", 0x1},
    {"GL_CLIENT_VERTEX_ARRAY_BIT", 0x2},
    {"GL_CLIENT_ALL_ATTRIB_BITS", 0xFFFFFFFF},
    {nullptr, 0},
};

const BitName imageFlagBits[] = {
    {"GLS_NONE", 0},
    {"GLS_IMAGE_NULL_BIT", 0x1},
    {nullptr, 0},
};

void bitfield(__GLSwriter *w, const BitName *table, GLuint value) {
    if (!__glsTextSeparator(w)) return;
    for (const BitName *row = table; row->name; ++row) {
        if (row->value == value) {
            __glsTextToken(w, row->name);
            return;
        }
    }
    GLuint rest = value;
    bool named = false;
    for (const BitName *row = table; row->name; ++row) {
        if (!(row->value & rest)) continue;
        if (!__glsTextRoom(w)) return;
        if (named) __glsTextToken(w, " | ");
        __glsTextToken(w, row->name);
        named = true;
        rest &= ~row->value;
    }
    if (rest) {
        if (!__glsTextRoom(w)) return;
        if (named) __glsTextToken(w, " | ");
        __glsTextHex(w, rest);
    }
}

void GLSAPI putAttribMask(__GLSwriter *w, GLbitfield mask) { bitfield(w, attribBits, mask); }
void GLSAPI putClientAttribMask(__GLSwriter *w, GLbitfield mask) {
    bitfield(w, clientAttribBits, mask);
}
void GLSAPI putGLSimageFlags(__GLSwriter *w, GLSimageFlags flags) {
    bitfield(w, imageFlagBits, flags);
}

// A name, or the fallback number.
void nameOrDecimal(__GLSwriter *w, const char *name, GLlong value) {
    if (name) {
        __glsTextToken(w, name);
    } else {
        __glsTextDecimal(w, value);
    }
}

void GLSAPI putGLenum(__GLSwriter *w, GLenum value) {
    if (__glsTextSeparator(w)) nameOrDecimal(w, __glsTextGLName(value), (GLint)value);
}

void GLSAPI putGLSenum(__GLSwriter *w, GLSenum value) {
    if (__glsTextSeparator(w)) nameOrDecimal(w, __glsTextGLSName((GLint)value), (GLint)value);
}

void GLSAPI putBlendFactor(__GLSwriter *w, GLenum value) {
    if (!__glsTextSeparator(w)) return;
    const char *name = value == 0 ? "GL_ZERO" : value == 1 ? "GL_ONE" : __glsTextGLName(value);
    nameOrDecimal(w, name, (GLint)value);
}

void GLSAPI putDrawBuffer(__GLSwriter *w, GLenum value) {
    if (!__glsTextSeparator(w)) return;
    nameOrDecimal(w, value == 0 ? "GL_NONE" : __glsTextGLName(value), (GLint)value);
}

void GLSAPI putStencilOp(__GLSwriter *w, GLenum value) {
    if (!__glsTextSeparator(w)) return;
    nameOrDecimal(w, value == 0 ? "GL_ZERO" : __glsTextGLName(value), (GLint)value);
}

void GLSAPI putTexComponents(__GLSwriter *w, GLint value) {
    if (!__glsTextSeparator(w)) return;
    nameOrDecimal(w, (GLuint)value < 5 ? nullptr : __glsTextGLName((GLuint)value), value);
}

void GLSAPI putGLboolean(__GLSwriter *w, GLboolean value) {
    if (!__glsTextSeparator(w)) return;
    const char *name = __glsTextBooleanName(value);
    if (name) {
        __glsTextToken(w, name);
    } else {
        __glsTextUnsigned(w, value);
    }
}

// The name a parameter's value carries, or null.
const char *parameterName(GLenum pname, GLuint value) {
    switch (pname) {
    case GL_LIGHT_MODEL_LOCAL_VIEWER: case GL_LIGHT_MODEL_TWO_SIDE: case GL_UNPACK_SWAP_BYTES:
    case GL_UNPACK_LSB_FIRST: case GL_PACK_SWAP_BYTES: case GL_PACK_LSB_FIRST: case GL_MAP_COLOR:
    case GL_MAP_STENCIL:
        return __glsTextBooleanName(value);
    case GL_FOG_MODE: case GL_TEXTURE_ENV_MODE: case GL_TEXTURE_GEN_MODE:
    case GL_TEXTURE_MAG_FILTER: case GL_TEXTURE_MIN_FILTER: case GL_TEXTURE_WRAP_S:
    case GL_TEXTURE_WRAP_T: case GL_TEXTURE_WRAP_R: case GL_CONVOLUTION_BORDER_MODE:
    case GL_LIGHT_MODEL_COLOR_CONTROL:
        return __glsTextGLName(value);
    default:
        return nullptr;
    }
}

// The name of a whole, non-negative value below 2^32, or null. A NaN is
// recognised by its bits before the value is looked at as a number.
const char *realParameterName(GLenum pname, double value, bool isNaN) {
    if (isNaN || value != floor(value) || value < 0 || value > 4294967295.0) return nullptr;
    return parameterName(pname, (GLuint)value);
}

void floatParameter(__GLSwriter *w, GLenum pname, GLuint bits) {
    bool isNaN = (bits & 0x7F800000u) == 0x7F800000u && (bits & 0x7FFFFFu);
    float f;
    memcpy(&f, &bits, 4);
    const char *name = realParameterName(pname, isNaN ? 0.0 : (double)f, isNaN);
    if (name) {
        __glsTextToken(w, name);
    } else {
        __glsTextFloat(w, bits);
    }
}

void doubleParameter(__GLSwriter *w, GLenum pname, GLulong bits) {
    bool isNaN = (bits & 0x7FF0000000000000ull) == 0x7FF0000000000000ull &&
                 (bits & 0xFFFFFFFFFFFFFull);
    double d;
    memcpy(&d, &bits, 8);
    const char *name = realParameterName(pname, isNaN ? 0.0 : d, isNaN);
    if (name) {
        __glsTextToken(w, name);
    } else {
        __glsTextDouble(w, bits);
    }
}

void intParameter(__GLSwriter *w, GLenum pname, GLint value) {
    nameOrDecimal(w, value >= 0 ? parameterName(pname, (GLuint)value) : nullptr, value);
}

void GLSAPI putGLfloatOrEnum(__GLSwriter *w, GLenum pname, GLuint bits) {
    if (__glsTextSeparator(w)) floatParameter(w, pname, bits);
}

void GLSAPI putGLdoubleOrEnum(__GLSwriter *w, GLenum pname, GLulong bits) {
    if (__glsTextSeparator(w)) doubleParameter(w, pname, bits);
}

void GLSAPI putGLintOrEnum(__GLSwriter *w, GLenum pname, GLint value) {
    if (__glsTextSeparator(w)) intParameter(w, pname, value);
}

template <typename T, typename Bits, void (*text)(__GLSwriter *, GLenum, Bits)>
void GLSAPI parameterArray(__GLSwriter *w, GLenum pname, __GLScount count, const T *values) {
    if (!__glsTextSeparator(w)) return;
    *w->writePtr++ = '{';
    for (__GLScount i = 0; i < count; ++i) {
        if (!__glsTextArrayStep(w, i, count)) return;
        Bits v;
        memcpy(&v, values + i, sizeof v);
        text(w, pname, v);
    }
    __glsTextArrayEnd(w, count > 0 ? count : 0);
}

void GLSAPI putGLintOrGLSenum(__GLSwriter *w, GLSenum item, GLint value) {
    if (!__glsTextSeparator(w)) return;
    bool boolean = item == GLS_DOUBLEBUFFER || item == GLS_RGBA_MODE || item == GLS_STEREO ||
                   item == GLS_TILEABLE;
    nameOrDecimal(w, boolean && value >= 0 ? __glsTextBooleanName((GLuint)value) : nullptr, value);
}

}  // namespace

const char *__glsTextGLName(GLuint value) { return __glsGetGLEnumName(value); }

const char *__glsTextGLSName(GLint value) {
    return value >= 0 && value < 528 ? __glsGetGLSEnumName((GLSenum)value) : nullptr;
}

const char *__glsTextBooleanName(GLulong value) {
    return value == 0 ? "GL_FALSE" : value == 1 ? "GL_TRUE" : nullptr;
}

void __glsTextEnumsInit(__GLSputTable *t) {
    t->putGLSenum = putGLSenum;
    t->putGLSimageFlags = putGLSimageFlags;
    t->putAttribMask = putAttribMask;
    t->putBlendFactor = putBlendFactor;
    t->putGLboolean = putGLboolean;
    t->putClearMask = putAttribMask;
    t->putClientAttribMask = putClientAttribMask;
    t->putGLdoubleOrEnum = putGLdoubleOrEnum;
    t->putGLdoublevOrEnum = parameterArray<GLdouble, GLulong, doubleParameter>;
    t->putDrawBuffer = putDrawBuffer;
    t->putGLenum = putGLenum;
    t->putGLfloatOrEnum = putGLfloatOrEnum;
    t->putGLfloatvOrEnum = parameterArray<GLfloat, GLuint, floatParameter>;
    t->putGLintOrGLSenum = putGLintOrGLSenum;
    t->putGLintOrEnum = putGLintOrEnum;
    t->putGLintvOrEnum = parameterArray<GLint, GLint, intParameter>;
    t->putStencilOp = putStencilOp;
    t->putTexComponents = putTexComponents;
}
