#include "windows/LevelCompleteWindow.h"

#include "app/TolmAppBase.h"
#include "effects/ParticleConfigManager.h"
#include "effects/ParticleManager.h"
#include "gamewidgets/BaseWindowButton.h"
#include "gamewidgets/WindowLight.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "resources/ResourceLookups.h"

#include <cmath>
#include <string>

namespace {

constexpr int kContinueId = 0;
constexpr int kKeyEscape = 27;
constexpr int kKeyEnter = 13;
constexpr int kButtonY = 345;
// The rows are drawn this far right of their stated places.
constexpr int kRowsShift = 25;
constexpr int kValueX = 230;
constexpr int kLabelX = 110;
constexpr int kIconX = 60;
// Each count takes a fixed number of updates: amount / 180 a unit for gold, and so on.
constexpr float kGoldPace = 0.0055555557f;
constexpr float kFoodPace = 0.005263158f;
constexpr float kSuppliesPace = 0.005f;
constexpr float kScorePace = 0.004761905f;
constexpr float kPuzzledSpeed = 0.003f;

struct Row
{
    LiveValue LevelCompleteWindow::*counter;
    // Null for a row without an icon.
    Tolm::Image* LevelCompleteWindow::*icon;
    const char* label;
    // Where the row's number arrives with its burst, and the row's baseline, in window coordinates.
    int burstY;
    int rowY;
};

using Window = LevelCompleteWindow;
constexpr Row kRows[] = {
    {&Window::gold, &Window::goldIcon, "lab_gold", 172, 180},
    {&Window::food, &Window::foodIcon, "lab_food", 202, 210},
    {&Window::supplies, &Window::suppliesIcon, "lab_supplies", 232, 240},
    {&Window::score, nullptr, "lab_score", 262, 270},
    {&Window::puzzled, nullptr, "lab_puzzled_cells", 312, 320},
};
// The icons' tops, above the rows' baselines.
constexpr int kIconRise = 22;

bool HasJustArrived(const LiveValue& counter)
{
    return counter.current == counter.target && counter.previous != counter.current;
}

void CountTo(LiveValue& counter, float target, float speed)
{
    counter.target = target;
    counter.speed = speed;
}

} // namespace

LevelCompleteWindow::LevelCompleteWindow()
    : BaseWindow(GetImageById("UI_WINDOW_COMPLETE"), kDialogId, false, "", "", ""),
      goldIcon(GetImageById("PANEL_TOP_GOLD")), foodIcon(GetImageById("PANEL_TOP_FOOD")),
      suppliesIcon(GetImageById("PANEL_TOP_SUPPLIES")), particles(std::make_unique<ParticleManager>(0.0f))
{
    clip = false;
    backgroundInsets = Tolm::Insets{50, 42, 50, 40};
    SetHeaderFont(GetFontById("FONT_WINDOW_TITLE"));
    header = Tolm::GetLocalizedText("cap_level_complete");
    continueButton = std::make_unique<BaseWindowButton>(kContinueId, this);
    continueButton->label = Tolm::GetLocalizedText("but_continue");
    continueButton->Move((width - continueButton->width) / 2, kButtonY);
    AddWidget(continueButton.get());
    AddLight(6, 78);
    AddLight(394, 307);
    for (const Row& row : kRows) {
        (this->*row.counter).speed = 1.0f;
    }
}

LevelCompleteWindow::~LevelCompleteWindow()
{
    RemoveAllWidgets(false, false);
}

void LevelCompleteWindow::SetTally(int goldAmount, int foodAmount, int suppliesAmount, int scoreAmount,
                                   float puzzledFraction)
{
    CountTo(gold, float(goldAmount), float(goldAmount) * kGoldPace);
    CountTo(food, float(foodAmount), float(foodAmount) * kFoodPace);
    CountTo(supplies, float(suppliesAmount), float(suppliesAmount) * kSuppliesPace);
    CountTo(score, float(scoreAmount), float(scoreAmount) * kScorePace);
    // A fraction that is not a number would never be reached, and the window could never close.
    CountTo(puzzled, std::isfinite(puzzledFraction) ? puzzledFraction : 1.0f, kPuzzledSpeed);
}

bool LevelCompleteWindow::IsCounting() const
{
    for (const Row& row : kRows) {
        const LiveValue& counter = this->*row.counter;
        if (counter.current != counter.target) {
            return true;
        }
    }
    return false;
}

void LevelCompleteWindow::Skip()
{
    for (const Row& row : kRows) {
        LiveValue& counter = this->*row.counter;
        counter.current = counter.target;
    }
    CheckArrivals();
}

void LevelCompleteWindow::CheckArrivals()
{
    bool arrived = false;
    ParticleConfig config;
    bool haveConfig = GetParticleConfig("count_done", config);
    for (const Row& row : kRows) {
        if (!HasJustArrived(this->*row.counter)) {
            continue;
        }
        arrived = true;
        if (haveConfig) {
            particles->SpawnEmitter(config, float(width) * 0.5f, float(row.burstY));
        }
    }
    if (arrived) {
        PlaySoundById("SOUND_ONE_COUNTER_DONE");
    }
}

void LevelCompleteWindow::Update()
{
    BaseWindow::Update();
    if (IsCounting()) {
        if (updateCount % 8 == 0) {
            PlaySoundById("SOUND_LABEL_COUNTER");
        }
        return;
    }
    if (!doneSoundPlayed) {
        doneSoundPlayed = true;
        PlaySoundById("SOUND_COUNTER_DONE");
    }
}

void LevelCompleteWindow::UpdateFraction(float dt)
{
    BaseWindow::UpdateFraction(dt);
    particles->UpdateEmitters(dt);
    for (const Row& row : kRows) {
        (this->*row.counter).Update(dt);
    }
    CheckArrivals();
}

void LevelCompleteWindow::SkipOrClose()
{
    if (IsCounting()) {
        Skip();
        return;
    }
    result = 0;
}

void LevelCompleteWindow::ButtonClicked(int id)
{
    BaseWindow::ButtonClicked(id);
    if (id == kContinueId) {
        SkipOrClose();
    }
}

void LevelCompleteWindow::KeyDown(int keyCode)
{
    if (!visible) {
        return;
    }
    BaseWindow::KeyDown(keyCode);
    if (keyCode == kKeyEscape || keyCode == kKeyEnter) {
        SkipOrClose();
    }
}

void LevelCompleteWindow::MouseDown(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/)
{
    if (IsCounting()) {
        Skip();
    }
}

void LevelCompleteWindow::Draw(Tolm::Graphics* g)
{
    DrawDim(g);
    BaseWindow::Draw(g);
    g->PushState();
    g->SetFont(GetFontById("FONT_WINDOW_TEXT"));
    g->SetColor(Tolm::Color::White);
    const std::string resources = Tolm::GetLocalizedText("lab_level_resources");
    int resourcesWidth = g->GetFont() ? g->GetFont()->StringWidth(resources) : 0;
    g->DrawString(resources, (width - resourcesWidth) / 2, 130);
    g->Translate(kRowsShift, 0);
    DrawRows(g);
    g->Translate(-kRowsShift, 0);
    g->PopState();
    particles->DrawEmitters(*g);
}

void LevelCompleteWindow::DrawRows(Tolm::Graphics* g)
{
    for (const Row& row : kRows) {
        if (row.icon && this->*row.icon) {
            g->DrawImage(this->*row.icon, kIconX, row.rowY - kIconRise);
        }
        g->DrawString(Tolm::GetLocalizedText(row.label), kLabelX, row.rowY);
        const LiveValue& counter = this->*row.counter;
        // Counts are truncated, the percentage too: 0.499 shows 49 %.
        const std::string value = row.counter == &Window::puzzled ? std::to_string(int(counter.current * 100.0)) + " %"
                                                                  : std::to_string(int(counter.current));
        g->DrawString(value, kValueX, row.rowY);
    }
}
