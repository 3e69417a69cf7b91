// The application object's images: the walks over every memory image, loading files into images, the
// table of shared images and copies of images. The display lock (MemoryImageRegistry's) guards the image
// set and the shared-image table, since the loading thread makes images while the main thread draws.
#include "app/TolmAppBase.h"
#include "core/CriticalSection.h"
#include "core/StringUtils.h"
#include "display/DDImage.h"
#include "graphics/ImageLib.h"
#include "graphics/MemoryImageRegistry.h"

#include <algorithm>
#include <vector>

namespace Tolm {

namespace {

CriticalSection& DisplayLock()
{
    return MemoryImageRegistry::Instance().GetDisplayLock();
}

} // namespace

void TolmAppBase::ReInitImages()
{
    MemoryImageRegistry::Instance().ForEachMemoryImage([](MemoryImage& image) { image.Restore(); });
}

void TolmAppBase::FreeImageCaches()
{
    MemoryImageRegistry::Instance().ForEachMemoryImage([](MemoryImage& image) { image.FreeNativeBits(); });
}

void TolmAppBase::PurgeImages()
{
    MemoryImageRegistry::Instance().ForEachMemoryImage([](MemoryImage& image) { image.FreeDerivedBuffers(); });
}

std::unique_ptr<MemoryImage> TolmAppBase::GetImage(const std::string& file, bool commitBits)
{
    std::unique_ptr<ImageLib::Image> decoded = ImageLib::LoadImage(file, true);
    if (!decoded) {
        return nullptr;
    }
    auto image = std::make_unique<DDImage>();
    image->name = file;
    image->SetBits(decoded->bits.get(), decoded->width, decoded->height, commitBits);
    return image;
}

SharedImageHandle TolmAppBase::GetSharedImage(const std::string& file, const std::string& variant, bool* isNew)
{
    SharedImageHandle handle;
    bool inserted = false;
    {
        CriticalSectionGuard guard(DisplayLock());
        auto [found, added] = sharedImageMap.try_emplace({StringToUpper(file), StringToUpper(variant)});
        SharedImage& entry = found->second;
        inserted = added;
        if (inserted) {
            entry.releasedFlag = &sharedImagesReleased;
            entry.loading.store(true, std::memory_order_relaxed);
        }
        // Counted under the lock, so that a clean-up cannot take the entry away meanwhile.
        handle.AssignShared(&entry);
    }
    if (isNew) {
        *isNew = inserted;
    }
    SharedImage& entry = *handle.shared;
    if (inserted) {
        // Decoded outside the lock: the main thread goes on drawing meanwhile.
        std::unique_ptr<MemoryImage> image =
            !file.empty() && file[0] == '!' ? std::make_unique<DDImage>() : GetImage(file, false);
        {
            CriticalSectionGuard guard(DisplayLock());
            entry.image = std::move(image);
        }
        {
            std::lock_guard<std::mutex> guard(sharedImageLoadLock);
            entry.loading.store(false, std::memory_order_release);
        }
        sharedImageLoaded.notify_all();
        return handle;
    }
    std::unique_lock<std::mutex> wait(sharedImageLoadLock);
    sharedImageLoaded.wait(wait, [&entry] { return !entry.loading.load(std::memory_order_acquire); });
    return handle;
}

void TolmAppBase::CleanSharedImages()
{
    if (!sharedImagesReleased.load(std::memory_order_acquire)) {
        return;
    }
    CriticalSectionGuard guard(DisplayLock());
    // Cleared before the walk: a handle let go of during it sets the flag again for the next time.
    sharedImagesReleased.store(false, std::memory_order_relaxed);
    std::erase_if(sharedImageMap,
                  [](const auto& item) { return item.second.referenceCount.load(std::memory_order_acquire) == 0; });
}

std::unique_ptr<MemoryImage> TolmAppBase::CopyImageRect(Image* image, const Rect& rect)
{
    auto copy = std::make_unique<DDImage>();
    copy->Create(rect.width, rect.height);
    copy->CopyFrameLayout(*image);
    // The pixels are copied as they are, not blended onto the clear copy: a blend would take one level
    // off every channel and drop the colour of clear pixels, which additive drawing still shows.
    auto* source = dynamic_cast<MemoryImage*>(image);
    const Rect inside = rect.Intersection(Rect(0, 0, image->width, image->height));
    uint32_t* target = copy->GetBits();
    if (!source || !target || inside.width <= 0 || inside.height <= 0) {
        return copy;
    }
    std::vector<uint32_t> scratch(size_t(inside.width));
    for (int y = inside.y; y < inside.y + inside.height; ++y) {
        const uint32_t* row = source->ReadRow(inside.x, y, inside.width, scratch.data());
        if (!row) {
            break;
        }
        std::copy(row, row + inside.width,
                  target + size_t(y - rect.y) * size_t(rect.width) + size_t(inside.x - rect.x));
    }
    copy->NoteBitsChanged();
    return copy;
}

std::unique_ptr<MemoryImage> TolmAppBase::CopyImage(Image* image)
{
    return CopyImageRect(image, Rect(0, 0, image->width, image->height));
}

} // namespace Tolm
