// The display lists: Select GL Context (whose lists to show), one Select
// Display List window per GL context and one Display List window per list,
// both made on first use. A list's recorded calls are its stretch of the
// thread's calls file.
#include "ui_windows.h"

#include "debugger/analyses.h"

#include <stdlib.h>

#include "resource.h"

static const char *const kSource = "ui_dl";

// The list records of a GL context: those of the context whose table it
// uses (itself, or the first of the contexts sharing lists with it); the
// fatal box when the table is missing.
static ListInfoRecord *dl_records(GLContextRecord *record, uint32_t *count) {
    GLContextRecord *table = lists_table(record);
    *count = table->list_count;
    if (*count && !table->lists) ui_fatal(kSource, __LINE__, "Could not open displaylist.");
    return table->lists;
}

// ------------------------------------------------------------- Display List

// What a list's window is made for: the list as compiled where and when it
// was. A list compiled again is a new one, which gets a window of its own.
static uint64_t list_made_for(const ListInfoRecord *list) {
    return list->start_offset.load(std::memory_order_relaxed) * 0x10000ull + (list->compiled_on & 0xFFFF) + 1;
}

static void ui_dl_describe(HWND window, const ListInfoRecord *list) {
    char text[160];
    int n = _snprintf_s(text, sizeof text, _TRUNCATE, "List %u;", list->list_id);
    if (list->state == LIST_DELETED) n += _snprintf_s(text + n, sizeof text - n, _TRUNCATE, " deleted;");
    else if (list->state == LIST_COMPILING) n += _snprintf_s(text + n, sizeof text - n, _TRUNCATE, " capturing calls now;");
    n += _snprintf_s(text + n, sizeof text - n, _TRUNCATE, " contains %u %s;", list->recorded_calls,
                     list->recorded_calls == 1 ? "call" : "calls");
    if (list->times_called > 0) {
        _snprintf_s(text + n, sizeof text - n, _TRUNCATE, " called %u %s;", list->times_called,
                    list->times_called == 1 ? "time" : "times");
    }
    ui_set_text(window, IDC_DL_DESCRIPTION, text);
}

// The text of the calls file from the list's start up to its end, which a
// list still compiled moves on with each call (never into the room the
// file keeps past its text); offsets beyond the file are not followed.
// Every halt refreshes each shown window,
// so only the list's own stretch of the calls file is read: that of the
// thread that compiled it, which a context sharing lists with another
// thread's may not be.
static void ui_dl_show_calls(DebugThreadContext *ctx, HWND window, const ListInfoRecord *list) {
    char dir[PATH_CHARS], path[PATH_CHARS];
    if (list->compiled_on) temp_dir_path(list->compiled_on, dir);
    else lstrcpynA(dir, ctx->temp_dir, PATH_CHARS);
    mmaps_path_list_calls(dir, path);
    size_t length = 0;
    uint64_t end = list->end_offset.load(std::memory_order_acquire);
    char *text = ui_read_file_part(path, list->start_offset.load(std::memory_order_relaxed), end, &length, kSource);
    ui_set_text(window, IDC_DL_CALLS, text ? text : "");
    free(text);
}

static void dump_list(HWND window, FILE *file) {
    char description[160] = "";
    GetDlgItemTextA(window, IDC_DL_DESCRIPTION, description, sizeof description);
    fprintf(file, "%s\n\n", description);
    ui_edit_dump(window, IDC_DL_CALLS, file);
}

static INT_PTR CALLBACK ui_dl_window_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_SIZE:
        ui_layout(window, {0, {IDC_DL_DESCRIPTION, IDC_DL_FIELD}, IDC_DL_CALLS, {IDC_DL_SAVE, IDC_DL_CLOSE}}, wp, lp);
        return TRUE;
    case UI_REFRESH_MESSAGE: {
        const ListInfoRecord *list = (const ListInfoRecord *)lp;
        if (!list) return TRUE;
        ui_dl_describe(window, list);
        ui_dl_show_calls(ui_context(), window, list);
        return TRUE;
    }
    case WM_CLOSE:
        ShowWindow(window, SW_HIDE);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wp) != BN_CLICKED || lp == 0) return FALSE;
        switch (LOWORD(wp)) {
        case IDC_DL_SEARCH: ui_edit_search(window, IDC_DL_CALLS, IDC_DL_FIELD); break;
        case IDC_DL_SAVE: ui_save_contents(window, "dl.txt", dump_list, window); break;
        case IDC_DL_CLOSE: ShowWindow(window, SW_HIDE); break;
        }
        return TRUE;
    }
    return FALSE;
}

// ------------------------------------------------------ Select Display List

// Each entry carries the list's index among the context's records; the
// window itself belongs to one context, whose index it keeps.
static void ui_dl_list_fill(DebugThreadContext *ctx, HWND window, uint32_t context) {
    GLContextRecord *record = ui_gl_context_record(ctx, context, kSource);
    uint32_t count;
    ListInfoRecord *lists = dl_records(record, &count);
    SetWindowLongPtrA(window, DWLP_USER, context);
    HWND control = GetDlgItem(window, IDC_DL_SELECT_LIST);
    SendMessageA(control, LB_RESETCONTENT, 0, 0);
    for (uint32_t j = 0; j < count; ++j) {
        char text[32];
        _snprintf_s(text, sizeof text, _TRUNCATE, "List %u", lists[j].list_id);
        LRESULT at = SendMessageA(control, LB_ADDSTRING, 0, (LPARAM)text);
        if (at >= 0) SendMessageA(control, LB_SETITEMDATA, at, j);
    }
}

static void ui_dl_open_list(DebugThreadContext *ctx, uint32_t context, uint32_t j) {
    GLContextRecord *record = ui_gl_context_record(ctx, context, kSource);
    uint32_t count;
    ListInfoRecord *lists = dl_records(record, &count);
    if (j >= count) return;
    HWND *slot = ui_record_window(ctx, lists_table(record), RECORD_WINDOW_LIST + j, list_made_for(&lists[j]));
    ui_open_window(ctx, slot, IDD_DISPLAY_LIST, ui_dl_window_proc, 0, (LPARAM)&lists[j]);
}

static INT_PTR CALLBACK ui_dl_list_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_SIZE:
        ui_layout(window, {0, {0, 0}, IDC_DL_SELECT_LIST, {IDC_DL_SELECT_CLOSE}}, wp, lp);
        return TRUE;
    case UI_REFRESH_MESSAGE:
        ui_dl_list_fill(ui_context(), window, (uint32_t)lp);
        return TRUE;
    case WM_CLOSE:
        ShowWindow(window, SW_HIDE);
        return TRUE;
    case WM_COMMAND:
        uint32_t j;
        if (LOWORD(wp) == IDC_DL_SELECT_LIST && HIWORD(wp) == LBN_SELCHANGE) {
            if (ui_selected_data((HWND)lp, &j)) ui_dl_open_list(ui_context(), (uint32_t)GetWindowLongPtrA(window, DWLP_USER), j);
        } else if (LOWORD(wp) == IDC_DL_SELECT_CLOSE && HIWORD(wp) == BN_CLICKED && lp) {
            ShowWindow(window, SW_HIDE);
        }
        return TRUE;
    }
    return FALSE;
}

// --------------------------------------------------------- Select GL Context

INT_PTR CALLBACK ui_dl_context_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    static const UiContextSelect kind = {IDC_DL_CONTEXT_LIST, IDC_DL_CONTEXT_CLOSE, WINDOW_LIST_CONTEXT_SELECT,
                                         RECORD_WINDOW_LIST_SELECT, IDD_DL_SELECT, ui_dl_list_proc,
                                         kSource};
    return ui_context_select_proc(kind, window, msg, wp, lp);
}

// On the application thread: the shown Display List windows of the thread's
// contexts read their lists again.
void ui_dl_refresh(DebugThreadContext *ctx) {
    uint32_t at[MASTER_GL_CONTEXT_SLOTS];
    for (uint32_t k = 0, n = ui_thread_contexts(ctx, at); k < n; ++k) {
        GLContextRecord *record = ui_gl_context_record(ctx, at[k], kSource);
        uint32_t count;
        ListInfoRecord *lists = dl_records(record, &count);
        GLContextRecord *table = lists_table(record);
        for (uint32_t j = 0; j < count; ++j) {
            HWND window = ui_record_window_find(ctx, table, RECORD_WINDOW_LIST + j, list_made_for(&lists[j]));
            ui_refresh_shown(window, 0, (LPARAM)&lists[j]);
        }
    }
}
