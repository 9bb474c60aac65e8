// The call history: the debugger's GLS context and its write functions,
// the history files, the annotations and the current-call text
// (history.cpp).
#pragma once

#include "thread_context.h"

extern "C" {
void gls_context_setup(DebugThreadContext *ctx);
// The trace selections made the capture flags again, and Limit Data Dumps
// taken: at set-up, and at the call after the interface changed them
// (CMD_APPLY_TRACE).
void history_apply_flags(DebugThreadContext *ctx);
// Begins the history capture of the attached record, opening its file when
// it is not open yet (anew, emptied, when `clear` is 1), and its section
// when History is on.
void history_open(DebugThreadContext *ctx, int clear);
// Ends the attached record's section and the capture. The file stays open
// while the record is not attached, until history_file_close.
void history_close(DebugThreadContext *ctx);
// Ends a record's history file where its text is whole, the file left
// open: a command begun and not ended cut back out, the open section ended.
// By the record's own thread, or with no other writing to it.
void history_file_end(GLContextRecord *record);
// Closes a record's history file, cut to its text: when its context is
// deleted, or its thread ends. On the record's own thread.
void history_file_close(GLContextRecord *record);
size_t GLSAPI history_write_file(size_t count, const GLubyte *text);
size_t GLSAPI history_write_call_text(size_t count, const GLubyte *text);
int history_shorten_data(size_t length, const char *text, char *output, size_t capacity);
void list_record_call(DebugThreadContext *ctx, const char *text);
// Writes a glsString annotation into the history when History is on, and
// flushes the history through to its file.
void history_annotate(DebugThreadContext *ctx, const char *tag, const char *text);
// One piece of a call's text, converted for the current-call text (CR LF
// between lines, no final line end, cut with "..." when long or when it would
// not fit), into `out` of `capacity` bytes from `used` on. Returns the new
// length.
size_t call_text_convert(CallTextState *state, const char *text, size_t count, char *out,
                         size_t used, size_t capacity);

}  // extern "C"
