// The move finder: labels every group of bricks on the board in which a chain of three can be drawn,
// counts the groups (none left starts the no-move countdown), and flashes one group at random when the
// player hesitates. Its labels also bound the chain's gap fill, which only bridges within one group.
// The labels are worked out by a walk of simple paths, not as connected components: the walk decides
// which bricks a group holds, and with it where a gap may be filled.
#pragma once

#include "bricks/BoardTypes.h"
#include "core/Singleton.h"

#include <array>
#include <cstdint>

class FieldMovement;

class Solver : public Singleton<Solver>
{
public:
    // Marks a slot on the path of the walk under way.
    static constexpr uint8_t kOnPath = 255;
    // Fixed updates of hesitation before the first hint, and the wait that follows each hint.
    static constexpr int kHintDelay = 600;

    // Relabels the whole board; the number of groups.
    int Recount(const FieldMovement& board);
    void ResetHintTimer() { hintTimer = 0; }
    // Once per fixed update while the player could use a hint.
    void TickHint(const FieldMovement& board);
    int GetGroupCount() const { return groupCount; }
    // By slot index; 0 where no group is.
    const std::array<uint8_t, kFieldSlots>& GetLabels() const { return labels; }
    int GetLabel(int x, int y) const { return labels[std::size_t(x + kFieldWidth * y)]; }

private:
    // The board as the walk sees it, with a border of empty places round it: the type of every slot's
    // brick (0 where there is none, on a hole and off the board) and its wildcard flag.
    static constexpr int kPaddedWidth = kFieldWidth + 2;
    static constexpr int kPaddedSlots = kPaddedWidth * (kFieldHeight + 2);
    static std::size_t Padded(int x, int y) { return std::size_t(x + 1 + kPaddedWidth * (y + 1)); }
    void TakeSnapshot(const FieldMovement& board);

    // Whether the brick at (x, y) would continue a chain of bricks of the type. Only that brick's wildcard
    // counts, so from a live bonus the walk goes on only to other live bonuses. An empty place links to
    // nothing.
    bool LinksTo(int x, int y, int type) const;
    bool Search(int x, int y, int depth, int label);
    // A live bonus between two bricks of no group makes a group of its own.
    void LabelLiveBonuses();
    void FlashGroup(const FieldMovement& board) const;
    uint8_t& LabelAt(int x, int y) { return labels[std::size_t(x + kFieldWidth * y)]; }

    std::array<uint8_t, kPaddedSlots> types{};
    std::array<bool, kPaddedSlots> wildcards{};
    std::array<uint8_t, kFieldSlots> labels{};
    int groupCount = 0;
    int hintTimer = 0;
};
