#include "GlyphSheet.h"

#include <algorithm>

namespace {

constexpr int kGap = 1;

} // namespace

GlyphSheet GlyphSheet::Pack(const std::array<Platform::GlyphBitmap, 256>& bitmaps,
                            const std::vector<uint8_t>& characters, int ascent, int maxWidth, const GlyphPainter& paint)
{
    GlyphSheet sheet;
    int x = kGap;
    int y = kGap;
    int rowHeight = 0;
    for (uint8_t character : characters) {
        const Platform::GlyphBitmap& bitmap = bitmaps[character];
        PlacedGlyph& placed = sheet.glyphs[character];
        placed.offsetX = bitmap.left;
        placed.offsetY = ascent - bitmap.top;
        if (bitmap.width == 0 || bitmap.height == 0) {
            continue;
        }
        if (x + bitmap.width + kGap > maxWidth) {
            x = kGap;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        placed.rect = Tolm::Rect(x, y, bitmap.width, bitmap.height);
        x += bitmap.width + kGap;
        rowHeight = std::max(rowHeight, bitmap.height);
        sheet.width = std::max(sheet.width, x);
    }
    sheet.height = y + rowHeight + kGap;
    sheet.pixels.assign(std::size_t(sheet.width) * std::size_t(sheet.height), 0);
    for (uint8_t character : characters) {
        const Platform::GlyphBitmap& bitmap = bitmaps[character];
        const PlacedGlyph& placed = sheet.glyphs[character];
        for (int row = 0; row < bitmap.height; ++row) {
            for (int column = 0; column < bitmap.width; ++column) {
                uint8_t coverage = bitmap.coverage[std::size_t(row * bitmap.width + column)];
                if (coverage == 0) {
                    continue;
                }
                std::size_t index =
                    std::size_t(placed.rect.y + row) * std::size_t(sheet.width) + std::size_t(placed.rect.x + column);
                sheet.pixels[index] = paint(coverage, placed.offsetY + row);
            }
        }
    }
    return sheet;
}
