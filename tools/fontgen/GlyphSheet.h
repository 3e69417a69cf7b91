// Glyph sheets: the glyphs of one size and style packed in rows into one image, each painted by a
// painter that turns a pixel's coverage and its height in the text line into a colour.
#pragma once

#include "graphics/Rect.h"
#include "platform/FontFace.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

// Where a character's glyph lies in the sheet, and where its top-left goes relative to the text cell's
// top-left corner at the pen position.
struct PlacedGlyph
{
    Tolm::Rect rect;
    int offsetX = 0;
    int offsetY = 0;
};

// The colour (0xAARRGGBB) of a pixel of the given coverage lying lineY pixels below the cell's top.
using GlyphPainter = std::function<uint32_t(uint8_t coverage, int lineY)>;

struct GlyphSheet
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    std::array<PlacedGlyph, 256> glyphs{};

    // Packs the glyphs of the listed characters (by byte) in rows no wider than maxWidth, with a clear
    // pixel between neighbours. The cell's top lies ascent pixels above the baseline.
    static GlyphSheet Pack(const std::array<Platform::GlyphBitmap, 256>& bitmaps,
                           const std::vector<uint8_t>& characters, int ascent, int maxWidth, const GlyphPainter& paint);
};
