#include "board/Solver.h"

#include "board/FieldMovement.h"
#include "core/Random.h"

namespace {

// The walk's order: right, left, down, up.
constexpr int kStepX[4] = {1, -1, 0, 0};
constexpr int kStepY[4] = {0, 0, 1, -1};

// The cell's hint flash.
constexpr int kCellGlow = 3;

} // namespace

void Solver::TakeSnapshot(const FieldMovement& board)
{
    for (int y = 0; y < kFieldHeight; ++y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            const BrickBase* brick = board.GetBrick(x, y);
            const bool held = board.HasBrick(x, y);
            types[Padded(x, y)] = uint8_t(held ? brick->GetType() : kBrickEmpty);
            wildcards[Padded(x, y)] = held && brick->HasFlag(kBrickWildcard);
        }
    }
}

bool Solver::LinksTo(int x, int y, int type) const
{
    const int other = types[Padded(x, y)];
    return type != kBrickEmpty && other != kBrickEmpty && (other == type || wildcards[Padded(x, y)]);
}

// Labelled slots are never entered again, so each walk stays short. A slot that ends a path of three, or
// lies on one, takes the label together with the bricks it links to.
bool Solver::Search(int x, int y, int depth, int label)
{
    const int type = types[Padded(x, y)];
    LabelAt(x, y) = kOnPath;
    bool found = false;
    for (int i = 0; i < 4; ++i) {
        const int nx = x + kStepX[i];
        const int ny = y + kStepY[i];
        if (LinksTo(nx, ny, type) && LabelAt(nx, ny) == 0) {
            found |= Search(nx, ny, depth + 1, label);
        }
    }
    LabelAt(x, y) = 0;
    if (depth <= 2 && !found) {
        return false;
    }
    LabelAt(x, y) = uint8_t(label);
    for (int i = 0; i < 4; ++i) {
        const int nx = x + kStepX[i];
        const int ny = y + kStepY[i];
        if (LinksTo(nx, ny, type)) {
            LabelAt(nx, ny) = uint8_t(label);
        }
    }
    return true;
}

void Solver::LabelLiveBonuses()
{
    for (int x = 0; x < kFieldWidth; ++x) {
        for (int y = 0; y < kFieldHeight; ++y) {
            if (types[Padded(x, y)] != kBrickLiveBonus || !wildcards[Padded(x, y)]) {
                continue;
            }
            const int own = LabelAt(x, y);
            const int label = own != 0 ? own : groupCount + 1;
            int taken = 0;
            for (int i = 0; i < 4; ++i) {
                const int nx = x + kStepX[i];
                const int ny = y + kStepY[i];
                if (types[Padded(nx, ny)] != kBrickEmpty && LabelAt(nx, ny) == 0) {
                    LabelAt(nx, ny) = uint8_t(label);
                    ++taken;
                }
            }
            if (taken >= 2 && label == groupCount + 1) {
                if (LabelAt(x, y) == 0) {
                    LabelAt(x, y) = uint8_t(label);
                }
                ++groupCount;
            }
        }
    }
}

int Solver::Recount(const FieldMovement& board)
{
    labels.fill(0);
    groupCount = 0;
    hintTimer = 0;
    TakeSnapshot(board);
    for (int x = 0; x < kFieldWidth; ++x) {
        for (int y = 0; y < kFieldHeight; ++y) {
            if (LabelAt(x, y) == 0 && board.IsPlayable(x, y) && Search(x, y, 1, groupCount + 1)) {
                ++groupCount;
            }
        }
    }
    LabelLiveBonuses();
    return groupCount;
}

// The first hint comes 601 updates after a reset, later ones every 1201 while the player stays idle.
void Solver::TickHint(const FieldMovement& board)
{
    if (++hintTimer <= kHintDelay) {
        return;
    }
    Recount(board);
    FlashGroup(board);
    hintTimer = -kHintDelay;
}

void Solver::FlashGroup(const FieldMovement& board) const
{
    if (groupCount == 0) {
        return;
    }
    const int label = RandomRange(1, unsigned(groupCount));
    for (int i = 0; i < kFieldSlots; ++i) {
        if (labels[std::size_t(i)] == label) {
            board.GetCell(i % kFieldWidth, i / kFieldWidth)->SetVisualState(kCellGlow);
        }
    }
}
