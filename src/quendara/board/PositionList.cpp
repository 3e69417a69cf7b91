#include "board/PositionList.h"

#include <algorithm>

bool PositionList::Contains(int x, int y) const
{
    return std::find(positions.begin(), positions.end(), FieldPosition(x, y)) != positions.end();
}

bool PositionList::Add(int x, int y)
{
    if (Contains(x, y)) {
        return false;
    }
    positions.emplace_back(x, y);
    return true;
}

bool PositionList::Remove(int x, int y)
{
    auto found = std::find(positions.begin(), positions.end(), FieldPosition(x, y));
    if (found == positions.end()) {
        return false;
    }
    positions.erase(found);
    return true;
}
