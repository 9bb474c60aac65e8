// Reads a whole file as bytes, for tests and the sample program that compare
// what they wrote with what a file holds.
#pragma once

#include <stdio.h>

#include <string>

// Appends the file's bytes to text; false when it cannot be opened.
inline bool readFile(const std::string &path, std::string *text) {
    FILE *in = fopen(path.c_str(), "rb");
    if (!in) return false;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, in)) > 0) text->append(buffer, n);
    fclose(in);
    return true;
}
