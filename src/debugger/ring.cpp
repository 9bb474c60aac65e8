// The command ring (ring.h).
#include "ring.h"

void ring_init(CommandRing *ring) {
    ring->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!ring->wake) ExitProcess(1);
}

void ring_close(CommandRing *ring) {
    if (ring->wake) CloseHandle(ring->wake);
    ring->wake = nullptr;
}

void ring_post(CommandRing *ring, uint32_t code) {
    switch (code) {
    case CMD_FRONT_BUFFER_OFF: case CMD_FRONT_BUFFER_ON: case CMD_HALT: case CMD_CLEAR_HISTORY:
    case CMD_APPLY_TRACE: case CMD_CONTINUE: case CMD_SKIP: case CMD_STEP:
    case CMD_VERTEX_ARRAYS_OFF: case CMD_VERTEX_ARRAYS_ON:
    case CMD_CLEAR_CALL_COUNTS: case CMD_CLEAR_PRIMITIVE_COUNTS:
        break;
    default:
        return;
    }
    AcquireSRWLockExclusive(&ring->post_lock);
    uint32_t write = ring->write_index.load(std::memory_order_relaxed);
    uint32_t next = (write + 1) % RING_SLOTS;
    if (next != ring->read_index.load(std::memory_order_acquire)) {
        ring->slots[write].code = code;
        ring->write_index.store(next, std::memory_order_release);
    }
    ReleaseSRWLockExclusive(&ring->post_lock);
    if (ring->wake) SetEvent(ring->wake);
}

void ring_pop(CommandRing *ring, CommandSlot *out) {
    uint32_t read = ring->read_index.load(std::memory_order_relaxed);
    if (read == ring->write_index.load(std::memory_order_acquire)) {
        out->code = CMD_NONE;
        return;
    }
    *out = ring->slots[read];
    ring->read_index.store((read + 1) % RING_SLOTS, std::memory_order_release);
}

// A post that came between the reader's look at the ring and this wait has
// left the event set, so it is never missed; one the reader took without
// waiting leaves it set too, and costs one more look.
void ring_wait(CommandRing *ring) { WaitForSingleObject(ring->wake, INFINITE); }
