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

// The text of a file the debugger writes to the end of: the blanks it keeps
// as room past the text, after the last line end, are not the text's. A
// file the debugger has closed has none.
inline std::string readLoggedText(const std::string &path) {
    std::string text;
    readFile(path, &text);
    size_t end = text.size();
    while (end > 0 && text[end - 1] == ' ') --end;
    if (end == 0 || text[end - 1] == '\n') text.resize(end);
    return text;
}
