// The text writer: one command per line, its name, its arguments in
// parentheses and ");". This file holds the framing and the scalar puts.
#include "write/text_writer.h"

namespace {

GLboolean GLSAPI alignCommand(__GLSwriter *w, GLuint phase) { return 1; }

__GLStextName opName(GLSopcode opcode) {
    if (opcode < 0 || opcode >= GLS_OP_COUNT || !__glsOpNames[opcode]) return {nullptr, 0};
    return {__glsOpNames[opcode], __glsOpNameLengths[opcode]};
}

GLboolean GLSAPI beginCommand(__GLSwriter *w, GLSopcode opcode, GLulong argBytes) {
    if (!w || w->failed || !__glsTextRoom(w)) return 0;
    w->openOpcode = opcode;
    w->argCount = 0;
    w->arraysInCommand = 0;
    const __GLStextName name = opName(opcode);
    if (name.text) {
        __glsTextName(w, name);
    } else {
        __glsTextDecimal(w, opcode);
    }
    *w->writePtr++ = '(';
    return 1;
}

void GLSAPI endCommand(__GLSwriter *w) {
    if (__glsTextRoom(w)) __glsTextBytes(w, ");\n", 3);
}

void GLSAPI breakArgs(__GLSwriter *w) {
    if (!__glsTextRoom(w)) return;
    __glsTextBytes(w, ")(", 2);
    w->argCount = 0;
}

void GLSAPI padInCommand(__GLSwriter *w, GLint byteCount) {}

template <typename T>
void GLSAPI putSigned(__GLSwriter *w, T value) {
    if (__glsTextSeparator(w)) __glsTextDecimal(w, value);
}

template <typename T>
void GLSAPI putUnsigned(__GLSwriter *w, T value) {
    if (__glsTextSeparator(w)) __glsTextUnsigned(w, value);
}

template <typename T>
void GLSAPI putHex(__GLSwriter *w, T value) {
    if (__glsTextSeparator(w)) __glsTextHex(w, value);
}

void GLSAPI putGLfloat(__GLSwriter *w, GLuint bits) {
    if (__glsTextSeparator(w)) __glsTextFloat(w, bits);
}

void GLSAPI putGLdouble(__GLSwriter *w, GLulong bits) {
    if (__glsTextSeparator(w)) __glsTextDouble(w, bits);
}

void GLSAPI putString(__GLSwriter *w, GLulong byteCount, const GLvoid *string) {
    if (!__glsTextSeparator(w)) return;
    *w->writePtr++ = '"';
    const size_t width = __glsWriterCharWidth();
    for (const GLubyte *s = (const GLubyte *)string; width; s += width) {
        const GLuint code = __glsWriterCharAt(s, width);
        if (!code) break;
        if (!__glsTextRoom(w)) return;
        if ((code >= 9 && code <= 13) || (code >= 32 && code <= 126)) {
            if (code == '"' || code == '\\') *w->writePtr++ = '\\';
            *w->writePtr++ = (GLubyte)code;
        } else {
            __glsTextBytes(w, "\\<", 2);
            // The hexadecimal digits without their "0x".
            char hex[20];
            size_t n = __glsFormatHex(code, hex);
            __glsTextBytes(w, hex + 2, n - 2);
            *w->writePtr++ = '>';
        }
    }
    *w->writePtr++ = '"';
}

void GLSAPI putGLSopcode(__GLSwriter *w, GLSopcode opcode) {
    if (!__glsTextSeparator(w)) return;
    const __GLStextName name = opName(opcode);
    if (name.text) {
        __glsTextLiteral(w, "GLS_OP_");
        __glsTextName(w, name);
    } else {
        __glsTextDecimal(w, opcode);
    }
}

// A stream being executed and captured again keeps the pointer values it
// was read with.
bool pointerFromStream(__GLSwriter *w) {
    return __glsWriterCallNesting() && !__glsWriterHasCallOverride(w->openOpcode);
}

void GLSAPI putOutArg(__GLSwriter *w, GLint index, const GLvoid *pointer) {
    if (!__glsTextSeparator(w)) return;
    __glsTextHex(w, pointerFromStream(w) ? __glsWriterOutArg(index) : __glsAddressToU64(pointer));
}

void GLSAPI putArrayPointer(__GLSwriter *w, const GLvoid *pointer) {
    if (!__glsTextSeparator(w)) return;
    __glsTextHex(w, pointerFromStream(w) ? __glsWriterLastOutPointer()
                                         : __glsAddressToU64(pointer));
}

}  // namespace

void __glsTextWriterInit(__GLSwriter *writer) {
    __GLSputTable *t = &writer->put;
    t->alignCommand = alignCommand;
    t->makeRoom = nullptr;
    t->beginCommand = beginCommand;
    t->endCommand = endCommand;
    t->breakArgs = breakArgs;
    t->putString = putString;
    t->putGLlong = putSigned<GLlong>;
    t->putGLlongHex = putHex<GLulong>;
    t->putGLSopcode = putGLSopcode;
    t->putGLbyte = putSigned<GLbyte>;
    t->putGLdouble = putGLdouble;
    t->putGLfloat = putGLfloat;
    t->putGLint = putSigned<GLint>;
    t->putOutArg = putOutArg;
    t->putGLshort = putSigned<GLshort>;
    t->putGLubyte = putUnsigned<GLubyte>;
    t->putGLuint = putUnsigned<GLuint>;
    t->putGLuintHex = putHex<GLuint>;
    t->putGLushort = putUnsigned<GLushort>;
    t->putGLushortHex = putHex<GLushort>;
    t->putArrayPointer = putArrayPointer;
    t->padInCommand = padInCommand;
    __glsTextArraysInit(t);
    __glsTextEnumsInit(t);
}
