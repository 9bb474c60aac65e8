// The declarations of the files written through a mapped view
// (append_file.cpp); the file itself is AppendFile in records.h.
#pragma once

#include "records.h"

extern "C" {
// Takes an open file (debugger_create_file) to write text to its end, from
// where the text already in it ends.
void append_open(AppendFile *f, HANDLE file);
// The room of append_room when the view has less: the file grown and mapped
// again. Null when it cannot grow, the file's `error` saying why; the
// thread's last error is left as it was.
char *append_grow(AppendFile *f, size_t n);
// Writes `n` bytes at the end of the text; 0 when the file cannot take them.
int append_write(AppendFile *f, const void *bytes, size_t n);
// Reads `n` bytes of the file from offset `at`; 0 when they are not there.
int append_read(AppendFile *f, uint64_t at, size_t n, char *out);
// The text from `at` on is given up: what is written next goes there, and
// the file is cut there when it closes.
void append_cut(AppendFile *f, uint64_t at);
// Closes the file, cut to the length of its text.
void append_close(AppendFile *f);
// Lets the file go as it is: one left by a thread ended from outside, whose
// file another record may have written on since.
void append_abandon(AppendFile *f);

}  // extern "C"

// Room for `n` more bytes of text in an open file, where the caller writes
// them before append_commit; null when the file cannot take them (its
// `error` says why). The thread's last error stays as it was.
static inline char *append_room(AppendFile *f, size_t n) {
    uint64_t length = f->length.load(std::memory_order_relaxed);
    if (f->view && n <= f->reserved - length) return f->view + (length - f->view_at);
    return append_grow(f, n);
}

// The `n` bytes written in the room are the file's text from now on. The
// memory a few calls on is asked for now: the blanks there were written
// long ago, and the next locked instruction would wait for it.
static inline void append_commit(AppendFile *f, size_t n) {
    uint64_t length = f->length.load(std::memory_order_relaxed) + n;
    f->length.store(length, std::memory_order_release);
    const char *ahead = f->view + (length - f->view_at) + 512;
    __builtin_prefetch(ahead, 1);
    __builtin_prefetch(ahead + 64, 1);
}

