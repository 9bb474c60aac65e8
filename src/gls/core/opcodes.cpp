#include "core/opcodes.h"

extern "C" GLboolean __glsValidOpcode(GLSopcode opcode) {
    if (opcode >= 0 && opcode < GLS_OP_COUNT && __glsOpNames[opcode]) return GL_TRUE;
    __glsRaiseError(GLS_UNSUPPORTED_COMMAND);
    return GL_FALSE;
}
