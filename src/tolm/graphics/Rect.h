// Integer and double rectangles. A rectangle covers columns x .. x + width - 1 and rows y .. y + height - 1;
// a width or height of 0 or less covers nothing.
#pragma once

#include <algorithm>
#include <cstdint>
#include <type_traits>

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
    // that are apart give the zero rectangle. Integer edges are summed in 64 bits, so that a rectangle far
    // out cannot overflow.
    constexpr BasicRect Intersection(const BasicRect& other) const
    {
        using Wide = std::conditional_t<std::is_integral_v<T>, int64_t, T>;
        Wide left = std::max<Wide>(x, other.x);
        Wide top = std::max<Wide>(y, other.y);
        Wide overlapWidth = std::min(Wide(x) + width, Wide(other.x) + other.width) - left;
        Wide overlapHeight = std::min(Wide(y) + height, Wide(other.y) + other.height) - top;
        if (overlapWidth < 0 || overlapHeight < 0) {
            return BasicRect();
        }
        return BasicRect(T(left), T(top), T(overlapWidth), T(overlapHeight));
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
