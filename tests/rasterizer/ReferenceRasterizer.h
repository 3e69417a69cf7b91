// A plain model of the software triangle rasterizer for the tests: per pixel, unpacked channels, every
// feature tested at run time, 128-bit products, and each row's and pixel's values computed from the
// start of the triangle rather than stepped. It shares no code with the routines it checks.
#pragma once

#include "graphics/Color.h"
#include "graphics/TexVertex.h"

#include <cstdint>
#include <vector>

namespace Reference {

struct Vertex
{
    int32_t x = 0;
    int32_t y = 0;
    int32_t a = 0;
    int32_t r = 0;
    int32_t g = 0;
    int32_t b = 0;
    int32_t u = 0;
    int32_t v = 0;
};

struct Texture
{
    std::vector<uint32_t> texels;
    int width = 0;
    int height = 0;
};

struct GlobalColor
{
    int alpha = 255;
    int red = 255;
    int green = 255;
    int blue = 255;
};

// Draws one triangle as the table entry at `tableIndex` does: into 32-bit pixels for the ARGB and RGB
// blocks, 16-bit ones for the 5-6-5 and 5-5-5 blocks.
void DrawTriangle(int tableIndex, const Vertex (&vertices)[3], uint8_t* bits, int pitch, const Texture* texture,
                  const GlobalColor& color);

// Draws a strip as the entry does, for strips that lie inside the clip rectangle (no triangle is cut).
void DrawStrip(const std::vector<Tolm::TexVertex>& vertices, const Texture* texture, bool hasTransparency,
               bool hasSemiAlpha, const Tolm::Color& color, uint8_t* bits, int pitch, int format, bool bilinear,
               bool vertexColors);

} // namespace Reference
