// Small images for the drawing tests, built from pixel lists.
#pragma once

#include "graphics/MemoryImage.h"

#include <cstdint>
#include <vector>

namespace ImageFixtures {

inline std::vector<uint32_t> Pixels(const Tolm::MemoryImage& image)
{
    return std::vector<uint32_t>(image.bits.get(), image.bits.get() + image.GetPixelCount());
}

// The pixels as GetBits gives them, rebuilt from whatever form the image holds.
inline std::vector<uint32_t> ReadPixels(Tolm::MemoryImage& image)
{
    const uint32_t* bits = image.GetBits();
    return std::vector<uint32_t>(bits, bits + image.GetPixelCount());
}

// An image holding the pixels, row by row, with its alpha flags computed from them.
inline void Fill(Tolm::MemoryImage& image, int width, int height, const std::vector<uint32_t>& pixels)
{
    image.SetBits(pixels.data(), width, height, true);
}

inline void FillWith(Tolm::MemoryImage& image, int width, int height, uint32_t pixel)
{
    Fill(image, width, height, std::vector<uint32_t>(std::size_t(width) * std::size_t(height), pixel));
}

} // namespace ImageFixtures
