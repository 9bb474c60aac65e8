// Warnings about calls OpenGL may not do what the application means by, and
// the annotation of where a per-vertex call's data lies.
#include <stdio.h>
#include <string.h>

#include "analyses.h"
#include "api/embed.h"
#include "text.h"
#include "history.h"

// Said once, in place of the warnings that no longer fit the message text.
static const char kWarningsDropped[] = "\nWarning: further warnings dropped.";

// Appends "\nWarning: " and the text whole, keeping room for the note that
// more were dropped; glCallLists can warn once for each of thousands of
// list names.
static void message_append_warning(char *message, const char *text) {
    static const char prefix[] = "\nWarning: ";
    size_t n = strnlen(message, MESSAGE_TEXT_CHARS - 1);
    size_t p = sizeof prefix - 1, m = strlen(text), note = sizeof kWarningsDropped - 1;
    if (n >= note && memcmp(message + n - note, kWarningsDropped, note) == 0) return;
    if (n + p + m + note < MESSAGE_TEXT_CHARS) {
        memcpy(message + n, prefix, p);
        memcpy(message + n + p, text, m + 1);
        return;
    }
    text_append(message, MESSAGE_TEXT_CHARS, kWarningsDropped);
}

void problem_warning(DebugThreadContext *ctx, const char *text) {
    message_append_warning(ctx->process->message_text, text);
    if (switch_on(ctx->process->History) && switch_on(ctx->process->Show_possible_problems)) {
        char line[256];
        _snprintf_s(line, sizeof line, _TRUNCATE, "- %s", text);
        history_annotate(ctx, "Info", line);
    }
}

void data_address(DebugThreadContext *ctx, const void *data) {
    ProcessRecord *process = ctx->process;
    if (!switch_on(process->History) || !switch_on(process->Show_data_memory_address)) return;
    // The address in upper-case hexadecimal with all its digits: eight on a
    // 32-bit system, sixteen on a 64-bit one.
    char line[256];
    _snprintf_s(line, sizeof line, _TRUNCATE, "- data at memory location 0x%0*llX.",
                (int)(2 * sizeof data), (unsigned long long)(uintptr_t)data);
    history_annotate(ctx, "Info", line);
}

void hook_blend_func(DebugThreadContext *ctx, GLenum sfactor, GLenum dfactor) {
    enum { DST_ALPHA = 0x0304, ONE_MINUS_DST_ALPHA = 0x0305, SRC_ALPHA_SATURATE = 0x0308 };
    GLContextRecord *record = ctx->gl_context;
    if (record->in_begin_end == 1) problem_warning(ctx, "Should not be called between glBegin/glEnd.");
    // GL_SRC_ALPHA_SATURATE reads the destination's alpha only as a source
    // factor.
    bool destination_alpha = sfactor == DST_ALPHA || sfactor == ONE_MINUS_DST_ALPHA ||
                             sfactor == SRC_ALPHA_SATURATE || dfactor == DST_ALPHA ||
                             dfactor == ONE_MINUS_DST_ALPHA;
    // The record of no GL context describes no drawable: it has no alpha
    // planes to lack.
    if (destination_alpha && record->handle != 0 && record->alpha_bits == 0) {
        problem_warning(ctx, "Function requires alpha planes.");
    }
}
