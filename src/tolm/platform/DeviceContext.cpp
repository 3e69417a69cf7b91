#include "platform/DeviceContext.h"

#include "platform/DirectDraw.h"
#include "platform/FontFace.h"
#include "platform/TextEncoding.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace Platform {

namespace {

// The colour's 8 bits reduced to the channel's mask, truncated as the surfaces' conversions are.
uint32_t PackChannel(uint32_t value, uint32_t mask)
{
    int shift = std::countr_zero(mask);
    int bits = std::popcount(mask);
    return ((value >> (8 - bits)) << shift) & mask;
}

uint32_t BlendChannel(uint32_t destination, uint32_t colour, uint32_t coverage)
{
    return (colour * coverage + destination * (255 - coverage) + 127) / 255;
}

} // namespace

DeviceContext::DeviceContext(IDirectDrawSurface7& surface)
    : surface(surface), clipLeft(0), clipTop(0), clipRight(surface.Width()), clipBottom(surface.Height())
{}

const FontFace* DeviceContext::SelectFont(const FontFace* newFont)
{
    return std::exchange(font, newFont);
}

uint32_t DeviceContext::SetTextColor(uint32_t colorReference)
{
    return std::exchange(textColor, colorReference);
}

int DeviceContext::SetBkMode(int mode)
{
    return std::exchange(backgroundMode, mode);
}

void DeviceContext::IntersectClipRect(int left, int top, int right, int bottom)
{
    clipLeft = std::max(clipLeft, left);
    clipTop = std::max(clipTop, top);
    clipRight = std::min(clipRight, right);
    clipBottom = std::min(clipBottom, bottom);
}

void DeviceContext::BlendGlyphPixel(int x, int y, uint32_t coverage)
{
    if (x < clipLeft || x >= clipRight || y < clipTop || y >= clipBottom || coverage == 0) {
        return;
    }
    SurfaceLayout layout = surface.Layout();
    const SurfaceLayoutInfo& info = InfoOf(layout);
    int bytes = BytesPerPixel(layout);
    uint8_t* pixel = surface.Row(y) + std::size_t(x) * std::size_t(bytes);
    uint32_t under = PixelToRgb(layout, pixel, nullptr);
    uint32_t red = BlendChannel(under >> 16 & 0xFF, textColor & 0xFF, coverage);
    uint32_t green = BlendChannel(under >> 8 & 0xFF, textColor >> 8 & 0xFF, coverage);
    uint32_t blue = BlendChannel(under & 0xFF, textColor >> 16 & 0xFF, coverage);
    WritePixelValue(pixel, bytes,
                    PackChannel(red, info.redMask) | PackChannel(green, info.greenMask) |
                        PackChannel(blue, info.blueMask));
}

bool DeviceContext::TextOut(int x, int y, const std::string& text)
{
    if (!font) {
        return false;
    }
    if (backgroundMode != TRANSPARENT || surface.Layout() == SurfaceLayout::Palette8) {
        return true;
    }
    int pen = x;
    int baseline = y + font->GetAscent();
    for (char byte : text) {
        GlyphBitmap glyph = font->RenderGlyph(Cp1252ToCharacter((unsigned char)byte));
        for (int row = 0; row < glyph.height; ++row) {
            for (int column = 0; column < glyph.width; ++column) {
                BlendGlyphPixel(pen + glyph.left + column, baseline - glyph.top + row,
                                glyph.coverage[std::size_t(row * glyph.width + column)]);
            }
        }
        pen += glyph.advance;
    }
    return true;
}

} // namespace Platform
