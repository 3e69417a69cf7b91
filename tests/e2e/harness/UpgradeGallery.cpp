#include "UpgradeGallery.h"

#include "app/GameState.h"
#include "app/TolmAppBase.h"
#include "core/Callback.h"
#include "core/Random.h"
#include "resources/ResourceLookups.h"
#include "town/BaseTownBuilding.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"
#include "town/UpgradePanel.h"
#include "town/UpgradeSidePanel.h"
#include "town/UserProfile.h"
#include "widgets/WidgetManager.h"

#include <string>

UpgradeGallery::UpgradeGallery()
    : panel(std::make_unique<UpgradePanel>(this)), side(std::make_unique<UpgradeSidePanel>(this))
{
    AddWidget(panel.get());
    AddWidget(side.get());
}

UpgradeGallery::~UpgradeGallery()
{
    RemoveWidget(panel.get());
    RemoveWidget(side.get());
}

void UpgradeGallery::OnEnter()
{
    Tolm::gTolmApp->widgetManager->SetFocus(this);
    panel->RefreshSlots();
    SlideIn();
}

void UpgradeGallery::SlideIn()
{
    panel->Show(false, false, nullptr);
    panel->Show(true, true, nullptr);
    side->Show(false, false);
    side->Show(true, true);
}

void UpgradeGallery::Update()
{
    BaseScreen::Update();
    Town::Instance()->Step();
}

void UpgradeGallery::UpdateFraction(float dt)
{
    Town::Instance()->Tick(dt);
}

void UpgradeGallery::Draw(Tolm::Graphics* g)
{
    Town::Instance()->Draw(*g);
}

void UpgradeGallery::KeyChar(char ch)
{
    if (ch == 'g') {
        UserProfile::AddGold(50);
        UserProfile::AddFood(50);
        UserProfile::AddSupplies(50);
        panel->RefreshSlots();
    } else if (ch == 's') {
        panel->Show(true, true, nullptr);
        side->Show(true, true);
    }
}

void UpgradeGallery::ButtonClicked(int id)
{
    if (id >= UpgradePanel::kFirstBuyId && id < UpgradePanel::kFirstBuyId + UpgradePanel::kSlots) {
        Buy(id - UpgradePanel::kFirstBuyId);
    }
}

void UpgradeGallery::ButtonMouseEnter(int id)
{
    if (id >= UpgradePanel::kFirstBuyId) {
        panel->SelectSlot(id - UpgradePanel::kFirstBuyId);
    }
}

void UpgradeGallery::ButtonMouseLeave(int id)
{
    if (id >= UpgradePanel::kFirstBuyId) {
        panel->HideHint(true);
    }
}

void UpgradeGallery::Buy(int slot)
{
    const int id = panel->SlotToBuildingId(slot);
    BaseTownBuilding* building = BuildingsFactory::Instance()->GetById(id);
    if (!building || UserProfile::IsBuildingBuilt(id)) {
        return;
    }
    UserProfile::SetBuildingBuilt(id);
    UserProfile::AddGold(-building->GetCostGold());
    UserProfile::AddFood(-building->GetCostFood());
    UserProfile::AddSupplies(-building->GetCostSupplies());
    building->StartBuildEffect(new CB_Callback_P1<Town, int>(Town::Instance(), &Town::BuildBuilding, id),
                               new CB_Callback_P1<UpgradeGallery, int>(this, &UpgradeGallery::Placed, id));
    panel->RefreshHint();
    panel->Show(false, true, new CB_Callback<UpgradeGallery>(this, &UpgradeGallery::Refresh));
    side->Show(false, true);
}

void UpgradeGallery::Placed(int id)
{
    BuildingsFactory::Instance()->GetById(id)->StartPostBuildEffect();
    PlaySoundById("SOUND_TOWN_BUILD" + std::to_string(RandomRange(1, 4)));
}

void UpgradeGallery::Refresh()
{
    panel->RefreshSlots();
}

void RegisterUpgradeGallery(GameStateListener* states, const std::string& name)
{
    auto* screen = new UpgradeGallery();
    screen->listener = states;
    states->Register(name, screen);
}
