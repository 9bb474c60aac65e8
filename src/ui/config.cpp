// The configuration file "palisade.cfg": the panel's switches, the marks of
// the Call Count and Select State windows, and the break, trace and skip
// selections with their three remembered sets, each window's lines written and
// read by the window. Tokens are separated by any whitespace and identified by
// their place; each is read with a width limit.
#include <stdio.h>
#include <string.h>

#include "debugger/thread_context.h"
#include "resource.h"
#include "ui_windows.h"

const UiPanelSwitch ui_panel_switches[UI_PANEL_SWITCHES] = {
    {"Check_for_GL_error", &ProcessRecord::Check_for_GL_error, IDC_PANEL_GL_ERRORS},
    {"Control_draw", nullptr, 0},
    {"History", &ProcessRecord::History, IDC_PANEL_HISTORY},
    {"Break_on_GL_calls", &ProcessRecord::Break_on_GL_calls, IDC_PANEL_BREAK_CALLS},
    {"Break_on_SwapBuffers", &ProcessRecord::Break_on_SwapBuffers, IDC_PANEL_BREAK_SWAP},
    {"Skip_GL_calls", &ProcessRecord::Skip_GL_calls, IDC_PANEL_SKIP_CALLS},
};

int ui_config_write(DebugThreadContext *ctx, FILE *file) {
    ProcessRecord *process = ctx->process;
    fprintf(file, "palisade\n");
    for (const UiPanelSwitch &s : ui_panel_switches) {
        int value = s.word ? (int)(process->*s.word).load(std::memory_order_acquire) : 0;
        fprintf(file, "%s: %d\n", s.key, value);
    }
    ui_callcount_write_config(ctx, file);
    ui_state_write_config(ctx, file);
    ui_select_write_configs(ctx, file);
    return ferror(file) == 0;
}

int ui_config_read(DebugThreadContext *ctx, FILE *file, const char *name) {
    char word[256];
    if (fscanf(file, "%255s", word) != 1 || strcmp(word, "palisade") != 0) {
        ui_warning_box("%s is not valid.", name);
        return 0;
    }
    ProcessRecord *process = ctx->process;
    HWND panel = ctx->ui->windows[WINDOW_PANEL];
    int value;
    for (const UiPanelSwitch &s : ui_panel_switches) {
        if (fscanf(file, "%*255s%d", &value) != 1) return 1;
        if (!s.word) continue;
        (process->*s.word).store(value != 0, std::memory_order_release);
        if (panel) CheckDlgButton(panel, s.box, value != 0 ? BST_CHECKED : BST_UNCHECKED);
    }
    if (!ui_callcount_read_config(ctx, file)) return 1;
    if (!ui_state_read_config(ctx, file)) return 1;
    ui_select_read_configs(ctx, file);
    return 1;
}
