// The performance counter the stopwatch and the profiler's calibration read: the program clock, which
// counts nanoseconds and which tests replace.
#pragma once

#include "platform/Clock.h"

#include <cstdint>

// Counts per second.
constexpr int64_t kPerformanceFrequency = 1000000000;

inline int64_t QueryPerformanceCounter()
{
    return int64_t(Platform::GetClock().Nanoseconds());
}
