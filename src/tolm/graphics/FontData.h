// The parsed form of an image-font descriptor: layers of glyph images with each character's rectangle,
// offset, advance, kerning and drawing order, and the settings that decide when a layer is used (point
// range, tags) and how it is coloured. One object is shared, reference counted, by every image font made
// from it. A second loader makes a one-layer font from an image and a plain text file of widths.
#pragma once

#include "graphics/Color.h"
#include "graphics/DescParser.h"
#include "graphics/Rect.h"
#include "graphics/SharedImage.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace Tolm {

class FontData;
class MemoryImage;
class TolmAppBase;

struct GlyphData
{
    // In the layer image.
    Rect imageRect;
    int offsetX = 0;
    int offsetY = 0;
    // The extra advance from this character to each following character.
    std::array<int8_t, 256> kerning{};
    // The advance.
    int width = 0;
    // Added to the layer's base order to choose when the glyph is drawn; lower is underneath.
    int order = 0;
};

class FontDataLayer
{
public:
    FontData* owner;
    // Upper case.
    std::vector<std::string> requiredTags;
    std::vector<std::string> excludedTags;
    // Indexed by character code.
    std::array<GlyphData, 256> glyphs;
    Color colorMult = Color(255, 255, 255, 255);
    Color colorAdd = Color(0, 0, 0, 0);
    SharedImageHandle image;
    // -1 draws in the drawing context's own mode; else 0 normal or 1 additive.
    int drawMode = -1;
    int offsetX = 0;
    int offsetY = 0;
    // Added between neighbouring characters.
    int spacing = 0;
    int minPointSize = -1;
    // -1: no upper bound.
    int maxPointSize = -1;
    // The size the glyph images were made for; 0 draws them at the font's scale only.
    int pointSize = 0;
    int ascent = 0;
    int ascentPadding = 0;
    int height = 0;
    int lineSpacingOffset = 0;
    // From the image map; stands for the height while that is 0.
    int defaultHeight = 0;
    int baseOrder = 0;

    explicit FontDataLayer(FontData* owner) : owner(owner) {}
    // A full copy whose image handle shares the source's image without owning it.
    FontDataLayer(const FontDataLayer& other) = default;
    FontDataLayer& operator=(const FontDataLayer&) = delete;
};

class FontData : public DescParser
{
public:
    // True when the descriptor (or the width file) was read without error.
    bool loaded = false;
    // The image fonts using this object; the last one deletes it.
    std::atomic<int> referenceCount{0};
    // Not owned; shows the errors and loads the images. Null for a legacy font.
    TolmAppBase* application = nullptr;
    int defaultPointSize = 0;
    // Every character of drawn or measured text is first replaced by its entry; the identity at first.
    std::array<unsigned char, 256> characterMap;
    // In creation order; a deque keeps the addresses of its elements while it grows.
    std::deque<FontDataLayer> layers;
    // Keyed by the upper-cased layer name.
    std::map<std::string, FontDataLayer*> layerNames;
    std::string fileName;
    std::string errorPrefix;

    FontData();
    ~FontData() override;

    // False only when already loaded; whether the descriptor loaded is the loaded flag.
    bool Load(TolmAppBase* app, const std::string& descriptorFileName);
    // A one-layer font from the image (which stays the caller's) and its width file; false when already
    // loaded or when the width file cannot be opened.
    bool LoadLegacy(MemoryImage* image, const std::string& widthFileName);

    // Shown to the user, with the line and text of the command being run; always false.
    bool Error(const std::string& text) override;
    bool RunCommand(const ListDataElement& command) override;

    // A single token naming a registered layer; an unknown name reports "Undefined Layer".
    bool GetLayer(const DataElement& element, FontDataLayer*& layer);
    // Four numbers from 0 to 1 in a list, or one 0xAARRGGBB integer whose alpha 0 means opaque.
    bool ReadColor(const DataElement& element, Color& color);

    void AddReference();
    // Deletes this object when the last user lets go.
    void ReleaseReference();

private:
    using Handler = bool (FontData::*)(const ListDataElement&);
    struct CommandInfo
    {
        int elementCount;
        Handler handler;
    };
    static const std::map<std::string, CommandInfo>& Commands();

    bool InvalidParameter();
    FontDataLayer& AddLayer(const std::string& name, const FontDataLayer* source);
    // Calls apply for each entry of a character list paired with a value list of the same length; an
    // entry whose character string is not `length` bytes long, or whose value apply refuses, makes the
    // command fail once all other entries were applied.
    template <typename Values, typename Apply>
    bool ForEachCharacter(const std::vector<std::string>& characters, const Values& values, std::size_t length,
                          Apply apply);

    bool DoDefine(const ListDataElement& command);
    bool DoCreateHorzSpanRectList(const ListDataElement& command);
    bool DoSetDefaultPointSize(const ListDataElement& command);
    bool DoSetCharMap(const ListDataElement& command);
    bool DoCreateLayer(const ListDataElement& command);
    bool DoCreateLayerFrom(const ListDataElement& command);
    bool DoLayerRequireTags(const ListDataElement& command);
    bool DoLayerExcludeTags(const ListDataElement& command);
    bool DoLayerPointRange(const ListDataElement& command);
    bool DoLayerSetImage(const ListDataElement& command);
    bool DoLayerSetDrawMode(const ListDataElement& command);
    bool DoLayerSetColorMult(const ListDataElement& command);
    bool DoLayerSetColorAdd(const ListDataElement& command);
    bool DoLayerSetOffset(const ListDataElement& command);
    bool DoLayerSetCharWidths(const ListDataElement& command);
    bool DoLayerSetImageMap(const ListDataElement& command);
    bool DoLayerSetCharOffsets(const ListDataElement& command);
    bool DoLayerSetKerningPairs(const ListDataElement& command);
    bool DoLayerSetCharOrders(const ListDataElement& command);
    // The commands that set one integer of a layer.
    template <int FontDataLayer::*Field>
    bool DoLayerSetInt(const ListDataElement& command);
    bool DoLayerTags(const ListDataElement& command, std::vector<std::string> FontDataLayer::*tags);
    bool DoLayerColor(const ListDataElement& command, Color FontDataLayer::*color);
};

} // namespace Tolm
