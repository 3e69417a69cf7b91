// Images shared by everybody who uses the same file: the application keeps one SharedImage per file name
// and variant, and each user holds a SharedImageHandle on it. A handle can instead hold a private image
// of its own. Handles are copied and dropped on the loading thread and the main thread alike, so the
// count is atomic; when it falls to 0 the owner of the table is told, and it deletes the entry later.
#pragma once

#include "graphics/MemoryImage.h"

#include <atomic>
#include <memory>

namespace Tolm {

struct SharedImage
{
    // Null until loaded, and for good when the file could not be loaded.
    std::unique_ptr<MemoryImage> image;
    std::atomic<int> referenceCount{0};
    // Set when the count falls to 0, so that the table's owner cleans it; none for a table without one.
    std::atomic<bool>* releasedFlag = nullptr;
    // True while its first requester loads the image; later requesters wait until it is clear.
    std::atomic<bool> loading{false};
};

class SharedImageHandle
{
public:
    SharedImageHandle() = default;
    // A copy shares the other's entry and sees its private image, but never deletes that image.
    SharedImageHandle(const SharedImageHandle& other);
    // Shares the other's entry; the other's private image is not taken over.
    SharedImageHandle& operator=(const SharedImageHandle& other) { return Assign(other); }
    ~SharedImageHandle() { Release(); }

    // A handle on the entry (counted when there is one).
    static SharedImageHandle FromShared(SharedImage* entry);

    // Deletes the private image when the handle owns it, and lets go of the entry.
    void Release();
    SharedImageHandle& Assign(const SharedImageHandle& other);
    void AssignShared(SharedImage* entry);
    void AssignPrivate(MemoryImage* image);

    MemoryImage* GetSharedImage() const { return shared ? shared->image.get() : nullptr; }
    // The private image when there is one, else the shared one.
    MemoryImage* GetImage() const { return privateImage ? privateImage : GetSharedImage(); }

    SharedImage* shared = nullptr;
    MemoryImage* privateImage = nullptr;
    // No operation of the handle sets it; a holder that gives the handle its private image to delete does.
    bool ownsPrivateImage = false;

private:
    void Share(SharedImage* entry);
};

} // namespace Tolm
