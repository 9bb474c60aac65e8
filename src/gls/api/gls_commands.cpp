// The GLS commands: entry points that route through the context's dispatch
// table, and the implementations of every command but glsDrawVertexArray
// (gls_exec_draw.cpp).
#include "api/gls_commands.h"
#include "api/stream_call.h"

#include <string.h>

#include "api/api.h"
#include "core/context.h"
#include "core/opcodes.h"
#include "stream/context_stream.h"

extern "C" {

// ----------------------------------------------------------- entry points
// Each goes through the slot of its opcode in the current context's API
// table, with its arguments unchanged, so that a call made while a capture
// is open is captured like a command read from a stream.

#define __GLS_DISPATCH(name) __GLS_SLOT(__glsGetContext()->dispatch, name)

void glsBeginGLS(GLint inVersionMajor, GLint inVersionMinor) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsBeginGLS)(inVersionMajor, inVersionMinor);
}

void glsBlock(GLSenum inBlockType) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsBlock)(inBlockType);
}

GLSenum glsCallStream(const GLubyte *inName) {
    if (!__glsRequireContext()) return 0;
    return __GLS_DISPATCH(glsCallStream)(inName);
}

void glsDrawVertexArray(GLenum inMode, GLenum inFormat, GLint inCount, const GLvoid *inData) {
    if (!__glsRequireContext()) return;
    __GLS_DISPATCH(glsDrawVertexArray)(inMode, inFormat, inCount, inData);
}

void glsEndGLS(void) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsEndGLS)();
}

void glsError(GLSopcode inOpcode, GLSenum inError) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsError)(inOpcode, inError);
}

void glsHeaderc(GLSenum inAttrib, const GLubyte *inString) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsHeaderc)(inAttrib, inString);
}

void glsHeaderf(GLSenum inAttrib, GLfloat inVal) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsHeaderf)(inAttrib, inVal);
}

void glsHeaderfv(GLSenum inAttrib, const GLfloat *inVec) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsHeaderfv)(inAttrib, inVec);
}

void glsHeaderi(GLSenum inAttrib, GLint inVal) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsHeaderi)(inAttrib, inVal);
}

void glsHeaderiv(GLSenum inAttrib, const GLint *inVec) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsHeaderiv)(inAttrib, inVec);
}

void glsRequireExtension(const GLubyte *inExtension) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsRequireExtension)(inExtension);
}

void glsRequireVersion(GLSenum inAPI, GLint inVersionMajor, GLint inVersionMinor) {
    if (!__glsRequireContext()) return;
    __GLS_DISPATCH(glsRequireVersion)(inAPI, inVersionMajor, inVersionMinor);
}

void glsUnsupportedCommand(const GLubyte *inCommand) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsUnsupportedCommand)(inCommand);
}

void glsBeginObj(const GLubyte *inTag) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsBeginObj)(inTag);
}

void glsComment(const GLubyte *inComment) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsComment)(inComment);
}

void glsEndObj(void) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsEndObj)();
}

void glsNumbv(const GLubyte *inTag, GLint inCount, const GLbyte *inVec) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsNumbv)(inTag, inCount, inVec);
}

void glsNumd(const GLubyte *inTag, GLdouble inVal) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsNumd)(inTag, inVal);
}

void glsNumdv(const GLubyte *inTag, GLint inCount, const GLdouble *inVec) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsNumdv)(inTag, inCount, inVec);
}

void glsNumf(const GLubyte *inTag, GLfloat inVal) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsNumf)(inTag, inVal);
}

void glsNumfv(const GLubyte *inTag, GLint inCount, const GLfloat *inVec) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsNumfv)(inTag, inCount, inVec);
}

void glsNumi(const GLubyte *inTag, GLint inVal) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsNumi)(inTag, inVal);
}

void glsNumiv(const GLubyte *inTag, GLint inCount, const GLint *inVec) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsNumiv)(inTag, inCount, inVec);
}

void glsNuml(const GLubyte *inTag, GLlong inVal) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsNuml)(inTag, inVal);
}

void glsNumlv(const GLubyte *inTag, GLint inCount, const GLlong *inVec) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsNumlv)(inTag, inCount, inVec);
}

void glsNumsv(const GLubyte *inTag, GLint inCount, const GLshort *inVec) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsNumsv)(inTag, inCount, inVec);
}

void glsPad(void) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsPad)();
}

void glsString(const GLubyte *inTag, const GLubyte *inString) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsString)(inTag, inString);
}

void glsSwapBuffers(void) {
    if (__glsRequireContext()) __GLS_DISPATCH(glsSwapBuffers)();
}

#undef __GLS_DISPATCH

// ------------------------------------------------------ framing, blocks

void GLSAPI __gls_exec_glsBeginGLS(GLint inVersionMajor, GLint inVersionMinor) {}

void GLSAPI __gls_exec_glsEndGLS(void) {}

void GLSAPI __gls_exec_glsPad(void) {}

void GLSAPI __gls_exec_glsSwapBuffers(void) {}

void GLSAPI __gls_exec_glsBlock(GLSenum inBlockType) {
    __GLScontext *ctx = __glsGetContext();
    switch (inBlockType) {
    case GLS_HEADER:
        // A header block describes the stream afresh: nothing of an earlier
        // header survives it.
        __glsHeaderReset(&ctx->header);
        ctx->blockType = inBlockType;
        break;
    case GLS_FRAME:
    case GLS_INIT:
    case GLS_STATIC:
        ctx->blockType = inBlockType;
        break;
    default:
        __glsRaiseError(GLS_PARAMETER_ERROR);
    }
}

// ---------------------------------------------------------------- header

// The context when a header block is open; otherwise GLS_STATE_ERROR and
// null, so that nothing is stored.
static __GLScontext *__glsHeaderContext(void) {
    __GLScontext *ctx = __glsGetContext();
    if (ctx->blockType == GLS_HEADER) return ctx;
    __glsRaiseError(GLS_STATE_ERROR);
    return nullptr;
}

// Lengths, ratios and intensities are not negative: anything not above 0,
// NaN included, reads as 0.
static GLfloat __glsPositiveOrZero(GLfloat value) { return value > 0.0f ? value : 0.0f; }

// Counts of bits, buffers and pixels, and dates, start at 1.
static GLint __glsCountOrZero(GLint value) { return value >= 1 ? value : 0; }

void GLSAPI __gls_exec_glsHeaderc(GLSenum inAttrib, const GLubyte *inString) {
    __GLScontext *ctx = __glsHeaderContext();
    if (!ctx) return;
    __GLSstring *field;
    switch (inAttrib) {
    case GLS_AUTHOR: field = &ctx->header.author; break;
    case GLS_TITLE: field = &ctx->header.title; break;
    case GLS_VERSION: field = &ctx->header.version; break;
    default: __glsRaiseError(GLS_PARAMETER_ERROR); return;
    }
    if (!inString) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return;
    }
    // Kept as UTF-8 whatever the context's string type; a failed conversion
    // (out of memory) leaves the earlier text.
    __glsStringAssignUtf8(field, ctx->stringType, inString);
}

void GLSAPI __gls_exec_glsHeaderf(GLSenum inAttrib, GLfloat inVal) {
    __GLScontext *ctx = __glsHeaderContext();
    if (!ctx) return;
    switch (inAttrib) {
    case GLS_ASPECT: ctx->header.aspect = __glsPositiveOrZero(inVal); break;
    case GLS_CONTRAST: ctx->header.contrast = __glsPositiveOrZero(inVal); break;
    default: __glsRaiseError(GLS_PARAMETER_ERROR);
    }
}

void GLSAPI __gls_exec_glsHeaderfv(GLSenum inAttrib, const GLfloat *inVec) {
    __GLScontext *ctx = __glsHeaderContext();
    if (!ctx) return;
    GLfloat *field;
    GLint count = 2;
    switch (inAttrib) {
    case GLS_GAMMA: field = ctx->header.gamma; count = 4; break;
    case GLS_RED_POINT: field = ctx->header.redPoint; break;
    case GLS_GREEN_POINT: field = ctx->header.greenPoint; break;
    case GLS_BLUE_POINT: field = ctx->header.bluePoint; break;
    case GLS_WHITE_POINT: field = ctx->header.whitePoint; break;
    default: __glsRaiseError(GLS_PARAMETER_ERROR); return;
    }
    if (!inVec) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return;
    }
    for (GLint i = 0; i < count; ++i) field[i] = __glsPositiveOrZero(inVec[i]);
}

void GLSAPI __gls_exec_glsHeaderi(GLSenum inAttrib, GLint inVal) {
    __GLScontext *ctx = __glsHeaderContext();
    if (!ctx) return;
    __GLSheader *h = &ctx->header;
    GLint *field = nullptr;  // a count
    GLint *flag = nullptr;   // a yes or no
    switch (inAttrib) {
    case GLS_ACCUM_RED_BITS: field = &h->accumRedBits; break;
    case GLS_ACCUM_GREEN_BITS: field = &h->accumGreenBits; break;
    case GLS_ACCUM_BLUE_BITS: field = &h->accumBlueBits; break;
    case GLS_ACCUM_ALPHA_BITS: field = &h->accumAlphaBits; break;
    case GLS_AUX_BUFFERS: field = &h->auxBuffers; break;
    case GLS_COLOR_RED_BITS: field = &h->colorRedBits; break;
    case GLS_COLOR_GREEN_BITS: field = &h->colorGreenBits; break;
    case GLS_COLOR_BLUE_BITS: field = &h->colorBlueBits; break;
    case GLS_COLOR_ALPHA_BITS: field = &h->colorAlphaBits; break;
    case GLS_DEPTH_BITS: field = &h->depthBits; break;
    case GLS_HEIGHT: field = &h->height; break;
    case GLS_INDEX_BITS: field = &h->indexBits; break;
    case GLS_STENCIL_BITS: field = &h->stencilBits; break;
    case GLS_DOUBLEBUFFER: flag = &h->doubleBuffer; break;
    case GLS_RGBA_MODE: flag = &h->rgbaMode; break;
    case GLS_STEREO: flag = &h->stereo; break;
    case GLS_TILEABLE: flag = &h->tileable; break;
    default: __glsRaiseError(GLS_PARAMETER_ERROR); return;
    }
    if (field) *field = __glsCountOrZero(inVal);
    if (flag) *flag = inVal != 0;
}

void GLSAPI __gls_exec_glsHeaderiv(GLSenum inAttrib, const GLint *inVec) {
    __GLScontext *ctx = __glsHeaderContext();
    if (!ctx) return;
    if (inAttrib != GLS_CREATE_TIME || !inVec) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return;
    }
    for (GLint i = 0; i < 6; ++i) ctx->header.createTime[i] = __glsCountOrZero(inVec[i]);
}

// ----------------------------------------------- requirements and errors

void GLSAPI __gls_exec_glsError(GLSopcode inOpcode, GLSenum inError) {
    // An opcode that names nothing is reported as such, in place of the
    // error it came with.
    if (!__glsValidOpcode(inOpcode)) return;
    // GLS_UNSUPPORTED_VERSION is raised only by the version requirement
    // itself, never on behalf of a command.
    GLboolean known = inError >= GLS_DECODE_ERROR && inError <= GLS_UNSUPPORTED_EXTENSION;
    __glsRaiseError(known ? inError : (GLSenum)GLS_PARAMETER_ERROR);
}

void GLSAPI __gls_exec_glsRequireExtension(const GLubyte *inExtension) {
    if (!glsIsExtensionSupported(inExtension)) __glsRaiseError(GLS_UNSUPPORTED_EXTENSION);
}

void GLSAPI __gls_exec_glsRequireVersion(GLSenum inAPI, GLint inVersionMajor,
                                         GLint inVersionMinor) {
    if (!__glsIsVersionSupported(inAPI, inVersionMajor, inVersionMinor)) {
        __glsRaiseError(GLS_UNSUPPORTED_VERSION);
    }
}

void GLSAPI __gls_exec_glsUnsupportedCommand(const GLubyte *inCommand) {
    __glsRaiseError(GLS_UNSUPPORTED_COMMAND);
}

// ------------------------------------------------------- nested playback

GLSenum GLSAPI __gls_exec_glsCallStream(const GLubyte *inName) {
    __GLScontext *ctx = __glsGetContext();
    if (!__glsStreamCallAdmit(ctx)) return 0;
    __GLSutf8Arg name;
    if (!__glsStringArg(&name, ctx, inName)) {
        __glsArgToUtf8Free(&name);
        return 0;
    }
    __GLSstreamCall saved;
    __glsStreamCallBegin(ctx, &saved);

    GLSenum result = 0;
    __GLScontextStream *stream =
        (__GLScontextStream *)__glsStrDictLookup(ctx->contextStreamDict, name.text);
    if (stream && stream->beingWritten) {
        // Its bytes are still being laid down by a capture.
        __glsRaiseError(GLS_STATE_ERROR);
    } else if (stream) {
        result = GLS_CONTEXT;
        __glsContextStreamExecute(stream);
    } else {
        // Named files are played by the stream reader, which this build
        // does not have: the name is one that opens nothing.
        __glsRaiseError(GLS_PARAMETER_ERROR);
    }

    __glsStreamCallEnd(ctx, &saved);
    __glsArgToUtf8Free(&name);
    return result;
}

// ----------------------------------------------------------- annotations
// Structure, comments and numbers travel in the stream for its readers;
// executing them changes nothing.

void GLSAPI __gls_exec_glsBeginObj(const GLubyte *inTag) {}

void GLSAPI __gls_exec_glsComment(const GLubyte *inComment) {}

void GLSAPI __gls_exec_glsEndObj(void) {}

void GLSAPI __gls_exec_glsNumbv(const GLubyte *inTag, GLint inCount, const GLbyte *inVec) {}

void GLSAPI __gls_exec_glsNumd(const GLubyte *inTag, GLdouble inVal) {}

void GLSAPI __gls_exec_glsNumdv(const GLubyte *inTag, GLint inCount, const GLdouble *inVec) {}

void GLSAPI __gls_exec_glsNumf(const GLubyte *inTag, GLfloat inVal) {}

void GLSAPI __gls_exec_glsNumfv(const GLubyte *inTag, GLint inCount, const GLfloat *inVec) {}

void GLSAPI __gls_exec_glsNumi(const GLubyte *inTag, GLint inVal) {}

void GLSAPI __gls_exec_glsNumiv(const GLubyte *inTag, GLint inCount, const GLint *inVec) {}

void GLSAPI __gls_exec_glsNuml(const GLubyte *inTag, GLlong inVal) {}

void GLSAPI __gls_exec_glsNumlv(const GLubyte *inTag, GLint inCount, const GLlong *inVec) {}

void GLSAPI __gls_exec_glsNumsv(const GLubyte *inTag, GLint inCount, const GLshort *inVec) {}

void GLSAPI __gls_exec_glsString(const GLubyte *inTag, const GLubyte *inString) {}

// ------------------------------------------------------------ file names

void __glsDirectoryPart(const GLubyte *path, GLubyte *out) {
    const GLubyte *slash = (const GLubyte *)strrchr((const char *)path, '/');
    size_t length = slash ? (size_t)(slash - path) + 1 : 0;
    memcpy(out, path, length);
    out[length] = 0;
}

void __glsFilePart(const GLubyte *path, GLubyte *out) {
    const GLubyte *slash = (const GLubyte *)strrchr((const char *)path, '/');
    const GLubyte *file = slash ? slash + 1 : path;
    memmove(out, file, strlen((const char *)file) + 1);
}

}  // extern "C"
