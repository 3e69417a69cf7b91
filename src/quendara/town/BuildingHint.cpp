#include "town/BuildingHint.h"

#include "app/TolmAppBase.h"
#include "bricks/BrickHelper.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "profile/UserProfile.h"
#include "resources/ResourceLookups.h"
#include "town/BaseTownBuilding.h"
#include "town/BuildingsFactory.h"

namespace {

constexpr float kFadeSpeed = 0.05f;
// A cost the player cannot pay yet.
const Tolm::Color kShort(255, 128, 128);
const Tolm::Color kHeading(255, 255, 128);

// The rows of the price: icon top, text baseline 22 lower.
constexpr int kIconX = 60;
constexpr int kLabelX = 110;
constexpr int kNumberX = 230;
constexpr int kRowText = 22;

void DrawCentred(Tolm::Graphics& g, const std::string& text, int centreX, int y)
{
    if (Tolm::Font* font = g.GetFont()) {
        g.DrawString(text, centreX - font->StringWidth(text) / 2, y);
    }
}

} // namespace

BuildingHint::BuildingHint()
    : panel(GetImageById("HINT_WINDOW_BUILDING")), goldIcon(GetImageById("PANEL_TOP_GOLD")),
      foodIcon(GetImageById("PANEL_TOP_FOOD")), suppliesIcon(GetImageById("PANEL_TOP_SUPPLIES"))
{
    fade.speed = kFadeSpeed;
    SetPosition((Tolm::gTolmApp->width - GetWidth()) / 2, (Tolm::gTolmApp->height - GetHeight()) / 2);
}

BuildingHint::BuildingHint(int newX, int newY, int id) : BuildingHint()
{
    SetPosition(newX, newY);
    SetBuilding(id);
}

int BuildingHint::GetWidth() const
{
    return panel ? panel->GetWidth() : 0;
}

int BuildingHint::GetHeight() const
{
    return panel ? panel->GetHeight() : 0;
}

void BuildingHint::SetPosition(int newX, int newY)
{
    x = newX;
    y = newY;
}

void BuildingHint::SetBuilding(int id)
{
    if (id == buildingId) {
        return;
    }
    buildingId = id;
    if (id >= 0) {
        Load();
        return;
    }
    shown = false;
    built = false;
}

void BuildingHint::Load()
{
    const BaseTownBuilding* building = buildingId >= 0 ? BuildingsFactory::Instance()->GetById(buildingId) : nullptr;
    if (!building) {
        return;
    }
    costGold = building->GetCostGold();
    costFood = building->GetCostFood();
    costSupplies = building->GetCostSupplies();
    description = building->GetDescription();
    bonusImage = nullptr;
    bonusName.clear();
    if (building->GetBonusBrickType() > 0) {
        GetBrickImage(building->GetBonusBrickType(), bonusImage);
        bonusName = GetBrickKindName(building->GetBonusBrickType());
    }
    built = UserProfile::IsBuildingBuilt(buildingId);
}

void BuildingHint::UpdateFadeTarget()
{
    fade.target = shown && buildingId >= 0 ? 1.0f : 0.0f;
}

void BuildingHint::SnapFade()
{
    fade.current = shown ? 1.0f : 0.0f;
}

void BuildingHint::UpdateFade(float dt)
{
    fade.Update(dt);
}

bool BuildingHint::IsShort() const
{
    return UserProfile::GetGold() < costGold || UserProfile::GetFood() < costFood ||
           UserProfile::GetSupplies() < costSupplies;
}

void BuildingHint::Draw(Tolm::Graphics& g)
{
    if (fade.current == 0) {
        return;
    }
    g.PushState();
    g.Translate(x, y);
    g.SetTintImages(true);
    g.SetColor(Tolm::Color::White);
    g.SetAlphaMultiplier(fade.current);
    const int centre = GetWidth() / 2;
    if (!built && IsShort()) {
        g.SetFont(GetFontById("FONT_BOARD_TEXT"));
        DrawCentred(g, Tolm::GetLocalizedText("lab_funds_not_enough"), centre, -10);
    }
    g.DrawImage(panel, 0, 0);
    g.SetColor(Tolm::Color::White);
    g.SetFont(GetFontById("FONT_WINDOW_TITLE"));
    DrawCentred(g, description, centre, 50);
    g.SetFont(GetFontById("FONT_WINDOW_TEXT"));
    g.SetColor(kHeading);
    g.DrawString(Tolm::GetLocalizedText("lab_cost"), kLabelX, 85);
    DrawCostRow(g, goldIcon, 98, "lab_gold", costGold, UserProfile::GetGold());
    DrawCostRow(g, foodIcon, 128, "lab_food", costFood, UserProfile::GetFood());
    DrawCostRow(g, suppliesIcon, 158, "lab_supplies", costSupplies, UserProfile::GetSupplies());
    if (bonusImage) {
        g.DrawImage(bonusImage, 230, 205);
        g.SetColor(kHeading);
        g.DrawString(Tolm::GetLocalizedText(built ? "lab_you_got" : "lab_you_get"), 85, 215);
        g.DrawString(bonusName, 85, 240);
    }
    g.PopState();
}

void BuildingHint::DrawCostRow(Tolm::Graphics& g, Tolm::Image* icon, int top, const char* label, int cost, int owned)
{
    g.SetColor(Tolm::Color::White);
    g.DrawImage(icon, kIconX, top);
    g.DrawString(Tolm::GetLocalizedText(label), kLabelX, top + kRowText);
    if (!built && owned < cost) {
        g.SetColor(kShort);
    }
    g.DrawString(std::to_string(cost), kNumberX, top + kRowText);
}
