// The state "TownUpgradeScreen", between two levels while the town is unfinished: the town with the
// upgrade panel of the current group's five buildings, the side tab back to the menu, the player's totals
// in the top panel and the town's building hints. A bought building is paid, stored as built and raised in
// the town while the panels slide away; the fifth of a group brings the stage-complete show. The continue
// button (or Enter) starts the next level.
#pragma once

#include "app/BaseScreen.h"
#include "effects/GfxManager.h"
#include "widgets/Listeners.h"

#include <memory>
#include <string>

class GameStateManager;
class HintWindowLogic;
class LabelClickToContinue;
class UpgradePanel;
class UpgradeSidePanel;

class TownUpgradeScreen : public BaseScreen, public Tolm::ButtonListener, public GfxManager
{
public:
    static constexpr int kContinueButton = 0;
    static constexpr int kSideButton = 1;
    // From the fifth building of a group to its stage-complete show, in seconds.
    static constexpr float kStageCompleteDelay = 1.5f;

    TownUpgradeScreen();
    // The top panel belongs to the application and is only taken out.
    ~TownUpgradeScreen() override;

    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;
    void KeyChar(char ch) override;
    void KeyDown(int keyCode) override;
    void MouseMove(int x, int y) override;
    using BaseScreen::MouseDown;
    void MouseDown(int x, int y, int signedClickCount) override;
    using BaseScreen::MouseUp;
    void MouseUp(int x, int y, int signedClickCount) override;
    void OnEnter() override;
    void OnLeave() override;

    void ButtonClicked(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    // The two ends of a bought building's build effect: it stands in the town, then its dust and sound.
    void BuildDone(int id);
    void BuildPlaced(int id);
    void ShowStageComplete();

    std::unique_ptr<HintWindowLogic> hintLogic;
    std::unique_ptr<LabelClickToContinue> label;
    std::unique_ptr<UpgradePanel> upgradePanel;
    std::unique_ptr<UpgradeSidePanel> sidePanel;
    // False while the player has put the panels away to look at the town.
    bool panelsShown = true;
    // A purchase waits for the panels to be out of view before the slots show its outcome.
    bool refreshPending = false;

private:
    void Purchase(int slot);
    // Built already, unknown, or dearer than the totals: a click that reached the screen anyway buys
    // nothing.
    static bool CanBuy(int id);
    void SlidePanels(bool in);
};

void RegisterTownUpgradeScreen(GameStateManager* manager, const std::string& name);
