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
// Why the exclusion holds with no locked instruction on the application's
// side. An application thread stores its depth, then loads the flag; the
// closing interface thread stores the flag, then loads the depths. x86 lets
// a load pass the same processor's earlier store, so on its own each side
// could miss the other. Between its store and its loads the closing thread
// therefore interrupts every processor running a thread of the process
// (process_write_flush in gate.cpp: a page of the process's own, present in
// its page tables, taken away, so that the kernel must have every such
// processor drop its translation before the call returns; the system's
// FlushProcessWriteBuffers is a stub in Wine 8). Stores become visible in
// the order they were made, and an interrupted processor acknowledges the
// interrupt with a store of its own after those of the thread it ran; the
// closing thread's flag was stored before it asked. So for an application
// thread interrupted at some point of its code, a depth stored before that
// point is seen by the closing thread's loads, and a flag loaded after it is
// the closing thread's. A thread not running then was switched out, which
// orders its stores and loads in the same way. The page is taken away only
// when the processor offers no broadcast of translation drops that spares the
// interrupt; where it does, the application's side adds a full fence.
#pragma once

#include "thread_context.h"

extern std::atomic<uint32_t> system_gate_closed;
// Set where the processor could drop translations without interrupting the
// others: the application's side then fences between its store and load.
extern bool system_gate_fenced;

extern "C" {
// The slow half of system_enter: waits, out of the system, for the gate to
// open (a bounded time: an interface that never opens it is passed by).
void system_gate_wait(DebugThreadContext *ctx);
// The interface thread's side: close before creating or showing windows,
// open after. Interface threads that close it while it is closed share the
// one closing and its one wait for the application threads to come out of
// the system (a bounded time; a thread that has ended is not waited for,
// nor one still inside the call a closing before stopped waiting for),
// then do their window work one at a time, each answering the messages sent
// to it while it waits: their window work is never at once either (Wine's
// text layout damages the heap when two threads make the cache of one font
// together). The gate opens when the last of them opens it. Nested closings
// on one thread are allowed.
void system_gate_close(void);
void system_gate_open(void);
}

// Around each call of an application thread into the system's GL, wgl and
// GDI functions. A call made inside another (GLU calling GL) passes.
enum : uint32_t { SYSTEM_DEPTH = 0xFF, SYSTEM_ENTRY = 0x101 };

static inline void system_enter(DebugThreadContext *ctx) {
    uint32_t depth = ctx->system_depth.load(std::memory_order_relaxed);
    ctx->system_depth.store(depth + SYSTEM_ENTRY, std::memory_order_relaxed);
    if (system_gate_fenced) [[unlikely]] std::atomic_thread_fence(std::memory_order_seq_cst);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    if (system_gate_closed.load(std::memory_order_relaxed) != 0 && (depth & SYSTEM_DEPTH) == 0) {
        system_gate_wait(ctx);
    }
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
