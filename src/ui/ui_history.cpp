// The call history: Select GL Context (which GL context's history to show)
// and one Call History window per GL context, made on first use, showing the
// context's history file.
#include "ui_windows.h"

#include <stdlib.h>
#include <string.h>

#include "resource.h"
#include "debugger/ring.h"

// The most of a history a window shows: a longer history shows its last
// part, from the first line that begins in it.
enum { HISTORY_SHOWN_BYTES = 1 << 20 };

static const char *const kSource = "ui_history";

// The file is read up to the length of its text, which its writer keeps in
// the record: past it lies room made for the text to come.
static void ui_history_show(DebugThreadContext *ctx, HWND window, uint32_t index) {
    GLContextRecord *record = ui_gl_context_record(ctx, index, kSource);
    uint64_t end = record->history.length.load(std::memory_order_acquire);
    uint64_t from = end > HISTORY_SHOWN_BYTES ? end - HISTORY_SHOWN_BYTES : 0;
    size_t length = 0;
    char *text = ui_read_file_part(record->history_path, from, end, &length, kSource);
    const char *shown = text ? text : "";
    if (from > 0) {
        const char *line = strchr(shown, '\n');
        if (line) shown = line + 1;
    }
    ui_set_text(window, IDC_HISTORY_TEXT, shown);
    free(text);
}

static void dump_history(HWND window, FILE *file) { ui_edit_dump(window, IDC_HISTORY_TEXT, file); }

static INT_PTR CALLBACK ui_history_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(window, IDC_HISTORY_TEXT, EM_SETLIMITTEXT, HISTORY_SHOWN_BYTES, 0);
        return TRUE;
    case WM_SIZE:
        ui_layout(window, {0, {IDC_HISTORY_FIELD, 0}, IDC_HISTORY_TEXT,
                           {IDC_HISTORY_CLEAR, IDC_HISTORY_SAVE, IDC_HISTORY_CLOSE}}, wp, lp);
        return TRUE;
    case UI_REFRESH_MESSAGE:
        ui_history_show(ui_context(), window, (uint32_t)lp);
        return TRUE;
    case WM_CLOSE:
        ShowWindow(window, SW_HIDE);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wp) != BN_CLICKED || lp == 0) return FALSE;
        switch (LOWORD(wp)) {
        case IDC_HISTORY_SEARCH: ui_edit_search(window, IDC_HISTORY_TEXT, IDC_HISTORY_FIELD); break;
        case IDC_HISTORY_CLEAR: ring_post(&ui_context()->process->ui_commands, CMD_CLEAR_HISTORY); break;
        case IDC_HISTORY_SAVE: ui_save_contents(window, "history.txt", dump_history, window); break;
        case IDC_HISTORY_CLOSE: ShowWindow(window, SW_HIDE); break;
        }
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK ui_history_context_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    static const UiContextSelect kind = {IDC_HISTORY_CONTEXT_LIST, IDC_HISTORY_CONTEXT_CLOSE, WINDOW_HISTORY_SELECT,
                                         RECORD_WINDOW_HISTORY, IDD_HISTORY, ui_history_proc, kSource};
    return ui_context_select_proc(kind, window, msg, wp, lp);
}

// On the application thread: the shown Call History windows read their files
// again.
void ui_history_refresh(DebugThreadContext *ctx) {
    uint32_t at[MASTER_GL_CONTEXT_SLOTS];
    for (uint32_t k = 0, n = ui_thread_contexts(ctx, at); k < n; ++k) {
        GLContextRecord *record = ui_gl_context_record(ctx, at[k], kSource);
        ui_refresh_shown(ui_record_window_find(ctx, record, RECORD_WINDOW_HISTORY), 0, at[k]);
    }
}
