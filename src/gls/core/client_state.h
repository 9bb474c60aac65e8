// The mirror of the GL client state kept inside each GLS context: pixel-store
// modes, vertex-array descriptions and enables, the client attribute stack
// and the feedback and selection buffers. A context executes and captures
// the client-side commands through the functions below, so that it can do so
// and answer questions about that state when no real GL context is current.
#pragma once

#include <stddef.h>

#include "base/pixel_formats.h"
#include "gls_functions.h"

struct __GLScontext;

// One set of pixel-store modes, in this order.
struct __GLSpixelStore {
    GLint alignment, lsbFirst, rowLength, skipRows, skipPixels, swapBytes, imageHeight,
        skipImages;
};

enum {
    __GLS_CLIENT_ATTRIB_STACK_DEPTH = 16,
    __GLS_TEXTURE_COORD_SETS = 4,

    // Slots of the enables, strides, pointers and counts.
    __GLS_ARRAY_COLOR = 0,
    __GLS_ARRAY_EDGE_FLAG = 1,
    __GLS_ARRAY_INDEX = 2,
    __GLS_ARRAY_NORMAL = 3,
    __GLS_ARRAY_TEXCOORD = 4,  // sets 0 to 3 at 4 to 7
    __GLS_ARRAY_VERTEX = 8,
    __GLS_ARRAY_SLOTS = 9,

    // Slots of the sizes.
    __GLS_SIZE_COLOR = 0,
    __GLS_SIZE_TEXCOORD = 1,  // sets 0 to 3 at 1 to 4
    __GLS_SIZE_VERTEX = 5,
    __GLS_SIZE_SLOTS = 6,

    // Slots of the types.
    __GLS_TYPE_COLOR = 0,
    __GLS_TYPE_INDEX = 1,
    __GLS_TYPE_NORMAL = 2,
    __GLS_TYPE_TEXCOORD = 3,  // sets 0 to 3 at 3 to 6
    __GLS_TYPE_VERTEX = 7,
    __GLS_TYPE_SLOTS = 8,
};

// The description of the six client arrays. Texture-coordinate fields go
// through activeTexture, which no command changes: it stays 0.
struct __GLSvertexArrayState {
    GLint activeTexture;
    GLint enabled[__GLS_ARRAY_SLOTS];
    GLint size[__GLS_SIZE_SLOTS];
    GLenum type[__GLS_TYPE_SLOTS];
    GLint stride[__GLS_ARRAY_SLOTS];
    GLvoid *pointer[__GLS_ARRAY_SLOTS];
    GLint count[__GLS_ARRAY_SLOTS];  // of the EXT pointer commands
};

// The texture-coordinate set the arrays refer to; 0 should the index ever
// be out of range.
static inline GLint __glsActiveTextureSet(const __GLSvertexArrayState *arrays) {
    GLint set = arrays->activeTexture;
    return set >= 0 && set < __GLS_TEXTURE_COORD_SETS ? set : 0;
}

// One level of the client attribute stack; only the parts its mask names
// hold anything.
struct __GLSclientAttrib {
    GLuint mask;
    __GLSpixelStore pack;
    __GLSpixelStore unpack;
    __GLSvertexArrayState arrays;
};

// Storage owned by the mirror, handed to GL by the decoders; it only grows,
// each new buffer at least twice the last.
struct __GLSbufferHolder {
    GLvoid *buffer;
    size_t byteSize;
    // The buffers it grew out of. The GL keeps the buffer of the last
    // glFeedbackBuffer or glSelectBuffer it accepted and writes into it in
    // feedback or selection mode; a call it refuses (in that mode, or with
    // a bad argument) leaves the old one in place. They are freed with the
    // context; doubling keeps them fewer than the bits of a size and
    // smaller together than the newest.
    GLvoid *retired[8 * sizeof(size_t)];
    GLint retiredCount;
};

struct __GLSclientState {
    __GLSclientAttrib attribStack[__GLS_CLIENT_ATTRIB_STACK_DEPTH];
    GLint attribStackDepth;
    // As the application gave them; the buffers are the application's.
    GLsizei feedbackSize;
    GLenum feedbackType;
    GLfloat *feedbackBuffer;
    GLsizei selectSize;
    GLuint *selectBuffer;
    __GLSpixelStore pack;
    __GLSpixelStore unpack;
    __GLSvertexArrayState arrays;
    __GLSbufferHolder feedbackHolder;
    __GLSbufferHolder selectHolder;
};

extern "C" {

// Alignment 4, every other mode 0.
void __glsPixelStoreInit(__GLSpixelStore *store);
// Every enable 0, every size 4, every type GL_FLOAT, the rest 0.
void __glsArrayStateInit(__GLSvertexArrayState *state);

// Life of the mirror, with its context.
void __glsClientStateInit(__GLSclientState *state);
void __glsClientStateFree(__GLSclientState *state);

// Whether the client-side commands of the current context reach the real
// GL: when a GL context answers there, or always with the context's
// `clientRealAlways`.
GLboolean __glsClientHaveGL(void);

// The client-side commands, executed on the current context (one must be
// current): setters reach the real GL when a GL context answers and keep the
// mirror; queries are answered from the mirror only when none answers.
void GLSAPI __gls_client_glFeedbackBuffer(GLsizei size, GLenum type, GLfloat *buffer);
void GLSAPI __gls_client_glSelectBuffer(GLsizei size, GLuint *buffer);
void GLSAPI __gls_client_glDisable(GLenum cap);
void GLSAPI __gls_client_glEnable(GLenum cap);
void GLSAPI __gls_client_glPixelStoref(GLenum pname, GLfloat param);
void GLSAPI __gls_client_glPixelStorei(GLenum pname, GLint param);
void GLSAPI __gls_client_glGetBooleanv(GLenum pname, GLboolean *params);
void GLSAPI __gls_client_glGetDoublev(GLenum pname, GLdouble *params);
void GLSAPI __gls_client_glGetFloatv(GLenum pname, GLfloat *params);
void GLSAPI __gls_client_glGetIntegerv(GLenum pname, GLint *params);
GLboolean GLSAPI __gls_client_glIsEnabled(GLenum cap);
void GLSAPI __gls_client_glColorPointer(GLint size, GLenum type, GLsizei stride,
                                        const void *pointer);
void GLSAPI __gls_client_glDisableClientState(GLenum array);
void GLSAPI __gls_client_glEdgeFlagPointer(GLsizei stride, const void *pointer);
void GLSAPI __gls_client_glEnableClientState(GLenum array);
void GLSAPI __gls_client_glGetPointerv(GLenum pname, void **params);
void GLSAPI __gls_client_glIndexPointer(GLenum type, GLsizei stride, const void *pointer);
void GLSAPI __gls_client_glInterleavedArrays(GLenum format, GLsizei stride, const void *pointer);
void GLSAPI __gls_client_glNormalPointer(GLenum type, GLsizei stride, const void *pointer);
void GLSAPI __gls_client_glTexCoordPointer(GLint size, GLenum type, GLsizei stride,
                                           const void *pointer);
void GLSAPI __gls_client_glVertexPointer(GLint size, GLenum type, GLsizei stride,
                                         const void *pointer);
void GLSAPI __gls_client_glPopClientAttrib(void);
void GLSAPI __gls_client_glPushClientAttrib(GLbitfield mask);
void GLSAPI __gls_client_glColorPointerEXT(GLint size, GLenum type, GLsizei stride, GLsizei count,
                                           const void *pointer);
void GLSAPI __gls_client_glEdgeFlagPointerEXT(GLsizei stride, GLsizei count,
                                              const GLboolean *pointer);
void GLSAPI __gls_client_glIndexPointerEXT(GLenum type, GLsizei stride, GLsizei count,
                                           const void *pointer);
void GLSAPI __gls_client_glNormalPointerEXT(GLenum type, GLsizei stride, GLsizei count,
                                            const void *pointer);
void GLSAPI __gls_client_glTexCoordPointerEXT(GLint size, GLenum type, GLsizei stride,
                                              GLsizei count, const void *pointer);
void GLSAPI __gls_client_glVertexPointerEXT(GLint size, GLenum type, GLsizei stride,
                                            GLsizei count, const void *pointer);

// The mirror alone, on the current context. Capabilities other than the six
// client arrays, modes not known and values not accepted are ignored; a
// name the mirror does not answer leaves *result alone.
void __glsClientEnableArray(GLenum cap);
void __glsClientDisableArray(GLenum cap);
void __glsClientPixelStore(GLenum mode, GLint value);
void __glsClientGetInteger(GLenum pname, GLint *result);

// Sets the pack or unpack modes to the stream defaults (alignment 1, the
// rest 0) and marks them set in the context's GL facts.
void __glsPixelPackDefaults(void);
void __glsPixelUnpackDefaults(void);
// The current unpack modes; imageHeight and skipImages stay 0 unless the GL
// has GL_EXT_texture3D.
void __glsPixelUnpackState(__GLSpixelStore *store);

// A buffer of at least byteCount bytes owned by ctx, or null (with
// GLS_RESOURCE_ERROR) when memory runs out; contents are not kept when it
// grows.
GLfloat *__glsGetFeedbackBuffer(__GLScontext *ctx, size_t byteCount);
GLuint *__glsGetSelectBuffer(__GLScontext *ctx, size_t byteCount);
GLvoid *__glsGrowBuffer(__GLSbufferHolder *holder, size_t byteCount);

// Fills state by asking the client-state functions (so the mirror answers
// when no GL context does): each array's enable and, when enabled, its size,
// type, stride and pointer, a zero stride replaced by the size of one
// element. Fields of disabled arrays, and the counts, are left as they were,
// so callers start from __glsArrayStateInit. Texture coordinates are those
// of set 0; sets 1 to 3 are reported disabled. 1 when any array is enabled.
GLboolean __glsQueryArrayState(__GLSvertexArrayState *state);
// 1 when an enabled array of state (texture coordinates of set 0) draws
// from a buffer object of the real GL, so that its pointer is an offset.
GLboolean __glsArraysFromBuffers(const __GLSvertexArrayState *state);

}  // extern "C"
