// The bar at the left edge of the game screen that shows how far the level has come towards its goal.
// Despite the name it measures no time. It keeps the raw progress, which jumps as locks are cleared, and
// the displayed level, which follows behind so that the bar rises in step with the fluids flying to it;
// a particle line rides on the top of the fill. The application deletes the singleton at exit.
#pragma once

#include "core/LiveValue.h"
#include "core/Singleton.h"
#include "widgets/Widget.h"

#include <memory>

class ParticleEmitter;

namespace Tolm {
class Image;
}

class TimerPanel : public Tolm::Widget, public Singleton<TimerPanel>
{
public:
    TimerPanel();
    ~TimerPanel() override;

    // Level set-up: an empty bar, then the goal.
    void Reset();
    void SetGoal(float value);
    // Restoring a saved level: the bar shows the fraction at once.
    void SetProgressFraction(float fraction);
    void AddProgress(float amount);
    // Raises the displayed level, never past the progress or the goal.
    void AdvanceDisplay(float amount);
    void SyncDisplay();
    // At most 1; a level without a goal counts as done.
    float GetProgressFraction() const;
    float GetDisplayedFraction() const;
    // The screen point of the top of the fill, where the fluids aim.
    float GetBarX() const;
    float GetBarLevelY();

    // Without animate the panel jumps to its place.
    void SetShown(bool shown, bool animate);
    // False only when fully hidden left of the screen.
    bool IsOnScreen() const;

    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;

    float goal = 1;
    // In progress units.
    LiveValue displayed;
    float progress = 0;
    int shownX = 8;
    // The panel's x.
    LiveValue slide;
    Tolm::Image* background;
    Tolm::Image* front;
    Tolm::Image* fill;
    std::unique_ptr<ParticleEmitter> emitter;

private:
    // The fill's height, read once.
    int FillHeight();
    // min(value / goal, 1), and 1 when there is no goal.
    float Fraction(float value) const;

    int fillHeight = -1;
};
