// The font descriptor commands, their error popups, and the legacy width files.
#include "graphics/FontData.h"

#include "app/TolmAppBase.h"
#include "core/PakInterface.h"
#include "core/PathUtils.h"
#include "core/StringUtils.h"
#include "graphics/MemoryImage.h"
#include "graphics/TruncToInt.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace Tolm {

namespace {

const std::string& Text(const DataElement& element)
{
    return static_cast<const SingleDataElement&>(element).value;
}

const DataElement& Parameter(const ListDataElement& command, std::size_t index)
{
    return *command.elements[index];
}

// Integer parameters are taken exactly as written: no define lookup, no quotes removed.
bool ReadInt(const DataElement& element, int& out)
{
    return !element.isList && StringToInt(Text(element), out);
}

unsigned char Byte(char c)
{
    return static_cast<unsigned char>(c);
}

int ClampToInt(int64_t value)
{
    return int(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

// The two conversions of the C library that the width files are read with: "%d" and "%1s".
class WidthFileScanner
{
public:
    explicit WidthFileScanner(std::string text) : text(std::move(text)) {}

    bool ReadInt(int& out)
    {
        SkipBlanks();
        std::size_t start = position;
        bool negative = false;
        if (position < text.size() && (text[position] == '-' || text[position] == '+')) {
            negative = text[position++] == '-';
        }
        int64_t value = 0;
        std::size_t digits = position;
        while (position < text.size() && text[position] >= '0' && text[position] <= '9') {
            value = std::min<int64_t>(value * 10 + (text[position++] - '0'), int64_t(INT_MAX) + 1);
        }
        if (position == digits) {
            position = start;
            return false;
        }
        out = ClampToInt(negative ? -value : value);
        return true;
    }

    bool ReadCharacter(unsigned char& out)
    {
        SkipBlanks();
        if (position >= text.size()) {
            return false;
        }
        out = Byte(text[position++]);
        return true;
    }

private:
    void SkipBlanks()
    {
        while (position < text.size() &&
               (text[position] == ' ' || (text[position] >= '\t' && text[position] <= '\r'))) {
            ++position;
        }
    }

    std::string text;
    std::size_t position = 0;
};

// The whole file through the pak layer, which falls back to the disk; false when it cannot be opened.
bool ReadWholeFile(const std::string& fileName, std::string& contents)
{
    PakFileHandle* file = PakFOpen(fileName.c_str(), "r");
    if (!file) {
        return false;
    }
    char buffer[4096];
    int count = 0;
    while ((count = PakFRead(buffer, 1, int(sizeof buffer), file)) > 0) {
        contents.append(buffer, std::size_t(count));
    }
    PakFClose(file);
    return true;
}

} // namespace

FontData::FontData()
{
    for (std::size_t i = 0; i < characterMap.size(); ++i) {
        characterMap[i] = static_cast<unsigned char>(i);
    }
}

FontData::~FontData() = default;

void FontData::AddReference()
{
    referenceCount.fetch_add(1, std::memory_order_relaxed);
}

void FontData::ReleaseReference()
{
    if (referenceCount.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete this;
    }
}

bool FontData::Load(TolmAppBase* app, const std::string& descriptorFileName)
{
    if (loaded) {
        return false;
    }
    application = app;
    currentCommand.clear();
    errorPrefix = "Font Descriptor Error in " + descriptorFileName + "\r\n";
    fileName = descriptorFileName;
    loaded = LoadDescFile(descriptorFileName);
    return true;
}

bool FontData::Error(const std::string& text)
{
    error = text;
    if (!application) {
        return false;
    }
    std::string message = errorPrefix + text;
    if (!currentCommand.empty()) {
        message += " on Line " + std::to_string(commandLine) + ":\r\n\r\n" + currentCommand;
    }
    application->ShowErrorPopup(message);
    return false;
}

bool FontData::InvalidParameter()
{
    return Error("Invalid Paramater Type");
}

const std::map<std::string, FontData::CommandInfo>& FontData::Commands()
{
    static const std::map<std::string, CommandInfo> commands = {
        {"DEFINE", {3, &FontData::DoDefine}},
        {"CREATEHORZSPANRECTLIST", {4, &FontData::DoCreateHorzSpanRectList}},
        {"SETDEFAULTPOINTSIZE", {2, &FontData::DoSetDefaultPointSize}},
        {"SETCHARMAP", {3, &FontData::DoSetCharMap}},
        {"CREATELAYER", {2, &FontData::DoCreateLayer}},
        {"CREATELAYERFROM", {3, &FontData::DoCreateLayerFrom}},
        {"LAYERREQUIRETAGS", {3, &FontData::DoLayerRequireTags}},
        {"LAYEREXCLUDETAGS", {3, &FontData::DoLayerExcludeTags}},
        {"LAYERPOINTRANGE", {4, &FontData::DoLayerPointRange}},
        {"LAYERSETPOINTSIZE", {3, &FontData::DoLayerSetInt<&FontDataLayer::pointSize>}},
        {"LAYERSETHEIGHT", {3, &FontData::DoLayerSetInt<&FontDataLayer::height>}},
        {"LAYERSETIMAGE", {3, &FontData::DoLayerSetImage}},
        {"LAYERSETDRAWMODE", {3, &FontData::DoLayerSetDrawMode}},
        {"LAYERSETCOLORMULT", {3, &FontData::DoLayerSetColorMult}},
        {"LAYERSETCOLORADD", {3, &FontData::DoLayerSetColorAdd}},
        {"LAYERSETASCENT", {3, &FontData::DoLayerSetInt<&FontDataLayer::ascent>}},
        {"LAYERSETASCENTPADDING", {3, &FontData::DoLayerSetInt<&FontDataLayer::ascentPadding>}},
        {"LAYERSETLINESPACINGOFFSET", {3, &FontData::DoLayerSetInt<&FontDataLayer::lineSpacingOffset>}},
        {"LAYERSETOFFSET", {3, &FontData::DoLayerSetOffset}},
        {"LAYERSETCHARWIDTHS", {4, &FontData::DoLayerSetCharWidths}},
        {"LAYERSETSPACING", {3, &FontData::DoLayerSetInt<&FontDataLayer::spacing>}},
        {"LAYERSETIMAGEMAP", {4, &FontData::DoLayerSetImageMap}},
        {"LAYERSETCHAROFFSETS", {4, &FontData::DoLayerSetCharOffsets}},
        {"LAYERSETKERNINGPAIRS", {4, &FontData::DoLayerSetKerningPairs}},
        {"LAYERSETBASEORDER", {3, &FontData::DoLayerSetInt<&FontDataLayer::baseOrder>}},
        {"LAYERSETCHARORDERS", {4, &FontData::DoLayerSetCharOrders}},
    };
    return commands;
}

bool FontData::RunCommand(const ListDataElement& command)
{
    const auto& commands = Commands();
    auto found = commands.find(StringToUpper(Text(Parameter(command, 0))));
    if (found == commands.end()) {
        return Error("Unknown Command");
    }
    if (command.elements.size() != std::size_t(found->second.elementCount)) {
        return Error("Invalid Number of Parameters");
    }
    return (this->*found->second.handler)(command);
}

bool FontData::GetLayer(const DataElement& element, FontDataLayer*& layer)
{
    if (element.isList) {
        return false;
    }
    auto found = layerNames.find(StringToUpper(Text(element)));
    if (found == layerNames.end()) {
        return Error("Undefined Layer");
    }
    layer = found->second;
    return true;
}

bool FontData::ReadColor(const DataElement& element, Color& color)
{
    DataElement* defined = element.isList ? nullptr : FindDefine(Text(element));
    if (element.isList || (defined && defined->isList)) {
        std::vector<double> values;
        if (!GetDoubleListParam(element, values) || values.size() != 4) {
            return false;
        }
        color = Color(TruncToInt(values[0] * 255), TruncToInt(values[1] * 255), TruncToInt(values[2] * 255),
                      TruncToInt(values[3] * 255));
        return true;
    }
    int value = 0;
    if (!StringToInt(Text(element), value)) {
        return false;
    }
    auto packed = uint32_t(value);
    int alpha = int(packed >> 24);
    color = Color(int(packed >> 16 & 0xFF), int(packed >> 8 & 0xFF), int(packed & 0xFF), alpha == 0 ? 255 : alpha);
    return true;
}

template <typename Values, typename Apply>
bool FontData::ForEachCharacter(const std::vector<std::string>& characters, const Values& values, std::size_t length,
                                Apply apply)
{
    if (characters.size() != values.size()) {
        return Error("List Size Mismatch");
    }
    bool allApplied = true;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        if (characters[i].size() != length || !apply(characters[i], values[i])) {
            allApplied = false;
        }
    }
    return allApplied || InvalidParameter();
}

// The layer joins the list first and is registered after: a name already taken keeps its first layer,
// while the new one still takes part in drawing.
FontDataLayer& FontData::AddLayer(const std::string& name, const FontDataLayer* source)
{
    if (source) {
        layers.emplace_back(*source);
    } else {
        layers.emplace_back(this);
    }
    FontDataLayer& layer = layers.back();
    if (!layerNames.emplace(StringToUpper(name), &layer).second) {
        Error("Layer Already Exists");
    }
    return layer;
}

bool FontData::DoDefine(const ListDataElement& command)
{
    return DefineName(Parameter(command, 1), Parameter(command, 2));
}

bool FontData::DoCreateHorzSpanRectList(const ListDataElement& command)
{
    const DataElement& name = Parameter(command, 1);
    std::vector<int> rect;
    std::vector<int> widths;
    if (name.isList || !GetIntListParam(Parameter(command, 2), rect) || rect.size() != 4 ||
        !GetIntListParam(Parameter(command, 3), widths)) {
        return InvalidParameter();
    }
    auto rects = std::make_unique<ListDataElement>();
    int64_t x = rect[0];
    for (int width : widths) {
        auto span = std::make_unique<ListDataElement>();
        for (int64_t value : {x, int64_t(rect[1]), int64_t(width), int64_t(rect[3])}) {
            span->elements.push_back(std::make_unique<SingleDataElement>(std::to_string(ClampToInt(value))));
        }
        rects->elements.push_back(std::move(span));
        x += width;
    }
    defines[StringToUpper(Text(name))] = std::move(rects);
    return true;
}

bool FontData::DoSetDefaultPointSize(const ListDataElement& command)
{
    return ReadInt(Parameter(command, 1), defaultPointSize) || InvalidParameter();
}

bool FontData::DoSetCharMap(const ListDataElement& command)
{
    std::vector<std::string> from;
    std::vector<std::string> to;
    if (!GetStringListParam(Parameter(command, 1), from) || !GetStringListParam(Parameter(command, 2), to)) {
        return InvalidParameter();
    }
    return ForEachCharacter(from, to, 1, [this](const std::string& source, const std::string& target) {
        if (target.size() != 1) {
            return false;
        }
        characterMap[Byte(source[0])] = Byte(target[0]);
        return true;
    });
}

bool FontData::DoCreateLayer(const ListDataElement& command)
{
    const DataElement& name = Parameter(command, 1);
    if (name.isList) {
        return InvalidParameter();
    }
    AddLayer(Text(name), nullptr);
    return true;
}

bool FontData::DoCreateLayerFrom(const ListDataElement& command)
{
    const DataElement& name = Parameter(command, 1);
    FontDataLayer* source = nullptr;
    if (name.isList || !GetLayer(Parameter(command, 2), source)) {
        return InvalidParameter();
    }
    AddLayer(Text(name), source);
    return true;
}

bool FontData::DoLayerTags(const ListDataElement& command, std::vector<std::string> FontDataLayer::*tags)
{
    FontDataLayer* layer = nullptr;
    std::vector<std::string> names;
    if (!GetLayer(Parameter(command, 1), layer) || !GetStringListParam(Parameter(command, 2), names)) {
        return InvalidParameter();
    }
    for (const std::string& tag : names) {
        (layer->*tags).push_back(StringToUpper(tag));
    }
    return true;
}

bool FontData::DoLayerRequireTags(const ListDataElement& command)
{
    return DoLayerTags(command, &FontDataLayer::requiredTags);
}

bool FontData::DoLayerExcludeTags(const ListDataElement& command)
{
    return DoLayerTags(command, &FontDataLayer::excludedTags);
}

bool FontData::DoLayerPointRange(const ListDataElement& command)
{
    FontDataLayer* layer = nullptr;
    int minimum = 0;
    int maximum = 0;
    if (!GetLayer(Parameter(command, 1), layer) || !ReadInt(Parameter(command, 2), minimum) ||
        !ReadInt(Parameter(command, 3), maximum)) {
        return InvalidParameter();
    }
    layer->minPointSize = minimum;
    layer->maxPointSize = maximum;
    return true;
}

template <int FontDataLayer::*Field>
bool FontData::DoLayerSetInt(const ListDataElement& command)
{
    FontDataLayer* layer = nullptr;
    int value = 0;
    if (!GetLayer(Parameter(command, 1), layer) || !ReadInt(Parameter(command, 2), value)) {
        return InvalidParameter();
    }
    layer->*Field = value;
    return true;
}

// The name is taken relative to the descriptor's folder. An image loaded by this request is kept in its
// palette form; one that another font loaded before is left as it is.
bool FontData::DoLayerSetImage(const ListDataElement& command)
{
    FontDataLayer* layer = nullptr;
    std::string file;
    if (!GetLayer(Parameter(command, 1), layer) || !GetStringParam(Parameter(command, 2), file)) {
        return InvalidParameter();
    }
    if (!application) {
        return Error("Failed to Load Image");
    }
    bool isNew = false;
    SharedImageHandle handle =
        application->GetSharedImage(ResolvePath(file, GetFileDirectory(fileName, false)), "", &isNew);
    MemoryImage* image = handle.GetImage();
    if (!image) {
        return Error("Failed to Load Image");
    }
    if (isNew) {
        image->ConvertToPalette();
    }
    layer->image = handle;
    return true;
}

bool FontData::DoLayerSetDrawMode(const ListDataElement& command)
{
    FontDataLayer* layer = nullptr;
    int mode = 0;
    if (!GetLayer(Parameter(command, 1), layer) || !ReadInt(Parameter(command, 2), mode) || (mode != 0 && mode != 1)) {
        return InvalidParameter();
    }
    layer->drawMode = mode;
    return true;
}

bool FontData::DoLayerColor(const ListDataElement& command, Color FontDataLayer::*color)
{
    FontDataLayer* layer = nullptr;
    Color value;
    if (!GetLayer(Parameter(command, 1), layer) || !ReadColor(Parameter(command, 2), value)) {
        return InvalidParameter();
    }
    layer->*color = value;
    return true;
}

bool FontData::DoLayerSetColorMult(const ListDataElement& command)
{
    return DoLayerColor(command, &FontDataLayer::colorMult);
}

bool FontData::DoLayerSetColorAdd(const ListDataElement& command)
{
    return DoLayerColor(command, &FontDataLayer::colorAdd);
}

bool FontData::DoLayerSetOffset(const ListDataElement& command)
{
    FontDataLayer* layer = nullptr;
    std::vector<int> offset;
    if (!GetLayer(Parameter(command, 1), layer) || !GetIntListParam(Parameter(command, 2), offset) ||
        offset.size() != 2) {
        return InvalidParameter();
    }
    layer->offsetX = offset[0];
    layer->offsetY = offset[1];
    return true;
}

bool FontData::DoLayerSetCharWidths(const ListDataElement& command)
{
    FontDataLayer* layer = nullptr;
    std::vector<std::string> characters;
    std::vector<int> widths;
    if (!GetLayer(Parameter(command, 1), layer) || !GetStringListParam(Parameter(command, 2), characters) ||
        !GetIntListParam(Parameter(command, 3), widths)) {
        return InvalidParameter();
    }
    return ForEachCharacter(characters, widths, 1, [layer](const std::string& character, int width) {
        layer->glyphs[Byte(character[0])].width = width;
        return true;
    });
}

// A rectangle outside the image ends the command at once; the entries before it stay set.
bool FontData::DoLayerSetImageMap(const ListDataElement& command)
{
    FontDataLayer* layer = nullptr;
    std::vector<std::string> characters;
    ListDataElement rects;
    if (!GetLayer(Parameter(command, 1), layer) || !GetStringListParam(Parameter(command, 2), characters) ||
        !GetListParam(Parameter(command, 3), rects)) {
        return InvalidParameter();
    }
    if (characters.size() != rects.elements.size()) {
        return Error("List Size Mismatch");
    }
    const Image* image = layer->image.GetImage();
    if (!image) {
        return Error("Layer image not set");
    }
    bool allApplied = true;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const DataElement& rectElement = *rects.elements[i];
        std::vector<int> r;
        if (characters[i].size() != 1 || !rectElement.isList || !GetIntListParam(rectElement, r) || r.size() != 4) {
            allApplied = false;
            continue;
        }
        if (r[0] < 0 || r[1] < 0 || int64_t(r[0]) + r[2] > image->width || int64_t(r[1]) + r[3] > image->height) {
            return Error("Image rectangle out of bounds");
        }
        layer->glyphs[Byte(characters[i][0])].imageRect = Rect(r[0], r[1], r[2], r[3]);
    }
    int64_t tallest = 0;
    for (const GlyphData& glyph : layer->glyphs) {
        tallest = std::max(tallest, int64_t(glyph.imageRect.height) + glyph.offsetY);
    }
    layer->defaultHeight = ClampToInt(tallest);
    return allApplied || InvalidParameter();
}

bool FontData::DoLayerSetCharOffsets(const ListDataElement& command)
{
    FontDataLayer* layer = nullptr;
    std::vector<std::string> characters;
    ListDataElement offsets;
    if (!GetLayer(Parameter(command, 1), layer) || !GetStringListParam(Parameter(command, 2), characters) ||
        !GetListParam(Parameter(command, 3), offsets)) {
        return InvalidParameter();
    }
    return ForEachCharacter(characters, offsets.elements, 1,
                            [this, layer](const std::string& character, const std::unique_ptr<DataElement>& offset) {
                                std::vector<int> xy;
                                if (!offset->isList || !GetIntListParam(*offset, xy) || xy.size() != 2) {
                                    return false;
                                }
                                GlyphData& glyph = layer->glyphs[Byte(character[0])];
                                glyph.offsetX = xy[0];
                                glyph.offsetY = xy[1];
                                return true;
                            });
}

// Each value is kept as a signed byte, its low 8 bits.
bool FontData::DoLayerSetKerningPairs(const ListDataElement& command)
{
    FontDataLayer* layer = nullptr;
    std::vector<std::string> pairs;
    std::vector<int> offsets;
    if (!GetLayer(Parameter(command, 1), layer) || !GetStringListParam(Parameter(command, 2), pairs) ||
        !GetIntListParam(Parameter(command, 3), offsets)) {
        return InvalidParameter();
    }
    return ForEachCharacter(pairs, offsets, 2, [layer](const std::string& pair, int offset) {
        layer->glyphs[Byte(pair[0])].kerning[Byte(pair[1])] = static_cast<int8_t>(static_cast<uint8_t>(offset));
        return true;
    });
}

bool FontData::DoLayerSetCharOrders(const ListDataElement& command)
{
    FontDataLayer* layer = nullptr;
    std::vector<std::string> characters;
    std::vector<int> orders;
    if (!GetLayer(Parameter(command, 1), layer) || !GetStringListParam(Parameter(command, 2), characters) ||
        !GetIntListParam(Parameter(command, 3), orders)) {
        return InvalidParameter();
    }
    return ForEachCharacter(characters, orders, 1, [layer](const std::string& character, int order) {
        layer->glyphs[Byte(character[0])].order = order;
        return true;
    });
}

// The width file holds the space's width and the ascent, then pairs of a character and its width; the
// glyphs stand side by side in the image from its left edge, each the image's full height. The file is
// read through the pak layer, so that such fonts also load from an archive.
bool FontData::LoadLegacy(MemoryImage* image, const std::string& widthFileName)
{
    if (loaded) {
        return false;
    }
    FontDataLayer& layer = AddLayer("", nullptr);
    layer.image.AssignPrivate(image);
    int imageHeight = image ? image->height : 0;
    layer.defaultHeight = imageHeight;
    layer.ascent = imageHeight;
    std::string contents;
    if (!ReadWholeFile(widthFileName, contents)) {
        return false;
    }
    fileName = widthFileName;
    WidthFileScanner scanner(std::move(contents));
    int value = 0;
    if (scanner.ReadInt(value)) {
        layer.glyphs[' '].width = value;
    }
    if (scanner.ReadInt(value)) {
        layer.ascent = value;
    }
    int64_t x = 0;
    unsigned char character = 0;
    while (scanner.ReadCharacter(character) && scanner.ReadInt(value)) {
        GlyphData& glyph = layer.glyphs[character];
        glyph.imageRect = Rect(ClampToInt(x), 0, value, imageHeight);
        glyph.width = value;
        x += value;
    }
    for (char upper = 'A'; upper <= 'Z'; ++upper) {
        char lower = char(upper - 'A' + 'a');
        if (layer.glyphs[Byte(upper)].width == 0 && layer.glyphs[Byte(lower)].width != 0) {
            characterMap[Byte(upper)] = Byte(lower);
        }
        if (layer.glyphs[Byte(lower)].width == 0 && layer.glyphs[Byte(upper)].width != 0) {
            characterMap[Byte(lower)] = Byte(upper);
        }
    }
    loaded = true;
    return true;
}

} // namespace Tolm
