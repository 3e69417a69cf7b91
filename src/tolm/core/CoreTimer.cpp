// The core clock, its callbacks, the deferred-deletion list and the millisecond stopwatch.
#include "core/CoreTimer.h"

#include "platform/Clock.h"

#include <memory>
#include <vector>

namespace {

CoreTimeSource*& InstalledSource()
{
    static CoreTimeSource* source = nullptr;
    return source;
}

int SourceUpdateCount()
{
    CoreTimeSource* source = InstalledSource();
    return source ? source->GetUpdateCount() : 0;
}

double SourceCoreTime()
{
    CoreTimeSource* source = InstalledSource();
    return source ? source->GetCoreTime() : 0.0;
}

CoreTimeCallbacks& InstalledCallbacks()
{
    static CoreTimeCallbacks callbacks;
    return callbacks;
}

std::vector<std::unique_ptr<CoreObject>>& CoreObjects()
{
    static std::vector<std::unique_ptr<CoreObject>> objects;
    return objects;
}

// The start of the millisecond clock, in the platform clock's nanoseconds.
uint64_t& MillisecondClockStart()
{
    static uint64_t start = 0;
    return start;
}

constexpr uint64_t kNanosecondsPerMillisecond = 1000000;
constexpr uint32_t kLongestStepMs = 100;

MillisecondTimer StartedMillisecondTimer()
{
    InitMillisecondClock();
    MillisecondTimer timer;
    timer.Update();
    return timer;
}

} // namespace

void SetCoreTimeSource(CoreTimeSource* source)
{
    InstalledSource() = source;
}

tolmTimer::tolmTimer()
    : previousUpdateCount(SourceUpdateCount()), previousCoreTime(SourceCoreTime()),
      currentUpdateCount(previousUpdateCount), currentCoreTime(previousCoreTime)
{}

void tolmTimer::Update()
{
    previousUpdateCount = currentUpdateCount;
    previousCoreTime = currentCoreTime;
    currentUpdateCount = SourceUpdateCount();
    currentCoreTime = SourceCoreTime();
}

bool AlwaysTrue()
{
    return true;
}

float CoreTickSeconds()
{
    tolmTimer* timer = tolmTimer::Instance();
    return float((timer->GetCurrentCoreTime() - timer->GetPreviousCoreTime()) * 0.01);
}

int CoreTickMs()
{
    tolmTimer* timer = tolmTimer::Instance();
    return (timer->GetCurrentUpdateCount() - timer->GetPreviousUpdateCount()) * 10;
}

int CoreTotalMs()
{
    return tolmTimer::Instance()->GetCurrentUpdateCount() * 10;
}

int CoreTimerFlag()
{
    return tolmTimer::Instance()->GetFlag();
}

const CoreTimeCallbacks& GetCoreTimeCallbacks()
{
    return InstalledCallbacks();
}

void InstallCoreTimeCallbacks()
{
    InstalledCallbacks() = CoreTimeCallbacks{AlwaysTrue, CoreTickSeconds, CoreTickMs, CoreTotalMs, CoreTimerFlag};
    CoreObjectList::Init();
    tolmTimer::Instance();
}

void TickCore()
{
    tolmTimer::Instance()->Update();
    CoreObjectList::Tick();
}

void ShutdownCore()
{
    CoreObjectList::Shutdown();
    delete tolmTimer::RegisteredInstance();
}

void CoreObjectList::Add(CoreObject* object)
{
    CoreObjects().emplace_back(object);
}

void CoreObjectList::Init()
{
    DeleteAll();
}

void CoreObjectList::Tick()
{
    DeleteAll();
}

void CoreObjectList::Shutdown()
{
    DeleteAll();
}

// An object's destructor may hand over further objects; those wait for the next tick.
void CoreObjectList::DeleteAll()
{
    std::vector<std::unique_ptr<CoreObject>> doomed;
    doomed.swap(CoreObjects());
}

void InitMillisecondClock()
{
    MillisecondClockStart() = Platform::GetClock().Nanoseconds();
}

int MillisecondTimer::Update()
{
    uint64_t now = (Platform::GetClock().Nanoseconds() - MillisecondClockStart()) / kNanosecondsPerMillisecond;
    uint32_t elapsed = uint32_t(now) - uint32_t(lastReading);
    if (speedFactor > 1) {
        elapsed *= uint32_t(speedFactor);
    } else if (elapsed > kLongestStepMs) {
        elapsed = kLongestStepMs;
    }
    lastReading = int(uint32_t(now));
    totalMs = int(uint32_t(totalMs) + elapsed);
    elapsedMs = int(elapsed);
    totalSeconds = float(totalMs * 0.001);
    elapsedSeconds = float(elapsed * 0.001);
    return int(elapsed);
}

MillisecondTimer& MillisecondTimer::Program()
{
    static MillisecondTimer timer = StartedMillisecondTimer();
    return timer;
}
