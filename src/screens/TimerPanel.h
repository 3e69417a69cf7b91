// Stand-in for the progress panel until the game screens exist: the level's goal and the progress toward
// it, without the bar. Despite the name it measures no time. The application deletes the singleton at
// exit.
#pragma once

#include "core/Singleton.h"

#include <algorithm>

class TimerPanel : public Singleton<TimerPanel>
{
public:
    void Reset() { progress = 0; }
    void SetGoal(float value) { goal = value; }
    void AddProgress(float amount) { progress += amount; }
    // Restoring a saved level.
    void SetProgressFraction(float fraction) { progress = fraction * goal; }
    // At most 1; a level without a goal counts as done.
    float GetProgressFraction() const { return goal > 0 ? std::min(progress / goal, 1.0f) : 1.0f; }

    float goal = 1;
    float progress = 0;
};
