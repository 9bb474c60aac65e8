// The state windows: Select State (the state items of the current GL
// context, all of them or those that differ from the defaults or the last
// snapshot), one State window per item with its current, snapshot and default
// values, and Window Information (the drawable's pixel format).
#include "ui_windows.h"

#include <stdarg.h>
#include <string.h>

#include <string>

#include "resource.h"

enum StateDisplay {
    DISPLAY_BOOLEAN = 1,
    DISPLAY_ENUMERANT = 2,
    DISPLAY_HEXADECIMAL = 3,
    DISPLAY_MATRIX = 4,
    DISPLAY_NUMBER = 5,
    DISPLAY_STIPPLE = 6,
};

static const EnumerantRow kBooleanNames[] = {{0, "GL_FALSE"}, {1, "GL_TRUE"}};

static void append(std::string &text, const char *format, ...) {
    char piece[512];
    va_list args;
    va_start(args, format);
    _vsnprintf_s(piece, sizeof piece, _TRUNCATE, format, args);
    va_end(args);
    text += piece;
}

static int value_count(const StateItemDesc &item) {
    return item.value_count < 0 ? 0 : item.value_count > (int)STATE_VALUES ? (int)STATE_VALUES : item.value_count;
}

// Integers are shown truncated from the stored float.
static uint32_t integer(float value) { return (uint32_t)(int64_t)value; }

// The items whose values 0 and 1 are GL_ZERO and GL_ONE (blend factors and
// stencil operations): by their glGet parameter. Every other enumerant item
// that can hold 0 (the buffers, the list mode) means GL_NONE by it.
static const uint32_t kFactorItems[] = {0x0BE1, 0x0BE0, 0x0B94, 0x0B95, 0x0B96};
static const EnumerantRow kFactorNames[] = {{0, "GL_ZERO"}, {1, "GL_ONE"}};

static bool factor_item(const StateItemDesc *item) {
    if (!item || item->fetch_kind != 1) return false;
    for (uint32_t pname : kFactorItems) {
        if (item->getter_args[0] == pname) return true;
    }
    return false;
}

std::string ui_state_format(const MasterRecord *master, const char *label, uint32_t type, int count,
                            const float *values, const StateItemDesc *item) {
    std::string text = label;
    std::string indent(strlen(label), ' ');
    char name[COMMAND_NAME_CHARS];
    switch (type) {
    case DISPLAY_BOOLEAN:
        for (int i = 0; i < count; ++i) {
            append(text, "%s ", value_name_lookup(integer(values[i]), kBooleanNames, 2, name));
        }
        text += "\r\n";
        break;
    case DISPLAY_ENUMERANT:
        for (int i = 0; i < count; ++i) {
            uint32_t value = integer(values[i]);
            if (factor_item(item) && value <= 1) {
                value_name_lookup(value, kFactorNames, 2, name);
            } else {
                enumerant_name_lookup(value, master->enumerants, ui_enumerant_count(master), name);
            }
            append(text, "%s ", name);
        }
        text += "\r\n";
        break;
    case DISPLAY_HEXADECIMAL:
        for (int i = 0; i < count; ++i) append(text, "0x%X ", integer(values[i]) & 0xFFFF);
        text += "\r\n";
        break;
    case DISPLAY_MATRIX:
        for (int r = 0; r < 4; ++r) {
            const float *row = values + 4 * r;
            append(text, "%s%6.4f %6.4f %6.4f %6.4f\r\n", r ? indent.c_str() : "", row[0], row[1], row[2], row[3]);
        }
        break;
    case DISPLAY_NUMBER:
        for (int i = 0; i < count; ++i) append(text, "%6.4f ", values[i]);
        text += "\r\n";
        break;
    case DISPLAY_STIPPLE:
        for (int i = 0; i + 3 < count; i += 4) {
            append(text, "%s0x%X 0x%X 0x%X 0x%X\r\n", i ? indent.c_str() : "", integer(values[i]) & 0xFF,
                   integer(values[i + 1]) & 0xFF, integer(values[i + 2]) & 0xFF, integer(values[i + 3]) & 0xFF);
        }
        break;
    }
    return text;
}

// ---------------------------------------------------------------- the scan

// 1 when the state can be shown now; else the warning that says why.
static int ui_state_can_scan(DebugThreadContext *ctx) {
    GLContextRecord *record = ctx->gl_context;
    if (ctx->process->run_state.load(std::memory_order_acquire) != RUN_STATE_HALTED) {
        ui_warning_box("State cannot be scanned at this time.\r\nApp needs to be halted.");
        return 0;
    }
    if (!record || record->handle == 0) {
        ui_warning_box("State cannot be scanned at this time.\r\nNo GL context.");
        return 0;
    }
    if (record->in_begin_end == 1) {
        ui_warning_box("State cannot be scanned at this time.\r\nIn glBegin/glEnd pair.");
        return 0;
    }
    return 1;
}

static bool differ(const float *a, const float *b, int count) { return memcmp(a, b, count * sizeof(float)) != 0; }

static void ui_state_fill(DebugThreadContext *ctx, HWND window) {
    HWND list = GetDlgItem(window, IDC_STATE_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    if (!ui_state_can_scan(ctx)) return;
    bool nondefault = ui_menu_checked(window, IDM_STATE_NONDEFAULT);
    bool snapdiff = ui_menu_checked(window, IDM_STATE_SNAPDIFF);
    const StateSlot *slots = ctx->gl_context->state_slots;
    for (int i = 0; i < STATE_ITEMS; ++i) {
        const StateItemDesc &item = ctx->master->state_items[i];
        int n = value_count(item);
        bool from_default = differ(slots[i].current_values, slots[i].default_values, n);
        bool from_snapshot = differ(slots[i].current_values, slots[i].snapshot_values, n);
        if ((nondefault && !from_default) || (snapdiff && !from_snapshot)) continue;
        LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)item.name);
        if (at >= 0) SendMessageA(list, LB_SETITEMDATA, at, i);
    }
    ui_listbox_fit(window, IDC_STATE_LIST);
}

static void ui_state_snapshot(DebugThreadContext *ctx) {
    GLContextRecord *record = ctx->gl_context;
    if (!record) return;
    for (int i = 0; i < STATE_ITEMS; ++i) {
        StateSlot &slot = record->state_slots[i];
        memcpy(slot.snapshot_values, slot.current_values, value_count(ctx->master->state_items[i]) * sizeof(float));
    }
}

// The listed items with their values; no warning, whatever the run state.
static void ui_state_save(HWND window, FILE *file) {
    DebugThreadContext *ctx = ui_context();
    GLContextRecord *record = ctx->gl_context;
    if (!record) return;
    bool valid = record->handle != 0 && record->in_begin_end != 1;
    HWND list = GetDlgItem(window, IDC_STATE_LIST);
    int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int entry = 0; entry < count; ++entry) {
        int i = (int)SendMessageA(list, LB_GETITEMDATA, entry, 0);
        if (i < 0 || i >= STATE_ITEMS) continue;
        const StateItemDesc &item = ctx->master->state_items[i];
        const StateSlot &slot = record->state_slots[i];
        fprintf(file, "%s\n", item.name);
        ui_text_dump(ui_state_format(ctx->master, valid ? "Current Value: " : "Last Valid Value: ", item.display_type,
                                     value_count(item), slot.current_values, &item).c_str(), file);
        ui_text_dump(ui_state_format(ctx->master, "Default Value: ", item.display_type, value_count(item),
                                     slot.default_values, &item).c_str(), file);
        fputc('\n', file);
    }
}

// -------------------------------------------------------------- State window

static void ui_state_show(DebugThreadContext *ctx, HWND window, int i) {
    if (i < 0 || i >= STATE_ITEMS) return;
    const StateItemDesc &item = ctx->master->state_items[i];
    ui_set_text(window, IDC_STATE_NAME, item.name);
    GLContextRecord *record = ctx->gl_context;
    int n = value_count(item);
    if (record && ui_state_can_scan(ctx)) {
        ui_set_text(window, IDC_STATE_CURRENT,
                    ui_state_format(ctx->master, "", item.display_type, n, record->state_slots[i].current_values, &item)
                        .c_str());
    } else {
        ui_set_text(window, IDC_STATE_CURRENT, "");
    }
    if (!record) return;
    const StateSlot &slot = record->state_slots[i];
    ui_set_text(window, IDC_STATE_SNAPSHOT_VALUES,
                ui_state_format(ctx->master, "", item.display_type, n, slot.snapshot_values, &item).c_str());
    ui_set_text(window, IDC_STATE_DEFAULT,
                ui_state_format(ctx->master, "", item.display_type, n, slot.default_values, &item).c_str());
}

static INT_PTR CALLBACK ui_state_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case UI_REFRESH_MESSAGE:
        ui_state_show(ui_context(), window, (int)wp);
        return TRUE;
    case WM_CLOSE:
        ShowWindow(window, SW_HIDE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDC_STATE_ITEM_CLOSE && HIWORD(wp) == BN_CLICKED && lp) ShowWindow(window, SW_HIDE);
        return TRUE;
    }
    return FALSE;
}

static void ui_state_open(DebugThreadContext *ctx, uint32_t i) {
    if (i < STATE_ITEMS) ui_open_window(ctx, &ctx->ui->state_windows[i], IDD_STATE, ui_state_proc, i, 0);
}

// ------------------------------------------------------------- Select State

INT_PTR CALLBACK ui_state_select_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_SIZE:
        ui_layout(window, {IDC_STATE_LINE, {IDC_STATE_FIELD, 0}, IDC_STATE_LIST,
                           {IDC_STATE_SNAPSHOT, IDC_STATE_SAVE, IDC_STATE_CLOSE}}, wp, lp);
        return TRUE;
    case UI_REFRESH_MESSAGE:
        ui_state_fill(ui_context(), window);
        return TRUE;
    case WM_CLOSE:
        ui_hide_window(ui_context(), window, WINDOW_STATE_SELECT);
        return TRUE;
    case WM_COMMAND: {
        DebugThreadContext *ctx = ui_context();
        int id = LOWORD(wp);
        if (ui_menu_command(wp, lp)) {
            if (id == IDM_STATE_NONDEFAULT || id == IDM_STATE_SNAPDIFF) {
                ui_menu_toggle(window, id);
                ui_state_fill(ctx, window);
            }
            return TRUE;
        }
        uint32_t item;
        if (id == IDC_STATE_LIST && HIWORD(wp) == LBN_SELCHANGE) {
            if (ui_selected_data((HWND)lp, &item)) ui_state_open(ctx, item);
            return TRUE;
        }
        if (HIWORD(wp) != BN_CLICKED) return FALSE;
        switch (id) {
        case IDC_STATE_SEARCH: ui_listbox_search(window, IDC_STATE_LIST, IDC_STATE_FIELD); break;
        case IDC_STATE_SNAPSHOT: ui_state_snapshot(ctx); break;
        case IDC_STATE_SAVE: ui_save_contents(window, "state.txt", ui_state_save, window); break;
        case IDC_STATE_CLOSE: ui_hide_window(ctx, window, WINDOW_STATE_SELECT); break;
        }
        return TRUE;
    }
    }
    return FALSE;
}

// On the application thread, as it enters the halted state.
void ui_state_refresh(DebugThreadContext *ctx) {
    DebugThreadContext *now = ui_served(ctx);
    if (now->ui->windows[WINDOW_STATE_SELECT] && now->ui->visible[WINDOW_STATE_SELECT] == 1) {
        SendMessageA(now->ui->windows[WINDOW_STATE_SELECT], UI_REFRESH_MESSAGE, 0, 0);
    }
    for (int i = 0; i < STATE_ITEMS; ++i) ui_refresh_shown(now->ui->state_windows[i], i, 0);
}

void ui_state_write_config(DebugThreadContext *ctx, FILE *file) {
    HWND window = ctx->ui->windows[WINDOW_STATE_SELECT];
    fprintf(file, "State_Show_NonDefault: %d\n", window ? ui_menu_checked(window, IDM_STATE_NONDEFAULT) : 1);
    fprintf(file, "State_Show_SnapDiff: %d\n", window ? ui_menu_checked(window, IDM_STATE_SNAPDIFF) : 0);
}

bool ui_state_read_config(DebugThreadContext *ctx, FILE *file) {
    int nondefault, snapdiff;
    if (fscanf(file, "%*255s%d", &nondefault) != 1) return false;
    if (fscanf(file, "%*255s%d", &snapdiff) != 1) return false;
    HWND window = ctx->ui->windows[WINDOW_STATE_SELECT];
    if (!window) return true;
    ui_menu_check(window, IDM_STATE_NONDEFAULT, nondefault != 0);
    ui_menu_check(window, IDM_STATE_SNAPDIFF, snapdiff != 0);
    if (ctx->ui->visible[WINDOW_STATE_SELECT] == 1) ui_state_fill(ctx, window);
    return true;
}

// ------------------------------------------------------- Window Information

static std::string ui_windinfo_text(DebugThreadContext *ctx) {
    const GLContextRecord *r = ctx->gl_context;
    std::string text;
    if (!r || r->handle == 0) return text;
    text = r->direct_render == 1 ? "Direct Render" : "Indirect Render";
    text += r->double_buffer == 1 ? "\r\nDouble Buffer" : "\r\nSingle Buffer";
    if (r->color_mode == 0x1908) {
        append(text, "\r\nRGBA (%d, %d, %d, %d)", r->red_bits, r->green_bits, r->blue_bits, r->alpha_bits);
    } else {
        append(text, "\r\nColor Index (%d)", r->index_bits);
    }
    if (r->accum_red_bits >= 1 || r->accum_green_bits >= 1 || r->accum_blue_bits >= 1 || r->accum_alpha_bits >= 1) {
        append(text, "\r\nAccum Buffer (%d, %d, %d, %d)", r->accum_red_bits, r->accum_green_bits, r->accum_blue_bits,
               r->accum_alpha_bits);
    }
    if (r->stencil_bits > 0) append(text, "\r\nStencil Buffer (%d)", r->stencil_bits);
    if (r->depth_bits > 0) append(text, "\r\nDepth Buffer (%d)", r->depth_bits);
    return text;
}

static void dump_windinfo(HWND window, FILE *file) { ui_edit_dump(window, IDC_INFO_TEXT, file); }

INT_PTR CALLBACK ui_windinfo_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_SIZE:
        ui_layout(window, {0, {0, 0}, IDC_INFO_TEXT, {IDC_INFO_SAVE, IDC_INFO_CLOSE}}, wp, lp);
        return TRUE;
    case UI_REFRESH_MESSAGE:
        ui_set_text(window, IDC_INFO_TEXT, ui_windinfo_text(ui_context()).c_str());
        return TRUE;
    case WM_CLOSE:
        ui_hide_window(ui_context(), window, WINDOW_INFO);
        return TRUE;
    case WM_COMMAND:
        if (ui_menu_command(wp, lp) || HIWORD(wp) != BN_CLICKED) return FALSE;
        if (LOWORD(wp) == IDC_INFO_SAVE) ui_save_contents(window, "windinfo.txt", dump_windinfo, window);
        if (LOWORD(wp) == IDC_INFO_CLOSE) ui_hide_window(ui_context(), window, WINDOW_INFO);
        return TRUE;
    }
    return FALSE;
}
