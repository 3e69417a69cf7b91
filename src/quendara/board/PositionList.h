// An ordered list of board positions, each held once: the board's busy list.
#pragma once

#include "bricks/BoardTypes.h"

#include <vector>

class PositionList
{
public:
    bool Contains(int x, int y) const;
    // False, and no change, when the position is already there; else appended.
    bool Add(int x, int y);
    // Removes the position and keeps the order of the rest; false when it is not there.
    bool Remove(int x, int y);
    void Clear() { positions.clear(); }

    bool IsEmpty() const { return positions.empty(); }
    std::size_t Size() const { return positions.size(); }
    std::vector<FieldPosition>::const_iterator begin() const { return positions.begin(); }
    std::vector<FieldPosition>::const_iterator end() const { return positions.end(); }

private:
    std::vector<FieldPosition> positions;
};
