// The About, Call Count and Primitive Count windows.
#include "ui_windows.h"

#include <string.h>

#include <string>

#include "resource.h"
#include "debugger/ring.h"

// ------------------------------------------------------------------- About

INT_PTR CALLBACK ui_about_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_CLOSE:
        ui_hide_window(ui_context(), window, WINDOW_ABOUT);
        return TRUE;
    case WM_COMMAND:
        if (!ui_menu_command(wp, lp) && LOWORD(wp) == IDC_ABOUT_CLOSE) {
            ui_hide_window(ui_context(), window, WINDOW_ABOUT);
        }
        return TRUE;
    }
    return FALSE;
}

// -------------------------------------------------------------- Call Count

static void add_count(HWND list, bool nonzero, const char *name, uint64_t count) {
    if (nonzero && count == 0) return;
    char line[COMMAND_NAME_CHARS + 40], number[UI_COUNT_CHARS];
    _snprintf_s(line, sizeof line, _TRUNCATE, "%s - %s", name, ui_format_count(count, number));
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)line);
}

// GL, GLU and wgl counters in one list, sorted by the list.
static void ui_callcount_fill(DebugThreadContext *ctx, HWND window) {
    HWND list = GetDlgItem(window, IDC_COUNT_LIST);
    bool nonzero = ui_menu_checked(window, IDM_COUNT_NONZERO);
    const MasterRecord *master = ctx->master;
    const ProcessRecord *process = ctx->process;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (int id = 0; id < GL_COMMAND_IDS; ++id) add_count(list, nonzero, master->gl_names[id], process->commands[id].calls);
    for (int i = 0; i < GLU_COUNT; ++i) add_count(list, nonzero, master->glu_names[i], process->glu_call_counts[i]);
    for (int i = 0; i < WGL_COUNT; ++i) add_count(list, nonzero, master->wgl_names[i], process->wgl_call_counts[i]);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    ui_listbox_fit(window, IDC_COUNT_LIST);
    InvalidateRect(list, nullptr, TRUE);
}

static void dump_count_list(HWND window, FILE *file) { ui_listbox_dump(window, IDC_COUNT_LIST, file); }

INT_PTR CALLBACK ui_callcount_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_SIZE:
        ui_layout(window, {IDC_COUNT_LINE, {IDC_COUNT_FIELD, 0}, IDC_COUNT_LIST,
                           {IDC_COUNT_CLEAR, IDC_COUNT_SAVE, IDC_COUNT_CLOSE}}, wp, lp);
        return TRUE;
    case UI_REFRESH_MESSAGE:
        ui_callcount_fill(ui_context(), window);
        return TRUE;
    case WM_CLOSE:
        ui_hide_window(ui_context(), window, WINDOW_CALL_COUNT);
        return TRUE;
    case WM_COMMAND: {
        DebugThreadContext *ctx = ui_context();
        if (ui_menu_command(wp, lp)) {
            if (LOWORD(wp) == IDM_COUNT_NONZERO) {
                ui_menu_toggle(window, IDM_COUNT_NONZERO);
                ui_callcount_fill(ctx, window);
            }
            return TRUE;
        }
        if (HIWORD(wp) != BN_CLICKED) return FALSE;
        switch (LOWORD(wp)) {
        case IDC_COUNT_SEARCH: ui_listbox_search(window, IDC_COUNT_LIST, IDC_COUNT_FIELD); break;
        case IDC_COUNT_CLEAR:
            // The application thread counts: it clears the counters (the GDI
            // ones stay) when it next takes commands, and refreshes the list.
            ring_post(&ctx->process->ui_commands, CMD_CLEAR_CALL_COUNTS);
            break;
        case IDC_COUNT_SAVE: ui_save_contents(window, "callcount.txt", dump_count_list, window); break;
        case IDC_COUNT_CLOSE: ui_hide_window(ctx, window, WINDOW_CALL_COUNT); break;
        }
        return TRUE;
    }
    }
    return FALSE;
}

void ui_callcount_write_config(DebugThreadContext *ctx, FILE *file) {
    HWND window = ctx->ui->windows[WINDOW_CALL_COUNT];
    bool nonzero = !window || ui_menu_checked(window, IDM_COUNT_NONZERO);
    fprintf(file, "Call_Count_Show: %s\n", nonzero ? "NON_ZERO" : "ALL");
}

bool ui_callcount_read_config(DebugThreadContext *ctx, FILE *file) {
    char word[256];
    if (fscanf(file, "%*255s%255s", word) != 1) return false;
    HWND window = ctx->ui->windows[WINDOW_CALL_COUNT];
    if (!window) return true;
    ui_menu_check(window, IDM_COUNT_NONZERO, strcmp(word, "ALL") != 0);
    if (ctx->ui->visible[WINDOW_CALL_COUNT] == 1) ui_callcount_fill(ctx, window);
    return true;
}

// --------------------------------------------------------- Primitive Count

enum {
    PRIM_POINTS = 0, PRIM_LINES = 1, PRIM_LINE_LOOPS = 2, PRIM_LINE_STRIPS = 3, PRIM_TRIANGLES = 7,
    PRIM_TRIANGLE_FANS = 8, PRIM_TRIANGLE_STRIPS = 9, PRIM_QUADS = 12, PRIM_QUAD_STRIPS = 13, PRIM_POLYGONS = 15,
};

struct PrimitiveLine {
    const char *format;
    int counters[3];  // summed; -1 ends
};

static const PrimitiveLine kPrimitiveLines[] = {
    {"Total Points = %s\r\n", {PRIM_POINTS, -1, -1}},
    {"Total Lines = %s\r\n", {PRIM_LINES, PRIM_LINE_LOOPS, PRIM_LINE_STRIPS}},
    {"   Lines = %s\r\n", {PRIM_LINES, -1, -1}},
    {"   Line Loops = %s\r\n", {PRIM_LINE_LOOPS, -1, -1}},
    {"   Line Strip = %s\r\n", {PRIM_LINE_STRIPS, -1, -1}},
    {"Total Triangles = %s\r\n", {PRIM_TRIANGLES, PRIM_TRIANGLE_FANS, PRIM_TRIANGLE_STRIPS}},
    {"   Triangles = %s\r\n", {PRIM_TRIANGLES, -1, -1}},
    {"   Triangles Fans = %s\r\n", {PRIM_TRIANGLE_FANS, -1, -1}},
    {"   Triangles Strip = %s\r\n", {PRIM_TRIANGLE_STRIPS, -1, -1}},
    {"Total Quads = %s\r\n", {PRIM_QUADS, PRIM_QUAD_STRIPS, -1}},
    {"   Quad = %s\r\n", {PRIM_QUADS, -1, -1}},
    {"   Quad Strip = %s\r\n", {PRIM_QUAD_STRIPS, -1, -1}},
    {"Total Polygons = %s", {PRIM_POLYGONS, -1, -1}},
};

static void ui_primcount_text(DebugThreadContext *ctx, HWND window) {
    const uint64_t *counts = ctx->process->primitive_counts;
    std::string text;
    for (const PrimitiveLine &line : kPrimitiveLines) {
        uint64_t sum = 0;
        for (int counter : line.counters) {
            if (counter >= 0) sum += counts[counter];
        }
        char piece[96], number[UI_COUNT_CHARS];
        _snprintf_s(piece, sizeof piece, _TRUNCATE, line.format, ui_format_count(sum, number));
        text += piece;
    }
    ui_set_text(window, IDC_PRIM_TEXT, text.c_str());
}

static void dump_primitive_text(HWND window, FILE *file) { ui_edit_dump(window, IDC_PRIM_TEXT, file); }

INT_PTR CALLBACK ui_primcount_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_SIZE:
        ui_layout(window, {0, {0, 0}, IDC_PRIM_TEXT, {IDC_PRIM_CLEAR, IDC_PRIM_SAVE, IDC_PRIM_CLOSE}}, wp, lp);
        return TRUE;
    case UI_REFRESH_MESSAGE:
        ui_primcount_text(ui_context(), window);
        return TRUE;
    case WM_CLOSE:
        ui_hide_window(ui_context(), window, WINDOW_PRIMITIVE_COUNT);
        return TRUE;
    case WM_COMMAND: {
        if (ui_menu_command(wp, lp) || HIWORD(wp) != BN_CLICKED) return FALSE;
        DebugThreadContext *ctx = ui_context();
        switch (LOWORD(wp)) {
        case IDC_PRIM_CLEAR:
            ring_post(&ctx->process->ui_commands, CMD_CLEAR_PRIMITIVE_COUNTS);
            break;
        case IDC_PRIM_SAVE: ui_save_contents(window, "primcount.txt", dump_primitive_text, window); break;
        case IDC_PRIM_CLOSE: ui_hide_window(ctx, window, WINDOW_PRIMITIVE_COUNT); break;
        }
        return TRUE;
    }
    }
    return FALSE;
}

// On the application thread, once it has cleared counters.
void ui_counts_refresh(DebugThreadContext *ctx) {
    DebugThreadContext *now = ui_served(ctx);
    ui_refresh_shown(now->ui->windows[WINDOW_CALL_COUNT], 0, 0);
    ui_refresh_shown(now->ui->windows[WINDOW_PRIMITIVE_COUNT], 0, 0);
}
