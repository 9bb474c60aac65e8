// The vertex-array part of the client-state mirror: the pointer commands,
// glInterleavedArrays, and the description of the arrays that the
// vertex-array capture reads.
#include <stdint.h>
#include <string.h>

#include "base/util.h"
#include "core/client_state.h"
#include "core/context.h"
#include "core/seam.h"

extern "C" {

static __GLSvertexArrayState *__glsClientArrays(void) {
    return &__glsGetContext()->clientState.arrays;
}

// ---------------------------------------------------------- the arrays

enum {
    __GLS_KIND_COLOR,
    __GLS_KIND_EDGE_FLAG,
    __GLS_KIND_INDEX,
    __GLS_KIND_NORMAL,
    __GLS_KIND_TEXCOORD,
    __GLS_KIND_VERTEX,
    __GLS_KINDS
};

// One client array: its slots in the description (texture-coordinate slots
// are those of set 0, the active set added), the sizes its pointer command
// takes, its components when the size is fixed, and the names it is asked
// by, its buffer binding among them. -1 or 0: the array has no such field.
struct __GLSarrayKind {
    GLint arraySlot, sizeSlot, typeSlot;
    GLint minSize, maxSize, components;
    GLenum cap, sizeName, typeName, strideName, pointerName, bufferName;
};

static const __GLSarrayKind __glsArrayKinds[__GLS_KINDS] = {
    {__GLS_ARRAY_COLOR, __GLS_SIZE_COLOR, __GLS_TYPE_COLOR, 3, 4, 0, GL_COLOR_ARRAY,
     GL_COLOR_ARRAY_SIZE, GL_COLOR_ARRAY_TYPE, GL_COLOR_ARRAY_STRIDE, GL_COLOR_ARRAY_POINTER,
     GL_COLOR_ARRAY_BUFFER_BINDING},
    {__GLS_ARRAY_EDGE_FLAG, -1, -1, 0, 0, 1, GL_EDGE_FLAG_ARRAY, 0, 0, GL_EDGE_FLAG_ARRAY_STRIDE,
     GL_EDGE_FLAG_ARRAY_POINTER, GL_EDGE_FLAG_ARRAY_BUFFER_BINDING},
    {__GLS_ARRAY_INDEX, -1, __GLS_TYPE_INDEX, 0, 0, 1, GL_INDEX_ARRAY, 0, GL_INDEX_ARRAY_TYPE,
     GL_INDEX_ARRAY_STRIDE, GL_INDEX_ARRAY_POINTER, GL_INDEX_ARRAY_BUFFER_BINDING},
    {__GLS_ARRAY_NORMAL, -1, __GLS_TYPE_NORMAL, 0, 0, 3, GL_NORMAL_ARRAY, 0, GL_NORMAL_ARRAY_TYPE,
     GL_NORMAL_ARRAY_STRIDE, GL_NORMAL_ARRAY_POINTER, GL_NORMAL_ARRAY_BUFFER_BINDING},
    {__GLS_ARRAY_TEXCOORD, __GLS_SIZE_TEXCOORD, __GLS_TYPE_TEXCOORD, 1, 4, 0,
     GL_TEXTURE_COORD_ARRAY, GL_TEXTURE_COORD_ARRAY_SIZE, GL_TEXTURE_COORD_ARRAY_TYPE,
     GL_TEXTURE_COORD_ARRAY_STRIDE, GL_TEXTURE_COORD_ARRAY_POINTER,
     GL_TEXTURE_COORD_ARRAY_BUFFER_BINDING},
    {__GLS_ARRAY_VERTEX, __GLS_SIZE_VERTEX, __GLS_TYPE_VERTEX, 2, 4, 0, GL_VERTEX_ARRAY,
     GL_VERTEX_ARRAY_SIZE, GL_VERTEX_ARRAY_TYPE, GL_VERTEX_ARRAY_STRIDE, GL_VERTEX_ARRAY_POINTER,
     GL_VERTEX_ARRAY_BUFFER_BINDING},
};

// Sets of element types, one bit per type from GL_BYTE (0x1400) to
// GL_DOUBLE (0x140A).
#define __GLS_TYPE_BIT(type) (1u << ((type)-GL_BYTE))
enum : GLuint {
    __GLS_TYPES_COLOR = __GLS_TYPE_BIT(GL_BYTE) | __GLS_TYPE_BIT(GL_UNSIGNED_BYTE) |
                        __GLS_TYPE_BIT(GL_SHORT) | __GLS_TYPE_BIT(GL_UNSIGNED_SHORT) |
                        __GLS_TYPE_BIT(GL_INT) | __GLS_TYPE_BIT(GL_UNSIGNED_INT) |
                        __GLS_TYPE_BIT(GL_FLOAT) | __GLS_TYPE_BIT(GL_DOUBLE),
    __GLS_TYPES_COORD = __GLS_TYPE_BIT(GL_SHORT) | __GLS_TYPE_BIT(GL_INT) |
                        __GLS_TYPE_BIT(GL_FLOAT) | __GLS_TYPE_BIT(GL_DOUBLE),
    __GLS_TYPES_INDEX = __GLS_TYPES_COORD | __GLS_TYPE_BIT(GL_UNSIGNED_BYTE),
    __GLS_TYPES_INDEX_EXT = __GLS_TYPES_COORD,
    __GLS_TYPES_NORMAL = __GLS_TYPES_COORD | __GLS_TYPE_BIT(GL_BYTE),
    __GLS_TYPES_NONE = 0,
};
#undef __GLS_TYPE_BIT

static GLboolean __glsTypeInSet(GLenum type, GLuint types) {
    return type >= GL_BYTE && type <= GL_DOUBLE && ((types >> (type - GL_BYTE)) & 1u);
}

// The slot of an array kind's field; texture coordinates of the active set.
static GLint __glsKindSlot(const __GLSvertexArrayState *arrays, GLint kind, GLint slot) {
    return kind == __GLS_KIND_TEXCOORD ? slot + __glsActiveTextureSet(arrays) : slot;
}

// Records a pointer command's arguments in the mirror when every one of
// them is valid; count is null for the commands without one.
static void __glsClientRecordPointer(GLint kind, GLuint types, GLint size, GLenum type,
                                     GLsizei stride, const GLsizei *count, const void *pointer) {
    const __GLSarrayKind *k = &__glsArrayKinds[kind];
    if (stride < 0 || (count && *count < 0)) return;
    if (k->sizeSlot >= 0 && (size < k->minSize || size > k->maxSize)) return;
    if (k->typeSlot >= 0 && !__glsTypeInSet(type, types)) return;
    __GLSvertexArrayState *arrays = __glsClientArrays();
    GLint slot = __glsKindSlot(arrays, kind, k->arraySlot);
    if (k->sizeSlot >= 0) arrays->size[__glsKindSlot(arrays, kind, k->sizeSlot)] = size;
    if (k->typeSlot >= 0) arrays->type[__glsKindSlot(arrays, kind, k->typeSlot)] = type;
    arrays->stride[slot] = stride;
    arrays->pointer[slot] = (GLvoid *)pointer;
    if (count) arrays->count[slot] = *count;
}

void __glsArrayStateInit(__GLSvertexArrayState *state) {
    memset(state, 0, sizeof *state);
    for (GLint i = 0; i < __GLS_SIZE_SLOTS; ++i) state->size[i] = 4;
    for (GLint i = 0; i < __GLS_TYPE_SLOTS; ++i) state->type[i] = GL_FLOAT;
}

// ------------------------------------------------------ pointer commands

void GLSAPI __gls_client_glColorPointer(GLint size, GLenum type, GLsizei stride,
                                        const void *pointer) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glColorPointer)(size, type, stride, pointer);
    }
    __glsClientRecordPointer(__GLS_KIND_COLOR, __GLS_TYPES_COLOR, size, type, stride, nullptr,
                             pointer);
}

void GLSAPI __gls_client_glEdgeFlagPointer(GLsizei stride, const void *pointer) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glEdgeFlagPointer)(stride, pointer);
    }
    __glsClientRecordPointer(__GLS_KIND_EDGE_FLAG, __GLS_TYPES_NONE, 0, 0, stride, nullptr,
                             pointer);
}

void GLSAPI __gls_client_glIndexPointer(GLenum type, GLsizei stride, const void *pointer) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glIndexPointer)(type, stride, pointer);
    }
    __glsClientRecordPointer(__GLS_KIND_INDEX, __GLS_TYPES_INDEX, 0, type, stride, nullptr,
                             pointer);
}

void GLSAPI __gls_client_glNormalPointer(GLenum type, GLsizei stride, const void *pointer) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glNormalPointer)(type, stride, pointer);
    }
    __glsClientRecordPointer(__GLS_KIND_NORMAL, __GLS_TYPES_NORMAL, 0, type, stride, nullptr,
                             pointer);
}

void GLSAPI __gls_client_glTexCoordPointer(GLint size, GLenum type, GLsizei stride,
                                           const void *pointer) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glTexCoordPointer)(size, type, stride, pointer);
    }
    __glsClientRecordPointer(__GLS_KIND_TEXCOORD, __GLS_TYPES_COORD, size, type, stride, nullptr,
                             pointer);
}

void GLSAPI __gls_client_glVertexPointer(GLint size, GLenum type, GLsizei stride,
                                         const void *pointer) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glVertexPointer)(size, type, stride, pointer);
    }
    __glsClientRecordPointer(__GLS_KIND_VERTEX, __GLS_TYPES_COORD, size, type, stride, nullptr,
                             pointer);
}

void GLSAPI __gls_client_glColorPointerEXT(GLint size, GLenum type, GLsizei stride, GLsizei count,
                                           const void *pointer) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glColorPointerEXT)(size, type, stride, count,
                                                                 pointer);
    }
    __glsClientRecordPointer(__GLS_KIND_COLOR, __GLS_TYPES_COLOR, size, type, stride, &count,
                             pointer);
}

void GLSAPI __gls_client_glEdgeFlagPointerEXT(GLsizei stride, GLsizei count,
                                              const GLboolean *pointer) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glEdgeFlagPointerEXT)(stride, count, pointer);
    }
    __glsClientRecordPointer(__GLS_KIND_EDGE_FLAG, __GLS_TYPES_NONE, 0, 0, stride, &count,
                             pointer);
}

void GLSAPI __gls_client_glIndexPointerEXT(GLenum type, GLsizei stride, GLsizei count,
                                           const void *pointer) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glIndexPointerEXT)(type, stride, count, pointer);
    }
    __glsClientRecordPointer(__GLS_KIND_INDEX, __GLS_TYPES_INDEX_EXT, 0, type, stride, &count,
                             pointer);
}

void GLSAPI __gls_client_glNormalPointerEXT(GLenum type, GLsizei stride, GLsizei count,
                                            const void *pointer) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glNormalPointerEXT)(type, stride, count, pointer);
    }
    __glsClientRecordPointer(__GLS_KIND_NORMAL, __GLS_TYPES_NORMAL, 0, type, stride, &count,
                             pointer);
}

void GLSAPI __gls_client_glTexCoordPointerEXT(GLint size, GLenum type, GLsizei stride,
                                              GLsizei count, const void *pointer) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glTexCoordPointerEXT)(size, type, stride, count,
                                                                    pointer);
    }
    __glsClientRecordPointer(__GLS_KIND_TEXCOORD, __GLS_TYPES_COORD, size, type, stride, &count,
                             pointer);
}

void GLSAPI __gls_client_glVertexPointerEXT(GLint size, GLenum type, GLsizei stride,
                                            GLsizei count, const void *pointer) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glVertexPointerEXT)(size, type, stride, count,
                                                                  pointer);
    }
    __glsClientRecordPointer(__GLS_KIND_VERTEX, __GLS_TYPES_COORD, size, type, stride, &count,
                             pointer);
}

// -------------------------------------------------------- interleaved

void GLSAPI __gls_client_glInterleavedArrays(GLenum format, GLsizei stride, const void *pointer) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glInterleavedArrays)(format, stride, pointer);
    }
    const __GLSinterleavedFormat *row = __glsInterleavedFormat(format);
    if (!row || stride < 0) return;
    __GLSvertexArrayState *arrays = __glsClientArrays();
    const GLint set = __glsActiveTextureSet(arrays);
    arrays->enabled[__GLS_ARRAY_COLOR] = row->hasColor;
    arrays->enabled[__GLS_ARRAY_NORMAL] = row->hasNormal;
    arrays->enabled[__GLS_ARRAY_TEXCOORD + set] = row->hasTexCoord;
    arrays->enabled[__GLS_ARRAY_EDGE_FLAG] = 0;
    arrays->enabled[__GLS_ARRAY_INDEX] = 0;
    arrays->enabled[__GLS_ARRAY_VERTEX] = 1;
    if (stride == 0) stride = row->stride;
    if (row->hasColor) {
        arrays->size[__GLS_SIZE_COLOR] = row->colorSize;
        arrays->type[__GLS_TYPE_COLOR] = row->colorType;
        arrays->stride[__GLS_ARRAY_COLOR] = stride;
        arrays->pointer[__GLS_ARRAY_COLOR] = __glsSkipBytes((GLvoid *)pointer, row->colorOffset);
    }
    if (row->hasNormal) {
        arrays->type[__GLS_TYPE_NORMAL] = GL_FLOAT;
        arrays->stride[__GLS_ARRAY_NORMAL] = stride;
        arrays->pointer[__GLS_ARRAY_NORMAL] = __glsSkipBytes((GLvoid *)pointer, row->normalOffset);
    }
    if (row->hasTexCoord) {
        arrays->size[__GLS_SIZE_TEXCOORD + set] = row->texCoordSize;
        arrays->type[__GLS_TYPE_TEXCOORD + set] = GL_FLOAT;
        arrays->stride[__GLS_ARRAY_TEXCOORD + set] = stride;
        arrays->pointer[__GLS_ARRAY_TEXCOORD + set] = (GLvoid *)pointer;
    }
    arrays->size[__GLS_SIZE_VERTEX] = row->vertexSize;
    arrays->type[__GLS_TYPE_VERTEX] = GL_FLOAT;
    arrays->stride[__GLS_ARRAY_VERTEX] = stride;
    arrays->pointer[__GLS_ARRAY_VERTEX] = __glsSkipBytes((GLvoid *)pointer, row->vertexOffset);
}

// ------------------------------------------------------------- queries

GLboolean __glsQueryArrayState(__GLSvertexArrayState *state) {
    GLint tokenInteger = __glsBeginCaptureExec(__GLS_OP_glGetIntegerv);
    GLint tokenPointer = __glsBeginCaptureExec(__GLS_OP_glGetPointerv);
    GLint tokenEnabled = __glsBeginCaptureExec(__GLS_OP_glIsEnabled);
    // Only set 0 is asked: nothing selects another.
    state->activeTexture = 0;
    GLboolean any = GL_FALSE;
    for (GLint kind = 0; kind < __GLS_KINDS; ++kind) {
        const __GLSarrayKind *k = &__glsArrayKinds[kind];
        GLint slot = k->arraySlot;
        // GL answers with a byte; nothing above it counts.
        GLint enabled = (GLubyte)__gls_client_glIsEnabled(k->cap) != 0;
        state->enabled[slot] = enabled;
        if (!enabled) continue;
        any = GL_TRUE;
        GLint components = k->components;
        GLint typeBytes = 1;
        if (k->sizeSlot >= 0) {
            __gls_client_glGetIntegerv(k->sizeName, &state->size[k->sizeSlot]);
            components = state->size[k->sizeSlot];
        }
        if (k->typeSlot >= 0) {
            GLint type = (GLint)state->type[k->typeSlot];
            __gls_client_glGetIntegerv(k->typeName, &type);
            state->type[k->typeSlot] = (GLenum)type;
            typeBytes = __glsTypeSize((GLenum)type);
        }
        __gls_client_glGetIntegerv(k->strideName, &state->stride[slot]);
        void *pointer = state->pointer[slot];
        __gls_client_glGetPointerv(k->pointerName, &pointer);
        state->pointer[slot] = pointer;
        if (state->stride[slot] == 0) state->stride[slot] = components * typeBytes;
    }
    for (GLint set = 1; set < __GLS_TEXTURE_COORD_SETS; ++set) {
        state->enabled[__GLS_ARRAY_TEXCOORD + set] = 0;
    }
    __glsEndCaptureExec(__GLS_OP_glGetIntegerv, tokenInteger);
    __glsEndCaptureExec(__GLS_OP_glGetPointerv, tokenPointer);
    __glsEndCaptureExec(__GLS_OP_glIsEnabled, tokenEnabled);
    return any;
}

GLboolean __glsArraysFromBuffers(const __GLSvertexArrayState *state) {
    __GLSglInfo *info = &__glsGetContext()->glInfo;
    for (GLint kind = 0; kind < __GLS_KINDS; ++kind) {
        const __GLSarrayKind *k = &__glsArrayKinds[kind];
        if (state->enabled[k->arraySlot] && __glsBoundBuffer(info, k->bufferName)) return GL_TRUE;
    }
    return GL_FALSE;
}

}  // extern "C"
