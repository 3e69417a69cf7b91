// A fixture for loader tests: files are written into a fresh folder and loaded by their full names.
#pragma once

#include "graphics/ImageLib.h"
#include "support/TempFolder.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <malloc.h>
#include <string>
#include <vector>

class ImageFileTest : public testing::Test
{
protected:
    // Writes the file and returns its full name.
    std::string Write(const std::string& name, const std::string& bytes)
    {
        temp.Write(name, bytes);
        return PathOf(name);
    }
    std::string PathOf(const std::string& name) const { return temp.Path() + name; }

    TempFolder temp;
};

// While it lives, fresh heap memory comes filled with a pattern, so that a pixel a decoder leaves unwritten
// shows instead of reading as the zero an allocator often hands out.
class ScribbledAllocations
{
public:
    ScribbledAllocations() { mallopt(M_PERTURB, 0x5A); }
    ~ScribbledAllocations() { mallopt(M_PERTURB, 0); }
    ScribbledAllocations(const ScribbledAllocations&) = delete;
    ScribbledAllocations& operator=(const ScribbledAllocations&) = delete;
};

inline std::vector<uint32_t> PixelsOf(const Tolm::ImageLib::Image& image)
{
    return std::vector<uint32_t>(image.bits.get(), image.bits.get() + size_t(image.width) * size_t(image.height));
}
