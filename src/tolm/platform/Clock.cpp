// The system clock on CLOCK_MONOTONIC, which never jumps with the wall time.
#include "platform/Clock.h"

#include <atomic>
#include <cerrno>
#include <time.h>

namespace Platform {

namespace {

// Read by the loading and mouse threads too; set only by tests before they start any.
std::atomic<Clock*> installedClock{nullptr};

uint64_t MonotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000000000u + uint64_t(now.tv_nsec);
}

} // namespace

uint32_t SystemClock::Milliseconds()
{
    return uint32_t(MonotonicNanoseconds() / 1000000);
}

uint64_t SystemClock::Nanoseconds()
{
    return MonotonicNanoseconds();
}

void SystemClock::Sleep(uint32_t milliseconds)
{
    timespec remaining{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

Clock& GetClock()
{
    static SystemClock systemClock;
    Clock* clock = installedClock.load(std::memory_order_acquire);
    return clock ? *clock : systemClock;
}

void SetClock(Clock* clock)
{
    installedClock.store(clock, std::memory_order_release);
}

} // namespace Platform
