// Reads call histories back with the codec's own reader, as a user's tool
// would. Each file named must be whole: CR LF line ends, a sequence of
// sections (a glsBeginGLS line, the commands, a glsEndGLS line) with nothing
// outside them, and every command must come back from the reader: written
// again, not executed, by a text capture of what the reader plays, the text
// equals the file's own, its section lines aside. So nothing the reader
// drops, and no line broken where the writer would not break it, passes.
// Prints each file's sections and commands; exits with status 1 when a file
// is not whole.
//
//   history_check FILE...
#include <stdio.h>
#include <string.h>

#include <string>

#include "api/embed.h"
#include "read_file.h"

static std::string written;

static size_t GLSAPI keep(size_t n, const GLubyte *bytes) {
    written.append((const char *)bytes, n);
    return n;
}

// What is wrong with the file, or nothing; counts its sections and commands.
static std::string check(const std::string &file, int *sections, int *commands) {
    std::string expected;
    bool inside = false;
    int number = 0;
    for (size_t at = 0; at < file.size(); ++number) {
        size_t lf = file.find('\n', at);
        if (lf == std::string::npos || lf == at || file[lf - 1] != '\r') {
            return "line " + std::to_string(number + 1) + " does not end in CR LF";
        }
        std::string line = file.substr(at, lf - 1 - at);
        at = lf + 1;
        if (line == "glsBeginGLS(1, 0);") {
            if (inside) return "line " + std::to_string(number + 1) + ": a section begins inside another";
            inside = true;
            ++*sections;
        } else if (line == "glsEndGLS();") {
            if (!inside) return "line " + std::to_string(number + 1) + ": a section ends outside any";
            inside = false;
        } else if (!inside) {
            return "line " + std::to_string(number + 1) + " is outside any section: " + line;
        } else {
            expected += line + "\n";
            if (!line.empty() && line.back() == ';') ++*commands;
        }
    }
    if (inside) return "the last section does not end";
    written.clear();
    if (!glsBeginCapture((const GLubyte *)"", GLS_TEXT, 2)) return "no capture";
    glsCallArray(GLS_TEXT, file.size(), (const GLubyte *)file.data());
    glsEndCapture();
    if (written == expected) return "";
    size_t same = 0;
    while (same < written.size() && same < expected.size() && written[same] == expected[same]) ++same;
    size_t from = expected.rfind('\n', same);
    from = from == std::string::npos ? 0 : from + 1;
    return "the reader gives back other text, from \"" + written.substr(from, 160) + "\" where the file has \"" +
           expected.substr(from, 160) + "\"";
}

int main(int argc, char **argv) {
    if (!__glsProcessAttach(nullptr, 1, nullptr)) {
        fprintf(stderr, "history_check: the GLS core did not start\n");
        return 2;
    }
    GLuint context = glsGenContext();
    glsContext(context);
    glsWriteFunc(keep);
    // Every command is written again and none executed.
    for (GLSopcode op = 0; op < GLS_OP_COUNT; ++op) {
        if (glsGetCaptureFlags(op)) glsCaptureFlags(op, 2);
    }
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        std::string file;
        int sections = 0, commands = 0;
        std::string wrong = readFile(argv[i], &file) ? check(file, &sections, &commands) : "it cannot be read";
        if (wrong.empty()) {
            printf("%s: %d sections, %d commands\n", argv[i], sections, commands);
        } else {
            printf("%s: %s\n", argv[i], wrong.c_str());
            ++failures;
        }
    }
    fflush(stdout);
    return failures ? 1 : 0;
}
