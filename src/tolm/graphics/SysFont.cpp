// System fonts: the face resolved and rendered by the platform's installed fonts, text composed over two
// backgrounds into a temporary image that the drawing context places, translates, clips and blends.
#include "graphics/SysFont.h"

#include "app/TolmAppBase.h"
#include "display/D3DInterface.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/DeviceContext.h"
#include "platform/FontFace.h"
#include "platform/TextEncoding.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace Tolm {

// Every byte's glyph, rendered when the font is made.
struct SysFontGlyphs
{
    std::array<Platform::GlyphBitmap, 256> glyphs;
    int underlinePosition = 0;
    int underlineThickness = 1;
};

namespace {

// Without a display to ask, the dots per inch the game's layouts were made for.
constexpr int kDisplayDotsPerInch = 96;
constexpr int kPointsPerInch = 72;

// a x b / c rounded to the nearest integer, halves away from zero.
int MulDivRounded(int a, int b, int c)
{
    if (c == 0) {
        return -1;
    }
    int64_t product = int64_t(a) * b;
    int64_t magnitude = (std::llabs(product) + std::llabs(int64_t(c)) / 2) / std::llabs(int64_t(c));
    return int((product < 0) != (c < 0) ? -magnitude : magnitude);
}

// Control characters draw nothing and take no room, as on a single text line.
std::shared_ptr<const SysFontGlyphs> RenderGlyphs(const Platform::FontFace& face)
{
    auto rendered = std::make_shared<SysFontGlyphs>();
    for (int byte = ' '; byte < 256; ++byte) {
        rendered->glyphs[std::size_t(byte)] = face.RenderGlyph(Platform::Cp1252ToCharacter((unsigned char)byte));
    }
    rendered->underlinePosition = face.GetUnderlinePosition();
    rendered->underlineThickness = face.GetUnderlineThickness();
    return rendered;
}

uint32_t BlendChannel(uint32_t destination, uint32_t colour, uint32_t coverage)
{
    return (colour * coverage + destination * (255 - coverage) + 127) / 255;
}

// Text output as anti-aliased drawing over the pixels: each channel moves toward the colour by the coverage.
void BlendPixel(uint32_t& pixel, uint32_t rgb, uint32_t coverage)
{
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        result |= BlendChannel(pixel >> shift & 0xFF, rgb >> shift & 0xFF, coverage) << shift;
    }
    pixel = result;
}

uint32_t ToRgb(const Color& color)
{
    return uint32_t(color.red & 0xFF) << 16 | uint32_t(color.green & 0xFF) << 8 | uint32_t(color.blue & 0xFF);
}

} // namespace

SysFont::SysFont(const std::string& faceName, int pointSize, bool bold, bool italic, bool underline)
{
    Create(gTolmApp, faceName, pointSize, bold, italic, underline, kDisplayDotsPerInch);
}

SysFont::SysFont(TolmAppBase* app, const std::string& faceName, int pointSize, bool bold, bool italic, bool underline,
                 int dotsPerInch)
{
    Create(app, faceName, pointSize, bold, italic, underline, dotsPerInch);
}

std::unique_ptr<SysFont> SysFont::SysFontForApp(TolmAppBase* app, const std::string& faceName, int pointSize, int,
                                                bool bold, bool italic, bool underline)
{
    return std::unique_ptr<SysFont>(
        new SysFont(app, faceName, pointSize, bold, italic, underline, kDisplayDotsPerInch));
}

SysFont::SysFont(const SysFont& other)
    : Font(other), application(other.application), underline(other.underline), glyphs(other.glyphs)
{
    if (other.fontHandle) {
        fontHandle = Platform::FontFace::Open(other.fontHandle->GetRequest());
    }
    ascentPadding = 0;
    lineSpacingOffset = 0;
}

SysFont::~SysFont() = default;

// The size asked for is the character height: point size x dots per inch / 72, to the nearest pixel.
void SysFont::Create(TolmAppBase* app, const std::string& faceName, int pointSize, bool bold, bool italic,
                     bool underlined, int dotsPerInch)
{
    application = app;
    underline = underlined;
    Platform::FontRequest request;
    request.family = faceName;
    request.pixelHeight = MulDivRounded(pointSize, dotsPerInch, kPointsPerInch);
    request.bold = bold;
    request.italic = italic;
    fontHandle = Platform::FontFace::Open(request);
    if (!fontHandle) {
        return;
    }
    ascent = fontHandle->GetAscent();
    height = fontHandle->GetAscent() + fontHandle->GetDescent();
    glyphs = RenderGlyphs(*fontHandle);
}

int SysFont::StringWidth(const std::string& text)
{
    if (!glyphs) {
        return 0;
    }
    int width = 0;
    for (char c : text) {
        width += glyphs->glyphs[(unsigned char)c].advance;
    }
    return width;
}

std::unique_ptr<Font> SysFont::Clone()
{
    return std::make_unique<SysFont>(*this);
}

void SysFont::RenderPass(uint32_t* pixels, int width, int height, int left, int top, const std::string& text,
                         uint32_t rgb) const
{
    int pen = left;
    int baseline = top + ascent;
    for (char c : text) {
        const Platform::GlyphBitmap& glyph = glyphs->glyphs[(unsigned char)c];
        for (int row = 0; row < glyph.height; ++row) {
            int y = baseline - glyph.top + row;
            if (y < 0 || y >= height) {
                continue;
            }
            for (int column = 0; column < glyph.width; ++column) {
                int x = pen + glyph.left + column;
                uint32_t coverage = glyph.coverage[std::size_t(row * glyph.width + column)];
                if (x >= 0 && x < width && coverage != 0) {
                    BlendPixel(pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)], rgb, coverage);
                }
            }
        }
        pen += glyph.advance;
    }
    if (!underline) {
        return;
    }
    int underlineTop = baseline + glyphs->underlinePosition;
    for (int y = std::max(underlineTop, 0); y < std::min(underlineTop + glyphs->underlineThickness, height); ++y) {
        for (int x = std::max(left, 0); x < std::min(pen, width); ++x) {
            BlendPixel(pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)], rgb, 255);
        }
    }
}

void SysFont::RenderText(uint32_t* pixels, int width, int height, int left, int top, const std::string& text,
                         uint32_t rgb) const
{
    if (!glyphs) {
        return;
    }
    if (shadow) {
        RenderPass(pixels, width, height, left + 1, top + 1, text, 0);
        if (simulatedBold) {
            RenderPass(pixels, width, height, left + 2, top + 1, text, 0);
        }
    }
    RenderPass(pixels, width, height, left, top, text, rgb);
    if (simulatedBold) {
        RenderPass(pixels, width, height, left + 1, top, text, rgb);
    }
}

// Over white a channel shows c x a + 255 x (1 - a), over black c x a: their difference gives the alpha,
// and the rendering over black divided by it the colour.
uint32_t SysFont::CombineRenderings(uint32_t overWhite, uint32_t overBlack)
{
    uint32_t white = overWhite & 0xFFFFFF;
    uint32_t black = overBlack & 0xFFFFFF;
    if (white == black) {
        return 0xFF000000 | white;
    }
    if (white == 0xFFFFFF && black == 0) {
        return 0;
    }
    uint32_t colour = 0;
    int alpha = 255;
    for (int shift = 16; shift >= 0; shift -= 8) {
        int w = int(white >> shift & 0xFF);
        int k = int(black >> shift & 0xFF);
        int channelAlpha = std::min(k - w + 255, 255);
        int channel = channelAlpha == 0 ? 0 : std::min(k * 255 / channelAlpha, 255);
        colour |= uint32_t(channel) << shift;
        alpha = std::min(alpha, channelAlpha);
    }
    return uint32_t(alpha) << 24 | colour;
}

void SysFont::DrawString(Graphics& g, int x, int y, const std::string& text, const Color& color, const Rect& clipRect)
{
    // A display image without a display keeps its pixels in memory, as any other image.
    auto* surfaceImage = dynamic_cast<DDImage*>(g.destImage);
    if (surfaceImage && surfaceImage->display) {
        DrawOnSurface(*surfaceImage, g, x, y, text, color, clipRect);
    } else {
        DrawInImage(g, x, y, text, color);
    }
}

// The text goes straight into the surface, its cell's top one row below the baseline less the ascent.
// The clip rectangle is taken as it is, without the translation; the colour's alpha is not used.
void SysFont::DrawOnSurface(DDImage& image, const Graphics& g, int x, int y, const std::string& text,
                            const Color& color, const Rect& clipRect)
{
    if (!image.surface) {
        image.CreateSurface();
    }
    if (!image.surface || !fontHandle) {
        return;
    }
    image.PauseSurfaceLock();
    DDInterface* display = image.display;
    if (display && display->is3D && &image == display->GetScreenImage()) {
        display->d3d->Flush();
    }
    Platform::DeviceContext* context = nullptr;
    if (!Platform::Failed(image.surface->GetDC(&context))) {
        const Platform::FontFace* previous = context->SelectFont(fontHandle.get());
        context->SetBkMode(Platform::TRANSPARENT);
        context->IntersectClipRect(clipRect.x, clipRect.y, clipRect.x + clipRect.width, clipRect.y + clipRect.height);
        int left = int(float(x) + g.transX);
        int top = int(float(y - ascent + 1) + g.transY);
        auto output = [&](int dx, int dy, uint32_t colour) {
            context->SetTextColor(colour);
            context->TextOut(left + dx, top + dy, text);
            if (simulatedBold) {
                context->TextOut(left + dx + 1, top + dy, text);
            }
        };
        if (shadow) {
            output(1, 1, Platform::RGB(0, 0, 0));
        }
        output(0, 0, Platform::RGB(uint8_t(color.red), uint8_t(color.green), uint8_t(color.blue)));
        context->SelectFont(previous);
        image.surface->ReleaseDC(context);
        image.DiscardMemoryCopies();
    }
    image.ResumeSurfaceLock();
}

// The image is placed with its top at the baseline less the ascent; the context applies its translation,
// clip and draw mode. The colour's alpha is not used.
void SysFont::DrawInImage(Graphics& g, int x, int y, const std::string& text, const Color& color)
{
    if (g.destImage == &NullImage() || !glyphs) {
        return;
    }
    int width = StringWidth(text);
    if (width <= 0 || height <= 0) {
        return;
    }
    std::size_t count = std::size_t(width) * std::size_t(height);
    std::vector<uint32_t> overWhite(count, 0xFFFFFF);
    std::vector<uint32_t> overBlack(count, 0);
    RenderText(overWhite.data(), width, height, 0, 0, text, ToRgb(color));
    RenderText(overBlack.data(), width, height, 0, 0, text, ToRgb(color));
    std::vector<uint32_t> combined(count);
    for (std::size_t i = 0; i < count; ++i) {
        combined[i] = CombineRenderings(overWhite[i], overBlack[i]);
    }
    MemoryImage image;
    image.SetBits(combined.data(), width, height, false);
    image.hasTransparency = true;
    image.hasPartialAlpha = true;
    g.DrawImage(&image, x, y - ascent);
}

} // namespace Tolm
