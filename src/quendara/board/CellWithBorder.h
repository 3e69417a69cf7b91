// A cell that draws its share of the board's frame: the open sides of a playable cell in the back pass,
// its outer corners and a hole's inner corners in the front pass. The pieces reach outside the cell by
// the frame's thickness.
#pragma once

#include "board/CellBase.h"

namespace Tolm {
class Image;
}

class CellWithBorder : public CellBase
{
public:
    static constexpr const char* kBorderImageId = "FIELD_CELL_BORDER";
    static constexpr const char* kCornerImageId = "FIELD_CELL_BORDER_CORNER";
    static constexpr const char* kInnerImageId = "FIELD_CELL_BORDER_CORNER_INNER";

    explicit CellWithBorder(int cellKind);

    void DrawBack(Tolm::Graphics& g) override;
    void DrawFront(Tolm::Graphics& g) override;
    std::unique_ptr<CellBase> Clone() const override { return std::make_unique<CellWithBorder>(*this); }

    // The resource manager's, null where missing. The border is a square frame of side s = c + 2t round a
    // cell of size c, the corner one of the same side cut into quarters, the inner one's first frame a
    // cell cut into quarters.
    Tolm::Image* border = nullptr;
    Tolm::Image* corner = nullptr;
    Tolm::Image* inner = nullptr;

private:
    // The frame's measures: cell size, thickness, side, middle length, half side, half cell.
    struct Geometry
    {
        int c = 0;
        int t = 0;
        int s = 0;
        int m = 0;
        int h = 0;
        int q = 0;
    };
    Geometry Measure() const;
};
