// Linux system calls made directly from a Windows program running under Wine
// on Linux, which hands them to the kernel (under qemu-user, to qemu): for
// what Wine does not tell a Windows program, such as how the Unix process of
// another program ended. Only where linux_calls_here() says so.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <stdint.h>
#include <string.h>

namespace linux_calls {

#if defined(__x86_64__)
enum { GETPID = 39, KILL = 62, RT_SIGACTION = 13, PRCTL = 157, WAITID = 247 };
inline intptr_t call(intptr_t n, intptr_t a = 0, intptr_t b = 0, intptr_t c = 0, intptr_t d = 0, intptr_t e = 0) {
    intptr_t r;
    register intptr_t r10 __asm__("r10") = d;
    register intptr_t r8 __asm__("r8") = e;
    __asm__ __volatile__("syscall"
                         : "=a"(r)
                         : "a"(n), "D"(a), "S"(b), "d"(c), "r"(r10), "r"(r8)
                         : "rcx", "r11", "memory");
    return r;
}
#elif defined(__i386__)
enum { GETPID = 20, KILL = 37, RT_SIGACTION = 174, PRCTL = 172, WAITID = 284 };
inline intptr_t call(intptr_t n, intptr_t a = 0, intptr_t b = 0, intptr_t c = 0, intptr_t d = 0, intptr_t e = 0) {
    intptr_t r;
    __asm__ __volatile__("int $0x80" : "=a"(r) : "a"(n), "b"(a), "c"(b), "d"(c), "S"(d), "D"(e) : "memory");
    return r;
}
#else
#error "Linux system calls for x86-64 and i386 only"
#endif

// Under Wine, on a Linux host.
inline bool here() {
    typedef void(CDECL * HostVersion)(const char **sysname, const char **release);
    HostVersion host = (HostVersion)(void *)GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_host_version");
    const char *sysname = nullptr, *release = nullptr;
    if (host) host(&sysname, &release);
    return sysname && !strcmp(sysname, "Linux");
}

enum { PR_SET_CHILD_SUBREAPER = 36, P_PID = 1, WNOHANG = 1, WEXITED = 4, CLD_EXITED = 1, SIGKILL = 9, SIGSEGV = 11 };

// How a child that has ended ended: its exit status, or the signal that
// killed it. waitid's siginfo: si_pid, si_uid and si_status follow three
// ints, past the padding that aligns the union on 64 bits.
struct Ended {
    bool ended, signalled;
    int value;  // the exit status, or the signal
};
inline Ended reap(intptr_t pid) {
    int info[32] = {};
    intptr_t r = call(WAITID, P_PID, pid, (intptr_t)info, WEXITED | WNOHANG, 0);
    const int at = sizeof(void *) == 8 ? 4 : 3;
    if (r != 0 || info[at] != pid) return {false, false, 0};
    return {true, info[2] != CLD_EXITED, info[at + 2]};
}

// Dies of SIGSEGV as an uncaught one kills a process: Wine's handler is
// taken away first, so that no exception is made of it.
[[noreturn]] inline void die_of_sigsegv() {
    intptr_t action[4 + 2] = {};  // the default handler, no flags, no restorer, an empty mask
    call(RT_SIGACTION, SIGSEGV, (intptr_t)action, 0, 8);
    call(KILL, call(GETPID), SIGSEGV);
    for (;;) Sleep(INFINITE);
}

}  // namespace linux_calls
