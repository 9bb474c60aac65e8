// The gate between application threads' system calls and interface threads'
// window work (gate.h).
#include "gate.h"

std::atomic<uint32_t> system_gate_closed;

// Manual-reset, set while the gate is open; made once for the process.
static HANDLE gate_opened;
static INIT_ONCE gate_once = INIT_ONCE_STATIC_INIT;
// Taken by the interface thread that closes the gate.
static HANDLE gate_turn;

// An application thread waits this long for the gate, an interface thread
// this long for the application threads to come out: window work takes a
// fraction of it, and neither side is stopped for good by the other.
enum { GATE_WAIT_MS = 5000 };

static BOOL CALLBACK gate_make(PINIT_ONCE, PVOID, PVOID *) {
    gate_opened = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    gate_turn = CreateMutexA(nullptr, FALSE, nullptr);
    if (!gate_opened || !gate_turn) ExitProcess(1);
    return TRUE;
}

void system_gate_wait(DebugThreadContext *ctx) {
    KeepLastError keep;
    DWORD start = GetTickCount();
    do {
        ctx->system_depth.store(0, std::memory_order_release);
        if (gate_opened) WaitForSingleObject(gate_opened, GATE_WAIT_MS);
        ctx->system_depth.store(1, std::memory_order_relaxed);
        std::atomic_signal_fence(std::memory_order_seq_cst);
    } while (system_gate_closed.load(std::memory_order_relaxed) != 0 && GetTickCount() - start < GATE_WAIT_MS);
}

static void outside_of_system(void *block, void *deadline) {
    DebugThreadContext *ctx = (DebugThreadContext *)block;
    DWORD end = *(DWORD *)deadline;
    while (ctx->system_depth.load(std::memory_order_acquire) != 0 && (LONG)(end - GetTickCount()) > 0) Sleep(1);
}

void system_gate_close(void) {
    InitOnceExecuteOnce(&gate_once, gate_make, nullptr, nullptr);
    // Waiting its turn, an interface thread still answers what is sent to
    // it: another's window work may send its windows a message and wait.
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, &gate_turn, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED_0) break;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    ResetEvent(gate_opened);
    system_gate_closed.store(1, std::memory_order_relaxed);
    FlushProcessWriteBuffers();
    DWORD deadline = GetTickCount() + GATE_WAIT_MS;
    mmaps_for_each(BLOCK_THREAD_CONTEXT, outside_of_system, &deadline);
}

void system_gate_open(void) {
    system_gate_closed.store(0, std::memory_order_release);
    SetEvent(gate_opened);
    ReleaseMutex(gate_turn);
}
