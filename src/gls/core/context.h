// The per-thread GLS context: the per-opcode tables every command travels
// through, the capture and call nesting with their writers, the callbacks,
// channels and prefixes set through the programming interface, the header of
// the stream being read and a cache of facts about the real OpenGL.
// The exported entry points read `dispatch` in place, inside the record.
#pragma once

#include <stdio.h>

#include "base/dict.h"
#include "core/client_state.h"
#include "gls_functions.h"
#include "base/util.h"
#include "core/startup.h"

struct __GLSwriter;

// Callbacks of the programming interface; the callee removes the arguments.
typedef void(GLSAPI *__GLScaptureFunc)(GLSopcode opcode);
typedef size_t(GLSAPI *__GLSreadFunc)(size_t byteCount, GLubyte *bytes);
typedef size_t(GLSAPI *__GLSwriteFunc)(size_t byteCount, const GLubyte *bytes);
typedef void(GLSAPI *__GLSdecodeFunc)(GLubyte *args);

enum {
    __GLS_MAX_CAPTURE_NESTING = 16,
    __GLS_MAX_CALL_NESTING = 64,
};

// The bits of a command's capture flags (captureFlags).
enum {
    __GLS_CAPTURE_EXECUTE = 1,
    __GLS_CAPTURE_WRITE = 2,
    __GLS_CAPTURE_CALLBACKS = 4,
};

// Facts about the real OpenGL, each -1 until first asked.
struct __GLSglInfo {
    GLint decimalPoint;  // 0 when the locale's decimal point is '.'
    GLint haveGLContext;
    GLint texture3D;
    GLint texture4D;
    GLint versionMajor;
    GLint versionMinor;
    GLint bufferObjects;  // GL 1.5 or GL_ARB_vertex_buffer_object
    GLint packDefaultsSet;
    GLint unpackDefaultsSet;
};

// The values of the glsHeader commands of the stream being read.
struct __GLSheader {
    __GLSstring author;  // UTF-8
    __GLSstring title;
    __GLSstring version;
    GLfloat aspect;
    GLfloat contrast;
    GLfloat gamma[4];
    GLfloat redPoint[2];
    GLfloat greenPoint[2];
    GLfloat bluePoint[2];
    GLfloat whitePoint[2];
    GLint accumRedBits;
    GLint accumGreenBits;
    GLint accumBlueBits;
    GLint accumAlphaBits;
    GLint auxBuffers;
    GLint colorRedBits;
    GLint colorGreenBits;
    GLint colorBlueBits;
    GLint colorAlphaBits;
    GLint depthBits;
    GLint stencilBits;
    GLint height;
    GLint indexBits;
    GLint doubleBuffer;
    GLint stereo;
    GLint tileable;
    GLint rgbaMode;
    GLint createTime[6];  // year, month, day, hour, minute, second
};

// What the get-command decoders record about the outputs of the call in
// progress.
struct __GLSoutArgs {
    GLint count;
    GLint sizes[4];
    GLulong pointers[4];
};

// One read prefix, or the write prefix.
struct __GLSprefix {
    __GLSlistNode link;
    __GLSstring text;  // UTF-8
};

struct __GLScontext {
    __GLSlistNode link;  // in __glsContextList; a list node begins its record
    GLint abortCall;
    GLSenum blockType;
    __GLSglInfo glInfo;
    __GLSfunc callOverride[GLS_OP_COUNT];
    GLint callNesting;
    __GLScaptureFunc captureEntryFunc;
    GLint captureExecDepth;
    __GLScaptureFunc captureExitFunc;
    GLubyte captureFlags[GLS_OP_COUNT];
    GLint captureNesting;
    GLint captureVertexArrays;
    // The arrays glArrayElement draws from inside glBegin and glEnd, where
    // the GL may not be asked: asked when glBegin was captured, with the
    // mirror as it stood then. They hold while the mirror is unchanged.
    GLint elementArraysSet;
    __GLSvertexArrayState elementArrays;
    __GLSvertexArrayState elementMirror;
    // The bytes of the decoders' buffers in use, all nesting levels together.
    GLulong decodeLiveBytes;
    GLulong readBase;  // data offset of readStart in the stream being read
    GLubyte *readStart;
    GLubyte **readCursor;
    // The record a walker is decoding: its argument block and the argument
    // bytes its header gives. Every walk sets them before it calls a
    // decoder, which reads nothing beyond them and takes them from here
    // only: the bytes in front of an argument block are no header to guess.
    const GLubyte *recordArgs;
    GLulong recordArgBytes;
    // Set while a stream from a file, a channel or the read function is
    // decoded: its addresses are another process's. The client-array
    // pointers such a stream has set, by array slot, with a bit each.
    GLint readForeign;
    const GLvoid *streamArrays[__GLS_ARRAY_SLOTS];
    GLuint streamArrayMask;
    __GLSdict *contextStreamDict;
    __GLScountedList contextStreams;
    GLint isCurrent;
    GLvoid *dataPointer;
    FILE *defaultReadChannel;
    FILE *defaultWriteChannel;
    GLint deletePending;
    __GLSfunc dispatch[GLS_OP_COUNT];
    __GLSfunc callFuncs[GLS_OP_COUNT];
    __GLSfunc captureFuncs[GLS_OP_COUNT];
    __GLSdecodeFunc decodeFuncs[GLS_OP_COUNT];
    __GLSclientState clientState;
    __GLSheader header;
    GLuint name;
    __GLSoutArgs outArgs;
    GLulong lastOutPointer;
    __GLSreadFunc readFunc;
    __GLScountedList readPrefixes;
    __GLSstring scratch;
    GLSenum stringType;
    __GLSwriter *writer;
    __GLSwriter *writerStack[__GLS_MAX_CAPTURE_NESTING];
    __GLSwriter *spareWriter;  // the memory of the last file writer ended
    __GLSwriteFunc writeFunc;
    __GLSprefix *writePrefix;
    // Set by a program that stands in for the system library: every
    // client-side command reaches the real library, a GL context current
    // there or not, and no query is answered from the client-state mirror,
    // so that its callers get what the system library alone gives them.
    GLint clientRealAlways;
};

// Read in place where the platform allows: every GL call of a capturing
// thread asks for it.
static inline __GLScontext *__glsGetContext(void) {
    return (__GLScontext *)__glsTlsGetInline(__glsContextTLS);
}

// Publishes the record whose argument block a walker hands to a decoder.
static inline void __glsSetRecord(__GLScontext *ctx, const GLubyte *args, GLulong argBytes) {
    ctx->recordArgs = args;
    ctx->recordArgBytes = argBytes;
}

// The capture-exec guard (__glsBeginCaptureExec and __glsEndCaptureExec) on
// a context already at hand, for the code on every GL call's path, which
// has read the thread's context once.
static inline void __glsCaptureExecEnter(__GLScontext *ctx) { ++ctx->captureExecDepth; }
static inline void __glsCaptureExecLeave(__GLScontext *ctx) { --ctx->captureExecDepth; }

extern "C" {
extern __GLSlist __glsContextList;
extern GLuint __glsNextContextName;

// Context life.
__GLScontext *__glsContextCreate(GLuint name);
// Accepts null; always returns null. Leaves the thread-local slot alone.
__GLScontext *__glsContextDestroy(__GLScontext *ctx);
GLuint glsGenContext(void);
void glsContext(GLuint name);
void glsDeleteContext(GLuint name);
GLuint glsGetCurrentContext(void);
// Zero-terminated; the caller frees it.
GLuint *glsGetAllContexts(void);
GLboolean glsIsContext(GLuint name);

// Tables.
void __glsUpdateDispatch(__GLScontext *ctx);
void __glsFillDecodeTable(__GLScontext *ctx);
void GLSAPI __glsNoOpDecode(GLubyte *args);

// Facts about the real OpenGL, asked on first use.
GLboolean __glsHaveGLContext(__GLSglInfo *info);
// which: 0 GL_EXT_texture3D, 1 GL_EXT_texture4D.
GLboolean __glsGLExtensionPresent(__GLSglInfo *info, GLint which);
void __glsGLVersion(__GLSglInfo *info, GLint *outMajor, GLint *outMinor);
// The name of the buffer object bound at `binding` (GL_ELEMENT_ARRAY_BUFFER_
// BINDING, GL_VERTEX_ARRAY_BUFFER_BINDING, ...), asked of the real GL where
// it has buffer objects; 0 where it has none. While one is bound, the
// pointer a draw or an array command gets is an offset into it, and no
// client memory lies behind it.
GLuint __glsBoundBuffer(__GLSglInfo *info, GLenum binding);
GLint __glsDecimalPoint(__GLSglInfo *info);
void __glsGLInfoReset(__GLSglInfo *info);
GLint __glsTextureUnitCount(__GLScontext *ctx);

// Header and prefixes.
void __glsHeaderInit(__GLSheader *header);
void __glsHeaderFree(__GLSheader *header);
void __glsHeaderReset(__GLSheader *header);
// text of stringType, stored UTF-8; null text gives the empty prefix.
__GLSprefix *__glsPrefixCreate(GLSenum stringType, const GLvoid *text);
__GLSprefix *__glsPrefixDestroy(__GLSprefix *prefix);
GLboolean __glsPrefixedName(const __GLSprefix *prefix, const GLubyte *name, __GLSstring *buffer);

// Checks the programming interface runs first.
GLboolean __glsRequireContext(void);
GLboolean __glsRequireCapture(void);
void __glsCallErrorFunc(GLSopcode opcode, GLSenum error);
void __glsCallUnsupportedCommand(const GLubyte *name);
// Reports a record whose opcode no decoder takes (one of 496 or more among
// them) to the unsupported-command function by its number, as "0x%X".
void __glsCallUnsupportedOpcode(GLuint opcode);
}
