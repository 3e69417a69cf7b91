// A display's pixel layout: the depth and, per channel, its mask, its width in bits and the position of
// its lowest bit. All zero until the display has been set up.
#pragma once

#include <cstdint>

namespace Tolm {

class NativeDisplay
{
public:
    virtual ~NativeDisplay() = default;

    int bitsPerPixel = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    int redBits = 0;
    int greenBits = 0;
    int blueBits = 0;
    int redShift = 0;
    int greenShift = 0;
    int blueShift = 0;
};

} // namespace Tolm
