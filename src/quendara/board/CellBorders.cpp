#include "board/CellBorders.h"

#include "board/FieldMovement.h"

namespace {

uint32_t PlayableBits(const FieldMovement& board, int x, int y)
{
    const bool left = !board.IsPlayable(x - 1, y);
    const bool right = !board.IsPlayable(x + 1, y);
    const bool up = !board.IsPlayable(x, y - 1);
    const bool down = !board.IsPlayable(x, y + 1);
    uint32_t bits = 0;
    bits |= left ? kBorderLeft : 0;
    bits |= right ? kBorderRight : 0;
    bits |= up ? kBorderTop : 0;
    bits |= down ? kBorderBottom : 0;
    bits |= up && left && !board.IsPlayable(x - 1, y - 1) ? kBorderTopLeft : 0;
    bits |= up && right && !board.IsPlayable(x + 1, y - 1) ? kBorderTopRight : 0;
    bits |= down && left && !board.IsPlayable(x - 1, y + 1) ? kBorderBottomLeft : 0;
    bits |= down && right && !board.IsPlayable(x + 1, y + 1) ? kBorderBottomRight : 0;
    return bits;
}

uint32_t HoleBits(const FieldMovement& board, int x, int y)
{
    const bool left = board.IsPlayable(x - 1, y);
    const bool right = board.IsPlayable(x + 1, y);
    const bool up = board.IsPlayable(x, y - 1);
    const bool down = board.IsPlayable(x, y + 1);
    uint32_t bits = 0;
    bits |= left && up ? kInnerTopLeft : 0;
    bits |= up && right ? kInnerTopRight : 0;
    bits |= down && left ? kInnerBottomLeft : 0;
    bits |= down && right ? kInnerBottomRight : 0;
    return bits;
}

} // namespace

void SetCellBorders(FieldMovement& board)
{
    for (int y = 0; y < kFieldHeight; ++y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            const uint32_t bits = board.IsPlayable(x, y) ? PlayableBits(board, x, y) : HoleBits(board, x, y);
            board.GetCell(x, y)->SetBorderBits(bits);
        }
    }
}
