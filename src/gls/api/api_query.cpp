// Queries about commands, enumerants, extensions and versions. Only the
// string results, which live in the context's scratch buffer, and the
// extension test, which may ask the real GL, need a current context.
#include <string.h>

#include "api/api.h"
#include "base/names.h"
#include "core/opcodes.h"
#include "core/seam.h"

extern "C" {

const char __glsExtensions[] =
    "__GL_EXT_abgr __GL_EXT_blend_color __GL_EXT_blend_logic_op __GL_EXT_blend_minmax "
    "__GL_EXT_blend_subtract __GL_EXT_cmyka __GL_EXT_convolution __GL_EXT_copy_texture "
    "__GL_EXT_histogram __GL_EXT_packed_pixels __GL_EXT_polygon_offset __GL_EXT_rescale_normal "
    "__GL_EXT_subtexture __GL_EXT_texture __GL_EXT_texture3D __GL_EXT_texture_object "
    "__GL_EXT_vertex_array ";

// ------------------------------------------------ commands and enumerants

GLSenum glsBinary(GLboolean swapped) {
    return (swapped & 1) ? GLS_BINARY_MSB_FIRST : GLS_BINARY_LSB_FIRST;
}

GLint glsGetCommandi(GLSopcode opcode, GLSenum attrib) {
    if (!__glsValidOpcode(opcode)) return 0;
    switch (attrib) {
    case GLS_API: return opcode < 48 ? GLS_API_GLS : GLS_API_GL;
    case GLS_IS_CLIENT_COMMAND: return (__glsOpAttributes[opcode] & __GLS_ATTRIB_CLIENT) != 0;
    case GLS_IS_GET_COMMAND: return (__glsOpAttributes[opcode] & __GLS_ATTRIB_GET) != 0;
    }
    __glsRaiseError(GLS_PARAMETER_ERROR);
    return 0;
}

// The GL state held on the client side, as inclusive ranges of values.
static const GLuint __glsClientEnumRanges[][2] = {
    {0x0BB1, 0x0BB1},  // GL_CLIENT_ATTRIB_STACK_DEPTH
    {0x0CF0, 0x0CF5},  // GL_UNPACK_SWAP_BYTES .. GL_UNPACK_ALIGNMENT
    {0x0D00, 0x0D05},  // GL_PACK_SWAP_BYTES .. GL_PACK_ALIGNMENT
    {0x0D3B, 0x0D3B},  // GL_MAX_CLIENT_ATTRIB_STACK_DEPTH
    {0x0DF0, 0x0DF4},  // GL_FEEDBACK_BUFFER_POINTER .. GL_SELECTION_BUFFER_SIZE
    {0x806B, 0x806E},  // GL_PACK_SKIP_IMAGES .. GL_UNPACK_IMAGE_HEIGHT
    {0x8074, 0x8093},  // GL_VERTEX_ARRAY .. GL_EDGE_FLAG_ARRAY_POINTER
};

GLint glsGetEnumi(GLSenum api, GLuint value, GLSenum attrib) {
    if (attrib == GLS_IS_CLIENT_ENUM && api == GLS_API_GLS) return 0;
    if (attrib == GLS_IS_CLIENT_ENUM && api == GLS_API_GL) {
        for (const auto &range : __glsClientEnumRanges) {
            if (value >= range[0] && value <= range[1]) return 1;
        }
        return 0;
    }
    __glsRaiseError(GLS_PARAMETER_ERROR);
    return 0;
}

GLint glsGetOpcodeCount(GLSenum api) {
    if (api == GLS_API_GLS) return __GLS_OPCODES_GLS_COUNT;
    if (api == GLS_API_GL) return __GLS_OPCODES_GL_COUNT;
    __glsRaiseError(GLS_PARAMETER_ERROR);
    return 0;
}

const GLSopcode *glsGetOpcodes(GLSenum api) {
    if (api == GLS_API_GLS) return __glsOpcodesGLS;
    if (api == GLS_API_GL) return __glsOpcodesGL;
    __glsRaiseError(GLS_PARAMETER_ERROR);
    return nullptr;
}

const GLubyte *glsOpcodeString(GLSopcode opcode) {
    if (!__glsRequireContext() || !__glsValidOpcode(opcode)) return nullptr;
    return __glsScratchString(__glsGetContext(), (const GLubyte *)__glsOpNames[opcode]);
}

GLSopcode glsOpcodeFromString(const GLubyte *name) {
    if (!__glsRequireContext()) return 0;
    __GLSutf8Arg arg;
    if (!__glsStringArg(&arg, __glsGetContext(), name)) {
        __glsArgToUtf8Free(&arg);
        return 0;
    }
    const char *text = (const char *)arg.text;
    GLSopcode found = 0;
    for (GLSopcode op = 0; op < GLS_OP_COUNT && !found; ++op) {
        if (__glsOpNames[op] && strcmp(__glsOpNames[op], text) == 0) found = op;
    }
    for (GLint i = 0; i < __GLS_OP_ALIAS_COUNT && !found; ++i) {
        if (strcmp(__glsOpAliases[i].name, text) == 0) found = __glsOpAliases[i].opcode;
    }
    __glsArgToUtf8Free(&arg);
    return found;
}

// The name of value in a table of pages of pageSize values; null when the
// value lies outside the table or has no name.
static const char *__glsPageName(const __GLSnamePage *pages, GLint pageCount, GLint pageSize,
                                 GLint value) {
    if (value < 0) return nullptr;
    GLint page = value / pageSize;
    GLint index = value % pageSize;
    if (page >= pageCount || index >= pages[page].count) return nullptr;
    return pages[page].names[index];
}

const GLubyte *glsEnumString(GLSenum api, GLint value) {
    if (!__glsRequireContext()) return nullptr;
    const char *name = nullptr;
    if (api == GLS_API_GLS) {
        name = __glsPageName(__glsEnumPages, __GLS_ENUM_PAGE_COUNT, 16, value);
    } else if (api == GLS_API_GL) {
        name = __glsPageName(__glsGLEnumPages, __GLS_GL_ENUM_PAGE_COUNT, 256, value);
    }
    if (!name) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return nullptr;
    }
    return __glsScratchString(__glsGetContext(), (const GLubyte *)name);
}

// The value of name in a table of pages, then among its further names; -1
// when neither knows it.
static GLint __glsPageValue(const __GLSnamePage *pages, GLint pageCount, GLint pageSize,
                            const __GLSnameAlias *aliases, GLint aliasCount, const char *name) {
    for (GLint page = 0; page < pageCount; ++page) {
        for (GLint i = 0; i < pages[page].count; ++i) {
            const char *candidate = pages[page].names[i];
            if (candidate && strcmp(candidate, name) == 0) return page * pageSize + i;
        }
    }
    for (GLint i = 0; i < aliasCount; ++i) {
        if (strcmp(aliases[i].name, name) == 0) return (GLint)aliases[i].value;
    }
    return -1;
}

GLint glsEnumFromString(GLSenum api, const GLubyte *name) {
    if (!__glsRequireContext()) return 0;
    if (api != GLS_API_GLS && api != GLS_API_GL) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return 0;
    }
    __GLSutf8Arg arg;
    if (!__glsStringArg(&arg, __glsGetContext(), name)) {
        __glsArgToUtf8Free(&arg);
        return 0;
    }
    const char *text = (const char *)arg.text;
    GLint value = api == GLS_API_GLS
                      ? __glsPageValue(__glsEnumPages, __GLS_ENUM_PAGE_COUNT, 16, __glsEnumAliases,
                                       __GLS_ENUM_ALIAS_COUNT, text)
                      : __glsPageValue(__glsGLEnumPages, __GLS_GL_ENUM_PAGE_COUNT, 256,
                                       __glsGLEnumAliases, __glsGLEnumAliasCount, text);
    __glsArgToUtf8Free(&arg);
    return value;
}

// ---------------------------------------------- extensions and versions

// A hit must end at a blank or at the end of the list; its start is not
// examined, so a name matching the tail of a listed name is found.
GLboolean __glsFindExtension(const GLubyte *name, const GLubyte *list) {
    size_t length = strlen((const char *)name);
    // The empty name occurs everywhere and would never advance the search.
    if (length == 0) return GL_FALSE;
    const char *at = (const char *)list;
    while ((at = strstr(at, (const char *)name)) != nullptr) {
        char after = at[length];
        if (after == '\0' || after == ' ') return GL_TRUE;
        ++at;
    }
    return GL_FALSE;
}

GLboolean glsIsExtensionSupported(const GLubyte *extension) {
    if (!__glsRequireContext()) return GL_FALSE;
    __GLSutf8Arg arg;
    if (!__glsStringArg(&arg, __glsGetContext(), extension)) {
        __glsArgToUtf8Free(&arg);
        return GL_FALSE;
    }
    GLboolean result = __glsFindExtension(arg.text, (const GLubyte *)__glsExtensions);
    if (result && strncmp((const char *)arg.text, "GL_", 3) == 0) {
        // The real GL has the last word, when one answers.
        GLint lights = 0;
        GLint token = __glsBeginCaptureExec(__GLS_OP_glGetIntegerv);
        __GLS_SLOT(__glsDefaultDispatchTable, glGetIntegerv)(GL_MAX_LIGHTS, &lights);
        __glsEndCaptureExec(__GLS_OP_glGetIntegerv, token);
        if (lights) {
            token = __glsBeginCaptureExec(__GLS_OP_glGetString);
            const GLubyte *real = __GLS_SLOT(__glsDefaultDispatchTable, glGetString)(GL_EXTENSIONS);
            __glsEndCaptureExec(__GLS_OP_glGetString, token);
            if (real && !__glsFindExtension(arg.text, real)) result = GL_FALSE;
        }
    }
    __glsArgToUtf8Free(&arg);
    return result;
}

GLboolean __glsIsVersionSupported(GLSenum api, GLint major, GLint minor) {
    if (api == GLS_API_GLS) return major == 1 && minor <= 0;
    if (api == GLS_API_GL) {
        if (!__glsRequireContext()) return GL_FALSE;
        __GLScontext *ctx = __glsGetContext();
        __glsGLInfoReset(&ctx->glInfo);
        GLint realMajor, realMinor;
        __glsGLVersion(&ctx->glInfo, &realMajor, &realMinor);
        return realMajor == major && realMinor >= minor;
    }
    __glsRaiseError(GLS_PARAMETER_ERROR);
    return GL_FALSE;
}

}  // extern "C"
