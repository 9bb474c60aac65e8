// The gate between the application threads' calls into the system's GL, wgl
// and GDI functions and the interface threads' window work.
//
// Under Wine every thread of a process shares one X connection. An interface
// thread that creates or shows a window holds the connection's display lock
// across a round trip (the shared-memory attach of the window's surface),
// while the reply is read by whichever thread is already reading: an
// application thread inside a GL or wgl call that waits for a reply of its
// own. When that thread meets an X error on the way (the connection carries
// many, which Wine ignores: every control painted makes one), Xlib's error
// path waits for the display lock, and neither thread goes on. So an
// interface thread does its window work with the gate closed: it waits until
// no application thread is inside a system call, and one that comes to one
// meanwhile waits until the gate opens.
//
// The application thread's side is two stores to its own context and one
// load, with no locked instruction: closing the gate flushes every
// processor's pending stores (FlushProcessWriteBuffers) before it looks.
#pragma once

#include "thread_context.h"

extern std::atomic<uint32_t> system_gate_closed;

extern "C" {
// The slow half of system_enter: waits, out of the system, for the gate to
// open (a bounded time: an interface that never opens it is passed by).
void system_gate_wait(DebugThreadContext *ctx);
// The interface thread's side: close before creating or showing windows,
// open after; the closing one waits (a bounded time) for the application
// threads to come out of the system. Interface threads close it one at a
// time, each answering the messages sent to it while it waits its turn:
// their window work is never at once either (Wine's text layout damages the
// heap when two threads make the cache of one font together).
void system_gate_close(void);
void system_gate_open(void);
}

// Around each call of an application thread into the system's GL, wgl and
// GDI functions. A call made inside another (GLU calling GL) passes.
static inline void system_enter(DebugThreadContext *ctx) {
    uint32_t depth = ctx->system_depth.load(std::memory_order_relaxed);
    ctx->system_depth.store(depth + 1, std::memory_order_relaxed);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    if (system_gate_closed.load(std::memory_order_relaxed) != 0 && depth == 0) system_gate_wait(ctx);
}

static inline void system_leave(DebugThreadContext *ctx) {
    std::atomic_signal_fence(std::memory_order_seq_cst);
    ctx->system_depth.store(ctx->system_depth.load(std::memory_order_relaxed) - 1, std::memory_order_release);
}

// A call into the system for a scope.
struct InSystem {
    DebugThreadContext *ctx;
    explicit InSystem(DebugThreadContext *c) : ctx(c) { system_enter(ctx); }
    ~InSystem() { system_leave(ctx); }
};

// Holds the gate closed for a scope on an interface thread.
struct SystemGateClosed {
    SystemGateClosed() { system_gate_close(); }
    ~SystemGateClosed() { system_gate_open(); }
};
