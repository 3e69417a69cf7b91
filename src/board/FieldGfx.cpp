#include "board/FieldGfx.h"

#include "board/BrickHelper.h"
#include "core/Random.h"
#include "effects/GfxBrickEffects.h"
#include "effects/GfxCellExplode.h"
#include "effects/GfxDelay.h"
#include "effects/GfxFluids.h"
#include "effects/GfxFlyText.h"
#include "effects/GfxFlyingBrick.h"
#include "effects/GfxManager.h"
#include "effects/GfxTimerFluids.h"
#include "effects/GlobalParticles.h"

namespace {

// Where the lightning's streams come from: its button on the bonus panel.
constexpr float kFluidSourceX = 398;
constexpr float kFluidSourceY = 536;
// The brick's glow step.
constexpr int kBrickGlow = 3;

} // namespace

void FieldGfx::Update()
{
    FieldRender::Update();
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
