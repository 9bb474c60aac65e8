// The vertex-array expanders: with GLS_CAPTURE_VERTEX_ARRAYS set, a draw
// from client arrays is captured as the vertex data it draws, since the
// application's array pointers mean nothing outside it. Every command issued
// goes through its capture-dispatch entry, so that it is executed and written
// as its own capture flags say; this file writes nothing itself.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "capture/capture.h"

namespace {

// Repacked draws up to this many bytes are built on the stack: small enough
// for any application thread, large enough for the usual small batch.
const GLulong __GLS_STACK_BUFFER_BYTES = 4096;

// The address of element `index` of an array. The sum is made on unsigned
// integers, as the GL would make it, so that a wild index or pointer the
// application gives cannot make it undefined.
const GLvoid *elementAddress(const GLvoid *pointer, GLint stride, GLlong index) {
    return __glsSkipBytes(pointer, (GLlong)((GLulong)index * (GLulong)(GLlong)stride));
}

// Whether two descriptions of the arrays agree field by field.
bool sameArrays(const __GLSvertexArrayState *a, const __GLSvertexArrayState *b) {
    return a->activeTexture == b->activeTexture &&
           !memcmp(a->enabled, b->enabled, sizeof a->enabled) &&
           !memcmp(a->size, b->size, sizeof a->size) &&
           !memcmp(a->type, b->type, sizeof a->type) &&
           !memcmp(a->stride, b->stride, sizeof a->stride) &&
           !memcmp(a->pointer, b->pointer, sizeof a->pointer);
}

GLboolean anyEnabled(const __GLSvertexArrayState *s) {
    for (GLint slot = 0; slot < __GLS_ARRAY_SLOTS; ++slot) {
        if (s->enabled[slot]) return GL_TRUE;
    }
    return GL_FALSE;
}

// ------------------------------------------------- per-vertex commands
// One function per array: the vector command of the array's size and
// type, or nothing when the GL has none for them.

void issueColor(GLint size, GLenum type, const GLvoid *p) {
    if (size == 3) {
        switch (type) {
        case GL_BYTE: return __gls_capture_dispatch_glColor3bv((const GLbyte *)p);
        case GL_UNSIGNED_BYTE: return __gls_capture_dispatch_glColor3ubv((const GLubyte *)p);
        case GL_SHORT: return __gls_capture_dispatch_glColor3sv((const GLshort *)p);
        case GL_UNSIGNED_SHORT: return __gls_capture_dispatch_glColor3usv((const GLushort *)p);
        case GL_INT: return __gls_capture_dispatch_glColor3iv((const GLint *)p);
        case GL_UNSIGNED_INT: return __gls_capture_dispatch_glColor3uiv((const GLuint *)p);
        case GL_FLOAT: return __gls_capture_dispatch_glColor3fv((const GLfloat *)p);
        case GL_DOUBLE: return __gls_capture_dispatch_glColor3dv((const GLdouble *)p);
        }
    } else if (size == 4) {
        switch (type) {
        case GL_BYTE: return __gls_capture_dispatch_glColor4bv((const GLbyte *)p);
        case GL_UNSIGNED_BYTE: return __gls_capture_dispatch_glColor4ubv((const GLubyte *)p);
        case GL_SHORT: return __gls_capture_dispatch_glColor4sv((const GLshort *)p);
        case GL_UNSIGNED_SHORT: return __gls_capture_dispatch_glColor4usv((const GLushort *)p);
        case GL_INT: return __gls_capture_dispatch_glColor4iv((const GLint *)p);
        case GL_UNSIGNED_INT: return __gls_capture_dispatch_glColor4uiv((const GLuint *)p);
        case GL_FLOAT: return __gls_capture_dispatch_glColor4fv((const GLfloat *)p);
        case GL_DOUBLE: return __gls_capture_dispatch_glColor4dv((const GLdouble *)p);
        }
    }
}

void issueIndex(GLenum type, const GLvoid *p) {
    switch (type) {
    case GL_UNSIGNED_BYTE: return __gls_capture_dispatch_glIndexubv((const GLubyte *)p);
    case GL_SHORT: return __gls_capture_dispatch_glIndexsv((const GLshort *)p);
    case GL_INT: return __gls_capture_dispatch_glIndexiv((const GLint *)p);
    case GL_FLOAT: return __gls_capture_dispatch_glIndexfv((const GLfloat *)p);
    case GL_DOUBLE: return __gls_capture_dispatch_glIndexdv((const GLdouble *)p);
    }
}

void issueNormal(GLenum type, const GLvoid *p) {
    switch (type) {
    case GL_BYTE: return __gls_capture_dispatch_glNormal3bv((const GLbyte *)p);
    case GL_SHORT: return __gls_capture_dispatch_glNormal3sv((const GLshort *)p);
    case GL_INT: return __gls_capture_dispatch_glNormal3iv((const GLint *)p);
    case GL_FLOAT: return __gls_capture_dispatch_glNormal3fv((const GLfloat *)p);
    case GL_DOUBLE: return __gls_capture_dispatch_glNormal3dv((const GLdouble *)p);
    }
}

void issueTexCoord(GLint size, GLenum type, const GLvoid *p) {
    switch (type) {
    case GL_SHORT: {
        const GLshort *v = (const GLshort *)p;
        switch (size) {
        case 1: return __gls_capture_dispatch_glTexCoord1sv(v);
        case 2: return __gls_capture_dispatch_glTexCoord2sv(v);
        case 3: return __gls_capture_dispatch_glTexCoord3sv(v);
        case 4: return __gls_capture_dispatch_glTexCoord4sv(v);
        }
        return;
    }
    case GL_INT: {
        const GLint *v = (const GLint *)p;
        switch (size) {
        case 1: return __gls_capture_dispatch_glTexCoord1iv(v);
        case 2: return __gls_capture_dispatch_glTexCoord2iv(v);
        case 3: return __gls_capture_dispatch_glTexCoord3iv(v);
        case 4: return __gls_capture_dispatch_glTexCoord4iv(v);
        }
        return;
    }
    case GL_FLOAT: {
        const GLfloat *v = (const GLfloat *)p;
        switch (size) {
        case 1: return __gls_capture_dispatch_glTexCoord1fv(v);
        case 2: return __gls_capture_dispatch_glTexCoord2fv(v);
        case 3: return __gls_capture_dispatch_glTexCoord3fv(v);
        case 4: return __gls_capture_dispatch_glTexCoord4fv(v);
        }
        return;
    }
    case GL_DOUBLE: {
        const GLdouble *v = (const GLdouble *)p;
        switch (size) {
        case 1: return __gls_capture_dispatch_glTexCoord1dv(v);
        case 2: return __gls_capture_dispatch_glTexCoord2dv(v);
        case 3: return __gls_capture_dispatch_glTexCoord3dv(v);
        case 4: return __gls_capture_dispatch_glTexCoord4dv(v);
        }
        return;
    }
    }
}

void issueVertex(GLint size, GLenum type, const GLvoid *p) {
    switch (type) {
    case GL_SHORT: {
        const GLshort *v = (const GLshort *)p;
        switch (size) {
        case 2: return __gls_capture_dispatch_glVertex2sv(v);
        case 3: return __gls_capture_dispatch_glVertex3sv(v);
        case 4: return __gls_capture_dispatch_glVertex4sv(v);
        }
        return;
    }
    case GL_INT: {
        const GLint *v = (const GLint *)p;
        switch (size) {
        case 2: return __gls_capture_dispatch_glVertex2iv(v);
        case 3: return __gls_capture_dispatch_glVertex3iv(v);
        case 4: return __gls_capture_dispatch_glVertex4iv(v);
        }
        return;
    }
    case GL_FLOAT: {
        const GLfloat *v = (const GLfloat *)p;
        switch (size) {
        case 2: return __gls_capture_dispatch_glVertex2fv(v);
        case 3: return __gls_capture_dispatch_glVertex3fv(v);
        case 4: return __gls_capture_dispatch_glVertex4fv(v);
        }
        return;
    }
    case GL_DOUBLE: {
        const GLdouble *v = (const GLdouble *)p;
        switch (size) {
        case 2: return __gls_capture_dispatch_glVertex2dv(v);
        case 3: return __gls_capture_dispatch_glVertex3dv(v);
        case 4: return __gls_capture_dispatch_glVertex4dv(v);
        }
        return;
    }
    }
}

// ------------------------------------------------------ repacking

// Where the elements of a repacked draw come from: element k is element
// first + k of the arrays, or the element that entry k of the indices names.
struct ElementSource {
    GLint first;
    GLenum indexType;  // 0 for a run from first
    const GLvoid *indices;
};

GLlong sourceElement(const ElementSource *src, GLint k) {
    switch (src->indexType) {
    case GL_UNSIGNED_BYTE: return ((const GLubyte *)src->indices)[k];
    case GL_UNSIGNED_SHORT: return ((const GLushort *)src->indices)[k];
    case GL_UNSIGNED_INT: return ((const GLuint *)src->indices)[k];
    }
    return (GLlong)src->first + k;
}

// Per-vertex commands of each element, between glBegin and glEnd.
void issueImmediate(const __GLSvertexArrayState *s, GLenum mode, GLsizei count,
                    const ElementSource *src) {
    __gls_capture_dispatch_glBegin(mode);
    for (GLint k = 0; k < count; ++k) __glsEmitArrayElement(s, sourceElement(src, k));
    __gls_capture_dispatch_glEnd();
}

// Fills buffer with count elements in the layout of format.
void repack(const __GLSvertexArrayState *s, const __GLSinterleavedFormat *format, GLsizei count,
            const ElementSource *src, GLubyte *buffer) {
    const GLint unit = s->activeTexture;
    const GLint colorSlot = __GLS_ARRAY_COLOR, normalSlot = __GLS_ARRAY_NORMAL,
                texSlot = __GLS_ARRAY_TEXCOORD + unit, vertexSlot = __GLS_ARRAY_VERTEX;
    const GLint colorBytes = format->colorSize * __glsTypeSize(format->colorType);
    const GLint texBytes = format->texCoordSize * 4;
    const GLint vertexBytes = format->vertexSize * 4;
    for (GLint k = 0; k < count; ++k) {
        const GLlong e = sourceElement(src, k);
        GLubyte *out = buffer + (size_t)k * (size_t)format->stride;
        if (format->hasColor) {
            memcpy(out + format->colorOffset,
                   elementAddress(s->pointer[colorSlot], s->stride[colorSlot], e), colorBytes);
        }
        if (format->hasNormal) {
            memcpy(out + format->normalOffset,
                   elementAddress(s->pointer[normalSlot], s->stride[normalSlot], e), 12);
        }
        if (format->hasTexCoord) {
            memcpy(out, elementAddress(s->pointer[texSlot], s->stride[texSlot], e), texBytes);
        }
        memcpy(out + format->vertexOffset,
               elementAddress(s->pointer[vertexSlot], s->stride[vertexSlot], e), vertexBytes);
    }
}

// The buffer of a repacked draw: on the stack when small, from the heap
// otherwise. count x stride is made in 64 bits, since on a 32-bit process
// it may not fit an address; such a size fails like an allocation.
void issueRepacked(const __GLSvertexArrayState *s, const __GLSinterleavedFormat *format,
                   GLenum mode, GLsizei count, const ElementSource *src) {
    alignas(8) GLubyte local[__GLS_STACK_BUFFER_BYTES];
    const GLulong bytes = (GLulong)count * (GLulong)format->stride;
    GLubyte *buffer = local;
    if (bytes > sizeof local) {
        buffer = nullptr;
        if (bytes <= (GLulong)SIZE_MAX) {
            buffer = (GLubyte *)__glsMalloc((size_t)bytes);
        } else {
            __glsRaiseError(GLS_RESOURCE_ERROR);
        }
        if (!buffer) {
            __gls_capture_dispatch_glsError(__GLS_OP_glsDrawVertexArray, GLS_RESOURCE_ERROR);
            return;
        }
    }
    repack(s, format, count, src, buffer);
    __gls_capture_dispatch_glsDrawVertexArray(mode, format->format, count, buffer);
    if (buffer != local) free(buffer);
}

// The draws of glDrawArrays and glDrawElements once the elements are named.
// 0 when the arrays give nothing to draw, so that the caller captures the
// draw as the application made it.
GLboolean expandDraw(GLenum mode, GLsizei count, const ElementSource *src) {
    // Indices or arrays in buffer objects are no memory of the client's:
    // such a draw is captured as it stands.
    if (src->indexType &&
        __glsBoundBuffer(&__glsGetContext()->glInfo, GL_ELEMENT_ARRAY_BUFFER_BINDING)) {
        return GL_FALSE;
    }
    __GLSvertexArrayState s;
    __glsArrayStateInit(&s);
    if (!__glsQueryArrayState(&s) || __glsArraysFromBuffers(&s)) return GL_FALSE;
    const __GLSinterleavedFormat *format = __glsMatchInterleaved(&s);
    if (format) {
        issueRepacked(&s, format, mode, count, src);
    } else {
        issueImmediate(&s, mode, count, src);
    }
    return GL_TRUE;
}

}  // namespace

extern "C" {

// Sizes, offsets and strides of the interleaved layouts of glInterleavedArrays.

const __GLSinterleavedFormat *__glsMatchInterleaved(const __GLSvertexArrayState *s) {
    const GLint t = s->activeTexture;
    for (GLint unit = 0; unit < __GLS_TEXTURE_COORD_SETS; ++unit) {
        if (unit != t && s->enabled[__GLS_ARRAY_TEXCOORD + unit]) return nullptr;
    }
    // A unit outside the four has no array of its own.
    const GLboolean inRange = t >= 0 && t < __GLS_TEXTURE_COORD_SETS;
    const GLint hasTex = inRange && s->enabled[__GLS_ARRAY_TEXCOORD + t] ? 1 : 0;
    const GLint hasColor = s->enabled[__GLS_ARRAY_COLOR] ? 1 : 0;
    const GLint hasNormal = s->enabled[__GLS_ARRAY_NORMAL] ? 1 : 0;
    if (s->enabled[__GLS_ARRAY_EDGE_FLAG] || s->enabled[__GLS_ARRAY_INDEX]) return nullptr;
    if (!s->enabled[__GLS_ARRAY_VERTEX] || s->type[__GLS_TYPE_VERTEX] != GL_FLOAT) return nullptr;
    if (hasNormal && s->type[__GLS_TYPE_NORMAL] != GL_FLOAT) return nullptr;
    if (hasTex && s->type[__GLS_TYPE_TEXCOORD + t] != GL_FLOAT) return nullptr;
    for (const __GLSinterleavedFormat *f = __glsInterleavedFormats; f->format; ++f) {
        if (f->hasColor != hasColor || f->hasNormal != hasNormal || f->hasTexCoord != hasTex) {
            continue;
        }
        if (f->vertexSize != s->size[__GLS_SIZE_VERTEX]) continue;
        if (hasColor && (f->colorType != s->type[__GLS_TYPE_COLOR] ||
                         f->colorSize != s->size[__GLS_SIZE_COLOR])) {
            continue;
        }
        if (hasTex && f->texCoordSize != s->size[__GLS_SIZE_TEXCOORD + t]) continue;
        return f;
    }
    return nullptr;
}

void __glsEmitArrayElement(const __GLSvertexArrayState *s, GLlong i) {
    if (s->enabled[__GLS_ARRAY_COLOR]) {
        issueColor(s->size[__GLS_SIZE_COLOR], s->type[__GLS_TYPE_COLOR],
                   elementAddress(s->pointer[__GLS_ARRAY_COLOR], s->stride[__GLS_ARRAY_COLOR], i));
    }
    if (s->enabled[__GLS_ARRAY_EDGE_FLAG]) {
        __gls_capture_dispatch_glEdgeFlagv((const GLboolean *)elementAddress(
            s->pointer[__GLS_ARRAY_EDGE_FLAG], s->stride[__GLS_ARRAY_EDGE_FLAG], i));
    }
    if (s->enabled[__GLS_ARRAY_INDEX]) {
        issueIndex(s->type[__GLS_TYPE_INDEX],
                   elementAddress(s->pointer[__GLS_ARRAY_INDEX], s->stride[__GLS_ARRAY_INDEX], i));
    }
    if (s->enabled[__GLS_ARRAY_NORMAL]) {
        issueNormal(s->type[__GLS_TYPE_NORMAL], elementAddress(s->pointer[__GLS_ARRAY_NORMAL],
                                                               s->stride[__GLS_ARRAY_NORMAL], i));
    }
    // Only one texture unit is drawn from: unit 0, and only when no other
    // unit's array asks for a unit this system does not have.
    GLboolean otherUnits = GL_FALSE;
    for (GLint unit = 1; unit < __GLS_TEXTURE_COORD_SETS; ++unit) {
        if (s->enabled[__GLS_ARRAY_TEXCOORD + unit]) otherUnits = GL_TRUE;
    }
    if (s->activeTexture <= 0 && !otherUnits && s->enabled[__GLS_ARRAY_TEXCOORD]) {
        issueTexCoord(
            s->size[__GLS_SIZE_TEXCOORD], s->type[__GLS_TYPE_TEXCOORD],
            elementAddress(s->pointer[__GLS_ARRAY_TEXCOORD], s->stride[__GLS_ARRAY_TEXCOORD], i));
    }
    // Last, so that the element's attributes precede its vertex.
    if (s->enabled[__GLS_ARRAY_VERTEX]) {
        issueVertex(
            s->size[__GLS_SIZE_VERTEX], s->type[__GLS_TYPE_VERTEX],
            elementAddress(s->pointer[__GLS_ARRAY_VERTEX], s->stride[__GLS_ARRAY_VERTEX], i));
    }
}

GLboolean __glsCaptureBegin(GLenum mode) {
    __GLScontext *ctx = __glsGetContext();
    __GLSvertexArrayState *s = &ctx->elementArrays;
    ctx->elementArraysSet = 0;
    __glsArrayStateInit(s);
    __glsQueryArrayState(s);
    // The GL is asked about texture-coordinate set 0 only; the arrays of
    // the other sets are known from the mirror alone.
    for (GLint set = 1; set < __GLS_TEXTURE_COORD_SETS; ++set) {
        s->enabled[__GLS_ARRAY_TEXCOORD + set] =
            ctx->clientState.arrays.enabled[__GLS_ARRAY_TEXCOORD + set];
    }
    if (anyEnabled(s) && !__glsArraysFromBuffers(s)) {
        ctx->elementMirror = ctx->clientState.arrays;
        ctx->elementArraysSet = 1;
    }
    // glBegin itself is captured as it stands.
    return GL_FALSE;
}

GLboolean __glsCaptureArrayElement(GLint i) {
    // An element inside glBegin/glEnd may not ask the GL: it draws from the
    // arrays asked at glBegin, unless an array command has changed them
    // since. Without them the element is captured as it stands.
    __GLScontext *ctx = __glsGetContext();
    if (!ctx->elementArraysSet || !sameArrays(&ctx->elementMirror, &ctx->clientState.arrays)) {
        return GL_FALSE;
    }
    __glsEmitArrayElement(&ctx->elementArrays, i);
    return GL_TRUE;
}

GLboolean __glsCaptureDrawArrays(GLenum mode, GLint first, GLsizei count) {
    if (count < 0) return GL_FALSE;
    const ElementSource src = {first, 0, nullptr};
    return expandDraw(mode, count, &src);
}

GLboolean __glsCaptureDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid *indices) {
    if (type != GL_UNSIGNED_BYTE && type != GL_UNSIGNED_SHORT && type != GL_UNSIGNED_INT) {
        return GL_FALSE;
    }
    if (count < 0) return GL_FALSE;
    const ElementSource src = {0, type, indices};
    return expandDraw(mode, count, &src);
}

}  // extern "C"
