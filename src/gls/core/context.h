// The per-thread GLS context. The exported entry points read `dispatch` in
// place, inside the record.
#pragma once

#include "dict.h"
#include "gls_functions.h"
#include "startup.h"

struct __GLScontext {
    __GLSlistNode link;  // in __glsContextList; a list node begins its record
    __GLSfunc dispatch[GLS_OP_COUNT];
    __GLSfunc callFuncs[GLS_OP_COUNT];
};

static inline __GLScontext *__glsGetContext(void) {
    return (__GLScontext *)__glsTlsGet(__glsContextTLS);
}

extern "C" {
extern __GLSlist __glsContextList;
void __glsContextDestroy(__GLScontext *ctx);
}
