// Brings the GLS core up once for the test program, as the library's load
// would, and records what the debugger's process hook is told.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "startup.h"
#include "support.h"

int hookCalls = 0;
unsigned long hookLastReason = 99;

extern "C" int dll_process_hook(void *, unsigned long reason, void *) {
    ++hookCalls;
    hookLastReason = reason;
    return 1;
}

#if defined(_WIN32)
#include <windows.h>
static DWORD WINAPI threadMain(LPVOID fn) {
    (*(const std::function<void()> *)fn)();
    return 0;
}
void runOnOtherThread(const std::function<void()> &fn) {
    HANDLE thread = CreateThread(nullptr, 0, threadMain, (LPVOID)&fn, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}
#else
#include <pthread.h>
static void *threadMain(void *fn) {
    (*(const std::function<void()> *)fn)();
    return nullptr;
}
void runOnOtherThread(const std::function<void()> &fn) {
    pthread_t thread;
    pthread_create(&thread, nullptr, threadMain, (void *)&fn);
    pthread_join(thread, nullptr);
}
#endif

namespace {
class GlsEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
#if !defined(_WIN32)
        // Natively the stand-in system library is the fake built beside us.
        setenv("GLS_SYSTEM_DIRECTORY", FAKE_GL_DIRECTORY, 1);
#endif
        ASSERT_EQ(1, __glsProcessAttach(nullptr, 1, nullptr));
    }
    void TearDown() override { __glsProcessDetach(nullptr, 0, nullptr); }
};
const auto *environment = ::testing::AddGlobalTestEnvironment(new GlsEnvironment);
}  // namespace
