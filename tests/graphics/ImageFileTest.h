// A fixture for loader tests: files are written into a fresh folder and loaded by their full names.
#pragma once

#include "graphics/ImageLib.h"
#include "support/TempFolder.h"

#include <cstdint>
#include <gtest/gtest.h>
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

inline std::vector<uint32_t> PixelsOf(const Tolm::ImageLib::Image& image)
{
    return std::vector<uint32_t>(image.bits.get(), image.bits.get() + size_t(image.width) * size_t(image.height));
}
