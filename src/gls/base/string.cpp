#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "base/util.h"

// Makes sure need bytes, the terminator among them, fit from write on.
static GLboolean reserve(__GLSstring *buffer, size_t need) {
    if ((size_t)(buffer->limit - buffer->write) + 1 >= need) return 1;
    return __glsStringBufferGrow(buffer, need - 1);
}

static GLint putUtf8(GLubyte *w, GLuint code) {
    code = __glsUtf8Code(code);
    if (code < 0x80) {
        *w = (GLubyte)code;
        return 1;
    }
    return __glsUtf8EncodeChar(code, w);
}

__GLSstring *__glsStringBufferInit(__GLSstring *buffer) {
    buffer->start = buffer->write = buffer->inlineBuf;
    buffer->limit = buffer->inlineBuf + sizeof(buffer->inlineBuf) - 1;
    // Empty as a string of any character width.
    memset(buffer->inlineBuf, 0, 4);
    return buffer;
}

void __glsStringBufferFree(__GLSstring *buffer) {
    if (buffer->start != buffer->inlineBuf) free(buffer->start);
    buffer->start = buffer->inlineBuf;
}

void __glsStringBufferReset(__GLSstring *buffer) {
    __glsStringBufferFree(buffer);
    __glsStringBufferInit(buffer);
}

GLboolean __glsStringBufferGrow(__GLSstring *buffer, size_t n) {
    size_t capacity = (size_t)(buffer->limit - buffer->start) + 1;
    size_t newCapacity = n <= SIZE_MAX - capacity ? __glsNextPow2(capacity + n) : 0;
    if (!newCapacity) {
        __glsRaiseError(GLS_RESOURCE_ERROR);
        return 0;
    }
    GLubyte *block = (GLubyte *)__glsMalloc(newCapacity);
    if (!block) return 0;
    size_t used = (size_t)(buffer->write - buffer->start);
    // The terminator moves along, whatever its character width.
    size_t keep = used + 4 < capacity ? used + 4 : capacity;
    memcpy(block, buffer->start, keep);
    if (buffer->start != buffer->inlineBuf) free(buffer->start);
    buffer->start = block;
    buffer->write = block + used;
    buffer->limit = block + newCapacity - 1;
    return 1;
}

GLboolean __glsStringAppendUtf8(__GLSstring *buffer, GLSenum charType, const void *string) {
    if (!__glsCharWidth(charType)) return 1;
    size_t n = __glsUtf8Length(charType, string);
    if (!reserve(buffer, n + 1)) return 0;
    GLubyte *w = buffer->write;
    if (charType == GLS_UCS1) {
        for (const GLubyte *p = (const GLubyte *)string; *p; ++p) w += putUtf8(w, *p);
    } else if (charType == GLS_UCS2) {
        for (const GLushort *p = (const GLushort *)string; *p; ++p) w += putUtf8(w, *p);
    } else {
        for (const GLint *p = (const GLint *)string; *p; ++p) w += putUtf8(w, (GLuint)*p);
    }
    *w = 0;
    buffer->write = w;
    return 1;
}

GLboolean __glsStringAssignUtf8(__GLSstring *buffer, GLSenum charType, const void *string) {
    GLubyte *oldWrite = buffer->write;
    buffer->write = buffer->start;
    if (__glsStringAppendUtf8(buffer, charType, string)) return 1;
    buffer->write = oldWrite;
    return 0;
}

GLboolean __glsStringAppendFromUtf8(__GLSstring *buffer, GLSenum charType, const GLubyte *utf8) {
    size_t width = __glsCharWidth(charType);
    if (!width) return 1;
    GLboolean all7Bit;
    size_t n = __glsUtf8ByteLength(utf8, &all7Bit);
    size_t factor = charType == GLS_UCS1 ? (all7Bit ? 1 : 3)
                    : charType == GLS_UCS2 ? (all7Bit ? 2 : 5)
                                           : 4;
    if (n > (SIZE_MAX - width) / factor) {
        __glsRaiseError(GLS_RESOURCE_ERROR);
        return 0;
    }
    if (!reserve(buffer, n * factor + width)) return 0;
    if (charType == GLS_UCS1 && all7Bit) {
        memcpy(buffer->write, utf8, n + 1);
        buffer->write += n;
    } else {
        buffer->write += __glsUtf8ToChars(utf8, charType, buffer->write);
    }
    return 1;
}

GLboolean __glsStringAssignFromUtf8(__GLSstring *buffer, GLSenum charType, const GLubyte *utf8) {
    GLubyte *oldWrite = buffer->write;
    buffer->write = buffer->start;
    if (__glsStringAppendFromUtf8(buffer, charType, utf8)) return 1;
    buffer->write = oldWrite;
    return 0;
}

GLboolean __glsStringAppendUtf8Char(__GLSstring *buffer, GLuint code) {
    GLubyte seq[6];
    GLint n = __glsUtf8EncodeChar(code, seq);
    if (!reserve(buffer, (size_t)n + 1)) return 0;
    memcpy(buffer->write, seq, (size_t)n);
    buffer->write += n;
    *buffer->write = 0;
    return 1;
}

GLboolean __glsStringAppendChar(__GLSstring *buffer, GLSenum charType, GLuint code) {
    size_t width = __glsCharWidth(charType);
    if (!width) return 1;
    size_t n = __glsPutChar(charType, code, nullptr);
    if (!reserve(buffer, n + width)) return 0;
    __glsPutChar(charType, code, buffer->write);
    buffer->write += n;
    memset(buffer->write, 0, width);
    return 1;
}

GLboolean __glsArgToUtf8(__GLSutf8Arg *arg, GLSenum charType, const void *string) {
    // 7-bit GLS_UCS1 text already is UTF-8.
    if (charType == GLS_UCS1 && __glsIs7BitString((const GLubyte *)string)) {
        arg->text = (const GLubyte *)string;
        arg->storage.start = nullptr;
        return 1;
    }
    __glsStringBufferInit(&arg->storage);
    if (!__glsStringAppendUtf8(&arg->storage, charType, string)) {
        arg->text = nullptr;
        return 0;
    }
    arg->text = arg->storage.start;
    return 1;
}

void __glsArgToUtf8Free(__GLSutf8Arg *arg) {
    if (arg->storage.start) __glsStringBufferFree(&arg->storage);
}
