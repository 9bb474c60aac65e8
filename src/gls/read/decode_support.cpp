// What the generated decoders of both encodings share beyond the readers:
// client-array addresses from another process's stream, the check of the
// evaluator maps read from text, and output buffers held to a bound.
#include <stdint.h>

#include "client/size.h"
#include "read/decode.h"
#include "read/text_reader.h"

namespace {

// The array slots a pointer command sets; 0 for any other command.
GLuint pointerSlots(__GLScontext *ctx, GLSopcode opcode, GLenum format) {
    const GLuint texCoord = 1u << (__GLS_ARRAY_TEXCOORD + __glsActiveTextureSet(&ctx->clientState.arrays));
    switch (opcode) {
    case __GLS_OP_glColorPointer: case __GLS_OP_glColorPointerEXT: return 1u << __GLS_ARRAY_COLOR;
    case __GLS_OP_glEdgeFlagPointer: case __GLS_OP_glEdgeFlagPointerEXT:
        return 1u << __GLS_ARRAY_EDGE_FLAG;
    case __GLS_OP_glIndexPointer: case __GLS_OP_glIndexPointerEXT: return 1u << __GLS_ARRAY_INDEX;
    case __GLS_OP_glNormalPointer: case __GLS_OP_glNormalPointerEXT: return 1u << __GLS_ARRAY_NORMAL;
    case __GLS_OP_glTexCoordPointer: case __GLS_OP_glTexCoordPointerEXT: return texCoord;
    case __GLS_OP_glVertexPointer: case __GLS_OP_glVertexPointerEXT: return 1u << __GLS_ARRAY_VERTEX;
    case __GLS_OP_glInterleavedArrays: {
        const __GLSinterleavedFormat *f = __glsInterleavedFormat(format);
        if (!f) return 0;
        return 1u << __GLS_ARRAY_VERTEX | (f->hasColor ? 1u << __GLS_ARRAY_COLOR : 0) |
               (f->hasNormal ? 1u << __GLS_ARRAY_NORMAL : 0) | (f->hasTexCoord ? texCoord : 0);
    }
    default: return 0;
    }
}

// Where glInterleavedArrays points the array of a slot.
const GLubyte *interleavedAddress(GLenum format, GLint slot, const GLubyte *base) {
    const __GLSinterleavedFormat *f = __glsInterleavedFormat(format);
    if (slot == __GLS_ARRAY_VERTEX) return base + f->vertexOffset;
    if (slot == __GLS_ARRAY_COLOR) return base + f->colorOffset;
    if (slot == __GLS_ARRAY_NORMAL) return base + f->normalOffset;
    return base;
}

// The last control point the GL reads lies within the points read.
GLboolean mapFits(__GLSreader *reader, GLulong extent, GLulong count) {
    if (extent <= count) return 1;
    __glsReaderRaiseError(reader, GLS_PARAMETER_ERROR);
    return 0;
}

}  // namespace

extern "C" {

const GLubyte __glsTextImagePresent[1] = {0};

void *__glsReaderDecodeMalloc(__GLSreader *reader, GLulong byteCount) {
    if (reader->error) return nullptr;
    void *block = __glsDecodeMalloc(byteCount);
    if (!block) __glsReaderRaiseError(reader, GLS_RESOURCE_ERROR);
    return block;
}

void __glsDecodedArrayPointer(GLSopcode opcode, GLenum format, const GLvoid *pointer) {
    __GLScontext *ctx = __glsGetContext();
    const GLuint slots = pointerSlots(ctx, opcode, format);
    if (!ctx->readForeign) {
        ctx->streamArrayMask &= ~slots;
        return;
    }
    for (GLint slot = 0; slot < __GLS_ARRAY_SLOTS; ++slot) {
        if (!(slots >> slot & 1)) continue;
        ctx->streamArrays[slot] = opcode == __GLS_OP_glInterleavedArrays
                                      ? interleavedAddress(format, slot, (const GLubyte *)pointer)
                                      : pointer;
    }
    ctx->streamArrayMask |= slots;
}

GLboolean __glsDecodedDrawAllowed(GLSopcode opcode) {
    __GLScontext *ctx = __glsGetContext();
    if (!ctx->streamArrayMask || ctx->callOverride[opcode]) return 1;
    // Under a capture the draw reads the arrays only when it is executed or
    // its vertices are written out.
    if (ctx->captureNesting > 0 && !(ctx->captureFlags[opcode] & 1) && !ctx->captureVertexArrays) {
        return 1;
    }
    __GLSvertexArrayState state;
    __glsArrayStateInit(&state);
    __glsQueryArrayState(&state);
    for (GLint slot = 0; slot < __GLS_ARRAY_SLOTS; ++slot) {
        if ((ctx->streamArrayMask >> slot & 1) && state.enabled[slot] &&
            state.pointer[slot] == ctx->streamArrays[slot]) {
            __glsCallErrorFunc(opcode, GLS_DECODE_ERROR);
            return 0;
        }
    }
    return 1;
}

}  // extern "C"

GLboolean __glsTextMapFits(__GLSreader *reader, GLenum target, GLint stride, GLint order) {
    const GLint k = __glsMapComponents(target);
    // The text holds the points packed, so a larger stride reads past them.
    if (stride > k) {
        __glsReaderRaiseError(reader, GLS_PARAMETER_ERROR);
        return 0;
    }
    // An order whose points pass what a count holds was read as none.
    const GLulong count = __glsCount(__glsSize_glMap1d(target, stride, order));
    return mapFits(reader, __glsMapExtent(target, stride, order, k, 1), count);
}

GLboolean __glsTextMapFits(__GLSreader *reader, GLenum target, GLint ustride, GLint uorder,
                           GLint vstride, GLint vorder) {
    const GLint k = __glsMapComponents(target);
    const GLulong count = __glsCount(__glsSize_glMap2d(target, ustride, uorder, vstride, vorder));
    // Each term fits 63 bits; held to 2^40, far beyond any count of points,
    // their sum does too.
    const GLlong limit = (GLlong)1 << 40;
    GLlong u = ((GLlong)uorder - 1) * ustride, v = ((GLlong)vorder - 1) * vstride;
    u = u > limit ? limit : u < -limit ? -limit : u;
    v = v > limit ? limit : v < -limit ? -limit : v;
    const GLlong extent = u + v + k;
    return mapFits(reader, extent < 0 ? 0 : (GLulong)extent, count);
}
