// rdtsc on x86; CLOCK_MONOTONIC_RAW elsewhere, which no time adjustment slews.
#include "platform/TimeStampCounter.h"

#include <atomic>
#include <time.h>
#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace Platform {

namespace {

std::atomic<TickSource*> installedSource{nullptr};

} // namespace

uint64_t TimeStampCounter::Ticks()
{
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_RAW, &now);
    return uint64_t(now.tv_sec) * 1000000000u + uint64_t(now.tv_nsec);
#endif
}

TickSource& GetTickSource()
{
    static TimeStampCounter counter;
    TickSource* source = installedSource.load(std::memory_order_acquire);
    return source ? *source : counter;
}

void SetTickSource(TickSource* source)
{
    installedSource.store(source, std::memory_order_release);
}

} // namespace Platform
