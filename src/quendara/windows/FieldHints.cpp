#include "windows/FieldHints.h"

#include "app/TolmAppBase.h"
#include "profile/UserProfile.h"
#include "windows/HintWindow.h"

#include <cstdint>

namespace {

// The bits of kinds 0 to 31 lie in the low mask, the rest in the high one from bit 0.
constexpr int kLowMaskTypes = 32;

// By kind; the help window's kind has no bubble.
constexpr const char* kHintTexts[kHintTypeCount] = {
    "hint_menubutton",
    "hint_townbutton",
    "hint_lockedcell",
    "hint_plus_brick",
    nullptr,
    "hint_hamer_brick",
    "hint_bomb_brick",
    "hint_lightning_brick",
    "hint_mixer_brick",
    "hint_destroy_brick",
    "hint_gold5_brick",
    "hint_gold6_brick",
    "hint_gold7_brick",
    "hint_gold8_brick",
    "hint_gold9_brick",
    "hint_gold10_brick",
    "hint_food1_brick",
    "hint_food2_brick",
    "hint_food3_brick",
    "hint_food4_brick",
    "hint_food5_brick",
    "hint_food6_brick",
    "hint_food7_brick",
    "hint_food8_brick",
    "hint_supplies1_brick",
    "hint_supplies2_brick",
    "hint_supplies3_brick",
    "hint_supplies4_brick",
    "hint_supplies5_brick",
    "hint_supplies6_brick",
    "hint_supplies7_brick",
    "hint_supplies8_brick",
    "hint_hamer",
    "hint_bomb",
    "hint_lightning",
    "hint_mixer",
    "hint_destroy",
};

bool IsHintType(int type)
{
    return type >= 0 && type < kHintTypeCount;
}

uint32_t HintBit(int type)
{
    return uint32_t(1) << (type < kLowMaskTypes ? type : type - kLowMaskTypes);
}

} // namespace

bool IsHintShown(int type)
{
    if (!IsHintType(type)) {
        return true;
    }
    uint32_t mask = type < kLowMaskTypes ? UserProfile::GetHintMaskLow() : UserProfile::GetHintMaskHigh();
    return (mask & HintBit(type)) != 0;
}

void SetHintShownBit(int type)
{
    if (!IsHintType(type)) {
        return;
    }
    uint32_t low = UserProfile::GetHintMaskLow();
    uint32_t high = UserProfile::GetHintMaskHigh();
    (type < kLowMaskTypes ? low : high) |= HintBit(type);
    UserProfile::SetHintMaskLow(low);
    UserProfile::SetHintMaskHigh(high);
}

bool FieldHints::IsHintAllowed() const
{
    return Tolm::gTolmApp->updateCount - lastShown >= kGap;
}

void FieldHints::ShowHintWindow(const std::string& text, int x, int y)
{
    lastShown = Tolm::gTolmApp->updateCount;
    auto* window = new HintWindow();
    window->SetHint(text, x, y, 0);
    ShowWindowModal(window, 1, 2);
}

void ShowFieldHint(int type, int x, int y)
{
    if (IsHintShown(type)) {
        return;
    }
    SetHintShownBit(type);
    if (const char* key = kHintTexts[type]) {
        FieldHints::Instance()->ShowHintWindow(Tolm::GetLocalizedText(key), x, y);
    }
}

const char* HintTextId(int type)
{
    return IsHintType(type) ? kHintTexts[type] : nullptr;
}
