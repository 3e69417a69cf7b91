// The ground of one board slot. A CellBase itself is the bare cell that an unknown kind becomes: kind 0,
// not playable, drawing nothing. The classes below draw the holes and the playable tiles with their locks
// and the board's frame. Cells are made by the cell factory.
#pragma once

#include "bricks/BoardTypes.h"

#include <memory>

namespace Tolm {
class Graphics;
}

// Which parts of the board's frame a cell draws, from the playability of its eight neighbours ("open":
// that neighbour is not playable or lies off the board).
// Playable cells: the open sides (back pass) and the outer corners (front pass).
constexpr uint32_t kBorderTop = 1;
constexpr uint32_t kBorderRight = 2;
constexpr uint32_t kBorderLeft = 4;
constexpr uint32_t kBorderBottom = 8;
constexpr uint32_t kBorderTopLeft = 16;
constexpr uint32_t kBorderTopRight = 32;
constexpr uint32_t kBorderBottomLeft = 64;
constexpr uint32_t kBorderBottomRight = 128;
// Holes: the inner corners where two playable neighbours meet (front pass).
constexpr uint32_t kInnerTopLeft = 256;
constexpr uint32_t kInnerTopRight = 512;
constexpr uint32_t kInnerBottomLeft = 1024;
constexpr uint32_t kInnerBottomRight = 2048;

class CellBase : public BoardFlags
{
public:
    explicit CellBase(int cellKind) : kind(CellKind(cellKind)) {}
    virtual ~CellBase() = default;

    CellKind GetKind() const { return kind; }
    // Border bits are only ever added: a new level makes new cells.
    void SetBorderBits(uint32_t bits) { borderBits |= bits; }
    bool HasBorderBit(uint32_t bits) const { return (borderBits & bits) != 0; }

    // Both draw in cell coordinates: (0, 0) is the cell's top-left pixel.
    virtual void DrawBack(Tolm::Graphics&) {}
    virtual void DrawFront(Tolm::Graphics&) {}
    // Once per frame, with the frame's tick.
    virtual void Update(float) {}
    // Once per fixed update.
    virtual void Animate() {}
    virtual std::unique_ptr<CellBase> Clone() const { return std::make_unique<CellBase>(*this); }
    // 1 fade in, 2 fade out, 4 start the line shine after that time, 6 hold what follows.
    virtual void StartEffect(int, float) {}
    // 3 glow, 4 line shine now, 5 hide at once, 6 wait for what comes first.
    virtual void SetVisualState(int) {}
    virtual void StopAnimations() {}
    // Alpha does not count: a hidden cell at rest is not animating.
    virtual bool IsAnimating() const { return false; }

    uint32_t borderBits = 0;
    CellKind kind;
};
