// glsDrawVertexArray: count vertices of an interleaved-array format drawn
// through the real GL, as one vertex-array draw where the GL has vertex
// arrays (1.1 and later), else vertex by vertex between glBegin and glEnd.
#include "api/gls_commands.h"
#include "core/context.h"
#include "core/seam.h"

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
    GLint stride;
    GLint fieldCount;
    VertexField fields[MAX_FIELDS];
};

// The layout of `format` from the table of interleaved formats, or false
// for an enumerant that names none. Texture coordinates lead each vertex.
bool findFormat(GLenum format, VertexFormat *out) {
    const __GLSinterleavedFormat *row = __glsInterleavedFormat(format);
    if (!row) return false;
    VertexField *f = out->fields;
    if (row->hasTexCoord) {
        *f++ = row->texCoordSize == 2 ? VertexField{__GLS_OP_glTexCoord2fv, 0, texCoord2fv}
                                      : VertexField{__GLS_OP_glTexCoord4fv, 0, texCoord4fv};
    }
    if (row->hasColor) {
        const GLint at = row->colorOffset;
        if (row->colorType == GL_UNSIGNED_BYTE) {
            *f++ = {__GLS_OP_glColor4ubv, at, color4ubv};
        } else {
            *f++ = row->colorSize == 3 ? VertexField{__GLS_OP_glColor3fv, at, color3fv}
                                       : VertexField{__GLS_OP_glColor4fv, at, color4fv};
        }
    }
    if (row->hasNormal) *f++ = {__GLS_OP_glNormal3fv, row->normalOffset, normal3fv};
    const GLint at = row->vertexOffset;
    if (row->vertexSize == 2) {
        *f++ = {__GLS_OP_glVertex2fv, at, vertex2fv};
    } else if (row->vertexSize == 3) {
        *f++ = {__GLS_OP_glVertex3fv, at, vertex3fv};
    } else {
        *f++ = {__GLS_OP_glVertex4fv, at, vertex4fv};
    }
    out->stride = row->stride;
    out->fieldCount = (GLint)(f - out->fields);
    return true;
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
    VertexFormat format;
    // A format without a layout would leave the application's own arrays
    // in place for the draw; vertices without data cannot be read.
    if (!findFormat(inFormat, &format) || (inCount > 0 && !inData)) {
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
    drawImmediate(&format, inMode, inCount, (const GLubyte *)inData);
}
