#include "context.h"

#include <stdlib.h>

#include "dict.h"

extern "C" {

void __glsContextDestroy(__GLScontext *ctx) { free(ctx); }

void __glsDeleteAllContexts(void) {
    __GLSlistIter iter;
    __glsListFirst(&__glsContextList, &iter);
    while (iter) {
        __GLScontext *ctx = (__GLScontext *)iter;
        // Step first: destroying the context frees the node we stand on.
        __glsListNext(&__glsContextList, &iter);
        __glsContextDestroy(ctx);
    }
    __glsContextDict = __glsIntDictDelete(__glsContextDict);
}

}  // extern "C"
