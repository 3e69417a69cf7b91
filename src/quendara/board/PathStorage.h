// The chain the player is drawing: the bricks from the pressed one to the last one added. It decides
// which bricks may join (the link rule), cuts the chain back when the player returns onto it, and fills a
// jump over several slots with the shortest path of linkable, idle bricks within one move group. It gives
// the chain's kind and first direction, lets the collapse walk its positions, and draws it as animated
// arrows.
#pragma once

#include "bricks/BoardTypes.h"
#include "core/Singleton.h"

#include <bitset>
#include <cstddef>
#include <vector>

class FieldActions;
class PathGraph;

namespace Tolm {
class Graphics;
}

class PathStorage : public Singleton<PathStorage>
{
public:
    // What Add did.
    static constexpr int kAdded = 1;
    static constexpr int kNotAdded = 0;
    static constexpr int kDoesNotLink = -1;

    // The chain's kinds: the kind of its last resource or tool brick.
    static constexpr int kKindNone = 0;
    static constexpr int kKindGold = 1;
    static constexpr int kKindFood = 2;
    static constexpr int kKindSupplies = 3;
    static constexpr int kKindBonus = 4;

    // The direction of the chain's first step.
    static constexpr int kDirectionNone = 0;
    static constexpr int kDirectionLeft = 1;
    static constexpr int kDirectionUp = 2;
    static constexpr int kDirectionRight = 3;
    static constexpr int kDirectionDown = 4;

    int GetLength() const { return int(chain.size()); }
    // One step of a drag over the brick at (x, y): 1 when the chain grew (by one brick, or by a filled
    // gap), 0 when nothing was added (an empty brick, a cut back, a gap without a path), -1 when the brick
    // does not link.
    int Add(const FieldActions& board, int x, int y, BrickBase* brick);
    void Clear();
    bool IsLast(int x, int y) const;
    bool Contains(int x, int y) const { return IsInGrid(x, y) && members.test(Index(x, y)); }
    // Whether the brick (by identity) is in the chain; with cut, the chain then ends at it, and a chain
    // left with fewer than two bricks is emptied.
    bool CutAt(const BrickBase* brick, bool cut);
    // Whether the brick may follow the chain's last brick; the chain must not be empty.
    bool Links(const BrickBase* brick) const;
    int GetChainKind() const;
    int GetFirstDirection() const;
    // The walk over the chain's positions, first to last; Rewind before each walk.
    void Rewind() { cursor = 0; }
    bool Next(int* x, int* y);

    // Once per fixed update: the arrows' frames and wobble.
    void Tick();
    void Draw(Tolm::Graphics& g) const;

private:
    static bool IsInGrid(int x, int y) { return x >= 0 && x < kFieldWidth && y >= 0 && y < kFieldHeight; }
    static std::size_t Index(int x, int y) { return std::size_t(x + kFieldWidth * y); }
    void Append(const BrickPosition& position);
    bool FillGap(const FieldActions& board, int tx, int ty, BrickBase* brick);
    // The bricks between the chain's end and a target in its row or column, all of which must join.
    bool FillStraight(const FieldActions& board, int tx, int ty, BrickBase* brick,
                      std::vector<BrickPosition>& list) const;
    // The shortest path to the target through the end's move group.
    bool FillShortest(const FieldActions& board, int tx, int ty, BrickBase* brick,
                      std::vector<BrickPosition>& list) const;
    // What the gap fill asks of each slot, asked once per slot and fill.
    class SlotTests;
    static void AddEdgeIfOpen(PathGraph& graph, SlotTests& tests, int x1, int y1, int x2, int y2);
    // Whether the brick at (x, y) could take a place in the chain: idle, linking and not in it already.
    bool CanJoin(const FieldActions& board, int x, int y) const;

    // The kinds since the chain's last live bonus, which the link rule looks for from the chain's end back.
    void NoteKind(const BrickBase* brick);
    void CollectKinds();

    std::vector<BrickPosition> chain;
    // The chain's slots, for the many membership tests of a gap fill.
    std::bitset<kFieldSlots> members;
    // By brick type: the kinds in the chain after its last live bonus.
    std::bitset<kBrickLiveBonus + 1> kinds;
    std::size_t cursor = 0;
    int tickCount = 0;
    int arrowFrame = 0;
    float phase = 0;
};
