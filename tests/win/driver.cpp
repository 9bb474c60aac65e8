// Drives programs running under the debugger from outside, as a person would
// at their control panels. It carries out its script, which starts a program,
// drives it and may start others after it ends, and ends with the last
// program's exit status (99 when the script could not be carried out: the
// program is then ended; 128 + N when the program's process was killed by
// the Unix signal N).
//
// Under Wine a process that dies of a Unix signal (a crash on the Unix side,
// an uncaught signal under qemu-user, kill from outside) ends with status 0
// in all that Wine tells its parent: its process's and threads' exit codes
// are those of one that returned 0. So the driver, made the reaper of the
// processes it starts (their Unix parents leave them at once), reaps each
// one's Unix process and reports "exit: signal N" for one that a signal
// killed: a failure, whatever status was asked for. (Not the SIGKILL with
// which Wine's server ends a process that had ended itself but whose Unix
// libraries took too long over exit().) Under qemu-user, which refuses to
// make the driver a reaper, it says so once and sees no signal.
//
//   palisade_driver [--timeout SECONDS] [--temp DIRECTORY] COMMAND...
//
// --temp gives the programs that TEMP, where the debugger keeps its files
// (made when missing).
//
// "--script FILE" among the commands stands for the commands in FILE:
// tokens separated by blanks, a token in double quotes may hold blanks, a
// line starting with # is a comment.
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
//   sleep MS
//   wait-exit [STATUS]   wait for the program to end (with that status)
//   continue-to-exit [STATUS]   press Continue at every halt of every panel
//                        until the program ends, then as wait-exit
//   hold MS              continue-to-exit leaves each halt standing MS first
//   toggle-to-exit ID [STATUS]   click the check box ID again and again until
//                        the program ends, then as wait-exit
// The other windows (the current window is the panel until `window`):
//   wait-halt TEXT       wait until the status reads TEXT and the halt's
//                        refresh is over (TEXT stays a quarter second)
//   window CAPTION ID    make the visible window CAPTION with control ID current
//   window-panel         make the panel current again
//   click ID | post-click ID     press a button (and wait for its handling, or not)
//   choose ID | post-choose ID   choose a menu item of the current window
//   set-text ID TEXT     put TEXT into an edit control
//   expect-text ID TEXT | expect-contains ID TEXT | expect-lacks ID TEXT
//   expect-text-file ID FILE | expect-contains-file ID FILE
//                        the control reads (or holds) what FILE holds
//   print-text ID
//   expect-count LIST N | expect-item LIST TEXT | expect-no-item LIST TEXT
//   expect-items LIST A,B,...    every item, in list order ("-": none)
//   select-item LIST TEXT | add-item LIST TEXT  click an item (with Ctrl)
//   expect-selection LIST A,B,...   the selected items, sorted ("-": none)
//   expect-edit-selection ID TEXT   the selected text of an edit control
//   file-dialog NAME     fill in the open or save dialog and confirm it
//   warning TEXT         a warning box holding TEXT: read and closed with OK
//   message-box TEXT     a box of any caption holding TEXT: closed with OK
//   delete FILE | expect-file FILE TEXT | expect-file-lacks FILE TEXT
//   expect-same-files A B
//   expect-history-file FILE     FILE equals the panel thread's history file
//   wait-history-size N  wait until that history file has N bytes
//   expect-history-tail ID       the edit control shows the history's last
//                        part, not all of it
//   resize-check W H [line=ID] [fields=ID,...] [fill=ID] [buttons=ID,...] end
//                        resize the window, check its layout
//   layout-check [line=ID] ... end   check the layout at the window's size
//   expect-top LIST N    the list shows item N at its top
//   close-window | expect-hidden
//   screenshot FILE      a picture of the current window (.png or .bmp),
//                        taken by the program when it offers to (picture.h),
//                        else from the screen; it must have the window's
//                        size and show its caption
// Texts take the escapes \r, \n, \t, \\ and \".
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "driver_windows.h"
#include "linux_calls.h"
#include "panel.h"

static double timeout_seconds = 60;
static HANDLE program;
static DWORD program_id;
static std::vector<HWND> panels;  // in the order found
static size_t current;
static DWORD hold_ms;  // how long continue-to-exit leaves a halt standing
// Under Wine on Linux: the driver's Unix process, and the program's (0 when
// not known); once the program has ended, the signal that killed it (0: none).
static intptr_t unix_self, unix_program;
static int killed_by;
static bool ended_known;

[[noreturn]] static void fail(const std::string &why) {
    fprintf(stderr, "driver: %s\n", why.c_str());
    fflush(stderr);
    if (program) TerminateProcess(program, 99);
    exit(99);
}

static bool running() { return WaitForSingleObject(program, 0) == WAIT_TIMEOUT; }

// The driver keeps its own time limit whatever it waits in (a message to a
// window that never answers, say): a command that has run past twice the
// limit ends the program and the driver, saying which command it was.
static CRITICAL_SECTION doing_lock;
static std::string doing;
static DWORD doing_since;

static void doing_now(const std::string &command) {
    EnterCriticalSection(&doing_lock);
    doing = command;
    doing_since = GetTickCount();
    LeaveCriticalSection(&doing_lock);
}

static DWORD WINAPI watchdog(LPVOID) {
    for (;;) {
        Sleep(1000);
        EnterCriticalSection(&doing_lock);
        DWORD ran = GetTickCount() - doing_since;
        std::string command = doing;
        LeaveCriticalSection(&doing_lock);
        if (ran < (DWORD)(timeout_seconds * 2000) + 10000) continue;
        fprintf(stderr, "driver: stuck in \"%s\" for %lu s (panel %zu of %zu found)\n", command.c_str(),
                (unsigned long)(ran / 1000), current, panels.size());
        fflush(stderr);
        if (program) TerminateProcess(program, 99);
        ExitProcess(99);
    }
}

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

// Under Wine there is no window manager beside Xvfb to draw the windows'
// captions and frames: Wine is asked to draw them itself, so that the
// pictures show them. Programs started after this read it.
static void wine_draws_frames() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return;
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, "Decorated", 0, REG_SZ, (const BYTE *)"N", 2);
        RegCloseKey(key);
    }
}

// The commands of a script file.
static std::vector<std::string> read_script(const char *path) {
    FILE *file = fopen(path, "rb");
    if (!file) fail(std::string("cannot read ") + path);
    std::vector<std::string> tokens;
    char line[4096];
    while (fgets(line, sizeof line, file)) {
        const char *p = line;
        while (*p == ' ' || *p == '\t') ++p;
        if (*p == '#') continue;
        while (*p) {
            while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
            if (!*p) break;
            std::string token;
            if (*p == '"') {
                for (++p; *p && *p != '"'; ++p) {
                    if (*p == '\\' && p[1]) token += *p++;
                    token += *p;
                }
                if (*p == '"') ++p;
            } else {
                while (*p && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') token += *p++;
            }
            tokens.push_back(token);
        }
    }
    fclose(file);
    return tokens;
}

// The processes whose Unix parent is the driver's, from /proc.
static std::vector<intptr_t> unix_children() {
    std::vector<intptr_t> pids;
    char path[96];
    snprintf(path, sizeof path, "Z:\\proc\\%ld\\task\\%ld\\children", (long)unix_self, (long)unix_self);
    FILE *file = fopen(path, "r");
    long pid;
    while (file && fscanf(file, "%ld", &pid) == 1) pids.push_back(pid);
    if (file) fclose(file);
    return pids;
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
    std::vector<intptr_t> before = unix_self ? unix_children() : std::vector<intptr_t>();
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        fail("cannot start " + line + " (error " + std::to_string(GetLastError()) + ")");
    }
    // Wine's CreateProcess has waited for the Unix process that started the
    // program's and left it: the program's is the driver's child now.
    unix_program = 0;
    killed_by = 0;
    ended_known = false;
    for (intptr_t pid : unix_self ? unix_children() : std::vector<intptr_t>()) {
        bool known = false;
        for (intptr_t b : before) known = known || b == pid;
        if (!known) unix_program = pid;
    }
    if (unix_self && !unix_program) {
        fprintf(stderr, "driver: the Unix process of %s was not found: a signal that kills it goes unseen\n",
                line.c_str());
    }
    CloseHandle(info.hThread);
    if (program) CloseHandle(program);
    program = info.hProcess;
    program_id = info.dwProcessId;
    panels.clear();
    current = 0;
    driven::forget_windows();
}

static DWORD wait_exit() {
    if (WaitForSingleObject(program, (DWORD)(timeout_seconds * 1000)) != WAIT_OBJECT_0) {
        fail("the program did not end");
    }
    DWORD status = 0;
    GetExitCodeProcess(program, &status);
    // A process that ends itself closes its connection to Wine's server and
    // then leaves exit() to its Unix libraries, which the server ends with
    // SIGKILL when they take half a second or more: its status is the one
    // it gave. One that a signal kills is gone when the server sees it go,
    // or a moment after: the kernel closes a dying process's files, the
    // server's connection among them, before the process can be reaped, and
    // on a busy machine its last thread may wait for a core in between.
    const DWORD KILL_SEEN_MS = 200;
    for (DWORD start = GetTickCount(); unix_program && !ended_known && GetTickCount() - start < 30000; Sleep(10)) {
        linux_calls::Ended end = linux_calls::reap(unix_program);
        if (!end.ended) continue;
        ended_known = true;
        if (end.signalled && (end.value != linux_calls::SIGKILL || GetTickCount() - start < KILL_SEEN_MS)) {
            killed_by = end.value;
        }
    }
    if (unix_program && !ended_known) {
        fprintf(stderr, "driver: the Unix process %ld of the program did not end\n", (long)unix_program);
        unix_program = 0;
    }
    return status;
}

static void print_exit(DWORD status) {
    if (killed_by) {
        printf("exit: signal %d (the program's process was killed by it)\n", killed_by);
    } else {
        printf("exit: %lu\n", status);
    }
    fflush(stdout);
}

int main(int argc, char **argv) {
    int first = 1;
    for (; first + 1 < argc && !strncmp(argv[first], "--", 2) && argv[first][2]; first += 2) {
        if (!strcmp(argv[first], "--timeout")) {
            timeout_seconds = atof(argv[first + 1]);
        } else if (!strcmp(argv[first], "--temp")) {
            SetEnvironmentVariableA("TEMP", argv[first + 1]);
            CreateDirectoryA(argv[first + 1], nullptr);
        } else {
            fail(std::string("unknown option ") + argv[first]);
        }
    }
    // The commands, each script file's in its place.
    std::vector<std::string> commands;
    for (int k = first; k < argc; ++k) {
        if (!strcmp(argv[k], "--script") && k + 1 < argc) {
            for (std::string &token : read_script(argv[++k])) commands.push_back(token);
        } else {
            commands.push_back(argv[k]);
        }
    }
    std::vector<char *> all = {argv[0]};
    for (std::string &command : commands) all.push_back(&command[0]);
    argc = (int)all.size();
    argv = all.data();
    first = 1;
    wine_draws_frames();
    // The processes started from here are left to the driver to reap
    // (qemu-user refuses: EINVAL).
    if (linux_calls::here()) {
        intptr_t made = linux_calls::call(linux_calls::PRCTL, linux_calls::PR_SET_CHILD_SUBREAPER, 1);
        if (made == 0) {
            unix_self = linux_calls::call(linux_calls::GETPID);
        } else {
            fprintf(stderr, "driver: cannot reap the programs' Unix processes (prctl: error %ld): a program "
                    "killed by a signal shows as one that returned 0\n", (long)-made);
        }
    }
    driven::Driver windows{&program_id, timeout_seconds, current_panel, [](const std::string &why) { fail(why); }};
    auto arg = [&](int &k) -> const char * {
        if (k + 1 >= argc) fail(std::string(argv[k]) + " needs an argument");
        return argv[++k];
    };
    InitializeCriticalSection(&doing_lock);
    doing_now("start-up");
    CloseHandle(CreateThread(nullptr, 0, watchdog, nullptr, 0, nullptr));
    for (int k = first; k < argc; ++k) {
        std::string c = argv[k];
        doing_now(c + (k + 1 < argc ? " " + std::string(argv[k + 1]) : ""));
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
        } else if (c == "hold") {
            hold_ms = (DWORD)atoi(arg(k));
        } else if (c == "sleep") {
            Sleep((DWORD)atoi(arg(k)));
        } else if (c == "wait-exit" || c == "continue-to-exit" || c == "toggle-to-exit") {
            if (c == "toggle-to-exit") {
                HWND p = current_panel();
                int id = atoi(arg(k));
                long clicks = 0;
                HWND box = GetDlgItem(p, id);
                // What a click comes to, without the mouse's messages: a
                // click costs many times more under Wine.
                for (DWORD start = GetTickCount(); running() && GetTickCount() - start < timeout_seconds * 1000;
                     ++clicks) {
                    bool on = !panel::checked(p, id);
                    SendMessageA(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
                    SendMessageA(p, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)box);
                }
                printf("toggled: %ld clicks\n", clicks);
            }
            if (c == "continue-to-exit") {
                // Every halt of every panel, those that come later too, is
                // continued as soon as it shows, or once it has stood for
                // the time `hold` says.
                std::vector<DWORD> halted_since;
                for (DWORD start = GetTickCount(); running() && GetTickCount() - start < timeout_seconds * 1000;) {
                    update_panels();
                    halted_since.resize(panels.size(), 0);
                    for (size_t i = 0; i < panels.size(); ++i) {
                        if (panel::text(panels[i], panel::STATUS).compare(0, 6, "Halted") != 0) {
                            halted_since[i] = 0;
                            continue;
                        }
                        DWORD now = GetTickCount() | 1;
                        if (!halted_since[i]) halted_since[i] = now;
                        if (now - halted_since[i] < hold_ms) continue;
                        panel::click(panels[i], panel::CONTINUE);
                        halted_since[i] = 0;
                    }
                    Sleep(2);
                }
            }
            DWORD status = wait_exit();
            print_exit(status);
            if (k + 1 < argc && isdigit((unsigned char)argv[k + 1][0])) {
                DWORD want = strtoul(argv[++k], nullptr, 0);
                if (killed_by) fail("killed by signal " + std::to_string(killed_by) + ", not ended with " + std::to_string(want));
                if (status != want) fail("exit status " + std::to_string(status) + ", not " + std::to_string(want));
            }
        } else if (!driven::command(windows, c, [&]() -> std::string { return arg(k); })) {
            fail("unknown command " + c);
        }
    }
    if (!program) fail("usage: palisade_driver [--timeout S] start PROGRAM [ARGS...] -- COMMAND...");
    doing_now("the program's end");
    DWORD status = wait_exit();
    return killed_by ? 128 + killed_by : (int)status;
}
