// The GLS commands (opcodes 16 to 45): the programming-interface entry point
// of each, which sends the call through the current context's dispatch table
// (the implementation below while no capture is open, the capture-dispatch
// entry while one is), and the implementation `__gls_exec_<command>` that
// the default dispatch table holds in the command's slot.
#pragma once

#include "gls_functions.h"

extern "C" {

// ----------------------------------------------------------- entry points
// Without a current context each raises GLS_STATE_ERROR and does nothing
// (glsCallStream gives 0). Strings are in the context's string type.
void glsBeginGLS(GLint inVersionMajor, GLint inVersionMinor);
void glsBlock(GLSenum inBlockType);
GLSenum glsCallStream(const GLubyte *inName);
void glsDrawVertexArray(GLenum inMode, GLenum inFormat, GLint inCount, const GLvoid *inData);
void glsEndGLS(void);
void glsError(GLSopcode inOpcode, GLSenum inError);
void glsHeaderc(GLSenum inAttrib, const GLubyte *inString);
void glsHeaderf(GLSenum inAttrib, GLfloat inVal);
void glsHeaderfv(GLSenum inAttrib, const GLfloat *inVec);
void glsHeaderi(GLSenum inAttrib, GLint inVal);
void glsHeaderiv(GLSenum inAttrib, const GLint *inVec);
void glsRequireExtension(const GLubyte *inExtension);
void glsRequireVersion(GLSenum inAPI, GLint inVersionMajor, GLint inVersionMinor);
void glsUnsupportedCommand(const GLubyte *inCommand);
void glsBeginObj(const GLubyte *inTag);
void glsComment(const GLubyte *inComment);
void glsEndObj(void);
void glsNumbv(const GLubyte *inTag, GLint inCount, const GLbyte *inVec);
void glsNumd(const GLubyte *inTag, GLdouble inVal);
void glsNumdv(const GLubyte *inTag, GLint inCount, const GLdouble *inVec);
void glsNumf(const GLubyte *inTag, GLfloat inVal);
void glsNumfv(const GLubyte *inTag, GLint inCount, const GLfloat *inVec);
void glsNumi(const GLubyte *inTag, GLint inVal);
void glsNumiv(const GLubyte *inTag, GLint inCount, const GLint *inVec);
void glsNuml(const GLubyte *inTag, GLlong inVal);
void glsNumlv(const GLubyte *inTag, GLint inCount, const GLlong *inVec);
void glsNumsv(const GLubyte *inTag, GLint inCount, const GLshort *inVec);
void glsPad(void);
void glsString(const GLubyte *inTag, const GLubyte *inString);
void glsSwapBuffers(void);

// -------------------------------------------------------- implementations
// They act on the current context, which is always there when they run.
void GLSAPI __gls_exec_glsBeginGLS(GLint inVersionMajor, GLint inVersionMinor);
void GLSAPI __gls_exec_glsBlock(GLSenum inBlockType);
GLSenum GLSAPI __gls_exec_glsCallStream(const GLubyte *inName);
void GLSAPI __gls_exec_glsDrawVertexArray(GLenum inMode, GLenum inFormat, GLint inCount,
                                          const GLvoid *inData);
void GLSAPI __gls_exec_glsEndGLS(void);
void GLSAPI __gls_exec_glsError(GLSopcode inOpcode, GLSenum inError);
void GLSAPI __gls_exec_glsHeaderc(GLSenum inAttrib, const GLubyte *inString);
void GLSAPI __gls_exec_glsHeaderf(GLSenum inAttrib, GLfloat inVal);
void GLSAPI __gls_exec_glsHeaderfv(GLSenum inAttrib, const GLfloat *inVec);
void GLSAPI __gls_exec_glsHeaderi(GLSenum inAttrib, GLint inVal);
void GLSAPI __gls_exec_glsHeaderiv(GLSenum inAttrib, const GLint *inVec);
void GLSAPI __gls_exec_glsRequireExtension(const GLubyte *inExtension);
void GLSAPI __gls_exec_glsRequireVersion(GLSenum inAPI, GLint inVersionMajor,
                                         GLint inVersionMinor);
void GLSAPI __gls_exec_glsUnsupportedCommand(const GLubyte *inCommand);
void GLSAPI __gls_exec_glsBeginObj(const GLubyte *inTag);
void GLSAPI __gls_exec_glsComment(const GLubyte *inComment);
void GLSAPI __gls_exec_glsEndObj(void);
void GLSAPI __gls_exec_glsNumbv(const GLubyte *inTag, GLint inCount, const GLbyte *inVec);
void GLSAPI __gls_exec_glsNumd(const GLubyte *inTag, GLdouble inVal);
void GLSAPI __gls_exec_glsNumdv(const GLubyte *inTag, GLint inCount, const GLdouble *inVec);
void GLSAPI __gls_exec_glsNumf(const GLubyte *inTag, GLfloat inVal);
void GLSAPI __gls_exec_glsNumfv(const GLubyte *inTag, GLint inCount, const GLfloat *inVec);
void GLSAPI __gls_exec_glsNumi(const GLubyte *inTag, GLint inVal);
void GLSAPI __gls_exec_glsNumiv(const GLubyte *inTag, GLint inCount, const GLint *inVec);
void GLSAPI __gls_exec_glsNuml(const GLubyte *inTag, GLlong inVal);
void GLSAPI __gls_exec_glsNumlv(const GLubyte *inTag, GLint inCount, const GLlong *inVec);
void GLSAPI __gls_exec_glsNumsv(const GLubyte *inTag, GLint inCount, const GLshort *inVec);
void GLSAPI __gls_exec_glsPad(void);
void GLSAPI __gls_exec_glsString(const GLubyte *inTag, const GLubyte *inString);
void GLSAPI __gls_exec_glsSwapBuffers(void);

// ------------------------------------------------------------ file names
// out receives path up to and including its last '/', or the empty string
// when path has none; out must hold as many bytes as path with its
// terminator.
void __glsDirectoryPart(const GLubyte *path, GLubyte *out);
// out receives the part of path after its last '/', or all of path.
void __glsFilePart(const GLubyte *path, GLubyte *out);

}  // extern "C"
