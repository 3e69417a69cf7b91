// The records the strip entry hands to every triangle routine, and the routine signature itself.
// Positions and texel coordinates are 16.16 fixed point, colour channels 8.16.
#pragma once

#include <cstdint>

namespace Tolm {

struct FixedVertex
{
    int32_t x = 0; // destination pixels, 16.16
    int32_t y = 0;
    int32_t a = 0; // vertex colour channels 0..255, shifted left by 16
    int32_t r = 0;
    int32_t g = 0;
    int32_t b = 0;
    int32_t u = 0; // texels, 16.16 (already scaled by the texture's width and height)
    int32_t v = 0;
};

struct TriangleTexture
{
    const uint32_t* texels = nullptr; // 0xAARRGGBB, rows of `width` texels with no gap
    int width = 0;
    int size = 0; // width x height: every texel index at or above it reads 0
};

// The global colour, in this order (a Color holds red, green, blue, alpha).
struct TriangleColor
{
    int alpha = 255;
    int red = 255;
    int green = 255;
    int blue = 255;
};

// The pixels a routine may write: columns left .. right - 1 and rows top .. bottom - 1. The strip entry
// passes its clip rectangle, so that a triangle whose fixed-point slopes leave their range still cannot
// write outside it.
struct SpanLimits
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Draws one triangle. It may use the three vertex records as working storage, so every call gets copies.
// Untextured routines do not read the texture record; routines without the global colour do not read the
// colour record.
using TriangleRoutine = void (*)(FixedVertex* vertices, void* bits, int pitch, const TriangleTexture* texture,
                                 const TriangleColor* color, const SpanLimits& limits);

} // namespace Tolm
