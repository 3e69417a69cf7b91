// Image fonts: the choice of active layers and their rescaled glyph images, metrics, kerned measuring,
// and string drawing ordered by glyph order through one process-wide pool of draw commands.
#include "graphics/ImageFont.h"

#include "app/TolmAppBase.h"
#include "core/CriticalSection.h"
#include "core/StringUtils.h"
#include "graphics/FontData.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/TruncToInt.h"

#include <algorithm>
#include <climits>

namespace Tolm {

namespace {

constexpr std::size_t kPoolSize = 4096;
constexpr int kOrderBuckets = 256;
// A rescaled glyph image larger than this (in pixels) is left empty: its glyphs measure but do not draw.
constexpr int64_t kMaxRescaledPixels = int64_t(1) << 24;

struct GlyphDrawCommand
{
    MemoryImage* image = nullptr;
    int x = 0;
    int y = 0;
    Rect source;
    // -1 leaves the context's mode.
    int drawMode = -1;
    Color color;
    GlyphDrawCommand* next = nullptr;
};

// Filled and drained within one locked string draw; sorting by order is a bucket sort, stable within a
// bucket, and drawing allocates nothing.
struct GlyphDrawPool
{
    CriticalSection lock;
    std::array<GlyphDrawCommand, kPoolSize> commands;
    std::array<GlyphDrawCommand*, kOrderBuckets> heads{};
    std::array<GlyphDrawCommand*, kOrderBuckets> tails{};
    std::size_t used = 0;

    void Clear()
    {
        heads.fill(nullptr);
        tails.fill(nullptr);
        used = 0;
    }

    bool Full() const { return used >= kPoolSize; }

    // The order is a layer's base order plus a glyph's, both as the descriptor gave them.
    void Add(const GlyphDrawCommand& command, int64_t order)
    {
        GlyphDrawCommand* entry = &commands[used++];
        *entry = command;
        entry->next = nullptr;
        auto bucket = std::size_t(std::clamp<int64_t>(order + 128, 0, kOrderBuckets - 1));
        if (tails[bucket]) {
            tails[bucket]->next = entry;
        } else {
            heads[bucket] = entry;
        }
        tails[bucket] = entry;
    }
};

GlyphDrawPool& DrawPool()
{
    static GlyphDrawPool pool;
    return pool;
}

int ClampToInt(int64_t value)
{
    return int(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

// A descriptor's colour lists give multipliers and addends far beyond a byte.
int GlyphChannel(int multiplier, int colour, int addend)
{
    return int(std::clamp<int64_t>(int64_t(multiplier) * colour / 255 + addend, 0, 255));
}

Color GlyphColor(const FontDataLayer& layer, const Color& colour)
{
    return Color(GlyphChannel(layer.colorMult.red, colour.red, layer.colorAdd.red),
                 GlyphChannel(layer.colorMult.green, colour.green, layer.colorAdd.green),
                 GlyphChannel(layer.colorMult.blue, colour.blue, layer.colorAdd.blue),
                 GlyphChannel(layer.colorMult.alpha, colour.alpha, layer.colorAdd.alpha));
}

bool InsideImage(const Rect& rect, const Image& image)
{
    return rect.x >= 0 && rect.y >= 0 && rect.width > 0 && rect.height > 0 &&
           int64_t(rect.x) + rect.width <= image.width && int64_t(rect.y) + rect.height <= image.height;
}

TolmAppBase* ApplicationOf(const FontDataLayer& layer)
{
    return layer.owner && layer.owner->application ? layer.owner->application : gTolmApp;
}

} // namespace

ActiveFontLayer::ActiveFontLayer(const ActiveFontLayer& other)
    : baseLayer(other.baseLayer), image(other.image), glyphRects(other.glyphRects)
{
    if (!other.ownedImage) {
        return;
    }
    image = nullptr;
    if (TolmAppBase* app = other.baseLayer ? ApplicationOf(*other.baseLayer) : gTolmApp) {
        ownedImage = app->CopyImage(other.ownedImage.get());
        image = ownedImage.get();
    }
}

ActiveFontLayer::~ActiveFontLayer() = default;

ImageFont::ImageFont() : fontData(new FontData)
{
    fontData->AddReference();
}

ImageFont::ImageFont(TolmAppBase* app, const std::string& descriptorFileName) : ImageFont()
{
    fontData->Load(app, descriptorFileName);
    pointSize = fontData->defaultPointSize;
    RebuildActiveLayers();
    activeLayersValid = true;
}

std::unique_ptr<ImageFont> ImageFont::ImageFontFromImage(MemoryImage* image, const std::string& widthFileName)
{
    std::unique_ptr<ImageFont> font(new ImageFont());
    font->fontData->LoadLegacy(image, widthFileName);
    font->pointSize = font->fontData->defaultPointSize;
    font->RebuildActiveLayers();
    font->activeLayersValid = true;
    return font;
}

// A copied layer whose rescaled image could not be copied (no application to copy it) is rebuilt on
// the copy's first use instead.
ImageFont::ImageFont(const ImageFont& other)
    : Font(other), fontData(other.fontData), pointSize(other.pointSize), tags(other.tags),
      activeLayersValid(other.activeLayersValid), scale(other.scale)
{
    fontData->AddReference();
    if (!other.activeLayersValid) {
        return;
    }
    for (const auto& layer : other.activeLayers) {
        activeLayers.push_back(std::make_unique<ActiveFontLayer>(*layer));
        if (layer->OwnsImage() && !activeLayers.back()->OwnsImage()) {
            activeLayersValid = false;
        }
    }
}

ImageFont::~ImageFont()
{
    activeLayers.clear();
    fontData->ReleaseReference();
}

std::unique_ptr<Font> ImageFont::Clone()
{
    return std::make_unique<ImageFont>(*this);
}

bool ImageFont::LayerIsActive(const FontDataLayer& layer) const
{
    bool inRange = layer.minPointSize <= pointSize && (pointSize <= layer.maxPointSize || layer.maxPointSize == -1);
    if (!inRange) {
        return false;
    }
    for (const std::string& required : layer.requiredTags) {
        if (std::find(tags.begin(), tags.end(), required) == tags.end()) {
            return false;
        }
    }
    for (const std::string& tag : tags) {
        if (std::find(layer.excludedTags.begin(), layer.excludedTags.end(), tag) != layer.excludedTags.end()) {
            return false;
        }
    }
    return true;
}

// A layer drawn at the size it was made for uses its image as it is; any other size gets a new image
// with every glyph stretched to the new size, placed side by side in character order.
std::unique_ptr<ActiveFontLayer> ImageFont::MakeActiveLayer(FontDataLayer& layer, double& sizeFactor) const
{
    auto active = std::make_unique<ActiveFontLayer>();
    active->baseLayer = &layer;
    if (scale == 1.0 && (layer.pointSize == 0 || layer.pointSize == pointSize)) {
        active->image = layer.image.GetImage();
        for (std::size_t c = 0; c < active->glyphRects.size(); ++c) {
            active->glyphRects[c] = layer.glyphs[c].imageRect;
        }
        sizeFactor = 1;
        return active;
    }
    double designSize = layer.pointSize != 0 ? layer.pointSize : 1;
    double newSize = layer.pointSize != 0 ? pointSize * scale : scale;
    int64_t totalWidth = 0;
    int tallest = 0;
    for (std::size_t c = 0; c < active->glyphRects.size(); ++c) {
        const Rect& source = layer.glyphs[c].imageRect;
        int w = std::max(0, TruncToInt(source.width * newSize * (1 / designSize)));
        int h = std::max(0, TruncToInt(source.height * newSize * (1 / designSize)));
        active->glyphRects[c] = Rect(ClampToInt(totalWidth), 0, w, h);
        totalWidth += w;
        tallest = std::max(tallest, h);
    }
    active->ownedImage = std::make_unique<MemoryImage>();
    active->image = active->ownedImage.get();
    // Checked in two steps: 256 glyphs as wide as the largest int, times that height, pass int64_t too.
    if (totalWidth <= kMaxRescaledPixels && totalWidth * tallest <= kMaxRescaledPixels) {
        MemoryImage& rescaled = *active->ownedImage;
        rescaled.Create(int(totalWidth), tallest);
        rescaled.GetBits();
        Rect clip(0, 0, rescaled.width, rescaled.height);
        if (MemoryImage* source = layer.image.GetImage()) {
            for (std::size_t c = 0; c < active->glyphRects.size(); ++c) {
                const Rect& from = layer.glyphs[c].imageRect;
                if (InsideImage(from, *source) && InsideImage(active->glyphRects[c], rescaled)) {
                    rescaled.StretchBlit(source, active->glyphRects[c], from, clip, Color::White, DrawModeNormal,
                                         false);
                }
            }
        }
        rescaled.ConvertToPalette();
    }
    sizeFactor = newSize / designSize;
    return active;
}

void ImageFont::RebuildActiveLayers()
{
    if (!fontData->loaded) {
        return;
    }
    activeLayers.clear();
    ascent = 0;
    ascentPadding = 0;
    height = 0;
    lineSpacingOffset = 0;
    bool first = true;
    for (FontDataLayer& layer : fontData->layers) {
        if (!LayerIsActive(layer)) {
            continue;
        }
        double factor = 1;
        activeLayers.push_back(MakeActiveLayer(layer, factor));
        auto scaled = [factor](int value) { return TruncToInt(value * factor); };
        ascent = std::max(ascent, scaled(layer.ascent));
        height = std::max(height, scaled(layer.height != 0 ? layer.height : layer.defaultHeight));
        int padding = scaled(layer.ascentPadding);
        int spacingOffset = scaled(layer.lineSpacingOffset);
        ascentPadding = first ? padding : std::min(ascentPadding, padding);
        lineSpacingOffset = first ? spacingOffset : std::max(lineSpacingOffset, spacingOffset);
        first = false;
    }
}

void ImageFont::EnsureActiveLayers()
{
    if (!activeLayersValid) {
        RebuildActiveLayers();
        activeLayersValid = true;
    }
}

int ImageFont::ScaleForLayer(double value, const FontDataLayer& layer) const
{
    if (layer.pointSize == 0) {
        return TruncToInt(scale == 1.0 ? value : value * scale);
    }
    if (scale == 1.0 && layer.pointSize == pointSize) {
        return TruncToInt(value);
    }
    return TruncToInt(value * pointSize * scale / layer.pointSize);
}

int ImageFont::CharWidthKerned(char character, char previous)
{
    EnsureActiveLayers();
    unsigned char c = fontData->characterMap[static_cast<unsigned char>(character)];
    unsigned char p = previous ? fontData->characterMap[static_cast<unsigned char>(previous)] : 0;
    int widest = 0;
    for (const auto& active : activeLayers) {
        const FontDataLayer& layer = *active->baseLayer;
        int advance = ScaleForLayer(layer.glyphs[c].width, layer);
        int kern = p ? ScaleForLayer(double(layer.glyphs[p].kerning[c]) + layer.spacing, layer) : 0;
        widest = std::max(widest, ClampToInt(int64_t(advance) + kern));
    }
    return widest;
}

int ImageFont::CharWidth(char character)
{
    return CharWidthKerned(character, 0);
}

int ImageFont::StringWidth(const std::string& text)
{
    int64_t width = 0;
    char previous = 0;
    for (char c : text) {
        width += CharWidthKerned(c, previous);
        previous = c;
    }
    return ClampToInt(width);
}

void ImageFont::DrawString(Graphics& g, int x, int y, const std::string& text, const Color& color, const Rect& clipRect)
{
    DrawStringWithRects(g, x, y, text, color, clipRect, nullptr, nullptr);
}

// The glyphs of every active layer are laid out first and drawn afterwards bucket by bucket, so that a
// layer of lower order (a shadow, an outline) lies under the whole string of the layers above it. Once
// the pool is full, the rest of the string adds nothing: no glyphs, no rectangles, no width.
void ImageFont::DrawStringWithRects(Graphics& g, int x, int y, const std::string& text, const Color& color, const Rect&,
                                    std::vector<Rect>* rects, int* width)
{
    GlyphDrawPool& pool = DrawPool();
    CriticalSectionGuard guard(pool.lock);
    pool.Clear();
    if (rects) {
        rects->clear();
    }
    if (!fontData->loaded) {
        if (width) {
            *width = 0;
        }
        return;
    }
    EnsureActiveLayers();
    bool savedTint = g.tintImages;
    g.SetTintImages(true);
    int64_t pen = x;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = fontData->characterMap[static_cast<unsigned char>(text[i])];
        unsigned char next = i + 1 < text.size() ? fontData->characterMap[static_cast<unsigned char>(text[i + 1])] : 0;
        int64_t nextPen = pen;
        bool first = true;
        for (const auto& active : activeLayers) {
            if (pool.Full()) {
                break;
            }
            const FontDataLayer& layer = *active->baseLayer;
            const GlyphData& glyph = layer.glyphs[c];
            const Rect& source = active->glyphRects[c];
            GlyphDrawCommand command;
            command.image = active->image;
            command.x = ClampToInt(pen + ScaleForLayer(double(layer.offsetX) + glyph.offsetX, layer));
            command.y =
                ClampToInt(int64_t(y) - ScaleForLayer(double(layer.ascent) - glyph.offsetY - layer.offsetY, layer));
            command.source = source;
            command.drawMode = layer.drawMode;
            command.color = GlyphColor(layer, color);
            pool.Add(command, int64_t(layer.baseOrder) + glyph.order);
            if (rects) {
                rects->push_back(Rect(command.x, command.y, source.width, source.height));
            }
            int advance = ScaleForLayer(glyph.width, layer);
            int kern = next ? ScaleForLayer(double(glyph.kerning[next]) + layer.spacing, layer) : 0;
            int64_t layerPen = pen + advance + kern;
            nextPen = first ? layerPen : std::max(nextPen, layerPen);
            first = false;
        }
        pen = nextPen;
    }
    if (width) {
        *width = ClampToInt(pen - x);
    }
    Color savedColor = g.color;
    for (GlyphDrawCommand* head : pool.heads) {
        for (GlyphDrawCommand* command = head; command; command = command->next) {
            int savedMode = g.drawMode;
            if (command->drawMode != -1) {
                g.SetDrawMode(command->drawMode);
            }
            g.SetColor(command->color);
            if (command->image) {
                g.DrawImagePart(command->image, command->x, command->y, command->source);
            }
            g.SetDrawMode(savedMode);
        }
    }
    g.SetColor(savedColor);
    g.SetTintImages(savedTint);
}

void ImageFont::SetPointSize(int size)
{
    pointSize = size;
    activeLayersValid = false;
}

int ImageFont::GetPointSize()
{
    return pointSize;
}

void ImageFont::SetScale(double newScale)
{
    scale = newScale;
    activeLayersValid = false;
}

int ImageFont::GetDefaultPointSize()
{
    return fontData->defaultPointSize;
}

bool ImageFont::AddTag(const std::string& tag)
{
    if (HasTag(tag)) {
        return false;
    }
    tags.push_back(StringToUpper(tag));
    activeLayersValid = false;
    return true;
}

bool ImageFont::RemoveTag(const std::string& tag)
{
    auto found = std::find(tags.begin(), tags.end(), StringToUpper(tag));
    if (found == tags.end()) {
        return false;
    }
    tags.erase(found);
    activeLayersValid = false;
    return true;
}

bool ImageFont::HasTag(const std::string& tag)
{
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

std::string ImageFont::GetDefineText(const std::string& name)
{
    DataElement* value = fontData->FindDefine(name);
    return value ? DescParser::ElementToText(*value) : std::string();
}

} // namespace Tolm
