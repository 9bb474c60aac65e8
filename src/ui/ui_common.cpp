// Helpers every window of the interface shares: the layout rule of the
// resizable windows, the three searches, writing a window's contents to a
// file, reading a whole file, the file dialogs and finding the record of a
// GL context of the application thread.
#include "ui_windows.h"

#include "debugger/gate.h"

#include <commdlg.h>
#include <stdlib.h>
#include <string.h>

#include <string>

// ------------------------------------------------------------------ layout

HWND ui_get_child_rect(HWND window, int control, RECT *rect) {
    HWND child = GetDlgItem(window, control);
    if (!child) return nullptr;
    GetWindowRect(child, rect);
    POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    ScreenToClient(window, &corners[0]);
    ScreenToClient(window, &corners[1]);
    *rect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    return child;
}

// The left edge of button `i` of `n` along the bottom of a client area `w`
// wide.
static int button_left(int i, int n, int w, int width, int left) {
    if (n == 1) return w / 2 - width / 2;
    if (i == n - 1) return w - 8 - width;
    if (i == 0) return left;
    if (n == 3) return w / 2 - width / 2;
    int r = w - (2 * (width / 2) + 16);
    int centre = width / 2 + (i == 1 ? r / 3 : 2 * r / 3) + 8;
    return centre - width / 2;
}

void ui_layout(HWND window, const UiLayout &layout, WPARAM type, LPARAM size) {
    if (type != SIZE_RESTORED) return;
    int w = LOWORD(size), h = HIWORD(size);
    RECT r;
    HWND child;
    if (layout.line && (child = ui_get_child_rect(window, layout.line, &r))) {
        MoveWindow(child, r.left, r.top, w, r.bottom - r.top, TRUE);
    }
    for (int field : layout.fields) {
        if (field && (child = ui_get_child_rect(window, field, &r))) {
            MoveWindow(child, r.left, r.top, w - r.left - 4, r.bottom - r.top, TRUE);
        }
    }
    int n = 0;
    while (n < 4 && layout.buttons[n]) ++n;
    int button_height = 0;
    for (int i = 0; i < n; ++i) {
        if (!(child = ui_get_child_rect(window, layout.buttons[i], &r))) continue;
        int width = r.right - r.left, height = r.bottom - r.top;
        if (i == 0) button_height = height;
        MoveWindow(child, button_left(i, n, w, width, r.left), h - 4 - height, width, height, TRUE);
    }
    if (layout.fill && (child = ui_get_child_rect(window, layout.fill, &r))) {
        MoveWindow(child, r.left, r.top, w - r.left - 4, h - r.top - 4 - button_height - 4, TRUE);
    }
}

void ui_layout_first(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

// ------------------------------------------------------------------ menus

bool ui_menu_checked(HWND window, int item) {
    return (GetMenuState(GetMenu(window), item, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void ui_menu_check(HWND window, int item, bool on) {
    CheckMenuItem(GetMenu(window), item, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

bool ui_menu_toggle(HWND window, int item) {
    bool on = !ui_menu_checked(window, item);
    ui_menu_check(window, item, on);
    return on;
}

// ------------------------------------------------------------------ texts

static std::string list_item(HWND list, int index) {
    LRESULT n = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (n == LB_ERR) return std::string();
    std::string text((size_t)n + 1, '\0');
    n = SendMessageA(list, LB_GETTEXT, index, (LPARAM)&text[0]);
    text.resize(n == LB_ERR ? 0 : (size_t)n);
    return text;
}

// The text of an edit control, in memory the caller frees.
static char *edit_text(HWND window, int edit) {
    HWND control = GetDlgItem(window, edit);
    LRESULT n = control ? SendMessageA(control, WM_GETTEXTLENGTH, 0, 0) : 0;
    char *text = (char *)malloc((size_t)n + 1);
    if (!text) ui_fatal("ui", __LINE__, "Out of memory.");
    text[0] = 0;
    if (control) SendMessageA(control, WM_GETTEXT, (WPARAM)n + 1, (LPARAM)text);
    text[n] = 0;
    return text;
}

void ui_set_text(HWND window, int control, const char *text) {
    SendDlgItemMessageA(window, control, WM_SETTEXT, 0, (LPARAM)text);
}

void ui_listbox_fit(HWND window, int list) {
    HWND control = GetDlgItem(window, list);
    if (!control) return;
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(control, WM_GETFONT, 0, 0));
    int widest = 0;
    LRESULT count = SendMessageA(control, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::string text = list_item(control, (int)i);
        SIZE extent = {};
        GetTextExtentPoint32A(dc, text.c_str(), (int)text.size(), &extent);
        if (extent.cx > widest) widest = extent.cx;
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    SendMessageA(control, LB_SETHORIZONTALEXTENT, widest + 8, 0);
}

// ------------------------------------------------------------------ search

static void search_text(HWND window, int field, char text[256]) {
    text[0] = 0;
    GetDlgItemTextA(window, field, text, 256);
}

static void not_found(HWND window, int field, const char *text) {
    char shown[256 + 16];
    _snprintf_s(shown, sizeof shown, _TRUNCATE, "%s - not found", text);
    SetDlgItemTextA(window, field, shown);
}

// The first item from `start` to the end, then from the top, that holds
// `text`; -1 when none does.
static int find_item(HWND list, int start, const char *text) {
    int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = start; i < count; ++i) {
        if (strstr(list_item(list, i).c_str(), text)) return i;
    }
    for (int i = 0; i < count; ++i) {
        if (strstr(list_item(list, i).c_str(), text)) return i;
    }
    return -1;
}

void ui_listbox_search(HWND window, int list, int field) {
    char text[256];
    search_text(window, field, text);
    HWND control = GetDlgItem(window, list);
    int count = (int)SendMessageA(control, LB_GETCOUNT, 0, 0);
    int selected = (int)SendMessageA(control, LB_GETCURSEL, 0, 0);
    int start = selected != LB_ERR ? selected + 1 : (int)SendMessageA(control, LB_GETTOPINDEX, 0, 0);
    if (start >= count) start = 0;
    int found = find_item(control, start, text);
    if (found < 0) not_found(window, field, text);
    else SendMessageA(control, LB_SETCURSEL, found, 0);
}

void ui_multilist_search(HWND window, int list, int field) {
    char text[256];
    search_text(window, field, text);
    HWND control = GetDlgItem(window, list);
    int count = (int)SendMessageA(control, LB_GETCOUNT, 0, 0);
    int start = (int)SendMessageA(control, LB_GETTOPINDEX, 0, 0) + 1;
    if (start >= count) start = 0;
    int found = find_item(control, start, text);
    if (found < 0) {
        not_found(window, field, text);
        return;
    }
    SendMessageA(control, LB_SETSEL, TRUE, found);
    SendMessageA(control, LB_SETTOPINDEX, found, 0);
}

void ui_edit_search(HWND window, int edit, int field) {
    char text[256];
    search_text(window, field, text);
    char *all = edit_text(window, edit);
    size_t length = strlen(all);
    DWORD end = 0;
    SendDlgItemMessageA(window, edit, EM_GETSEL, 0, (LPARAM)&end);
    size_t start = (size_t)end + 1;
    if (start >= length) start = 0;
    const char *match = strstr(all + start, text);
    if (!match) match = strstr(all, text);
    if (!match) {
        not_found(window, field, text);
    } else {
        WPARAM from = (WPARAM)(match - all);
        SendDlgItemMessageA(window, edit, EM_SETSEL, from, (LPARAM)(from + strlen(text)));
        SendDlgItemMessageA(window, edit, EM_SCROLLCARET, 0, 0);
    }
    free(all);
}

// ------------------------------------------------------------------ files

void ui_listbox_dump(HWND window, int list, FILE *file) {
    HWND control = GetDlgItem(window, list);
    int count = (int)SendMessageA(control, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) fprintf(file, "%s\n", list_item(control, i).c_str());
}

// A text stream turns each LF into CR LF: the CR of each CR LF pair is left
// out, so the file gets the text's own line ends and no doubled CR.
void ui_text_dump(const char *text, FILE *file) {
    for (const char *p = text; *p;) {
        const char *cr = strstr(p, "\r\n");
        size_t n = cr ? (size_t)(cr - p) : strlen(p);
        fwrite(p, 1, n, file);
        if (!cr) break;
        fputc('\n', file);
        p = cr + 2;
    }
}

void ui_edit_dump(HWND window, int edit, FILE *file) {
    char *text = edit_text(window, edit);
    ui_text_dump(text, file);
    free(text);
}

static long long file_size(FILE *file) {
    long long size = -1;
    if (_fseeki64(file, 0, SEEK_END) == 0) size = _ftelli64(file);
    return size < 0 ? 0 : size;
}

// `size` bytes from `from` of an open file, which it closes.
static char *read_span(FILE *file, long long from, long long size, size_t *length, const char *source) {
    if ((unsigned long long)size >= (size_t)-1 || _fseeki64(file, from, SEEK_SET) != 0) size = 0;
    char *text = (char *)malloc((size_t)size + 1);
    if (!text) {
        fclose(file);
        ui_fatal(source, __LINE__, "Out of memory.");
    }
    // A file that grows meanwhile gives no more than the size it had.
    size_t n = fread(text, 1, (size_t)size, file);
    fclose(file);
    text[n] = 0;
    *length = n;
    return text;
}

char *ui_read_file_part(const char *path, unsigned long long from, unsigned long long to, size_t *length,
                        const char *source) {
    *length = 0;
    FILE *file = path_fopen(path, "rb");
    if (!file) return nullptr;
    unsigned long long size = (unsigned long long)file_size(file);
    if (to > size) to = size;
    if (from > to) from = to;
    return read_span(file, (long long)from, (long long)(to - from), length, source);
}

// Whether the modal window being made holds the gate closed, until its
// activation opens it.
static thread_local bool modal_holds_gate;

static LRESULT CALLBACK modal_activated(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_ACTIVATE && modal_holds_gate) {
        modal_holds_gate = false;
        system_gate_open();
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

INT_PTR ui_modal_gated(INT_PTR (*show)(void *), void *arg) {
    bool outer = !modal_holds_gate;
    HHOOK hook = nullptr;
    if (outer) {
        system_gate_close();
        modal_holds_gate = true;
        hook = SetWindowsHookExA(WH_CBT, modal_activated, nullptr, GetCurrentThreadId());
    }
    INT_PTR result = show(arg);
    if (hook) UnhookWindowsHookEx(hook);
    if (outer && modal_holds_gate) {
        modal_holds_gate = false;
        system_gate_open();
    }
    return result;
}

struct FileDialog {
    OPENFILENAMEA dialog;
    bool save;
};

static INT_PTR file_dialog_run(void *arg) {
    FileDialog *d = (FileDialog *)arg;
    return d->save ? GetSaveFileNameA(&d->dialog) != 0 : GetOpenFileNameA(&d->dialog) != 0;
}

static int file_dialog(HWND owner, char *name, bool save) {
    FileDialog d = {};
    d.dialog.lStructSize = sizeof d.dialog;
    d.dialog.hwndOwner = owner;
    d.dialog.lpstrFile = name;
    d.dialog.nMaxFile = MAX_PATH;
    d.dialog.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    d.save = save;
    return (int)ui_modal_gated(file_dialog_run, &d);
}

int ui_open_file_dialog(HWND owner, char *name) { return file_dialog(owner, name, false); }

int ui_save_file_dialog(HWND owner, char *name) { return file_dialog(owner, name, true); }

void ui_save_contents(HWND owner, const char *default_name, void (*write)(HWND, FILE *), HWND from) {
    char name[MAX_PATH];
    lstrcpynA(name, default_name, MAX_PATH);
    if (!ui_save_file_dialog(owner, name)) return;
    FILE *file = fopen(name, "w");
    if (!file) return;
    write(from, file);
    fclose(file);
}

void ui_show_gated(HWND window) {
    if (IsWindowVisible(window)) {
        ShowWindow(window, SW_SHOW);
    } else {
        // Shown, its surface made, with no application thread inside the
        // system's GL (gate.h).
        SystemGateClosed closed;
        ShowWindow(window, SW_SHOW);
    }
}

void ui_open_window(DebugThreadContext *ctx, HWND *slot, int dialog, DLGPROC proc, WPARAM wp, LPARAM lp) {
    if (!IsWindow(*slot)) {
        SystemGateClosed closed;
        *slot = CreateDialogParamA(ctx->ui->module, MAKEINTRESOURCEA(dialog), nullptr, proc, 0);
        if (*slot) ui_layout_first(*slot);
    }
    if (!*slot) return;
    ui_show_gated(*slot);
    SendMessageA(*slot, UI_REFRESH_MESSAGE, wp, lp);
}

void ui_refresh_shown(HWND window, WPARAM wp, LPARAM lp) {
    if (window && IsWindow(window) && IsWindowVisible(window)) SendMessageA(window, UI_REFRESH_MESSAGE, wp, lp);
}

bool ui_selected_data(HWND list, uint32_t *data) {
    LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return false;
    *data = (uint32_t)SendMessageA(list, LB_GETITEMDATA, selected, 0);
    return true;
}

INT_PTR ui_context_select_proc(const UiContextSelect &kind, HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_SIZE:
        ui_layout(window, {0, {0, 0}, kind.list, {kind.close}}, wp, lp);
        return TRUE;
    case UI_REFRESH_MESSAGE:
        ui_context_list_fill(ui_context(), window, kind.list);
        return TRUE;
    case WM_CLOSE:
        ui_hide_window(ui_context(), window, kind.index);
        return TRUE;
    case WM_COMMAND: {
        if (ui_menu_command(wp, lp)) return FALSE;
        uint32_t context;
        if (LOWORD(wp) == kind.list && HIWORD(wp) == LBN_SELCHANGE) {
            if (!ui_selected_data((HWND)lp, &context)) return TRUE;
            DebugThreadContext *ctx = ui_context();
            GLContextRecord *record = ui_gl_context_record(ctx, context, kind.source);
            ui_open_window(ctx, ui_record_window(ctx, record, kind.kind), kind.dialog, kind.proc, 0, context);
        } else if (LOWORD(wp) == kind.close && HIWORD(wp) == BN_CLICKED) {
            ui_hide_window(ui_context(), window, kind.index);
        }
        return TRUE;
    }
    }
    return FALSE;
}

[[noreturn]] void ui_fatal(const char *source, int line, const char *text) {
    fatal_error_box(source, line, "%s", text);
    ExitProcess(1);
}

// -------------------------------------------------------------- GL contexts

struct RecordSearch {
    const GLContextEntry *entry;
    const char *temp_dir;
    GLContextRecord *found;
};

static void match_record(void *block, void *arg) {
    RecordSearch *search = (RecordSearch *)arg;
    GLContextRecord *record = (GLContextRecord *)block;
    size_t n = strlen(search->temp_dir);
    if (!search->found && record->handle == search->entry->handle &&
        record->number == search->entry->number && !strncmp(record->history_path, search->temp_dir, n)) {
        search->found = record;
    }
}

uint32_t ui_gl_context_count(const MasterRecord *master) {
    return master->gl_context_count < (uint32_t)MASTER_GL_CONTEXT_SLOTS ? master->gl_context_count
                                                                        : (uint32_t)MASTER_GL_CONTEXT_SLOTS;
}

uint32_t ui_enumerant_count(const MasterRecord *master) {
    return master->enumerant_count < (uint32_t)ENUMERANT_ROWS ? master->enumerant_count : (uint32_t)ENUMERANT_ROWS;
}

GLContextRecord *ui_gl_context_record(DebugThreadContext *ctx, uint32_t index, const char *source) {
    MasterRecord *master = ctx->master;
    if (index >= ui_gl_context_count(master)) {
        ui_fatal(source, __LINE__, "Could not open perGL.");
    }
    const GLContextEntry &entry = master->gl_contexts[index];
    char name[PATH_CHARS];
    mmaps_path_per_gl(ctx->temp_dir, entry.handle, name);
    GLContextRecord *record = mmaps_open_per_gl(name);
    if (record && record->number == entry.number) return record;
    // A context deleted since: its handle now names a later context's record.
    RecordSearch search = {&entry, ctx->temp_dir, nullptr};
    mmaps_for_each(BLOCK_GL_CONTEXT, match_record, &search);
    if (!search.found) ui_fatal(source, __LINE__, "Could not open perGL.");
    return search.found;
}

uint32_t ui_thread_contexts(DebugThreadContext *ctx, uint32_t indexes[MASTER_GL_CONTEXT_SLOTS]) {
    MasterRecord *master = ctx->master;
    uint32_t n = 0;
    for (uint32_t i = 0; i < ui_gl_context_count(master); ++i) {
        if (master->gl_contexts[i].thread_id == ctx->process->thread_id) indexes[n++] = i;
    }
    return n;
}

void ui_context_list_fill(DebugThreadContext *ctx, HWND window, int list) {
    HWND control = GetDlgItem(window, list);
    SendMessageA(control, LB_RESETCONTENT, 0, 0);
    uint32_t at[MASTER_GL_CONTEXT_SLOTS];
    for (uint32_t k = 0, n = ui_thread_contexts(ctx, at); k < n; ++k) {
        char text[64];
        _snprintf_s(text, sizeof text, _TRUNCATE, "GL context %d", (int)ctx->master->gl_contexts[at[k]].number);
        LRESULT row = SendMessageA(control, LB_ADDSTRING, 0, (LPARAM)text);
        if (row >= 0) SendMessageA(control, LB_SETITEMDATA, row, (LPARAM)at[k]);
    }
}
