// The process's last word on a fatal fault, in place of the system's unhandled-exception filter: one
// filter sees every fault that nothing else handles, on any thread, with the registers the thread
// stopped with. Faults are the signals SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT and SIGSYS (SIGINT and
// SIGTERM stay the application's: SDL makes them its quit request) and C++ exceptions that nothing
// catches, which reach the terminate handler. Each fault carries the code the system names it by.
//
// One fault is reported. The first thread that faults runs the filter; any other thread that faults
// meanwhile stops where it is, and a fault inside the filter ends the process at once. When the filter
// returns, the process ends by the first fault's signal (SIGABRT for an exception) with its default
// action, so that the exit status shows it and no core is lost.
//
// A handler needs a stack, and a thread that overflowed its own has none left: every thread gets a
// stack of its own for signals. The main thread gets it when the filter is installed, other threads
// when they start through StartThread, or by calling PrepareThreadForFaults themselves.
#pragma once

#include "platform/ProcessorContext.h"

#include <cstdint>
#include <thread>
#include <utility>

namespace Platform {

constexpr uint32_t EXCEPTION_DATATYPE_MISALIGNMENT = 0x80000002;
constexpr uint32_t EXCEPTION_ACCESS_VIOLATION = 0xC0000005;
constexpr uint32_t EXCEPTION_IN_PAGE_ERROR = 0xC0000006;
constexpr uint32_t EXCEPTION_INVALID_SYSTEM_SERVICE = 0xC000001C;
constexpr uint32_t EXCEPTION_ILLEGAL_INSTRUCTION = 0xC000001D;
constexpr uint32_t EXCEPTION_ARRAY_BOUNDS_EXCEEDED = 0xC000008C;
constexpr uint32_t EXCEPTION_FLT_DIVIDE_BY_ZERO = 0xC000008E;
constexpr uint32_t EXCEPTION_FLT_INEXACT_RESULT = 0xC000008F;
constexpr uint32_t EXCEPTION_FLT_INVALID_OPERATION = 0xC0000090;
constexpr uint32_t EXCEPTION_FLT_OVERFLOW = 0xC0000091;
constexpr uint32_t EXCEPTION_FLT_STACK_CHECK = 0xC0000092;
constexpr uint32_t EXCEPTION_FLT_UNDERFLOW = 0xC0000093;
constexpr uint32_t EXCEPTION_INT_DIVIDE_BY_ZERO = 0xC0000094;
constexpr uint32_t EXCEPTION_INT_OVERFLOW = 0xC0000095;
constexpr uint32_t EXCEPTION_PRIV_INSTRUCTION = 0xC0000096;
constexpr uint32_t EXCEPTION_STACK_OVERFLOW = 0xC00000FD;
// What the C++ runtime raises for a thrown object.
constexpr uint32_t EXCEPTION_CPP = 0xE06D7363;
// What the runtime's abort ends the program with.
constexpr uint32_t EXCEPTION_FATAL_APP_EXIT = 0x40000015;

struct ExceptionRecord
{
    uint32_t code;
    // The instruction that faulted.
    uintptr_t address;
    // The signal the process ends by.
    int signal;
};

struct ExceptionPointers
{
    ExceptionRecord* record;
    const ProcessorContext* context;
};

constexpr long EXCEPTION_CONTINUE_SEARCH = 0;
using TopLevelExceptionFilter = long (*)(ExceptionPointers* pointers);

// Installs the filter and returns the one it replaces. Null takes the faults back to what handled them
// before the first filter was installed.
TopLevelExceptionFilter SetUnhandledExceptionFilter(TopLevelExceptionFilter filter);

// The code of a signal with its si_code; inStackGuard: a SIGSEGV whose address lies just below the
// thread's stack.
uint32_t ExceptionCodeOf(int signal, int signalCode, bool inStackGuard);

// Whether a filter is handling a fault, and whether on the calling thread.
bool FaultInProgress();
bool IsFaultingThread();
// Stops the calling thread for good; the faulting thread ends the process.
[[noreturn]] void ParkThread();
// Ends the process by the fault's signal after this many seconds, should its handling hang; 0 stops the
// count. Only while a fault is handled.
void SetFaultWatchdog(unsigned seconds);

// Gives the calling thread its signal stack and notes where its stack lies. Cheap after the first call.
void PrepareThreadForFaults();

// A thread prepared for faults before it runs the body. Throws std::system_error, as std::thread does,
// when no thread can be started.
template <typename Body>
std::thread StartThread(Body&& body)
{
    return std::thread([task = std::forward<Body>(body)]() mutable {
        PrepareThreadForFaults();
        task();
    });
}

} // namespace Platform
