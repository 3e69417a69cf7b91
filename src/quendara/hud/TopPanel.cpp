#include "hud/TopPanel.h"

#include "app/TolmAppBase.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "profile/UserProfile.h"
#include "resources/ResourceLookups.h"

#include <cmath>
#include <string>

namespace {

// A counter's speed is this share of the distance left, so any amount lands in 40 update periods (the
// score in 50).
constexpr float kResourcePace = 0.025f;
constexpr float kScorePace = 0.02f;
constexpr float kCounterSpeed = 0.6f;
constexpr float kSlideSpeed = 1.5f;
constexpr int kBaseline = 34;
constexpr int kIconY = 12;

void AddToCounter(LiveValue& counter, int amount, float pace)
{
    counter.target += float(amount);
    counter.speed = std::fabs(counter.target - counter.current) * pace;
}

int Shown(const LiveValue& counter)
{
    return int(counter.current);
}

} // namespace

TopPanel::TopPanel()
    : background(GetImageById("PANEL_TOP_BACK")), goldIcon(GetImageById("PANEL_TOP_GOLD")),
      foodIcon(GetImageById("PANEL_TOP_FOOD")), suppliesIcon(GetImageById("PANEL_TOP_SUPPLIES"))
{
    flagsChange.add |= Tolm::WidgetFlagMarkDirty;
    int panelWidth = background ? background->GetWidth() : 0;
    int panelHeight = background ? background->GetHeight() : 0;
    Resize((Tolm::gTolmApp->width - panelWidth) / 2, shownY, panelWidth, panelHeight);
    mouseVisible = false;
    ResetCounters();
    slide.target = slide.current = -float(height);
    for (LiveValue* counter : {&gold, &food, &supplies, &score}) {
        counter->speed = kCounterSpeed;
    }
    slide.speed = kSlideSpeed;
}

TopPanel::~TopPanel() = default;

void TopPanel::ResetCounters()
{
    int savedGold = 0;
    int savedFood = 0;
    int savedSupplies = 0;
    int savedScore = 0;
    UserProfile::GetSavedCounters(&savedGold, &savedFood, &savedSupplies, &savedScore, nullptr);
    gold.target = gold.current = float(savedGold);
    food.target = food.current = float(savedFood);
    supplies.target = supplies.current = float(savedSupplies);
    score.target = score.current = float(savedScore);
}

void TopPanel::AddGold(int amount)
{
    AddToCounter(gold, amount, kResourcePace);
}

void TopPanel::AddFood(int amount)
{
    AddToCounter(food, amount, kResourcePace);
}

void TopPanel::AddSupplies(int amount)
{
    AddToCounter(supplies, amount, kResourcePace);
}

void TopPanel::AddScore(int amount)
{
    AddToCounter(score, amount, kScorePace);
}

int TopPanel::GetGold() const
{
    return int(gold.target);
}

int TopPanel::GetFood() const
{
    return int(food.target);
}

int TopPanel::GetSupplies() const
{
    return int(supplies.target);
}

int TopPanel::GetScore() const
{
    return int(score.target);
}

void TopPanel::SetShown(bool shown, bool animate)
{
    slide.target = shown ? float(shownY) : -float(height);
    if (!animate) {
        slide.current = slide.target;
    }
}

bool TopPanel::IsOnScreen() const
{
    return slide.current != -float(height);
}

void TopPanel::UpdateFraction(float dt)
{
    slide.Update(dt);
    Move(x, int(slide.current));
    for (LiveValue* counter : {&gold, &food, &supplies, &score}) {
        counter->Update(dt);
    }
}

void TopPanel::Draw(Tolm::Graphics* g)
{
    struct Placed
    {
        Tolm::Image* image;
        int x;
    };
    for (const Placed& placed :
         {Placed{background, 0}, Placed{goldIcon, 125}, Placed{foodIcon, 225}, Placed{suppliesIcon, 325}}) {
        if (placed.image) {
            g->DrawImage(placed.image, placed.x, placed.image == background ? 0 : kIconY);
        }
    }
    g->SetFont(GetFontById("FONT_SCORE_PANEL"));
    g->SetColor(Tolm::Color(255, 255, 255, 255));
    g->DrawString(std::to_string(UserProfile::GetGold() + Shown(gold)), 166, kBaseline);
    g->DrawString(std::to_string(UserProfile::GetFood() + Shown(food)), 265, kBaseline);
    g->DrawString(std::to_string(UserProfile::GetSupplies() + Shown(supplies)), 370, kBaseline);
    g->DrawString(Tolm::GetLocalizedText("lab_top_score") + " " +
                      std::to_string(UserProfile::GetScore() + Shown(score)),
                  435, kBaseline);
    g->DrawString(Tolm::GetLocalizedText("lab_top_level") + " " + std::to_string(UserProfile::GetLevel()), 28,
                  kBaseline);
}

void AdoptTopPanel(Tolm::Widget& screen)
{
    TopPanel* top = TopPanel::Instance();
    if (top->parent == &screen) {
        return;
    }
    if (top->parent) {
        top->parent->RemoveWidget(top);
    }
    screen.AddWidget(top);
}
