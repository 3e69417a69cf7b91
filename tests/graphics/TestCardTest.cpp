// Draws every fill, line and blit mode onto one 256 x 256 image and writes it to
// "graphics_test_card.png" in the working folder, to be looked at. Row by row: fills (opaque, translucent,
// coverage ramp, cleared hole); lines (normal, additive, smooth fans, an outline); blits of a round sprite
// (run-length path, general path, grey tint, colour tint, additive, additive tinted, palette source,
// clipped at the card's edge); stretched blits (smooth up and down, nearest pixel, tinted nearest pixel
// that draws nothing).
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "support/PngFile.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace Tolm;

namespace {

// A round sprite: opaque inside, a soft edge, clear corners, and a colour that changes across it.
void MakeSprite(MemoryImage& sprite, int size)
{
    std::vector<uint32_t> pixels(std::size_t(size * size));
    double radius = size / 2.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double distance = std::hypot(x + 0.5 - radius, y + 0.5 - radius);
            uint32_t alpha = uint32_t(std::clamp((radius - distance) / 4.0, 0.0, 1.0) * 255);
            pixels[std::size_t(y * size + x)] =
                (alpha << 24) | (uint32_t(255 - x * 255 / size) << 16) | (uint32_t(y * 255 / size) << 8) | 0xC0;
        }
    }
    sprite.SetBits(pixels.data(), size, size, true);
}

void DrawBackground(MemoryImage& card)
{
    Graphics g(&card);
    for (int y = 0; y < 256; y += 8) {
        for (int x = 0; x < 256; x += 8) {
            g.SetColor(((x + y) / 8) % 2 ? Color(70, 70, 80) : Color(100, 100, 110));
            g.FillRect(x, y, 8, 8);
        }
    }
}

void DrawFills(MemoryImage& card)
{
    Graphics g(&card);
    g.SetColor(Color(220, 40, 40));
    g.FillRect(4, 4, 36, 36);
    g.SetColor(Color(40, 200, 60, 128));
    g.FillRect(24, 16, 36, 28);
    g.SetColor(Color(60, 80, 240, 90));
    g.SetDrawMode(DrawModeAdditive);
    g.FillRect(44, 4, 30, 30);
    std::vector<unsigned char> ramp(100 * 20);
    std::vector<FillSpan> spans;
    for (int row = 0; row < 20; ++row) {
        for (int i = 0; i < 100; ++i) {
            ramp[std::size_t(row * 100 + i)] = (unsigned char)(i * 255 / 99);
        }
        spans.push_back(FillSpan{8 + row, 80, 100});
    }
    card.FillSpansWithCoverage(spans.data(), int(spans.size()), Color(255, 230, 80), DrawModeNormal, ramp.data(), 80, 8,
                               100, 0);
    card.ClearRect(Rect(200, 8, 24, 24));
    g.SetColor(Color(255, 255, 255, 160));
    g.SetDrawMode(DrawModeNormal);
    g.FillRect(190, 20, 20, 20);
}

void DrawFan(MemoryImage& card, int cx, int cy, const Color& color, int drawMode, bool smooth)
{
    for (int i = 0; i < 12; ++i) {
        double angle = i * 3.14159265 / 12;
        double x = cx + 20 * std::cos(angle), y = cy + 20 * std::sin(angle) * (i % 2 ? 1 : -1);
        if (smooth) {
            card.DrawLineSmooth(cx, cy, x, y, color, drawMode);
        } else {
            card.DrawLine(cx, cy, x, y, color, drawMode);
        }
    }
}

void DrawLines(MemoryImage& card)
{
    DrawFan(card, 28, 72, Color(255, 255, 255), DrawModeNormal, false);
    DrawFan(card, 78, 72, Color(255, 160, 40, 160), DrawModeNormal, false);
    DrawFan(card, 128, 72, Color(80, 120, 255), DrawModeAdditive, false);
    DrawFan(card, 178, 72, Color(255, 255, 255), DrawModeNormal, true);
    Graphics g(&card);
    g.SetColor(Color(255, 255, 0));
    g.DrawRect(206, 52, 44, 40);
    g.DrawLine(206, 52, 250, 92);
}

void DrawBlits(MemoryImage& card, MemoryImage& sprite)
{
    Rect whole(0, 0, sprite.width, sprite.height);
    card.Blit(&sprite, 2, 100, whole, Color::White, DrawModeNormal);
    card.ForceAlphaFlags(true, true);
    card.Blit(&sprite, 34, 100, whole, Color::White, DrawModeNormal);
    card.Blit(&sprite, 66, 100, whole, Color(255, 255, 255, 128), DrawModeNormal);
    card.Blit(&sprite, 98, 100, whole, Color(255, 120, 0, 255), DrawModeNormal);
    card.Blit(&sprite, 130, 100, whole, Color::White, DrawModeAdditive);
    card.Blit(&sprite, 162, 100, whole, Color(0, 255, 120, 200), DrawModeAdditive);
    MemoryImage palette;
    std::vector<uint32_t> stripes(32 * 32);
    for (std::size_t i = 0; i < stripes.size(); ++i) {
        stripes[i] = (i / 4) % 2 ? 0xFFFFD040 : (i % 64 < 32 ? 0x80FF0000 : 0x00000000);
    }
    palette.SetBits(stripes.data(), 32, 32, true);
    palette.ConvertToPalette();
    card.Blit(&palette, 194, 100, Rect(0, 0, 32, 32), Color::White, DrawModeNormal);
    card.Blit(&sprite, 240, 100, whole, Color::White, DrawModeNormal);
    card.ForceAlphaFlags(false, false);
}

void DrawStretches(MemoryImage& card, MemoryImage& sprite)
{
    Rect whole(0, 0, sprite.width, sprite.height);
    Rect clip(0, 0, 256, 256);
    card.StretchBlit(&sprite, Rect(4, 140, 64, 64), Rect(8, 8, 16, 16), clip, Color::White, DrawModeNormal, false);
    card.StretchBlit(&sprite, Rect(72, 140, 20, 20), whole, clip, Color::White, DrawModeNormal, false);
    card.StretchBlit(&sprite, Rect(72, 164, 10, 40), whole, clip, Color::White, DrawModeNormal, false);
    card.StretchBlit(&sprite, Rect(100, 140, 64, 64), whole, clip, Color::White, DrawModeNormal, true);
    card.StretchBlit(&sprite, Rect(168, 140, 64, 64), whole, clip, Color(255, 0, 0, 255), DrawModeNormal, true);
    card.StretchBlit(&sprite, Rect(168, 210, 90, 50), whole, Rect(0, 0, 240, 250), Color::White, DrawModeNormal, false);
    card.StretchBlit(&sprite, Rect(4, 210, 150, 40), Rect(0, 12, 32, 8), clip, Color::White, DrawModeNormal, false);
}

TEST(TestCardTest, EveryModeIsDrawnOnOneCardAndWrittenAsPng)
{
    MemoryImage card;
    card.Create(256, 256);
    DrawBackground(card);
    card.UpdateAlphaFlags();
    MemoryImage sprite;
    MakeSprite(sprite, 32);
    DrawFills(card);
    card.UpdateAlphaFlags();
    card.ForceAlphaFlags(false, false);
    DrawLines(card);
    DrawBlits(card, sprite);
    DrawStretches(card, sprite);

    const std::string path = "graphics_test_card.png";
    ASSERT_TRUE(PngFile::Write(path, card.width, card.height, card.GetBits()));
    int width = 0, height = 0;
    std::vector<uint32_t> read;
    ASSERT_TRUE(PngFile::Read(path, width, height, read));
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 256);
    EXPECT_EQ(read, std::vector<uint32_t>(card.GetBits(), card.GetBits() + 256 * 256));
    // The cleared hole stays clear; the tinted nearest-pixel stretch left its area untouched.
    EXPECT_EQ(card.GetBits()[12 * 256 + 210], 0u);
    EXPECT_EQ(card.GetBits()[170 * 256 + 200], 0xFF64646Eu);
}

} // namespace
