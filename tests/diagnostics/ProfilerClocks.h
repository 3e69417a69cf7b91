// Time sources the profiler tests drive: a tick counter that moves by a fixed step at each reading
// (0: it never moves), and a performance counter that moves one millisecond at each reading, so that
// measuring the tick rate ends. Both are installed for the life of the fixture.
#pragma once

#include "platform/Clock.h"
#include "platform/TimeStampCounter.h"

#include <gtest/gtest.h>

class SteppingTicks : public Platform::TickSource
{
public:
    uint64_t Ticks() override
    {
        uint64_t value = next;
        next += step;
        return value;
    }

    uint64_t next = 0;
    uint64_t step = 0;
};

class SteppingClock : public Platform::Clock
{
public:
    uint32_t Milliseconds() override { return uint32_t(Nanoseconds() / 1000000); }
    uint64_t Nanoseconds() override
    {
        uint64_t value = now;
        now += kStep;
        return value;
    }
    void Sleep(uint32_t milliseconds) override { now += uint64_t(milliseconds) * 1000000; }

    static constexpr uint64_t kStep = 1000000;
    uint64_t now = 0;
};

class ProfilerClockTest : public testing::Test
{
protected:
    ProfilerClockTest()
    {
        Platform::SetTickSource(&ticks);
        Platform::SetClock(&clock);
    }
    ~ProfilerClockTest() override
    {
        Platform::SetTickSource(nullptr);
        Platform::SetClock(nullptr);
    }

    SteppingTicks ticks;
    SteppingClock clock;
};
