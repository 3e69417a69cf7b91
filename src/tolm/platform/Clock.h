// The program's one source of time. Every timing decision reads it through GetClock(), so tests
// replace it with a ManualClock and drive frames, stalls and sleeps without waiting.
#pragma once

#include <atomic>
#include <cstdint>

namespace Platform {

class Clock
{
public:
    virtual ~Clock() = default;

    // Milliseconds since an arbitrary start, wrapping at 2^32 like the tick counts the timing code compares.
    virtual uint32_t Milliseconds() = 0;
    // Nanoseconds since the same start, for the high-resolution counter.
    virtual uint64_t Nanoseconds() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
};

// The monotonic system clock; sleeping really sleeps.
class SystemClock : public Clock
{
public:
    uint32_t Milliseconds() override;
    uint64_t Nanoseconds() override;
    void Sleep(uint32_t milliseconds) override;
};

// A clock that moves only when told to; a sleep advances it by the time asked for. Other threads (the
// mouse-poll thread) may read it while a test moves it.
class ManualClock : public Clock
{
public:
    explicit ManualClock(uint64_t startNanoseconds = 0) : now(startNanoseconds) {}

    uint32_t Milliseconds() override { return uint32_t(now.load() / 1000000); }
    uint64_t Nanoseconds() override { return now.load(); }
    void Sleep(uint32_t milliseconds) override { Advance(milliseconds); }

    void Advance(uint32_t milliseconds) { now += uint64_t(milliseconds) * 1000000; }
    void AdvanceNanoseconds(uint64_t nanoseconds) { now += nanoseconds; }

private:
    std::atomic<uint64_t> now;
};

Clock& GetClock();
// Installs a clock for the whole program; null puts the system clock back. Not owned.
void SetClock(Clock* clock);

} // namespace Platform
