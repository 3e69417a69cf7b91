#include "board/BonusButtons.h"

#include "board/FieldLive.h"
#include "bricks/BoardTypes.h"
#include "gamewidgets/BaseCursor.h"
#include "gamewidgets/CursorPointer.h"
#include "gamewidgets/CustomCursor.h"
#include "resources/ResourceLookups.h"

namespace {

// Icons sit a little right of and below the frame's centre, where the well's shading leaves them looking
// centred. The last numbers are the tools' tutorial hints.
constexpr BonusButtonLook kHamerLook{"PANEL_BONUS_HAMER", "PANEL_BONUS_HAMER_GLOW", 3, 1, 32};
constexpr BonusButtonLook kBombLook{"PANEL_BONUS_BOMB", "PANEL_BONUS_BOMB_GLOW", 2, 1, 33};
constexpr BonusButtonLook kLightningLook{"PANEL_BONUS_LIGHTNING", "PANEL_BONUS_LIGHTNING_GLOW", 2, 2, 34};
constexpr BonusButtonLook kMixerLook{"PANEL_BONUS_MIXER", "PANEL_BONUS_MIXER_GLOW", 2, 2, 35};
constexpr BonusButtonLook kDestroyLook{"PANEL_BONUS_DESTROY", "PANEL_BONUS_DESTROY_GLOW", 0, 0, 36};

template <typename ToolCursor>
BaseBonusCursor* CursorInstance()
{
    return ToolCursor::Instance();
}

void HammerAt(int x, int y)
{
    FieldLive::Instance()->Hammer(x, y);
}

void BombAt(int x, int y)
{
    FieldLive::Instance()->Bomb(x, y);
}

void DestroyTypeAt(int x, int y)
{
    FieldLive* field = FieldLive::Instance();
    field->Destroy(field->GetBrickType(x, y));
}

} // namespace

TargetingBonusButton::TargetingBonusButton(int id, const BonusButtonLook& look, BonusPanel* panel, CursorOf cursor,
                                           Action act)
    : BonusButtonBase(id, look, panel), cursor(cursor), act(act)
{}

bool TargetingBonusButton::ApplyAt(int x, int y)
{
    if (x < 0 || y < 0 || FieldLive::Instance()->GetBrickType(x, y) == kBrickEmpty) {
        return false;
    }
    Disarm();
    act(x, y);
    return true;
}

void TargetingBonusButton::Disarm()
{
    CustomCursor::Instance()->SetCursor(CursorPointer::Instance());
    state = kReady;
}

void TargetingBonusButton::Arm()
{
    if (state == kArmed) {
        Disarm();
        return;
    }
    CustomCursor::Instance()->SetCursor(cursor());
    state = kArmed;
}

ButtonBonusHamer::ButtonBonusHamer(BonusPanel* panel)
    : TargetingBonusButton(kHamer, kHamerLook, panel, CursorInstance<CursorHamer>, HammerAt)
{}

ButtonBonusBomb::ButtonBonusBomb(BonusPanel* panel)
    : TargetingBonusButton(kBomb, kBombLook, panel, CursorInstance<CursorBomb>, BombAt)
{}

ButtonBonusDestroy::ButtonBonusDestroy(BonusPanel* panel)
    : TargetingBonusButton(kDestroy, kDestroyLook, panel, CursorInstance<CursorDestroy>, DestroyTypeAt)
{}

ButtonBonusLightning::ButtonBonusLightning(BonusPanel* panel) : BonusButtonBase(kLightning, kLightningLook, panel) {}

bool ButtonBonusLightning::ApplyAt(int x, int y)
{
    FieldLive::Instance()->Lightning(x, y, false);
    PlaySoundById("SOUND_BONUS_FLUIDS");
    return true;
}

ButtonBonusMixer::ButtonBonusMixer(BonusPanel* panel) : BonusButtonBase(kMixer, kMixerLook, panel) {}

bool ButtonBonusMixer::ApplyAt(int, int)
{
    FieldLive::Instance()->Mix();
    return true;
}
