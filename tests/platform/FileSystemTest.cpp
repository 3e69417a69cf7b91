#include "platform/FileSystem.h"

#include "platform/Folders.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace Platform;

namespace {

class FileSystemTest : public testing::Test
{
protected:
    void SetUp() override
    {
        temp.Write("Properties/Trans.xml", "trans");
        temp.Write("Levels/Level001.XML", "one");
        temp.Write("Levels/level002.xml", "two");
        temp.Write("Levels/readme.txt", "txt");
    }

    TempFolder temp;
};

TEST_F(FileSystemTest, WindowsStyleNamesResolveWithoutRegardToCase)
{
    struct Case
    {
        const char* name;
        const char* expected;
    } cases[] = {
        {"Properties/Trans.xml", "Properties/Trans.xml"},
        {"properties\\trans.xml", "Properties/Trans.xml"},
        {"PROPERTIES\\TRANS.XML", "Properties/Trans.xml"},
        {"levels\\LEVEL001.xml", "Levels/Level001.XML"},
        // A component missing in every case is kept as written, with what came before it resolved.
        {"properties\\new\\file.txt", "Properties/new/file.txt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DiskPath(temp.Path() + c.name), temp.Path() + c.expected) << c.name;
    }
}

TEST_F(FileSystemTest, FilesOpenAndReadThroughWindowsStyleNames)
{
    std::vector<uint8_t> contents;
    ASSERT_TRUE(ReadWholeFile(temp.Path() + "LEVELS\\level002.XML", contents));
    EXPECT_EQ(std::string(contents.begin(), contents.end()), "two");
    EXPECT_TRUE(Exists(temp.Path() + "levels"));
    EXPECT_TRUE(IsDirectory(temp.Path() + "LEVELS"));
    EXPECT_FALSE(Exists(temp.Path() + "levels\\missing.xml"));
    EXPECT_FALSE(ReadWholeFile(temp.Path() + "levels\\missing.xml", contents));
}

TEST(WildcardTest, MatchesAsWindowsDoes)
{
    struct Case
    {
        const char* name;
        const char* pattern;
        bool matches;
    } cases[] = {
        {"image1.png", "*.png", true},
        {"IMAGE1.PNG", "*.png", true},
        {"image1.png.bak", "*.png", false},
        {"image1.png", "image?.png", true},
        {"image12.png", "image?.png", false},
        {"noextension", "*.*", true},
        {"a.b.c", "*.c", true},
        {"abc", "a*b*c", true},
        {"acb", "a*b*c", false},
        {"anything", "*", true},
        {"", "*", true},
        {"x", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesWildcard(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
    }
}

TEST_F(FileSystemTest, DirectorySearchListsMatchesInNameOrderWithTheirDetails)
{
    FindData data;
    auto search = DirectorySearch::First(temp.Path() + "LEVELS\\*.xml", data);
    ASSERT_TRUE(search);
    EXPECT_EQ(data.fileName, "Level001.XML");
    EXPECT_EQ(data.sizeLow, 3u);
    EXPECT_EQ(data.attributes, kAttributeNormal);
    EXPECT_GT(data.lastWriteTime, UnixTimeToFileTime(0, 0));
    ASSERT_TRUE(search->Next(data));
    EXPECT_EQ(data.fileName, "level002.xml");
    EXPECT_FALSE(search->Next(data));

    EXPECT_FALSE(DirectorySearch::First(temp.Path() + "levels\\*.png", data));
    EXPECT_FALSE(DirectorySearch::First(temp.Path() + "nowhere\\*", data));

    ASSERT_TRUE(DirectorySearch::First(temp.Path() + "propert*", data));
    EXPECT_EQ(data.attributes, kAttributeDirectory);
}

TEST_F(FileSystemTest, AtomicWriteReplacesTheFileWhole)
{
    std::string name = temp.Path() + "Properties\\Trans.xml";
    ASSERT_TRUE(WriteFileAtomically(name, "replaced", 8));
    EXPECT_EQ(temp.Read("Properties/Trans.xml"), "replaced");
    EXPECT_FALSE(WriteFileAtomically(temp.Path() + "no/such/folder/file", "x", 1));
}

TEST_F(FileSystemTest, MappedFileShowsTheWholeFile)
{
    auto mapped = MappedFile::Open(temp.Path() + "levels\\readme.TXT");
    ASSERT_TRUE(mapped);
    ASSERT_EQ(mapped->Size(), 3u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(mapped->Data()), 3), "txt");
    EXPECT_FALSE(MappedFile::Open(temp.Path() + "missing"));
    EXPECT_FALSE(MappedFile::Open(temp.Path() + "levels"));
}

TEST(FileTimeTest, CountsHundredNanosecondTicksSince1601)
{
    // 1970-01-01 is 11644473600 seconds after 1601-01-01.
    EXPECT_EQ(UnixTimeToFileTime(0, 0), 116444736000000000ull);
    EXPECT_EQ(UnixTimeToFileTime(1, 250), 116444736010000002ull);
}

TEST(FoldersTest, FollowTheXdgVariables)
{
    TempFolder temp;
    setenv("XDG_DATA_HOME", temp.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (temp.Path() + "config").c_str(), 1);
    EXPECT_EQ(UserDataFolder("Tarvel Studio", "Quendara"), temp.Path() + "Tarvel Studio/Quendara/");
    EXPECT_EQ(ConfigFolder(), temp.Path() + "config/");
    EXPECT_TRUE(MakeFolders(UserDataFolder("Tarvel Studio", "Quendara")));
    EXPECT_TRUE(IsDirectory(temp.Path() + "Tarvel Studio/Quendara"));
    // A relative XDG path does not count.
    setenv("XDG_CONFIG_HOME", "relative", 1);
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(ConfigFolder(), "/home/player/.config/");
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
}

} // namespace
