#include "graphics/BlendWeights.h"

namespace Tolm {

namespace {

constexpr std::array<BlendWeight, 65537> MakeBlendWeights()
{
    std::array<BlendWeight, 65537> table{};
    for (uint32_t a = 1; a < 256; ++a) {
        for (uint32_t destAlpha = 0; destAlpha < 256; ++destAlpha) {
            uint32_t outAlpha = destAlpha + ((255 - destAlpha) * a) / 255;
            table[(a << 8) | destAlpha] = BlendWeight{uint8_t((a * 255) / outAlpha), uint8_t(outAlpha)};
        }
    }
    return table;
}

} // namespace

constinit const std::array<BlendWeight, 65537> blendWeights = MakeBlendWeights();

} // namespace Tolm
