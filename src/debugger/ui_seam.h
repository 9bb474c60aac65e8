// What the engine asks of a thread's interface, declared here so that the
// engine includes nothing of it: starting, adopting and stopping an
// interface thread, the panel's status and ids, and the refreshes of a halt.
// The interface registers its functions before the library's first thread
// comes (interface_register); until it does, the engine runs without one.
// Everything here is called on the application thread, but `stop`, which
// the library's unload calls, and `park`, which quitting calls. None of it
// may wait on the interface thread in a way that delivers other threads'
// sent messages to the application thread: its own windows would run inside
// its GL call.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

struct DebugThreadContext;

struct InterfaceSeam {
    // Starts the interface thread of a new application thread and returns
    // once its panel stands.
    void (*start)(DebugThreadContext *ctx);
    // `ctx` takes over the interface of `before`, a thread gone before it
    // that had the same thread id.
    void (*adopt)(DebugThreadContext *ctx, DebugThreadContext *before);
    // Ends the interface thread and waits (a bounded time) until it has
    // left the library's code.
    void (*stop)(DebugThreadContext *ctx);
    void (*show_ids)(DebugThreadContext *ctx);
    void (*set_status)(DebugThreadContext *ctx, const char *text);
    // The windows shown read the records again: all of them (a halt), the
    // Call History windows (a Clear), Call Count and Primitive Count (a
    // Clear of the counters).
    void (*refresh_all)(DebugThreadContext *ctx);
    void (*refresh_history)(DebugThreadContext *ctx);
    void (*refresh_counts)(DebugThreadContext *ctx);
    // Quitting, on another interface thread: asks the interface thread of
    // `ctx` to stop taking messages and wait for the process's end, and
    // returns the event it sets once it waits (null: none to wait for).
    HANDLE (*park)(DebugThreadContext *ctx);
};

// The registered interface, or one that does nothing.
extern const InterfaceSeam *interface_seam;

extern "C" void interface_register(const InterfaceSeam *seam);
