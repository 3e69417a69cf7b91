#include "screens/TownUpgradeScreen.h"

#include "app/GameStateManager.h"
#include "app/TolmAppBase.h"
#include "core/Callback.h"
#include "core/Random.h"
#include "effects/GfxDelay.h"
#include "gameeffects/GfxParticledText.h"
#include "gameeffects/GfxStageComplete.h"
#include "gamewidgets/FadingLabel.h"
#include "hud/TopPanel.h"
#include "profile/UserProfile.h"
#include "resources/ResourceLookups.h"
#include "town/BaseTownBuilding.h"
#include "town/BuildingsFactory.h"
#include "town/HintWindowLogic.h"
#include "town/Town.h"
#include "town/UpgradePanel.h"
#include "town/UpgradeSidePanel.h"
#include "widgets/WidgetManager.h"

#include <iterator>
#include <string>

namespace {

constexpr int kKeyEnter = 13;
// What each debug key adds to the totals.
constexpr int kCheatAmount = 200;
constexpr const char* kBuildSounds[] = {"SOUND_TOWN_BUILD1", "SOUND_TOWN_BUILD2", "SOUND_TOWN_BUILD3",
                                        "SOUND_TOWN_BUILD4"};

bool IsBuyButton(int id)
{
    return id >= UpgradePanel::kFirstBuyId && id < UpgradePanel::kFirstBuyId + UpgradePanel::kSlots;
}

} // namespace

TownUpgradeScreen::TownUpgradeScreen()
{
    upgradePanel = std::make_unique<UpgradePanel>(this);
    sidePanel = std::make_unique<UpgradeSidePanel>(this);
    AddWidget(upgradePanel.get());
    AddWidget(sidePanel.get());
    AdoptTopPanel(*this);
    label = std::make_unique<LabelClickToContinue>();
    label->SetShown(false, false);
    AddWidget(label.get());
    hintLogic = std::make_unique<HintWindowLogic>(Tolm::gTolmApp->widgetManager.get());
}

TownUpgradeScreen::~TownUpgradeScreen()
{
    RemoveAllWidgets(false, false);
    upgradePanel.reset();
    sidePanel.reset();
    label.reset();
    hintLogic.reset();
}

// The game screen may have taken the top panel since the last visit.
void TownUpgradeScreen::OnEnter()
{
    AdoptTopPanel(*this);
    Tolm::gTolmApp->widgetManager->SetFocus(this);
    Town::Instance()->RefreshBuilt();
    upgradePanel->RefreshSlots();
    upgradePanel->Show(false, false, nullptr);
    upgradePanel->Show(true, true, nullptr);
    sidePanel->Show(false, false);
    sidePanel->Show(true, true);
    TopPanel* top = TopPanel::Instance();
    top->SetShown(false, false);
    top->SetShown(true, true);
    panelsShown = true;
    refreshPending = false;
}

// Leaving drops a stage-complete show still waiting for its time.
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
    if (!panelsShown || refreshPending) {
        SlidePanels(false);
    } else {
        SlidePanels(true);
        label->SetShown(false, true);
    }
    if (upgradePanel->IsHidden()) {
        label->SetShown(true, true);
    }
    if (refreshPending && upgradePanel->IsHidden() && !TopPanel::Instance()->IsOnScreen()) {
        refreshPending = false;
        upgradePanel->RefreshSlots();
    }
    hintLogic->Update();
}

void TownUpgradeScreen::SlidePanels(bool in)
{
    upgradePanel->Show(in, true, nullptr);
    sidePanel->Show(in, true);
    TopPanel::Instance()->SetShown(in, true);
}

void TownUpgradeScreen::UpdateFraction(float dt)
{
    Town::Instance()->Tick(dt);
    TickEffects(dt);
    hintLogic->UpdateFraction(dt);
}

void TownUpgradeScreen::Draw(Tolm::Graphics* g)
{
    Town::Instance()->Draw(*g);
    DrawEffects(*g);
    hintLogic->Draw(g);
}

// A press on a panel's button is the button's; one on the free town puts the panels away or brings them
// back.
void TownUpgradeScreen::MouseDown(int x, int y, int signedClickCount)
{
    Widget::MouseDown(x, y, signedClickCount);
    if (Tolm::gTolmApp->widgetManager->IsLeftButtonDown()) {
        panelsShown = !panelsShown;
    }
    hintLogic->MouseDown(x, y);
}

void TownUpgradeScreen::MouseUp(int x, int y, int signedClickCount)
{
    Widget::MouseUp(x, y, signedClickCount);
    hintLogic->MouseUp(x, y);
}

void TownUpgradeScreen::MouseMove(int x, int y)
{
    hintLogic->MouseMove(x, y);
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
    upgradePanel->RefreshSlots();
}

void TownUpgradeScreen::ButtonClicked(int id)
{
    if (id == kContinueButton) {
        LeaveWithCallback(new CB_Callback<TownUpgradeScreen>(this, &TownUpgradeScreen::SwitchToGameScreen));
    } else if (id == kSideButton) {
        LeaveWithCallback(new CB_Callback<TownUpgradeScreen>(this, &TownUpgradeScreen::SwitchToMenuScreen));
    } else if (IsBuyButton(id)) {
        Purchase(id - UpgradePanel::kFirstBuyId);
    }
}

void TownUpgradeScreen::ButtonMouseEnter(int id)
{
    if (IsBuyButton(id)) {
        hintLogic->HideHint(true);
        upgradePanel->SelectSlot(id - UpgradePanel::kFirstBuyId);
    }
}

void TownUpgradeScreen::ButtonMouseLeave(int id)
{
    if (IsBuyButton(id)) {
        upgradePanel->HideHint(true);
    }
}

bool TownUpgradeScreen::CanBuy(int id)
{
    const BaseTownBuilding* building = BuildingsFactory::Instance()->GetById(id);
    return building && !UserProfile::IsBuildingBuilt(id) && building->GetCostGold() <= UserProfile::GetGold() &&
           building->GetCostFood() <= UserProfile::GetFood() &&
           building->GetCostSupplies() <= UserProfile::GetSupplies();
}

// The slots are refreshed only once the panel has slid out, so a click can come from a face shown before
// the last purchase was paid: the purchase is judged against the profile as it stands now.
void TownUpgradeScreen::Purchase(int slot)
{
    const int group = UserProfile::GetBuildingGroup();
    const int id = upgradePanel->SlotToBuildingId(slot);
    if (!CanBuy(id)) {
        if (!refreshPending) {
            upgradePanel->RefreshSlots();
        }
        return;
    }
    BaseTownBuilding* building = BuildingsFactory::Instance()->GetById(id);
    UserProfile::SetBuildingBuilt(id);
    UserProfile::AddGold(-building->GetCostGold());
    UserProfile::AddFood(-building->GetCostFood());
    UserProfile::AddSupplies(-building->GetCostSupplies());
    building->StartBuildEffect(new CB_Callback_P1<TownUpgradeScreen, int>(this, &TownUpgradeScreen::BuildDone, id),
                               new CB_Callback_P1<TownUpgradeScreen, int>(this, &TownUpgradeScreen::BuildPlaced, id));
    panelsShown = false;
    refreshPending = true;
    hintLogic->HideHint(true);
    upgradePanel->RefreshHint();
    if (UserProfile::GetBuildingGroup() != group) {
        AddEffect(new GfxDelay(kStageCompleteDelay,
                               new CB_Callback<TownUpgradeScreen>(this, &TownUpgradeScreen::ShowStageComplete)),
                  false);
    }
}

void TownUpgradeScreen::BuildDone(int id)
{
    Town::Instance()->BuildBuilding(id);
}

void TownUpgradeScreen::BuildPlaced(int id)
{
    if (BaseTownBuilding* building = BuildingsFactory::Instance()->GetById(id)) {
        building->StartPostBuildEffect();
    }
    // The draw counts from 1, as the sounds' names do.
    PlaySoundById(kBuildSounds[RandomRange(1, std::size(kBuildSounds)) - 1]);
}

void TownUpgradeScreen::ShowStageComplete()
{
    AddEffect(new GfxStageComplete(), false);
    AddEffect(new GfxParticledText(Tolm::GetLocalizedText("stage_completed"), GetFontById("FONT_BOARD_TEXT"),
                                   Tolm::gTolmApp->width / 2, Tolm::gTolmApp->height / 2),
              false);
    PlaySoundById("SOUND_STAGE_COMPLETED");
}

void RegisterTownUpgradeScreen(GameStateManager* manager, const std::string& name)
{
    auto* screen = new TownUpgradeScreen();
    screen->listener = manager;
    manager->Register(name, screen);
}
