// The command ring from a thread's interface to its application thread.
// Posters take the lock (the interface thread of the application thread,
// and on quitting the one interface thread that halts every thread); the
// application thread alone takes commands, without a lock. A slot is written
// before `write_index` moves past it (release) and read after the reader has
// seen that (acquire); one slot stays free, so at most 63 commands wait.
// Every post sets the ring's wake event, on which the application thread
// sleeps while it waits for a command.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <stdint.h>

#include <atomic>

enum { RING_SLOTS = 64 };

// Commands from the interface to the application thread.
enum CommandCode : uint32_t {
    CMD_FRONT_BUFFER_OFF = 3,
    CMD_FRONT_BUFFER_ON = 4,
    CMD_HALT = 5,
    CMD_CLEAR_HISTORY = 6,
    CMD_APPLY_TRACE = 8,  // the trace selections made capture flags again, Limit Data Dumps taken
    CMD_CONTINUE = 12,
    CMD_SKIP = 14,
    CMD_STEP = 15,
    CMD_VERTEX_ARRAYS_OFF = 16,
    CMD_VERTEX_ARRAYS_ON = 17,
    // Call Count's and Primitive Count's Clear: the counters have one writer.
    CMD_CLEAR_CALL_COUNTS = 18,
    CMD_CLEAR_PRIMITIVE_COUNTS = 19,
    CMD_NONE = 0xFFFFFFFFu,
};

struct CommandSlot {
    uint32_t code;
};

// A cleared ring is empty and takes posts; it wakes nobody until
// ring_init has made its event.
struct CommandRing {
    std::atomic<uint32_t> write_index;
    std::atomic<uint32_t> read_index;
    CommandSlot slots[RING_SLOTS];
    SRWLOCK post_lock;
    HANDLE wake;  // auto-reset
};

// Makes the wake event of a cleared ring; ring_close lets it go.
void ring_init(CommandRing *ring);
void ring_close(CommandRing *ring);
// Queues `code` and wakes the reader; an unknown code, or one that finds the
// ring full, is dropped.
void ring_post(CommandRing *ring, uint32_t code);
// The oldest command, CMD_NONE when none waits.
void ring_pop(CommandRing *ring, CommandSlot *out);
// Sleeps until a command has been posted since the reader's last wake: the
// reader calls it only once it has found the ring empty.
void ring_wait(CommandRing *ring);

static inline bool ring_not_empty(const CommandRing *ring) {
    return ring->read_index.load(std::memory_order_relaxed) != ring->write_index.load(std::memory_order_acquire);
}
