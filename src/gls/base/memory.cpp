#include <stdlib.h>

#include "base/util.h"

void *__glsCalloc(size_t count, size_t size) {
    void *block = calloc(count ? count : 1, size ? size : 1);
    if (!block) __glsRaiseError(GLS_RESOURCE_ERROR);
    return block;
}

void *__glsMalloc(size_t size) {
    void *block = malloc(size ? size : 1);
    if (!block) __glsRaiseError(GLS_RESOURCE_ERROR);
    return block;
}

size_t __glsLog2(size_t n) {
    size_t log = 0;
    while (n >= 2) {
        n >>= 1;
        ++log;
    }
    return log;
}

size_t __glsNextPow2(size_t n) {
    if (n <= 1) return 1;
    size_t p = (size_t)1 << __glsLog2(n);
    if (p >= n) return p;
    // Doubling the top bit of size_t would wrap to 0.
    return (p << 1) > p ? p << 1 : 0;
}
