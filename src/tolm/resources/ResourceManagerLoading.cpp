// Group loading: the load cursor, images with their alpha images, grids and load options, and sounds.
// Every failure stops the group load with the first error kept.
#include "app/TolmAppBase.h"
#include "core/StringUtils.h"
#include "display/DDImage.h"
#include "graphics/ImageLib.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceManager.h"
#include "sound/SoundManager.h"

namespace Tolm {

namespace {

// The loader's colour for images made from an alpha companion alone, set for one load and put back to
// white whichever way the load ends.
class AlphaOnlyColorScope
{
public:
    explicit AlphaOnlyColorScope(uint32_t color) { ImageLib::alphaOnlyColor = color; }
    ~AlphaOnlyColorScope() { ImageLib::alphaOnlyColor = 0xFFFFFF; }
    AlphaOnlyColorScope(const AlphaOnlyColorScope&) = delete;
    AlphaOnlyColorScope& operator=(const AlphaOnlyColorScope&) = delete;
};

} // namespace

void ResourceManager::SoundRes::Unload()
{
    if (soundId >= 0 && app && app->soundManager) {
        app->soundManager->ReleaseSound(soundId);
    }
    soundId = -1;
}

void ResourceManager::BeginGroupLoad(const std::string& group)
{
    errorText.clear();
    hadError = false;
    currentGroup = group;
    loadList = &groups[group];
    loadIndex = 0;
}

bool ResourceManager::LoadNextInGroup()
{
    if (hadError || !loadList) {
        return false;
    }
    while (loadIndex < loadList->size()) {
        BaseRes* record = (*loadList)[loadIndex++];
        if (record->fromProgram || record->IsLoaded()) {
            continue;
        }
        switch (record->kind) {
        case KindSound:
            return LoadSoundRecord(static_cast<SoundRes*>(record));
        case KindFont:
            return LoadFontRecord(static_cast<FontRes*>(record));
        default:
            return LoadImageRecord(static_cast<ImageRes*>(record));
        }
    }
    return false;
}

bool ResourceManager::LoadGroup(const std::string& group)
{
    BeginGroupLoad(group);
    while (LoadNextInGroup()) {
    }
    return !hadError;
}

void ResourceManager::UnloadGroup(const std::string& group)
{
    UnloadGroupInMap(imageMap, group);
    UnloadGroupInMap(soundMap, group);
    UnloadGroupInMap(fontMap, group);
}

void ResourceManager::UnloadGroupInMap(ResMap& map, const std::string& group)
{
    for (auto& [id, record] : map) {
        if (group.empty() || record->group == group) {
            record->Unload();
        }
    }
}

bool ResourceManager::LoadImageRecord(ImageRes* record)
{
    bool isNew = false;
    SharedImageHandle handle;
    {
        AlphaOnlyColorScope alphaColor(record->alphaColor);
        handle = app->GetSharedImage(record->path, record->variant, &isNew);
    }
    MemoryImage* image = handle.GetImage();
    if (!image) {
        return SetError("Failed to load image: " + record->path);
    }
    // Only the load that made the shared image gives it its alpha; later records of the same file and
    // variant find it done.
    if (isNew && !record->alphaImage.empty() && !ApplyAlphaImage(record, *image)) {
        return false;
    }
    if (isNew && !record->alphaGrid.empty() && !ApplyAlphaGrid(record, *image)) {
        return false;
    }
    image->UpdateAlphaFlags();
    record->image = handle;
    image->bitsReleased = record->nobits;
    if (record->ddsurface) {
        image->UpdateAlphaFlags();
        if (!image->hasPartialAlpha) {
            if (auto* surfaceImage = dynamic_cast<DDImage*>(image)) {
                surfaceImage->surfaceWanted = true;
            }
            image->bitsReleased = true;
        }
    }
    if (record->palettize) {
        image->ConvertToPalette();
    }
    image->textureFlags |=
        (record->a4r4g4b4 ? 4u : 0u) | (record->a8r8g8b8 ? 8u : 0u) | (record->minsubdivide ? 1u : 0u);
    if (record->animation.type != ImageAnimation::TypeNone) {
        image->animation = std::make_unique<ImageAnimation>(record->animation);
    }
    image->numRows = record->rows;
    image->numCols = record->cols;
    image->numFrames = record->cels;
    if (image->bitsReleased) {
        image->ReleaseBits();
    }
    OnResourceLoaded(record);
    return true;
}

bool ResourceManager::ApplyAlphaImage(ImageRes* record, MemoryImage& image)
{
    std::unique_ptr<ImageLib::Image> alpha = ImageLib::LoadImage(record->alphaImage, true);
    if (!alpha) {
        return SetError("Failed to load image: " + record->alphaImage);
    }
    if (alpha->width != image.width || alpha->height != image.height) {
        return SetError(FormatString("AlphaImage size mismatch between %s and %s", record->path.c_str(),
                                     record->alphaImage.c_str()));
    }
    uint32_t* pixels = image.GetBits();
    if (!pixels) {
        return SetError("Failed to load image: " + record->path);
    }
    for (std::size_t i = 0; i < image.GetPixelCount(); ++i) {
        pixels[i] = (pixels[i] & 0x00FFFFFF) | ((alpha->bits[i] & 0xFF) << 24);
    }
    image.NoteBitsChanged();
    return true;
}

bool ResourceManager::ApplyAlphaGrid(ImageRes* record, MemoryImage& image)
{
    std::unique_ptr<ImageLib::Image> grid = ImageLib::LoadImage(record->alphaGrid, true);
    if (!grid) {
        return SetError("Failed to load image: " + record->alphaGrid);
    }
    const int celWidth = image.width / record->cols;
    const int celHeight = image.height / record->rows;
    if (grid->width != celWidth || grid->height != celHeight) {
        return SetError(FormatString("GridAlphaImage size mismatch between %s and %s", record->path.c_str(),
                                     record->alphaGrid.c_str()));
    }
    uint32_t* pixels = image.GetBits();
    if (!pixels) {
        return SetError("Failed to load image: " + record->path);
    }
    // Pixels right of or below the last whole cel keep their alpha.
    for (int y = 0; y < celHeight * record->rows; ++y) {
        uint32_t* row = pixels + std::size_t(y) * std::size_t(image.width);
        const uint32_t* gridRow = grid->bits.get() + std::size_t(y % celHeight) * std::size_t(celWidth);
        for (int x = 0; x < celWidth * record->cols; ++x) {
            row[x] = (row[x] & 0x00FFFFFF) | ((gridRow[x % celWidth] & 0xFF) << 24);
        }
    }
    image.NoteBitsChanged();
    return true;
}

bool ResourceManager::LoadSoundRecord(SoundRes* record)
{
    SoundManager* sounds = app ? app->soundManager.get() : nullptr;
    if (!sounds) {
        return SetError("Failed to load sound: " + record->path);
    }
    const int soundId = sounds->GetFreeSoundId();
    if (soundId < 0) {
        return SetError("Out of free sound ids");
    }
    if (!sounds->LoadSound(soundId, record->path)) {
        return SetError("Failed to load sound: " + record->path);
    }
    if (record->volume >= 0) {
        sounds->SetBaseVolume(soundId, record->volume);
    }
    if (record->pan != 0) {
        sounds->SetBasePan(soundId, record->pan);
    }
    record->soundId = soundId;
    OnResourceLoaded(record);
    return true;
}

} // namespace Tolm
