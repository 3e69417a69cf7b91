#include "board/BonusPanel.h"

#include "app/TolmAppBase.h"
#include "board/BonusButtons.h"
#include "board/BonusPanelFront.h"
#include "board/FieldLive.h"
#include "board/Solver.h"
#include "core/Random.h"
#include "gamewidgets/BaseCursor.h"
#include "gamewidgets/CursorPointer.h"
#include "gamewidgets/CustomCursor.h"
#include "resources/ResourceLookups.h"

namespace {

constexpr int kWidth = 650;
constexpr int kHeight = 80;
constexpr int kFirstBonusType = 27;
// Where each button sits in the bar, by id.
constexpr int kButtonX[] = {162, 246, 325, 404, 492};
constexpr int kButtonY = 23;
// The gates open one after another, each after a delay drawn from 0 to 0.5 s.
constexpr float kGateDelaySpan = 1.5f;

template <typename T>
void DeleteSingleton()
{
    delete T::RegisteredInstance();
}

} // namespace

// The buttons make their random draws in id order as they are built; the lights make theirs later, when
// first used.
BonusPanel::BonusPanel()
{
    Resize(kScreenX, kScreenY, kWidth, kHeight);
    flagsChange.add |= Tolm::WidgetFlagMarkDirty;
    // The front plate spans the screen's width and the liana hangs above the bar: neither is cut to it.
    clip = false;
    buttons = {new ButtonBonusHamer(this), new ButtonBonusBomb(this), new ButtonBonusLightning(this),
               new ButtonBonusMixer(this), new ButtonBonusDestroy(this)};
    for (int id = 0; id < kButtons; ++id) {
        buttons[std::size_t(id)]->Move(kButtonX[id], kButtonY);
        AddWidget(buttons[std::size_t(id)]);
    }
    BonusPanelFront* front = BonusPanelFront::Instance();
    front->Move(-kScreenX, Tolm::gTolmApp->height - front->height - kScreenY);
    AddWidget(front);
}

BonusPanel::~BonusPanel()
{
    RemoveAllWidgets(true, false);
    if (CustomCursor* cursor = CustomCursor::RegisteredInstance()) {
        cursor->SetCursor(CursorPointer::Instance());
    }
    DeleteSingleton<CursorHamer>();
    DeleteSingleton<CursorBomb>();
    DeleteSingleton<CursorDestroy>();
}

BonusButtonBase* BonusPanel::GetButton(int id) const
{
    return id >= 0 && id < kButtons ? buttons[std::size_t(id)] : nullptr;
}

int BonusPanel::AddCharge(int type, int points)
{
    BonusButtonBase* button = GetButton(type - kFirstBonusType);
    return button ? button->AddPoints(points) : 0;
}

void BonusPanel::ChargeButton(int n)
{
    if (BonusButtonBase* button = GetButton(n - 1)) {
        button->AddOneCharge();
    }
}

bool BonusPanel::AnyChargeReady() const
{
    for (const BonusButtonBase* button : buttons) {
        if (button->GetCharge() >= 1) {
            return true;
        }
    }
    return false;
}

void BonusPanel::ResetCharges()
{
    for (BonusButtonBase* button : buttons) {
        button->ResetCharge();
    }
}

void BonusPanel::GetCharges(float* hammer, float* bomb, float* lightning, float* mixer, float* destroy) const
{
    float* const out[kButtons] = {hammer, bomb, lightning, mixer, destroy};
    for (int id = 0; id < kButtons; ++id) {
        if (out[id]) {
            *out[id] = buttons[std::size_t(id)]->GetCharge();
        }
    }
}

void BonusPanel::SetCharges(float hammer, float bomb, float lightning, float mixer, float destroy)
{
    const float in[kButtons] = {hammer, bomb, lightning, mixer, destroy};
    for (int id = 0; id < kButtons; ++id) {
        if (in[id] >= 0) {
            buttons[std::size_t(id)]->SetCharge(in[id]);
        }
    }
}

bool BonusPanel::IsHammerArmed() const
{
    return armed == BonusButtonBase::kHamer;
}

bool BonusPanel::IsBombArmed() const
{
    return armed == BonusButtonBase::kBomb;
}

bool BonusPanel::IsDestroyArmed() const
{
    return armed == BonusButtonBase::kDestroy;
}

// Cancelling the board's input disarms first, so a press on the armed tool arms it afresh rather than
// disarming it (unless the board is hidden).
void BonusPanel::ButtonPressed(int id)
{
    if (disabled || !GetButton(id)) {
        return;
    }
    FieldLive::Instance()->CancelInput();
    if (armed >= 0 && armed != id) {
        GetButton(armed)->Disarm();
        armed = -1;
    }
    armed = id;
    BonusButtonBase* button = GetButton(id);
    if (button->GetCharge() < 1) {
        button->Disarm();
        armed = -1;
        return;
    }
    PressCharged(button);
}

void BonusPanel::PressCharged(BonusButtonBase* button)
{
    if (button->state == BonusButtonBase::kReady) {
        if (button->ApplyAt(-1, -1)) {
            FinishUse(button);
        } else {
            PlaySoundById("SOUND_BONUS_SELECT");
        }
    }
    button->Arm();
    if (button->state != BonusButtonBase::kArmed) {
        Deselect(true);
    }
}

void BonusPanel::FinishUse(BonusButtonBase* button)
{
    armed = -1;
    Solver::Instance()->Recount(*FieldLive::Instance());
    button->UseCharge();
}

bool BonusPanel::UseArmedOn(int x, int y)
{
    BonusButtonBase* button = GetButton(armed);
    if (!button || !button->ApplyAt(x, y)) {
        return false;
    }
    FinishUse(button);
    return true;
}

void BonusPanel::Deselect(bool withSound)
{
    BonusButtonBase* button = GetButton(armed);
    if (!button) {
        return;
    }
    button->Disarm();
    if (withSound) {
        PlaySoundById("SOUND_BONUS_UNSELECT");
    }
    armed = -1;
}

// A plain store: the panel is not handed to the widget manager's bookkeeping of disabled widgets.
void BonusPanel::SetGatesOpen(bool open)
{
    disabled = !open;
    for (BonusButtonBase* button : buttons) {
        button->SetGate(open, RandomFloatSpan(kGateDelaySpan));
    }
    BonusPanelFront::Instance()->SetDimmed(!open);
}

void BonusPanel::MouseDown(int, int, int, int)
{
    Deselect(false);
}
