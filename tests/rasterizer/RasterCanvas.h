// A destination of 32- or 16-bit pixels for rasterizer tests, with a guard band on every side so that a
// stray write shows. Drawing coordinates start at the inner area's corner; the guard band lies at negative
// coordinates and beyond the width and height.
#pragma once

#include "graphics/Rect.h"
#include "rasterizer/TriangleTypes.h"

#include <cstdint>
#include <vector>

namespace RasterTest {

template <typename Pixel>
class BasicCanvas
{
public:
    static constexpr int kGuard = 4;

    // `extraPitchBytes` (below the pixel size) makes a pitch that is not a whole number of pixels.
    BasicCanvas(int width, int height, Pixel fill, int extraPitchBytes = 0)
        : width(width), height(height), stride(width + 2 * kGuard), extraPitchBytes(extraPitchBytes),
          pixels(size_t(stride) * (height + 2 * kGuard), fill)
    {}

    Pixel& At(int x, int y) { return pixels[size_t(y + kGuard) * stride + x + kGuard]; }
    Pixel At(int x, int y) const { return pixels[size_t(y + kGuard) * stride + x + kGuard]; }

    void* Origin() { return &At(0, 0); }
    uint8_t* OriginBytes() { return reinterpret_cast<uint8_t*>(Origin()); }
    int Pitch() const { return stride * int(sizeof(Pixel)) + extraPitchBytes; }
    Tolm::Rect Clip() const { return {0, 0, width, height}; }
    Tolm::SpanLimits Limits() const { return {0, 0, width, height}; }

    int Width() const { return width; }
    int Height() const { return height; }

    // Every pixel, guard band included.
    const std::vector<Pixel>& Words() const { return pixels; }

    bool operator==(const BasicCanvas& other) const { return pixels == other.pixels; }

private:
    int width;
    int height;
    int stride;
    int extraPitchBytes;
    std::vector<Pixel> pixels;
};

using Canvas = BasicCanvas<uint32_t>;
using Canvas16 = BasicCanvas<uint16_t>;

// A fixed-point vertex at a position in pixels, rounded to the nearest 1/65536.
inline Tolm::FixedVertex FixedAt(double x, double y)
{
    Tolm::FixedVertex vertex;
    vertex.x = static_cast<int32_t>(x * 65536.0 + (x < 0 ? -0.5 : 0.5));
    vertex.y = static_cast<int32_t>(y * 65536.0 + (y < 0 ? -0.5 : 0.5));
    return vertex;
}

// The vertex colour channels of a packed 0xAARRGGBB, as the strip entry converts them.
inline Tolm::FixedVertex WithColor(Tolm::FixedVertex vertex, uint32_t color)
{
    vertex.a = int32_t(color >> 24) << 16;
    vertex.r = int32_t((color >> 16) & 0xFF) << 16;
    vertex.g = int32_t((color >> 8) & 0xFF) << 16;
    vertex.b = int32_t(color & 0xFF) << 16;
    return vertex;
}

inline Tolm::FixedVertex WithTexel(Tolm::FixedVertex vertex, double u, double v)
{
    vertex.u = static_cast<int32_t>(u * 65536.0);
    vertex.v = static_cast<int32_t>(v * 65536.0);
    return vertex;
}

} // namespace RasterTest
