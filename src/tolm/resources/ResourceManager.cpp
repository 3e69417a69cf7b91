// The resource manager's registry: reading manifests into records, the lookups by id and the counts.
// Group loading is in ResourceManagerLoading.cpp, fonts in ResourceManagerFonts.cpp.
#include "resources/ResourceManager.h"

#include "core/PathUtils.h"
#include "core/StringUtils.h"
#include "graphics/ImageLib.h"
#include "graphics/MemoryImageRegistry.h"
#include "resources/XMLParser.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

namespace Tolm {

namespace {

// More than any sprite sheet holds: 256 x 256 cels.
constexpr long long kMaxCels = 65536;

const std::string* FindAttribute(const XMLElement& element, const char* name)
{
    auto found = element.attributes.find(name);
    return found == element.attributes.end() ? nullptr : &found->second;
}

// A flag counts when it is present, whatever its value.
bool HasAttribute(const XMLElement& element, const char* name)
{
    return FindAttribute(element, name) != nullptr;
}

bool IsBlank(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// The leading digits after optional blanks and a sign; 0 without digits. Large values stop at the int
// range instead of wrapping.
int ReadDecimalAt(const std::string& text, std::size_t position)
{
    while (position < text.size() && IsBlank(text[position])) {
        ++position;
    }
    bool negative = false;
    if (position < text.size() && (text[position] == '-' || text[position] == '+')) {
        negative = text[position] == '-';
        ++position;
    }
    long long value = 0;
    for (; position < text.size() && std::isdigit(static_cast<unsigned char>(text[position])); ++position) {
        value = std::min(value * 10 + (text[position] - '0'), static_cast<long long>(INT_MAX) + 1);
    }
    value = negative ? -value : value;
    return int(std::clamp(value, static_cast<long long>(INT_MIN), static_cast<long long>(INT_MAX)));
}

int ReadDecimal(const std::string& text)
{
    return ReadDecimalAt(text, 0);
}

// A decimal at the start and after every ',': "5,,7" gives 5, 0, 7 and "" the single entry 0.
std::vector<int> ReadDecimalList(const std::string& text)
{
    std::vector<int> values{ReadDecimalAt(text, 0)};
    for (std::size_t comma = text.find(','); comma != std::string::npos; comma = text.find(',', comma + 1)) {
        values.push_back(ReadDecimalAt(text, comma + 1));
    }
    return values;
}

// Hexadecimal as "%x" reads it; the default stays when the text holds no hexadecimal number. Only the
// colour bits are kept, since the loader ORs the value under the alpha byte.
uint32_t ReadHexColor(const std::string& text, uint32_t defaultColor)
{
    char* end = nullptr;
    unsigned long value = std::strtoul(text.c_str(), &end, 16);
    return end == text.c_str() ? defaultColor : uint32_t(value) & 0xFFFFFF;
}

bool ReadAnimationType(const std::string& name, int& type)
{
    static const std::pair<const char*, int> kTypes[] = {
        {"none", ImageAnimation::TypeNone},
        {"once", ImageAnimation::TypeOnce},
        {"pingpong", ImageAnimation::TypePingPong},
        {"loop", ImageAnimation::TypeLoop},
    };
    const std::string lower = StringToLower(name);
    for (const auto& [text, value] : kTypes) {
        if (lower == text) {
            type = value;
            return true;
        }
    }
    return false;
}

int ReadIntAttribute(const XMLElement& element, const char* name, int defaultValue)
{
    const std::string* value = FindAttribute(element, name);
    return value ? ReadDecimal(*value) : defaultValue;
}

} // namespace

bool ResourceManager::NoCaseLess::operator()(const std::string& a, const std::string& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) < std::toupper(static_cast<unsigned char>(y));
    });
}

ResourceManager::ResourceManager(TolmAppBase* owner) : app(owner) {}

ResourceManager::~ResourceManager()
{
    for (ResMap* map : {&imageMap, &soundMap, &fontMap}) {
        for (auto& [id, record] : *map) {
            record->Unload();
        }
        map->clear();
    }
    groups.clear();
}

bool ResourceManager::SetError(const std::string& text)
{
    if (hadError) {
        return false;
    }
    hadError = true;
    errorText = text;
    if (parser) {
        if (parser->GetCurrentLineNum() > 0) {
            errorText += " on Line " + std::to_string(parser->GetCurrentLineNum());
        }
        if (!parser->GetFileName().empty()) {
            errorText += " in File '" + parser->GetFileName() + "'";
        }
    }
    return false;
}

bool ResourceManager::ParseResourcesFile(const std::string& file)
{
    parser = std::make_unique<XMLParser>();
    if (!parser->OpenFile(file)) {
        SetError("Resource file not found: " + file);
    } else {
        XMLElement element;
        bool started = false;
        while (!started && parser->NextElement(element)) {
            started = element.type == XMLElement::Start;
        }
        if (parser->HasFailed()) {
            SetError(parser->GetErrorText());
        }
        if (!started || element.value != "ResourceManifest") {
            SetError("Expecting ResourceManifest tag");
        }
        ReadManifestBody();
    }
    if (parser->HasFailed()) {
        SetError(parser->GetErrorText());
    }
    parser.reset();
    return !hadError;
}

void ResourceManager::ReadManifestBody()
{
    XMLElement element;
    while (!parser->HasFailed() && parser->NextElement(element)) {
        if (element.type == XMLElement::Text) {
            SetError("Element Not Expected '" + element.value + "'");
            return;
        }
        if (element.type != XMLElement::Start) {
            continue;
        }
        if (element.value != "Resources") {
            SetError("Invalid Section '" + element.value + "'");
            return;
        }
        const std::string* id = FindAttribute(element, "id");
        if (!id || id->empty()) {
            SetError("No id specified.");
            return;
        }
        EnterGroup(*id);
        if (!ReadGroupBody()) {
            return;
        }
    }
}

void ResourceManager::EnterGroup(const std::string& group)
{
    currentGroup = group;
    currentList = &groups[group];
}

bool ResourceManager::ReadGroupBody()
{
    XMLElement element;
    while (parser && parser->NextElement(element)) {
        if (element.type == XMLElement::End) {
            return true;
        }
        if (element.type == XMLElement::Text) {
            return SetError("Element Not Expected '" + element.value + "'");
        }
        if (element.type != XMLElement::Start) {
            continue;
        }
        bool read = false;
        if (element.value == "Image") {
            read = ReadImageElement(element);
        } else if (element.value == "Sound") {
            read = ReadSoundElement(element);
        } else if (element.value == "Font") {
            read = ReadFontElement(element);
        } else if (element.value == "SetDefaults") {
            read = ReadDefaultsElement(element);
        } else {
            return SetError("Invalid Section '" + element.value + "'");
        }
        if (!read || !parser->NextElement(element)) {
            return false;
        }
        if (element.type != XMLElement::End) {
            return SetError("Unexpected element found.");
        }
    }
    return false;
}

bool ResourceManager::ReadCommonAttributes(const XMLElement& element, std::unique_ptr<BaseRes>& record, ResMap& map)
{
    const std::string* path = FindAttribute(element, "path");
    if (!path || path->empty()) {
        return SetError("No path specified.");
    }
    record->fromProgram = false;
    if ((*path)[0] == '!') {
        record->path = *path;
        record->fromProgram = *path == "!program";
    } else {
        record->path = defaultPath + *path;
    }
    const std::string* id = FindAttribute(element, "id");
    record->id = defaultIdPrefix + (id ? *id : GetFileName(record->path, true));
    record->group = currentGroup;
    auto [entry, added] = map.try_emplace(record->id);
    if (!added) {
        return SetError("Resource already defined.");
    }
    if (!currentList) {
        EnterGroup(currentGroup);
    }
    currentList->push_back(record.get());
    entry->second = std::move(record);
    return true;
}

bool ResourceManager::ReadSoundElement(const XMLElement& element)
{
    auto owned = std::make_unique<SoundRes>(app);
    SoundRes* record = owned.get();
    std::unique_ptr<BaseRes> base = std::move(owned);
    if (!ReadCommonAttributes(element, base, soundMap)) {
        return false;
    }
    if (const std::string* volume = FindAttribute(element, "volume")) {
        char* end = nullptr;
        double value = std::strtod(volume->c_str(), &end);
        if (end != volume->c_str()) {
            record->volume = value;
        }
    }
    record->pan = ReadIntAttribute(element, "pan", 0);
    return true;
}

bool ResourceManager::ReadImageElement(const XMLElement& element)
{
    auto owned = std::make_unique<ImageRes>();
    ImageRes* record = owned.get();
    std::unique_ptr<BaseRes> base = std::move(owned);
    if (!ReadCommonAttributes(element, base, imageMap)) {
        return false;
    }
    const bool is3D = MemoryImageRegistry::Instance().Is3DMode();
    record->palettize = !HasAttribute(element, "nopal");
    record->a4r4g4b4 = HasAttribute(element, "a4r4g4b4");
    record->a8r8g8b8 = HasAttribute(element, "a8r8g8b8");
    record->minsubdivide = HasAttribute(element, "minsubdivide");
    record->ddsurface = HasAttribute(element, "ddsurface");
    record->nobits = HasAttribute(element, "nobits") || (is3D && HasAttribute(element, "nobits3d")) ||
                     (!is3D && HasAttribute(element, "nobits2d"));
    if (const std::string* alphaImage = FindAttribute(element, "alphaimage")) {
        record->alphaImage = defaultPath + *alphaImage;
    }
    if (const std::string* alphaGrid = FindAttribute(element, "alphagrid")) {
        record->alphaGrid = defaultPath + *alphaGrid;
    }
    if (const std::string* alphaColor = FindAttribute(element, "alphacolor")) {
        record->alphaColor = ReadHexColor(*alphaColor, record->alphaColor);
    }
    if (const std::string* variant = FindAttribute(element, "variant")) {
        record->variant = *variant;
    }
    // A grid below one cel would divide by zero wherever cels are measured, one finer than a pixel cannot
    // be drawn, and more cels than a sheet can hold would only make the animation tables enormous.
    record->rows = std::clamp(ReadIntAttribute(element, "rows", 1), 1, ImageLib::kMaxImageSide);
    record->cols = std::clamp(ReadIntAttribute(element, "cols", 1), 1, ImageLib::kMaxImageSide);
    const int cells = int(std::min(static_cast<long long>(record->rows) * record->cols, kMaxCels));
    record->cels = std::clamp(ReadIntAttribute(element, "total", cells), 0, cells);

    const std::string* anim = FindAttribute(element, "anim");
    int type = ImageAnimation::TypeNone;
    if (anim && !ReadAnimationType(*anim, type)) {
        return SetError("Invalid animation type.");
    }
    if (type == ImageAnimation::TypeNone) {
        return true;
    }
    ImageAnimation& animation = record->animation;
    animation.type = type;
    animation.frameDelay = ReadIntAttribute(element, "framedelay", 1);
    if (const std::string* delays = FindAttribute(element, "perframedelay")) {
        animation.perFrameDelays = ReadDecimalList(*delays);
    }
    if (const std::string* frameMap = FindAttribute(element, "framemap")) {
        animation.frameMap = ReadDecimalList(*frameMap);
    }
    animation.Compute(record->cels, ReadIntAttribute(element, "begindelay", 0),
                      ReadIntAttribute(element, "enddelay", 0));
    return true;
}

bool ResourceManager::ReadFontElement(const XMLElement& element)
{
    auto owned = std::make_unique<FontRes>();
    FontRes* record = owned.get();
    std::unique_ptr<BaseRes> base = std::move(owned);
    if (!ReadCommonAttributes(element, base, fontMap)) {
        return false;
    }
    if (const std::string* image = FindAttribute(element, "image")) {
        record->imagePath = *image;
    }
    if (const std::string* tags = FindAttribute(element, "tags")) {
        record->tags = *tags;
    }
    static const std::string kSysPrefix = "!sys:";
    if (record->path.compare(0, kSysPrefix.size(), kSysPrefix) != 0) {
        return true;
    }
    record->sysFont = true;
    record->path.erase(0, kSysPrefix.size());
    record->size = ReadIntAttribute(element, "size", 0);
    if (record->size < 1) {
        return SetError("SysFont needs point size");
    }
    record->bold = HasAttribute(element, "bold");
    record->italic = HasAttribute(element, "italic");
    record->shadow = HasAttribute(element, "shadow");
    record->underline = HasAttribute(element, "underline");
    return true;
}

bool ResourceManager::ReadDefaultsElement(const XMLElement& element)
{
    if (const std::string* path = FindAttribute(element, "path")) {
        defaultPath = RemoveTrailingSlash(*path) + "/";
    }
    if (const std::string* prefix = FindAttribute(element, "idprefix")) {
        defaultIdPrefix = RemoveTrailingSlash(*prefix);
    }
    return true;
}

int ResourceManager::GetResourceCount(const std::string& group) const
{
    int count = 0;
    for (const ResMap* map : {&imageMap, &soundMap, &fontMap}) {
        if (group.empty()) {
            count += int(map->size());
            continue;
        }
        count += int(std::count_if(map->begin(), map->end(), [&group](const auto& entry) {
            return entry.second->group == group && !entry.second->fromProgram;
        }));
    }
    return count;
}

SharedImageHandle ResourceManager::GetImage(const std::string& id) const
{
    auto found = imageMap.find(id);
    return found == imageMap.end() ? SharedImageHandle() : static_cast<const ImageRes&>(*found->second).image;
}

int ResourceManager::GetSoundId(const std::string& id) const
{
    auto found = soundMap.find(id);
    return found == soundMap.end() ? -1 : static_cast<const SoundRes&>(*found->second).soundId;
}

Font* ResourceManager::GetFont(const std::string& id) const
{
    auto found = fontMap.find(id);
    return found == fontMap.end() ? nullptr : static_cast<const FontRes&>(*found->second).font.get();
}

SharedImageHandle ResourceManager::RequireImage(const std::string& id)
{
    SharedImageHandle handle = GetImage(id);
    if (!handle.GetImage()) {
        SetError(FormatString("Image resource not found: %s", id.c_str()));
        throw ResourceManagerException(errorText);
    }
    return handle;
}

int ResourceManager::RequireSoundId(const std::string& id)
{
    int soundId = GetSoundId(id);
    if (soundId == -1) {
        SetError(FormatString("Sound resource not found: %s", id.c_str()));
        throw ResourceManagerException(errorText);
    }
    return soundId;
}

Font* ResourceManager::RequireFont(const std::string& id)
{
    Font* font = GetFont(id);
    if (!font) {
        SetError(FormatString("Font resource not found: %s", id.c_str()));
        throw ResourceManagerException(errorText);
    }
    return font;
}

} // namespace Tolm
