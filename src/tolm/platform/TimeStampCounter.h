// The processor's time-stamp counter: the profiler's fine clock, counting at a rate the profiler
// measures against the performance counter. Where the processor has none, the raw monotonic clock in
// nanoseconds stands in. Tests install a tick source of their own.
#pragma once

#include <cstdint>

namespace Platform {

class TickSource
{
public:
    virtual ~TickSource() = default;
    virtual uint64_t Ticks() = 0;
};

class TimeStampCounter : public TickSource
{
public:
    uint64_t Ticks() override;
};

TickSource& GetTickSource();
// Installs a tick source for the whole program; null puts the time-stamp counter back. Not owned.
void SetTickSource(TickSource* source);

} // namespace Platform
