// The upgrade panel's buttons. A slot's buy button shows one of three faces:
// buy, bought, or not enough funds; the last two are locked, never look pressed
// and report no click, though the mouse entering them is still reported (the
// panel then shows the building's hint). The continue button leads on to the
// next level. Both darken a little while the mouse is elsewhere.
#pragma once

#include "core/LiveValue.h"
#include "gamewidgets/BaseButton.h"
#include "widgets/ButtonWidget.h"

#include <string>

class TownUpgradeButton : public Tolm::ButtonWidget
{
public:
    enum class State
    {
        Buy,
        Bought,
        NotEnough,
    };

    TownUpgradeButton(int id, Tolm::ButtonListener* listener);

    // The face, the label and whether it is locked.
    void SetState(State newState);
    State GetState() const { return state; }
    bool IsLocked() const { return locked; }

    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;
    using Tolm::ButtonWidget::MouseDown;
    using Tolm::ButtonWidget::MouseUp;
    void MouseDown(int x, int y, int button, int clickCount) override;
    void MouseUp(int x, int y, int button, int clickCount) override;

    // 0 while the mouse is over the button, 1 when not.
    LiveValue hover;
    std::string labelText;
    Tolm::Image* mask;
    bool locked = false;
    float textScale;
    int textOffsetY;

private:
    State state = State::Buy;
};

class UpgradePanelContinueButton : public BaseButton
{
public:
    UpgradePanelContinueButton(int id, Tolm::ButtonListener* listener);

    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;

    LiveValue hover;
    Tolm::Image* mask;
};
