// The GLS programming interface that acts on the calling thread's current
// context (capture control, command functions, callbacks, channels,
// prefixes, switches and queries) and the queries that need no context.
// The context functions themselves (glsGenContext, glsContext, ...) are
// declared with the context record in context.h.
//
// Strings passed in are in the context's string type; strings handed back
// live in the context's scratch buffer until its next string query.
#pragma once

#include <stdio.h>

#include "core/context.h"

extern "C" {

// ------------------------------------------------ capture (api_capture.cpp)
GLboolean glsBeginCapture(const GLubyte *streamName, GLSenum streamType, GLbitfield writeFlags);
void glsEndCapture(void);
void glsFlush(void);
// Makes the next command of the open capture start a new 8-byte phase.
void __glsResetAlignPhase(void);
void glsCaptureFlags(GLSopcode opcode, GLbitfield flags);
GLbitfield glsGetCaptureFlags(GLSopcode opcode);
void __glsSetCommandFunc(GLSenum attrib, GLSopcode opcode, __GLSfunc func);
__GLSfunc __glsGetCommandFunc(GLSenum attrib, GLSopcode opcode);
void glsCaptureFunc(GLSenum target, __GLScaptureFunc func);

// ------------------------------------------------ context (api_context.cpp)
void glsReadFunc(__GLSreadFunc func);
void glsWriteFunc(__GLSwriteFunc func);
__GLSfunc glsGetContextFunc(GLSenum attrib);
void glsChannel(GLSenum target, FILE *channel);
void glsDataPointer(GLvoid *pointer);
GLvoid *glsGetContextPointer(GLSenum attrib);
void glsStringType(GLSenum stringType);
void glsAppendReadPrefix(const GLubyte *prefix);
void glsPrependReadPrefix(const GLubyte *prefix);
void glsRemoveReadPrefix(GLint index);
GLboolean glsWritePrefix(const GLubyte *prefix);
void __glsEnableAttrib(GLSenum attrib);
void __glsDisableAttrib(GLSenum attrib);
GLboolean __glsIsAttribEnabled(GLSenum attrib);

GLint glsGetContexti(GLSenum attrib);
const GLubyte *glsGetContextubz(GLSenum attrib);
const GLubyte *glsGetContextListubz(GLSenum attrib, GLint index);
GLint glsGetContextListi(GLSenum attrib, GLint index);
GLlong glsGetContextListl(GLSenum attrib, GLint index);
GLint *glsGetCurrentTime(GLSenum attrib, GLint outTime[6]);
size_t glsGetReadOffset(void);

const GLubyte *glsGetHeaderubz(GLSenum attrib);
GLfloat glsGetHeaderf(GLSenum attrib);
GLfloat *glsGetHeaderfv(GLSenum attrib, GLfloat *outVec);
GLint glsGetHeaderi(GLSenum attrib);
GLint *glsGetHeaderiv(GLSenum attrib, GLint *outVec);

// The UTF-8 form of a string argument in the context's string type. A null
// string is a bad argument: GLS_PARAMETER_ERROR and 0, as when memory runs
// out (0 with GLS_RESOURCE_ERROR). Free with __glsArgToUtf8Free either way.
GLboolean __glsStringArg(__GLSutf8Arg *arg, const __GLScontext *ctx, const GLvoid *string);

// Returns a UTF-8 text in the context's string type, in its scratch buffer;
// null when the conversion runs out of memory.
const GLubyte *__glsScratchString(__GLScontext *ctx, const GLubyte *utf8);

// -------------------------------------------------- arrays (api_array.cpp)
// Executes every command of a GLS stream held in memory.
void glsCallArray(GLSenum streamType, size_t byteCount, const GLubyte *bytes);

// ------------------------------------------ named streams (api_stream.cpp)
// A name is a context stream of the context first, else a file under the
// read prefixes and then the write prefix. The file branches of the size
// and stream queries raise GLS_UNSUPPORTED_COMMAND: they need the reader.
GLboolean glsIsContextStream(const GLubyte *streamName);
size_t glsGetStreamSize(const GLubyte *streamName);
GLint glsGetStreami(GLSenum attrib, const GLubyte *streamName);
// A context stream being written by a capture is not deleted
// (GLS_STATE_ERROR); a file that a capture writes is closed first.
const GLubyte *glsGetStreamubz(GLSenum attrib, const GLubyte *streamName);
GLSenum glsCopyStream(const GLubyte *source, const GLubyte *destination, GLSenum destinationType,
                      GLbitfield writeFlags);
void glsDeleteStream(const GLubyte *streamName);

// ---------------------------------------- context-free (api_query.cpp)
GLSenum glsBinary(GLboolean swapped);
GLint glsGetCommandi(GLSopcode opcode, GLSenum attrib);
GLint glsGetEnumi(GLSenum api, GLuint value, GLSenum attrib);
GLint glsGetOpcodeCount(GLSenum api);
const GLSopcode *glsGetOpcodes(GLSenum api);

const GLubyte *glsOpcodeString(GLSopcode opcode);
GLSopcode glsOpcodeFromString(const GLubyte *name);
const GLubyte *glsEnumString(GLSenum api, GLint value);
GLint glsEnumFromString(GLSenum api, const GLubyte *name);
GLboolean glsIsExtensionSupported(const GLubyte *extension);
GLboolean __glsIsVersionSupported(GLSenum api, GLint major, GLint minor);
// 1 when name stands in the blank-separated list, followed by a blank or the
// list's end; 0 for the empty name.
GLboolean __glsFindExtension(const GLubyte *name, const GLubyte *list);

// The GLS extension list.
extern const char __glsExtensions[];

}  // extern "C"
