#include "board/BonusPanelFront.h"

#include "app/TolmAppBase.h"
#include "board/BonusPanel.h"
#include "core/Random.h"
#include "effects/GlobalParticles.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

#include <cmath>

namespace {

// Each light pulses darker by up to twice this alpha, over about 126 updates.
constexpr float kDarkenSwing = -30.0f;
constexpr int kDarkenAlpha = 30;
constexpr float kDarkenPhaseScale = 0.05f;
constexpr unsigned kPhaseSpan = 500;
// The lights' fade per update period.
constexpr float kDimSpeed = 0.01f;
// Where the liana hangs over the board's bottom edge, on the screen.
constexpr int kLianaX = 41;
constexpr int kLianaY = 479;

// The first light's x over each button, and the three lights' offsets from it, on the screen.
constexpr int kLightBaseX[] = {202, 286, 365, 445, 531};
constexpr int kLightOffsetX[] = {0, 19, 44};
constexpr int kLightY[] = {526, 521, 526};
constexpr const char* kLightImages[] = {"BONUS_LIGHT1", "BONUS_LIGHT2", "BONUS_LIGHT3"};

// The front's and the panel's offsets together: screen minus this is the front's coordinates.
int FrontScreenX()
{
    return BonusPanelFront::Instance()->x + BonusPanel::Instance()->x;
}

int FrontScreenY()
{
    return BonusPanelFront::Instance()->y + BonusPanel::Instance()->y;
}

BonusLight MakeLight(int index)
{
    const int level = index % 3;
    return BonusLight(kLightBaseX[index / 3] + kLightOffsetX[level] - FrontScreenX(), kLightY[level] - FrontScreenY(),
                      GetImageById(kLightImages[level]));
}

} // namespace

BonusLight::BonusLight(int x, int y, Tolm::Image* image) : x(x), y(y), image(image), phase(int(RandomBelow(kPhaseSpan)))
{}

void BonusLight::Draw(Tolm::Graphics* g) const
{
    if (!lit) {
        return;
    }
    g->PushState();
    g->DrawImage(image, x, y);
    g->SetTintImages(true);
    g->SetColor(Tolm::Color(0, 0, 0, kDarkenAlpha - int(std::sin(float(phase) * kDarkenPhaseScale) * kDarkenSwing)));
    g->DrawImage(image, x, y);
    g->PopState();
}

// The lights draw their phases in index order.
BonusPanelLights::BonusPanelLights()
    : lights{MakeLight(0),  MakeLight(1),  MakeLight(2),  MakeLight(3),  MakeLight(4),
             MakeLight(5),  MakeLight(6),  MakeLight(7),  MakeLight(8),  MakeLight(9),
             MakeLight(10), MakeLight(11), MakeLight(12), MakeLight(13), MakeLight(14)}
{}

void BonusPanelLights::Update()
{
    std::array<float, BonusPanel::kButtons> charges{};
    BonusPanel::Instance()->GetCharges(&charges[0], &charges[1], &charges[2], &charges[3], &charges[4]);
    for (int i = 0; i < kLights; ++i) {
        lights[std::size_t(i)].lit = charges[std::size_t(i / 3)] >= float(i % 3 + 1);
    }
    for (BonusLight& light : lights) {
        ++light.phase;
    }
}

void BonusPanelLights::Draw(Tolm::Graphics* g) const
{
    for (const BonusLight& light : lights) {
        light.Draw(g);
    }
}

void BonusPanelLights::SpawnOn(int index) const
{
    SpawnAt("bonus_action_add", index);
}

void BonusPanelLights::SpawnOff(int index) const
{
    SpawnAt("bonus_action_del", index);
}

void BonusPanelLights::SpawnAt(const char* effect, int index) const
{
    if (index < 0 || index >= kLights) {
        return;
    }
    const BonusLight& light = lights[std::size_t(index)];
    const int width = light.image ? light.image->GetWidth() : 0;
    const int height = light.image ? light.image->GetHeight() : 0;
    SpawnGlobalParticles(effect, light.x + width / 2 + FrontScreenX(), light.y + height / 2 + FrontScreenY());
}

BonusPanelFront::BonusPanelFront() : image(GetImageById("PANEL_BONUS_FRONT")), liana(GetImageById("FIELD_BOTTOM_LIANA"))
{
    if (image) {
        width = image->GetWidth();
        height = image->GetHeight();
    }
    dim.target = 1.0f;
    dim.speed = kDimSpeed;
    flagsChange.add |= Tolm::WidgetFlagMarkDirty;
    mouseVisible = false;
    disabled = true;
    clip = false;
    wantsFocus = false;
}

BonusPanelFront::~BonusPanelFront()
{
    delete BonusPanelLights::RegisteredInstance();
}

void BonusPanelFront::SetDimmed(bool dimmed)
{
    dim.target = dimmed ? 0.0f : 1.0f;
}

void BonusPanelFront::LightOn(int index)
{
    BonusPanelLights::Instance()->SpawnOn(index);
}

void BonusPanelFront::LightOff(int index)
{
    BonusPanelLights::Instance()->SpawnOff(index);
}

void BonusPanelFront::Update()
{
    BonusPanelLights::Instance()->Update();
}

void BonusPanelFront::UpdateFraction(float dt)
{
    dim.Update(dt);
}

// The plate and the liana stay whole while the lights fade with the dim.
void BonusPanelFront::Draw(Tolm::Graphics* g)
{
    g->DrawImage(image, 0, 0);
    g->PushState();
    if (dim.current != 1.0f) {
        g->SetTintImages(true);
        g->SetColor(Tolm::Color(255, 255, 255, 255));
        g->SetAlphaMultiplier(dim.current);
    }
    BonusPanelLights::Instance()->Draw(g);
    g->PopState();
    g->DrawImage(liana, kLianaX - x - BonusPanel::Instance()->x, kLianaY - y - BonusPanel::Instance()->y);
}
