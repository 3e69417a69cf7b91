#include "hud/TimerPanel.h"

#include "effects/ParticleConfigManager.h"
#include "effects/ParticleEmitter.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

#include <algorithm>
#include <cmath>

namespace {

// The bar fills in 300 update periods whatever the goal.
constexpr float kFillPace = 0.0033333334f;
constexpr float kSlideSpeed = 2.5f;
constexpr int kPanelY = 71;
// The particle line's x and the top of the fill's slot, in the panel.
constexpr int kBarX = 48;
constexpr int kSlotTop = 64;
constexpr int kFillX = 33;
// The fill's alpha pulses 50 either side of this.
constexpr int kFillAlpha = 205;
constexpr float kPulseRate = 0.016666668f;

} // namespace

TimerPanel::TimerPanel()
    : background(GetImageById("PANEL_TIMER_BACK")), front(GetImageById("PANEL_TIMER_FRONT")),
      fill(GetImageById("PANEL_TIMER_PROGRESS"))
{
    flagsChange.add |= Tolm::WidgetFlagMarkDirty;
    Resize(shownX, kPanelY, background ? background->GetWidth() : 0, background ? background->GetHeight() : 0);
    displayed.speed = 1.0f;
    slide.speed = kSlideSpeed;
    ParticleConfig config;
    GetParticleConfig("progress_line", config);
    emitter = std::make_unique<ParticleEmitter>(config, 0.0f);
    emitter->Start(float(kBarX), GetBarLevelY() - float(y));
    mouseVisible = false;
}

TimerPanel::~TimerPanel() = default;

void TimerPanel::Reset()
{
    progress = 0;
    displayed.target = displayed.current = 0;
}

void TimerPanel::SetGoal(float value)
{
    goal = value;
    displayed.speed = goal * kFillPace;
    if (displayed.speed == 0) {
        displayed.speed = 1.0f;
    }
}

void TimerPanel::SetProgressFraction(float fraction)
{
    progress = fraction * goal;
    displayed.target = displayed.current = progress;
}

void TimerPanel::AddProgress(float amount)
{
    progress += amount;
}

void TimerPanel::AdvanceDisplay(float amount)
{
    displayed.target = std::min({displayed.target + amount, progress, goal});
}

void TimerPanel::SyncDisplay()
{
    displayed.target = progress;
}

float TimerPanel::Fraction(float value) const
{
    // A level without locks has nothing to wait for: its bar is full rather than undefined.
    return goal > 0 ? std::min(value / goal, 1.0f) : 1.0f;
}

float TimerPanel::GetProgressFraction() const
{
    return Fraction(progress);
}

float TimerPanel::GetDisplayedFraction() const
{
    return Fraction(displayed.current);
}

float TimerPanel::GetBarX() const
{
    return float(x + kBarX);
}

float TimerPanel::GetBarLevelY()
{
    return (1.0f - GetDisplayedFraction()) * float(FillHeight()) + float(y + kSlotTop);
}

int TimerPanel::FillHeight()
{
    if (fillHeight < 0) {
        fillHeight = fill ? fill->GetHeight() : 0;
    }
    return fillHeight;
}

void TimerPanel::SetShown(bool shown, bool animate)
{
    slide.target = shown ? float(shownX) : -float(width);
    if (!animate) {
        slide.current = slide.target;
    }
}

bool TimerPanel::IsOnScreen() const
{
    return slide.current != -float(width);
}

void TimerPanel::UpdateFraction(float dt)
{
    displayed.Update(dt);
    slide.Update(dt);
    Move(int(slide.current), y);
    emitter->Update(dt);
    emitter->MoveTo(float(kBarX), GetBarLevelY() - float(y), false);
    if (displayed.current != 0) {
        emitter->Restart();
    } else {
        emitter->Stop(false);
    }
}

void TimerPanel::Draw(Tolm::Graphics* g)
{
    if (!IsOnScreen()) {
        return;
    }
    if (background) {
        g->DrawImage(background, 0, 0);
    }
    int level = int(GetDisplayedFraction() * float(FillHeight()));
    if (level > 0 && fill) {
        int imageHeight = fill->GetHeight();
        g->PushState();
        g->SetTintImages(true);
        int pulse = int(-50.0f * std::sin(float(updateCount) * kPulseRate));
        g->SetColor(Tolm::Color(255, 255, 255, kFillAlpha - pulse));
        g->DrawImagePart(fill, kFillX, imageHeight - level + kSlotTop,
                         Tolm::Rect(0, imageHeight - level, fill->GetWidth(), level));
        g->PopState();
    }
    emitter->Draw(*g);
    if (front) {
        g->DrawImage(front, 0, 0);
    }
}
