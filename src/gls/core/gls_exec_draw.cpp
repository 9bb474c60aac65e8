// glsDrawVertexArray: count vertices of an interleaved-array format drawn
// through the real GL, as one vertex-array draw where the GL has vertex
// arrays (1.1 and later), else vertex by vertex between glBegin and glEnd.
#include "capture_seam.h"
#include "context.h"
#include "gls_commands.h"

namespace {

// Each per-vertex command of a format, called through the exact type of its
// slot in the default dispatch table (the real GL).
#define REAL(name) __GLS_SLOT(__glsDefaultDispatchTable, name)
void vertex2fv(const GLubyte *p) { REAL(glVertex2fv)((const GLfloat *)p); }
void vertex3fv(const GLubyte *p) { REAL(glVertex3fv)((const GLfloat *)p); }
void vertex4fv(const GLubyte *p) { REAL(glVertex4fv)((const GLfloat *)p); }
void color4ubv(const GLubyte *p) { REAL(glColor4ubv)(p); }
void color3fv(const GLubyte *p) { REAL(glColor3fv)((const GLfloat *)p); }
void color4fv(const GLubyte *p) { REAL(glColor4fv)((const GLfloat *)p); }
void normal3fv(const GLubyte *p) { REAL(glNormal3fv)((const GLfloat *)p); }
void texCoord2fv(const GLubyte *p) { REAL(glTexCoord2fv)((const GLfloat *)p); }
void texCoord4fv(const GLubyte *p) { REAL(glTexCoord4fv)((const GLfloat *)p); }

struct VertexField {
    GLSopcode opcode;  // for the execute bracket
    GLint offset;      // bytes into the vertex
    void (*call)(const GLubyte *);
};

enum { MAX_FIELDS = 4 };

// One interleaved-array layout: its fields in call order (the vertex last)
// and its natural stride.
struct VertexFormat {
    GLenum format;
    GLint stride;
    GLint fieldCount;
    VertexField fields[MAX_FIELDS];
};

#define F(op, offset, fn) {__GLS_OP_##op, offset, fn}
const VertexFormat FORMATS[] = {
    {GL_V2F, 8, 1, {F(glVertex2fv, 0, vertex2fv)}},
    {GL_V3F, 12, 1, {F(glVertex3fv, 0, vertex3fv)}},
    {GL_C4UB_V2F, 12, 2, {F(glColor4ubv, 0, color4ubv), F(glVertex2fv, 4, vertex2fv)}},
    {GL_C4UB_V3F, 16, 2, {F(glColor4ubv, 0, color4ubv), F(glVertex3fv, 4, vertex3fv)}},
    {GL_C3F_V3F, 24, 2, {F(glColor3fv, 0, color3fv), F(glVertex3fv, 12, vertex3fv)}},
    {GL_N3F_V3F, 24, 2, {F(glNormal3fv, 0, normal3fv), F(glVertex3fv, 12, vertex3fv)}},
    {GL_C4F_N3F_V3F, 40, 3,
     {F(glColor4fv, 0, color4fv), F(glNormal3fv, 16, normal3fv), F(glVertex3fv, 28, vertex3fv)}},
    {GL_T2F_V3F, 20, 2, {F(glTexCoord2fv, 0, texCoord2fv), F(glVertex3fv, 8, vertex3fv)}},
    {GL_T4F_V4F, 32, 2, {F(glTexCoord4fv, 0, texCoord4fv), F(glVertex4fv, 16, vertex4fv)}},
    {GL_T2F_C4UB_V3F, 24, 3,
     {F(glTexCoord2fv, 0, texCoord2fv), F(glColor4ubv, 8, color4ubv),
      F(glVertex3fv, 12, vertex3fv)}},
    {GL_T2F_C3F_V3F, 32, 3,
     {F(glTexCoord2fv, 0, texCoord2fv), F(glColor3fv, 8, color3fv),
      F(glVertex3fv, 20, vertex3fv)}},
    {GL_T2F_N3F_V3F, 32, 3,
     {F(glTexCoord2fv, 0, texCoord2fv), F(glNormal3fv, 8, normal3fv),
      F(glVertex3fv, 20, vertex3fv)}},
    {GL_T2F_C4F_N3F_V3F, 48, 4,
     {F(glTexCoord2fv, 0, texCoord2fv), F(glColor4fv, 8, color4fv), F(glNormal3fv, 24, normal3fv),
      F(glVertex3fv, 36, vertex3fv)}},
    {GL_T4F_C4F_N3F_V4F, 60, 4,
     {F(glTexCoord4fv, 0, texCoord4fv), F(glColor4fv, 16, color4fv), F(glNormal3fv, 32, normal3fv),
      F(glVertex4fv, 44, vertex4fv)}},
};
#undef F

const VertexFormat *findFormat(GLenum format) {
    for (const VertexFormat &f : FORMATS) {
        if (f.format == format) return &f;
    }
    return nullptr;
}

// Vertex arrays came with GL 1.1.
bool haveVertexArrays(__GLScontext *ctx) {
    GLint major, minor;
    __glsGLVersion(&ctx->glInfo, &major, &minor);
    return major > 1 || (major == 1 && minor >= 1);
}

// One draw call. The application's vertex arrays are saved and restored
// around the pointers set here, so that its own later draws find them as
// it left them.
void drawWithArrays(__GLScontext *ctx, GLenum mode, GLenum format, GLint count,
                    const GLvoid *data) {
    // While a capture is open the real calls must not be captured.
    const bool guard = ctx->captureNesting > 0;
    GLint token = guard ? __glsBeginCaptureExec(__GLS_OP_glPushClientAttrib) : 0;
    REAL(glPushClientAttrib)(GL_CLIENT_VERTEX_ARRAY_BIT);
    if (guard) __glsEndCaptureExec(__GLS_OP_glPushClientAttrib, token);

    token = guard ? __glsBeginCaptureExec(__GLS_OP_glInterleavedArrays) : 0;
    REAL(glInterleavedArrays)(format, 0, data);
    if (guard) __glsEndCaptureExec(__GLS_OP_glInterleavedArrays, token);

    token = guard ? __glsBeginCaptureExec(__GLS_OP_glDrawArrays) : 0;
    REAL(glDrawArrays)(mode, 0, count);
    if (guard) __glsEndCaptureExec(__GLS_OP_glDrawArrays, token);

    token = guard ? __glsBeginCaptureExec(__GLS_OP_glPopClientAttrib) : 0;
    REAL(glPopClientAttrib)();
    if (guard) __glsEndCaptureExec(__GLS_OP_glPopClientAttrib, token);
}

// Vertex by vertex, each command inside its execute bracket.
void drawImmediate(const VertexFormat *f, GLenum mode, GLint count, const GLubyte *data) {
    GLint beginToken = __glsBeginCaptureExec(__GLS_OP_glBegin);
    GLint endToken = __glsBeginCaptureExec(__GLS_OP_glEnd);
    REAL(glBegin)(mode);
    GLint tokens[MAX_FIELDS];
    for (GLint j = 0; j < f->fieldCount; ++j) {
        tokens[j] = __glsBeginCaptureExec(f->fields[j].opcode);
    }
    const GLubyte *vertex = data;
    for (GLint i = 0; i < count; ++i, vertex += f->stride) {
        for (GLint j = 0; j < f->fieldCount; ++j) f->fields[j].call(vertex + f->fields[j].offset);
    }
    for (GLint j = f->fieldCount - 1; j >= 0; --j) {
        __glsEndCaptureExec(f->fields[j].opcode, tokens[j]);
    }
    REAL(glEnd)();
    __glsEndCaptureExec(__GLS_OP_glEnd, endToken);
    __glsEndCaptureExec(__GLS_OP_glBegin, beginToken);
}

#undef REAL

}  // namespace

extern "C" void GLSAPI __gls_exec_glsDrawVertexArray(GLenum inMode, GLenum inFormat,
                                                     GLint inCount, const GLvoid *inData) {
    __GLScontext *ctx = __glsGetContext();
    const VertexFormat *format = findFormat(inFormat);
    // A format without a layout would leave the application's own arrays
    // in place for the draw; vertices without data cannot be read.
    if (!format || (inCount > 0 && !inData)) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return;
    }
    if (haveVertexArrays(ctx)) {
        drawWithArrays(ctx, inMode, inFormat, inCount, inData);
        return;
    }
    if (inCount < 0) {
        __glsRaiseError(GLS_PARAMETER_ERROR);
        return;
    }
    drawImmediate(format, inMode, inCount, (const GLubyte *)inData);
}
