#include <stdlib.h>
#include <string.h>

#include "base/platform.h"
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

// What stands in front of a block of __glsBlockAlloc: its size and, for
// pages, the mapping to give back.
struct alignas(16) __GLSblockHeader {
    size_t size;
    void *base;  // null for a heap block
    size_t mapped;
};

// Blocks from this size on are pages: below it the heap serves better.
static const size_t __GLS_PAGES_FROM = 0x10000;

void *__glsBlockAlloc(size_t size) {
    const size_t rounded = (size + 15) & ~(size_t)15;
    if (rounded < size || rounded > SIZE_MAX - sizeof(__GLSblockHeader)) {
        __glsRaiseError(GLS_RESOURCE_ERROR);
        return nullptr;
    }
    __GLSblockHeader *header;
    if (rounded < __GLS_PAGES_FROM) {
        header = (__GLSblockHeader *)__glsMalloc(sizeof *header + size);
        if (!header) return nullptr;
        header->base = nullptr;
        header->mapped = 0;
    } else {
        void *base;
        size_t mapped;
        GLubyte *block = (GLubyte *)__glsPagesMap(sizeof *header + rounded, &base, &mapped);
        if (!block) {
            __glsRaiseError(GLS_RESOURCE_ERROR);
            return nullptr;
        }
        header = (__GLSblockHeader *)block;
        header->base = base;
        header->mapped = mapped;
    }
    header->size = size;
    return header + 1;
}

void __glsBlockFree(void *block) {
    if (!block) return;
    __GLSblockHeader *header = (__GLSblockHeader *)block - 1;
    if (header->base) {
        __glsPagesUnmap(header->base, header->mapped);
    } else {
        free(header);
    }
}

size_t __glsBlockSize(const void *block) {
    return block ? ((const __GLSblockHeader *)block - 1)->size : 0;
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
