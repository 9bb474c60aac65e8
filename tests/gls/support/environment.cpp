// Brings the GLS core up once for the test program, as the library's load
// would, with a process hook in the debugger's place that records what it is
// told.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "context_test.h"
#include "core/startup.h"
#include "sink.h"
#include "support.h"

int hookCalls = 0;
unsigned long hookLastReason = 99;
bool hookCoreStood = false;

static int recordHook(void *, unsigned long reason, void *) {
    ++hookCalls;
    hookLastReason = reason;
    hookCoreStood = __glsSystemLibrary && __glsContextDict && __glsContextTLS >= 0;
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

void GlsContextTest::SetUp() {
    Sink::reset();
    glsGetError();  // an error left pending before the test is not its own
    name = glsGenContext();
    ASSERT_NE(0u, name);
    glsContext(name);
    ASSERT_EQ(name, glsGetCurrentContext());
    ASSERT_TRUE(ctx());
}

void GlsContextTest::TearDown() {
    // Captures the test left open end the ordinary way, writing what they
    // still hold while their context is current, before the context goes.
    if (name && glsGetCurrentContext() == name) {
        while (ctx()->captureNesting) glsEndCapture();
    }
    glsContext(0);
    // The test may have deleted its context itself.
    if (name && glsIsContext(name)) glsDeleteContext(name);
    const GLSenum pending = glsGetError();
    if (endsWithoutError) {
        EXPECT_EQ(0u, pending);
    }
}

namespace {
class GlsEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
#if !defined(_WIN32)
        // Natively the stand-in system library is the fake built beside us.
        setenv("GLS_SYSTEM_DIRECTORY", FAKE_GL_DIRECTORY, 1);
#endif
        __glsSetProcessHook(recordHook);
        ASSERT_EQ(1, __glsProcessAttach(nullptr, 1, nullptr));
    }
    void TearDown() override { __glsProcessDetach(nullptr, 0, nullptr); }
};
const auto *environment = ::testing::AddGlobalTestEnvironment(new GlsEnvironment);
}  // namespace
