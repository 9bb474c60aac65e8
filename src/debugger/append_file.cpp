// The files the debugger writes to the end of, call after call (a context's
// history, a thread's list\calls): through a view mapped into memory, so a
// write is a copy, and what is copied is the system's at once, kept in the
// file whether the process ends, crashes or is killed. The view reaches to
// the end of room made ahead for real: blanks written past the text, the
// room doubling from 64 KiB up to 4 MiB at a time. A file system that has
// no room left refuses the blanks, and the writer hears that the file
// cannot grow; a write into the view never has to find room the file system
// does not have. Closing cuts the blanks off; a file left by a process that
// died ends in them, after its last line end.
#include "append_file.h"

#include <string.h>

namespace {

enum : uint64_t {
    // Views begin at multiples of the system's allocation granularity.
    GRANULE = 65536,
    FIRST_ROOM = 65536,
    MOST_ROOM = 4u << 20,
};

// The bytes the room is made of, written as they are.
struct Blanks {
    char bytes[GRANULE];
    constexpr Blanks() : bytes() {
        for (char &b : bytes) b = ' ';
    }
};
constexpr Blanks kBlanks;

OVERLAPPED at_offset(uint64_t offset) {
    OVERLAPPED at = {};
    at.Offset = (DWORD)offset;
    at.OffsetHigh = (DWORD)(offset >> 32);
    return at;
}

void view_release(AppendFile *f) {
    if (f->view) UnmapViewOfFile(f->view);
    if (f->mapping) CloseHandle(f->mapping);
    f->view = nullptr;
    f->mapping = nullptr;
}

// Writes blanks from the file's end on until it is `to` bytes long or the
// file system refuses; what it took is room all the same. The file's
// position stays at its end: a write given its offset would cost a call to
// the system's server besides (Wine posts its completion), and a seek.
bool reserve(AppendFile *f, uint64_t to) {
    while (f->reserved < to) {
        uint64_t left = to - f->reserved;
        DWORD n = left < GRANULE ? (DWORD)left : (DWORD)GRANULE, wrote = 0;
        BOOL ok = WriteFile(f->file, kBlanks.bytes, n, &wrote, nullptr);
        f->reserved += wrote;
        if (!ok) return false;
        if (wrote == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
    }
    return true;
}

// Puts the file's position back at its end, where the blanks go on.
void at_end(AppendFile *f) {
    LARGE_INTEGER end;
    end.QuadPart = (LONGLONG)f->reserved;
    SetFilePointerEx(f->file, end, nullptr, FILE_BEGIN);
}

// Where the text of a file ends: before the blanks after its last byte that
// is none, as a process that died leaves them.
uint64_t text_end(HANDLE file, uint64_t size) {
    char tail[4096];
    while (size > 0) {
        DWORD n = size < sizeof tail ? (DWORD)size : (DWORD)sizeof tail, got = 0;
        OVERLAPPED at = at_offset(size - n);
        if (!ReadFile(file, tail, n, &got, &at) || got != n) return size;
        for (DWORD i = n; i > 0; --i) {
            if (tail[i - 1] != ' ') return size - n + i;
        }
        size -= n;
    }
    return 0;
}

char *grow(AppendFile *f, size_t n) {
    uint64_t length = f->length.load(std::memory_order_relaxed), need = length + n;
    if (need < length) {
        SetLastError(ERROR_ARITHMETIC_OVERFLOW);
        return nullptr;
    }
    // Let go first: the system writes to a file mapped meanwhile many times
    // slower.
    view_release(f);
    if (need > f->reserved) {
        uint64_t room = f->reserved < FIRST_ROOM ? FIRST_ROOM : f->reserved > MOST_ROOM ? MOST_ROOM : f->reserved;
        uint64_t to = (need > f->reserved + room ? need : f->reserved + room) + GRANULE - 1;
        to -= to % GRANULE;
        // The room the file system had still serves a text that fits in it.
        if (!reserve(f, to) && f->reserved < need) return nullptr;
    }
    uint64_t from = length - length % GRANULE;
    f->mapping = CreateFileMappingW(f->file, nullptr, PAGE_READWRITE, 0, 0, nullptr);
    f->view = f->mapping ? (char *)MapViewOfFile(f->mapping, FILE_MAP_WRITE, (DWORD)(from >> 32), (DWORD)from,
                                                 (SIZE_T)(f->reserved - from))
                         : nullptr;
    if (!f->view) {
        DWORD error = GetLastError();
        view_release(f);
        SetLastError(error);
        return nullptr;
    }
    f->view_at = from;
    return f->view + (length - from);
}

}  // namespace

void append_open(AppendFile *f, HANDLE file) {
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    f->file = file;
    f->mapping = nullptr;
    f->view = nullptr;
    f->view_at = 0;
    f->error = 0;
    f->reserved = (uint64_t)size.QuadPart;
    f->length.store(text_end(file, f->reserved), std::memory_order_release);
    at_end(f);
}

// The thread's last error is the application's: growing leaves it as it
// was, and keeps its own failure in the file's record.
char *append_grow(AppendFile *f, size_t n) {
    DWORD kept = GetLastError();
    char *room = grow(f, n);
    if (!room) f->error = GetLastError() ? GetLastError() : (DWORD)ERROR_DISK_FULL;
    SetLastError(kept);
    return room;
}

int append_write(AppendFile *f, const void *bytes, size_t n) {
    char *to = append_room(f, n);
    if (!to) return 0;
    memcpy(to, bytes, n);
    append_commit(f, n);
    return 1;
}

int append_read(AppendFile *f, uint64_t at, size_t n, char *out) {
    DWORD got = 0;
    OVERLAPPED from = at_offset(at);
    bool read = n <= 0xFFFFFFFFu && ReadFile(f->file, out, (DWORD)n, &got, &from) && got == n;
    at_end(f);
    return read;
}

void append_cut(AppendFile *f, uint64_t at) {
    if (at < f->view_at) view_release(f);
    f->length.store(at, std::memory_order_release);
}

void append_close(AppendFile *f) {
    if (!f->file) return;
    view_release(f);
    FILE_END_OF_FILE_INFO end = {};
    end.EndOfFile.QuadPart = (LONGLONG)f->length.load(std::memory_order_relaxed);
    SetFileInformationByHandle(f->file, FileEndOfFileInfo, &end, sizeof end);
    CloseHandle(f->file);
    f->file = nullptr;
    f->reserved = 0;
}

void append_abandon(AppendFile *f) {
    if (!f->file) return;
    view_release(f);
    CloseHandle(f->file);
    f->file = nullptr;
    f->reserved = 0;
}
