#include "diagnostics/Profiler.h"

namespace {

int depth = 0;
bool active = false;

} // namespace

void ProfilerTrackDepth(bool leave)
{
    depth += leave ? -1 : 1;
}

bool ProfilerIsActive()
{
    return active;
}

void ProfilerStart(bool)
{
    active = true;
}

void ProfilerStop()
{
    active = false;
}

std::string ProfilerGetReport()
{
    return std::string();
}
