// A stopwatch on the performance counter (the program clock's nanoseconds), in milliseconds: the frame
// statistics and the demo overlays time their work with it.
#pragma once

#include <cstdint>

class PerfTimer
{
public:
    PerfTimer() = default;

    void Start();
    // Whether it was running; only then is the duration brought up to date.
    bool Stop();
    // Milliseconds from the start to the stop, or to now while running.
    double GetDuration();

private:
    void CalcDuration();

    int64_t start = 0;
    double duration = 0.0;
    bool running = false;
};
