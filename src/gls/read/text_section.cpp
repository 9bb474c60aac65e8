// Text sections: the opening glsBeginGLS that marks a text stream, and the
// loop that decodes one command after another, reports what cannot be
// decoded and finds the next command after a fault.
#include <string.h>

#include "read/decode.h"
#include "core/dictset.h"
#include "read/text_reader.h"

extern "C" {

GLSenum __glsReadTextHeader(__GLSreader *r, GLint outVersion[2]) {
    __GLStoken name;
    GLint major = -1, minor = 0;
    if (!__glsReaderBeginCommand(r, &name) || strcmp(name.text, "glsBeginGLS") != 0) return 0;
    __glsReaderGetGLint(r, &major);
    __glsReaderGetGLint(r, &minor);
    if (!__glsReaderEndCommand(r) || major < 0 || major > 1) return 0;
    outVersion[0] = major;
    outVersion[1] = minor;
    return GLS_TEXT;
}

GLboolean __glsDecodeText(__GLSreader *r) {
    __GLScontext *const ctx = __glsGetContext();
    __GLSdictSet *const set = __glsGetDictSet();
    if (!set) return 0;
    __GLStoken name;
    for (;;) {
        if (ctx->abortCall) return 0;
        ctx->readBase = r->readPtr ? __glsReaderOffset(r) : 0;
        ctx->readStart = nullptr;
        ctx->readCursor = nullptr;
        if (!__glsReaderBeginCommand(r, &name)) {
            __glsCallErrorFunc(0, GLS_DECODE_ERROR);
            if (!__glsReaderSkipCommand(r)) return 0;
            continue;
        }
        GLSopcode op;
        if (!__glsOpcodeFromName(set, (const GLubyte *)name.text, &op)) {
            __glsCallUnsupportedCommand((const GLubyte *)name.text);
            if (!__glsReaderSkipCommand(r)) return 0;
            continue;
        }
        if (op == __GLS_OP_glsEndGLS) {
            if (__glsReaderEndCommand(r)) return 1;
            __glsCallErrorFunc(op, GLS_DECODE_ERROR);
            return __glsReaderSkipCommand(r);
        }
        __glsDispatchDecode_text[op](r);
        __glsReaderEndCommand(r);
        if (r->error) {
            __glsCallErrorFunc(op, r->error);
            if (!__glsReaderSkipCommand(r)) return 0;
        }
    }
}

void __glsDecodeTextArray(__GLSreader *r) {
    __GLScontext *const ctx = __glsGetContext();
    __GLSdictSet *const set = __glsGetDictSet();
    if (!set) return;
    __GLStoken name;
    while (!ctx->abortCall) {
        ctx->readBase = __glsReaderOffset(r);
        ctx->readStart = nullptr;
        ctx->readCursor = nullptr;
        if (!__glsReaderBeginCommand(r, &name)) {
            // Text that is not a command where one should begin; the clean
            // end of the array says nothing.
            if (name.length || r->readPtr != r->end) __glsCallErrorFunc(0, GLS_DECODE_ERROR);
            return;
        }
        GLSopcode op;
        if (!__glsOpcodeFromName(set, (const GLubyte *)name.text, &op)) {
            __glsCallUnsupportedCommand((const GLubyte *)name.text);
            if (!__glsReaderSkipCommand(r)) return;
            continue;
        }
        __glsDispatchDecode_text[op](r);
        __glsReaderEndCommand(r);
        if (r->error) {
            __glsCallErrorFunc(op, r->error);
            if (!__glsReaderSkipCommand(r)) return;
        }
    }
}

}  // extern "C"
