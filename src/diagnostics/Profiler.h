// Stand-in for the profiler until the diagnostics exist: the calls the application makes, with the
// nesting depth and the running flag kept, and an empty report.
#pragma once

#include <string>

// Enters (false) or leaves (true) a nested profiler section.
void ProfilerTrackDepth(bool leave);
bool ProfilerIsActive();
void ProfilerStart(bool fromDemo);
void ProfilerStop();
std::string ProfilerGetReport();

// Holds a profiler section for the life of a scope.
class ProfilerSection
{
public:
    ProfilerSection() { ProfilerTrackDepth(false); }
    ~ProfilerSection() { ProfilerTrackDepth(true); }
    ProfilerSection(const ProfilerSection&) = delete;
    ProfilerSection& operator=(const ProfilerSection&) = delete;
};
