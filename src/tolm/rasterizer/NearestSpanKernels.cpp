#include "rasterizer/NearestSpanKernels.h"

#include "graphics/BlendKernels.h"

#include <cstring>

namespace Tolm {

const NearestSpanKernels* ActiveNearestSpans()
{
    const char* blends = ActiveBlendKernels().name;
    if (std::strcmp(blends, "scalar") == 0 || std::strcmp(blends, "sse2") == 0) {
        return nullptr;
    }
    return Avx2NearestSpans();
}

} // namespace Tolm
