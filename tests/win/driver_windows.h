// The driver's commands for the debugger's other windows: finding a window
// by its caption, its list boxes, edit controls, buttons and menus, the
// common file dialogs and warning boxes, files the program saved, the layout
// of a resized window, and pictures of a window.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <functional>
#include <string>

namespace driven {

struct Driver {
    const DWORD *program_id;  // of the program started last
    double timeout_seconds;
    std::function<HWND()> panel;                   // the current panel
    std::function<void(const std::string &)> fail;  // does not return
};

// Carries out command `c`, taking its arguments from `arg`; false when `c` is
// not one of these commands.
bool command(Driver &d, const std::string &c, const std::function<std::string()> &arg);

// Forgets the current window: a program was started.
void forget_windows();

// The script's escapes in a text: \r, \n, \t, \\ and \".
std::string unescape(const std::string &text);

}  // namespace driven
