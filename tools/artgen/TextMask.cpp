#include "TextMask.h"

#include "platform/FontFace.h"

#include <cmath>
#include <cstring>
#include <tinyxml.h>

namespace ArtGen {

namespace {

// The recipe files are UTF-8; a broken sequence stands for itself byte by byte.
std::u32string DecodeUtf8(const std::string& text)
{
    std::u32string decoded;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        char32_t value = extra == 0 ? lead : lead & (0x3F >> extra);
        bool valid = i + std::size_t(extra) < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + std::size_t(k)]);
            valid = (next & 0xC0) == 0x80;
            value = (value << 6) | (next & 0x3F);
        }
        decoded.push_back(valid ? value : lead);
        i += valid ? std::size_t(extra) + 1 : 1;
    }
    return decoded;
}

// Coverage laid over coverage: the union of two partly covered pixels.
void AddCoverage(float& cover, float added)
{
    cover = 1.0f - (1.0f - cover) * (1.0f - added);
}

} // namespace

bool TextMask(Mask& mask, const std::string& text, const Transform& transform, const TiXmlElement& element,
              std::string& error)
{
    double x = 0;
    double y = 0;
    double size = 0;
    double spacing = 0;
    int bold = 0;
    int italic = 0;
    element.QueryDoubleAttribute("x", &x);
    element.QueryDoubleAttribute("y", &y);
    element.QueryDoubleAttribute("size", &size);
    element.QueryDoubleAttribute("spacing", &spacing);
    element.QueryIntAttribute("bold", &bold);
    element.QueryIntAttribute("italic", &italic);
    const char* family = element.Attribute("font");
    const char* align = element.Attribute("align");

    Platform::FontRequest request;
    request.family = family ? family : "DejaVu Sans";
    request.pixelHeight = int(std::lround(transform.Length(size)));
    request.bold = bold != 0;
    request.italic = italic != 0;
    request.hinted = false;
    if (request.pixelHeight < 1) {
        error = "text needs a size";
        return false;
    }
    std::unique_ptr<Platform::FontFace> face = Platform::FontFace::Open(request);
    if (!face) {
        error = "no installed font for \"" + request.family + "\"";
        return false;
    }
    const std::u32string characters = DecodeUtf8(text);
    const double gap = transform.Length(spacing);
    std::vector<double> pens;
    double pen = 0;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        if (i > 0) {
            pen += face->GetKerning(characters[i - 1], characters[i]) + gap;
        }
        pens.push_back(pen);
        pen += face->RenderGlyph(characters[i]).advance;
    }
    const Point origin = transform.Apply({x, y});
    double left = origin.x;
    if (align && std::strcmp(align, "center") == 0) {
        left -= pen / 2;
    } else if (align && std::strcmp(align, "right") == 0) {
        left -= pen;
    }
    mask = Mask(mask.Width(), mask.Height());
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const Platform::GlyphBitmap glyph = face->RenderGlyph(characters[i]);
        const int glyphLeft = int(std::lround(left + pens[i])) + glyph.left;
        const int glyphTop = int(std::lround(origin.y)) - glyph.top;
        for (int gy = 0; gy < glyph.height; ++gy) {
            for (int gx = 0; gx < glyph.width; ++gx) {
                const int px = glyphLeft + gx;
                const int py = glyphTop + gy;
                if (px >= 0 && py >= 0 && px < mask.Width() && py < mask.Height()) {
                    AddCoverage(mask.At(px, py),
                                float(glyph.coverage[std::size_t(gy) * std::size_t(glyph.width) + std::size_t(gx)]) /
                                    255.0f);
                }
            }
        }
    }
    return true;
}

} // namespace ArtGen
