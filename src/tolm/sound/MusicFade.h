// The volume both music back ends give a song: it fades by a step on every update, up to the song's cap
// or down to silence, where the song may have asked to stop.
#pragma once

namespace Tolm {

struct MusicFade
{
    double volume = 0.0;
    double fadeStep = 0.0;
    double volumeCap = 1.0;
    bool stopWhenSilent = false;

    // Full volume at once, no fade running.
    void StartAtCap()
    {
        volume = volumeCap;
        fadeStep = 0.0;
    }
    // One update's step: false when no fade runs and the volume stays. stopNow says that this step
    // reached silence in a song that asked to stop there.
    bool Step(bool& stopNow);
};

} // namespace Tolm
