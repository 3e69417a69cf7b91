// The mouse on the live board. A chain starts with a press on a brick; the pressed brick itself joins at
// the next drag or move over it. Dragging grows the chain and the release pays it. A press and release
// without dragging leaves the chain following the mouse without a button, and a click on its last brick
// releases it.
#include "app/TolmAppBase.h"
#include "board/BonusPanel.h"
#include "board/FieldLive.h"
#include "board/PathStorage.h"
#include "board/Solver.h"
#include "core/StringUtils.h"
#include "widgets/WidgetManager.h"

namespace {

// From this length on the chain grows with the same sound.
constexpr int kLongestGrowSound = 10;

const Tolm::WidgetManager& Widgets()
{
    return *Tolm::gTolmApp->widgetManager;
}

} // namespace

bool FieldLive::CellAt(int px, int py, int& cx, int& cy) const
{
    if (cellW <= 0 || cellH <= 0 || px < boardRect.x || py < boardRect.y || px >= boardRect.x + boardRect.width ||
        py >= boardRect.y + boardRect.height) {
        return false;
    }
    cx = (px - originX) / cellW;
    cy = (py - originY) / cellH;
    return true;
}

void FieldLive::MouseMove(int x, int y)
{
    if (hidden) {
        return;
    }
    if (clickMode) {
        MouseDrag(x, y);
        return;
    }
    ClearTargetHighlights();
    int cx = 0;
    int cy = 0;
    if (!CellAt(x, y, cx, cy)) {
        return;
    }
    const BonusPanel* panel = BonusPanel::Instance();
    if (panel->IsBombArmed()) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                HighlightCell(cx + dx, cy + dy);
            }
        }
    } else if (panel->IsHammerArmed()) {
        HighlightCell(cx, cy);
        HighlightCell(cx - 1, cy);
        HighlightCell(cx + 1, cy);
        HighlightCell(cx, cy - 1);
        HighlightCell(cx, cy + 1);
    } else if (panel->IsDestroyArmed()) {
        HighlightType(GetBrickType(cx, cy));
    }
}

void FieldLive::MouseDown(int x, int y, int button)
{
    if (hidden) {
        return;
    }
    if (Widgets().IsRightButtonDown()) {
        BonusPanel::Instance()->Deselect(true);
        ClearHighlights();
        CancelChain();
        return;
    }
    int cx = 0;
    int cy = 0;
    if (!CellAt(x, y, cx, cy)) {
        return;
    }
    ClearTargetHighlights();
    if (BonusPanel::Instance()->UseArmedOn(cx, cy)) {
        noMoveCounter = 0;
        return;
    }
    BrickBase* brick = GetBrick(cx, cy);
    if (brick->GetType() == kBrickEmpty || IsSlotBusy(cx, cy)) {
        return;
    }
    if (clickMode) {
        if (PathStorage::Instance()->IsLast(cx, cy)) {
            clickMode = false;
            MouseUp(x, y, button);
            return;
        }
        CancelChain();
    }
    clickMode = true;
    AddExpandEffect(cx, cy, brick);
    PlaySound("SOUND_BLOCK_SELECT1");
}

void FieldLive::MouseDrag(int x, int y)
{
    if (hidden) {
        return;
    }
    PathStorage* path = PathStorage::Instance();
    if (clickMode && Widgets().IsLeftButtonDown() && path->GetLength() > 1) {
        clickMode = false;
    }
    Solver::Instance()->ResetHintTimer();
    int cx = 0;
    int cy = 0;
    if (!CellAt(x, y, cx, cy) || (cx == lastX && cy == lastY)) {
        return;
    }
    lastX = cx;
    lastY = cy;
    BrickBase* brick = GetBrick(cx, cy);
    if (brick->GetType() == kBrickEmpty || IsSlotBusy(cx, cy)) {
        return;
    }
    const int result = path->Add(*this, cx, cy, brick);
    if (result > 0) {
        if (path->GetLength() > 1) {
            AddExpandEffect(cx, cy, brick);
        }
        PlayGrowSound(path->GetLength());
    } else if (result == PathStorage::kNotAdded && path->GetLength() == 0) {
        lastX = -1;
        lastY = -1;
        clickMode = false;
    }
}

void FieldLive::PlayGrowSound(int length)
{
    if (length >= 2) {
        PlaySound(Tolm::FormatString("SOUND_BLOCK_SELECT%d", length < kLongestGrowSound ? length : kLongestGrowSound));
    }
}

void FieldLive::MouseUp(int, int, int)
{
    if (clickMode) {
        return;
    }
    lastX = -1;
    lastY = -1;
    if (Widgets().IsLeftButtonDown()) {
        return;
    }
    PathStorage* path = PathStorage::Instance();
    const int kind = path->GetChainKind();
    int lockedCount = 0;
    if (ScoreChain(lockedCount)) {
        PlayExplodeSounds(kind, lockedCount);
        Collapse();
        TrySpawnLiveBonus(LiveBonusChance(Solver::Instance()->Recount(*this)));
        lastChainTick = tick;
        StepCombo();
    }
    path->Clear();
}

void FieldLive::PlayExplodeSounds(int kind, int lockedCount)
{
    switch (kind) {
    case PathStorage::kKindBonus:
        PlaySound("SOUND_CHAIN_EXPLODE_BONUS");
        break;
    case PathStorage::kKindGold:
        PlaySound("SOUND_CHAIN_EXPLODE_GOLD");
        break;
    case PathStorage::kKindFood:
        PlaySound("SOUND_CHAIN_EXPLODE_FOOD");
        break;
    case PathStorage::kKindSupplies:
        PlaySound("SOUND_CHAIN_EXPLODE_SUPPL");
        break;
    default:
        PlaySound("SOUND_CHAIN_EXPLODE");
        break;
    }
    if (lockedCount > 0) {
        PlaySound("SOUND_EXPLODE_PUZZLED_CELL");
    }
}
