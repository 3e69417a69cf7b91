#include "support/BoardText.h"

#include "board/CellBase.h"
#include "board/FieldActions.h"
#include "bricks/BoardTypes.h"

#include <sstream>

char BrickChar(int type)
{
    if (type >= kBrickGoldFirst && type <= kBrickGoldLast) {
        return char('a' + type - kBrickGoldFirst);
    }
    if (type >= kBrickFoodFirst && type <= kBrickFoodLast) {
        return char('k' + type - kBrickFoodFirst);
    }
    if (type >= kBrickSuppliesFirst && type <= kBrickSuppliesLast) {
        return char('s' + type - kBrickSuppliesFirst);
    }
    if (type >= kBrickHammer && type <= kBrickDestroy) {
        return char('1' + type - kBrickHammer);
    }
    return type == kBrickLiveBonus ? '+' : '.';
}

int BrickTypeOf(char c)
{
    for (int type = kBrickGoldFirst; type <= kBrickLiveBonus; ++type) {
        if (BrickChar(type) == c) {
            return type;
        }
    }
    return kBrickEmpty;
}


std::string BoardText(const FieldActions& board)
{
    std::string text;
    for (int y = 0; y < kFieldHeight; ++y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            const CellBase* cell = board.GetCell(x, y);
            if (!board.IsPlayable(x, y)) {
                text += "  ";
                continue;
            }
            text += BrickChar(board.GetBrickType(x, y));
            text += cell->HasFlag(kCellLock2) ? '2' : cell->HasFlag(kCellLock1) ? '1' : ' ';
        }
        text += '\n';
    }
    return text;
}

std::string BoardRows(const FieldActions& board)
{
    return TrimRows(BoardText(board));
}

std::string TrimRows(const std::string& boardText)
{
    std::istringstream text(boardText);
    std::string rows;
    std::size_t used = 0;
    for (std::string row; std::getline(text, row);) {
        rows += row.substr(0, row.find_last_not_of(' ') + 1) + '\n';
        if (row.find_first_not_of(' ') != std::string::npos) {
            used = rows.size();
        }
    }
    return rows.substr(0, used);
}
