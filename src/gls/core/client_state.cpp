// The client-state mirror: its life, the enables, the pixel store, the
// client attribute stack, the feedback and selection buffers and the
// queries. The vertex-array pointers are kept in client_arrays.cpp.
#include "core/client_state.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "base/util.h"
#include "core/context.h"
#include "core/seam.h"

extern "C" {

static __GLSclientState *__glsClient(void) { return &__glsGetContext()->clientState; }

GLboolean __glsClientHaveGL(void) {
    __GLScontext *ctx = __glsGetContext();
    return ctx->clientRealAlways || __glsHaveGLContext(&ctx->glInfo);
}

// ------------------------------------------------------------------ life

void __glsPixelStoreInit(__GLSpixelStore *store) {
    memset(store, 0, sizeof *store);
    store->alignment = 4;
}

static void __glsBufferHolderFree(__GLSbufferHolder *holder) {
    __glsBlockFree(holder->buffer);
    for (GLint i = 0; i < holder->retiredCount; ++i) __glsBlockFree(holder->retired[i]);
    memset(holder, 0, sizeof *holder);
}

void __glsClientStateInit(__GLSclientState *state) {
    memset(state, 0, sizeof *state);
    state->feedbackType = GL_2D;
    __glsPixelStoreInit(&state->pack);
    __glsPixelStoreInit(&state->unpack);
    __glsArrayStateInit(&state->arrays);
}

void __glsClientStateFree(__GLSclientState *state) {
    __glsBufferHolderFree(&state->feedbackHolder);
    __glsBufferHolderFree(&state->selectHolder);
}

// -------------------------------------------------- feedback and selection

void GLSAPI __gls_client_glFeedbackBuffer(GLsizei size, GLenum type, GLfloat *buffer) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glFeedbackBuffer)(size, type, buffer);
        return;
    }
    if (size < 0 || type < GL_2D || type > GL_4D_COLOR_TEXTURE) return;
    __GLSclientState *state = __glsClient();
    state->feedbackSize = size;
    state->feedbackType = type;
    state->feedbackBuffer = buffer;
}

void GLSAPI __gls_client_glSelectBuffer(GLsizei size, GLuint *buffer) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glSelectBuffer)(size, buffer);
        return;
    }
    if (size < 0) return;
    __GLSclientState *state = __glsClient();
    state->selectSize = size;
    state->selectBuffer = buffer;
}

GLvoid *__glsGrowBuffer(__GLSbufferHolder *holder, size_t byteCount) {
    if (holder->buffer && holder->byteSize >= byteCount) return holder->buffer;
    const size_t doubled = holder->byteSize <= SIZE_MAX / 2 ? 2 * holder->byteSize : SIZE_MAX;
    size_t size = byteCount > doubled ? byteCount : doubled;
    GLvoid *buffer = __glsBlockAlloc(size);
    if (!buffer && size > byteCount) buffer = __glsBlockAlloc(size = byteCount);
    if (!buffer) return nullptr;
    if (holder->buffer) {
        // Without doubling the count is not bounded: the oldest goes.
        if (holder->retiredCount == (GLint)(sizeof holder->retired / sizeof holder->retired[0])) {
            __glsBlockFree(holder->retired[0]);
            memmove(holder->retired, holder->retired + 1,
                    sizeof holder->retired - sizeof holder->retired[0]);
            --holder->retiredCount;
        }
        holder->retired[holder->retiredCount++] = holder->buffer;
    }
    holder->buffer = buffer;
    holder->byteSize = size;
    return buffer;
}

GLfloat *__glsGetFeedbackBuffer(__GLScontext *ctx, size_t byteCount) {
    return (GLfloat *)__glsGrowBuffer(&ctx->clientState.feedbackHolder, byteCount);
}

GLuint *__glsGetSelectBuffer(__GLScontext *ctx, size_t byteCount) {
    return (GLuint *)__glsGrowBuffer(&ctx->clientState.selectHolder, byteCount);
}

// --------------------------------------------------------------- enables

// The mirror's enable flag of a client-array capability, or null.
static GLint *__glsClientEnableFlag(GLenum cap) {
    __GLSvertexArrayState *arrays = &__glsClient()->arrays;
    switch (cap) {
    case GL_VERTEX_ARRAY: return &arrays->enabled[__GLS_ARRAY_VERTEX];
    case GL_NORMAL_ARRAY: return &arrays->enabled[__GLS_ARRAY_NORMAL];
    case GL_COLOR_ARRAY: return &arrays->enabled[__GLS_ARRAY_COLOR];
    case GL_INDEX_ARRAY: return &arrays->enabled[__GLS_ARRAY_INDEX];
    case GL_TEXTURE_COORD_ARRAY:
        return &arrays->enabled[__GLS_ARRAY_TEXCOORD + __glsActiveTextureSet(arrays)];
    case GL_EDGE_FLAG_ARRAY: return &arrays->enabled[__GLS_ARRAY_EDGE_FLAG];
    default: return nullptr;
    }
}

void __glsClientEnableArray(GLenum cap) {
    GLint *flag = __glsClientEnableFlag(cap);
    if (flag) *flag = 1;
}

void __glsClientDisableArray(GLenum cap) {
    GLint *flag = __glsClientEnableFlag(cap);
    if (flag) *flag = 0;
}

void GLSAPI __gls_client_glEnable(GLenum cap) {
    if (__glsClientHaveGL()) __GLS_SLOT(__glsDefaultDispatchTable, glEnable)(cap);
    __glsClientEnableArray(cap);
}

void GLSAPI __gls_client_glDisable(GLenum cap) {
    if (__glsClientHaveGL()) __GLS_SLOT(__glsDefaultDispatchTable, glDisable)(cap);
    __glsClientDisableArray(cap);
}

void GLSAPI __gls_client_glEnableClientState(GLenum array) {
    if (__glsClientHaveGL()) __GLS_SLOT(__glsDefaultDispatchTable, glEnableClientState)(array);
    __glsClientEnableArray(array);
}

void GLSAPI __gls_client_glDisableClientState(GLenum array) {
    if (__glsClientHaveGL()) __GLS_SLOT(__glsDefaultDispatchTable, glDisableClientState)(array);
    __glsClientDisableArray(array);
}

GLboolean GLSAPI __gls_client_glIsEnabled(GLenum cap) {
    if (__glsClientHaveGL()) return __GLS_SLOT(__glsDefaultDispatchTable, glIsEnabled)(cap);
    const GLint *flag = __glsClientEnableFlag(cap);
    return flag && *flag ? GL_TRUE : GL_FALSE;
}

// ----------------------------------------------------------- pixel store

// The mode's field in the pack or unpack store, or null; *accepted tells
// which values it takes.
enum { __GLS_ACCEPT_BOOLEAN, __GLS_ACCEPT_COUNT, __GLS_ACCEPT_ALIGNMENT };

static GLint *__glsClientPixelField(GLenum mode, GLint *accepted) {
    __GLSclientState *state = __glsClient();
    __GLSpixelStore *unpack = &state->unpack, *pack = &state->pack;
    *accepted = __GLS_ACCEPT_COUNT;
    switch (mode) {
    case GL_UNPACK_SWAP_BYTES: *accepted = __GLS_ACCEPT_BOOLEAN; return &unpack->swapBytes;
    case GL_PACK_SWAP_BYTES: *accepted = __GLS_ACCEPT_BOOLEAN; return &pack->swapBytes;
    case GL_UNPACK_LSB_FIRST: *accepted = __GLS_ACCEPT_BOOLEAN; return &unpack->lsbFirst;
    case GL_PACK_LSB_FIRST: *accepted = __GLS_ACCEPT_BOOLEAN; return &pack->lsbFirst;
    case GL_UNPACK_ROW_LENGTH: return &unpack->rowLength;
    case GL_PACK_ROW_LENGTH: return &pack->rowLength;
    case GL_UNPACK_SKIP_ROWS: return &unpack->skipRows;
    case GL_PACK_SKIP_ROWS: return &pack->skipRows;
    case GL_UNPACK_SKIP_PIXELS: return &unpack->skipPixels;
    case GL_PACK_SKIP_PIXELS: return &pack->skipPixels;
    case GL_UNPACK_ALIGNMENT: *accepted = __GLS_ACCEPT_ALIGNMENT; return &unpack->alignment;
    case GL_PACK_ALIGNMENT: *accepted = __GLS_ACCEPT_ALIGNMENT; return &pack->alignment;
    case GL_UNPACK_SKIP_IMAGES_EXT: return &unpack->skipImages;
    case GL_PACK_SKIP_IMAGES_EXT: return &pack->skipImages;
    case GL_UNPACK_IMAGE_HEIGHT_EXT: return &unpack->imageHeight;
    case GL_PACK_IMAGE_HEIGHT_EXT: return &pack->imageHeight;
    default: return nullptr;
    }
}

void __glsClientPixelStore(GLenum mode, GLint value) {
    GLint accepted;
    GLint *field = __glsClientPixelField(mode, &accepted);
    if (!field) return;
    switch (accepted) {
    case __GLS_ACCEPT_BOOLEAN:
        if (value != 0 && value != 1) return;
        break;
    case __GLS_ACCEPT_ALIGNMENT:
        if (value != 1 && value != 2 && value != 4 && value != 8) return;
        break;
    default:
        if (value < 0) return;
        break;
    }
    *field = value;
}

void GLSAPI __gls_client_glPixelStorei(GLenum pname, GLint param) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glPixelStorei)(pname, param);
        return;
    }
    __glsClientPixelStore(pname, param);
}

void GLSAPI __gls_client_glPixelStoref(GLenum pname, GLfloat param) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glPixelStoref)(pname, param);
        return;
    }
    // A value with no integer of its own (NaN, or beyond 32 bits) is not a
    // value any mode accepts; converting it would be undefined.
    if (!(param >= -2147483648.0f && param < 2147483648.0f)) return;
    __glsClientPixelStore(pname, (GLint)param);
}

static void __glsPixelDefaults(GLboolean pack) {
    static const GLenum packModes[] = {GL_PACK_ALIGNMENT,   GL_PACK_LSB_FIRST,
                                       GL_PACK_ROW_LENGTH,  GL_PACK_SKIP_ROWS,
                                       GL_PACK_SKIP_PIXELS, GL_PACK_SWAP_BYTES,
                                       GL_PACK_IMAGE_HEIGHT_EXT, GL_PACK_SKIP_IMAGES_EXT};
    static const GLenum unpackModes[] = {GL_UNPACK_ALIGNMENT,   GL_UNPACK_LSB_FIRST,
                                         GL_UNPACK_ROW_LENGTH,  GL_UNPACK_SKIP_ROWS,
                                         GL_UNPACK_SKIP_PIXELS, GL_UNPACK_SWAP_BYTES,
                                         GL_UNPACK_IMAGE_HEIGHT_EXT, GL_UNPACK_SKIP_IMAGES_EXT};
    const GLenum *modes = pack ? packModes : unpackModes;
    __GLScontext *ctx = __glsGetContext();
    GLint token = __glsBeginCaptureExec(__GLS_OP_glPixelStorei);
    // Streams carry tightly packed pixels.
    __gls_client_glPixelStorei(modes[0], 1);
    for (int i = 1; i < 6; ++i) __gls_client_glPixelStorei(modes[i], 0);
    if (__glsGLExtensionPresent(&ctx->glInfo, 0)) {
        __gls_client_glPixelStorei(modes[6], 0);
        __gls_client_glPixelStorei(modes[7], 0);
    }
    __glsEndCaptureExec(__GLS_OP_glPixelStorei, token);
    if (pack) {
        ctx->glInfo.packDefaultsSet = 1;
    } else {
        ctx->glInfo.unpackDefaultsSet = 1;
    }
}

void __glsPixelPackDefaults(void) { __glsPixelDefaults(GL_TRUE); }

void __glsPixelUnpackDefaults(void) { __glsPixelDefaults(GL_FALSE); }

void __glsPixelUnpackState(__GLSpixelStore *store) {
    __GLScontext *ctx = __glsGetContext();
    GLint token = __glsBeginCaptureExec(__GLS_OP_glGetIntegerv);
    __glsPixelStoreInit(store);
    __gls_client_glGetIntegerv(GL_UNPACK_ALIGNMENT, &store->alignment);
    __gls_client_glGetIntegerv(GL_UNPACK_LSB_FIRST, &store->lsbFirst);
    __gls_client_glGetIntegerv(GL_UNPACK_ROW_LENGTH, &store->rowLength);
    __gls_client_glGetIntegerv(GL_UNPACK_SKIP_ROWS, &store->skipRows);
    __gls_client_glGetIntegerv(GL_UNPACK_SKIP_PIXELS, &store->skipPixels);
    __gls_client_glGetIntegerv(GL_UNPACK_SWAP_BYTES, &store->swapBytes);
    if (__glsGLExtensionPresent(&ctx->glInfo, 0)) {
        __gls_client_glGetIntegerv(GL_UNPACK_IMAGE_HEIGHT_EXT, &store->imageHeight);
        __gls_client_glGetIntegerv(GL_UNPACK_SKIP_IMAGES_EXT, &store->skipImages);
    }
    __glsEndCaptureExec(__GLS_OP_glGetIntegerv, token);
}

// ------------------------------------------------ client attribute stack

void GLSAPI __gls_client_glPushClientAttrib(GLbitfield mask) {
    if (__glsClientHaveGL()) __GLS_SLOT(__glsDefaultDispatchTable, glPushClientAttrib)(mask);
    __GLSclientState *state = __glsClient();
    if (state->attribStackDepth < 0 || state->attribStackDepth >= __GLS_CLIENT_ATTRIB_STACK_DEPTH) {
        return;
    }
    __GLSclientAttrib *entry = &state->attribStack[state->attribStackDepth];
    entry->mask = mask;
    if (mask & GL_CLIENT_PIXEL_STORE_BIT) {
        entry->pack = state->pack;
        entry->unpack = state->unpack;
    }
    if (mask & GL_CLIENT_VERTEX_ARRAY_BIT) entry->arrays = state->arrays;
    ++state->attribStackDepth;
}

void GLSAPI __gls_client_glPopClientAttrib(void) {
    if (__glsClientHaveGL()) __GLS_SLOT(__glsDefaultDispatchTable, glPopClientAttrib)();
    __GLSclientState *state = __glsClient();
    if (state->attribStackDepth <= 0 || state->attribStackDepth > __GLS_CLIENT_ATTRIB_STACK_DEPTH) {
        return;
    }
    const __GLSclientAttrib *entry = &state->attribStack[--state->attribStackDepth];
    if (entry->mask & GL_CLIENT_PIXEL_STORE_BIT) {
        state->pack = entry->pack;
        state->unpack = entry->unpack;
    }
    if (entry->mask & GL_CLIENT_VERTEX_ARRAY_BIT) state->arrays = entry->arrays;
}

// --------------------------------------------------------------- queries

void __glsClientGetInteger(GLenum pname, GLint *result) {
    __GLSclientState *state = __glsClient();
    const __GLSvertexArrayState *arrays = &state->arrays;
    const GLint set = __glsActiveTextureSet(arrays);
    GLint accepted;
    const GLint *field = __glsClientPixelField(pname, &accepted);
    if (field) {
        *result = *field;
        return;
    }
    switch (pname) {
    case GL_CLIENT_ATTRIB_STACK_DEPTH: *result = state->attribStackDepth; return;
    case GL_MAX_CLIENT_ATTRIB_STACK_DEPTH: *result = __GLS_CLIENT_ATTRIB_STACK_DEPTH; return;
    case GL_FEEDBACK_BUFFER_SIZE: *result = state->feedbackSize; return;
    case GL_FEEDBACK_BUFFER_TYPE: *result = (GLint)state->feedbackType; return;
    case GL_SELECTION_BUFFER_SIZE: *result = state->selectSize; return;

    case GL_VERTEX_ARRAY:
    case GL_NORMAL_ARRAY:
    case GL_COLOR_ARRAY:
    case GL_INDEX_ARRAY:
    case GL_TEXTURE_COORD_ARRAY:
    case GL_EDGE_FLAG_ARRAY: *result = *__glsClientEnableFlag(pname); return;

    case GL_VERTEX_ARRAY_SIZE: *result = arrays->size[__GLS_SIZE_VERTEX]; return;
    case GL_VERTEX_ARRAY_TYPE: *result = (GLint)arrays->type[__GLS_TYPE_VERTEX]; return;
    case GL_VERTEX_ARRAY_STRIDE: *result = arrays->stride[__GLS_ARRAY_VERTEX]; return;
    case GL_VERTEX_ARRAY_COUNT_EXT: *result = arrays->count[__GLS_ARRAY_VERTEX]; return;

    case GL_NORMAL_ARRAY_TYPE: *result = (GLint)arrays->type[__GLS_TYPE_NORMAL]; return;
    case GL_NORMAL_ARRAY_STRIDE: *result = arrays->stride[__GLS_ARRAY_NORMAL]; return;
    case GL_NORMAL_ARRAY_COUNT_EXT: *result = arrays->count[__GLS_ARRAY_NORMAL]; return;

    case GL_COLOR_ARRAY_SIZE: *result = arrays->size[__GLS_SIZE_COLOR]; return;
    case GL_COLOR_ARRAY_TYPE: *result = (GLint)arrays->type[__GLS_TYPE_COLOR]; return;
    case GL_COLOR_ARRAY_STRIDE: *result = arrays->stride[__GLS_ARRAY_COLOR]; return;
    case GL_COLOR_ARRAY_COUNT_EXT: *result = arrays->count[__GLS_ARRAY_COLOR]; return;

    case GL_INDEX_ARRAY_TYPE: *result = (GLint)arrays->type[__GLS_TYPE_INDEX]; return;
    case GL_INDEX_ARRAY_STRIDE: *result = arrays->stride[__GLS_ARRAY_INDEX]; return;
    case GL_INDEX_ARRAY_COUNT_EXT: *result = arrays->count[__GLS_ARRAY_INDEX]; return;

    case GL_TEXTURE_COORD_ARRAY_SIZE: *result = arrays->size[__GLS_SIZE_TEXCOORD + set]; return;
    case GL_TEXTURE_COORD_ARRAY_TYPE:
        *result = (GLint)arrays->type[__GLS_TYPE_TEXCOORD + set];
        return;
    case GL_TEXTURE_COORD_ARRAY_STRIDE:
        *result = arrays->stride[__GLS_ARRAY_TEXCOORD + set];
        return;
    case GL_TEXTURE_COORD_ARRAY_COUNT_EXT:
        *result = arrays->count[__GLS_ARRAY_TEXCOORD + set];
        return;

    case GL_EDGE_FLAG_ARRAY_STRIDE: *result = arrays->stride[__GLS_ARRAY_EDGE_FLAG]; return;
    case GL_EDGE_FLAG_ARRAY_COUNT_EXT: *result = arrays->count[__GLS_ARRAY_EDGE_FLAG]; return;
    default: return;
    }
}

void GLSAPI __gls_client_glGetIntegerv(GLenum pname, GLint *params) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glGetIntegerv)(pname, params);
        return;
    }
    __glsClientGetInteger(pname, params);
}

// The mirror answers with one integer; 0 for a name it does not know.
static GLint __glsClientGetOne(GLenum pname) {
    GLint value = 0;
    __glsClientGetInteger(pname, &value);
    return value;
}

void GLSAPI __gls_client_glGetBooleanv(GLenum pname, GLboolean *params) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glGetBooleanv)(pname, params);
        return;
    }
    *params = __glsClientGetOne(pname) ? GL_TRUE : GL_FALSE;
}

// The converted value is stored as bits: the caller's memory need not be
// aligned for the type.
void GLSAPI __gls_client_glGetFloatv(GLenum pname, GLfloat *params) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glGetFloatv)(pname, params);
        return;
    }
    GLfloat value = (GLfloat)__glsClientGetOne(pname);
    memcpy(params, &value, sizeof value);
}

void GLSAPI __gls_client_glGetDoublev(GLenum pname, GLdouble *params) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glGetDoublev)(pname, params);
        return;
    }
    GLdouble value = (GLdouble)__glsClientGetOne(pname);
    memcpy(params, &value, sizeof value);
}

void GLSAPI __gls_client_glGetPointerv(GLenum pname, void **params) {
    if (__glsClientHaveGL()) {
        __GLS_SLOT(__glsDefaultDispatchTable, glGetPointerv)(pname, params);
        return;
    }
    __GLSclientState *state = __glsClient();
    const __GLSvertexArrayState *arrays = &state->arrays;
    switch (pname) {
    case GL_FEEDBACK_BUFFER_POINTER: *params = state->feedbackBuffer; return;
    case GL_SELECTION_BUFFER_POINTER: *params = state->selectBuffer; return;
    case GL_VERTEX_ARRAY_POINTER: *params = arrays->pointer[__GLS_ARRAY_VERTEX]; return;
    case GL_NORMAL_ARRAY_POINTER: *params = arrays->pointer[__GLS_ARRAY_NORMAL]; return;
    case GL_COLOR_ARRAY_POINTER: *params = arrays->pointer[__GLS_ARRAY_COLOR]; return;
    case GL_INDEX_ARRAY_POINTER: *params = arrays->pointer[__GLS_ARRAY_INDEX]; return;
    case GL_TEXTURE_COORD_ARRAY_POINTER:
        *params = arrays->pointer[__GLS_ARRAY_TEXCOORD + __glsActiveTextureSet(arrays)];
        return;
    case GL_EDGE_FLAG_ARRAY_POINTER: *params = arrays->pointer[__GLS_ARRAY_EDGE_FLAG]; return;
    default: return;
    }
}

}  // extern "C"
