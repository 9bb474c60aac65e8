#include "base/gls.h"
#include "core/startup.h"

void __glsRaiseError(GLSenum code) {
    if (!__glsTlsGet(__glsErrorTLS)) __glsTlsSet(__glsErrorTLS, (void *)(uintptr_t)code);
}

GLSenum glsGetError(void) {
    GLSenum code = (GLSenum)(uintptr_t)__glsTlsGet(__glsErrorTLS);
    __glsTlsSet(__glsErrorTLS, nullptr);
    return code;
}
