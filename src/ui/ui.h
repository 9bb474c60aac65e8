// The interface of one application thread: its interface thread with the
// control panel, and the functions the application thread calls on its own
// thread through the engine's seam: the panel's texts are kept and posted,
// and a refresh is one message the interface thread carries out while the
// application thread waits, letting no other message in.
#pragma once

#include <stdio.h>

struct DebugThreadContext;

// The private message every window rebuilds its contents on.
enum { UI_REFRESH_MESSAGE = 0x8001 };

enum WindowIndex {
    WINDOW_ABOUT = 0,
    WINDOW_CALL_COUNT = 1,
    WINDOW_PRIMITIVE_COUNT = 2,
    WINDOW_HISTORY_SELECT = 4,
    WINDOW_LIST_CONTEXT_SELECT = 5,
    WINDOW_PANEL = 6,
    WINDOW_ENUMERANTS = 7,
    WINDOW_BREAK_SELECT = 8,
    WINDOW_SKIP_SELECT = 9,
    WINDOW_TRACE_SELECT = 10,
    WINDOW_STATE_SELECT = 11,
    WINDOW_INFO = 12,
    WINDOW_COUNT = 13,
};

extern "C" {
// Hands the engine the interface's functions: before the library's first
// thread comes.
void ui_register(void);

void ui_panel_show_ids(DebugThreadContext *ctx);
void ui_panel_set_status(DebugThreadContext *ctx, const char *text);
void ui_panel_show_call(DebugThreadContext *ctx);
void ui_refresh_all(DebugThreadContext *ctx);
void ui_history_refresh(DebugThreadContext *ctx);
void ui_dl_refresh(DebugThreadContext *ctx);
void ui_state_refresh(DebugThreadContext *ctx);
// Call Count and Primitive Count, when shown, after a Clear.
void ui_counts_refresh(DebugThreadContext *ctx);

// Shared by the windows of the interface thread.
void ui_show_window(DebugThreadContext *ctx, void *window, int index);
void ui_hide_window(DebugThreadContext *ctx, void *window, int index);
// A count with thousands separated by commas, in the caller's `out` of
// UI_COUNT_CHARS bytes, which it returns.
enum { UI_COUNT_CHARS = 40 };
const char *ui_format_count(unsigned long long count, char *out);
void ui_warning_box(const char *format, ...);

// The configuration file: written and read in one fixed order; a file whose
// first word is not "palisade" is refused with a warning, and a file that ends
// early or holds garbage leaves the settings it did not reach as they were.
// 1 when the file was read (or written).
int ui_config_write(DebugThreadContext *ctx, FILE *file);
int ui_config_read(DebugThreadContext *ctx, FILE *file, const char *name);
}
