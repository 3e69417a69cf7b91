#include "diagnostics/PerfTimer.h"

#include "diagnostics/PerformanceCounter.h"

void PerfTimer::Start()
{
    running = true;
    start = QueryPerformanceCounter();
}

bool PerfTimer::Stop()
{
    if (!running) {
        return false;
    }
    CalcDuration();
    running = false;
    return true;
}

double PerfTimer::GetDuration()
{
    if (running) {
        CalcDuration();
    }
    return duration;
}

void PerfTimer::CalcDuration()
{
    int64_t now = QueryPerformanceCounter();
    duration = double((now - start) * 1000) / double(kPerformanceFrequency);
}
