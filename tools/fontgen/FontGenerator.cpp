#include "FontGenerator.h"

#include "GlyphSheet.h"
#include "graphics/ImageLib.h"
#include "platform/FontFace.h"
#include "platform/TextEncoding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

// Glyph sheets are packed in rows no wider than this.
constexpr int kSheetWidth = 1024;
// Below this many pixels per em the glyphs are hinted to the pixel grid; above it they stay smooth.
constexpr int kHintedBelowPixels = 24;
// Entries per line in the descriptor's long lists.
constexpr std::size_t kEntriesPerLine = 8;

// The Windows-1252 characters the game's texts can hold: printable ASCII and every defined byte above it.
std::vector<uint8_t> FontCharacters()
{
    std::vector<uint8_t> characters;
    for (int byte = ' '; byte < 256; ++byte) {
        char32_t character = Platform::Cp1252ToCharacter(uint8_t(byte));
        bool control = character == 0x7F || (character >= 0x80 && character < 0xA0);
        if (!control) {
            characters.push_back(uint8_t(byte));
        }
    }
    return characters;
}

// Point sizes are rendered as system fonts are sized: at 96 dots per inch.
int PixelsPerEm(int pointSize)
{
    return (pointSize * 96 + 36) / 72;
}

uint8_t Scale(int channel, uint8_t coverage)
{
    return uint8_t((channel * coverage + 127) / 255);
}

uint32_t Pixel(const Tolm::Color& color, uint8_t coverage)
{
    return uint32_t(Scale(color.alpha, coverage)) << 24 | uint32_t(color.red) << 16 | uint32_t(color.green) << 8 |
           uint32_t(color.blue);
}

Tolm::Color Mix(const Tolm::Color& top, const Tolm::Color& bottom, double t)
{
    auto channel = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
    return Tolm::Color(channel(top.red, bottom.red), channel(top.green, bottom.green), channel(top.blue, bottom.blue),
                       channel(top.alpha, bottom.alpha));
}

// A straight-alpha 0xAARRGGBB colour laid over another.
uint32_t Over(uint32_t top, uint32_t bottom)
{
    const double topAlpha = (top >> 24) / 255.0;
    const double bottomAlpha = (bottom >> 24) / 255.0 * (1 - topAlpha);
    const double alpha = topAlpha + bottomAlpha;
    if (alpha <= 0) {
        return 0;
    }
    uint32_t pixel = uint32_t(std::lround(alpha * 255)) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const double channel = ((top >> shift) & 0xFF) * topAlpha + ((bottom >> shift) & 0xFF) * bottomAlpha;
        pixel |= uint32_t(std::lround(channel / alpha)) << shift;
    }
    return pixel;
}

// Paints each character's glyph of the upper sheet over the same character's glyph of the lower one,
// matched by where both sit in the text cell; the upper glyphs lie within the lower ones.
void PaintGlyphsOver(GlyphSheet& lower, const GlyphSheet& upper, const std::vector<uint8_t>& characters)
{
    for (uint8_t character : characters) {
        const PlacedGlyph& from = upper.glyphs[character];
        const PlacedGlyph& to = lower.glyphs[character];
        const int dx = to.rect.x + from.offsetX - to.offsetX;
        const int dy = to.rect.y + from.offsetY - to.offsetY;
        for (int row = 0; row < from.rect.height; ++row) {
            for (int column = 0; column < from.rect.width; ++column) {
                const int x = dx + column;
                const int y = dy + row;
                if (x < to.rect.x || y < to.rect.y || x >= to.rect.x + to.rect.width ||
                    y >= to.rect.y + to.rect.height) {
                    continue;
                }
                uint32_t& pixel = lower.pixels[std::size_t(y) * std::size_t(lower.width) + std::size_t(x)];
                pixel = Over(upper.pixels[std::size_t(from.rect.y + row) * std::size_t(upper.width) +
                                          std::size_t(from.rect.x + column)],
                             pixel);
            }
        }
    }
}

// A character as a quoted descriptor string; quotes and backslashes are escaped.
std::string Quoted(const std::string& characters)
{
    std::string text = "'";
    for (char c : characters) {
        if (c == '\'' || c == '\\') {
            text += '\\';
        }
        text += c;
    }
    return text + "'";
}

std::string ColorList(const Tolm::Color& color)
{
    std::ostringstream text;
    text << "(" << color.red / 255.0 << ", " << color.green / 255.0 << ", " << color.blue / 255.0 << ", "
         << color.alpha / 255.0 << ")";
    return text.str();
}

std::string List(const std::vector<std::string>& entries)
{
    std::string text = "(";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) {
            text += i % kEntriesPerLine == 0 ? ",\n    " : ", ";
        }
        text += entries[i];
    }
    return text + ")";
}

bool WriteSheet(const GlyphSheet& sheet, const std::string& path)
{
    Tolm::ImageLib::Image image;
    image.width = std::max(sheet.width, 1);
    image.height = std::max(sheet.height, 1);
    image.bits.reset(new uint32_t[std::size_t(image.width) * std::size_t(image.height)]());
    std::copy(sheet.pixels.begin(), sheet.pixels.end(), image.bits.get());
    if (!Tolm::ImageLib::WritePNG(path, image)) {
        std::fprintf(stderr, "fontgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// One point size of a recipe: its glyphs rendered, packed and described.
class SizeRenderer
{
public:
    SizeRenderer(const FontRecipe& recipe, int pointSize, const std::vector<uint8_t>& characters)
        : recipe(recipe), pointSize(pointSize), characters(characters)
    {}

    bool Render(const std::string& folder, std::ostringstream& descriptor, int minPoints, int maxPoints);

private:
    std::string Layer(const char* kind) const { return kind + std::to_string(pointSize); }
    std::string SheetName(const char* suffix) const
    {
        return recipe.output + "_" + std::to_string(PixelsPerEm(pointSize)) + suffix + ".png";
    }
    std::array<Platform::GlyphBitmap, 256> RenderGlyphs(double outlineRadius) const;
    // The outline in its own colour with the fill painted over it, as one sheet.
    GlyphSheet BakeOutline(const GlyphSheet& fill, double growth, int ascent) const;
    void DescribeSheet(std::ostringstream& out, const std::string& layer, const std::string& sheetName,
                       const GlyphSheet& sheet) const;
    void DescribeMetrics(std::ostringstream& out, const std::string& layer,
                         const std::array<Platform::GlyphBitmap, 256>& glyphs, int minPoints, int maxPoints) const;

    const FontRecipe& recipe;
    int pointSize;
    const std::vector<uint8_t>& characters;
    std::unique_ptr<Platform::FontFace> face;
};

std::array<Platform::GlyphBitmap, 256> SizeRenderer::RenderGlyphs(double outlineRadius) const
{
    std::array<Platform::GlyphBitmap, 256> glyphs;
    for (uint8_t character : characters) {
        glyphs[character] = face->RenderGlyph(Platform::Cp1252ToCharacter(character), outlineRadius);
    }
    return glyphs;
}

GlyphSheet SizeRenderer::BakeOutline(const GlyphSheet& fill, double growth, int ascent) const
{
    std::array<Platform::GlyphBitmap, 256> outlined = RenderGlyphs(recipe.outlineRadius * growth);
    const Tolm::Color color = recipe.outlineColor;
    GlyphSheet baked = GlyphSheet::Pack(outlined, characters, ascent, kSheetWidth,
                                        [&color](uint8_t coverage, int) { return Pixel(color, coverage); });
    PaintGlyphsOver(baked, fill, characters);
    return baked;
}

void SizeRenderer::DescribeSheet(std::ostringstream& out, const std::string& layer, const std::string& sheetName,
                                 const GlyphSheet& sheet) const
{
    std::vector<std::string> rects;
    std::vector<std::string> offsets;
    for (uint8_t character : characters) {
        const PlacedGlyph& placed = sheet.glyphs[character];
        rects.push_back("(" + std::to_string(placed.rect.x) + ", " + std::to_string(placed.rect.y) + ", " +
                        std::to_string(placed.rect.width) + ", " + std::to_string(placed.rect.height) + ")");
        offsets.push_back("(" + std::to_string(placed.offsetX) + ", " + std::to_string(placed.offsetY) + ")");
    }
    out << "LayerSetImage " << layer << " " << Quoted(sheetName) << ";\n";
    out << "LayerSetCharOffsets " << layer << " Chars\n    " << List(offsets) << ";\n";
    out << "LayerSetImageMap " << layer << " Chars\n    " << List(rects) << ";\n";
}

// Advances, kerning of the printable ASCII pairs, and the line's metrics.
void SizeRenderer::DescribeMetrics(std::ostringstream& out, const std::string& layer,
                                   const std::array<Platform::GlyphBitmap, 256>& glyphs, int minPoints,
                                   int maxPoints) const
{
    std::vector<std::string> widths;
    for (uint8_t character : characters) {
        widths.push_back(std::to_string(glyphs[character].advance));
    }
    std::vector<std::string> pairs;
    std::vector<std::string> kerning;
    for (char32_t left = '!'; left <= '~'; ++left) {
        for (char32_t right = '!'; right <= '~'; ++right) {
            int value = std::clamp(face->GetKerning(left, right), -128, 127);
            if (value != 0) {
                pairs.push_back(Quoted(std::string{char(left), char(right)}));
                kerning.push_back(std::to_string(value));
            }
        }
    }
    out << "LayerSetCharWidths " << layer << " Chars\n    " << List(widths) << ";\n";
    if (!pairs.empty()) {
        out << "LayerSetKerningPairs " << layer << "\n    " << List(pairs) << "\n    " << List(kerning) << ";\n";
    }
    out << "LayerSetAscent " << layer << " " << face->GetAscent() << ";\n";
    out << "LayerSetHeight " << layer << " " << face->GetAscent() + face->GetDescent() << ";\n";
    out << "LayerSetSpacing " << layer << " " << recipe.spacing << ";\n";
    out << "LayerSetPointSize " << layer << " " << pointSize << ";\n";
    out << "LayerPointRange " << layer << " " << minPoints << " " << maxPoints << ";\n";
}

bool SizeRenderer::Render(const std::string& folder, std::ostringstream& out, int minPoints, int maxPoints)
{
    Platform::FontRequest request;
    request.family = recipe.family;
    request.pixelHeight = PixelsPerEm(pointSize);
    request.bold = recipe.bold;
    request.italic = recipe.italic;
    request.hinted = request.pixelHeight < kHintedBelowPixels;
    face = Platform::FontFace::Open(request);
    if (!face) {
        std::fprintf(stderr, "fontgen: no installed font for %s\n", recipe.family.c_str());
        return false;
    }
    // Outline and shadow grow with the size, from their size at the recipe's first point size.
    double growth = double(request.pixelHeight) / PixelsPerEm(recipe.sizes.front());
    int ascent = face->GetAscent();
    int lineHeight = std::max(1, ascent + face->GetDescent() - 1);

    std::array<Platform::GlyphBitmap, 256> glyphs = RenderGlyphs(0);
    GlyphSheet fill = GlyphSheet::Pack(glyphs, characters, ascent, kSheetWidth, [&](uint8_t coverage, int lineY) {
        double t = std::clamp(double(lineY) / lineHeight, 0.0, 1.0);
        return Pixel(Mix(recipe.fillTop, recipe.fillBottom, t), coverage);
    });
    std::string main = Layer("Main");
    out << "\n# " << pointSize << " points, " << request.pixelHeight << " pixels per em, from " << face->GetFilePath()
        << "\n";
    out << "CreateLayer " << main << ";\n";
    DescribeMetrics(out, main, glyphs, minPoints, maxPoints);
    const bool baked = recipe.baked && recipe.outlineRadius > 0;
    if (baked) {
        fill = BakeOutline(fill, growth, ascent);
    }
    DescribeSheet(out, main, SheetName(""), fill);
    if (!WriteSheet(fill, folder + "/" + SheetName(""))) {
        return false;
    }

    std::string shadowSource = main;
    if (recipe.outlineRadius > 0 && !baked) {
        // The outline is white coverage, coloured by the layer, so that a text colour tints it as well.
        std::array<Platform::GlyphBitmap, 256> outlined = RenderGlyphs(recipe.outlineRadius * growth);
        GlyphSheet outline = GlyphSheet::Pack(outlined, characters, ascent, kSheetWidth, [](uint8_t coverage, int) {
            return Pixel(Tolm::Color::White, coverage);
        });
        std::string layer = Layer("Outline");
        out << "CreateLayerFrom " << layer << " " << main << ";\n";
        DescribeSheet(out, layer, SheetName("_outline"), outline);
        out << "LayerSetColorMult " << layer << " " << ColorList(recipe.outlineColor) << ";\n";
        out << "LayerSetBaseOrder " << layer << " -1;\n";
        if (!WriteSheet(outline, folder + "/" + SheetName("_outline"))) {
            return false;
        }
        shadowSource = layer;
    }
    if (recipe.shadow) {
        std::string layer = Layer("Shadow");
        out << "CreateLayerFrom " << layer << " " << shadowSource << ";\n";
        out << "LayerSetOffset " << layer << " (" << std::lround(recipe.shadowX * growth) << ", "
            << std::lround(recipe.shadowY * growth) << ");\n";
        out << "LayerSetColorMult " << layer << " " << ColorList(recipe.shadowColor) << ";\n";
        out << "LayerSetBaseOrder " << layer << " -2;\n";
    }
    return true;
}

} // namespace

bool GenerateFont(const FontRecipe& recipe, const std::string& folder)
{
    std::vector<uint8_t> characters = FontCharacters();
    std::vector<std::string> quoted;
    for (uint8_t character : characters) {
        quoted.push_back(Quoted(std::string(1, char(character))));
    }
    std::ostringstream descriptor;
    descriptor << "# " << recipe.output << ": rendered by fontgen from its recipe; not to be edited.\n";
    descriptor << "SetDefaultPointSize " << recipe.sizes.front() << ";\n";
    descriptor << "Define Chars\n    " << List(quoted) << ";\n";

    // Each size serves the point sizes nearer to it than to its neighbours.
    std::vector<int> sizes = recipe.sizes;
    std::sort(sizes.begin(), sizes.end());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        int minPoints = i == 0 ? -1 : (sizes[i - 1] + sizes[i] + 1) / 2;
        int maxPoints = i + 1 == sizes.size() ? -1 : (sizes[i] + sizes[i + 1] + 1) / 2 - 1;
        if (!SizeRenderer(recipe, sizes[i], characters).Render(folder, descriptor, minPoints, maxPoints)) {
            return false;
        }
    }
    std::string path = folder + "/" + recipe.output + ".txt";
    std::ofstream file(path, std::ios::binary);
    file << descriptor.str();
    if (!file.flush()) {
        std::fprintf(stderr, "fontgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}
