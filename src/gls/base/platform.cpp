#include "base/platform.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#include <winternl.h>

#include <stddef.h>

// The inline slot read finds the slots where the platform's own view of the
// environment block has them.
static_assert(offsetof(NT_TIB, Self) == __GLS_TEB_SELF, "TEB Self");
static_assert(offsetof(TEB, TlsSlots) == __GLS_TEB_TLS_SLOTS, "TEB TlsSlots");

const char __glsPathSeparator = '\\';

__GLStlsIndex __glsTlsAlloc(void) { return (__GLStlsIndex)(LONG)TlsAlloc(); }
void __glsTlsFree(__GLStlsIndex index) { TlsFree((DWORD)index); }
void *__glsTlsGet(__GLStlsIndex index) { return TlsGetValue((DWORD)index); }
void __glsTlsSet(__GLStlsIndex index, void *value) { TlsSetValue((DWORD)index, value); }

void *__glsPageAlloc(size_t byteCount) {
    return VirtualAlloc(nullptr, byteCount, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void __glsPageShrink(void *pages, size_t byteCount, size_t keep) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const size_t page = info.dwPageSize, from = (keep + page - 1) / page * page;
    if (from < byteCount) VirtualFree((char *)pages + from, byteCount - from, MEM_DECOMMIT);
}

void __glsPageFree(void *pages, size_t byteCount) {
    if (pages) VirtualFree(pages, 0, MEM_RELEASE);
}

static CRITICAL_SECTION lockSection;
void __glsLockSectionInit(void) { InitializeCriticalSection(&lockSection); }
void __glsLockSectionDelete(void) { DeleteCriticalSection(&lockSection); }
void __glsLockSectionEnter(void) { EnterCriticalSection(&lockSection); }
void __glsLockSectionLeave(void) { LeaveCriticalSection(&lockSection); }

void *__glsLoadLibrary(const char *path) { return (void *)LoadLibraryA(path); }
void *__glsGetProcAddress(void *library, const char *name) {
    return (void *)GetProcAddress((HMODULE)library, name);
}

void __glsFreeLibrary(void *library) { FreeLibrary((HMODULE)library); }

size_t __glsSystemDirectory(char *buffer, size_t size) {
    UINT n = GetSystemDirectoryA(buffer, (UINT)size);
    if (n == 0 || n >= size) return 0;
    return n;
}

int64_t __glsChannelTell(FILE *channel) { return _ftelli64(channel); }
int __glsChannelSeek(FILE *channel, int64_t offset, int whence) {
    return _fseeki64(channel, offset, whence);
}

bool __glsChannelHasSize(FILE *channel) {
    const HANDLE handle = (HANDLE)_get_osfhandle(_fileno(channel));
    return handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK;
}

#else
#include <dlfcn.h>
#include <pthread.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

const char __glsPathSeparator = '/';

// pthread keys stand in for TLS indexes.
__GLStlsIndex __glsTlsAlloc(void) {
    pthread_key_t key;
    if (pthread_key_create(&key, nullptr) != 0) return -1;
    return (__GLStlsIndex)key;
}
void __glsTlsFree(__GLStlsIndex index) { pthread_key_delete((pthread_key_t)index); }
void *__glsTlsGet(__GLStlsIndex index) { return pthread_getspecific((pthread_key_t)index); }
void __glsTlsSet(__GLStlsIndex index, void *value) {
    pthread_setspecific((pthread_key_t)index, value);
}

void *__glsPageAlloc(size_t byteCount) {
    void *pages =
        mmap(nullptr, byteCount, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return pages == MAP_FAILED ? nullptr : pages;
}

// The tail stays mapped, so that nothing else can be placed there before
// the whole area goes; only its memory is given back.
void __glsPageShrink(void *pages, size_t byteCount, size_t keep) {
    const size_t page = (size_t)sysconf(_SC_PAGESIZE), from = (keep + page - 1) / page * page;
    if (from < byteCount) madvise((char *)pages + from, byteCount - from, MADV_DONTNEED);
}

void __glsPageFree(void *pages, size_t byteCount) {
    if (pages) munmap(pages, byteCount);
}

static pthread_mutex_t lockSection;
void __glsLockSectionInit(void) {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&lockSection, &attr);
    pthread_mutexattr_destroy(&attr);
}
void __glsLockSectionDelete(void) { pthread_mutex_destroy(&lockSection); }
void __glsLockSectionEnter(void) { pthread_mutex_lock(&lockSection); }
void __glsLockSectionLeave(void) { pthread_mutex_unlock(&lockSection); }

void *__glsLoadLibrary(const char *path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
void *__glsGetProcAddress(void *library, const char *name) { return dlsym(library, name); }
void __glsFreeLibrary(void *library) { dlclose(library); }

// Natively the "system directory" is where the stand-in GL library lives,
// named by GLS_SYSTEM_DIRECTORY (tests point it at a fake).
size_t __glsSystemDirectory(char *buffer, size_t size) {
    const char *dir = getenv("GLS_SYSTEM_DIRECTORY");
    if (!dir) return 0;
    size_t n = strlen(dir);
    if (n == 0 || n >= size) return 0;
    memcpy(buffer, dir, n + 1);
    return n;
}

int64_t __glsChannelTell(FILE *channel) { return (int64_t)ftello(channel); }
int __glsChannelSeek(FILE *channel, int64_t offset, int whence) {
    return fseeko(channel, (off_t)offset, whence);
}

bool __glsChannelHasSize(FILE *channel) {
    struct stat info;
    return fstat(fileno(channel), &info) == 0 && S_ISREG(info.st_mode);
}
#endif
