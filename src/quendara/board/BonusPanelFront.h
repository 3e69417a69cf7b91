// The plate over the bonus panel: it frames the five tool buttons, carries three charge lights over each
// (one per whole charge, pulsing while lit, fading out while the panel is closed) and draws the liana
// that hangs over the board's bottom edge. Presses fall through it to the buttons.
#pragma once

#include "core/LiveValue.h"
#include "core/Singleton.h"
#include "widgets/Widget.h"

#include <array>

namespace Tolm {
class Image;
}

struct BonusLight
{
    // Dark; the phase drawn at random.
    BonusLight(int x, int y, Tolm::Image* image);

    void Draw(Tolm::Graphics* g) const;

    // In the front's coordinates.
    int x;
    int y;
    // A resource.
    Tolm::Image* image;
    bool lit = false;
    // Updates; the darkening pulses with it.
    int phase;
};

// The fifteen lights, three per button in button order: light 3g + k - 1 stands for charge k of button g.
class BonusPanelLights : public Singleton<BonusPanelLights>
{
public:
    static constexpr int kLights = 15;

    // Placed from the front's position at that moment: make the lights after the front is placed.
    BonusPanelLights();

    // Follows the buttons' charges; once per update.
    void Update();
    void Draw(Tolm::Graphics* g) const;
    // Particles at a light's centre as it comes on or goes out; nothing for an index past the last.
    void SpawnOn(int index) const;
    void SpawnOff(int index) const;

    std::array<BonusLight, kLights> lights;

private:
    void SpawnAt(const char* effect, int index) const;
};

class BonusPanelFront : public Tolm::Widget, public Singleton<BonusPanelFront>
{
public:
    BonusPanelFront();
    ~BonusPanelFront() override;

    // The lights fade out while dimmed, and back in.
    void SetDimmed(bool dim);
    void LightOn(int index);
    void LightOff(int index);

    void Update() override;
    // dt in update periods.
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;

    // Resources.
    Tolm::Image* image;
    Tolm::Image* liana;
    // The lights' opacity.
    LiveValue dim;
};
