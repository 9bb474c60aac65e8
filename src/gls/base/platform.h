// The only door from the GLS codec to the operating system: thread-local
// slots, the one lock, loading a library, finding the system directory and
// mapping pages.
// Everything under src/gls goes through here so the codec also builds and is
// tested natively on Linux.
#pragma once

#include <stddef.h>
#include <stdint.h>

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

// Zero-filled pages of at least byteCount bytes, which cost nothing until
// they are touched, followed by one page that faults when touched: the
// first byte past the returned block's byteCount bytes is that page's
// first. *outBase and *outMapped say what __glsPagesUnmap takes back. Null
// when the address space has no room.
void *__glsPagesMap(size_t byteCount, void **outBase, size_t *outMapped);
void __glsPagesUnmap(void *base, size_t mapped);
