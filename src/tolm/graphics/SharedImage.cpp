#include "graphics/SharedImage.h"

namespace Tolm {

SharedImageHandle::SharedImageHandle(const SharedImageHandle& other) : privateImage(other.privateImage)
{
    Share(other.shared);
}

SharedImageHandle SharedImageHandle::FromShared(SharedImage* entry)
{
    SharedImageHandle handle;
    handle.Share(entry);
    return handle;
}

void SharedImageHandle::Share(SharedImage* entry)
{
    shared = entry;
    if (shared) {
        shared->referenceCount.fetch_add(1, std::memory_order_relaxed);
    }
}

void SharedImageHandle::Release()
{
    if (ownsPrivateImage) {
        delete privateImage;
    }
    privateImage = nullptr;
    if (!shared) {
        return;
    }
    // Once the count is down the entry may be deleted on another thread at any moment: read what is
    // needed from it first.
    std::atomic<bool>* releasedFlag = shared->releasedFlag;
    if (shared->referenceCount.fetch_sub(1, std::memory_order_acq_rel) == 1 && releasedFlag) {
        releasedFlag->store(true, std::memory_order_release);
    }
    shared = nullptr;
}

SharedImageHandle& SharedImageHandle::Assign(const SharedImageHandle& other)
{
    if (&other != this) {
        SharedImage* entry = other.shared;
        // Counted before this handle lets go, so that an entry both share never passes through 0.
        SharedImageHandle keep = FromShared(entry);
        Release();
        Share(entry);
    }
    return *this;
}

void SharedImageHandle::AssignShared(SharedImage* entry)
{
    SharedImageHandle keep = FromShared(entry);
    Release();
    Share(entry);
}

void SharedImageHandle::AssignPrivate(MemoryImage* image)
{
    Release();
    privateImage = image;
}

} // namespace Tolm
