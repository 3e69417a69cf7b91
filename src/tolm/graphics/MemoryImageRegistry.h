// The set of all live memory images, guarded by the display lock, so that the derived buffers of every
// image can be freed or rebuilt at once. Images join it when they are made and leave it when they go,
// on whichever thread.
#pragma once

#include "core/CriticalSection.h"
#include "graphics/PixelFormat.h"

#include <cstddef>
#include <functional>
#include <set>

namespace Tolm {

class MemoryImage;
class MemoryImageDisplay;

class MemoryImageRegistry
{
public:
    static MemoryImageRegistry& Instance();

    MemoryImageRegistry() = default;
    MemoryImageRegistry(const MemoryImageRegistry&) = delete;
    MemoryImageRegistry& operator=(const MemoryImageRegistry&) = delete;

    void AddMemoryImage(MemoryImage* image);
    void RemoveMemoryImage(MemoryImage* image);
    void ReleaseImageSurfaces(MemoryImage* image);
    bool ReadBackTextures(MemoryImage* image);
    bool Is3DMode();
    bool IsCurrent3DDrawSurface(const MemoryImage& image);
    // The format of the display's native pixel copies; 32-bit ARGB while there is no display.
    PixelFormat GetDisplayPixelFormat();

    void SetDisplay(MemoryImageDisplay* display);
    CriticalSection& GetDisplayLock() { return displayLock; }

    template <typename Visitor>
    void ForEachMemoryImage(Visitor&& visit)
    {
        CriticalSectionGuard lock(displayLock);
        for (MemoryImage* image : imageSet) {
            visit(*image);
        }
    }

    bool Contains(const MemoryImage* image);
    std::size_t GetMemoryImageCount();

private:
    MemoryImageDisplay* GetDisplay();

    CriticalSection displayLock;
    std::set<MemoryImage*, std::less<>> imageSet;
    MemoryImageDisplay* display = nullptr;
};

} // namespace Tolm
