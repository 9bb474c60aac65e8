// The interface thread of an application thread: its control panel, its
// message loop, and the refresh functions the application thread calls.
#include "ui_windows.h"

#include "debugger/gate.h"
#include "debugger/ring.h"
#include "debugger/thread_context.h"
#include "debugger/ui_seam.h"

#include <commdlg.h>
#include <new>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "resource.h"

// Posted to an interface thread to end it: the library is being unloaded.
enum { UI_STOP_MESSAGE = WM_APP + 1 };

// The context the interface serves: the one the interface thread started
// for, or the thread that took its record over after it.
static DebugThreadContext *served(DebugThreadContext *ctx) {
    DebugThreadContext *now = ctx->process->context.load(std::memory_order_acquire);
    return now ? now : ctx;
}

DebugThreadContext *ui_served(DebugThreadContext *ctx) { return served(ctx); }

DebugThreadContext *ui_context(void) { return served(context_current()); }

// Set by the message loop while it hands a dialog a key that the dialog turns
// into a command: such a command is never taken for a menu item.
static thread_local bool key_command;

bool ui_menu_command(WPARAM wp, LPARAM lp) { return HIWORD(wp) == 0 && lp == 0 && !key_command; }

HWND ui_window(DebugThreadContext *ctx, int index) { return served(ctx)->ui->windows[index]; }

HWND *ui_record_window(DebugThreadContext *ctx, const void *record, uint32_t kind, uint64_t made_for) {
    InterfaceState *ui = served(ctx)->ui;
    AcquireSRWLockExclusive(&ui->record_lock);
    InterfaceState::RecordWindow &slot = ui->record_windows[{record, kind}];
    if (slot.made_for != made_for) slot = {nullptr, made_for};
    ReleaseSRWLockExclusive(&ui->record_lock);
    return &slot.window;
}

HWND ui_record_window_find(DebugThreadContext *ctx, const void *record, uint32_t kind, uint64_t made_for) {
    InterfaceState *ui = served(ctx)->ui;
    AcquireSRWLockShared(&ui->record_lock);
    auto found = ui->record_windows.find({record, kind});
    HWND window = found != ui->record_windows.end() && found->second.made_for == made_for ? found->second.window
                                                                                          : nullptr;
    ReleaseSRWLockShared(&ui->record_lock);
    return window;
}

// ------------------------------------------------------------------ helpers

void ui_show_window(DebugThreadContext *ctx, void *window, int index) {
    if (!window) return;
    ui_show_gated((HWND)window);
    ctx->ui->visible[index] = 1;
}

void ui_hide_window(DebugThreadContext *ctx, void *window, int index) {
    if (!window) return;
    ShowWindow((HWND)window, SW_HIDE);
    ctx->ui->visible[index] = 0;
}

// Sends the refresh message to a fixed window and shows it; nothing for a
// window the interface does not have.
static void refresh_and_show(DebugThreadContext *ctx, int index) {
    HWND window = ctx->ui->windows[index];
    if (!window) return;
    SendMessageA(window, UI_REFRESH_MESSAGE, 0, 0);
    ui_show_window(ctx, window, index);
}

const char *ui_format_count(unsigned long long count, char *result) {
    char before[UI_COUNT_CHARS];
    unsigned long long r = count % 1000, n = count / 1000;
    if (n == 0) {
        _snprintf_s(result, UI_COUNT_CHARS, _TRUNCATE, "%d", (int)r);
        return result;
    }
    _snprintf_s(result, UI_COUNT_CHARS, _TRUNCATE, "%0.3d", (int)r);
    for (;;) {
        r = n % 1000;
        n /= 1000;
        lstrcpynA(before, result, sizeof before);
        _snprintf_s(result, UI_COUNT_CHARS, _TRUNCATE, n > 0 ? "%0.3d,%s" : "%d,%s", (int)r, before);
        if (n == 0) return result;
    }
}

void ui_warning_box(const char *format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    _vsnprintf_s(text, sizeof text, _TRUNCATE, format, args);
    va_end(args);
    ui_modal_gated([](void *text) -> INT_PTR {
        return MessageBoxA(nullptr, (const char *)text, "Warning", MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
    }, text);
}

// --------------------------------------------------- the application's side
//
// The application thread never sends the interface a message that lets
// other threads' sent messages in while it waits: a window of its own would
// then run inside its GL call. The panel's texts are kept in the interface's
// state and posted; the refreshes, which must read the records while the
// application thread stands still, are one message sent with SMTO_BLOCK, the
// interface thread doing the work; a hung interface lets the call go on.

enum {
    // Posted to the panel: show the texts kept in the interface's state.
    UI_TEXTS_MESSAGE = WM_APP + 2,
    // Sent to the panel: a refresh of the windows (wParam: PanelRefresh) for
    // the context in lParam.
    UI_ENGINE_MESSAGE = WM_APP + 3,
    // Posted to the panel by quitting on another interface thread: stop.
    UI_PARK_MESSAGE = WM_APP + 4,
};
enum PanelText : uint32_t { PANEL_TEXT_STATUS = 1, PANEL_TEXT_IDS = 2 };
enum PanelRefresh : WPARAM { REFRESH_ALL = 1, REFRESH_HISTORY = 2, REFRESH_COUNTS = 3 };
// How long an application thread waits for its interface to refresh: long
// enough for any refresh, short of a hang that would stop the application.
enum { REFRESH_WAIT_MS = 10000 };

// Shows the texts not shown yet: on the interface thread.
static void panel_texts_show(InterfaceState *ui) {
    InterfaceState::PanelTexts &t = ui->texts;
    char status[sizeof t.status], ids[sizeof t.ids], context[sizeof t.context];
    AcquireSRWLockExclusive(&t.lock);
    uint32_t changed = t.changed;
    if (changed & PANEL_TEXT_STATUS) memcpy(status, t.status, sizeof status);
    if (changed & PANEL_TEXT_IDS) {
        memcpy(ids, t.ids, sizeof ids);
        memcpy(context, t.context, sizeof context);
    }
    t.changed = 0;
    t.posted = false;
    ReleaseSRWLockExclusive(&t.lock);
    HWND panel = ui->windows[WINDOW_PANEL];
    if (!panel) return;
    if (changed & PANEL_TEXT_IDS) {
        SetDlgItemTextA(panel, IDC_PANEL_IDS, ids);
        SetDlgItemTextA(panel, IDC_PANEL_CONTEXT, context);
    }
    if (changed & PANEL_TEXT_STATUS) SetDlgItemTextA(panel, IDC_PANEL_STATUS, status);
}

// Keeps what `write` puts into the texts and has the panel show it: at once
// on the interface thread, else by one message posted for however many
// changes come before the interface gets to it.
template <typename Write>
static void panel_texts_set(InterfaceState *ui, uint32_t which, Write write) {
    InterfaceState::PanelTexts &t = ui->texts;
    AcquireSRWLockExclusive(&t.lock);
    write(t);
    t.changed |= which;
    bool post = !t.posted;
    t.posted = true;
    ReleaseSRWLockExclusive(&t.lock);
    if (GetCurrentThreadId() == ui->thread_id) {
        panel_texts_show(ui);
    } else if (post && !PostMessageA(ui->windows[WINDOW_PANEL], UI_TEXTS_MESSAGE, 0, 0)) {
        AcquireSRWLockExclusive(&t.lock);
        t.posted = false;
        ReleaseSRWLockExclusive(&t.lock);
    }
}

void ui_panel_set_status(DebugThreadContext *ctx, const char *text) {
    InterfaceState *ui = served(ctx)->ui;
    if (!ui || !ui->windows[WINDOW_PANEL]) return;
    panel_texts_set(ui, PANEL_TEXT_STATUS,
                    [&](InterfaceState::PanelTexts &t) { lstrcpynA(t.status, text, sizeof t.status); });
}

void ui_panel_show_ids(DebugThreadContext *ctx) {
    DebugThreadContext *now = served(ctx);
    InterfaceState *ui = now->ui;
    if (!ui || !ui->windows[WINDOW_PANEL]) return;
    GLContextRecord *record = now->gl_context;
    panel_texts_set(ui, PANEL_TEXT_IDS, [&](InterfaceState::PanelTexts &t) {
        _snprintf_s(t.ids, sizeof t.ids, _TRUNCATE, "App Process ID = %u", ctx->process->thread_id);
        if (!record) {
            lstrcpyA(t.context, "GL context = Unstable");
        } else if (record->handle == 0) {
            lstrcpyA(t.context, "GL context = NULL");
        } else {
            _snprintf_s(t.context, sizeof t.context, _TRUNCATE, "GL context = %d", (int)record->number);
        }
    });
}

// The call is shown while the application thread waits for the refresh.
void ui_panel_show_call(DebugThreadContext *ctx) {
    HWND panel = served(ctx)->ui->windows[WINDOW_PANEL];
    if (panel) SetDlgItemTextA(panel, IDC_PANEL_CALL, ctx->process->call_text);
}

static void refresh_on_interface(DebugThreadContext *ctx, WPARAM kind) {
    switch (kind) {
    case REFRESH_ALL: {
        ui_panel_show_call(ctx);
        DebugThreadContext *now = served(ctx);
        static const int refreshed[] = {WINDOW_CALL_COUNT, WINDOW_PRIMITIVE_COUNT, WINDOW_HISTORY_SELECT,
                                        WINDOW_LIST_CONTEXT_SELECT, WINDOW_INFO};
        for (int index : refreshed) {
            HWND window = now->ui->windows[index];
            if (window && now->ui->visible[index] == 1) SendMessageA(window, UI_REFRESH_MESSAGE, 0, 0);
        }
        ui_history_refresh(ctx);
        ui_dl_refresh(ctx);
        ui_state_refresh(ctx);
        break;
    }
    case REFRESH_HISTORY:
        ui_history_refresh(ctx);
        break;
    case REFRESH_COUNTS:
        ui_counts_refresh(ctx);
        break;
    }
}

// Has the interface thread refresh its windows from the records and waits
// until it has, letting no message in meanwhile.
static void refresh(DebugThreadContext *ctx, WPARAM kind) {
    InterfaceState *ui = served(ctx)->ui;
    HWND panel = ui ? ui->windows[WINDOW_PANEL] : nullptr;
    if (!panel) return;
    if (GetCurrentThreadId() == ui->thread_id) {
        refresh_on_interface(ctx, kind);
        return;
    }
    DWORD_PTR result;
    SendMessageTimeoutA(panel, UI_ENGINE_MESSAGE, kind, (LPARAM)ctx, SMTO_BLOCK | SMTO_ABORTIFHUNG, REFRESH_WAIT_MS,
                        &result);
}

void ui_refresh_all(DebugThreadContext *ctx) { refresh(ctx, REFRESH_ALL); }

static void refresh_history(DebugThreadContext *ctx) { refresh(ctx, REFRESH_HISTORY); }

static void refresh_counts(DebugThreadContext *ctx) { refresh(ctx, REFRESH_COUNTS); }

// ---------------------------------------------------------------- the panel

static void set_switch(std::atomic<uint32_t> &word, HWND panel, int box) {
    word.store(IsDlgButtonChecked(panel, box) == BST_CHECKED ? 1 : 0, std::memory_order_release);
}

static void post_command(DebugThreadContext *ctx, const char *status, uint32_t code) {
    if (status) ui_panel_set_status(ctx, status);
    ring_post(&ctx->process->ui_commands, code);
}

static void save_configuration(DebugThreadContext *ctx, HWND panel) {
    char name[MAX_PATH] = "palisade.cfg";
    if (!ui_save_file_dialog(panel, name)) return;
    FILE *file = fopen(name, "w");
    if (!file) return;
    ui_config_write(ctx, file);
    fclose(file);
}

static void load_configuration(DebugThreadContext *ctx, HWND panel) {
    char name[MAX_PATH] = "palisade.cfg";
    if (!ui_open_file_dialog(panel, name)) return;
    FILE *file = fopen(name, "r");
    if (!file) return;
    ui_config_read(ctx, file, name);
    fclose(file);
}

static bool stopping;

static void panel_command(DebugThreadContext *ctx, HWND panel, WPARAM wp, LPARAM lp) {
    ProcessRecord *process = ctx->process;
    bool halted = process->run_state.load(std::memory_order_acquire) == RUN_STATE_HALTED;
    bool from_menu = ui_menu_command(wp, lp);
    switch (LOWORD(wp)) {
    case IDC_PANEL_HALT:
        post_command(ctx, "Halt requested", CMD_HALT);
        break;
    case IDC_PANEL_CONTINUE:
        post_command(ctx, "Continue requested", CMD_CONTINUE);
        break;
    case IDC_PANEL_STEP:
        if (halted) post_command(ctx, "Step requested", CMD_STEP);
        else post_command(ctx, "Halt requested", CMD_HALT);
        break;
    case IDC_PANEL_SKIP:
        if (halted) post_command(ctx, "Skip call requested", CMD_SKIP);
        else post_command(ctx, "Halt requested", CMD_HALT);
        break;
    case IDC_PANEL_CONTROL_DRAW: {
        bool on = IsDlgButtonChecked(panel, IDC_PANEL_CONTROL_DRAW) == BST_CHECKED;
        process->Control_draw.store(on ? 1 : 0, std::memory_order_release);
        post_command(ctx, nullptr, on ? CMD_FRONT_BUFFER_ON : CMD_FRONT_BUFFER_OFF);
        break;
    }
    case IDC_PANEL_TRACE_SETUP:
        refresh_and_show(ctx, WINDOW_TRACE_SELECT);
        break;
    case IDC_PANEL_BREAK_SETUP:
        refresh_and_show(ctx, WINDOW_BREAK_SELECT);
        break;
    case IDC_PANEL_SKIP_SETUP:
        refresh_and_show(ctx, WINDOW_SKIP_SELECT);
        break;
    case IDM_ABOUT:
    case IDM_HELP_ABOUT:
        if (from_menu || LOWORD(wp) == IDM_HELP_ABOUT) ui_show_window(ctx, ctx->ui->windows[WINDOW_ABOUT], WINDOW_ABOUT);
        break;
    case IDM_SAVE_CONFIGURATION:
        if (from_menu) save_configuration(ctx, panel);
        break;
    case IDM_LOAD_CONFIGURATION:
        load_configuration(ctx, panel);
        break;
    case IDM_QUIT:
        debugger_quit();
        break;
    case IDM_CALL_COUNT:
    case IDM_CALL_HISTORY:
    case IDM_DISPLAY_LIST:
    case IDM_PRIMITIVE_COUNT:
    case IDM_STATE:
    case IDM_WINDOW: {
        static const int shown[] = {WINDOW_CALL_COUNT, WINDOW_HISTORY_SELECT,
                                    WINDOW_LIST_CONTEXT_SELECT, WINDOW_PRIMITIVE_COUNT,
                                    WINDOW_STATE_SELECT, WINDOW_INFO};
        ring_post(&process->ui_commands, CMD_HALT);
        refresh_and_show(ctx, shown[LOWORD(wp) - IDM_CALL_COUNT]);
        break;
    }
    case IDM_ENUMERANTS:
        ring_post(&process->ui_commands, CMD_HALT);
        ui_show_window(ctx, ctx->ui->windows[WINDOW_ENUMERANTS], WINDOW_ENUMERANTS);
        break;
    default:
        for (const UiPanelSwitch &s : ui_panel_switches) {
            if (s.word && s.box == LOWORD(wp)) set_switch(process->*s.word, panel, s.box);
        }
        break;
    }
}

static INT_PTR CALLBACK panel_proc(HWND panel, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(panel, DWLP_USER, lp);
        DebugThreadContext *ctx = (DebugThreadContext *)lp;
        CheckDlgButton(panel, IDC_PANEL_HISTORY, BST_CHECKED);
        ctx->process->History.store(1, std::memory_order_release);
        return TRUE;
    }
    case WM_COMMAND:
        panel_command(served((DebugThreadContext *)GetWindowLongPtrA(panel, DWLP_USER)), panel, wp, lp);
        return TRUE;
    case UI_TEXTS_MESSAGE:
        panel_texts_show(served((DebugThreadContext *)GetWindowLongPtrA(panel, DWLP_USER))->ui);
        return TRUE;
    case UI_ENGINE_MESSAGE:
        refresh_on_interface((DebugThreadContext *)lp, wp);
        return TRUE;
    case UI_PARK_MESSAGE: {
        // Quitting ends the process from another interface thread: this one
        // waits for it where being ended is safe, in a wait that Wine's
        // server ends without a signal. Posted to the panel, the message
        // reaches it in the loop of a box or menu too.
        InterfaceState *ui = ((DebugThreadContext *)GetWindowLongPtrA(panel, DWLP_USER))->ui;
        SetEvent(ui->parked);
        for (;;) SleepEx(INFINITE, TRUE);
    }
    case WM_CLOSE:
        debugger_quit();
        return TRUE;
    case WM_DESTROY:
        if (!stopping) debugger_quit();
        return TRUE;
    }
    return FALSE;
}

// ------------------------------------------------------------ the thread

static BOOL CALLBACK destroy_window(HWND window, LPARAM) {
    DestroyWindow(window);
    return TRUE;
}

// Text layout keeps a cache per font, which an edit control gives back each
// time its text changes, and the last one out frees it. Wine's layout leaves
// its cache lock taken when two threads make the cache of one font at once,
// and every other interface thread then waits for ever on the panel's texts.
// So one cache of the panels' font is made once, by one interface thread at
// a time, and kept: the others find it and never make it again.
static void keep_font_cache(HWND panel) {
    static SRWLOCK lock = SRWLOCK_INIT;
    static void *cache;
    typedef HRESULT(WINAPI * CacheGetHeight)(HDC, void **, long *);
    AcquireSRWLockExclusive(&lock);
    if (!cache) {
        HMODULE usp10 = LoadLibraryA("usp10.dll");
        CacheGetHeight get_height =
            usp10 ? (CacheGetHeight)GetProcAddress(usp10, "ScriptCacheGetHeight") : nullptr;
        HDC dc = GetDC(panel);
        HGDIOBJ font = SelectObject(dc, (HFONT)SendMessageA(panel, WM_GETFONT, 0, 0));
        long height = 0;
        if (get_height) get_height(dc, &cache, &height);
        SelectObject(dc, font);
        ReleaseDC(panel, dc);
    }
    ReleaseSRWLockExclusive(&lock);
}

static DWORD WINAPI thread_main(void *arg) {
    DebugThreadContext *ctx = (DebugThreadContext *)arg;
    InterfaceState *ui = ctx->ui;
    // Before any window: the panel's texts tell the interface thread by it.
    ui->thread_id = GetCurrentThreadId();
    context_set_current(ctx);
    // The library's own module, whatever name it was loaded under.
    ui->module = debugger_module;
    if (!ui->module) ExitProcess(1);
    struct FixedWindow {
        int dialog;
        DLGPROC proc;
        int index;
    };
    static const FixedWindow fixed[] = {
        {IDD_ABOUT, ui_about_proc, WINDOW_ABOUT},
        {IDD_CALL_COUNT, ui_callcount_proc, WINDOW_CALL_COUNT},
        {IDD_PRIMITIVE_COUNT, ui_primcount_proc, WINDOW_PRIMITIVE_COUNT},
        {IDD_ENUMERANTS, ui_enum_proc, WINDOW_ENUMERANTS},
        {IDD_HISTORY_CONTEXT, ui_history_context_proc, WINDOW_HISTORY_SELECT},
        {IDD_DL_CONTEXT, ui_dl_context_proc, WINDOW_LIST_CONTEXT_SELECT},
        {IDD_PANEL, panel_proc, WINDOW_PANEL},
        {IDD_BREAK_SELECT, ui_break_select_proc, WINDOW_BREAK_SELECT},
        {IDD_TRACE_SELECT, ui_trace_select_proc, WINDOW_TRACE_SELECT},
        {IDD_SKIP_SELECT, ui_skip_select_proc, WINDOW_SKIP_SELECT},
        {IDD_STATE_SELECT, ui_state_select_proc, WINDOW_STATE_SELECT},
        {IDD_WINDOW_INFO, ui_windinfo_proc, WINDOW_INFO},
    };
    // The windows are made and the panel shown with no application thread
    // inside the system's GL (gate.h), and by one interface thread at a
    // time: Wine's text layout damages the process heap when two threads
    // make the cache of one font at once, which every edit control made
    // does for the system font before its dialog gives it the panels'.
    system_gate_close();
    for (const FixedWindow &w : fixed) {
        HWND window = CreateDialogParamA(ui->module, MAKEINTRESOURCEA(w.dialog), nullptr, w.proc, (LPARAM)ctx);
        if (!window) ExitProcess(1);
        ui_layout_first(window);
        ui->windows[w.index] = window;
        // Before the first window with a text box: all have the panels' font.
        if (w.index == WINDOW_ABOUT) keep_font_cache(window);
    }
    ShowWindow(ui->windows[WINDOW_PANEL], SW_SHOW);
    ui->visible[WINDOW_PANEL] = 1;
    system_gate_open();
    // With the gate open: a file that is not valid is said in a box, which
    // waits for a person. The application thread goes on only after it.
    FILE *config = fopen("palisade.cfg", "r");
    if (config) {
        ui_config_read(ctx, config, "palisade.cfg");
        fclose(config);
    }
    ui->ready.store(1, std::memory_order_release);
    SetEvent(ui->ready_event);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!msg.hwnd && msg.message == UI_STOP_MESSAGE) break;
        DebugThreadContext *now = served(ctx);
        HWND panel = now->ui->windows[WINDOW_PANEL];
        bool for_panel = panel && (msg.hwnd == panel || IsChild(panel, msg.hwnd));
        // Escape would close the panel's dialog as the menu's item 2 (Save
        // configuration) and Enter may press item 1 (About): neither key is a
        // menu command here. Escape is dropped (its key and its character,
        // 27); every other key reaches the controls, Ctrl+C's character 3
        // among them.
        if (for_panel && (msg.message == WM_KEYDOWN || msg.message == WM_CHAR) && msg.wParam == VK_ESCAPE) {
            continue;
        }
        key_command = msg.message == WM_KEYDOWN || msg.message == WM_CHAR;
        static const int chain[] = {WINDOW_PANEL, WINDOW_ABOUT, WINDOW_CALL_COUNT,
                                    WINDOW_PRIMITIVE_COUNT, WINDOW_ENUMERANTS,
                                    WINDOW_HISTORY_SELECT, WINDOW_LIST_CONTEXT_SELECT,
                                    WINDOW_BREAK_SELECT, WINDOW_TRACE_SELECT, WINDOW_SKIP_SELECT,
                                    WINDOW_STATE_SELECT, WINDOW_INFO};
        bool taken = false;
        for (int index : chain) {
            HWND window = now->ui->windows[index];
            if (window && IsDialogMessageA(window, &msg)) {
                taken = true;
                break;
            }
        }
        key_command = false;
        if (!taken) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    // Leaving for the unload: no window keeps a procedure of the library.
    stopping = true;
    for (HWND &window : ui->windows) {
        if (window) DestroyWindow(window);
        window = nullptr;
    }
    // And the windows made on demand (Call History, the display-list windows,
    // State).
    EnumThreadWindows(GetCurrentThreadId(), destroy_window, 0);
    memset(ui->state_windows, 0, sizeof ui->state_windows);
    SetEvent(ui->done);
    return 0;
}

// The interface thread is started with CreateThread: the runtime's thread
// start would hold the library loaded while the thread runs, and the
// interface threads run until the library's unload ends them.
static void interface_start(DebugThreadContext *ctx) {
    InterfaceState *ui = new (std::nothrow) InterfaceState();
    if (!ui) ExitProcess(1);
    InitializeSRWLock(&ui->record_lock);
    InitializeSRWLock(&ui->texts.lock);
    ui->ready_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ui->done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ui->parked = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!ui->ready_event || !ui->done || !ui->parked) ExitProcess(1);
    ctx->ui = ui;
    ui->thread = CreateThread(nullptr, 0, thread_main, ctx, 0, nullptr);
    if (!ui->thread) ExitProcess(1);
    WaitForSingleObject(ui->ready_event, INFINITE);
}

// For the library's unload. A state handed on is stopped once, through the
// context its record names now.
static void interface_stop(DebugThreadContext *ctx) {
    if (!ctx->ui || ctx->process->context.load(std::memory_order_acquire) != ctx) return;
    InterfaceState *ui = ctx->ui;
    if (PostThreadMessageA(ui->thread_id, UI_STOP_MESSAGE, 0, 0)) {
        if (WaitForSingleObject(ui->done, 5000) == WAIT_OBJECT_0) {
            // The thread has a few instructions of the library left to run.
            Sleep(20);
        }
    }
    CloseHandle(ui->done);
    CloseHandle(ui->parked);
    CloseHandle(ui->ready_event);
    CloseHandle(ui->thread);
    ctx->ui = nullptr;
    delete ui;
}

// Quitting: the interface of `ctx` is asked to stop, once, unless it is the
// quitting thread's own.
static HANDLE interface_park(DebugThreadContext *ctx) {
    if (!ctx->ui || ctx->process->context.load(std::memory_order_acquire) != ctx) return nullptr;
    InterfaceState *ui = ctx->ui;
    HWND panel = ui->windows[WINDOW_PANEL];
    if (ui->thread_id == GetCurrentThreadId() || !panel || !PostMessageA(panel, UI_PARK_MESSAGE, 0, 0)) return nullptr;
    return ui->parked;
}

// The context gone before keeps the state too: the interface thread may
// look it up through that context until the record names the new one.
static void interface_adopt(DebugThreadContext *ctx, DebugThreadContext *before) { ctx->ui = before->ui; }

static const InterfaceSeam interface_functions = {
    interface_start, interface_adopt,   interface_stop,     ui_panel_show_ids,
    ui_panel_set_status, ui_refresh_all, refresh_history,   refresh_counts,
    interface_park,
};

void ui_register(void) { interface_register(&interface_functions); }
