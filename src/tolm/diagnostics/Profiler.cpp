#include "diagnostics/Profiler.h"

#include "core/StringUtils.h"
#include "diagnostics/PerformanceCounter.h"
#include "platform/ThreadPriority.h"
#include "platform/TimeStampCounter.h"

namespace {

uint64_t ReadTimeStamp()
{
    return Platform::GetTickSource().Ticks();
}

char LowerByte(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

} // namespace

bool Profiler::NoCaseLess::operator()(const std::string& a, const std::string& b) const
{
    size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        auto x = static_cast<unsigned char>(LowerByte(a[i]));
        auto y = static_cast<unsigned char>(LowerByte(b[i]));
        if (x != y) {
            return x < y;
        }
    }
    return a.size() < b.size();
}

void Profiler::Start(bool stayInactive)
{
    samples.clear();
    events.clear();
    overhead = 0;
    if (!stayInactive) {
        active = true;
    }
    startStamp = ReadTimeStamp();
}

void Profiler::Stop()
{
    FlushEvents();
    // Read after the flush: the flush's own time is in the overhead already.
    uint64_t now = ReadTimeStamp();
    active = false;
    if (tickRate <= 0) {
        tickRate = MeasureTickRate();
        if (tickRate <= 0) {
            tickRate = 1;
        }
    }
    double rate = double(tickRate);
    totalTime = double(now - overhead - startStamp) * 1000 / rate;
    for (auto& [name, sample] : samples) {
        sample.totalMilliseconds = double(sample.totalTicks) * 1000 / rate;
        sample.longest = sample.longest * 1000 / rate;
    }
}

std::string Profiler::GetReport() const
{
    std::string report = Tolm::FormatString("Total Time: %.2f\n", totalTime);
    for (const auto& [name, sample] : samples) {
        // A run that took no time at all leaves every share at 0 rather than dividing by it.
        double share = totalTime > 0 ? sample.totalMilliseconds / totalTime * 100 : 0.0;
        report += Tolm::FormatString("%s (%d calls, %%%.2f time): %.2f (%.2f avg, %.2f longest)\n", sample.name.c_str(),
                                     sample.calls, share, sample.totalMilliseconds,
                                     sample.totalMilliseconds / sample.calls, sample.longest);
    }
    return report;
}

int Profiler::TrackDepth(bool leaving)
{
    if (!leaving) {
        ++depth;
    } else if (depth > 0) {
        --depth;
    }
    return depth;
}

void Profiler::QueueEvent(const char* name, bool start)
{
    if (active) {
        events.push_back({name, ReadTimeStamp(), start});
    }
}

void Profiler::FlushEvents()
{
    uint64_t begin = ReadTimeStamp();
    for (const ProfilerEvent& event : events) {
        ProcessEvent(event);
    }
    events.clear();
    overhead += ReadTimeStamp() - begin;
}

// Every start counts as a call, but only the outermost call of a section that nests in itself is
// timed, so recursion adds its time once.
void Profiler::ProcessEvent(const ProfilerEvent& event)
{
    if (event.start) {
        ProfilerSample& sample = samples[event.name];
        if (sample.name.empty()) {
            sample.name = event.name;
        }
        ++sample.calls;
        if (++sample.depth == 1) {
            sample.startStamp = event.timeStamp;
        }
        return;
    }
    auto found = samples.find(event.name);
    if (found == samples.end()) {
        return;
    }
    ProfilerSample& sample = found->second;
    if (--sample.depth == 0) {
        uint64_t ticks = event.timeStamp - sample.startStamp;
        sample.totalTicks += ticks;
        if (double(ticks) > sample.longest) {
            sample.longest = double(ticks);
        }
    }
}

Profiler& GetProfiler()
{
    static Profiler profiler;
    return profiler;
}

void ProfilerStart(bool stayInactive)
{
    GetProfiler().Start(stayInactive);
}

void ProfilerStop()
{
    GetProfiler().Stop();
}

std::string ProfilerGetReport()
{
    return GetProfiler().GetReport();
}

bool ProfilerIsActive()
{
    return GetProfiler().IsActive();
}

int ProfilerTrackDepth(bool leaving)
{
    return GetProfiler().TrackDepth(leaving);
}

int64_t MeasureTickRate()
{
    Platform::RaisedThreadPriority priority;
    int64_t end = QueryPerformanceCounter() + kPerformanceFrequency / 100;
    uint64_t first = ReadTimeStamp();
    while (QueryPerformanceCounter() < end) {
    }
    uint64_t last = ReadTimeStamp();
    return int64_t((last - first) * 100);
}
