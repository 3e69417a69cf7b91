#include "board/CellWithBorder.h"

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

CellWithBorder::CellWithBorder(int cellKind)
    : CellBase(cellKind), border(GetImageById(kBorderImageId)), corner(GetImageById(kCornerImageId)),
      inner(GetImageById(kInnerImageId))
{}

CellWithBorder::Geometry CellWithBorder::Measure() const
{
    Geometry geometry;
    if (!border || !inner) {
        return geometry;
    }
    geometry.c = inner->GetFrameWidth();
    geometry.t = (border->GetWidth() - geometry.c) / 2;
    geometry.s = border->GetHeight();
    geometry.m = geometry.s - 2 * geometry.t;
    geometry.h = geometry.s / 2;
    geometry.q = geometry.c / 2;
    return geometry;
}

void CellWithBorder::DrawBack(Tolm::Graphics& g)
{
    const auto [c, t, s, m, h, q] = Measure();
    if (HasBorderBit(kBorderLeft)) {
        g.DrawImagePart(border, -t, 0, Tolm::Rect(0, t, t, m));
    }
    if (HasBorderBit(kBorderRight)) {
        g.DrawImagePart(border, c, 0, Tolm::Rect(s - t, t, t, m));
    }
    if (HasBorderBit(kBorderTop)) {
        g.DrawImagePart(border, 0, -t, Tolm::Rect(t, 0, m, t));
    }
    if (HasBorderBit(kBorderBottom)) {
        g.DrawImagePart(border, 0, c, Tolm::Rect(t, s - t, m, t));
    }
}

void CellWithBorder::DrawFront(Tolm::Graphics& g)
{
    const auto [c, t, s, m, h, q] = Measure();
    const int far = c + t - h;
    const struct
    {
        uint32_t bit;
        Tolm::Image* image;
        Tolm::Rect source;
        int x;
        int y;
    } pieces[] = {
        {kBorderTopLeft, corner, Tolm::Rect(0, 0, h, h), -t, -t},
        {kBorderTopRight, corner, Tolm::Rect(h, 0, h, h), far, -t},
        {kBorderBottomLeft, corner, Tolm::Rect(0, h, h, h), -t, far},
        {kBorderBottomRight, corner, Tolm::Rect(h, h, h, h), far, far},
        {kInnerTopLeft, inner, Tolm::Rect(0, 0, q, q), 0, 0},
        {kInnerTopRight, inner, Tolm::Rect(q, 0, q, q), q, 0},
        {kInnerBottomLeft, inner, Tolm::Rect(0, q, q, q), 0, q},
        {kInnerBottomRight, inner, Tolm::Rect(q, q, q, q), q, q},
    };
    for (const auto& piece : pieces) {
        if (HasBorderBit(piece.bit)) {
            g.DrawImagePart(piece.image, piece.x, piece.y, piece.source);
        }
    }
}
