// Drives programs running under the debugger from outside, as a person would
// at their control panels. It carries out its script, which starts a program,
// drives it and may start others after it ends, and ends with the last
// program's exit status (99 when the script could not be carried out: the
// program is then ended).
//
//   palisade_driver [--timeout SECONDS] [--temp DIRECTORY] COMMAND...
//
// --temp gives the programs that TEMP, where the debugger keeps its files.
//
// Commands (the current panel is the first one found until `panel` says):
//   start PROGRAM [ARGS...] --   start a program (the one before has ended)
//   wait-panels N        wait until the program shows N panels
//   panel K              make the K-th panel found (from 0) the current one
//   wait-status TEXT     wait until the status line reads TEXT
//   halt | continue | skip      press the button
//   step [N]             press Step N times (1), each time waiting for the
//                        next halt and printing the call and the status
//   check ID on|off      set the check box ID as a click would
//   menu ID              choose the menu item ID
//   close                close the panel from its system menu
//   print-call | print-status | print-ids
//   screenshot FILE.bmp  save a picture of the panel
//   sleep MS
//   wait-exit [STATUS]   wait for the program to end (with that status)
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "panel.h"

static double timeout_seconds = 60;
static HANDLE program;
static DWORD program_id;
static std::vector<HWND> panels;  // in the order found
static size_t current;

[[noreturn]] static void fail(const std::string &why) {
    fprintf(stderr, "driver: %s\n", why.c_str());
    fflush(stderr);
    if (program) TerminateProcess(program, 99);
    exit(99);
}

static bool running() { return WaitForSingleObject(program, 0) == WAIT_TIMEOUT; }

static void update_panels() {
    for (HWND found : panel::find(program_id)) {
        bool known = false;
        for (HWND p : panels) known = known || p == found;
        if (!known) panels.push_back(found);
    }
}

static HWND current_panel() {
    if (current >= panels.size()) {
        bool ok = panel::wait([&] { update_panels(); return current < panels.size() || !running(); },
                              timeout_seconds);
        if (!ok || current >= panels.size()) fail("no panel " + std::to_string(current));
    }
    return panels[current];
}

static void wait_status(const std::string &status) {
    HWND p = current_panel();
    if (!panel::wait([&] { return panel::text(p, panel::STATUS) == status || !running(); },
                     timeout_seconds) ||
        panel::text(p, panel::STATUS) != status) {
        fail("status \"" + panel::text(p, panel::STATUS) + "\" instead of \"" + status + "\"");
    }
}

static void print_control(const char *label, int control) {
    printf("%s: %s\n", label, panel::text(current_panel(), control).c_str());
    fflush(stdout);
}

// Writes the panel's pixels, as the screen shows them, as a 24-bit BMP file.
static void screenshot(const char *path) {
    HWND p = current_panel();
    RECT r;
    GetWindowRect(p, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    int stride = (w * 3 + 3) & ~3;
    std::vector<unsigned char> pixels((size_t)stride * h);
    GetDIBits(memory, bitmap, 0, h, pixels.data(), (BITMAPINFO *)&info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + (DWORD)pixels.size();
    FILE *out = fopen(path, "wb");
    if (!out) fail(std::string("cannot write ") + path);
    fwrite(&file, sizeof file, 1, out);
    fwrite(&info, sizeof info, 1, out);
    fwrite(pixels.data(), 1, pixels.size(), out);
    fclose(out);
}

static void start(char **argv, int first, int last) {
    std::string line;
    for (int i = first; i < last; ++i) {
        if (!line.empty()) line += ' ';
        line += '"';
        line += argv[i];
        line += '"';
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        fail("cannot start " + line);
    }
    CloseHandle(info.hThread);
    if (program) CloseHandle(program);
    program = info.hProcess;
    program_id = info.dwProcessId;
    panels.clear();
    current = 0;
}

static DWORD wait_exit() {
    if (WaitForSingleObject(program, (DWORD)(timeout_seconds * 1000)) != WAIT_OBJECT_0) {
        fail("the program did not end");
    }
    DWORD status = 0;
    GetExitCodeProcess(program, &status);
    return status;
}

int main(int argc, char **argv) {
    int first = 1;
    for (; first + 1 < argc && !strncmp(argv[first], "--", 2) && argv[first][2]; first += 2) {
        if (!strcmp(argv[first], "--timeout")) {
            timeout_seconds = atof(argv[first + 1]);
        } else if (!strcmp(argv[first], "--temp")) {
            SetEnvironmentVariableA("TEMP", argv[first + 1]);
        } else {
            fail(std::string("unknown option ") + argv[first]);
        }
    }
    auto arg = [&](int &k) -> const char * {
        if (k + 1 >= argc) fail(std::string(argv[k]) + " needs an argument");
        return argv[++k];
    };
    for (int k = first; k < argc; ++k) {
        std::string c = argv[k];
        if (c != "start" && !program) fail("no program started before " + c);
        if (c == "start") {
            if (program && running()) fail("start while the program before runs");
            int end = k + 1;
            while (end < argc && strcmp(argv[end], "--")) ++end;
            if (end == k + 1) fail("start needs a program");
            start(argv, k + 1, end);
            k = end;
        } else if (c == "wait-panels") {
            size_t n = strtoul(arg(k), nullptr, 10);
            if (!panel::wait([&] { update_panels(); return panels.size() >= n || !running(); },
                             timeout_seconds) || panels.size() < n) {
                fail("fewer than " + std::to_string(n) + " panels");
            }
        } else if (c == "panel") {
            current = strtoul(arg(k), nullptr, 10);
        } else if (c == "wait-status") {
            wait_status(arg(k));
        } else if (c == "halt" || c == "continue" || c == "skip") {
            panel::click(current_panel(), c == "halt" ? panel::HALT : c == "continue" ? panel::CONTINUE : panel::SKIP);
        } else if (c == "step") {
            int n = 1;
            if (k + 1 < argc && isdigit((unsigned char)argv[k + 1][0])) n = atoi(argv[++k]);
            for (int s = 0; s < n; ++s) {
                panel::click(current_panel(), panel::STEP);
                wait_status("Halted");
                print_control("call", panel::CALL);
                print_control("status", panel::STATUS);
            }
        } else if (c == "check") {
            int id = atoi(arg(k));
            bool on = !strcmp(arg(k), "on");
            panel::set_check(current_panel(), id, on);
            if (panel::checked(current_panel(), id) != on) fail("check box " + std::to_string(id) + " did not follow");
        } else if (c == "menu") {
            PostMessageA(current_panel(), WM_COMMAND, MAKEWPARAM(atoi(arg(k)), 0), 0);
        } else if (c == "close") {
            PostMessageA(current_panel(), WM_SYSCOMMAND, SC_CLOSE, 0);
        } else if (c == "print-call") {
            print_control("call", panel::CALL);
        } else if (c == "print-status") {
            print_control("status", panel::STATUS);
        } else if (c == "print-ids") {
            print_control("ids", panel::IDS);
            print_control("context", panel::CONTEXT);
        } else if (c == "screenshot") {
            screenshot(arg(k));
        } else if (c == "sleep") {
            Sleep((DWORD)atoi(arg(k)));
        } else if (c == "wait-exit") {
            DWORD status = wait_exit();
            printf("exit: %lu\n", status);
            fflush(stdout);
            if (k + 1 < argc && isdigit((unsigned char)argv[k + 1][0])) {
                DWORD want = strtoul(argv[++k], nullptr, 0);
                if (status != want) fail("exit status " + std::to_string(status) + ", not " + std::to_string(want));
            }
        } else {
            fail("unknown command " + c);
        }
    }
    if (!program) fail("usage: palisade_driver [--timeout S] start PROGRAM [ARGS...] -- COMMAND...");
    return (int)wait_exit();
}
