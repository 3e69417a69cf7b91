// A program that crashes in the way its first argument names, for the crash catcher's tests; the
// "running-" ways run a whole application first. Options:
// "--app" makes an application object first, "--demo PATH" has it record a demo into PATH, and
// "--window" leaves the crash window on.
#include "app/TolmAppBase.h"
#include "diagnostics/CrashCatcher.h"
#include "platform/ExceptionFilter.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <pthread.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

// Read through volatile objects, so that the compiler cannot see the faults coming and turn them into
// something else.
volatile int* volatile nowhere = nullptr;
volatile int zero = 0;
volatile int one = 1;
volatile bool keepGoing = true;

__attribute__((noinline)) void WriteToNull()
{
    *nowhere = 1;
    asm volatile("");
}

__attribute__((noinline)) void DivideByZero()
{
    volatile int quotient = one / zero;
    (void)quotient;
}

__attribute__((noinline)) void ThrowUncaught()
{
    throw std::runtime_error("nobody catches this");
}

__attribute__((noinline)) int Recurse(int depth)
{
    volatile char frame[512];
    frame[0] = char(depth);
    int below = keepGoing ? Recurse(depth + 1) : 0;
    return below + frame[0];
}

__attribute__((noinline)) void ExecuteIllegalInstruction()
{
    __builtin_trap();
}

__attribute__((noinline)) void CorruptHeap()
{
    char* volatile block = static_cast<char*>(std::malloc(24));
    std::free(block);
    std::free(block);
    asm volatile("");
}

} // namespace

// The program's allocator is the C library's behind a lock of its own, as a replacement allocator
// has: a fault inside it, or a thread that holds it, leaves the heap locked for the crash path. The
// sanitizers bring allocators of their own.
#ifndef QUENDARA_SANITIZED
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void __libc_free(void* block);
}

namespace {

pthread_mutex_t heapLock = PTHREAD_MUTEX_INITIALIZER;
volatile bool faultInAllocator = false;

struct HeapLockHolder
{
    HeapLockHolder()
    {
        pthread_mutex_lock(&heapLock);
        if (faultInAllocator) {
            WriteToNull();
        }
    }
    ~HeapLockHolder() { pthread_mutex_unlock(&heapLock); }
    HeapLockHolder(const HeapLockHolder&) = delete;
    HeapLockHolder& operator=(const HeapLockHolder&) = delete;
};

} // namespace

extern "C" void* malloc(size_t size)
{
    HeapLockHolder held;
    return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size)
{
    HeapLockHolder held;
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, size_t size)
{
    HeapLockHolder held;
    return __libc_realloc(block, size);
}

extern "C" void free(void* block)
{
    HeapLockHolder held;
    __libc_free(block);
}
#endif

namespace {

__attribute__((noinline)) void FaultInsideTheAllocator()
{
#ifndef QUENDARA_SANITIZED
    faultInAllocator = true;
    void* block = std::malloc(16);
    std::free(block);
#endif
}

// Faults while another thread is inside the allocator.
__attribute__((noinline)) void FaultWhileTheHeapIsHeld()
{
#ifndef QUENDARA_SANITIZED
    std::atomic<bool> holding{false};
    std::thread([&holding] {
        pthread_mutex_lock(&heapLock);
        holding = true;
        for (;;) {
            pause();
        }
    }).detach();
    while (!holding) {
    }
#endif
    WriteToNull();
}

// An application whose program information faults, as a broken application object would.
class BrokenInfoApp : public Tolm::TolmAppBase
{
public:
    std::string GetProgramInfo() override
    {
        WriteToNull();
        return std::string();
    }
};

// Faults when the program's static objects are destroyed, after the application is gone.
struct FaultAtExit
{
    ~FaultAtExit()
    {
        if (armed) {
            WriteToNull();
        }
        asm volatile("");
    }
    bool armed = false;
} faultAtExit;

// Faults on threads of their own while the main thread goes on as a main loop does: a loop that
// stops for a crash on another thread.
void FaultOnThreads(Tolm::TolmAppBase* app, int count)
{
    std::atomic<int> ready{0};
    for (int i = 0; i < count; ++i) {
        std::thread([&ready, count] {
            ++ready;
            while (ready < count) {
            }
            WriteToNull();
        }).detach();
    }
    for (;;) {
        if (app) {
            app->StopForCrash();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// An application initialised as the game's is, on SDL's dummy drivers with its settings in the
// current folder, whose main loop runs until a thread of its own faults at its tenth update.
class RunningApp : public Tolm::TolmAppBase
{
public:
    enum class Ending
    {
        // The loop goes on and stops for the crash.
        kLoopStops,
        // The update that starts the faulting thread never returns to the loop.
        kLoopHeldBusy,
        // The main thread faults, and the crash path hangs in the program information.
        kCrashPathHangs,
    };

    explicit RunningApp(Ending ending) : ending(ending)
    {
        productName = "Crash Victim";
        companyName = "Test Company";
        registryKey = "Test Company\\Crash Victim";
        singleInstance = false;
    }

    bool KeepCurrentDirectory(const std::string&) override { return true; }

    void Update() override
    {
        TolmAppBase::Update();
        if (updateCount != kFaultingUpdate) {
            return;
        }
        if (ending == Ending::kCrashPathHangs) {
            WriteToNull();
        }
        Platform::StartThread([] { WriteToNull(); }).detach();
        while (ending == Ending::kLoopHeldBusy) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    std::string GetProgramInfo() override
    {
        while (ending == Ending::kCrashPathHangs) {
            pause();
        }
        return TolmAppBase::GetProgramInfo();
    }

private:
    static constexpr int kFaultingUpdate = 10;
    Ending ending;
};

const std::map<std::string, RunningApp::Ending> kRunningEndings = {
    {"running-loop-stops", RunningApp::Ending::kLoopStops},
    {"running-loop-busy", RunningApp::Ending::kLoopHeldBusy},
    {"running-crash-hangs", RunningApp::Ending::kCrashPathHangs},
};

void RunApplication(RunningApp::Ending ending, const std::string& demo)
{
    std::string here = std::filesystem::current_path().string();
    setenv("XDG_CONFIG_HOME", (here + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (here + "/data").c_str(), 1);
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    auto* app = new RunningApp(ending);
    if (!demo.empty()) {
        app->demoFileName = demo;
        app->recordingDemo = true;
    }
    app->Init();
    app->Start();
}

const std::map<std::string, void (*)()> kFaults = {
    {"null-write", WriteToNull},
    {"divide", DivideByZero},
    {"abort", std::abort},
    {"exception", ThrowUncaught},
    {"stack-overflow", [] { Recurse(0); }},
    {"illegal", ExecuteIllegalInstruction},
    {"heap", CorruptHeap},
    {"fault-in-allocator", FaultInsideTheAllocator},
    {"heap-held", FaultWhileTheHeapIsHeld},
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        return 2;
    }
    std::string way = argv[1];
    bool withApp = false;
    std::string demo;
    CrashCatcher::showCrashWindow = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--app") == 0) {
            withApp = true;
        } else if (std::strcmp(argv[i], "--demo") == 0 && i + 1 < argc) {
            demo = argv[++i];
        } else if (std::strcmp(argv[i], "--window") == 0) {
            CrashCatcher::showCrashWindow = true;
        }
    }
    Tolm::TolmAppBase* app = nullptr;
    if (withApp || way == "program-info" || way == "after-app") {
        app = way == "program-info" ? new BrokenInfoApp() : new Tolm::TolmAppBase();
        app->productName = "Crash Victim";
        if (!demo.empty()) {
            app->demoFileName = demo;
            app->recordingDemo = true;
            app->updateCount = 20;
        }
    }
    if (auto running = kRunningEndings.find(way); running != kRunningEndings.end()) {
        RunApplication(running->second, demo);
        return 2;
    }
    if (way == "after-app") {
        delete app;
        faultAtExit.armed = true;
        return 0;
    }
    if (way == "thread" || way == "two-threads") {
        FaultOnThreads(app, way == "thread" ? 1 : 2);
    }
    if (way == "program-info") {
        WriteToNull();
    }
    auto fault = kFaults.find(way);
    if (fault == kFaults.end()) {
        return 2;
    }
    fault->second();
    return 0;
}
