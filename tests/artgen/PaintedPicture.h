// A recipe's shapes drawn on a clear picture, for the painter's tests to read back pixel by pixel.
#pragma once

#include "Painter.h"

#include <gtest/gtest.h>
#include <string>
#include <tinyxml.h>
#include <vector>

struct Picture
{
    std::vector<uint32_t> pixels;
    int width = 0;

    uint32_t At(int x, int y) const { return pixels[std::size_t(y * width + x)]; }
    int Red(int x, int y) const { return int(At(x, y) >> 16 & 0xFF); }
    int Alpha(int x, int y) const { return int(At(x, y) >> 24); }
};

// The shapes drawn on a clear picture of that size.
inline Picture Paint(const std::string& shapes, int width, int height)
{
    TiXmlDocument document;
    document.Parse(("<image>" + shapes + "</image>").c_str());
    EXPECT_FALSE(document.Error()) << document.ErrorDesc();
    ArtGen::ArtLibrary library;
    ArtGen::Painter painter(library, width, height);
    EXPECT_TRUE(painter.DrawChildren(*document.RootElement(), ArtGen::Transform(), nullptr)) << painter.error;
    const uint32_t* bits = painter.Canvas().GetBits();
    return {std::vector<uint32_t>(bits, bits + std::size_t(width * height)), width};
}
