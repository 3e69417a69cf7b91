// The bitmap font of nearly all game text. A font adds its own point size, scale and tags to the shared
// descriptor data: they choose the active layers, whose glyph images are rescaled when the size differs
// from the one they were made for, and give the font's metrics. A string is laid out for every active
// layer at once and its glyphs are drawn by their order value, lower values underneath.
#pragma once

#include "graphics/Font.h"
#include "graphics/Rect.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace Tolm {

class FontData;
class FontDataLayer;
class MemoryImage;
class TolmAppBase;

class ActiveFontLayer
{
public:
    // Not owned.
    FontDataLayer* baseLayer = nullptr;
    // What the glyphs are drawn from: the base layer's own image, or ownedImage when rescaled.
    MemoryImage* image = nullptr;
    std::unique_ptr<MemoryImage> ownedImage;
    // The source rectangle of each character in the image.
    std::array<Rect, 256> glyphRects{};

    ActiveFontLayer() = default;
    // An owned image is copied.
    ActiveFontLayer(const ActiveFontLayer& other);
    ActiveFontLayer& operator=(const ActiveFontLayer&) = delete;
    virtual ~ActiveFontLayer();

    bool OwnsImage() const { return ownedImage != nullptr; }
};

class ImageFont : public Font
{
public:
    // Shared with the other fonts made from the same descriptor; this font holds one count.
    FontData* fontData = nullptr;
    int pointSize = 0;
    // Upper case.
    std::vector<std::string> tags;
    bool activeLayersValid = false;
    std::vector<std::unique_ptr<ActiveFontLayer>> activeLayers;
    double scale = 1.0;

    // Loads the descriptor; whether it loaded is the font data's loaded flag.
    ImageFont(TolmAppBase* app, const std::string& descriptorFileName);
    // A one-layer font from an image (which stays the caller's) and its legacy width file.
    static std::unique_ptr<ImageFont> ImageFontFromImage(MemoryImage* image, const std::string& widthFileName);
    ImageFont(const ImageFont& other);
    ~ImageFont() override;

    int StringWidth(const std::string& text) override;
    int CharWidth(char character) override;
    int CharWidthKerned(char character, char previous) override;
    void DrawString(Graphics& g, int x, int y, const std::string& text, const Color& color,
                    const Rect& clipRect) override;
    std::unique_ptr<Font> Clone() override;
    virtual void RebuildActiveLayers();
    // The clip rectangle is not used: the context's own clip applies. With rects, each drawn glyph's
    // destination rectangle is listed; with width, the pen's final advance is returned.
    virtual void DrawStringWithRects(Graphics& g, int x, int y, const std::string& text, const Color& color,
                                     const Rect& clipRect, std::vector<Rect>* rects, int* width);
    virtual void SetPointSize(int size);
    virtual int GetPointSize();
    virtual void SetScale(double newScale);
    virtual int GetDefaultPointSize();
    // False when the tag, as passed, is there already; stored tags are upper case.
    virtual bool AddTag(const std::string& tag);
    virtual bool RemoveTag(const std::string& tag);
    virtual bool HasTag(const std::string& tag);
    // The text of a name defined in the descriptor, empty when undefined.
    virtual std::string GetDefineText(const std::string& name);
    virtual void EnsureActiveLayers();

private:
    ImageFont();
    bool LayerIsActive(const FontDataLayer& layer) const;
    std::unique_ptr<ActiveFontLayer> MakeActiveLayer(FontDataLayer& layer, double& sizeFactor) const;
    // A value of the layer scaled to the font's size and scale, truncated toward zero. Measuring and
    // drawing use this one formula, so that the measured width is the drawn width.
    int ScaleForLayer(double value, const FontDataLayer& layer) const;
};

} // namespace Tolm
