// Driving a debugger control panel as a person would: find the panels of a
// process (top-level dialogs captioned "palisade"), read their controls,
// click their buttons and boxes and wait for a status text. Shared by the
// driver program and the tests that drive a panel from inside their process.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>
#include <vector>

namespace panel {

enum Control {
    IDS = 104,
    CONTEXT = 105,
    CALL = 106,
    STATUS = 107,
    HALT = 108,
    CONTINUE = 109,
    STEP = 110,
    SKIP = 111,
    GL_ERRORS = 114,
    CONTROL_DRAW = 115,
    HISTORY = 116,
    BREAK_CALLS = 118,
    BREAK_SWAP = 120,
    SKIP_CALLS = 121,
};

struct Search {
    DWORD pid;
    std::vector<HWND> found;
};

inline BOOL CALLBACK visit(HWND window, LPARAM arg) {
    Search *s = (Search *)arg;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[32] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (pid != s->pid || lstrcmpA(cls, "#32770")) return TRUE;
    // Read without a message: the window's thread may be a halted
    // application thread that answers none.
    WCHAR title[32] = L"";
    InternalGetWindowText(window, title, 32);
    if (!lstrcmpW(title, L"palisade")) s->found.push_back(window);
    return TRUE;
}

inline std::vector<HWND> find(DWORD process_id) {
    Search search{process_id, {}};
    EnumWindows(visit, (LPARAM)&search);
    return search.found;
}

// A control's text; empty when the interface does not answer within a few
// seconds (a waiting caller polls again rather than hang with it).
inline std::string text(HWND panel, int control) {
    HWND item = GetDlgItem(panel, control);
    DWORD_PTR n = 0;
    if (!item || !SendMessageTimeoutA(item, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &n)) {
        return std::string();
    }
    std::string s((size_t)n + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(item, WM_GETTEXT, (WPARAM)s.size(), (LPARAM)&s[0], SMTO_ABORTIFHUNG, 5000, &copied);
    s.resize(strlen(s.c_str()));
    return s;
}

// The application thread the panel serves, from "App Process ID = %u".
inline DWORD thread_id(HWND panel) {
    std::string ids = text(panel, IDS);
    size_t eq = ids.find('=');
    return eq == std::string::npos ? 0 : strtoul(ids.c_str() + eq + 1, nullptr, 10);
}

inline void click(HWND panel, int control) { SendMessageA(GetDlgItem(panel, control), BM_CLICK, 0, 0); }

inline bool checked(HWND panel, int control) {
    return SendMessageA(GetDlgItem(panel, control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

inline void set_check(HWND panel, int control, bool on) {
    if (checked(panel, control) != on) click(panel, control);
}

// Waits until `done` holds, polling; false after `seconds`.
template <typename Done>
inline bool wait(Done done, double seconds) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > (DWORD)(seconds * 1000)) return false;
        Sleep(5);
    }
    return true;
}

inline bool wait_status(HWND panel, const std::string &status, double seconds) {
    return wait([&] { return text(panel, STATUS) == status; }, seconds);
}

}  // namespace panel
