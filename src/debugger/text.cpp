// Bounded texts (text.h).
#include "text.h"

#include <string.h>

void text_append(char *text, size_t capacity, const char *more) {
    static const char mark[] = "...";
    if (capacity < sizeof mark) return;
    size_t n = strnlen(text, capacity - 1);
    size_t m = strlen(more);
    if (n + m < capacity) {
        memcpy(text + n, more, m + 1);
        return;
    }
    size_t keep = capacity - sizeof mark;
    if (n == capacity - 1 && memcmp(text + n - 3, mark, 3) == 0) return;
    if (n < keep) memcpy(text + n, more, keep - n);
    memcpy(text + keep, mark, sizeof mark);
}
