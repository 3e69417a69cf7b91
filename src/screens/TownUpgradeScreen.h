// The state "TownUpgradeScreen", between two levels while the town is unfinished: the town with the
// player's totals in the top panel, where the buildings of the current group are bought, and from which
// Enter starts the next level. Stand-in until the upgrade panels exist: the town and the totals are
// shown, Enter goes on to the next level and the debug keys add to the totals, but nothing is offered
// for sale yet.
#pragma once

#include "app/BaseScreen.h"
#include "effects/GfxManager.h"
#include "widgets/Listeners.h"

#include <memory>
#include <string>

class GameStateManager;
class LabelClickToContinue;

class TownUpgradeScreen : public BaseScreen, public Tolm::ButtonListener, public GfxManager
{
public:
    static constexpr int kContinueButton = 0;
    static constexpr int kSideButton = 1;

    TownUpgradeScreen();
    ~TownUpgradeScreen() override;

    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;
    void KeyChar(char ch) override;
    void KeyDown(int keyCode) override;
    void OnEnter() override;
    void OnLeave() override;

    void ButtonClicked(int id) override;

    std::unique_ptr<LabelClickToContinue> label;
};

void RegisterTownUpgradeScreen(GameStateManager* manager, const std::string& name);
