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

// What stands in front of a block of __glsBlockAlloc: its size, and
// whether it is pages, with their byte count.
struct alignas(16) __GLSblockHeader {
    size_t size;
    size_t pages;  // 0 for a heap block
};

// Blocks from this size on are pages: below it the heap serves better.
static const size_t __GLS_PAGES_FROM = 0x10000;

void *__glsBlockAlloc(size_t size) {
    if (size > SIZE_MAX - sizeof(__GLSblockHeader)) {
        __glsRaiseError(GLS_RESOURCE_ERROR);
        return nullptr;
    }
    // An empty block still owns a byte, so that the pointer to it points
    // into what was allocated.
    const size_t bytes = sizeof(__GLSblockHeader) + (size ? size : 1);
    __GLSblockHeader *header;
    if (size < __GLS_PAGES_FROM) {
        header = (__GLSblockHeader *)__glsMalloc(bytes);
        if (!header) return nullptr;
        header->pages = 0;
    } else {
        header = (__GLSblockHeader *)__glsPageAlloc(bytes);
        if (!header) {
            __glsRaiseError(GLS_RESOURCE_ERROR);
            return nullptr;
        }
        header->pages = bytes;
    }
    header->size = size;
    return header + 1;
}

void __glsBlockFree(void *block) {
    if (!block) return;
    __GLSblockHeader *header = (__GLSblockHeader *)block - 1;
    if (header->pages) {
        __glsPageFree(header, header->pages);
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
