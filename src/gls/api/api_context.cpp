// The context's callbacks, channels, prefixes and switches, and the queries
// of the context and of the header of the stream being read.
#include <string.h>
#include <time.h>

#include "api/api.h"
#include "stream/context_stream.h"

extern "C" {

// ---------------------------------------------------------- strings

GLboolean __glsStringArg(__GLSutf8Arg *arg, const __GLScontext *ctx, const GLvoid *string) {
    arg->text = nullptr;
    arg->storage.start = nullptr;
    if (!string) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return GL_FALSE;
    }
    return __glsArgToUtf8(arg, ctx->stringType, string);
}

const GLubyte *__glsScratchString(__GLScontext *ctx, const GLubyte *utf8) {
    if (!__glsStringAssignFromUtf8(&ctx->scratch, ctx->stringType, utf8)) return nullptr;
    return ctx->scratch.start;
}

// ---------------------------------------- callbacks, channels, switches

void glsReadFunc(__GLSreadFunc func) {
    if (__glsRequireContext()) __glsGetContext()->readFunc = func;
}

void glsWriteFunc(__GLSwriteFunc func) {
    if (__glsRequireContext()) __glsGetContext()->writeFunc = func;
}

__GLSfunc glsGetContextFunc(GLSenum attrib) {
    if (!__glsRequireContext()) return nullptr;
    __GLScontext *ctx = __glsGetContext();
    switch (attrib) {
    case GLS_CAPTURE_ENTRY_FUNC: return (__GLSfunc)ctx->captureEntryFunc;
    case GLS_CAPTURE_EXIT_FUNC: return (__GLSfunc)ctx->captureExitFunc;
    case GLS_READ_FUNC: return (__GLSfunc)ctx->readFunc;
    case GLS_WRITE_FUNC: return (__GLSfunc)ctx->writeFunc;
    }
    __glsRaiseError(GLS_PARAMETER_ERROR);
    return nullptr;
}

void glsChannel(GLSenum target, FILE *channel) {
    if (!__glsRequireContext()) return;
    __GLScontext *ctx = __glsGetContext();
    if (target == GLS_DEFAULT_READ_CHANNEL) {
        ctx->defaultReadChannel = channel;
    } else if (target == GLS_DEFAULT_WRITE_CHANNEL) {
        ctx->defaultWriteChannel = channel;
    } else {
        __glsRaiseError(GLS_PARAMETER_ERROR);
    }
}

void glsDataPointer(GLvoid *pointer) {
    if (__glsRequireContext()) __glsGetContext()->dataPointer = pointer;
}

GLvoid *glsGetContextPointer(GLSenum attrib) {
    if (!__glsRequireContext()) return nullptr;
    __GLScontext *ctx = __glsGetContext();
    switch (attrib) {
    case GLS_DEFAULT_READ_CHANNEL: return ctx->defaultReadChannel;
    case GLS_DEFAULT_WRITE_CHANNEL: return ctx->defaultWriteChannel;
    case GLS_DATA_POINTER: return ctx->dataPointer;
    }
    __glsRaiseError(GLS_PARAMETER_ERROR);
    return nullptr;
}

void glsStringType(GLSenum stringType) {
    if (!__glsRequireContext()) return;
    if (stringType == GLS_UCS1 || stringType == GLS_UCS2 || stringType == GLS_UCS4) {
        __glsGetContext()->stringType = stringType;
    } else {
        __glsRaiseError(GLS_PARAMETER_ERROR);
    }
}

static __GLSprefix *__glsNewReadPrefix(const GLubyte *text) {
    if (!__glsRequireContext()) return nullptr;
    __GLScontext *ctx = __glsGetContext();
    if (!text) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return nullptr;
    }
    return __glsPrefixCreate(ctx->stringType, text);
}

void glsAppendReadPrefix(const GLubyte *prefix) {
    __GLSprefix *entry = __glsNewReadPrefix(prefix);
    if (entry) __glsCountedListAppend(&__glsGetContext()->readPrefixes, &entry->link);
}

void glsPrependReadPrefix(const GLubyte *prefix) {
    __GLSprefix *entry = __glsNewReadPrefix(prefix);
    if (entry) __glsCountedListPrepend(&__glsGetContext()->readPrefixes, &entry->link);
}

// The node at position index, or null (GLS_PARAMETER_ERROR) when there is none.
static __GLSlistNode *__glsListAt(__GLScountedList *list, GLint index) {
    if (index < 0 || index >= list->count) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return nullptr;
    }
    __glsCountedListSeek(list, index);
    return list->cursor;
}

static void __glsPrefixFree(void *node) { __glsPrefixDestroy((__GLSprefix *)node); }

void glsRemoveReadPrefix(GLint index) {
    if (!__glsRequireContext()) return;
    __GLScontext *ctx = __glsGetContext();
    __GLSlistNode *node = __glsListAt(&ctx->readPrefixes, index);
    if (node) __glsCountedListDelete(&ctx->readPrefixes, node, __glsPrefixFree);
}

GLboolean glsWritePrefix(const GLubyte *prefix) {
    if (!__glsRequireContext()) return GL_FALSE;
    __GLScontext *ctx = __glsGetContext();
    if (!prefix) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return GL_FALSE;
    }
    return __glsStringAssignUtf8(&ctx->writePrefix->text, ctx->stringType, prefix);
}

// The switch an attribute names, or null (GLS_PARAMETER_ERROR).
static GLint *__glsAttribFlag(__GLScontext *ctx, GLSenum attrib) {
    if (attrib == GLS_ABORT_CALL) return &ctx->abortCall;
    if (attrib == GLS_CAPTURE_VERTEX_ARRAYS) return &ctx->captureVertexArrays;
    __glsRaiseError(GLS_PARAMETER_ERROR);
    return nullptr;
}

static void __glsSetAttrib(GLSenum attrib, GLint value) {
    if (!__glsRequireContext()) return;
    __GLScontext *ctx = __glsGetContext();
    GLint *flag = __glsAttribFlag(ctx, attrib);
    if (!flag) return;
    *flag = value;
    // Aborting turns every native decoder into a no-op.
    if (attrib == GLS_ABORT_CALL) __glsFillDecodeTable(ctx);
}

void __glsEnableAttrib(GLSenum attrib) { __glsSetAttrib(attrib, 1); }

void __glsDisableAttrib(GLSenum attrib) { __glsSetAttrib(attrib, 0); }

GLboolean __glsIsAttribEnabled(GLSenum attrib) {
    if (!__glsRequireContext()) return GL_FALSE;
    GLint *flag = __glsAttribFlag(__glsGetContext(), attrib);
    return flag && *flag ? GL_TRUE : GL_FALSE;
}

// ------------------------------------------------------ context queries

GLint glsGetContexti(GLSenum attrib) {
    if (!__glsRequireContext()) return 0;
    __GLScontext *ctx = __glsGetContext();
    switch (attrib) {
    case GLS_BLOCK_TYPE: return (GLint)ctx->blockType;
    case GLS_CALL_NESTING: return ctx->callNesting;
    case GLS_CAPTURE_NESTING: return ctx->captureNesting;
    case GLS_CONTEXT_STREAM_COUNT: return ctx->contextStreams.count;
    case GLS_MAX_CALL_NESTING: return __GLS_MAX_CALL_NESTING;
    case GLS_MAX_CAPTURE_NESTING: return __GLS_MAX_CAPTURE_NESTING;
    case GLS_OUT_ARG_COUNT: return ctx->outArgs.count;
    case GLS_READ_PREFIX_COUNT: return ctx->readPrefixes.count;
    case GLS_STRING_TYPE: return (GLint)ctx->stringType;
    case GLS_VERSION_MAJOR: return 1;
    case GLS_VERSION_MINOR: return 0;
    }
    __glsRaiseError(GLS_PARAMETER_ERROR);
    return 0;
}

const GLubyte *glsGetContextubz(GLSenum attrib) {
    if (!__glsRequireContext()) return nullptr;
    __GLScontext *ctx = __glsGetContext();
    switch (attrib) {
    case GLS_EXTENSIONS: return __glsScratchString(ctx, (const GLubyte *)__glsExtensions);
    // The release is the number 2 alone, with no words around it.
    case GLS_RELEASE: return __glsScratchString(ctx, (const GLubyte *)"2");
    case GLS_VENDOR: return __glsScratchString(ctx, (const GLubyte *)"ARB");
    case GLS_WRITE_PREFIX: return __glsScratchString(ctx, ctx->writePrefix->text.start);
    }
    __glsRaiseError(GLS_PARAMETER_ERROR);
    return nullptr;
}

const GLubyte *glsGetContextListubz(GLSenum attrib, GLint index) {
    if (!__glsRequireContext()) return nullptr;
    __GLScontext *ctx = __glsGetContext();
    if (attrib == GLS_READ_PREFIX_LIST) {
        __GLSlistNode *node = __glsListAt(&ctx->readPrefixes, index);
        return node ? __glsScratchString(ctx, ((__GLSprefix *)node)->text.start) : nullptr;
    }
    if (attrib == GLS_CONTEXT_STREAM_LIST) {
        __GLSlistNode *node = __glsListAt(&ctx->contextStreams, index);
        return node ? __glsScratchString(ctx, ((__GLScontextStream *)node)->name.start) : nullptr;
    }
    __glsRaiseError(GLS_PARAMETER_ERROR);
    return nullptr;
}

GLint glsGetContextListi(GLSenum attrib, GLint index) {
    if (!__glsRequireContext()) return 0;
    __GLScontext *ctx = __glsGetContext();
    if (attrib != GLS_OUT_ARG_SIZE_LIST || index < 0 || index >= ctx->outArgs.count ||
        index >= 4) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return 0;
    }
    return ctx->outArgs.sizes[index];
}

GLlong glsGetContextListl(GLSenum attrib, GLint index) {
    if (!__glsRequireContext()) return 0;
    __GLScontext *ctx = __glsGetContext();
    if (attrib != GLS_OUT_ARG_POINTER_LIST || index < 0 || index >= ctx->outArgs.count ||
        index >= 4) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return 0;
    }
    return (GLlong)ctx->outArgs.pointers[index];
}

GLint *glsGetCurrentTime(GLSenum attrib, GLint outTime[6]) {
    if (!__glsRequireContext()) return nullptr;
    if (attrib != GLS_CURRENT_TIME || !outTime) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return nullptr;
    }
    memset(outTime, 0, 6 * sizeof(GLint));
    time_t now = time(nullptr);
    // gmtime hands back a record shared by the whole process.
    __glsLock();
    const struct tm *utc = now == (time_t)-1 ? nullptr : gmtime(&now);
    if (utc) {
        outTime[0] = utc->tm_year + 1900;
        outTime[1] = utc->tm_mon + 1;
        outTime[2] = utc->tm_mday;
        outTime[3] = utc->tm_hour;
        outTime[4] = utc->tm_min;
        outTime[5] = utc->tm_sec;
    }
    __glsUnlock();
    return outTime;
}

size_t glsGetReadOffset(void) {
    __GLScontext *ctx = __glsGetContext();
    if (!ctx) return 0;
    if (ctx->readCursor) return (size_t)((GLulong)(*ctx->readCursor - ctx->readStart) + ctx->readBase);
    return (size_t)ctx->readBase;
}

// ------------------------------------------------------- header queries

const GLubyte *glsGetHeaderubz(GLSenum attrib) {
    if (!__glsRequireContext()) return nullptr;
    __GLScontext *ctx = __glsGetContext();
    switch (attrib) {
    case GLS_AUTHOR: return __glsScratchString(ctx, ctx->header.author.start);
    case GLS_TITLE: return __glsScratchString(ctx, ctx->header.title.start);
    case GLS_VERSION: return __glsScratchString(ctx, ctx->header.version.start);
    }
    __glsRaiseError(GLS_PARAMETER_ERROR);
    return nullptr;
}

GLfloat glsGetHeaderf(GLSenum attrib) {
    if (!__glsRequireContext()) return 0.0f;
    __GLSheader *header = &__glsGetContext()->header;
    if (attrib == GLS_ASPECT) return header->aspect;
    if (attrib == GLS_CONTRAST) return header->contrast;
    __glsRaiseError(GLS_PARAMETER_ERROR);
    return 0.0f;
}

GLfloat *glsGetHeaderfv(GLSenum attrib, GLfloat *outVec) {
    if (!__glsRequireContext()) return nullptr;
    __GLSheader *header = &__glsGetContext()->header;
    const GLfloat *values = nullptr;
    size_t count = 2;
    switch (attrib) {
    case GLS_GAMMA: values = header->gamma; count = 4; break;
    case GLS_RED_POINT: values = header->redPoint; break;
    case GLS_GREEN_POINT: values = header->greenPoint; break;
    case GLS_BLUE_POINT: values = header->bluePoint; break;
    case GLS_WHITE_POINT: values = header->whitePoint; break;
    }
    if (!values || !outVec) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return nullptr;
    }
    memcpy(outVec, values, count * sizeof(GLfloat));
    return outVec;
}

GLint glsGetHeaderi(GLSenum attrib) {
    if (!__glsRequireContext()) return 0;
    const __GLSheader *h = &__glsGetContext()->header;
    switch (attrib) {
    case GLS_ACCUM_RED_BITS: return h->accumRedBits;
    case GLS_ACCUM_GREEN_BITS: return h->accumGreenBits;
    case GLS_ACCUM_BLUE_BITS: return h->accumBlueBits;
    case GLS_ACCUM_ALPHA_BITS: return h->accumAlphaBits;
    case GLS_AUX_BUFFERS: return h->auxBuffers;
    case GLS_COLOR_RED_BITS: return h->colorRedBits;
    case GLS_COLOR_GREEN_BITS: return h->colorGreenBits;
    case GLS_COLOR_BLUE_BITS: return h->colorBlueBits;
    case GLS_COLOR_ALPHA_BITS: return h->colorAlphaBits;
    case GLS_DEPTH_BITS: return h->depthBits;
    case GLS_DOUBLEBUFFER: return h->doubleBuffer;
    case GLS_HEIGHT: return h->height;
    case GLS_INDEX_BITS: return h->indexBits;
    case GLS_RGBA_MODE: return h->rgbaMode;
    case GLS_STENCIL_BITS: return h->stencilBits;
    case GLS_STEREO: return h->stereo;
    case GLS_TILEABLE: return h->tileable;
    }
    __glsRaiseError(GLS_PARAMETER_ERROR);
    return 0;
}

GLint *glsGetHeaderiv(GLSenum attrib, GLint *outVec) {
    if (!__glsRequireContext()) return nullptr;
    if (attrib != GLS_CREATE_TIME || !outVec) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return nullptr;
    }
    memcpy(outVec, __glsGetContext()->header.createTime, sizeof(GLint) * 6);
    return outVec;
}

}  // extern "C"
