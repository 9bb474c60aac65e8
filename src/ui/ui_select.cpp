// The break, trace and skip selection windows, one design with the kind as
// its parameter, with their remembered sets and configuration sections; and
// the enumerant reference.
//
// Every entry of a command list carries its command id, so that reading and
// writing a selection never depends on the list sorting the names exactly as
// the master holds them.
#include "ui_windows.h"

#include <string.h>

#include "resource.h"
#include "debugger/ring.h"

enum SelectionKind { SELECT_BREAK, SELECT_TRACE, SELECT_SKIP, SELECT_KINDS };

struct SelectKind {
    int dialog;
    int window_index;
    std::atomic<uint8_t> PerCommandRecord::*byte;
    const char *header;
};

static const SelectKind kKinds[SELECT_KINDS] = {
    {IDD_BREAK_SELECT, WINDOW_BREAK_SELECT, &PerCommandRecord::break_on, "CONFIGURATION_break_GL_select"},
    {IDD_TRACE_SELECT, WINDOW_TRACE_SELECT, &PerCommandRecord::trace, "CONFIGURATION_history_select"},
    {IDD_SKIP_SELECT, WINDOW_SKIP_SELECT, &PerCommandRecord::skip, "CONFIGURATION_skip_GL_select"},
};

// The remembered sets of each kind, shared by every interface thread of the
// process: by kind, command id and set.
static uint8_t selection_sets[SELECT_KINDS][GL_COMMAND_IDS][3];

static HWND select_list(HWND window, int kind) { return GetDlgItem(window, kKinds[kind].dialog + SELECT_LIST); }

// ---------------------------------------------------------- list selection

static void ui_select_fill(DebugThreadContext *ctx, HWND window, int kind) {
    HWND list = select_list(window, kind);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (int id = 0; id < GL_COMMAND_IDS; ++id) {
        LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)ctx->master->gl_names[id]);
        if (at >= 0) SendMessageA(list, LB_SETITEMDATA, at, id);
    }
    ui_listbox_fit(window, kKinds[kind].dialog + SELECT_LIST);
}

// The list's selection as one flag per command id.
static void selection_read(HWND window, int kind, uint8_t selected[GL_COMMAND_IDS]) {
    memset(selected, 0, GL_COMMAND_IDS);
    HWND list = select_list(window, kind);
    int items[GL_COMMAND_IDS];
    LRESULT n = SendMessageA(list, LB_GETSELITEMS, GL_COMMAND_IDS, (LPARAM)items);
    for (LRESULT i = 0; i < n && i < GL_COMMAND_IDS; ++i) {
        LRESULT id = SendMessageA(list, LB_GETITEMDATA, items[i], 0);
        if (id >= 0 && id < GL_COMMAND_IDS) selected[id] = 1;
    }
}

// Selects the entry of every command whose flag is set; with `only`, the
// others are deselected first.
static void selection_add(HWND window, int kind, const uint8_t selected[GL_COMMAND_IDS], bool only) {
    HWND list = select_list(window, kind);
    if (only) SendMessageA(list, LB_SETSEL, FALSE, -1);
    int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int item = 0; item < count; ++item) {
        LRESULT id = SendMessageA(list, LB_GETITEMDATA, item, 0);
        if (id >= 0 && id < GL_COMMAND_IDS && selected[id]) SendMessageA(list, LB_SETSEL, TRUE, item);
    }
}

// The records' selection as one flag per command id.
static void records_read(DebugThreadContext *ctx, int kind, uint8_t selected[GL_COMMAND_IDS]) {
    for (int id = 0; id < GL_COMMAND_IDS; ++id) {
        selected[id] = (ctx->process->commands[id].*kKinds[kind].byte).load(std::memory_order_relaxed) == 1;
    }
}

// The refresh: the list shows the records' selection from its top (selecting
// scrolls the list to the last entry selected).
static void ui_select_load(DebugThreadContext *ctx, HWND window, int kind) {
    uint8_t selected[GL_COMMAND_IDS];
    records_read(ctx, kind, selected);
    selection_add(window, kind, selected, true);
    SendMessageA(select_list(window, kind), LB_SETTOPINDEX, 0, 0);
}

static void records_write(DebugThreadContext *ctx, int kind, const uint8_t selected[GL_COMMAND_IDS]) {
    for (int id = 0; id < GL_COMMAND_IDS; ++id) {
        (ctx->process->commands[id].*kKinds[kind].byte).store(selected[id], std::memory_order_relaxed);
    }
    if (kind == SELECT_TRACE && ctx->ui->ready.load(std::memory_order_acquire)) {
        ring_post(&ctx->process->ui_commands, CMD_APPLY_TRACE);
    }
}

// OK: the records take the list's selection.
static void ui_select_apply(DebugThreadContext *ctx, HWND window, int kind) {
    uint8_t selected[GL_COMMAND_IDS];
    selection_read(window, kind, selected);
    records_write(ctx, kind, selected);
}

static void ui_select_remember(HWND window, int kind, int set) {
    uint8_t selected[GL_COMMAND_IDS];
    selection_read(window, kind, selected);
    for (int id = 0; id < GL_COMMAND_IDS; ++id) selection_sets[kind][id][set] = selected[id];
}

static void ui_select_recall(HWND window, int kind, int set) {
    uint8_t selected[GL_COMMAND_IDS];
    for (int id = 0; id < GL_COMMAND_IDS; ++id) selected[id] = selection_sets[kind][id][set];
    selection_add(window, kind, selected, true);
}

// ------------------------------------------------------------------ options

static void toggle_switch(HWND window, int item, std::atomic<uint32_t> &word) {
    word.store(ui_menu_toggle(window, item) ? 1 : 0, std::memory_order_release);
}

static void trace_option(DebugThreadContext *ctx, HWND window, int item) {
    ProcessRecord *process = ctx->process;
    switch (item) {
    case IDM_SHOW_PROBLEMS: toggle_switch(window, item, process->Show_possible_problems); break;
    case IDM_SHOW_HINTS: toggle_switch(window, item, process->Show_performance_hints); break;
    case IDM_LIMIT_DUMPS:
        // Taken by the application thread at its next call.
        toggle_switch(window, item, process->Limit_data_dumps);
        ring_post(&process->ui_commands, CMD_APPLY_TRACE);
        break;
    case IDM_SHOW_ADDRESS: toggle_switch(window, item, process->Show_data_memory_address); break;
    case IDM_VERTEX_ARRAYS:
        // Checked: the vertex-array calls themselves are recorded.
        ring_post(&process->ui_commands, ui_menu_toggle(window, item) ? CMD_VERTEX_ARRAYS_OFF : CMD_VERTEX_ARRAYS_ON);
        break;
    }
}

// ------------------------------------------------------------------ windows

static INT_PTR select_proc(int kind, HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    const SelectKind &k = kKinds[kind];
    switch (msg) {
    case WM_INITDIALOG:
        ui_select_fill(ui_context(), window, kind);
        return TRUE;
    case WM_SIZE: {
        UiLayout layout = {k.dialog + SELECT_LINE, {k.dialog + SELECT_FIELD, 0}, k.dialog + SELECT_LIST,
                           {k.dialog + SELECT_ALL, k.dialog + SELECT_NONE, k.dialog + SELECT_OK,
                            k.dialog + SELECT_CANCEL}};
        ui_layout(window, layout, wp, lp);
        return TRUE;
    }
    case UI_REFRESH_MESSAGE:
        ui_select_load(ui_context(), window, kind);
        return TRUE;
    case WM_CLOSE:
        ui_hide_window(ui_context(), window, k.window_index);
        return TRUE;
    case WM_COMMAND: {
        DebugThreadContext *ctx = ui_context();
        int id = LOWORD(wp);
        if (ui_menu_command(wp, lp)) {
            if (id >= IDM_REMEMBER_SET1 && id <= IDM_REMEMBER_SET3) ui_select_remember(window, kind, id - IDM_REMEMBER_SET1);
            else if (id >= IDM_RECALL_SET1 && id <= IDM_RECALL_SET3) ui_select_recall(window, kind, id - IDM_RECALL_SET1);
            else if (kind == SELECT_TRACE) trace_option(ctx, window, id);
            return TRUE;
        }
        if (HIWORD(wp) != BN_CLICKED) return FALSE;
        HWND list = select_list(window, kind);
        switch (id - k.dialog) {
        case SELECT_SEARCH: ui_multilist_search(window, k.dialog + SELECT_LIST, k.dialog + SELECT_FIELD); break;
        case SELECT_ALL: SendMessageA(list, LB_SETSEL, TRUE, -1); break;
        case SELECT_NONE: SendMessageA(list, LB_SETSEL, FALSE, -1); break;
        case SELECT_OK:
            ui_select_apply(ctx, window, kind);
            ui_hide_window(ctx, window, k.window_index);
            break;
        case SELECT_CANCEL: ui_hide_window(ctx, window, k.window_index); break;
        }
        return TRUE;
    }
    }
    return FALSE;
}

INT_PTR CALLBACK ui_break_select_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    return select_proc(SELECT_BREAK, window, msg, wp, lp);
}

INT_PTR CALLBACK ui_trace_select_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    return select_proc(SELECT_TRACE, window, msg, wp, lp);
}

INT_PTR CALLBACK ui_skip_select_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    return select_proc(SELECT_SKIP, window, msg, wp, lp);
}

// ------------------------------------------------------- configuration file

// A section: the header, then per command id its name, whether the window's
// list selects it (the records' byte when the window is missing) and its
// membership of the three sets.
static void ui_select_write_config(DebugThreadContext *ctx, FILE *file, int kind) {
    const SelectKind &k = kKinds[kind];
    uint8_t selected[GL_COMMAND_IDS];
    HWND window = ctx->ui->windows[k.window_index];
    if (window) selection_read(window, kind, selected);
    else records_read(ctx, kind, selected);
    fprintf(file, "%s\n", k.header);
    for (int id = 0; id < GL_COMMAND_IDS; ++id) {
        const uint8_t *sets = selection_sets[kind][id];
        fprintf(file, "%s: %d %d %d %d\n", ctx->master->gl_names[id], selected[id], sets[0], sets[1], sets[2]);
    }
}

// Reads a section whole or not at all: a section that ends early or holds
// something other than four numbers in a line changes nothing. The file's
// selected commands join the list's selection, and the records take the
// union as OK gives it.
static bool ui_select_read_config(DebugThreadContext *ctx, FILE *file, int kind) {
    const SelectKind &k = kKinds[kind];
    if (fscanf(file, "%*255s") == EOF) return false;
    uint8_t selected[GL_COMMAND_IDS], sets[GL_COMMAND_IDS][3];
    for (int id = 0; id < GL_COMMAND_IDS; ++id) {
        int on, first, second, third;
        if (fscanf(file, "%*255s %d %d %d %d", &on, &first, &second, &third) != 4) return false;
        selected[id] = on == 1;
        sets[id][0] = first != 0;
        sets[id][1] = second != 0;
        sets[id][2] = third != 0;
    }
    memcpy(selection_sets[kind], sets, sizeof sets);
    HWND window = ctx->ui->windows[k.window_index];
    if (window) {
        selection_add(window, kind, selected, false);
        ui_select_apply(ctx, window, kind);
    } else {
        uint8_t before[GL_COMMAND_IDS];
        records_read(ctx, kind, before);
        for (int id = 0; id < GL_COMMAND_IDS; ++id) selected[id] |= before[id];
        records_write(ctx, kind, selected);
    }
    return true;
}

void ui_select_write_configs(DebugThreadContext *ctx, FILE *file) {
    for (int kind = SELECT_BREAK; kind < SELECT_KINDS; ++kind) ui_select_write_config(ctx, file, kind);
}

void ui_select_read_configs(DebugThreadContext *ctx, FILE *file) {
    for (int kind = SELECT_BREAK; kind < SELECT_KINDS; ++kind) {
        if (!ui_select_read_config(ctx, file, kind)) break;
    }
}

// ------------------------------------------------------- enumerant reference

static void enum_fill(DebugThreadContext *ctx, HWND window) {
    HWND list = GetDlgItem(window, IDC_ENUM_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    const MasterRecord *master = ctx->master;
    for (uint32_t i = 0, count = ui_enumerant_count(master); i < count; ++i) {
        const EnumerantRow &row = master->enumerants[i];
        char line[COMMAND_NAME_CHARS + 40];
        _snprintf_s(line, sizeof line, _TRUNCATE, "%s - 0x%.*X, %.*d", row.name, 4, row.value, 4, (int)row.value);
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)line);
    }
    ui_listbox_fit(window, IDC_ENUM_LIST);
}

INT_PTR CALLBACK ui_enum_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        enum_fill(ui_context(), window);
        return TRUE;
    case WM_SIZE:
        ui_layout(window, {0, {IDC_ENUM_FIELD, 0}, IDC_ENUM_LIST, {IDC_ENUM_CLOSE}}, wp, lp);
        return TRUE;
    case WM_CLOSE:
        ui_hide_window(ui_context(), window, WINDOW_ENUMERANTS);
        return TRUE;
    case WM_COMMAND:
        if (ui_menu_command(wp, lp) || HIWORD(wp) != BN_CLICKED) return FALSE;
        if (LOWORD(wp) == IDC_ENUM_SEARCH) ui_listbox_search(window, IDC_ENUM_LIST, IDC_ENUM_FIELD);
        if (LOWORD(wp) == IDC_ENUM_CLOSE) ui_hide_window(ui_context(), window, WINDOW_ENUMERANTS);
        return TRUE;
    }
    return FALSE;
}
