#include "board/FieldActions.h"

#include "board/Level.h"
#include "board/PathStorage.h"
#include "board/Solver.h"
#include "core/Callback.h"
#include "core/Random.h"
#include "hud/TimerPanel.h"

namespace {

// A random pick gives up after half as many tries as the board has slots.
constexpr int kRandomSlotTries = kFieldSlots / 2;
constexpr int kLightningStrikes = 25;
// One counter bounds both the mixer's swaps and its failed second picks.
constexpr int kMixerTries = 20;

// A brick's visual states.
constexpr int kHide = 4;
constexpr int kShow = 5;
constexpr int kHold = 6;

using FluidCallback = CB_Callback_P2<FieldActions, FieldPosition, bool>;
using SwapCallback = CB_Callback_P2<FieldActions, FieldPosition, FieldPosition>;
using ArrivalCallback = CB_Callback_P2<FieldActions, BrickPosition, int>;

} // namespace

bool FieldActions::IsSlotBusy(int x, int y) const
{
    return busy.Contains(x, y) || GetBrick(x, y)->IsAnimating();
}

// The outer lock layer (flag 2) goes first and pays the second layer's progress.
bool FieldActions::ExplodeSlot(int x, int y)
{
    if (!IsInGrid(x, y) || busy.Contains(x, y) || GetBrickType(x, y) == kBrickEmpty || GetBrick(x, y)->IsAnimating()) {
        return false;
    }
    CellBase* cell = GetCell(x, y);
    if (cell->HasFlag(kCellLock1 | kCellLock2)) {
        ++clearedLocks;
    }
    const Level* level = Level::Instance();
    float progress = 0;
    if (cell->HasFlag(kCellLock2)) {
        progress = level->GetPuzzled2Progress();
    } else if (cell->HasFlag(kCellLock1)) {
        progress = level->GetPuzzled1Progress();
    } else if (IsPlayable(x, y)) {
        progress = level->GetSimpleProgress();
    }
    TimerPanel::Instance()->AddProgress(progress);
    AddTimerFluids(x, y, progress);
    AddBrickExplode(x, y);
    PutNewBrick(x, y, kBrickEmpty);
    if (cell->HasFlag(kCellLock2)) {
        AddCellExplode(1, x, y);
        cell->ClearFlag(kCellLock2);
    } else if (cell->HasFlag(kCellLock1)) {
        AddCellExplode(0, x, y);
        cell->ClearFlag(kCellLock1);
    }
    return true;
}

bool FieldActions::PlaceLiveBonus(int x, int y)
{
    if (!HasBrick(x, y) || GetBrickType(x, y) == kBrickLiveBonus) {
        return false;
    }
    PutNewBrick(x, y, kBrickLiveBonus)->SetCell(x, y);
    AddLiveBonusParticles(x, y);
    return true;
}

// The brick's type is not tested: an empty place can be picked.
bool FieldActions::RandomFreeSlot(int& x, int& y)
{
    for (int i = 0; i < kRandomSlotTries; ++i) {
        x = int(RandomBelow(kFieldWidth));
        y = int(RandomBelow(kFieldHeight));
        if (IsPlayable(x, y) && !GetBrick(x, y)->IsAnimating() && !busy.Contains(x, y)) {
            return true;
        }
    }
    return false;
}

// Centre, up, down, left, right, then the corners; slots that cannot explode are passed over.
void FieldActions::Bomb(int x, int y)
{
    const FieldPosition block[] = {{x, y},         {x, y - 1},     {x, y + 1},     {x - 1, y},    {x + 1, y},
                                   {x - 1, y - 1}, {x - 1, y + 1}, {x + 1, y - 1}, {x + 1, y + 1}};
    for (const FieldPosition& at : block) {
        ExplodeSlot(at.x, at.y);
    }
    DropAndRefill();
    PlaySound("SOUND_BONUS_BOMB");
}

void FieldActions::Hammer(int x, int y)
{
    const FieldPosition cross[] = {{x, y}, {x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
    for (const FieldPosition& at : cross) {
        ExplodeSlot(at.x, at.y);
    }
    DropAndRefill();
    PlaySound("SOUND_BONUS_HAMER");
}

void FieldActions::Destroy(int type)
{
    for (int x = 0; x < kFieldWidth; ++x) {
        for (int y = 0; y < kFieldHeight; ++y) {
            if (GetBrickType(x, y) == type) {
                ExplodeSlot(x, y);
            }
        }
    }
    DropAndRefill();
    PlaySound("SOUND_BONUS_DESTROY");
}

// Each strike is busy from the moment it is aimed, so the later picks of a series avoid its slot.
void FieldActions::Lightning(int x, int y, bool last)
{
    if (x >= 0 && y >= 0) {
        AddFluids(x, y, new FluidCallback(this, &FieldActions::OnFluidArrived, FieldPosition(x, y), last));
        busy.Add(x, y);
        return;
    }
    for (int i = 0; i < kLightningStrikes; ++i) {
        int sx = -1;
        int sy = -1;
        if (RandomFreeSlot(sx, sy)) {
            Lightning(sx, sy, i == kLightningStrikes - 1);
        }
    }
}

void FieldActions::OnFluidArrived(FieldPosition at, bool last)
{
    busy.Remove(at.x, at.y);
    if (PathStorage::Instance()->Contains(at.x, at.y)) {
        CancelChain();
    }
    if (!ExplodeSlot(at.x, at.y)) {
        return;
    }
    if (DropMovesChain()) {
        CancelChain();
    }
    DropAndRefill();
    PlaySound("SOUND_BONUS_FLUIDS_EXPLODE_CELL");
    if (last) {
        Solver::Instance()->Recount(*this);
    }
}

// A brick falls when a free slot lies anywhere below it before the next hole.
bool FieldActions::DropMovesChain() const
{
    PathStorage* path = PathStorage::Instance();
    int x = 0;
    int y = 0;
    path->Rewind();
    while (path->Next(&x, &y)) {
        for (int below = y + 1; IsPlayable(x, below); ++below) {
            if (GetBrickType(x, below) == kBrickEmpty) {
                return true;
            }
        }
    }
    return false;
}

// Every swap makes both its slots busy, so no slot takes part in two.
void FieldActions::Mix()
{
    int i = 0;
    do {
        int x1 = 0;
        int y1 = 0;
        const bool ok1 = RandomFreeSlot(x1, y1);
        int x2 = x1;
        int y2 = y1;
        bool ok2 = false;
        while (i < kMixerTries) {
            ok2 = RandomFreeSlot(x2, y2);
            if (ok2 && (x2 != x1 || y2 != y1)) {
                break;
            }
            ++i;
        }
        if (ok1 && ok2 && (x2 != x1 || y2 != y1)) {
            StartSwap(x1, y1, x2, y2);
        }
        ++i;
    } while (i < kMixerTries);
    PlaySound("SOUND_BONUS_MIX");
}

void FieldActions::StartSwap(int x1, int y1, int x2, int y2)
{
    AddSwapEffect(x1, y1, x2, y2,
                  new SwapCallback(this, &FieldActions::SwapWithFlight, FieldPosition(x1, y1), FieldPosition(x2, y2)));
    busy.Add(x1, y1);
    busy.Add(x2, y2);
}

// A swap whose bricks started moving meanwhile is dropped. Otherwise the bricks change slots at once,
// hide, and their pictures fly to their new cells.
void FieldActions::SwapWithFlight(FieldPosition first, FieldPosition second)
{
    if (GetBrick(first.x, first.y)->IsAnimating() || GetBrick(second.x, second.y)->IsAnimating()) {
        busy.Remove(first.x, first.y);
        busy.Remove(second.x, second.y);
        return;
    }
    PathStorage* path = PathStorage::Instance();
    if (path->Contains(first.x, first.y) || path->Contains(second.x, second.y)) {
        CancelChain();
    }
    SwapBricks(first.x, first.y, second.x, second.y);
    BrickBase* a = GetBrick(first.x, first.y);
    BrickBase* b = GetBrick(second.x, second.y);
    a->SetVisualState(kHold, false);
    b->SetVisualState(kHold, false);
    FlyToSlot(a, second, first);
    FlyToSlot(b, first, second);
}

// The brick now stands at `to` but is still drawn at `from`: hidden, its picture moved onto its new cell
// at once, and a copy of it flies there.
void FieldActions::FlyToSlot(BrickBase* brick, FieldPosition from, FieldPosition to)
{
    brick->SetVisualState(kHide, false);
    brick->SetOffsetX(brick->GetOffsetX() + float((to.x - from.x) * cellW), false);
    brick->SetOffsetY(brick->GetOffsetY() + float((to.y - from.y) * cellH), false);
    AddFlyingBrick(
        brick->GetType(), from.x, from.y, to.x, to.y,
        new ArrivalCallback(this, &FieldActions::OnBrickArrived, BrickPosition(brick, to.x, to.y), boardsLaid));
}

void FieldActions::OnBrickArrived(BrickPosition arrived, int board)
{
    busy.Remove(arrived.x, arrived.y);
    if (board == boardsLaid) {
        arrived.brick->SetVisualState(kShow, false);
    }
    Solver::Instance()->Recount(*this);
}

void FieldActions::CancelChain()
{
    PathStorage::Instance()->Clear();
}
