#include "core/context.h"

#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "base/dict.h"
#include "core/seam.h"
#include "stream/context_stream.h"

extern "C" {

GLuint __glsNextContextName = 1;

// ------------------------------------------------------------ prefixes

__GLSprefix *__glsPrefixCreate(GLSenum stringType, const GLvoid *text) {
    __GLSprefix *prefix = (__GLSprefix *)__glsCalloc(1, sizeof(__GLSprefix));
    if (!prefix) return nullptr;
    __glsStringBufferInit(&prefix->text);
    if (text && !__glsStringAssignUtf8(&prefix->text, stringType, text)) {
        return __glsPrefixDestroy(prefix);
    }
    return prefix;
}

__GLSprefix *__glsPrefixDestroy(__GLSprefix *prefix) {
    if (prefix) {
        __glsStringBufferFree(&prefix->text);
        free(prefix);
    }
    return nullptr;
}

static void __glsPrefixFreeNode(void *node) { __glsPrefixDestroy((__GLSprefix *)node); }

static void __glsContextStreamFreeNode(void *node) {
    __glsContextStreamDestroy((__GLScontextStream *)node);
}

// The stream openers turn the buffer back into single bytes, so each byte
// of the prefix and of the name travels as one character.
GLboolean __glsPrefixedName(const __GLSprefix *prefix, const GLubyte *name, __GLSstring *buffer) {
    if (__glsStringAssignUtf8(buffer, GLS_UCS1, prefix->text.start) &&
        __glsStringAppendUtf8(buffer, GLS_UCS1, name)) {
        return GL_TRUE;
    }
    __glsStringBufferReset(buffer);
    return GL_FALSE;
}

// Appends one read prefix per piece of the list, the pieces separated by any
// character of separators; empty pieces are skipped.
static GLboolean __glsAppendReadPrefixes(__GLScontext *ctx, const char *list,
                                         const char *separators) {
    size_t length = strlen(list);
    char *copy = (char *)__glsMalloc(length + 1);
    if (!copy) return GL_FALSE;
    memcpy(copy, list, length + 1);
    GLboolean ok = GL_TRUE;
    char *piece = copy;
    for (size_t i = 0; i <= length && ok; ++i) {
        if (copy[i] != '\0' && (separators[0] == '\0' || !strchr(separators, copy[i]))) continue;
        copy[i] = '\0';
        if (*piece) {
            __GLSprefix *prefix = __glsPrefixCreate(GLS_UCS1, piece);
            if (prefix) {
                __glsCountedListAppend(&ctx->readPrefixes, &prefix->link);
            } else {
                ok = GL_FALSE;
            }
        }
        piece = copy + i + 1;
    }
    free(copy);
    return ok;
}

// -------------------------------------------------------------- header

void __glsHeaderInit(__GLSheader *header) {
    memset(header, 0, sizeof *header);
    __glsStringBufferInit(&header->author);
    __glsStringBufferInit(&header->title);
    __glsStringBufferInit(&header->version);
    header->colorRedBits = 1;
    header->colorGreenBits = 1;
    header->colorBlueBits = 1;
    header->tileable = 1;
    header->rgbaMode = 1;
}

void __glsHeaderFree(__GLSheader *header) {
    __glsStringBufferFree(&header->author);
    __glsStringBufferFree(&header->title);
    __glsStringBufferFree(&header->version);
}

void __glsHeaderReset(__GLSheader *header) {
    __glsHeaderFree(header);
    __glsHeaderInit(header);
}

// ------------------------------------------------------ context record

__GLScontext *__glsContextCreate(GLuint name) {
    __GLScontext *ctx = (__GLScontext *)__glsCalloc(1, sizeof(__GLScontext));
    if (!ctx) return nullptr;
    // Everything destruction frees is made valid before anything can fail.
    __glsStringBufferInit(&ctx->scratch);
    __glsHeaderInit(&ctx->header);
    __glsClientStateInit(&ctx->clientState);
    ctx->blockType = GLS_FRAME;
    __glsGLInfoReset(&ctx->glInfo);

    // Client-side commands that hand nothing back are executed as well as
    // written; the framing commands are the writer's own business.
    for (GLSopcode op = 0; op < GLS_OP_COUNT; ++op) {
        GLubyte attributes = __glsOpAttributes[op];
        const bool execute = (attributes & __GLS_ATTRIB_CLIENT) && !(attributes & __GLS_ATTRIB_GET);
        ctx->captureFlags[op] = __GLS_CAPTURE_WRITE | (execute ? __GLS_CAPTURE_EXECUTE : 0);
    }
    ctx->captureFlags[__GLS_OP_glsBeginGLS] = 0;
    ctx->captureFlags[__GLS_OP_glsEndGLS] = 0;
    ctx->captureFlags[__GLS_OP_glsPad] = 0;

    ctx->contextStreamDict = __glsStrDictCreate(16, 0);
    if (!ctx->contextStreamDict) return __glsContextDestroy(ctx);

    ctx->defaultReadChannel = stdin;
    ctx->defaultWriteChannel = stdout;
    memcpy(ctx->captureFuncs, __glsDefaultCaptureTable, sizeof ctx->captureFuncs);
    ctx->name = name;

    const char *separators = getenv("GLS_LIST_SEPARATOR");
    if (!separators) separators = ":";
    const char *list = getenv("GLS_READ_PREFIX_LIST");
    if (list && !__glsAppendReadPrefixes(ctx, list, separators)) return __glsContextDestroy(ctx);
    // The plain name is tried last.
    __GLSprefix *empty = __glsPrefixCreate(GLS_UCS1, nullptr);
    if (!empty) return __glsContextDestroy(ctx);
    __glsCountedListAppend(&ctx->readPrefixes, &empty->link);

    ctx->stringType = GLS_UCS1;
    ctx->writePrefix = __glsPrefixCreate(GLS_UCS1, getenv("GLS_WRITE_PREFIX"));
    if (!ctx->writePrefix) return __glsContextDestroy(ctx);

    __glsUpdateDispatch(ctx);
    return ctx;
}

__GLScontext *__glsContextDestroy(__GLScontext *ctx) {
    if (!ctx) return nullptr;
    for (GLint level = 0; level < ctx->captureNesting; ++level) {
        __glsWriterDestroy(ctx->writerStack[level]);
    }
    __glsWriterDestroy(ctx->spareWriter);
    __glsStrDictDelete(ctx->contextStreamDict);
    __glsCountedListClear(&ctx->contextStreams, __glsContextStreamFreeNode);
    __glsHeaderFree(&ctx->header);
    __glsClientStateFree(&ctx->clientState);
    __glsCountedListClear(&ctx->readPrefixes, __glsPrefixFreeNode);
    __glsStringBufferFree(&ctx->scratch);
    __glsPrefixDestroy(ctx->writePrefix);
    free(ctx);
    return nullptr;
}

// --------------------------------------------------------------- tables

void GLSAPI __glsNoOpDecode(GLubyte *args) { (void)args; }

void __glsFillDecodeTable(__GLScontext *ctx) {
    for (GLSopcode op = 0; op < GLS_OP_COUNT; ++op) {
        if (ctx->abortCall) {
            ctx->decodeFuncs[op] = __glsNoOpDecode;
        } else {
            // An opcode without a native decoder has none here either: its
            // call function takes the command's own arguments, and calling
            // it with one pointer would unbalance a callee-pops stack.
            ctx->decodeFuncs[op] = __glsDispatchDecode_bin_default[op];
        }
    }
}

void __glsUpdateDispatch(__GLScontext *ctx) {
    const __GLSfunc *source =
        ctx->captureNesting > 0 ? __glsDispatchCapture : __glsDefaultDispatchTable;
    memcpy(ctx->dispatch, source, sizeof ctx->dispatch);
    for (GLSopcode op = 0; op < GLS_OP_COUNT; ++op) {
        ctx->callFuncs[op] = ctx->callOverride[op] ? ctx->callOverride[op] : ctx->dispatch[op];
    }
    __glsFillDecodeTable(ctx);
}

// ------------------------------------------------------------- GL facts

void __glsGLInfoReset(__GLSglInfo *info) {
    info->decimalPoint = -1;
    info->haveGLContext = -1;
    info->texture3D = -1;
    info->texture4D = -1;
    info->versionMajor = -1;
    info->versionMinor = -1;
    info->bufferObjects = -1;
    info->packDefaultsSet = 0;
    info->unpackDefaultsSet = 0;
}

// The real library is asked inside the guard, so that a capture open on the
// thread does not record the system's own questions.
static const GLubyte *__glsRealGetString(GLenum name) {
    GLint token = __glsBeginCaptureExec(__GLS_OP_glGetString);
    const GLubyte *result = __GLS_SLOT(__glsDefaultDispatchTable, glGetString)(name);
    __glsEndCaptureExec(__GLS_OP_glGetString, token);
    return result;
}

GLboolean __glsHaveGLContext(__GLSglInfo *info) {
    if (info->haveGLContext < 0) {
        // Without a GL context the query leaves the value alone.
        GLint lights = 0;
        GLint token = __glsBeginCaptureExec(__GLS_OP_glGetIntegerv);
        __GLS_SLOT(__glsDefaultDispatchTable, glGetIntegerv)(GL_MAX_LIGHTS, &lights);
        __glsEndCaptureExec(__GLS_OP_glGetIntegerv, token);
        info->haveGLContext = lights != 0;
    }
    return (GLboolean)info->haveGLContext;
}

GLboolean __glsGLExtensionPresent(__GLSglInfo *info, GLint which) {
    GLint *fact = which ? &info->texture4D : &info->texture3D;
    if (*fact < 0) {
        *fact = 0;
        if (__glsHaveGLContext(info)) {
            const GLubyte *extensions = __glsRealGetString(GL_EXTENSIONS);
            const char *wanted = which ? "GL_EXT_texture4D" : "GL_EXT_texture3D";
            *fact = extensions && strstr((const char *)extensions, wanted) != nullptr;
        }
    }
    return (GLboolean)*fact;
}

void __glsGLVersion(__GLSglInfo *info, GLint *outMajor, GLint *outMinor) {
    if (info->versionMajor < 0) {
        info->versionMajor = 1;
        info->versionMinor = 1;
        if (__glsHaveGLContext(info)) {
            const char *version = (const char *)__glsRealGetString(GL_VERSION);
            const char *dot = version ? strchr(version, '.') : nullptr;
            if (dot) {
                info->versionMajor = atoi(version);
                info->versionMinor = atoi(dot + 1);
            }
        }
    }
    *outMajor = info->versionMajor;
    *outMinor = info->versionMinor;
}

GLuint __glsBoundBuffer(__GLSglInfo *info, GLenum binding) {
    if (info->bufferObjects < 0) {
        GLint major, minor;
        __glsGLVersion(info, &major, &minor);
        info->bufferObjects = major > 1 || (major == 1 && minor >= 5);
        if (!info->bufferObjects && __glsHaveGLContext(info)) {
            const char *extensions = (const char *)__glsRealGetString(GL_EXTENSIONS);
            info->bufferObjects =
                extensions && strstr(extensions, "GL_ARB_vertex_buffer_object") != nullptr;
        }
    }
    // A GL without them would raise an error the application would see.
    if (!info->bufferObjects) return 0;
    GLint name = 0;
    const GLint token = __glsBeginCaptureExec(__GLS_OP_glGetIntegerv);
    __GLS_SLOT(__glsDefaultDispatchTable, glGetIntegerv)(binding, &name);
    __glsEndCaptureExec(__GLS_OP_glGetIntegerv, token);
    return (GLuint)name;
}

GLint __glsDecimalPoint(__GLSglInfo *info) {
    if (info->decimalPoint < 0) {
        const struct lconv *conventions = localeconv();
        signed char point = conventions && conventions->decimal_point
                                ? (signed char)conventions->decimal_point[0]
                                : '.';
        info->decimalPoint = point == '.' ? 0 : point;
    }
    return info->decimalPoint;
}

GLint __glsTextureUnitCount(__GLScontext *ctx) {
    (void)ctx;
    return 1;
}

// -------------------------------------------------------- named contexts

GLuint glsGenContext(void) {
    __glsLock();
    GLuint name = __glsNextContextName;
    __GLScontext *ctx = __glsContextCreate(name);
    GLboolean filed = ctx && __glsIntDictAdd(__glsContextDict, name, ctx);
    if (filed) {
        ++__glsContextCount;
        ++__glsNextContextName;
        __glsListAppend(&__glsContextList, &ctx->link);
    }
    __glsUnlock();
    if (filed) return name;
    __glsContextDestroy(ctx);
    return 0;
}

// Lets go of the thread's context; one deleted while current goes now.
// Called under the lock.
static void __glsReleaseContext(__GLScontext *ctx) {
    if (ctx->deletePending) {
        __glsContextDestroy(ctx);
    } else {
        ctx->isCurrent = 0;
    }
}

void glsContext(GLuint name) {
    __GLScontext *current = __glsGetContext();
    if (!name) {
        if (!current) return;
        __glsLock();
        __glsReleaseContext(current);
        __glsUnlock();
        __glsTlsSet(__glsContextTLS, nullptr);
        return;
    }
    GLSenum error = 0;
    __glsLock();
    __GLScontext *ctx = (__GLScontext *)__glsIntDictFind(__glsContextDict, name);
    if (!ctx) {
        error = GLS_PARAMETER_ERROR;
    } else if (ctx != current) {
        if (ctx->isCurrent) {
            error = GLS_STATE_ERROR;
        } else {
            if (current) __glsReleaseContext(current);
            ctx->isCurrent = 1;
        }
    }
    __glsUnlock();
    if (error) {
        __glsRaiseError(error);
        return;
    }
    if (ctx != current) __glsTlsSet(__glsContextTLS, ctx);
    __glsGLInfoReset(&ctx->glInfo);
}

void glsDeleteContext(GLuint name) {
    GLboolean found = GL_FALSE;
    if (name) {
        __glsLock();
        __GLScontext *ctx = (__GLScontext *)__glsIntDictFind(__glsContextDict, name);
        if (ctx) {
            found = GL_TRUE;
            __glsIntDictRemove(__glsContextDict, name);
            __glsListRemove(&__glsContextList, &ctx->link);
            --__glsContextCount;
            if (ctx->isCurrent) {
                ctx->deletePending = 1;
            } else {
                __glsContextDestroy(ctx);
            }
        }
        __glsUnlock();
    }
    if (!found) __glsRaiseError(GLS_PARAMETER_ERROR);
}

GLuint glsGetCurrentContext(void) {
    __GLScontext *ctx = __glsGetContext();
    return ctx ? ctx->name : 0;
}

GLuint *glsGetAllContexts(void) {
    __glsLock();
    GLuint *names = (GLuint *)__glsMalloc((size_t)(__glsContextCount + 1) * sizeof(GLuint));
    if (names) {
        GLint i = 0;
        __GLSlistIter iter;
        for (__glsListFirst(&__glsContextList, &iter); iter; __glsListNext(&__glsContextList, &iter)) {
            names[i++] = ((__GLScontext *)iter)->name;
        }
        names[i] = 0;
    }
    __glsUnlock();
    return names;
}

GLboolean glsIsContext(GLuint name) {
    __glsLock();
    GLboolean found = __glsIntDictFind(__glsContextDict, name) != nullptr;
    __glsUnlock();
    return found;
}

void __glsDeleteAllContexts(void) {
    __GLSlistIter iter;
    __glsListFirst(&__glsContextList, &iter);
    while (iter) {
        __GLScontext *ctx = (__GLScontext *)iter;
        // Step first: destroying the context frees the node we stand on.
        __glsListNext(&__glsContextList, &iter);
        __glsContextDestroy(ctx);
    }
    __glsContextList = nullptr;
    __glsContextCount = 0;
    __glsContextDict = __glsIntDictDelete(__glsContextDict);
}

// ------------------------------------------------------- checks, errors

GLboolean __glsRequireContext(void) {
    if (__glsGetContext()) return GL_TRUE;
    __glsRaiseError(GLS_STATE_ERROR);
    return GL_FALSE;
}

GLboolean __glsRequireCapture(void) {
    __GLScontext *ctx = __glsGetContext();
    if (ctx && ctx->captureNesting > 0) return GL_TRUE;
    __glsRaiseError(GLS_STATE_ERROR);
    return GL_FALSE;
}

void __glsCallErrorFunc(GLSopcode opcode, GLSenum error) {
    __GLScontext *ctx = __glsGetContext();
    if (!ctx) return;
    __GLS_SLOT(ctx->callFuncs, glsError)(opcode, error);
}

void __glsCallUnsupportedCommand(const GLubyte *name) {
    __GLScontext *ctx = __glsGetContext();
    if (!ctx) return;
    GLboolean all7Bit = GL_FALSE;
    size_t length = __glsUtf8ByteLength(name, &all7Bit);
    size_t size = __glsUtf8ToCharsSize(length + 1, all7Bit ? 1 : 0, ctx->stringType);
    GLubyte *chars = (GLubyte *)__glsMalloc(size);
    if (!chars) return;
    __glsUtf8ToChars(name, ctx->stringType, chars);
    __GLS_SLOT(ctx->callFuncs, glsUnsupportedCommand)(chars);
    free(chars);
}

void __glsCallUnsupportedOpcode(GLuint opcode) {
    char text[16];
    snprintf(text, sizeof text, "0x%X", opcode);
    __glsCallUnsupportedCommand((const GLubyte *)text);
}

}  // extern "C"
