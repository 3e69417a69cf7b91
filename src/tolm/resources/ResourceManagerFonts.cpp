// Font records: system fonts, image fonts from a descriptor or from a picture and its width list, and
// copies of fonts loaded before.
#include "app/TolmAppBase.h"
#include "core/SystemVersion.h"
#include "graphics/FontData.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"
#include "resources/ResourceManager.h"

namespace Tolm {

namespace {

// The tags of a "tags" value, split at commas and white space.
std::vector<std::string> SplitTags(const std::string& tags)
{
    std::vector<std::string> split;
    std::size_t start = 0;
    while ((start = tags.find_first_not_of(", \r\n\t", start)) != std::string::npos) {
        const std::size_t end = tags.find_first_of(", \r\n\t", start);
        split.push_back(tags.substr(start, end - start));
        start = end;
    }
    return split;
}

} // namespace

ResourceManager::FontRes::FontRes() : BaseRes(KindFont) {}

ResourceManager::FontRes::~FontRes() = default;

void ResourceManager::FontRes::Unload()
{
    font.reset();
    fontImage.reset();
}

bool ResourceManager::LoadFontRecord(FontRes* record)
{
    static const std::string kRefPrefix = "!ref:";
    std::unique_ptr<Font> font;
    if (record->sysFont) {
        // The old single-user systems drew bold badly: they get a simulated bold instead.
        const bool simulateBold = record->bold && IsWindows9x();
        auto sysFont = std::make_unique<SysFont>(record->path, record->size, record->bold && !simulateBold,
                                                 record->italic, record->underline);
        sysFont->shadow = record->shadow;
        sysFont->simulatedBold = simulateBold;
        font = std::move(sysFont);
    } else if (!record->imagePath.empty()) {
        std::unique_ptr<MemoryImage> image = app->GetImage(record->imagePath, true);
        if (!image) {
            return SetError("Failed to load image: " + record->imagePath);
        }
        record->fontImage = std::move(image);
        font = ImageFont::ImageFontFromImage(record->fontImage.get(), record->path);
    } else if (record->path.compare(0, kRefPrefix.size(), kRefPrefix) == 0) {
        const std::string refId = record->path.substr(kRefPrefix.size());
        Font* original = GetFont(refId);
        if (!original) {
            return SetError("Ref font not found: " + refId);
        }
        font = original->Clone();
    } else {
        font = std::make_unique<ImageFont>(app, record->path);
    }
    if (auto* imageFont = dynamic_cast<ImageFont*>(font.get())) {
        if (!imageFont->fontData || !imageFont->fontData->loaded) {
            font.reset();
            record->fontImage.reset();
            return SetError("Failed to load font: " + record->path);
        }
        if (!record->tags.empty()) {
            for (const std::string& tag : SplitTags(record->tags)) {
                imageFont->AddTag(tag);
            }
            imageFont->EnsureActiveLayers();
        }
    }
    record->font = std::move(font);
    OnResourceLoaded(record);
    return true;
}

} // namespace Tolm
