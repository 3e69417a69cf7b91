// The heads-up bar at the top of the game and town upgrade screens: the level number, the gold, food and
// supplies, and the score. Each figure is the profile's total plus what the level in progress has earned,
// which counts up smoothly as the board pays out. The panel slides down into view and up out of it. The
// application deletes the singleton at exit.
#pragma once

#include "core/LiveValue.h"
#include "core/Singleton.h"
#include "widgets/Listeners.h"
#include "widgets/Widget.h"

namespace Tolm {
class Image;
}

class TopPanel : public Tolm::Widget, public Tolm::ButtonListener, public Singleton<TopPanel>
{
public:
    TopPanel();
    ~TopPanel() override;

    // The counters start from the saved earnings of the level in progress.
    void ResetCounters();
    void AddGold(int amount);
    void AddFood(int amount);
    void AddSupplies(int amount);
    void AddScore(int amount);
    // What the counters are heading for, not what they show.
    int GetGold() const;
    int GetFood() const;
    int GetSupplies() const;
    int GetScore() const;

    // Without animate the panel jumps to its place.
    void SetShown(bool shown, bool animate);
    // False only when fully hidden above the screen.
    bool IsOnScreen() const;

    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;

    Tolm::Image* background;
    Tolm::Image* goldIcon;
    Tolm::Image* foodIcon;
    Tolm::Image* suppliesIcon;
    LiveValue gold;
    LiveValue food;
    LiveValue supplies;
    LiveValue score;
    // The panel's y.
    LiveValue slide;
    int shownY = 5;
};

// The game screen and the town upgrade screen share the one top panel: the screen shown takes it from the
// other as its child.
void AdoptTopPanel(Tolm::Widget& screen);
