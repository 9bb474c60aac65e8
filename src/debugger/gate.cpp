// The gate between application threads' system calls and interface threads'
// window work (gate.h).
#include "gate.h"

#include <cpuid.h>

std::atomic<uint32_t> system_gate_closed;
bool system_gate_fenced;

// Manual-reset, set while the gate is open; set once the closing has found
// the application threads out of the system (or stopped waiting for them).
static HANDLE gate_opened, gate_drained;
// Taken by the interface thread doing its window work.
static HANDLE gate_turn;
// The interface threads holding the gate closed, under gate_lock.
static SRWLOCK gate_lock = SRWLOCK_INIT;
static unsigned gate_holders;
// The page process_write_flush takes away and gives back.
static volatile LONG *flush_page;
static INIT_ONCE gate_once = INIT_ONCE_STATIC_INIT;

// An application thread waits this long for the gate, an interface thread
// this long for the application threads to come out: window work takes a
// fraction of it, and neither side is stopped for good by the other.
enum { GATE_WAIT_MS = 5000 };

// Whether the processor can drop translations on every processor by a
// broadcast (AMD's INVLPGB), which a kernel may use instead of interrupting
// them.
static bool broadcast_translation_drops(void) {
    unsigned a, b, c, d;
    if (!__get_cpuid(0x80000000u, &a, &b, &c, &d) || a < 0x80000008u) return false;
    __get_cpuid(0x80000008u, &a, &b, &c, &d);
    return (b & (1u << 3)) != 0;
}

static BOOL CALLBACK gate_make(PINIT_ONCE, PVOID, PVOID *) {
    gate_opened = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    gate_drained = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    gate_turn = CreateMutexA(nullptr, FALSE, nullptr);
    if (!gate_opened || !gate_drained || !gate_turn) ExitProcess(1);
    flush_page = (volatile LONG *)VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!flush_page || broadcast_translation_drops()) system_gate_fenced = true;
    return TRUE;
}

// Every processor running a thread of the process has made its stores
// visible and sees the caller's (gate.h says why). The page is written first
// so that it is present: taking away a page that is not costs the kernel no
// interrupt.
static void process_write_flush(void) {
    if (system_gate_fenced) {
        std::atomic_thread_fence(std::memory_order_seq_cst);
        return;
    }
    DWORD before;
    *flush_page = *flush_page + 1;
    VirtualProtect((void *)flush_page, 4096, PAGE_NOACCESS, &before);
    VirtualProtect((void *)flush_page, 4096, PAGE_READWRITE, &before);
}

void system_gate_wait(DebugThreadContext *ctx) {
    KeepLastError keep;
    DWORD start = GetTickCount();
    uint32_t entered = ctx->system_depth.load(std::memory_order_relaxed);
    do {
        ctx->system_depth.store(entered - 1, std::memory_order_release);
        if (gate_opened) WaitForSingleObject(gate_opened, GATE_WAIT_MS);
        entered += SYSTEM_ENTRY - 1;
        ctx->system_depth.store(entered, std::memory_order_relaxed);
        if (system_gate_fenced) std::atomic_thread_fence(std::memory_order_seq_cst);
        std::atomic_signal_fence(std::memory_order_seq_cst);
    } while (system_gate_closed.load(std::memory_order_relaxed) != 0 && GetTickCount() - start < GATE_WAIT_MS);
}

// A thread ended inside a call (TerminateThread) leaves its depth as it was:
// it is never waited for.
static bool thread_ended(DebugThreadContext *ctx) {
    return ctx->thread && WaitForSingleObject(ctx->thread, 0) == WAIT_OBJECT_0;
}

// Waits for the thread to come out of the system. One that a closing before
// stopped waiting for (a call of seconds) and is still inside that call is
// not waited for again: panels that start one after another while it lasts
// wait for it once.
static void outside_of_system(void *block, void *deadline) {
    DebugThreadContext *ctx = (DebugThreadContext *)block;
    DWORD end = *(DWORD *)deadline;
    for (unsigned polls = 0;; ++polls) {
        uint32_t now = ctx->system_depth.load(std::memory_order_acquire);
        if ((now & SYSTEM_DEPTH) == 0 || now == ctx->system_passed) return;
        if ((LONG)(end - GetTickCount()) <= 0 || (polls % 16 == 0 && thread_ended(ctx))) {
            ctx->system_passed = now;
            return;
        }
        Sleep(1);
    }
}

// Waits for an event while answering what is sent to the thread: another
// interface thread's window work may send its windows a message and wait.
static void wait_answering(HANDLE handle) {
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED_0 || r == WAIT_FAILED) return;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void system_gate_close(void) {
    InitOnceExecuteOnce(&gate_once, gate_make, nullptr, nullptr);
    AcquireSRWLockExclusive(&gate_lock);
    bool first = gate_holders++ == 0;
    if (first) {
        ResetEvent(gate_drained);
        ResetEvent(gate_opened);
        system_gate_closed.store(1, std::memory_order_relaxed);
    }
    ReleaseSRWLockExclusive(&gate_lock);
    if (first) {
        process_write_flush();
        DWORD deadline = GetTickCount() + GATE_WAIT_MS;
        mmaps_for_each(BLOCK_THREAD_CONTEXT, outside_of_system, &deadline);
        SetEvent(gate_drained);
    } else {
        wait_answering(gate_drained);
    }
    wait_answering(gate_turn);
}

void system_gate_open(void) {
    ReleaseMutex(gate_turn);
    AcquireSRWLockExclusive(&gate_lock);
    if (--gate_holders == 0) {
        system_gate_closed.store(0, std::memory_order_release);
        SetEvent(gate_opened);
    }
    ReleaseSRWLockExclusive(&gate_lock);
}
