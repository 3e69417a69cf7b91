#include "screens/TownUpgradeScreen.h"

#include "app/GameStateManager.h"
#include "app/TolmAppBase.h"
#include "core/Callback.h"
#include "screens/FadingLabel.h"
#include "screens/TopPanel.h"
#include "town/Town.h"
#include "town/UserProfile.h"
#include "widgets/WidgetManager.h"

namespace {

constexpr int kKeyEnter = 13;
// What each debug key adds to the totals.
constexpr int kCheatAmount = 200;

} // namespace

TownUpgradeScreen::TownUpgradeScreen() : label(std::make_unique<LabelClickToContinue>())
{
    AdoptTopPanel(*this);
    label->SetShown(false, false);
    AddWidget(label.get());
}

// The top panel belongs to the application.
TownUpgradeScreen::~TownUpgradeScreen()
{
    RemoveAllWidgets(false, false);
}

void TownUpgradeScreen::OnEnter()
{
    AdoptTopPanel(*this);
    TopPanel* top = TopPanel::Instance();
    Tolm::gTolmApp->widgetManager->SetFocus(this);
    Town::Instance()->RefreshBuilt();
    top->SetShown(false, false);
    top->SetShown(true, true);
}

void TownUpgradeScreen::OnLeave()
{
    BaseScreen::OnLeave();
    Town::Instance()->RefreshBuilt();
    Clear();
}

void TownUpgradeScreen::Update()
{
    Widget::Update();
    Town::Instance()->Step();
    UpdateEffects();
}

void TownUpgradeScreen::UpdateFraction(float dt)
{
    Town::Instance()->Tick(dt);
    TickEffects(dt);
}

void TownUpgradeScreen::Draw(Tolm::Graphics* g)
{
    Town::Instance()->Draw(*g);
    DrawEffects(*g);
}

void TownUpgradeScreen::KeyDown(int keyCode)
{
    if (keyCode == kKeyEnter) {
        ButtonClicked(kContinueButton);
    }
}

// Lower case only: an upper-case letter is no debug key.
void TownUpgradeScreen::KeyChar(char ch)
{
    if (!Tolm::gTolmApp->GetBoolProperty("cheat_keys", false)) {
        return;
    }
    if (ch == 'q') {
        UserProfile::AddGold(kCheatAmount);
    } else if (ch == 'w') {
        UserProfile::AddFood(kCheatAmount);
    } else if (ch == 'e') {
        UserProfile::AddSupplies(kCheatAmount);
    }
}

void TownUpgradeScreen::ButtonClicked(int id)
{
    if (id == kContinueButton) {
        LeaveWithCallback(new CB_Callback<TownUpgradeScreen>(this, &TownUpgradeScreen::SwitchToGameScreen));
    } else if (id == kSideButton) {
        LeaveWithCallback(new CB_Callback<TownUpgradeScreen>(this, &TownUpgradeScreen::SwitchToMenuScreen));
    }
}

void RegisterTownUpgradeScreen(GameStateManager* manager, const std::string& name)
{
    auto* screen = new TownUpgradeScreen();
    screen->listener = manager;
    manager->Register(name, screen);
}
