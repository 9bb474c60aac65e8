// The only door from the GLS codec to the operating system: thread-local
// slots, the one lock, whole pages of memory, loading a library, finding
// the system directory, and the positions and kind of a stdio channel.
// Everything under src/gls goes through here so the codec also builds and is
// tested natively on Linux.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#if defined(_WIN32)
#define GLSAPI __stdcall
#else
#define GLSAPI
#endif

// A thread-local slot index; negative when allocation failed.
typedef long __GLStlsIndex;

__GLStlsIndex __glsTlsAlloc(void);
void __glsTlsFree(__GLStlsIndex index);
void *__glsTlsGet(__GLStlsIndex index);
void __glsTlsSet(__GLStlsIndex index, void *value);

// Where a Windows thread keeps its first 64 slots: the TlsSlots array of its
// environment block, whose Self field the segment register gs (x86-64) or
// fs (i686) reaches.
#if defined(_WIN32) && defined(__x86_64__)
#define __GLS_TLS_IN_TEB 1
enum { __GLS_TEB_SELF = 0x30, __GLS_TEB_TLS_SLOTS = 0x1480 };
#elif defined(_WIN32) && defined(__i386__)
#define __GLS_TLS_IN_TEB 1
enum { __GLS_TEB_SELF = 0x18, __GLS_TEB_TLS_SLOTS = 0xE10 };
#endif

// __glsTlsGet for the paths every GL call takes. A slot among a Windows
// thread's first 64 is read in place, which spares the call and leaves the
// thread's last error alone, as TlsGetValue would not; any other slot, and
// every slot elsewhere, goes through __glsTlsGet.
static inline void *__glsTlsGetInline(__GLStlsIndex index) {
#if defined(__GLS_TLS_IN_TEB)
    if ((unsigned long)index < 64) {
        const char *teb;
#if defined(__x86_64__)
        __asm__ __volatile__("movq %%gs:%c1, %0" : "=r"(teb) : "i"(__GLS_TEB_SELF));
#else
        __asm__ __volatile__("movl %%fs:%c1, %0" : "=r"(teb) : "i"(__GLS_TEB_SELF));
#endif
        // An ordinary load: a call that sets the slot may change it.
        return ((void *const *)(teb + __GLS_TEB_TLS_SLOTS))[index];
    }
#endif
    return __glsTlsGet(index);
}

// Whole pages from the operating system, zero-filled, for large areas that
// should not sit among the C heap's blocks; null when none can be had.
void *__glsPageAlloc(size_t byteCount);
// Gives back to the system the whole pages of an area from __glsPageAlloc
// that lie past its first keep bytes; the area stays where it is.
void __glsPageShrink(void *pages, size_t byteCount, size_t keep);
// Frees an area from __glsPageAlloc, with the byte count it was asked for;
// accepts null.
void __glsPageFree(void *pages, size_t byteCount);

// The lock is re-entrant for the thread that holds it.
void __glsLockSectionInit(void);
void __glsLockSectionDelete(void);
void __glsLockSectionEnter(void);
void __glsLockSectionLeave(void);

// A loaded library handle, or null.
void *__glsLoadLibrary(const char *path);
void *__glsGetProcAddress(void *library, const char *name);
void __glsFreeLibrary(void *library);

// Writes the system directory into buffer (size bytes) and returns its
// length; 0 when the platform gives none or it does not fit.
size_t __glsSystemDirectory(char *buffer, size_t size);

// The separator between a directory and a file name.
extern const char __glsPathSeparator;

// A channel's position and seeks in 64 bits, where a long may hold only 32
// (Windows): -1 when the position cannot be told, 0 for a seek that worked.
int64_t __glsChannelTell(FILE *channel);
int __glsChannelSeek(FILE *channel, int64_t offset, int whence);
// Whether the channel is a file with a size to measure; a pipe, a console
// or a device has none and may never end.
bool __glsChannelHasSize(FILE *channel);
