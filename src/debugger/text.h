// Bounded texts: the current-call and message texts of the records.
#pragma once

#include <stddef.h>

// Appends to a bounded text: what does not fit is dropped and the text then
// ends in "..." (never past `capacity` bytes, terminator included).
void text_append(char *text, size_t capacity, const char *more);
