// Small helpers shared by the software fills, lines and blits: colour clamping, rectangle tests against
// an image and the placing of a blit.
#pragma once

#include "graphics/BlendKernels.h"
#include "graphics/Color.h"
#include "graphics/Image.h"
#include "graphics/MemoryImage.h"
#include "graphics/Rect.h"
#include "graphics/TruncToInt.h"

#include <algorithm>
#include <cstdint>

namespace Tolm {

// Colours arrive unclamped (alpha multipliers above 1, font colour offsets); every draw works on 0..255 so
// that no sum runs past the saturation table and no product spills into a neighbouring channel.
inline Color ClampColor(const Color& color)
{
    auto clamp = [](int component) { return std::clamp(component, 0, 255); };
    return Color(clamp(color.red), clamp(color.green), clamp(color.blue), clamp(color.alpha));
}

inline BlendTint ToTint(const Color& clamped)
{
    return BlendTint{uint32_t(clamped.red), uint32_t(clamped.green), uint32_t(clamped.blue), uint32_t(clamped.alpha)};
}

inline bool IsGrey(const Color& color)
{
    return color.red == color.green && color.green == color.blue && ColorDiffers(color, Color::White);
}

inline bool IsEmpty(const Rect& rect)
{
    return rect.width <= 0 || rect.height <= 0;
}

// A non-empty rectangle that lies wholly inside the image.
inline bool LiesInside(const Rect& rect, const Image& image)
{
    return rect.x >= 0 && rect.y >= 0 && int64_t(rect.x) + rect.width <= image.width &&
           int64_t(rect.y) + rect.height <= image.height;
}

// The part of a rectangle that lies inside the image; empty rectangles become (0, 0, 0, 0).
inline Rect ClipToImage(const Rect& rect, const Image& image)
{
    if (IsEmpty(rect)) {
        return Rect();
    }
    int64_t left = std::max<int64_t>(rect.x, 0);
    int64_t top = std::max<int64_t>(rect.y, 0);
    int64_t right = std::min<int64_t>(int64_t(rect.x) + rect.width, image.width);
    int64_t bottom = std::min<int64_t>(int64_t(rect.y) + rect.height, image.height);
    if (right <= left || bottom <= top) {
        return Rect();
    }
    return Rect(int(left), int(top), int(right - left), int(bottom - top));
}

// The pixels from one truncated end of a straight line to the other, kept to the int range.
inline int FillLength(int from, int to)
{
    return int(std::min<int64_t>(int64_t(to) - from + 1, INT_MAX));
}

// Where a blit lands once cut to the destination, and the source pixel under its top-left corner: the
// leftmost source column drawn, which a mirrored blit draws rightmost.
struct BlitArea
{
    Rect dest;
    int sourceX = 0;
    int sourceY = 0;
};

// A mirrored blit that loses destination columns on its left loses source columns on its right.
inline BlitArea PlaceBlit(const Image& destination, int x, int y, const Rect& sourceRect, BlitFacing facing)
{
    BlitArea area;
    area.dest = ClipToImage(Rect(x, y, sourceRect.width, sourceRect.height), destination);
    if (IsEmpty(area.dest)) {
        return area;
    }
    int skippedLeft = area.dest.x - x;
    area.sourceX = facing == BlitFacing::Plain ? sourceRect.x + skippedLeft
                                               : sourceRect.x + sourceRect.width - skippedLeft - area.dest.width;
    area.sourceY = sourceRect.y + (area.dest.y - y);
    return area;
}

} // namespace Tolm
