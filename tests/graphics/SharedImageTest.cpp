#include "graphics/SharedImage.h"

#include "graphics/MemoryImageRegistry.h"

#include <gtest/gtest.h>

using namespace Tolm;

namespace {

// An entry as the application's table holds it, with the flag its owner watches.
struct Entry
{
    std::atomic<bool> released{false};
    SharedImage shared;

    Entry()
    {
        shared.image = std::make_unique<MemoryImage>();
        shared.releasedFlag = &released;
    }
};

TEST(SharedImageHandleTest, CopiesCountAndTheLastReleaseTellsTheOwnerOnce)
{
    Entry entry;
    SharedImageHandle first = SharedImageHandle::FromShared(&entry.shared);
    SharedImageHandle second(first);
    SharedImageHandle third(second);
    EXPECT_EQ(entry.shared.referenceCount, 3);
    EXPECT_EQ(third.GetImage(), entry.shared.image.get());
    first.Release();
    second.Release();
    EXPECT_EQ(entry.shared.referenceCount, 1);
    EXPECT_FALSE(entry.released);
    third.Release();
    EXPECT_EQ(entry.shared.referenceCount, 0);
    EXPECT_TRUE(entry.released);
    EXPECT_EQ(third.GetImage(), nullptr);
}

TEST(SharedImageHandleTest, ReleasingAnEmptyHandleDoesNothing)
{
    SharedImageHandle empty;
    empty.Release();
    EXPECT_EQ(empty.GetImage(), nullptr);
    EXPECT_EQ(empty.GetSharedImage(), nullptr);
}

TEST(SharedImageHandleTest, AssigningFromAPrivateOnlyHandleLeavesTheTargetEmpty)
{
    Entry entry;
    MemoryImage own;
    SharedImageHandle source;
    source.AssignPrivate(&own);
    SharedImageHandle target = SharedImageHandle::FromShared(&entry.shared);
    target = source;
    EXPECT_EQ(target.GetImage(), nullptr);
    EXPECT_EQ(entry.shared.referenceCount, 0);
    EXPECT_TRUE(entry.released);
    EXPECT_EQ(source.GetImage(), &own);
}

TEST(SharedImageHandleTest, PrivateImageComesFirstAndOnlyItsOwnerDeletesIt)
{
    Entry entry;
    auto* own = new MemoryImage;
    SharedImageHandle holder;
    holder.AssignPrivate(own);
    EXPECT_EQ(holder.GetImage(), own);
    EXPECT_EQ(holder.GetSharedImage(), nullptr);
    {
        // A copy sees the private image but never deletes it.
        SharedImageHandle copy(holder);
        EXPECT_EQ(copy.GetImage(), own);
        EXPECT_FALSE(copy.ownsPrivateImage);
    }
    holder.ownsPrivateImage = true;
    const size_t before = MemoryImageRegistry::Instance().GetMemoryImageCount();
    holder.AssignShared(&entry.shared);
    EXPECT_EQ(MemoryImageRegistry::Instance().GetMemoryImageCount(), before - 1);
    EXPECT_EQ(holder.GetImage(), entry.shared.image.get());
    EXPECT_TRUE(holder.ownsPrivateImage);
}

TEST(SharedImageHandleTest, AssigningAHandleToItselfOrItsOwnEntryKeepsTheReference)
{
    Entry entry;
    SharedImageHandle handle = SharedImageHandle::FromShared(&entry.shared);
    SharedImageHandle& alias = handle;
    handle = alias;
    handle.AssignShared(&entry.shared);
    EXPECT_EQ(entry.shared.referenceCount, 1);
    EXPECT_FALSE(entry.released);
    EXPECT_EQ(handle.GetImage(), entry.shared.image.get());
}

} // namespace
