// The section profiler for development, on the processor's time-stamp counter: the application's F2
// key starts it, and stops it again to show its report in a box titled "Perf Results". Sections are
// queued as start and end events while it runs and only counted when it stops, so that counting them
// costs the measured code nothing; the time that counting takes is left out of the total. Also the
// nesting counter that the application keeps around its redraws. All of it runs on the main thread.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct ProfilerEvent
{
    // Outlives the profiler's run: a literal, as a section names itself.
    const char* name;
    uint64_t timeStamp;
    bool start;
};

struct ProfilerSample
{
    std::string name;
    // The time stamp of the outermost open call.
    uint64_t startStamp = 0;
    uint64_t totalTicks = 0;
    double totalMilliseconds = 0.0;
    // Ticks while the profiler runs, milliseconds once it has stopped.
    double longest = 0.0;
    int depth = 0;
    int calls = 0;
};

class Profiler
{
public:
    // Forgets every sample; with stayInactive false it also starts the run.
    void Start(bool stayInactive);
    // Counts the queued events, ends the run and turns the measurements into milliseconds.
    void Stop();
    // Meant to be read after Stop.
    std::string GetReport() const;
    bool IsActive() const { return active; }
    // Enters (false) or leaves (true) a nested section; the depth never goes below 0. Returns it.
    int TrackDepth(bool leaving);
    // A section's start or end, stamped now; only while the profiler runs.
    void QueueEvent(const char* name, bool start);

private:
    // Names compared without regard to case, as "Draw" and "draw" are one section.
    struct NoCaseLess
    {
        bool operator()(const std::string& a, const std::string& b) const;
    };

    void FlushEvents();
    void ProcessEvent(const ProfilerEvent& event);

    bool active = false;
    uint64_t startStamp = 0;
    // Ticks spent counting queued events since the start.
    uint64_t overhead = 0;
    // Ticks per second: measured at the first stop, then kept.
    int64_t tickRate = 0;
    double totalTime = 0.0;
    std::vector<ProfilerEvent> events;
    std::map<std::string, ProfilerSample, NoCaseLess> samples;
    int depth = 0;
};

// The process's profiler, which the functions below work on.
Profiler& GetProfiler();

void ProfilerStart(bool stayInactive);
void ProfilerStop();
std::string ProfilerGetReport();
bool ProfilerIsActive();
int ProfilerTrackDepth(bool leaving);

// Time-stamp ticks per second, counted over one hundredth of a second of the performance counter at a
// raised priority; 0 when the counter does not move.
int64_t MeasureTickRate();

// Keeps the nesting counter raised for the life of a scope.
class ProfilerSection
{
public:
    ProfilerSection() { ProfilerTrackDepth(false); }
    ~ProfilerSection() { ProfilerTrackDepth(true); }
    ProfilerSection(const ProfilerSection&) = delete;
    ProfilerSection& operator=(const ProfilerSection&) = delete;
};

// Times a scope as the named section of the process's profiler while it runs. Nothing in the program
// times sections; a developer puts one where a question needs it.
class ProfilerTimedSection
{
public:
    explicit ProfilerTimedSection(const char* name) : name(name) { GetProfiler().QueueEvent(name, true); }
    ~ProfilerTimedSection() { GetProfiler().QueueEvent(name, false); }
    ProfilerTimedSection(const ProfilerTimedSection&) = delete;
    ProfilerTimedSection& operator=(const ProfilerTimedSection&) = delete;

private:
    const char* name;
};
