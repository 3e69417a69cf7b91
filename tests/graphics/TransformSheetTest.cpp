// Draws rotated, mirrored, scaled, framed, boxed and tiled images through the drawing context onto one
// 320 x 256 sheet and writes it to "graphics_transform_sheet.png" in the working folder, to be looked at.
// Row by row: a sprite turned in steps of 30 degrees about its middle; turned tinted, additive, in draw mode 2, at a
// fractional position and through a matrix; mirrored plain, clipped and stretched, and through transforms;
// scaled through the context's scale and stretched; cels of a frame grid; a nine-part box at three sizes,
// one of them clipped, and a wide tiled strip.
#include "core/Matrix.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "support/PngFile.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace Tolm;

namespace {

constexpr double Pi = 3.14159265358979323846;

double Coverage(double distance)
{
    return std::clamp(0.5 - distance, 0.0, 1.0);
}

// A 32 x 32 sprite that shows which way it faces: a rounded blue plate, a white arrow pointing right and a
// red dot in the top-left corner, all with soft edges.
void MakeSprite(MemoryImage& sprite)
{
    std::vector<uint32_t> pixels(32 * 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            double px = x + 0.5, py = y + 0.5;
            double dx = std::max({3.0 - px, px - 29.0, 0.0}), dy = std::max({3.0 - py, py - 29.0, 0.0});
            double plate = Coverage(std::hypot(dx, dy) - 3.0 + 0.5);
            double shaft = px > 7 && px < 20 ? Coverage(std::abs(py - 16) - 3) : 0;
            double head = px >= 18 && px < 27 ? Coverage(std::abs(py - 16) - (27 - px) * 0.9) : 0;
            double dot = Coverage(std::hypot(px - 8, py - 8) - 3);
            double arrow = std::max(shaft, head);
            double r = 40 + arrow * 215, g = 90 + arrow * 165, b = 200 + arrow * 55;
            r = r * (1 - dot) + 230 * dot, g = g * (1 - dot) + 30 * dot, b = b * (1 - dot) + 40 * dot;
            uint32_t alpha = uint32_t(plate * 255);
            pixels[std::size_t(y * 32 + x)] = (alpha << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
        }
    }
    sprite.SetBits(pixels.data(), 32, 32, true);
}

// A 4 x 2 grid of 16 x 16 cels: a bar that turns through eight positions.
void MakeCels(MemoryImage& cels)
{
    std::vector<uint32_t> pixels(64 * 32, 0);
    for (int n = 0; n < 8; ++n) {
        double angle = n * Pi / 8;
        int ox = (n % 4) * 16, oy = (n / 4) * 16;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                double px = x + 0.5 - 8, py = y + 0.5 - 8;
                double along = px * std::cos(angle) + py * std::sin(angle);
                double across = -px * std::sin(angle) + py * std::cos(angle);
                double c = std::abs(along) < 6.5 ? Coverage(std::abs(across) - 1.5) : 0;
                pixels[std::size_t((oy + y) * 64 + ox + x)] = (uint32_t(c * 255) << 24) | 0xFFC040;
            }
        }
    }
    cels.SetBits(pixels.data(), 64, 32, true);
    cels.numCols = 4;
    cels.numRows = 2;
}

// A 30 x 30 nine-part box: rounded dark corners, striped edges and a checked middle.
void MakeBox(MemoryImage& box)
{
    std::vector<uint32_t> pixels(30 * 30);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 30; ++x) {
            double px = x + 0.5, py = y + 0.5;
            double dx = std::max({9.0 - px, px - 21.0, 0.0}), dy = std::max({9.0 - py, py - 21.0, 0.0});
            double outer = Coverage(std::hypot(dx, dy) - 9.0);
            bool edge = x < 10 || x >= 20 || y < 10 || y >= 20;
            uint32_t color =
                edge ? (((x + y) / 3) % 2 ? 0x7A4A20 : 0x8E5A2A) : (((x / 5) + (y / 5)) % 2 ? 0xF0E0B0 : 0xE0C890);
            if (edge && (x < 3 || y < 3 || x >= 27 || y >= 27)) {
                color = 0x40240C;
            }
            pixels[std::size_t(y * 30 + x)] = (uint32_t(outer * 255) << 24) | color;
        }
    }
    box.SetBits(pixels.data(), 30, 30, true);
}

void DrawBackground(MemoryImage& sheet)
{
    Graphics g(&sheet);
    for (int y = 0; y < sheet.height; y += 8) {
        for (int x = 0; x < sheet.width; x += 8) {
            g.SetColor(((x + y) / 8) % 2 ? Color(60, 64, 72) : Color(84, 88, 96));
            g.FillRect(x, y, 8, 8);
        }
    }
}

void DrawTurns(Graphics& g, MemoryImage& sprite)
{
    for (int i = 0; i < 8; ++i) {
        g.DrawImageRotated(&sprite, 4 + i * 40, 6, i * Pi / 6);
    }
}

void DrawTurnKinds(Graphics& g, MemoryImage& sprite)
{
    g.PushState();
    g.SetTintImages(true);
    g.SetColor(Color(255, 160, 60, 200));
    g.DrawImageRotatedF(&sprite, 4, 48, 0.5, 16, 16);
    g.SetDrawMode(DrawModeAdditive);
    g.SetColor(Color(120, 255, 120, 255));
    g.DrawImageRotatedF(&sprite, 44, 48, -0.5, 16, 16);
    g.PopState();
    g.SetDrawMode(2);
    g.DrawImageRotatedF(&sprite, 84, 48, 1.2, 16, 16);
    g.SetDrawMode(DrawModeNormal);
    for (int i = 0; i < 4; ++i) {
        g.DrawImageF(&sprite, 124 + i * 36 + i * 0.25f, 48 + i * 0.25f);
    }
    Transform complex;
    complex.Rotate(0.6f);
    complex.Scale(1.4f, 0.8f);
    g.DrawImageTransformF(&sprite, complex, 290, 64);
}

void DrawMirrors(Graphics& g, MemoryImage& sprite)
{
    Rect whole(0, 0, 32, 32);
    // One plain colour under the first pair, so that their soft edges blend alike.
    g.SetColor(Color(72, 76, 84));
    g.FillRect(0, 88, 76, 36);
    g.DrawImagePart(&sprite, 4, 90, whole);
    g.DrawImagePartMirror(&sprite, 40, 90, whole, true);
    g.PushState();
    g.IntersectClip(80, 90, 20, 32);
    g.DrawImagePartMirror(&sprite, 76, 90, whole, true);
    g.PopState();
    g.DrawImageStretchedPart(&sprite, Rect(104, 90, 64, 32), whole, true);
    Transform mirror;
    mirror.Scale(-1, 1);
    g.DrawImageTransform(&sprite, mirror, 188, 106);
    Transform mirrorTall;
    mirrorTall.Scale(-1, 1);
    mirrorTall.Scale(1, 1.5f);
    g.DrawImageTransform(&sprite, mirrorTall, 226, 106);
    g.SetFastStretch(true);
    g.DrawImageStretchedPart(&sprite, Rect(250, 90, 64, 40), whole, true);
    g.SetFastStretch(false);
}

void DrawScales(Graphics& g, MemoryImage& sprite, MemoryImage& cels)
{
    g.PushState();
    g.SetScale(0.5f, 0.5f, 4, 136);
    g.DrawImage(&sprite, 4, 136);
    g.SetScale(1.5f, 1.5f, 24, 136);
    g.DrawImage(&sprite, 24, 136);
    g.PopState();
    g.DrawImageStretched(&sprite, Rect(76, 136, 20, 48), Rect(0, 0, 32, 32));
    g.DrawImageStretched(&sprite, Rect(100, 140, 40, 20), Rect(8, 8, 16, 16));
    for (int n = 0; n < 8; ++n) {
        g.DrawImageFrame(&cels, 146 + (n % 4) * 18, 136 + (n / 4) * 18, n);
    }
    g.StretchImageFrame(&cels, Rect(222, 136, 40, 40), 2);
    g.PushState();
    g.SetScale(2, 2, 268, 136);
    g.DrawImageGridFrame(&cels, 268, 136, 1, 1);
    g.PopState();
}

void DrawBoxes(Graphics& g, MemoryImage& box)
{
    g.DrawTiledBox(Rect(4, 190, 30, 30), &box);
    g.DrawTiledBox(Rect(40, 190, 75, 58), &box);
    g.PushState();
    g.IntersectClip(120, 190, 60, 40);
    g.DrawTiledBox(Rect(120, 196, 90, 70), &box);
    g.PopState();
    g.DrawTiledBoxPart(Rect(0, 0, 30, 30), Rect(216, 200, 100, 24), &box);
    g.DrawTiledBoxPart(Rect(10, 10, 10, 10), Rect(216, 228, 100, 24), &box);
}

TEST(TransformSheetTest, RotatedMirroredScaledBoxedAndTiledDrawsAreWrittenAsPng)
{
    MemoryImage sheet, sprite, cels, box;
    sheet.Create(320, 256);
    DrawBackground(sheet);
    sheet.UpdateAlphaFlags();
    MakeSprite(sprite);
    MakeCels(cels);
    MakeBox(box);
    Graphics g(&sheet);
    DrawTurns(g, sprite);
    DrawTurnKinds(g, sprite);
    DrawMirrors(g, sprite);
    DrawScales(g, sprite, cels);
    DrawBoxes(g, box);

    const std::string path = "graphics_transform_sheet.png";
    ASSERT_TRUE(PngFile::Write(path, sheet.width, sheet.height, sheet.GetBits()));
    int width = 0, height = 0;
    std::vector<uint32_t> read;
    ASSERT_TRUE(PngFile::Read(path, width, height, read));
    EXPECT_EQ(read, std::vector<uint32_t>(sheet.GetBits(), sheet.GetBits() + 320 * 256));

    // The mirrored sprite is the plain one flipped, pixel for pixel; a turn by 0 would be a shifted copy.
    const uint32_t* bits = sheet.GetBits();
    for (int y = 90; y < 122; ++y) {
        for (int x = 0; x < 32; ++x) {
            ASSERT_EQ(bits[y * 320 + 40 + x], bits[y * 320 + 4 + 31 - x]) << x << ", " << y;
        }
    }
    // The box's corners are drawn once, unscaled: its top-left pixel is the source's.
    EXPECT_EQ(bits[190 * 320 + 40 + 4], bits[190 * 320 + 4 + 4]);
}

} // namespace
