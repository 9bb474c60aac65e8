// What the interface's windows share: the context they serve, the layout
// rule of the resizable windows, the search and save helpers, reading a
// whole file, finding a GL context's record, and the window procedures that
// the interface thread creates. Everything here runs on the interface thread
// unless it says so.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <map>
#include <string>
#include <utility>

#include "debugger/thread_context.h"
#include "ui.h"

// The interface of one application thread, its own: made when its interface
// thread starts, reached from the thread's context (`ui`), handed on to a
// thread that takes the record over. The interface thread makes the windows
// and keeps their visibility; the application thread reads them to refresh
// those shown.
struct InterfaceState {
    HMODULE module;
    HWND windows[WINDOW_COUNT];  // by WindowIndex
    uint32_t visible[WINDOW_COUNT];
    HWND state_windows[STATE_ITEMS];
    // The windows of the engine's records, by record and kind: a GL
    // context's Call History and Select Display List windows, a display
    // list's window (ui_record_window). The interface thread adds to them
    // while the application thread looks, both under the lock.
    struct RecordWindow {
        HWND window;
        uint64_t made_for;
    };
    std::map<std::pair<const void *, uint32_t>, RecordWindow> record_windows;
    SRWLOCK record_lock;
    // The panel's texts as the application thread last set them: kept here
    // and posted, never sent, so that the application thread waits on
    // nothing that would deliver other threads' messages to it inside its
    // call. The last text written is the one shown, whoever wrote it.
    struct PanelTexts {
        SRWLOCK lock;
        char status[1024];
        char ids[64];
        char context[64];
        uint32_t changed;  // PANEL_TEXT_* bits not shown yet
        bool posted;       // a UI_TEXTS_MESSAGE is on its way
    } texts;
    // Set once the panel stands; until then the trace selections the
    // configuration sets are not posted.
    std::atomic<uint8_t> ready;
    HANDLE ready_event;
    DWORD thread_id;
    HANDLE thread;
    HANDLE done;  // set when the interface thread has left its loop
    HANDLE parked;  // set when quitting has stopped the thread (ui_thread.cpp)
};

// The window of `kind` (RECORD_WINDOW_*, or RECORD_WINDOW_LIST plus the
// list's index) of an engine record, made for `made_for`: a window made for
// anything else is forgotten, as a list compiled again is a new list. The
// slot is the interface thread's to write; `ui_record_window_find` reads
// one on any thread, null when there is none.
enum { RECORD_WINDOW_HISTORY = 0, RECORD_WINDOW_LIST_SELECT = 1, RECORD_WINDOW_LIST = 2 };
HWND *ui_record_window(DebugThreadContext *ctx, const void *record, uint32_t kind, uint64_t made_for = 0);
HWND ui_record_window_find(DebugThreadContext *ctx, const void *record, uint32_t kind, uint64_t made_for = 0);
// The fixed window `index` (WindowIndex) of the thread's interface.
HWND ui_window(DebugThreadContext *ctx, int index);

// The context the interface thread serves (the thread that took the
// application thread's record over, when one did).
DebugThreadContext *ui_context(void);
// The context whose interface `ctx`'s interface thread is now: `ctx`, or the
// thread that took its record over.
DebugThreadContext *ui_served(DebugThreadContext *ctx);

// True when a WM_COMMAND came from a menu item: not from a control, and not
// a key that a dialog turned into a command (Escape arrives as id 2).
bool ui_menu_command(WPARAM wp, LPARAM lp);

// The check mark of an item of a window's menu; the windows keep their
// options in these marks. ui_menu_toggle turns the mark over and returns
// whether it is now set.
bool ui_menu_checked(HWND window, int item);
void ui_menu_check(HWND window, int item, bool on);
bool ui_menu_toggle(HWND window, int item);

// The controls a resizable window lays out (0: none of that kind). The
// separator line keeps its place and spans the width; the fields along the
// top reach to 4 pixels from the right edge; the buttons stand 4 pixels above
// the bottom edge (one: centred; two: left and right; three: left, centred
// and right; four: spread evenly); the main list or text fills the rest.
struct UiLayout {
    int line;
    int fields[2];
    int fill;
    int buttons[4];
};
// Lays the window out after WM_SIZE (only SIZE_RESTORED).
void ui_layout(HWND window, const UiLayout &layout, WPARAM type, LPARAM size);
// Lays a newly made window out at its first size: a dialog's WM_SIZE comes
// before its controls exist, and the templates' lists reach under their
// buttons.
void ui_layout_first(HWND window);
// A control's rectangle in its dialog's client coordinates; the control.
HWND ui_get_child_rect(HWND window, int control, RECT *rect);

// The three searches: the field's text (at most 255 characters) in a
// single-selection list, an extended-selection list and a multi-line edit
// control; without a match the field reads "%s - not found".
void ui_listbox_search(HWND window, int list, int field);
void ui_multilist_search(HWND window, int list, int field);
void ui_edit_search(HWND window, int edit, int field);

// Writers of a window's contents to a text-mode stream: a list's items one
// a line, an edit control's text as it reads (its CR LF line ends reach the
// file as CR LF).
void ui_listbox_dump(HWND window, int list, FILE *file);
void ui_edit_dump(HWND window, int edit, FILE *file);
void ui_text_dump(const char *text, FILE *file);

// The bytes from `from` up to `to` of a file, both taken no further than its
// end, read in binary, zero-terminated, in memory the caller frees with
// free(); `length` gets the bytes read. Null when the file cannot be opened;
// the fatal box when memory runs out.
char *ui_read_file_part(const char *path, unsigned long long from, unsigned long long to, size_t *length,
                        const char *source);

// The common dialogs, on a name buffer of MAX_PATH characters pre-filled with
// the default name; 1 when the user confirmed a name.
int ui_open_file_dialog(HWND owner, char *name);
int ui_save_file_dialog(HWND owner, char *name);
// The save procedure of every window: the save dialog with `default_name`,
// then `write` on the chosen file opened as text; a cancelled dialog or a
// file that cannot be opened ends it silently.
void ui_save_contents(HWND owner, const char *default_name, void (*write)(HWND, FILE *), HWND from);

// Puts a text into a list, an edit control or read from it.
void ui_set_text(HWND window, int control, const char *text);
// Sets a list's horizontal scrolling to the widest of its items.
void ui_listbox_fit(HWND window, int list);

// A modal window (a box, a file dialog) that `show` makes and runs until a
// person ends it: made and shown with the gate closed (gate.h), which opens
// as the window is activated, so that nothing waits on the person.
INT_PTR ui_modal_gated(INT_PTR (*show)(void *), void *arg);
// Shows a window; one not shown yet is shown, its surface made, with no
// application thread inside the system's GL (gate.h).
void ui_show_gated(HWND window);
// A window made on demand: made from `dialog` when `slot` holds none, shown,
// then sent the refresh message with `wp` and `lp`.
void ui_open_window(DebugThreadContext *ctx, HWND *slot, int dialog, DLGPROC proc, WPARAM wp, LPARAM lp);
// Sends the refresh message to a window made on demand when it is shown.
void ui_refresh_shown(HWND window, WPARAM wp, LPARAM lp);
// The number the selected entry of a single-selection list carries; false
// when none is selected.
bool ui_selected_data(HWND list, uint32_t *data);

// The two Select GL Context windows (for the call history and for the
// display lists): one design, the ids and the window index as its
// parameters. Choosing a context opens that context's own window, the
// record's window of `kind`, made from `dialog` on first use and refreshed
// with the context's index; `source` names the file in a fatal box.
struct UiContextSelect {
    int list, close, index;
    uint32_t kind;
    int dialog;
    DLGPROC proc;
    const char *source;
};
INT_PTR ui_context_select_proc(const UiContextSelect &kind, HWND window, UINT msg, WPARAM wp, LPARAM lp);

// The fatal box with `source` and the line, then the process ends with
// status 1.
[[noreturn]] void ui_fatal(const char *source, int line, const char *text);

// The GL contexts listed in the master (it has room for 32).
uint32_t ui_gl_context_count(const MasterRecord *master);
// The filled rows of the master's enumerant table.
uint32_t ui_enumerant_count(const MasterRecord *master);
// The record of the GL context at `index` of the master's `gl_contexts`;
// the fatal box "Could not open perGL." when it is missing.
GLContextRecord *ui_gl_context_record(DebugThreadContext *ctx, uint32_t index, const char *source);
// The indexes in the master's `gl_contexts` of the application thread's own
// contexts, in order; returns how many there are.
uint32_t ui_thread_contexts(DebugThreadContext *ctx, uint32_t indexes[MASTER_GL_CONTEXT_SLOTS]);
// Fills a list with "GL context %d" for each context of the application
// thread, each entry carrying the context's index.
void ui_context_list_fill(DebugThreadContext *ctx, HWND window, int list);

// The window procedures.
INT_PTR CALLBACK ui_about_proc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ui_callcount_proc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ui_primcount_proc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ui_enum_proc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ui_history_context_proc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ui_dl_context_proc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ui_break_select_proc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ui_trace_select_proc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ui_skip_select_proc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ui_state_select_proc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ui_windinfo_proc(HWND, UINT, WPARAM, LPARAM);

// The values of a state item after `label`, shown by its display type (1
// boolean, 2 enumerant name, 3 hexadecimal, 4 matrix, 5 number, 6 stipple),
// the lines after the first indented as far as the label is long. An
// enumerant is named as `item` means it: by an enumerant row, never a mask
// bit or a boolean that shares its value, and 0 and 1 as GL_ZERO and GL_ONE
// for the blend factors and stencil operations.
std::string ui_state_format(const MasterRecord *master, const char *label, uint32_t type, int count,
                            const float *values, const StateItemDesc *item = nullptr);

// The panel's switches in the configuration file's order: the key, the
// process record's word and the panel's check box that sets it.
enum { UI_PANEL_SWITCHES = 6 };
struct UiPanelSwitch {
    const char *key;
    std::atomic<uint32_t> ProcessRecord::*word;  // null: read and ignored
    int box;
};
extern const UiPanelSwitch ui_panel_switches[UI_PANEL_SWITCHES];

// The configuration file's lines of the windows, in the file's order.
void ui_callcount_write_config(DebugThreadContext *ctx, FILE *file);
bool ui_callcount_read_config(DebugThreadContext *ctx, FILE *file);
void ui_state_write_config(DebugThreadContext *ctx, FILE *file);
bool ui_state_read_config(DebugThreadContext *ctx, FILE *file);
void ui_select_write_configs(DebugThreadContext *ctx, FILE *file);
void ui_select_read_configs(DebugThreadContext *ctx, FILE *file);
