#include "core/PathUtils.h"

#include "core/CriticalSection.h"
#include "core/SystemVersion.h"
#include "platform/FileSystem.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <thread>

using namespace Tolm;

TEST(PathSplittingTest, TakesWhicheverSeparatorStandsLast)
{
    EXPECT_EQ(StripDirectory("a/b\\c.txt"), "c.txt");
    EXPECT_EQ(StripDirectory("a\\b/c.txt"), "c.txt");
    EXPECT_EQ(StripDirectory("c.txt"), "c.txt");
    EXPECT_EQ(StripDirectory("dir/"), "");

    EXPECT_EQ(GetFileName("a/b.c\\d.e.png", true), "d.e");
    EXPECT_EQ(GetFileName("a/b.c\\d.e.png", false), "d.e.png");
    // A dot before the last separator is not an extension.
    EXPECT_EQ(GetFileName("a.b/c", true), "c");
    EXPECT_EQ(GetFileName("noext", true), "noext");

    EXPECT_EQ(GetFileDirectory("a\\b/c.txt", false), "a\\b");
    EXPECT_EQ(GetFileDirectory("a\\b/c.txt", true), "a\\b/");
    EXPECT_EQ(GetFileDirectory("c.txt", true), "");
}

TEST(PathSplittingTest, TrailingSeparatorsAreAddedAndRemovedOneAtATime)
{
    EXPECT_EQ(RemoveTrailingSlash("dir//"), "dir/");
    EXPECT_EQ(RemoveTrailingSlash("dir\\"), "dir");
    EXPECT_EQ(RemoveTrailingSlash("dir"), "dir");
    EXPECT_EQ(RemoveTrailingSlash(""), "");

    EXPECT_EQ(AddTrailingSlash("dir", true), "dir\\");
    EXPECT_EQ(AddTrailingSlash("dir", false), "dir/");
    EXPECT_EQ(AddTrailingSlash("dir/", true), "dir/");
    EXPECT_EQ(AddTrailingSlash("dir\\", false), "dir\\");
    EXPECT_EQ(AddTrailingSlash("", true), "");
}

TEST(ResolvePathTest, WorksOutRelativePathsAgainstTheBaseFolder)
{
    struct Case
    {
        const char* path;
        const char* base;
        const char* resolved;
    } cases[] = {
        {"..\\img\\a.png", "fonts\\big\\", "fonts\\img\\a.png"},
        {"C:\\x.png", "fonts\\", "C:\\x.png"},
        {"a.png", "fonts/big", "fonts/big/a.png"},
        {"./a.png", "fonts/", "fonts/a.png"},
        // A '\' in either text makes every separator a '\'.
        {"sub/a.png", "fonts\\", "fonts\\sub\\a.png"},
        {"sub\\a.png", "fonts/", "fonts\\sub\\a.png"},
        {"../../a.png", "fonts/big/", "a.png"},
        {"..\\a.png", "D:\\data\\fonts\\", "D:\\data\\a.png"},
        {"x//y.png", "b/", "b/x//y.png"},
        {"a.png", "", "a.png"},
        // Nothing left to climb out of: the ".." stays.
        {"../a.png", "", "../a.png"},
        {"../../a.png", "fonts/", "../a.png"},
        {"../a.png", "../up/", "../a.png"},
        {"../../a.png", "../up/", "../../a.png"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResolvePath(c.path, c.base), c.resolved) << c.path << " in " << c.base;
    }
}

TEST(PathOnDiskTest, MakeDirectoriesCreatesEveryFolderAlongThePath)
{
    TempFolder temp;
    MakeDirectories(temp.Path() + "one\\two/three");
    EXPECT_TRUE(Platform::IsDirectory(temp.Path() + "one/two/three"));
    // Existing folders are passed over.
    MakeDirectories(temp.Path() + "one\\two/three");
    EXPECT_TRUE(Platform::IsDirectory(temp.Path() + "one/two/three"));
}

TEST(PathOnDiskTest, PathExistsForFilesAndFoldersInAnyCase)
{
    TempFolder temp;
    temp.Write("Data/Level001.xml", "x");
    EXPECT_TRUE(PathExists(temp.Path() + "data"));
    EXPECT_TRUE(PathExists(temp.Path() + "DATA\\level001.XML"));
    EXPECT_FALSE(PathExists(temp.Path() + "data\\missing.xml"));
    EXPECT_FALSE(PathExists(temp.Path() + "nothing\\here"));
}

TEST(UserDataFolderTest, SetFolderGetsATrailingBackslash)
{
    ASSERT_TRUE(IsWindowsVistaOrLater());
    ASSERT_FALSE(IsWindows9x());
    struct Case
    {
        const char* folder;
        const char* stored;
    } cases[] = {
        {"/home/u/data", "/home/u/data\\"},
        {"/home/u/data/", "/home/u/data/"},
        {"C:\\Data\\", "C:\\Data\\"},
        // No folder stays no folder, rather than the root.
        {"", ""},
    };
    for (const Case& c : cases) {
        SetUserDataFolder(c.folder);
        EXPECT_EQ(GetUserDataFolder(), c.stored) << c.folder;
    }
}

TEST(CriticalSectionTest, TheHoldingThreadMayEnterAgainAndTheGuardReleasesIt)
{
    CriticalSection section;
    {
        CriticalSectionGuard outer(section);
        CriticalSectionGuard inner(section);
    }
    bool entered = false;
    std::thread other([&] {
        CriticalSectionGuard guard(section);
        entered = true;
    });
    other.join();
    EXPECT_TRUE(entered);
}
