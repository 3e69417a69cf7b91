// Integer and double rectangles. A rectangle covers columns x .. x + width - 1 and rows y .. y + height - 1;
// a width or height of 0 or less covers nothing.
#pragma once

#include <algorithm>

namespace Tolm {

template <typename T>
struct BasicRect
{
    T x{};
    T y{};
    T width{};
    T height{};

    constexpr BasicRect() = default;
    constexpr BasicRect(T x, T y, T width, T height) : x(x), y(y), width(width), height(height) {}

    // Rectangles that only touch keep a zero-width (or zero-height) result on the shared edge; rectangles
    // that are apart give the zero rectangle.
    constexpr BasicRect Intersection(const BasicRect& other) const
    {
        T left = std::max(x, other.x);
        T top = std::max(y, other.y);
        T overlapWidth = std::min(x + width, other.x + other.width) - left;
        T overlapHeight = std::min(y + height, other.y + other.height) - top;
        if (overlapWidth < 0 || overlapHeight < 0) {
            return BasicRect();
        }
        return BasicRect(left, top, overlapWidth, overlapHeight);
    }

    constexpr bool operator==(const BasicRect&) const = default;
};

using Rect = BasicRect<int>;

struct RectD : BasicRect<double>
{
    using BasicRect<double>::BasicRect;
    constexpr RectD(const BasicRect<double>& other) : BasicRect<double>(other) {}

    constexpr RectD Intersect(const RectD& other) const { return Intersection(other); }
};

} // namespace Tolm
