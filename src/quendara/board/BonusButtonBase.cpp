#include "board/BonusButtonBase.h"

#include "app/TolmAppBase.h"
#include "board/BonusPanel.h"
#include "board/BonusPanelFront.h"
#include "board/Level.h"
#include "core/Random.h"
#include "effects/GlobalParticles.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"
#include "windows/FieldHints.h"

#include <cmath>

namespace {

// A charge left this close to nothing after a change is nothing.
constexpr float kChargeResidue = 0.01f;
// Pixels per update period.
constexpr float kFillSpeed = 0.5f;
// Radians per update period while usable.
constexpr float kGlowPhaseSpeed = 0.05f;
constexpr float kGlowPhaseSpan = 200.0f;
// The glow's alpha swings between 175 and 255.
constexpr int kGlowAlpha = 215;
constexpr float kGlowSwing = -40.0f;

// Every charge step divides by it: a value below 1 would charge without end or not at all.
int ReadPointsPerCharge()
{
    const int points = Tolm::gTolmApp->GetIntProperty("set_bonus_points");
    if (points >= 1) {
        return points;
    }
    Tolm::gTolmApp->WriteErrorLog("set_bonus_points is " + std::to_string(points) +
                                  "; one bonus brick makes a charge.");
    return 1;
}

int WidthOf(const Tolm::Image* image)
{
    return image ? image->GetWidth() : 0;
}

int HeightOf(const Tolm::Image* image)
{
    return image ? image->GetHeight() : 0;
}

} // namespace

BonusButtonBase::BonusButtonBase(int id, const BonusButtonLook& look, BonusPanel* panel)
    : Tolm::ButtonWidget(id, panel), pointsPerCharge(ReadPointsPerCharge()), frameImage(GetImageById("BONUS_BUTTON")),
      glowImage(GetImageById(look.glow)), glowPhase(RandomFloat(0.0f, kGlowPhaseSpan)), hint(look.hint)
{
    buttonImage = GetImageById(look.icon);
    if (frameImage) {
        width = frameImage->GetFrameWidth();
        height = frameImage->GetFrameHeight();
    }
    iconX = (WidthOf(frameImage) - WidthOf(buttonImage)) / 2 + look.shiftX;
    iconY = (HeightOf(frameImage) - HeightOf(buttonImage)) / 2 + look.shiftY;
    fillY = float(height);
    gate = std::make_unique<RoundButtonGate>(width / 2, width / 2);
}

BonusButtonBase::~BonusButtonBase() = default;

void BonusButtonBase::Update()
{
    lineGlow.Advance();
    if (charge >= 1) {
        ShowHint(BonusPanel::kScreenX, BonusPanel::kScreenY);
    }
}

void BonusButtonBase::UpdateFraction(float dt)
{
    StepFill(dt);
    gate->Update(dt);
    if (charge >= 1) {
        glowPhase += dt * kGlowPhaseSpeed;
    }
}

void BonusButtonBase::Draw(Tolm::Graphics* g)
{
    if (state == kReady) {
        DrawReady(g);
    }
    gate->Draw(g);
}

bool BonusButtonBase::ApplyAt(int, int)
{
    return true;
}

void BonusButtonBase::ResetCharge()
{
    charge = 0.0f;
    fillY = float(height);
}

void BonusButtonBase::SetCharge(float value)
{
    charge = value > kMaxCharge ? kMaxCharge : value;
}

void BonusButtonBase::SetGate(bool open, float delaySeconds)
{
    if (open && (Level::Instance()->IsTypeAvailable(BonusType()) || charge > 0)) {
        gate->Open(delaySeconds);
    } else {
        gate->Close(delaySeconds);
    }
}

// The whole charges are taken before the clamp: a step past three still reports reaching three.
int BonusButtonBase::AddPoints(int points)
{
    const int oldWhole = int(charge);
    const float sum = charge + float(points) / float(pointsPerCharge);
    const int newWhole = int(sum);
    charge = sum < 0.0f ? 0.0f : sum;
    charge = charge > kMaxCharge ? kMaxCharge : charge;
    charge = charge < kChargeResidue ? 0.0f : charge;
    if (charge > 0.0f) {
        gate->Open(0.0f);
    }
    if (oldWhole < 1 && newWhole >= 1) {
        SpawnBonusAppearParticles(id);
        return 1;
    }
    SpawnUpdatedParticles(newWhole);
    if (oldWhole < newWhole && (newWhole == 2 || newWhole == 3)) {
        BonusPanelFront::Instance()->LightOn(3 * id + newWhole - 1);
        return newWhole;
    }
    return 0;
}

// At most once an update, also when the charge goes down; not at three.
void BonusButtonBase::SpawnUpdatedParticles(int newWhole)
{
    const int update = Tolm::gTolmApp->updateCount;
    if (newWhole < 3 && update != lastParticleUpdate) {
        SpawnGlobalParticles("bonus_updated", x + width / 2 + BonusPanel::kScreenX,
                             y + height / 2 + BonusPanel::kScreenY);
    }
    lastParticleUpdate = update;
}

int BonusButtonBase::AddOneCharge()
{
    return AddPoints(pointsPerCharge);
}

int BonusButtonBase::UseCharge()
{
    const float before = charge;
    AddPoints(-pointsPerCharge);
    fillY = float(height);
    const int whole = int(before);
    if (whole > 0) {
        BonusPanelFront::Instance()->LightOff(3 * id + whole - 1);
    }
    return whole;
}

void BonusButtonBase::ShowHint(int panelX, int panelY)
{
    ShowFieldHint(hint, x + width / 2 + panelX, y + height / 2 + panelY);
}

void BonusButtonBase::StepFill(float dt)
{
    if (charge >= 1) {
        return;
    }
    const float target = float(height) * (1.0f - charge);
    if (fillY < target) {
        fillY = std::min(fillY + dt * kFillSpeed, target);
    } else if (fillY > target) {
        fillY = std::max(fillY - dt * kFillSpeed, target);
    }
}

void BonusButtonBase::DrawReady(Tolm::Graphics* g)
{
    g->PushState();
    if (charge >= 1) {
        DrawCharged(g);
    } else {
        DrawFilling(g);
    }
    g->PopState();
}

void BonusButtonBase::DrawCharged(Tolm::Graphics* g)
{
    g->DrawImage(frameImage, 0, 0);
    if (glowImage) {
        g->SetTintImages(true);
        g->SetColor(Tolm::Color(255, 255, 255, kGlowAlpha - int(std::sin(glowPhase) * kGlowSwing)));
        g->SetDrawMode(Tolm::DrawModeAdditive);
        g->DrawImage(glowImage, iconX - (WidthOf(glowImage) - WidthOf(buttonImage)) / 2,
                     iconY - (HeightOf(glowImage) - HeightOf(buttonImage)) / 2);
        g->SetTintImages(false);
        g->SetDrawMode(Tolm::DrawModeNormal);
    }
    g->DrawImage(buttonImage, iconX, iconY);
}

// Only the part of the icon below the fill line shows; the line glows on top while anything is held.
void BonusButtonBase::DrawFilling(Tolm::Graphics* g)
{
    const int fill = int(fillY);
    g->IntersectClip(0, fill, width, height - fill);
    g->DrawImage(buttonImage, iconX, iconY);
    g->ResetClip();
    if (charge > 0) {
        lineGlow.SetPosition(float(width) * 0.5f, fillY);
        lineGlow.Draw(g);
    }
}
