// The only door from the GLS codec to the operating system: thread-local
// slots, the one lock, loading a library and finding the system directory.
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
