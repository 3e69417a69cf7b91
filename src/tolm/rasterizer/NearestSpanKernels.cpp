#include "rasterizer/NearestSpanKernels.h"

#include "graphics/BlendKernels.h"
#include "rasterizer/FixedPoint.h"

#include <cstring>

namespace Tolm {

NearestSpanSetup::NearestSpanSetup(const InterpolantValues& steps, const TriangleTexture& texture,
                                   const TriangleColor& color)
    : texture(texture), color(color)
{
    for (int q = 0; q < kInterpolantCount; ++q) {
        for (int k = 0; k < kSpanLanes; ++k) {
            laneSteps[q][k] = FixedPoint::Advance(0, steps[q], k);
        }
        blockSteps[q] = FixedPoint::Advance(0, steps[q], kSpanLanes);
    }
}

const NearestSpanKernels* ActiveNearestSpans()
{
    const char* blends = ActiveBlendKernels().name;
    if (std::strcmp(blends, "scalar") == 0 || std::strcmp(blends, "sse2") == 0) {
        return nullptr;
    }
    return Avx2NearestSpans();
}

} // namespace Tolm
