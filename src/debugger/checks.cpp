// The checks each checked GL command's wrapper calls after the call, and the
// analyses the engine calls on a halt and when a GL context is first
// attached: the state scan and the description of the drawable. They keep the
// GL-context record's mirrors of GL state, warn and hint; until they are
// built, each does nothing.
#include "debugger_hooks.h"
#include "engine.h"

void state_scan(DebugThreadContext *) {}
void state_init_defaults(DebugThreadContext *) {}
void drawable_describe(DebugThreadContext *) {}

extern "C" {

void GLSAPI check_glArrayElement(DebugThreadContext *, GLint) {}
void GLSAPI check_glArrayElementEXT(DebugThreadContext *, GLint) {}
void GLSAPI check_glBegin(DebugThreadContext *, GLenum) {}
void GLSAPI check_glBlendFunc(DebugThreadContext *, GLenum, GLenum) {}
void GLSAPI check_glCallList(DebugThreadContext *, GLuint) {}
void GLSAPI check_glCallLists(DebugThreadContext *, GLsizei, GLenum, const void *) {}
void GLSAPI check_glClear(DebugThreadContext *, GLbitfield) {}
void GLSAPI check_glColor3bv(DebugThreadContext *, const GLbyte *) {}
void GLSAPI check_glColor3dv(DebugThreadContext *, const GLdouble *) {}
void GLSAPI check_glColor3fv(DebugThreadContext *, const GLfloat *) {}
void GLSAPI check_glColor3iv(DebugThreadContext *, const GLint *) {}
void GLSAPI check_glColor3sv(DebugThreadContext *, const GLshort *) {}
void GLSAPI check_glColor3ubv(DebugThreadContext *, const GLubyte *) {}
void GLSAPI check_glColor3uiv(DebugThreadContext *, const GLuint *) {}
void GLSAPI check_glColor3usv(DebugThreadContext *, const GLushort *) {}
void GLSAPI check_glColor4bv(DebugThreadContext *, const GLbyte *) {}
void GLSAPI check_glColor4dv(DebugThreadContext *, const GLdouble *) {}
void GLSAPI check_glColor4fv(DebugThreadContext *, const GLfloat *) {}
void GLSAPI check_glColor4iv(DebugThreadContext *, const GLint *) {}
void GLSAPI check_glColor4sv(DebugThreadContext *, const GLshort *) {}
void GLSAPI check_glColor4ubv(DebugThreadContext *, const GLubyte *) {}
void GLSAPI check_glColor4uiv(DebugThreadContext *, const GLuint *) {}
void GLSAPI check_glColor4usv(DebugThreadContext *, const GLushort *) {}
void GLSAPI check_glDeleteLists(DebugThreadContext *, GLuint, GLsizei) {}
void GLSAPI check_glDisable(DebugThreadContext *, GLenum) {}
void GLSAPI check_glDisableClientState(DebugThreadContext *, GLenum) {}
void GLSAPI check_glDrawArrays(DebugThreadContext *, GLenum, GLint, GLsizei) {}
void GLSAPI check_glDrawArraysEXT(DebugThreadContext *, GLenum, GLint, GLsizei) {}
void GLSAPI check_glDrawBuffer(DebugThreadContext *, GLenum) {}
void GLSAPI check_glDrawElements(DebugThreadContext *, GLenum, GLsizei, GLenum, const void *) {}
void GLSAPI check_glEnable(DebugThreadContext *, GLenum) {}
void GLSAPI check_glEnableClientState(DebugThreadContext *, GLenum) {}
void GLSAPI check_glEnd(DebugThreadContext *) {}
void GLSAPI check_glEndList(DebugThreadContext *) {}
void GLSAPI check_glEvalCoord1dv(DebugThreadContext *, const GLdouble *) {}
void GLSAPI check_glEvalCoord1fv(DebugThreadContext *, const GLfloat *) {}
void GLSAPI check_glEvalCoord2dv(DebugThreadContext *, const GLdouble *) {}
void GLSAPI check_glEvalCoord2fv(DebugThreadContext *, const GLfloat *) {}
void GLSAPI check_glFinish(DebugThreadContext *) {}
void GLSAPI check_glFlush(DebugThreadContext *) {}
void GLSAPI check_glGenLists(DebugThreadContext *, GLsizei) {}
void GLSAPI check_glIndexdv(DebugThreadContext *, const GLdouble *) {}
void GLSAPI check_glIndexfv(DebugThreadContext *, const GLfloat *) {}
void GLSAPI check_glIndexiv(DebugThreadContext *, const GLint *) {}
void GLSAPI check_glIndexsv(DebugThreadContext *, const GLshort *) {}
void GLSAPI check_glIndexubv(DebugThreadContext *, const GLubyte *) {}
void GLSAPI check_glLightfv(DebugThreadContext *, GLenum, GLenum, const GLfloat *) {}
void GLSAPI check_glLightiv(DebugThreadContext *, GLenum, GLenum, const GLint *) {}
void GLSAPI check_glLightModelf(DebugThreadContext *, GLenum, GLfloat) {}
void GLSAPI check_glLightModelfv(DebugThreadContext *, GLenum, const GLfloat *) {}
void GLSAPI check_glLightModeli(DebugThreadContext *, GLenum, GLint) {}
void GLSAPI check_glLightModeliv(DebugThreadContext *, GLenum, const GLint *) {}
void GLSAPI check_glLineStipple(DebugThreadContext *, GLint, GLushort) {}
void GLSAPI check_glListBase(DebugThreadContext *, GLuint) {}
void GLSAPI check_glLoadMatrixd(DebugThreadContext *, const GLdouble *) {}
void GLSAPI check_glLoadMatrixf(DebugThreadContext *, const GLfloat *) {}
void GLSAPI check_glMaterialf(DebugThreadContext *, GLenum, GLenum, GLfloat) {}
void GLSAPI check_glMaterialfv(DebugThreadContext *, GLenum, GLenum, const GLfloat *) {}
void GLSAPI check_glMateriali(DebugThreadContext *, GLenum, GLenum, GLint) {}
void GLSAPI check_glMaterialiv(DebugThreadContext *, GLenum, GLenum, const GLint *) {}
void GLSAPI check_glNewList(DebugThreadContext *, GLuint, GLenum) {}
void GLSAPI check_glNormal3bv(DebugThreadContext *, const GLbyte *) {}
void GLSAPI check_glNormal3dv(DebugThreadContext *, const GLdouble *) {}
void GLSAPI check_glNormal3fv(DebugThreadContext *, const GLfloat *) {}
void GLSAPI check_glNormal3iv(DebugThreadContext *, const GLint *) {}
void GLSAPI check_glNormal3sv(DebugThreadContext *, const GLshort *) {}
void GLSAPI check_glPolygonStipple(DebugThreadContext *, const GLubyte *) {}
void GLSAPI check_glRasterPos2dv(DebugThreadContext *, const GLdouble *) {}
void GLSAPI check_glRasterPos2fv(DebugThreadContext *, const GLfloat *) {}
void GLSAPI check_glRasterPos2iv(DebugThreadContext *, const GLint *) {}
void GLSAPI check_glRasterPos2sv(DebugThreadContext *, const GLshort *) {}
void GLSAPI check_glRasterPos3dv(DebugThreadContext *, const GLdouble *) {}
void GLSAPI check_glRasterPos3fv(DebugThreadContext *, const GLfloat *) {}
void GLSAPI check_glRasterPos3iv(DebugThreadContext *, const GLint *) {}
void GLSAPI check_glRasterPos3sv(DebugThreadContext *, const GLshort *) {}
void GLSAPI check_glRasterPos4dv(DebugThreadContext *, const GLdouble *) {}
void GLSAPI check_glRasterPos4fv(DebugThreadContext *, const GLfloat *) {}
void GLSAPI check_glRasterPos4iv(DebugThreadContext *, const GLint *) {}
void GLSAPI check_glRasterPos4sv(DebugThreadContext *, const GLshort *) {}
void GLSAPI check_glReadBuffer(DebugThreadContext *, GLenum) {}
void GLSAPI check_glRectdv(DebugThreadContext *, const GLdouble *, const GLdouble *) {}
void GLSAPI check_glRectfv(DebugThreadContext *, const GLfloat *, const GLfloat *) {}
void GLSAPI check_glRectiv(DebugThreadContext *, const GLint *, const GLint *) {}
void GLSAPI check_glRectsv(DebugThreadContext *, const GLshort *, const GLshort *) {}
void GLSAPI check_glScaled(DebugThreadContext *, GLdouble, GLdouble, GLdouble) {}
void GLSAPI check_glScalef(DebugThreadContext *, GLfloat, GLfloat, GLfloat) {}
void GLSAPI check_glTexCoord1dv(DebugThreadContext *, const GLdouble *) {}
void GLSAPI check_glTexCoord1fv(DebugThreadContext *, const GLfloat *) {}
void GLSAPI check_glTexCoord1iv(DebugThreadContext *, const GLint *) {}
void GLSAPI check_glTexCoord1sv(DebugThreadContext *, const GLshort *) {}
void GLSAPI check_glTexCoord2dv(DebugThreadContext *, const GLdouble *) {}
void GLSAPI check_glTexCoord2fv(DebugThreadContext *, const GLfloat *) {}
void GLSAPI check_glTexCoord2iv(DebugThreadContext *, const GLint *) {}
void GLSAPI check_glTexCoord2sv(DebugThreadContext *, const GLshort *) {}
void GLSAPI check_glTexCoord3dv(DebugThreadContext *, const GLdouble *) {}
void GLSAPI check_glTexCoord3fv(DebugThreadContext *, const GLfloat *) {}
void GLSAPI check_glTexCoord3iv(DebugThreadContext *, const GLint *) {}
void GLSAPI check_glTexCoord3sv(DebugThreadContext *, const GLshort *) {}
void GLSAPI check_glTexCoord4dv(DebugThreadContext *, const GLdouble *) {}
void GLSAPI check_glTexCoord4fv(DebugThreadContext *, const GLfloat *) {}
void GLSAPI check_glTexCoord4iv(DebugThreadContext *, const GLint *) {}
void GLSAPI check_glTexCoord4sv(DebugThreadContext *, const GLshort *) {}
void GLSAPI check_glVertex2dv(DebugThreadContext *, const GLdouble *) {}
void GLSAPI check_glVertex2fv(DebugThreadContext *, const GLfloat *) {}
void GLSAPI check_glVertex2iv(DebugThreadContext *, const GLint *) {}
void GLSAPI check_glVertex2sv(DebugThreadContext *, const GLshort *) {}
void GLSAPI check_glVertex3dv(DebugThreadContext *, const GLdouble *) {}
void GLSAPI check_glVertex3fv(DebugThreadContext *, const GLfloat *) {}
void GLSAPI check_glVertex3iv(DebugThreadContext *, const GLint *) {}
void GLSAPI check_glVertex3sv(DebugThreadContext *, const GLshort *) {}
void GLSAPI check_glVertex4dv(DebugThreadContext *, const GLdouble *) {}
void GLSAPI check_glVertex4fv(DebugThreadContext *, const GLfloat *) {}
void GLSAPI check_glVertex4iv(DebugThreadContext *, const GLint *) {}
void GLSAPI check_glVertex4sv(DebugThreadContext *, const GLshort *) {}

}  // extern "C"
