#include "graphics/MemoryImageRegistry.h"

#include "graphics/MemoryImageDisplay.h"

namespace Tolm {

MemoryImageRegistry& MemoryImageRegistry::Instance()
{
    // Made by the first memory image, so it outlives every image made after it, static ones included.
    static MemoryImageRegistry registry;
    return registry;
}

void MemoryImageRegistry::AddMemoryImage(MemoryImage* image)
{
    CriticalSectionGuard lock(displayLock);
    imageSet.insert(image);
}

void MemoryImageRegistry::RemoveMemoryImage(MemoryImage* image)
{
    CriticalSectionGuard lock(displayLock);
    imageSet.erase(image);
    ReleaseImageSurfaces(image);
}

void MemoryImageRegistry::ReleaseImageSurfaces(MemoryImage* image)
{
    if (MemoryImageDisplay* shown = GetDisplay()) {
        shown->RemoveImageTextures(*image);
    }
}

bool MemoryImageRegistry::ReadBackTextures(MemoryImage* image)
{
    MemoryImageDisplay* shown = GetDisplay();
    return shown && shown->ReadBackTextures(*image);
}

bool MemoryImageRegistry::Is3DMode()
{
    MemoryImageDisplay* shown = GetDisplay();
    return shown && shown->Is3DMode();
}

bool MemoryImageRegistry::IsCurrent3DDrawSurface(const MemoryImage& image)
{
    MemoryImageDisplay* shown = GetDisplay();
    return shown && shown->IsCurrent3DDrawSurface(image);
}

PixelFormat MemoryImageRegistry::GetDisplayPixelFormat()
{
    MemoryImageDisplay* shown = GetDisplay();
    return shown ? shown->GetPixelFormat() : PixelFormat::Argb8888();
}

void MemoryImageRegistry::SetDisplay(MemoryImageDisplay* newDisplay)
{
    CriticalSectionGuard lock(displayLock);
    display = newDisplay;
}

bool MemoryImageRegistry::Contains(const MemoryImage* image)
{
    CriticalSectionGuard lock(displayLock);
    return imageSet.find(image) != imageSet.end();
}

std::size_t MemoryImageRegistry::GetMemoryImageCount()
{
    CriticalSectionGuard lock(displayLock);
    return imageSet.size();
}

MemoryImageDisplay* MemoryImageRegistry::GetDisplay()
{
    CriticalSectionGuard lock(displayLock);
    return display;
}

} // namespace Tolm
