#include "board/FieldGfx.h"

#include "app/TolmAppBase.h"
#include "bricks/BrickHelper.h"
#include "bricks/GfxBrickEffects.h"
#include "core/Random.h"
#include "core/StringUtils.h"
#include "effects/GfxDelay.h"
#include "effects/GfxManager.h"
#include "effects/GlobalParticles.h"
#include "gameeffects/GfxCellExplode.h"
#include "gameeffects/GfxFluids.h"
#include "gameeffects/GfxFlyText.h"
#include "gameeffects/GfxFlyingBrick.h"
#include "gameeffects/GfxSwirlText.h"
#include "hud/GfxTimerFluids.h"
#include "resources/ResourceLookups.h"

namespace {

// Where the lightning's streams come from: its button on the bonus panel.
constexpr float kFluidSourceX = 398;
constexpr float kFluidSourceY = 536;
// The brick's glow step.
constexpr int kBrickGlow = 3;

// Brick and cell effects and states.
constexpr int kEffectFadeIn = 1;
constexpr int kEffectFadeOut = 2;
constexpr int kEffectHold = 6;
constexpr int kBrickHidden = 4;
constexpr int kCellHidden = 5;

// The appear and disappear: the fades' lengths, the bricks' lag behind their cells, and the wait per
// step of the patterns.
constexpr float kCellFadeIn = 0.4f;
constexpr float kBrickFadeIn = 0.5f;
constexpr float kCellFadeOut = 0.4f;
constexpr float kBrickFadeOut = 0.5f;
constexpr float kBrickLag = 0.3f;
constexpr float kDiagonalStep = 0.005f;
constexpr float kCentreStep = 0.02f;

// The texts' font and their rise.
constexpr const char* kBoardFont = "FONT_BOARD_TEXT";
constexpr float kLongChainRise = 65;
constexpr float kLongChainSpeed = 0.004f;
constexpr float kNoMovesHold = 200;

// The diagonal pattern opens from the top and left edges to the bottom-right corner.
float DiagonalWait(int x, int y)
{
    return float(x * y) * kDiagonalStep;
}

// The centre pattern opens from all four edges to the middle.
float CentreWait(int x, int y)
{
    const int a = x <= 7 ? x : 15 - x;
    const int b = y <= 5 ? y : 11 - y;
    return float(a * b) * kCentreStep;
}

int ScreenCentreX()
{
    return Tolm::gTolmApp->width / 2;
}

int ScreenCentreY()
{
    return Tolm::gTolmApp->height / 2;
}

} // namespace

void FieldGfx::Update()
{
    FieldRender::Update();
    Step();
}

bool FieldGfx::IsBusy() const
{
    if (FieldRender::IsBusy() || GlobalEffectsPending()) {
        return true;
    }
    for (int i = 0; i < kFieldSlots; ++i) {
        const int x = i % kFieldWidth;
        const int y = i / kFieldWidth;
        if (GetBrick(x, y)->IsAnimating() || GetCell(x, y)->IsAnimating()) {
            return true;
        }
    }
    return false;
}

void FieldGfx::AddBrickExplode(int x, int y)
{
    int cx = 0;
    int cy = 0;
    CellCentre(x, y, cx, cy);
    SpawnGlobalParticles("brick_explode", cx, cy);
    AddLowerEffect(new GfxBrickExplode(cx, cy, *GetBrick(x, y)));
}

void FieldGfx::AddCellExplode(int kind, int x, int y)
{
    int cx = 0;
    int cy = 0;
    CellCentre(x, y, cx, cy);
    AddUpperEffect(new GfxCellExplode(kind, cx, cy));
}

void FieldGfx::AddExpandEffect(int x, int y, BrickBase* brick)
{
    int cx = 0;
    int cy = 0;
    CellCentre(x, y, cx, cy);
    brick->SetVisualState(kBrickGlow, false);
    AddUpperEffect(new GfxBrickExpand(cx, cy, *brick));
}

void FieldGfx::AddFlyScore(int amount, int x, int y)
{
    int cx = 0;
    int cy = 0;
    CellCentre(x, y, cx, cy);
    AddUpperEffect(new GfxFlyScore(amount, float(cx), float(cy)));
}

void FieldGfx::AddTimerFluids(int x, int y, float amount)
{
    int cx = 0;
    int cy = 0;
    CellCentre(x, y, cx, cy);
    AddGlobalEffect(new GfxTimerFluids(cx, cy, amount), false);
}

// The stream makes its own draws first; the start delay is drawn after it.
void FieldGfx::AddFluids(int x, int y, baseCallback* callback)
{
    int cx = 0;
    int cy = 0;
    CellCentre(x, y, cx, cy);
    auto* fluids = new GfxFluids(kFluidSourceX, kFluidSourceY, float(cx), float(cy), callback);
    AddUpperEffect(fluids);
    fluids->AddStartDelay(RandomFloat(0.0f, 1.2f));
}

void FieldGfx::AddSwapEffect(int x1, int y1, int x2, int y2, baseCallback* callback)
{
    AddUpperEffect(new GfxDelay(RandomFloat(0.2f, 1.0f), callback));
    for (const auto& [x, y] : {FieldPosition(x1, y1), FieldPosition(x2, y2)}) {
        int cx = 0;
        int cy = 0;
        CellCentre(x, y, cx, cy);
        AddUpperEffect(new GfxBrickExpand(cx, cy, *GetBrick(x, y)));
    }
}

void FieldGfx::AddFlyingBrick(int type, int fromX, int fromY, int toX, int toY, baseCallback* callback)
{
    Tolm::Image* image = nullptr;
    GetBrickImage(type, image);
    AddUpperEffect(new GfxFlyingBrick(image, float(originX + fromX * cellW), float(originY + fromY * cellH),
                                      float(originX + toX * cellW), float(originY + toY * cellH), callback));
}

void FieldGfx::AddLiveBonusParticles(int x, int y)
{
    int cx = 0;
    int cy = 0;
    CellCentre(x, y, cx, cy);
    SpawnGlobalParticles("bonus_live", cx, cy);
}

void FieldGfx::HighlightCell(int x, int y)
{
    if (x >= 0 && x < kFieldWidth && y >= 0 && y < kFieldHeight) {
        GetCell(x, y)->SetFlag(kCellHighlight);
    }
}

void FieldGfx::HighlightType(int type)
{
    for (int i = 0; i < kFieldSlots; ++i) {
        if (GetBrickType(i % kFieldWidth, i / kFieldWidth) == type) {
            GetCell(i % kFieldWidth, i / kFieldWidth)->SetFlag(kCellHighlight);
        }
    }
}

void FieldGfx::ClearHighlights()
{
    for (int i = 0; i < kFieldSlots; ++i) {
        GetCell(i % kFieldWidth, i / kFieldWidth)->ClearFlag(kCellHighlight);
    }
}

template <typename Visit>
void FieldGfx::ForEachSlot(Visit&& visit)
{
    for (int i = 0; i < kFieldSlots; ++i) {
        const int x = i % kFieldWidth;
        const int y = i / kFieldWidth;
        visit(x, y, GetBrick(x, y), GetCell(x, y));
    }
}

void FieldGfx::ResetBoardVisuals()
{
    ForEachSlot([](int x, int y, BrickBase* brick, CellBase* cell) {
        cell->StopAnimations();
        brick->StopAnimations();
        brick->SetCell(x, y);
        cell->SetVisualState(kCellHidden);
        brick->SetVisualState(kBrickHidden, false);
    });
}

void FieldGfx::HoldAll(float delay)
{
    ForEachSlot([delay](int, int, BrickBase* brick, CellBase* cell) {
        cell->StartEffect(kEffectHold, delay);
        brick->StartEffect(kEffectHold, delay, false);
    });
}

void FieldGfx::ShowBoard(float delay)
{
    if (delay > 0) {
        HoldAll(delay);
    }
    if (delay >= 0) {
        QueueSound("SOUND_FIELD_APPEAR", delay);
    }
    const bool centre = RandomBelow(2) == 1;
    ForEachSlot([centre](int x, int y, BrickBase* brick, CellBase* cell) {
        const float wait = centre ? CentreWait(x, y) : DiagonalWait(x, y);
        cell->StartEffect(kEffectHold, wait);
        cell->StartEffect(kEffectFadeIn, kCellFadeIn);
        brick->StartEffect(kEffectHold, wait + kBrickLag, false);
        brick->StartEffect(kEffectFadeIn, kBrickFadeIn, false);
    });
}

// The bricks start fading at once, ahead of whatever they were doing, and fade again after it, so that a
// brick still sliding when the board goes is gone too.
void FieldGfx::HideBoard(float delay)
{
    if (delay > 0) {
        HoldAll(delay);
    }
    QueueSound("SOUND_FIELD_DISAPPEAR", delay);
    ForEachSlot([](int x, int y, BrickBase* brick, CellBase* cell) {
        cell->StartEffect(kEffectHold, DiagonalWait(x, y));
        cell->StartEffect(kEffectFadeOut, kCellFadeOut);
        brick->StartEffect(kEffectFadeOut, kBrickFadeOut, true);
        brick->StartEffect(kEffectFadeOut, kBrickFadeOut, false);
    });
}

const char* FieldGfx::ComboTextId(int count)
{
    return count < 4 ? "combo" : count == 4 ? "combo4" : count == 5 ? "combo5" : "combo6";
}

void FieldGfx::ShowComboText(int count)
{
    const std::string text = Tolm::FormatString("%s %d", Tolm::GetLocalizedText(ComboTextId(count)).c_str(), count);
    AddUpperEffect(new GfxSwirlText(text, GetFontById(kBoardFont), ScreenCentreX(), ScreenCentreY()));
}

void FieldGfx::ShowLongChainText(float multiplier)
{
    const std::string id = Tolm::FormatString("long_chain%d", RandomRange(1, 3));
    const std::string text = Tolm::FormatString("%s x%.1f", Tolm::GetLocalizedText(id).c_str(), double(multiplier));
    auto* fly = new GfxFlyText(text, float(ScreenCentreX()), float(ScreenCentreY()), GetFontById(kBoardFont));
    fly->SetRiseDistance(kLongChainRise);
    fly->SetProgressSpeed(kLongChainSpeed);
    AddUpperEffect(fly);
}

void FieldGfx::ShowNoMovesText()
{
    auto* swirl =
        new GfxSwirlText(Tolm::GetLocalizedText("no_moves"), GetFontById(kBoardFont), ScreenCentreX(), ScreenCentreY());
    swirl->hold = kNoMovesHold;
    AddUpperEffect(swirl);
}
