// Stand-in for the display image until the image classes and the display back end exist: the screen
// picture as 32-bit 0xAARRGGBB pixels, top row first.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace Tolm {

class DDImage
{
public:
    DDImage(int width, int height) : width(width), height(height), bits(size_t(width) * size_t(height)) {}

    uint32_t* GetBits() { return bits.data(); }
    void Clear(uint32_t color) { std::fill(bits.begin(), bits.end(), color); }

    int width;
    int height;

private:
    std::vector<uint32_t> bits;
};

} // namespace Tolm
