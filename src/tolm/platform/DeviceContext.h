// A surface's device context, in place of the system's: what text output onto a surface needs. Text is
// drawn with an installed font (FontFace.h), anti-aliased over the surface's own pixels in their
// layout, each channel moving toward the text colour by the glyph's coverage; only the transparent
// background mode exists. The surface stays busy until the context is released.
#pragma once

#include <cstdint>
#include <string>

namespace Platform {

class FontFace;
class IDirectDrawSurface7;

constexpr int TRANSPARENT = 1;

// 0x00BBGGRR, as the system packs a colour reference.
constexpr uint32_t RGB(uint8_t red, uint8_t green, uint8_t blue)
{
    return uint32_t(red) | uint32_t(green) << 8 | uint32_t(blue) << 16;
}

class DeviceContext
{
public:
    explicit DeviceContext(IDirectDrawSurface7& surface);

    // The font text is drawn in; returns the one selected before (null at first).
    const FontFace* SelectFont(const FontFace* font);
    // Returns the colour reference set before.
    uint32_t SetTextColor(uint32_t colorReference);
    // Returns the mode set before; only TRANSPARENT draws.
    int SetBkMode(int mode);
    // Text is cut to the part of the surface inside every rectangle given (right and bottom excluded).
    void IntersectClipRect(int left, int top, int right, int bottom);
    // Windows-1252 text whose character cell has its top-left corner at (x, y). False without a font.
    bool TextOut(int x, int y, const std::string& text);

private:
    void BlendGlyphPixel(int x, int y, uint32_t coverage);

    IDirectDrawSurface7& surface;
    const FontFace* font = nullptr;
    uint32_t textColor = 0;
    int backgroundMode = 0;
    int clipLeft;
    int clipTop;
    int clipRight;
    int clipBottom;
};

} // namespace Platform
