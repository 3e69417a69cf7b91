// A 32-bit destination for rasterizer tests, with a guard band on every side so that a stray write shows.
// Drawing coordinates start at the inner area's corner; the guard band lies at negative coordinates and
// beyond the width and height.
#pragma once

#include "graphics/Rect.h"
#include "rasterizer/TriangleTypes.h"

#include <cstdint>
#include <vector>

namespace RasterTest {

class Canvas
{
public:
    static constexpr int kGuard = 4;

    // `extraPitchBytes` (0 to 3) makes a pitch that is not a whole number of pixels.
    Canvas(int width, int height, uint32_t fill, int extraPitchBytes = 0)
        : width(width), height(height), stride(width + 2 * kGuard), extraPitchBytes(extraPitchBytes),
          pixels(size_t(stride) * (height + 2 * kGuard), fill)
    {}

    uint32_t& At(int x, int y) { return pixels[size_t(y + kGuard) * stride + x + kGuard]; }
    uint32_t At(int x, int y) const { return pixels[size_t(y + kGuard) * stride + x + kGuard]; }

    void* Origin() { return &At(0, 0); }
    uint8_t* OriginBytes() { return reinterpret_cast<uint8_t*>(Origin()); }
    int Pitch() const { return stride * 4 + extraPitchBytes; }
    Tolm::Rect Clip() const { return {0, 0, width, height}; }
    Tolm::SpanLimits Limits() const { return {0, 0, width, height}; }

    int Width() const { return width; }
    int Height() const { return height; }

    // Every word, guard band included.
    const std::vector<uint32_t>& Words() const { return pixels; }

    bool operator==(const Canvas& other) const { return pixels == other.pixels; }

private:
    int width;
    int height;
    int stride;
    int extraPitchBytes;
    std::vector<uint32_t> pixels;
};

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
