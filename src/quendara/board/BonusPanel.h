// The bar of five bonus tools under the board: hammer, bomb, lightning, mixer and destroy. Exploded bonus
// bricks charge their tool; a press on a charged tool uses the lightning or the mixer at once and arms
// the others, which then act on the next brick pressed on the board. The board closes the bar's gates
// while it is hidden and opens them when a level shows. The game screen shows the bar, resets, saves and
// restores its charges.
#pragma once

#include "core/Singleton.h"
#include "widgets/Listeners.h"
#include "widgets/Widget.h"

#include <array>

class BonusButtonBase;

class BonusPanel : public Tolm::Widget, public Tolm::ButtonListener, public Singleton<BonusPanel>
{
public:
    static constexpr int kButtons = 5;
    // The bar's place on the screen; the buttons place their particles and hints from it.
    static constexpr int kScreenX = 50;
    static constexpr int kScreenY = 510;

    BonusPanel();
    ~BonusPanel() override;

    // Null outside 0..4.
    BonusButtonBase* GetButton(int id) const;
    // Types 27 to 31 charge their tool; what the tool's AddPoints reports, 0 for any other type.
    int AddCharge(int type, int points);
    // n = 1 (hammer) to 5 (destroy): one whole charge; the debug keys.
    void ChargeButton(int n);
    bool AnyChargeReady() const;
    void ResetCharges();
    // Hammer, bomb, lightning, mixer, destroy; a null pointer is skipped.
    void GetCharges(float* hammer, float* bomb, float* lightning, float* mixer, float* destroy) const;
    // Same order; a negative value leaves that tool as it is.
    void SetCharges(float hammer, float bomb, float lightning, float mixer, float destroy);
    bool IsHammerArmed() const;
    bool IsBombArmed() const;
    bool IsDestroyArmed() const;

    using Tolm::ButtonListener::ButtonPressed;
    void ButtonPressed(int id) override;
    // The board's press on cell (x, y): whether the armed tool acted there.
    bool UseArmedOn(int x, int y);
    void Deselect(bool withSound);
    // Closed gates ignore presses and dim the lights.
    void SetGatesOpen(bool open);

    // A press on the bar between the buttons disarms.
    void MouseDown(int x, int y, int button, int clickCount) override;
    using Tolm::Widget::MouseDown;

    // The id of the armed tool, -1 for none.
    int armed = -1;
    // Children of the bar.
    std::array<BonusButtonBase*, kButtons> buttons{};

private:
    // The pressed tool holds a charge: it acts at once or is armed.
    void PressCharged(BonusButtonBase* button);
    // After a tool acted on the board.
    void FinishUse(BonusButtonBase* button);
};
