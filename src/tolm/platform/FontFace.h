// Installed fonts, in place of the operating system's font objects: a family name ("Arial", "Tahoma",
// "DejaVu Sans") is resolved by fontconfig to an installed font file, which FreeType sizes and renders
// into anti-aliased glyph coverage. The system fonts draw with it, and the font generator renders the
// game's glyph sheets with it.
//
// Limitations: the resolution is fontconfig's (on a bare Debian system every sans-serif name becomes
// DejaVu Sans); no hinting of our own, no subpixel rendering, no shaping beyond pair kerning.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Platform {

struct FontRequest
{
    std::string family;
    // The em height in pixels: the character height, not the cell height.
    int pixelHeight = 0;
    bool bold = false;
    bool italic = false;
    // Hinting snaps small text to the pixel grid; large lettering looks smoother without it.
    bool hinted = true;
};

// A glyph's anti-aliased coverage (0 to 255), width x height bytes row by row, placed relative to the
// pen position on the baseline: its left column at pen + left, its top row at baseline - top.
struct GlyphBitmap
{
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    // In whole pixels.
    int advance = 0;
    std::vector<uint8_t> coverage;
};

class FontFace
{
public:
    // Null when no installed font can serve the request at all.
    static std::unique_ptr<FontFace> Open(const FontRequest& request);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    const FontRequest& GetRequest() const { return request; }
    // The installed file the family name resolved to.
    const std::string& GetFilePath() const { return filePath; }
    // Whole pixels above and below the baseline, as the system's text metrics report them: from the
    // font's own line extents, rounded.
    int GetAscent() const { return ascent; }
    int GetDescent() const { return descent; }
    // Pixels from the baseline down to the underline's top (at least 1), and its thickness (at least 1).
    int GetUnderlinePosition() const { return underlinePosition; }
    int GetUnderlineThickness() const { return underlineThickness; }

    // The glyph of a Unicode character (the font's missing-glyph box when it has none). With an outline
    // radius, the coverage of the glyph's outline widened by that many pixels on each side, for outlined
    // lettering.
    GlyphBitmap RenderGlyph(char32_t character, double outlineRadius = 0) const;
    // The extra advance in whole pixels from left to right; 0 when the font has no pair kerning.
    int GetKerning(char32_t left, char32_t right) const;

private:
    struct Face;

    FontFace(const FontRequest& request, std::unique_ptr<Face> face, std::string filePath);

    FontRequest request;
    std::unique_ptr<Face> face;
    std::string filePath;
    int ascent = 0;
    int descent = 0;
    int underlinePosition = 0;
    int underlineThickness = 1;
};

} // namespace Platform
