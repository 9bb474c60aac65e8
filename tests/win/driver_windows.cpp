// The driver's commands for the debugger's windows (see driver_windows.h and
// the list in driver.cpp). A command acts on the current window, which
// `window` chooses (the current panel until then), and waits for what it
// expects, failing after the time-out.
#include "driver_windows.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "panel.h"
#include "read_file.h"
#include "picture.h"

namespace driven {

namespace {

HWND target;  // null: the current panel

HWND current(Driver &d) { return target ? target : d.panel(); }

DWORD timeout_ms(Driver &d) { return (DWORD)(d.timeout_seconds * 1000); }

int number(Driver &d, const std::string &text) {
    char *end = nullptr;
    long n = strtol(text.c_str(), &end, 0);
    if (text.empty() || *end) d.fail("not a number: " + text);
    return (int)n;
}

HWND control(Driver &d, int id) {
    HWND item = GetDlgItem(current(d), id);
    if (!item) d.fail("no control " + std::to_string(id));
    return item;
}

// Sends a message and waits for its handling, a bounded time (a handler that
// opens a modal box returns only when the box is closed).
LRESULT send(Driver &d, HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, msg, wp, lp, SMTO_NORMAL, timeout_ms(d), &result);
    return (LRESULT)result;
}

std::string window_text(HWND window) {
    LRESULT n = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string s((size_t)n + 1, '\0');
    n = SendMessageA(window, WM_GETTEXT, (WPARAM)s.size(), (LPARAM)&s[0]);
    s.resize((size_t)std::max<LRESULT>(n, 0));
    return s;
}

std::string caption(HWND window) {
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

struct DialogSearch {
    DWORD pid;
    const std::string *title;
    int id;
    std::vector<HWND> found;
};

BOOL CALLBACK match_dialog(HWND window, LPARAM arg) {
    DialogSearch *s = (DialogSearch *)arg;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[32] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (pid == s->pid && !strcmp(cls, "#32770") && IsWindowVisible(window) && caption(window) == *s->title &&
        (!s->id || GetDlgItem(window, s->id))) {
        s->found.push_back(window);
    }
    return TRUE;
}

// The visible dialogs of the program, captioned `title`, that have a control
// `id` (any, for 0).
std::vector<HWND> dialogs(Driver &d, const std::string &title, int id) {
    DialogSearch search{*d.program_id, &title, id, {}};
    EnumWindows(match_dialog, (LPARAM)&search);
    return search.found;
}

HWND wait_dialog(Driver &d, const std::string &title, int id) {
    HWND found = nullptr;
    panel::wait([&] {
        std::vector<HWND> all = dialogs(d, title, id);
        found = all.empty() ? nullptr : all.front();
        return found != nullptr;
    }, d.timeout_seconds);
    if (!found) d.fail("no window \"" + title + "\"" + (id ? " with control " + std::to_string(id) : ""));
    return found;
}

// ------------------------------------------------------------------ lists

// Asked in UTF-16: Wine hands another process a list item in UTF-16 even to
// the ANSI call.
std::string list_item(HWND list, int index) {
    LRESULT n = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (n == LB_ERR) return std::string();
    std::wstring wide((size_t)n + 1, L'\0');
    n = SendMessageW(list, LB_GETTEXT, index, (LPARAM)&wide[0]);
    if (n == LB_ERR) return std::string();
    std::string text((size_t)n * 2 + 1, '\0');
    int m = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), (int)n, &text[0], (int)text.size(), nullptr, nullptr);
    text.resize(m > 0 ? (size_t)m : 0);
    return text;
}

std::vector<std::string> list_items(HWND list) {
    std::vector<std::string> items;
    int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) items.push_back(list_item(list, i));
    return items;
}

int find_item(HWND list, const std::string &text) {
    std::vector<std::string> items = list_items(list);
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) return (int)i;
    }
    return -1;
}

std::vector<std::string> selection(HWND list) {
    std::vector<std::string> selected;
    LRESULT style = GetWindowLongA(list, GWL_STYLE);
    if (style & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL)) {
        int count = (int)SendMessageA(list, LB_GETSELCOUNT, 0, 0);
        std::vector<int> items(count > 0 ? count : 1);
        count = (int)SendMessageA(list, LB_GETSELITEMS, items.size(), (LPARAM)items.data());
        for (int i = 0; i < count; ++i) selected.push_back(list_item(list, items[i]));
    } else {
        LRESULT at = SendMessageA(list, LB_GETCURSEL, 0, 0);
        if (at != LB_ERR) selected.push_back(list_item(list, (int)at));
    }
    std::sort(selected.begin(), selected.end());
    return selected;
}

std::string joined(const std::vector<std::string> &items) {
    std::string all;
    for (const std::string &item : items) all += (all.empty() ? "" : ",") + item;
    return all.empty() ? "-" : all;
}

// Clicks an item as a mouse would: scrolled into view, then pressed and let
// go over it (with Ctrl held to add it to an extended selection).
void click_item(Driver &d, HWND list, const std::string &text, bool add) {
    int index = -1;
    panel::wait([&] { return (index = find_item(list, text)) >= 0; }, d.timeout_seconds);
    if (index < 0) d.fail("no list item \"" + text + "\"");
    send(d, list, LB_SETTOPINDEX, index, 0);
    RECT r = {};
    send(d, list, LB_GETITEMRECT, index, (LPARAM)&r);
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    WPARAM keys = add ? MK_CONTROL : 0;
    PostMessageA(list, WM_LBUTTONDOWN, keys | MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, keys, at);
    send(d, list, WM_NULL, 0, 0);
    Sleep(50);
}

// ------------------------------------------------------------------ files

std::string read_file(const std::string &path) {
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return std::string();
    std::string text;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    fclose(file);
    return text;
}

std::string full_path(const std::string &name) {
    char path[MAX_PATH];
    DWORD n = GetFullPathNameA(name.c_str(), MAX_PATH, path, nullptr);
    return n && n < MAX_PATH ? std::string(path) : name;
}

// The history file of the panel's thread's first real GL context.
std::string history_file(Driver &d) {
    DWORD thread = panel::thread_id(d.panel());
    char temp[MAX_PATH] = "";
    GetEnvironmentVariableA("TEMP", temp, MAX_PATH);
    std::string dir = std::string(temp) + "\\PALISADE_" + std::to_string(thread) + "\\history\\";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "*.gls").c_str(), &found);
    std::string path;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(found.cFileName, "0.gls")) path = dir + found.cFileName;
        } while (path.empty() && FindNextFileA(search, &found));
        FindClose(search);
    }
    if (path.empty()) d.fail("no history file in " + dir);
    return path;
}

// Fills in a common file dialog, confirms it and answers Yes to replacing
// an older file.
void file_dialog(Driver &d, const std::string &name) {
    HWND dialog = nullptr;
    panel::wait([&] {
        for (const char *title : {"Save As", "Open"}) {
            for (HWND w : dialogs(d, title, 0)) {
                if (GetDlgItem(w, 0x480) || GetDlgItem(w, 0x47c)) dialog = w;
            }
        }
        return dialog != nullptr;
    }, d.timeout_seconds);
    if (!dialog) d.fail("no file dialog");
    std::string path = full_path(name);
    HWND field = GetDlgItem(dialog, 0x480);
    if (!field) field = GetDlgItem(dialog, 0x47c);
    send(d, field, WM_SETTEXT, 0, (LPARAM)path.c_str());
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
    bool gone = panel::wait([&] {
        for (const char *title : {"Save As", "Open", "Confirm Save As"}) {
            for (HWND w : dialogs(d, title, IDYES)) PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
        }
        return !IsWindow(dialog) || !IsWindowVisible(dialog);
    }, d.timeout_seconds);
    if (!gone) d.fail("the file dialog stayed open for " + path);
}

void warning(Driver &d, const std::string &expected) {
    HWND box = wait_dialog(d, "Warning", 0);
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(child, cls, sizeof cls);
        if (!strcmp(cls, "Static")) text += window_text(child);
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(box, IDOK));
    if (text.find(expected) == std::string::npos) d.fail("warning \"" + text + "\" instead of \"" + expected + "\"");
    panel::wait([&] { return !IsWindow(box); }, d.timeout_seconds);
}

struct BoxSearch {
    DWORD pid;
    const std::string *expected;
    HWND found;
};

BOOL CALLBACK match_box(HWND window, LPARAM arg) {
    BoxSearch *s = (BoxSearch *)arg;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[32] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (pid != s->pid || strcmp(cls, "#32770") || !IsWindowVisible(window)) return TRUE;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        GetClassNameA(child, cls, sizeof cls);
        if (!strcmp(cls, "Static") && window_text(child).find(*s->expected) != std::string::npos) s->found = window;
    }
    return TRUE;
}

// A box of the program, whatever its caption, holding `expected`: closed
// with OK.
void message_box(Driver &d, const std::string &expected) {
    BoxSearch search{*d.program_id, &expected, nullptr};
    panel::wait([&] {
        EnumWindows(match_box, (LPARAM)&search);
        return search.found != nullptr;
    }, d.timeout_seconds);
    if (!search.found) d.fail("no box holding \"" + expected + "\"");
    PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(search.found, IDOK));
}

// ----------------------------------------------------------------- layout

RECT child_rect(HWND window, int id) {
    RECT r = {};
    HWND child = GetDlgItem(window, id);
    if (!child) return r;
    GetWindowRect(child, &r);
    POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    ScreenToClient(window, &corners[0]);
    ScreenToClient(window, &corners[1]);
    return {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

std::vector<int> ids(Driver &d, const std::string &list) {
    std::vector<int> all;
    std::stringstream in(list);
    std::string one;
    while (std::getline(in, one, ',')) {
        if (!one.empty()) all.push_back(number(d, one));
    }
    return all;
}

std::string describe(const RECT &r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

// Resizes the current window to w x h (its outer size; 0 x 0 keeps the size
// it has) and checks that its controls stand where the layout rule puts
// them. `roles` holds line=ID fields=ID,... fill=ID buttons=ID,...
void resize_check(Driver &d, int w, int h, const std::vector<std::string> &roles) {
    HWND window = current(d);
    int line = 0, fill = 0;
    std::vector<int> fields, buttons;
    for (const std::string &role : roles) {
        size_t eq = role.find('=');
        std::string key = role.substr(0, eq), value = eq == std::string::npos ? "" : role.substr(eq + 1);
        if (key == "line") line = number(d, value);
        else if (key == "fields") fields = ids(d, value);
        else if (key == "fill") fill = number(d, value);
        else if (key == "buttons") buttons = ids(d, value);
        else d.fail("unknown layout role " + role);
    }
    std::vector<std::pair<int, RECT>> before;
    for (int id : {line, fill}) {
        if (id) before.push_back({id, child_rect(window, id)});
    }
    for (int id : fields) before.push_back({id, child_rect(window, id)});
    for (int id : buttons) before.push_back({id, child_rect(window, id)});
    auto was = [&](int id) {
        for (auto &b : before) {
            if (b.first == id) return b.second;
        }
        return RECT{};
    };
    if (w > 0 && h > 0) SetWindowPos(window, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    send(d, window, WM_NULL, 0, 0);
    RECT client;
    GetClientRect(window, &client);
    int cw = client.right, ch = client.bottom;
    std::vector<std::pair<int, RECT>> expected;
    if (line) {
        RECT r = was(line);
        expected.push_back({line, {r.left, r.top, r.left + cw, r.bottom}});
    }
    for (int id : fields) {
        RECT r = was(id);
        expected.push_back({id, {r.left, r.top, cw - 4, r.bottom}});
    }
    int n = (int)buttons.size(), button_height = 0;
    for (int i = 0; i < n; ++i) {
        RECT r = was(buttons[i]);
        int bw = r.right - r.left, bh = r.bottom - r.top;
        if (i == 0) button_height = bh;
        int left;
        if (n == 1) left = cw / 2 - bw / 2;
        else if (i == n - 1) left = cw - 8 - bw;
        else if (i == 0) left = r.left;
        else if (n == 3) left = cw / 2 - bw / 2;
        else left = (i == 1 ? (cw - (2 * (bw / 2) + 16)) / 3 : 2 * (cw - (2 * (bw / 2) + 16)) / 3) + 8;
        expected.push_back({buttons[i], {left, ch - 4 - bh, left + bw, ch - 4}});
    }
    if (fill) {
        RECT r = was(fill);
        expected.push_back({fill, {r.left, r.top, cw - 4, ch - 4 - button_height - 4}});
    }
    std::string wrong;
    for (auto &e : expected) {
        RECT now = child_rect(window, e.first);
        if (memcmp(&now, &e.second, sizeof now)) {
            wrong += " control " + std::to_string(e.first) + " at " + describe(now) + ", not " + describe(e.second) + ";";
        }
    }
    if (!wrong.empty()) {
        d.fail("\"" + caption(window) + "\" at client " + std::to_string(cw) + "x" + std::to_string(ch) + ":" + wrong);
    }
    printf("layout of \"%s\" at %dx%d: as the rule puts it\n", caption(window).c_str(), cw, ch);
    fflush(stdout);
}

// ----------------------------------------------------------------- pictures

struct ServiceSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK match_service(HWND window, LPARAM arg) {
    ServiceSearch *s = (ServiceSearch *)arg;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (pid == s->pid && !strcmp(cls, picture::service_class())) s->found = window;
    return !s->found;
}

// Whether the picture shows the window's caption: its strip left of the
// caption's buttons holds text pixels (those of another colour than the
// strip's first pixel) exactly where DrawCaption draws the window's text.
bool caption_matches(HWND window, const picture::Image &image, std::string *why) {
    WINDOWINFO info = {};
    info.cbSize = sizeof info;
    GetWindowInfo(window, &info);
    if (!(info.dwStyle & WS_CAPTION)) return true;
    int left = (int)info.cxWindowBorders, top = (int)info.cyWindowBorders;
    int h = GetSystemMetrics(SM_CYCAPTION) - 1;
    // Short of the caption's buttons on the right.
    int w = image.w - 2 * left - 2 * GetSystemMetrics(SM_CYCAPTION);
    if (w <= 0 || top + h > image.h) return true;
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT strip = {0, 0, w, h};
    // Modal frames have no icon.
    bool icon = (info.dwStyle & WS_SYSMENU) && !(info.dwExStyle & (WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW));
    DrawCaption(window, memory, &strip, DC_TEXT | DC_ACTIVE | (icon ? DC_ICON : 0));
    SelectObject(memory, old);
    picture::Image drawn = picture::bitmap_image(memory, bitmap, w, h);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    int differ = 0, text = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            bool want = memcmp(drawn.at(x, y), drawn.at(0, 0), 3) != 0;
            bool got = memcmp(image.at(left + x, top + y), image.at(left, top), 3) != 0;
            text += want;
            differ += want != got;
        }
    }
    if (text > 0 && differ == 0) return true;
    *why = std::to_string(differ) + " pixels of the caption strip differ from its " + std::to_string(text) +
           " text pixels";
    return false;
}

// The window as it draws itself, through the program's picture service when
// it has one; else as the screen shows it, brought above the others first.
// The picture must have the window's size and show its caption. The screen's
// pixels come to the X server after the window has drawn them, at Wine's
// pace: a busy machine has shown a caption strip still bare 300 ms after the
// redraw, so the screen is looked at again, for up to 3 s.
void screenshot(Driver &d, const std::string &path) {
    HWND window = current(d);
    ServiceSearch search = {*d.program_id, nullptr};
    EnumWindows(match_service, (LPARAM)&search);
    picture::Image image;
    if (search.found) {
        std::string full = full_path(path);
        COPYDATASTRUCT data = {(ULONG_PTR)window, (DWORD)full.size(), (void *)full.data()};
        if (send(d, search.found, WM_COPYDATA, 0, (LPARAM)&data) != 1) d.fail("the program drew no " + path);
        if (!picture::read_png(full, &image)) d.fail("cannot read " + path + " back");
    } else {
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        send(d, window, WM_NULL, 0, 0);
        std::string bare;
        for (int look = 0; look < 10; ++look) {
            Sleep(300);
            image = picture::capture(window, false);
            if (caption_matches(window, image, &bare)) break;
        }
        if (!picture::write(path, image)) d.fail("cannot write " + path);
    }
    RECT r;
    GetWindowRect(window, &r);
    std::string why;
    if (image.w != r.right - r.left || image.h != r.bottom - r.top) {
        d.fail(path + " is " + std::to_string(image.w) + "x" + std::to_string(image.h) + ", \"" + caption(window) +
               "\" " + std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top));
    }
    if (!caption_matches(window, image, &why)) d.fail(path + " does not show \"" + caption(window) + "\": " + why);
}

// Waits until `check` holds of the control's text; fails with `what` and the
// text it has.
template <typename Check>
void expect_text(Driver &d, int id, Check check, const std::string &what) {
    HWND item = control(d, id);
    std::string now;
    if (!panel::wait([&] { return check(now = window_text(item)); }, d.timeout_seconds)) {
        d.fail("control " + std::to_string(id) + " of \"" + caption(current(d)) + "\": " + what + "; it reads \"" +
               now + "\"");
    }
}

}  // namespace

void forget_windows() { target = nullptr; }

std::string unescape(const std::string &text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char c = text[++i];
        out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
    }
    return out;
}

bool command(Driver &d, const std::string &c, const std::function<std::string()> &arg) {
    if (c == "window") {
        std::string title = arg();
        int id = number(d, arg());
        target = wait_dialog(d, title, id);
    } else if (c == "wait-halt") {
        // A break shows its status once before the halt's refresh ("Updating
        // ...") and once after it: the status must hold for a while.
        std::string status = arg();
        HWND p = d.panel();
        DWORD since = 0;
        bool settled = panel::wait([&] {
            if (panel::text(p, panel::STATUS) != status) return (since = 0), false;
            if (!since) since = GetTickCount();
            return GetTickCount() - since >= 250;
        }, d.timeout_seconds);
        if (!settled) d.fail("status \"" + panel::text(p, panel::STATUS) + "\" instead of \"" + status + "\"");
    } else if (c == "window-panel") {
        target = nullptr;
    } else if (c == "click") {
        send(d, control(d, number(d, arg())), BM_CLICK, 0, 0);
    } else if (c == "post-click") {
        int id = number(d, arg());
        PostMessageA(current(d), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)control(d, id));
    } else if (c == "choose") {
        send(d, current(d), WM_COMMAND, MAKEWPARAM(number(d, arg()), 0), 0);
    } else if (c == "post-choose") {
        PostMessageA(current(d), WM_COMMAND, MAKEWPARAM(number(d, arg()), 0), 0);
    } else if (c == "set-text") {
        int id = number(d, arg());
        std::string text = unescape(arg());
        send(d, control(d, id), WM_SETTEXT, 0, (LPARAM)text.c_str());
    } else if (c == "expect-text") {
        int id = number(d, arg());
        std::string text = unescape(arg());
        expect_text(d, id, [&](const std::string &now) { return now == text; }, "expected \"" + text + "\"");
    } else if (c == "expect-contains") {
        int id = number(d, arg());
        std::string text = unescape(arg());
        expect_text(d, id, [&](const std::string &now) { return now.find(text) != std::string::npos; },
                    "expected it to hold \"" + text + "\"");
    } else if (c == "expect-lacks") {
        int id = number(d, arg());
        std::string text = unescape(arg());
        expect_text(d, id, [&](const std::string &now) { return !now.empty() && now.find(text) == std::string::npos; },
                    "expected it without \"" + text + "\"");
    } else if (c == "print-text") {
        // One line per line of the text, the later ones indented.
        int id = number(d, arg());
        std::string text = window_text(control(d, id));
        while (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
        for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, "\n      ");
        printf("%4d: %s\n", id, text.c_str());
        fflush(stdout);
    } else if (c == "expect-count") {
        HWND list = control(d, number(d, arg()));
        int n = number(d, arg());
        if (!panel::wait([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == n; }, d.timeout_seconds)) {
            d.fail("list has " + std::to_string(SendMessageA(list, LB_GETCOUNT, 0, 0)) + " items, not " +
                   std::to_string(n));
        }
    } else if (c == "expect-item" || c == "expect-no-item") {
        HWND list = control(d, number(d, arg()));
        std::string text = unescape(arg());
        bool want = c == "expect-item";
        if (!panel::wait([&] { return (find_item(list, text) >= 0) == want; }, d.timeout_seconds)) {
            d.fail(std::string(want ? "no" : "an") + " item \"" + text + "\" among " + joined(list_items(list)));
        }
    } else if (c == "expect-items") {
        HWND list = control(d, number(d, arg()));
        std::string all = unescape(arg());
        if (!panel::wait([&] { return joined(list_items(list)) == all; }, d.timeout_seconds)) {
            d.fail("items " + joined(list_items(list)) + " instead of " + all);
        }
    } else if (c == "select-item" || c == "add-item") {
        HWND list = control(d, number(d, arg()));
        click_item(d, list, unescape(arg()), c == "add-item");
    } else if (c == "expect-selection") {
        HWND list = control(d, number(d, arg()));
        std::string all = unescape(arg());
        if (!panel::wait([&] { return joined(selection(list)) == all; }, d.timeout_seconds)) {
            d.fail("selection " + joined(selection(list)) + " instead of " + all);
        }
    } else if (c == "expect-edit-selection") {
        HWND edit = control(d, number(d, arg()));
        std::string text = unescape(arg());
        DWORD from = 0, to = 0;
        send(d, edit, EM_GETSEL, (WPARAM)&from, (LPARAM)&to);
        std::string all = window_text(edit);
        std::string selected = to <= all.size() && from <= to ? all.substr(from, to - from) : std::string();
        if (selected != text) d.fail("selected \"" + selected + "\" instead of \"" + text + "\"");
    } else if (c == "file-dialog") {
        file_dialog(d, arg());
    } else if (c == "warning") {
        warning(d, unescape(arg()));
    } else if (c == "message-box") {
        message_box(d, unescape(arg()));
    } else if (c == "delete") {
        DeleteFileA(arg().c_str());
    } else if (c == "expect-file") {
        std::string path = arg(), text = unescape(arg());
        if (!panel::wait([&] { return read_file(path).find(text) != std::string::npos; }, d.timeout_seconds)) {
            d.fail(path + " does not hold \"" + text + "\"; it reads \"" + read_file(path).substr(0, 400) + "\"");
        }
    } else if (c == "expect-file-lacks") {
        std::string path = arg(), text = unescape(arg());
        std::string all = read_file(path);
        if (all.empty() || all.find(text) != std::string::npos) d.fail(path + " holds \"" + text + "\" or nothing");
    } else if (c == "expect-same-files") {
        std::string a = arg(), b = arg();
        if (!panel::wait([&] { return !read_file(a).empty() && read_file(a) == read_file(b); }, d.timeout_seconds)) {
            d.fail(a + " and " + b + " differ");
        }
    } else if (c == "expect-history-file") {
        std::string saved = arg(), history = history_file(d);
        if (!panel::wait([&] { return !read_file(saved).empty() && read_file(saved) == readLoggedText(history); },
                         d.timeout_seconds)) {
            d.fail(saved + " (" + std::to_string(read_file(saved).size()) + " bytes) differs from " + history + " (" +
                   std::to_string(readLoggedText(history).size()) + " bytes)");
        }
    } else if (c == "wait-history-size") {
        long long size = number(d, arg());
        std::string history = history_file(d);
        if (!panel::wait([&] { return (long long)readLoggedText(history).size() >= size; }, d.timeout_seconds)) {
            d.fail(history + " stays below " + std::to_string(size) + " bytes");
        }
    } else if (c == "expect-history-tail") {
        // Waits: a halt shows "Halted" once before its refresh and once after.
        HWND edit = control(d, number(d, arg()));
        std::string path = history_file(d), shown, history;
        bool tail = panel::wait([&] {
            shown = window_text(edit);
            history = readLoggedText(path);
            return !shown.empty() && shown.size() < history.size() &&
                   history.compare(history.size() - shown.size(), shown.size(), shown) == 0;
        }, d.timeout_seconds);
        if (!tail) {
            d.fail("the window shows " + std::to_string(shown.size()) + " bytes, not the end of the history's " +
                   std::to_string(history.size()));
        }
        printf("the window shows the last %zu bytes of a history of %zu\n", shown.size(), history.size());
        fflush(stdout);
    } else if (c == "expect-text-file" || c == "expect-contains-file") {
        int id = number(d, arg());
        std::string path = arg();
        bool whole = c == "expect-text-file";
        expect_text(d, id, [&](const std::string &now) {
            std::string text = read_file(path);
            return !text.empty() && (whole ? now == text : now.find(text) != std::string::npos);
        }, "expected " + std::string(whole ? "" : "it to hold ") + "the text of " + path + " (\"" + read_file(path) + "\")");
    } else if (c == "resize-check") {
        int w = number(d, arg()), h = number(d, arg());
        std::vector<std::string> roles;
        for (std::string role = arg(); role != "end"; role = arg()) roles.push_back(role);
        resize_check(d, w, h, roles);
    } else if (c == "layout-check") {
        std::vector<std::string> roles;
        for (std::string role = arg(); role != "end"; role = arg()) roles.push_back(role);
        resize_check(d, 0, 0, roles);
    } else if (c == "expect-top") {
        HWND list = control(d, number(d, arg()));
        int top = number(d, arg());
        if (!panel::wait([&] { return SendMessageA(list, LB_GETTOPINDEX, 0, 0) == top; }, d.timeout_seconds)) {
            d.fail("the list shows item " + std::to_string(SendMessageA(list, LB_GETTOPINDEX, 0, 0)) + " at its top, not " +
                   std::to_string(top));
        }
    } else if (c == "close-window") {
        HWND window = current(d);
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (!panel::wait([&] { return !IsWindowVisible(window); }, d.timeout_seconds)) d.fail("the window stayed");
    } else if (c == "expect-hidden") {
        HWND window = current(d);
        if (!panel::wait([&] { return !IsWindowVisible(window); }, d.timeout_seconds)) d.fail("the window stayed");
    } else if (c == "screenshot") {
        screenshot(d, arg());
    } else {
        return false;
    }
    return true;
}

}  // namespace driven
