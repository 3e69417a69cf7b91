// The table of triangle routines: 128 entries in four blocks of 32, one block per destination format,
// indexed within a block by the five feature bits. It is constant data, complete before any code runs, so
// matrix and triangle draws work from the start.
#pragma once

#include "rasterizer/TriangleFeatures.h"
#include "rasterizer/TriangleTypes.h"

namespace Tolm {

// Destination pixel-format codes. Any other code draws with the ARGB routines.
inline constexpr int kFormatArgb8888 = 0x8888;
inline constexpr int kFormatRgb888 = 0x888;
inline constexpr int kFormatRgb565 = 0x565;
inline constexpr int kFormatRgb555 = 0x555;

inline constexpr int kTriangleRoutineCount = 128;

// The first table index of the format's block.
constexpr int TriangleRoutineBlock(int format)
{
    switch (format) {
    case kFormatRgb888:
        return 32;
    case kFormatRgb565:
        return 64;
    case kFormatRgb555:
        return 96;
    default:
        return 0;
    }
}

void InitTriangleRoutineTable();

// The entry at a table index; null outside the table.
TriangleRoutine GetTriangleRoutine(int index);

// Draws one triangle with the routine of its format and features.
void DispatchTriangle(bool textured, bool blend, bool vertexColors, bool globalColor, FixedVertex* vertices, void* bits,
                      int pitch, const TriangleTexture* texture, const TriangleColor* color, int format, bool bilinear,
                      const SpanLimits& limits);

} // namespace Tolm
