// The configuration file "palisade.cfg": the panel's switches, the marks of
// the Call Count and Select State windows, and the break, trace and skip
// selections with their three remembered sets. Tokens are separated by any
// whitespace and identified by their place; each is read with a width limit.
#include <stdio.h>
#include <string.h>

#include "debugger/engine.h"
#include "resource.h"
#include "ui.h"

// The remembered sets of the three selection kinds, shared by every
// interface thread of the process: by kind (break, trace, skip), command id
// and set.
uint8_t selection_sets[3][GL_COMMAND_IDS][3];

enum SelectionKind { SELECT_BREAK, SELECT_TRACE, SELECT_SKIP };

static const char *const kSectionHeaders[] = {"CONFIGURATION_break_GL_select",
                                              "CONFIGURATION_history_select",
                                              "CONFIGURATION_skip_GL_select"};

static std::atomic<uint8_t> &selection_byte(PerCommandRecord &command, int kind) {
    return kind == SELECT_BREAK ? command.break_on : kind == SELECT_TRACE ? command.trace : command.skip;
}

struct PanelSwitch {
    const char *key;
    std::atomic<uint32_t> ProcessRecord::*word;  // null: read and ignored
    int box;
};

static const PanelSwitch kPanelSwitches[] = {
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
    for (const PanelSwitch &s : kPanelSwitches) {
        int value = s.word ? (int)(process->*s.word).load(std::memory_order_acquire) : 0;
        fprintf(file, "%s: %d\n", s.key, value);
    }
    fprintf(file, "Call_Count_Show: %s\n", ctx->call_count_nonzero ? "NON_ZERO" : "ALL");
    fprintf(file, "State_Show_NonDefault: %d\n", ctx->state_nondefault ? 1 : 0);
    fprintf(file, "State_Show_SnapDiff: %d\n", ctx->state_snapdiff ? 1 : 0);
    for (int kind = SELECT_BREAK; kind <= SELECT_SKIP; ++kind) {
        fprintf(file, "%s\n", kSectionHeaders[kind]);
        for (int id = 0; id < GL_COMMAND_IDS; ++id) {
            int selected = selection_byte(process->commands[id], kind).load(std::memory_order_relaxed) == 1;
            const uint8_t *sets = selection_sets[kind][id];
            fprintf(file, "%s: %d %d %d %d\n", ctx->master->gl_names[id], selected, sets[0], sets[1],
                    sets[2]);
        }
    }
    return ferror(file) == 0;
}

// One section: the header, then 460 lines of a name and four numbers. Taken
// only whole: a section that ends early or holds garbage changes nothing.
static bool read_section(DebugThreadContext *ctx, FILE *file, int kind) {
    char header[256];
    if (fscanf(file, "%255s", header) != 1) return false;
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
    for (int id = 0; id < GL_COMMAND_IDS; ++id) {
        selection_byte(ctx->process->commands[id], kind).store(selected[id], std::memory_order_relaxed);
    }
    return true;
}

int ui_config_read(DebugThreadContext *ctx, FILE *file, const char *name) {
    char word[256];
    if (fscanf(file, "%255s", word) != 1 || strcmp(word, "palisade") != 0) {
        ui_warning_box("%s is not valid.", name);
        return 0;
    }
    ProcessRecord *process = ctx->process;
    HWND panel = ctx->ui.window_panel;
    int value;
    for (const PanelSwitch &s : kPanelSwitches) {
        if (fscanf(file, "%*255s%d", &value) != 1) return 1;
        if (!s.word) continue;
        (process->*s.word).store(value != 0, std::memory_order_release);
        if (panel) CheckDlgButton(panel, s.box, value != 0 ? BST_CHECKED : BST_UNCHECKED);
    }
    if (fscanf(file, "%*255s%255s", word) != 1) return 1;
    ctx->call_count_nonzero = strcmp(word, "ALL") != 0;
    if (fscanf(file, "%*255s%d", &value) != 1) return 1;
    ctx->state_nondefault = value != 0;
    if (fscanf(file, "%*255s%d", &value) != 1) return 1;
    ctx->state_snapdiff = value != 0;
    for (int kind = SELECT_BREAK; kind <= SELECT_SKIP; ++kind) {
        if (!read_section(ctx, file, kind)) break;
        // The trace selections reach the capture flags at the thread's next call.
        if (kind == SELECT_TRACE && ctx->ui_ready.load(std::memory_order_acquire)) {
            ring_post(&process->ui_commands, CMD_APPLY_TRACE);
        }
    }
    return 1;
}
