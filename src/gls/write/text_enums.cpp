// Text of enumerants, parameter values that name enumerants, GLS header
// values and bitfields.
#include <math.h>

#include "base/names.h"
#include "write/text_writer.h"

namespace {

const __GLStextName NO_NAME = {nullptr, 0};

// A set of bit names with their values, from the generated name tables.
struct BitNames {
    const char *const *names;
    const GLuint *values;
    int count;
};

const BitNames attribBits = {__glsGLAttribMaskNames, __glsGLAttribMaskValues,
                             __GLS_GL_ATTRIB_MASK_COUNT};
const BitNames clientAttribBits = {__glsGLClientAttribMaskNames, __glsGLClientAttribMaskValues,
                                   __GLS_GL_CLIENT_ATTRIB_MASK_COUNT};
const BitNames imageFlagBits = {__glsImageFlagNames, __glsImageFlagValues,
                                __GLS_IMAGE_FLAG_COUNT};

__GLStextName bitName(const BitNames &table, int i) {
    return {table.names[i], strlen(table.names[i])};
}

void bitfield(__GLSwriter *w, const BitNames &table, GLuint value) {
    if (!__glsTextSeparator(w)) return;
    for (int i = 0; i < table.count; ++i) {
        if (table.values[i] == value) {
            __glsTextName(w, bitName(table, i));
            return;
        }
    }
    GLuint rest = value;
    bool named = false;
    for (int i = 0; i < table.count; ++i) {
        // A name of several bits stands only where all of them are set.
        if (!(table.values[i] & rest) || (table.values[i] & ~rest)) continue;
        if (!__glsTextRoom(w)) return;
        if (named) __glsTextLiteral(w, " | ");
        __glsTextName(w, bitName(table, i));
        named = true;
        rest &= ~table.values[i];
    }
    if (rest) {
        if (!__glsTextRoom(w)) return;
        if (named) __glsTextLiteral(w, " | ");
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
void nameOrDecimal(__GLSwriter *w, __GLStextName name, GLlong value) {
    if (name.text) {
        __glsTextName(w, name);
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
    const __GLStextName name = value == 0   ? __glsTextFixedName("GL_ZERO")
                               : value == 1 ? __glsTextFixedName("GL_ONE")
                                            : __glsTextGLName(value);
    nameOrDecimal(w, name, (GLint)value);
}

void GLSAPI putDrawBuffer(__GLSwriter *w, GLenum value) {
    if (!__glsTextSeparator(w)) return;
    nameOrDecimal(w, value == 0 ? __glsTextFixedName("GL_NONE") : __glsTextGLName(value),
                  (GLint)value);
}

void GLSAPI putStencilOp(__GLSwriter *w, GLenum value) {
    if (!__glsTextSeparator(w)) return;
    nameOrDecimal(w, value == 0 ? __glsTextFixedName("GL_ZERO") : __glsTextGLName(value),
                  (GLint)value);
}

void GLSAPI putTexComponents(__GLSwriter *w, GLint value) {
    if (!__glsTextSeparator(w)) return;
    nameOrDecimal(w, (GLuint)value < 5 ? NO_NAME : __glsTextGLName((GLuint)value), value);
}

void GLSAPI putGLboolean(__GLSwriter *w, GLboolean value) {
    if (!__glsTextSeparator(w)) return;
    const __GLStextName name = __glsTextBooleanName(value);
    if (name.text) {
        __glsTextName(w, name);
    } else {
        __glsTextUnsigned(w, value);
    }
}

// The name a parameter's value carries, or none.
__GLStextName parameterName(GLenum pname, GLuint value) {
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
        return NO_NAME;
    }
}

// The name of a whole, non-negative value below 2^32, or none. A NaN is
// recognised by its bits before the value is looked at as a number.
__GLStextName realParameterName(GLenum pname, double value, bool isNaN) {
    if (isNaN || value != floor(value) || value < 0 || value > 4294967295.0) return NO_NAME;
    return parameterName(pname, (GLuint)value);
}

void floatParameter(__GLSwriter *w, GLenum pname, GLuint bits) {
    bool isNaN = (bits & 0x7F800000u) == 0x7F800000u && (bits & 0x7FFFFFu);
    float f;
    memcpy(&f, &bits, 4);
    const __GLStextName name = realParameterName(pname, isNaN ? 0.0 : (double)f, isNaN);
    if (name.text) {
        __glsTextName(w, name);
    } else {
        __glsTextFloat(w, bits);
    }
}

void doubleParameter(__GLSwriter *w, GLenum pname, GLulong bits) {
    bool isNaN = (bits & 0x7FF0000000000000ull) == 0x7FF0000000000000ull &&
                 (bits & 0xFFFFFFFFFFFFFull);
    double d;
    memcpy(&d, &bits, 8);
    const __GLStextName name = realParameterName(pname, isNaN ? 0.0 : d, isNaN);
    if (name.text) {
        __glsTextName(w, name);
    } else {
        __glsTextDouble(w, bits);
    }
}

void intParameter(__GLSwriter *w, GLenum pname, GLint value) {
    nameOrDecimal(w, value >= 0 ? parameterName(pname, (GLuint)value) : NO_NAME, value);
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
    __glsTextArrayOpen(w);
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
    nameOrDecimal(w, boolean && value >= 0 ? __glsTextBooleanName((GLuint)value) : NO_NAME,
                  value);
}

}  // namespace

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
