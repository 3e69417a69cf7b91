#include "platform/ExceptionFilter.h"

#include "platform/ThreadStack.h"

#include <array>
#include <atomic>
#include <csignal>
#include <exception>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

namespace Platform {

namespace {

constexpr std::array<int, 6> kFatalSignals = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGSYS};
// Enough for the whole crash report, which walks and names the stack on it: the demangler that needs
// no heap keeps its work on the stack, some hundreds of kilobytes for the longest name it is given.
// Only the pages a crash touches are ever backed.
constexpr size_t kSignalStackSize = 2 * 1024 * 1024;
// The kernel keeps this much unmapped below a growing stack; a fault in it is an overflow.
constexpr uintptr_t kStackGuardGap = 1024 * 1024;
constexpr uintptr_t kPageSize = 4096;

std::atomic<TopLevelExceptionFilter> currentFilter{nullptr};
struct sigaction previousActions[kFatalSignals.size()];
std::terminate_handler previousTerminate = nullptr;
bool installed = false;

std::atomic<pid_t> faultingThread{0};
std::atomic<int> faultSignal{0};

pid_t ThreadId()
{
    return pid_t(syscall(SYS_gettid));
}

[[noreturn]] void DieBySignal(int signal)
{
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigaction(signal, &fallback, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    raise(signal);
    _exit(128 + signal);
}

void OnWatchdog(int)
{
    DieBySignal(faultSignal.load());
}

// Returns on the thread that is to report; a thread that faults while another reports stops here, and
// one that faults while it reports ends the process by the first signal.
void ClaimFault(int signal)
{
    pid_t self = ThreadId();
    pid_t owner = 0;
    if (faultingThread.compare_exchange_strong(owner, self)) {
        faultSignal = signal;
        return;
    }
    if (owner == self) {
        DieBySignal(faultSignal.load());
    }
    ParkThread();
}

[[noreturn]] void Report(ExceptionRecord record, const ProcessorContext& context)
{
    ExceptionPointers pointers{&record, &context};
    if (TopLevelExceptionFilter filter = currentFilter.load()) {
        filter(&pointers);
    }
    DieBySignal(record.signal);
}

bool InStackGuard(const void* dataAddress)
{
    StackBounds stack = CurrentThreadStack();
    uintptr_t address = reinterpret_cast<uintptr_t>(dataAddress);
    return stack.low != 0 && address < stack.low + kPageSize && address + kStackGuardGap >= stack.low;
}

void OnFatalSignal(int signal, siginfo_t* info, void* context)
{
    ClaimFault(signal);
    ProcessorContext processor(context);
    // A signal sent by a program carries no data address.
    bool overflow = signal == SIGSEGV && info->si_code > 0 && InStackGuard(info->si_addr);
    Report({ExceptionCodeOf(signal, info->si_code, overflow), processor.ProgramCounter(), signal}, processor);
}

[[noreturn]] void OnTerminate()
{
    ClaimFault(SIGABRT);
    static ucontext_t here;
    getcontext(&here);
    ProcessorContext processor(&here);
    Report({EXCEPTION_CPP, processor.ProgramCounter(), SIGABRT}, processor);
}

void Install()
{
    struct sigaction action = {};
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    // A fault of another kind while one is handled ends the process at once, by the kernel.
    sigemptyset(&action.sa_mask);
    for (int signal : kFatalSignals) {
        sigaddset(&action.sa_mask, signal);
    }
    for (size_t i = 0; i < kFatalSignals.size(); ++i) {
        sigaction(kFatalSignals[i], &action, &previousActions[i]);
    }
    previousTerminate = std::set_terminate(OnTerminate);
    installed = true;
}

void Uninstall()
{
    for (size_t i = 0; i < kFatalSignals.size(); ++i) {
        sigaction(kFatalSignals[i], &previousActions[i], nullptr);
    }
    std::set_terminate(previousTerminate);
    installed = false;
}

struct SignalStack
{
    SignalStack()
    {
        void* block =
            mmap(nullptr, kSignalStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
        if (block == MAP_FAILED) {
            return;
        }
        stack_t stack = {};
        stack.ss_sp = block;
        stack.ss_size = kSignalStackSize;
        if (sigaltstack(&stack, nullptr) == 0) {
            memory = block;
        } else {
            munmap(block, kSignalStackSize);
        }
    }

    ~SignalStack()
    {
        if (!memory) {
            return;
        }
        stack_t off = {};
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
        munmap(memory, kSignalStackSize);
    }

    SignalStack(const SignalStack&) = delete;
    SignalStack& operator=(const SignalStack&) = delete;

    void* memory = nullptr;
};

uint32_t FloatCode(int signalCode)
{
    switch (signalCode) {
    case FPE_INTDIV:
        return EXCEPTION_INT_DIVIDE_BY_ZERO;
    case FPE_INTOVF:
        return EXCEPTION_INT_OVERFLOW;
    case FPE_FLTDIV:
        return EXCEPTION_FLT_DIVIDE_BY_ZERO;
    case FPE_FLTOVF:
        return EXCEPTION_FLT_OVERFLOW;
    case FPE_FLTUND:
        return EXCEPTION_FLT_UNDERFLOW;
    case FPE_FLTRES:
        return EXCEPTION_FLT_INEXACT_RESULT;
    case FPE_FLTSUB:
        return EXCEPTION_ARRAY_BOUNDS_EXCEEDED;
    default:
        // Invalid operations, and a floating-point signal sent rather than raised by the processor.
        return EXCEPTION_FLT_INVALID_OPERATION;
    }
}

} // namespace

TopLevelExceptionFilter SetUnhandledExceptionFilter(TopLevelExceptionFilter filter)
{
    TopLevelExceptionFilter previous = currentFilter.exchange(filter);
    if (filter && !installed) {
        PrepareThreadForFaults();
        Install();
    } else if (!filter && installed) {
        Uninstall();
    }
    return previous;
}

uint32_t ExceptionCodeOf(int signal, int signalCode, bool inStackGuard)
{
    switch (signal) {
    case SIGSEGV:
        return inStackGuard ? EXCEPTION_STACK_OVERFLOW : EXCEPTION_ACCESS_VIOLATION;
    case SIGBUS:
        return signalCode == BUS_ADRALN ? EXCEPTION_DATATYPE_MISALIGNMENT : EXCEPTION_IN_PAGE_ERROR;
    case SIGFPE:
        return FloatCode(signalCode);
    case SIGILL:
        return signalCode == ILL_PRVOPC ? EXCEPTION_PRIV_INSTRUCTION : EXCEPTION_ILLEGAL_INSTRUCTION;
    case SIGSYS:
        return EXCEPTION_INVALID_SYSTEM_SERVICE;
    default:
        return EXCEPTION_FATAL_APP_EXIT;
    }
}

bool FaultInProgress()
{
    return faultingThread.load() != 0;
}

bool IsFaultingThread()
{
    return faultingThread.load() == ThreadId();
}

void ParkThread()
{
    for (;;) {
        pause();
    }
}

void SetFaultWatchdog(unsigned seconds)
{
    if (!FaultInProgress()) {
        return;
    }
    if (seconds > 0) {
        struct sigaction action = {};
        action.sa_handler = OnWatchdog;
        sigaction(SIGALRM, &action, nullptr);
    }
    alarm(seconds);
}

void PrepareThreadForFaults()
{
    thread_local SignalStack stack;
    RememberThreadStack();
}

} // namespace Platform
