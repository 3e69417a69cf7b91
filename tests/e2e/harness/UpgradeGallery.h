// The harness's screen of the town's upgrade panels over the living town, for scripts that take
// screenshots of them until the game's own upgrade screen exists: the panel and the side tab slide in,
// hovering a buy button shows its building's hint, and a buy click pays, stores the building and starts
// its build (the fall, the dust, a build sound, then the building stands), while the panels slide out and
// the slots are refreshed once they are gone. Typed keys: "g" gives the player 50 of each resource and
// refreshes the slots, "s" slides the panels in again.
#pragma once

#include "app/BaseScreen.h"
#include "widgets/Listeners.h"

#include <memory>

class GameStateListener;
class UpgradePanel;
class UpgradeSidePanel;

class UpgradeGallery : public BaseScreen, public Tolm::ButtonListener
{
public:
    UpgradeGallery();
    ~UpgradeGallery() override;

    void OnEnter() override;
    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;
    void KeyChar(char ch) override;

    void ButtonClicked(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    // A bought building's picture has landed.
    void Placed(int id);
    void Refresh();

private:
    void SlideIn();
    void Buy(int slot);

    std::unique_ptr<UpgradePanel> panel;
    std::unique_ptr<UpgradeSidePanel> side;
};

void RegisterUpgradeGallery(GameStateListener* states, const std::string& name);
