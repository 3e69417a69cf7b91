#include "board/FieldMovement.h"

#include "board/BoardFactory.h"
#include "board/PathStorage.h"
#include "bricks/BrickHelper.h"

namespace {

// A brick's visual states and effects (see BrickBase).
constexpr int kFadeIn = 1;
constexpr int kHide = 4;
constexpr int kHold = 6;

} // namespace

bool FieldMovement::IsPlayable(int x, int y) const
{
    return IsInGrid(x, y) && GetCellKind(x, y) != kCellHole;
}

bool FieldMovement::IsFreeSlot(int x, int y) const
{
    return IsPlayable(x, y) && GetBrickType(x, y) == kBrickEmpty;
}

bool FieldMovement::HasBrick(int x, int y) const
{
    return IsPlayable(x, y) && GetBrickType(x, y) != kBrickEmpty;
}

bool FieldMovement::IsCellLocked(int x, int y) const
{
    return IsPlayable(x, y) && GetCell(x, y)->HasFlag(kCellLock1 | kCellLock2);
}

bool FieldMovement::IsRunSlot(int x, int y) const
{
    return HasBrick(x, y) && !PathStorage::Instance()->Contains(x, y);
}

void FieldMovement::FadeInNew(BrickBase* brick, int k)
{
    brick->SetVisualState(kHide, false);
    brick->StartEffect(kHold, float(k) * kSpawnWaitStep + kSpawnWaitBase, false);
    brick->SetVisualState(kFadeIn, false);
}

// The brick next to (x, y) moves first; each slide is a barrier, so what the brick is told next waits
// for it.
BrickBase* FieldMovement::Shift(int x, int y, int dx, int dy, bool holdOnly)
{
    const int cell = GetCellSize();
    int fx = x;
    int fy = y;
    while (IsRunSlot(fx - dx, fy - dy)) {
        fx -= dx;
        fy -= dy;
        BrickBase* brick = GetBrick(fx, fy);
        if (holdOnly) {
            brick->StartEffect(kHold, kCollapseHold, false);
            continue;
        }
        if (dx != 0) {
            brick->AddOffsetX(float(dx * cell));
        } else {
            brick->AddOffsetY(float(dy * cell));
        }
        brick->SetVisualState(kHold, false);
        MoveBrick(fx, fy, fx + dx, fy + dy);
    }
    if (holdOnly) {
        return nullptr;
    }
    std::unique_ptr<BrickBase> brick = CreateRandomBrick();
    brick->SetCell(fx, fy);
    BrickBase* added = brick.get();
    PutBrick(fx, fy, std::move(brick));
    return added;
}

BrickBase* FieldMovement::ShiftRight(int x, int y, bool holdOnly)
{
    return Shift(x, y, 1, 0, holdOnly);
}

BrickBase* FieldMovement::ShiftLeft(int x, int y, bool holdOnly)
{
    return Shift(x, y, -1, 0, holdOnly);
}

BrickBase* FieldMovement::ShiftUp(int x, int y, bool holdOnly)
{
    return Shift(x, y, 0, -1, holdOnly);
}

BrickBase* FieldMovement::ShiftDown(int x, int y, bool holdOnly)
{
    return Shift(x, y, 0, 1, holdOnly);
}

// The picture follows the chain's turns one step at a time.
bool FieldMovement::FollowChain(int x, int y)
{
    if (!HasBrick(x, y)) {
        return false;
    }
    PathStorage* path = PathStorage::Instance();
    path->Rewind();
    if (!path->Next(nullptr, nullptr)) {
        return false;
    }
    const int cell = GetCellSize();
    BrickBase* brick = GetBrick(x, y);
    int cx = x;
    int cy = y;
    int px = 0;
    int py = 0;
    while (path->Next(&px, &py) && IsFreeSlot(px, py)) {
        const int dx = cell * (px - cx);
        const int dy = cell * (py - cy);
        if (dx != 0) {
            brick->AddOffsetX(float(dx));
        }
        if (dy != 0) {
            brick->AddOffsetY(float(dy));
        }
        brick->SetVisualState(kHold, false);
        cx = px;
        cy = py;
    }
    MoveBrick(x, y, cx, cy);
    return cx != x || cy != y;
}

// Each pass pushes one brick from the chain's first slot as far along the chain's empty slots as it goes;
// the passes end once every slot of the chain holds a brick again.
void FieldMovement::Collapse()
{
    PathStorage* path = PathStorage::Instance();
    BrickBase* (FieldMovement::*shift)(int, int, bool) = nullptr;
    switch (path->GetFirstDirection()) {
    case PathStorage::kDirectionLeft:
        shift = &FieldMovement::ShiftLeft;
        break;
    case PathStorage::kDirectionUp:
        shift = &FieldMovement::ShiftUp;
        break;
    case PathStorage::kDirectionRight:
        shift = &FieldMovement::ShiftRight;
        break;
    case PathStorage::kDirectionDown:
        shift = &FieldMovement::ShiftDown;
        break;
    default:
        return;
    }
    int x0 = 0;
    int y0 = 0;
    path->Rewind();
    if (!path->Next(&x0, &y0)) {
        return;
    }
    (this->*shift)(x0, y0, true);
    bool moved = true;
    for (int k = 1; moved; ++k) {
        FadeInNew((this->*shift)(x0, y0, false), k);
        moved = FollowChain(x0, y0);
    }
}

bool FieldMovement::DropBrick(int x, int y)
{
    int c = y + 1;
    while (IsFreeSlot(x, c + 1)) {
        ++c;
    }
    MoveBrick(x, y, x, c);
    GetBrick(x, c)->AddOffsetY(float(GetCellSize() * (c - y)));
    return c != y;
}

void FieldMovement::SpawnAt(int x, int y, int k)
{
    std::unique_ptr<BrickBase> brick = CreateRandomBrick();
    brick->SetCell(x, y);
    BrickBase* added = brick.get();
    PutBrick(x, y, std::move(brick));
    FadeInNew(added, k);
    if (IsFreeSlot(x, y + 1)) {
        DropBrick(x, y);
    }
}

// Rows from the bottom up, so every brick lands on bricks that have already fallen; a hole stops a fall.
void FieldMovement::DropAndRefill()
{
    for (int y = kFieldHeight - 1; y >= 0; --y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            BrickBase* brick = GetBrick(x, y);
            if (brick->GetType() <= kBrickEmpty || !IsFreeSlot(x, y + 1)) {
                continue;
            }
            if (brick->IsAnimating()) {
                brick->SetVisualState(kHold, false);
            } else {
                brick->StartEffect(kHold, kCollapseHold, false);
            }
            DropBrick(x, y);
        }
    }
    RefillFromTop();
}

// Each column fills from its top slot, the first new brick falling furthest; then the pockets under
// holes fill from just below the hole.
void FieldMovement::RefillFromTop()
{
    for (int x = 0; x < kFieldWidth; ++x) {
        for (int k = 1; IsFreeSlot(x, 0); ++k) {
            SpawnAt(x, 0, k);
        }
    }
    for (int y = 0; y < kFieldHeight; ++y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            if (HasBrick(x, y)) {
                continue;
            }
            for (int k = 1; IsFreeSlot(x, y + 1); ++k) {
                SpawnAt(x, y + 1, k);
            }
        }
    }
}
