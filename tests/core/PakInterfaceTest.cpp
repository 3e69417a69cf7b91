#include "core/PakInterface.h"

#include "ReferencePak.h"
#include "support/TempFolder.h"

#include <climits>
#include <gtest/gtest.h>
#include <optional>

using namespace Tolm;

namespace {

// Each test runs inside its own folder, as the game runs inside its program folder, with an
// interface of its own.
class PakInterfaceTest : public testing::Test
{
protected:
    void SetUp() override
    {
        previousFolder = Platform::CurrentFolder();
        ASSERT_TRUE(Platform::SetCurrentFolder(temp.Path()));
    }

    void TearDown() override { Platform::SetCurrentFolder(previousFolder); }

    void WriteArchive(const std::string& name, const std::vector<ReferencePak::Entry>& entries)
    {
        temp.Write(name, ReferencePak::Archive(entries));
    }

    // Everything the file holds, or nothing when it cannot be opened.
    std::optional<std::string> Contents(const std::string& name, const char* mode = "rb")
    {
        PakFileHandle* file = pak.FOpen(name.c_str(), mode);
        if (!file) {
            return std::nullopt;
        }
        std::string contents;
        char block[7];
        int got;
        while ((got = pak.FRead(block, 1, sizeof block, file)) > 0) {
            contents.append(block, size_t(got));
        }
        pak.FClose(file);
        return contents;
    }

    TempFolder temp;
    PakInterface pak;
    std::string previousFolder;
};

TEST_F(PakInterfaceTest, LaterArchiveServesANameBothHold)
{
    WriteArchive("main.pak", {{"Data\\Img.png", "from main"}, {"only\\main.txt", "main only"}});
    WriteArchive("other.pak", {{"DATA\\IMG.PNG", "from other"}, {"twice.txt", "first"}, {"TWICE.TXT", "second"}});
    ASSERT_TRUE(pak.AddPakFile("main.pak"));
    ASSERT_TRUE(pak.AddPakFile("other.pak"));
    EXPECT_EQ(Contents("data\\img.png"), "from other");
    EXPECT_EQ(Contents("only/main.txt"), "main only");
    EXPECT_EQ(Contents("twice.txt"), "second");
}

TEST_F(PakInterfaceTest, DifferentSpellingsOfANameOpenTheSameEntry)
{
    WriteArchive("main.pak", {{"DATA\\IMG.PNG", "image"}});
    ASSERT_TRUE(pak.AddPakFile("main.pak"));
    const std::string names[] = {
        "Data/Img.png",         "data\\img.png",       "DATA//IMG.PNG",
        "X\\..\\DATA\\IMG.PNG", "data/sub/../IMG.png", Platform::CurrentFolder() + "/data/img.png",
    };
    for (const std::string& name : names) {
        EXPECT_EQ(Contents(name), "image") << name;
    }
    EXPECT_EQ(Contents("data\\.\\img.png"), std::nullopt);
}

TEST(NormalizePakPathTest, FoldsSeparatorsParentsAndCase)
{
    struct Case
    {
        std::string name;
        std::string key;
    } cases[] = {
        {"data/sub/../IMG.png", "DATA\\IMG.PNG"},
        {"a\\b\\..\\..\\c", "C"},
        {"a\\..\\..\\c", "C"},
        {"a\\b\\..", "A\\"},
        // Two dots after a separator stand for the parent whatever follows them.
        {"a\\..b", "B"},
        {"..\\x", "..\\X"},
        {"x.y/./z", "X.Y\\.\\Z"},
        {"\\\\lead//twice", "\\LEAD\\TWICE"},
        {"/elsewhere/x", "\\ELSEWHERE\\X"},
        {Platform::CurrentFolder() + "/Data/x", "DATA\\X"},
        {"", ""},
        {std::string(255, 'n'), std::string(255, 'N')},
        {std::string(300, 'n') + "\\..\\x", "X"},
    };
    for (const Case& c : cases) {
        std::string key;
        bool fits = NormalizePakPath(c.name, key);
        EXPECT_EQ(fits, c.name.size() <= 255) << c.name;
        if (fits) {
            EXPECT_EQ(key, c.key) << c.name;
        }
    }
}

TEST_F(PakInterfaceTest, NameLongerThanAnyStoredNameIsLookedUpOnDiskOnly)
{
    std::string folders = std::string(100, 'a') + "/" + std::string(100, 'b') + "/";
    std::string name = folders + std::string(100, 'c');
    temp.Write(name, "disk");
    std::string key;
    EXPECT_FALSE(NormalizePakPath(name, key));
    EXPECT_EQ(Contents(name), "disk");

    Platform::FindData data;
    PakFindHandle* search = pak.FindFirstFile((folders + "c*").c_str(), &data);
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(data.fileName, std::string(100, 'c'));
    pak.FindClose(search);
}

TEST_F(PakInterfaceTest, WriteModesAndMissingEntriesGoToTheDisk)
{
    WriteArchive("main.pak", {{"data\\img.png", "archive"}});
    temp.Write("data/img.png", "disk");
    temp.Write("data/disk-only.txt", "only on disk");
    ASSERT_TRUE(pak.AddPakFile("main.pak"));
    EXPECT_EQ(Contents("data\\img.png", "rb"), "archive");
    EXPECT_EQ(Contents("data\\img.png", "RT"), "archive");
    EXPECT_EQ(Contents("data\\img.png", "r"), "archive");
    EXPECT_EQ(Contents("data\\img.png", "r+"), "disk");
    EXPECT_EQ(Contents("DATA\\Disk-Only.TXT"), "only on disk");
    EXPECT_EQ(Contents("data\\missing.txt"), std::nullopt);

    PakFileHandle* written = pak.FOpen("data\\img.png", "w");
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(written->entry, nullptr);
    pak.FClose(written);
    EXPECT_EQ(temp.Read("data/img.png"), "");
    EXPECT_EQ(Contents("data\\img.png"), "archive");
}

TEST_F(PakInterfaceTest, ArchiveIsNotOneOfItsOwnEntries)
{
    WriteArchive("main.pak", {{"a.txt", "a"}});
    ASSERT_TRUE(pak.AddPakFile("main.pak"));
    // Read through the layer, the archive is the file on the disk, byte for byte.
    EXPECT_EQ(Contents("main.pak"), temp.Read("main.pak"));
    EXPECT_EQ(Contents(temp.Path() + "main.pak"), temp.Read("main.pak"));
}

TEST_F(PakInterfaceTest, SeeksAreClampedIntoTheEntry)
{
    WriteArchive("main.pak", {{"ten.bin", "0123456789"}});
    ASSERT_TRUE(pak.AddPakFile("main.pak"));
    struct Case
    {
        const char* what;
        long startAt;
        long offset;
        int origin;
        long position;
    } cases[] = {
        {"end", 3, 0, SEEK_END, 10},
        {"before the start", 3, -5, SEEK_SET, 0},
        {"beyond the end", 3, 100, SEEK_SET, 10},
        {"forward from the current", 3, 2, SEEK_CUR, 5},
        {"back from the end", 3, -3, SEEK_END, 7},
        {"far beyond the end", 3, LONG_MAX, SEEK_CUR, 10},
        {"far before the start", 3, LONG_MIN, SEEK_CUR, 0},
        {"unknown origin", 3, 4, 7, 3},
    };
    PakFileHandle* file = pak.FOpen("ten.bin", "rb");
    ASSERT_NE(file, nullptr);
    for (const Case& c : cases) {
        ASSERT_EQ(pak.FSeek(file, c.startAt, SEEK_SET), 0);
        EXPECT_EQ(pak.FSeek(file, c.offset, c.origin), 0) << c.what;
        EXPECT_EQ(pak.FTell(file), c.position) << c.what;
        EXPECT_EQ(pak.FEof(file), c.position == 10 ? 1 : 0) << c.what;
    }
    pak.FSeek(file, 7, SEEK_SET);
    char byte = 0;
    EXPECT_EQ(pak.FRead(&byte, 1, 1, file), 1);
    EXPECT_EQ(byte, '7');
    pak.FClose(file);
}

TEST_F(PakInterfaceTest, ReadsStopAtTheEndOfTheEntryInWholeItems)
{
    WriteArchive("main.pak", {{"ten.bin", "0123456789"}, {"next.bin", "NEXT"}});
    ASSERT_TRUE(pak.AddPakFile("main.pak"));
    PakFileHandle* file = pak.FOpen("ten.bin", "rb");
    ASSERT_NE(file, nullptr);
    char buffer[16] = {};
    EXPECT_EQ(pak.FRead(buffer, 4, 3, file), 2);
    EXPECT_EQ(std::string(buffer), "0123456789");
    EXPECT_EQ(pak.FTell(file), 10);
    EXPECT_EQ(pak.FRead(buffer, 1, 1, file), 0);
    EXPECT_EQ(pak.FRead(buffer, 0, 5, file), 0);
    EXPECT_EQ(pak.FRead(buffer, 5, 0, file), 0);
    EXPECT_EQ(pak.FRead(buffer, -1, 5, file), 0);
    pak.FSeek(file, 8, SEEK_SET);
    EXPECT_EQ(pak.FRead(buffer, 1, 5, file), 2);
    EXPECT_EQ(std::string(buffer, 2), "89");
    pak.FClose(file);
}

TEST_F(PakInterfaceTest, CharacterReadsDropCarriageReturnsAndUnGetCStepsBack)
{
    WriteArchive("main.pak", {{"text.txt", "A\r\nB"}});
    ASSERT_TRUE(pak.AddPakFile("main.pak"));
    PakFileHandle* file = pak.FOpen("text.txt", "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(pak.UnGetC('z', file), 'z');
    EXPECT_EQ(pak.FTell(file), 0);
    EXPECT_EQ(pak.FGetC(file), 'A');
    EXPECT_EQ(pak.FGetC(file), '\n');
    EXPECT_EQ(pak.FEof(file), 0);
    EXPECT_EQ(pak.FGetC(file), 'B');
    EXPECT_EQ(pak.FEof(file), 1);
    EXPECT_EQ(pak.FGetC(file), -1);
    // Nothing is stored by UnGetC: the byte before the position is read again.
    EXPECT_EQ(pak.UnGetC('x', file), 'x');
    EXPECT_EQ(pak.FEof(file), 0);
    EXPECT_EQ(pak.FGetC(file), 'B');
    pak.FClose(file);
}

TEST_F(PakInterfaceTest, LineReadsStopAfterALineFeedOrAFullBuffer)
{
    struct Case
    {
        const char* what;
        std::string contents;
        int length;
        std::vector<std::optional<std::string>> lines;
    } cases[] = {
        {"full buffers", "ABCDEF", 4, {"ABC", "DEF", std::nullopt}},
        {"carriage returns dropped", "AB\r\nCD", 4, {"AB\n", "CD", std::nullopt}},
        {"lines", "one\ntwo\n", 80, {"one\n", "two\n", std::nullopt}},
        {"only carriage returns", "\r\r", 4, {std::nullopt}},
        {"room for the terminator only", "X", 1, {"", ""}},
        {"no room at all", "X", 0, {std::nullopt}},
        {"negative length", "X", -3, {std::nullopt}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteArchive("main.pak", {{"lines.txt", c.contents}});
        PakInterface layer;
        ASSERT_TRUE(layer.AddPakFile("main.pak"));
        PakFileHandle* file = layer.FOpen("lines.txt", "r");
        ASSERT_NE(file, nullptr);
        for (const std::optional<std::string>& expected : c.lines) {
            char buffer[80];
            std::fill(std::begin(buffer), std::end(buffer), '#');
            char* line = layer.FGetS(buffer, c.length, file);
            if (!expected) {
                EXPECT_EQ(line, nullptr);
                continue;
            }
            ASSERT_EQ(line, buffer);
            EXPECT_EQ(std::string(line), *expected);
        }
        layer.FClose(file);
    }
}

TEST_F(PakInterfaceTest, DiskTextReadsDropCarriageReturnsAsArchiveReadsDo)
{
    temp.Write("text.txt", "A\r\nB\r\n");
    PakFileHandle* file = pak.FOpen("TEXT.TXT", "r");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(pak.FGetC(file), 'A');
    EXPECT_EQ(pak.FGetC(file), '\n');
    char line[16];
    ASSERT_NE(pak.FGetS(line, sizeof line, file), nullptr);
    EXPECT_EQ(std::string(line), "B\n");
    EXPECT_EQ(pak.FGetS(line, sizeof line, file), nullptr);
    EXPECT_EQ(pak.FEof(file), 1);
    // Binary reads keep every byte.
    EXPECT_EQ(pak.FSeek(file, 0, SEEK_SET), 0);
    char bytes[16] = {};
    EXPECT_EQ(pak.FRead(bytes, 1, sizeof bytes, file), 6);
    EXPECT_EQ(std::string(bytes), "A\r\nB\r\n");
    EXPECT_EQ(pak.UnGetC('\n', file), '\n');
    EXPECT_EQ(pak.FGetC(file), '\n');
    pak.FClose(file);
}

// A binary file beside the program (an image, say) must reach its reader whole, whichever reads it uses.
TEST_F(PakInterfaceTest, DiskFilesOpenedInBinaryModeKeepTheirCarriageReturns)
{
    temp.Write("data.bin", "A\r\nB\r");
    PakFileHandle* file = pak.FOpen("data.bin", "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(pak.FGetC(file), 'A');
    EXPECT_EQ(pak.FGetC(file), '\r');
    char line[16];
    ASSERT_NE(pak.FGetS(line, sizeof line, file), nullptr);
    EXPECT_EQ(std::string(line), "\n");
    ASSERT_NE(pak.FGetS(line, sizeof line, file), nullptr);
    EXPECT_EQ(std::string(line), "B\r");
    EXPECT_EQ(pak.FGetC(file), -1);
    pak.FClose(file);
}

struct Found
{
    std::string name;
    uint32_t attributes;
    bool operator==(const Found&) const = default;
};

void PrintTo(const Found& found, std::ostream* out)
{
    *out << found.name << " (" << found.attributes << ")";
}

class PakFindTest : public PakInterfaceTest
{
protected:
    void SetUp() override
    {
        PakInterfaceTest::SetUp();
        WriteArchive("main.pak", {
                                     {"levels\\Level001.xml", "archive one", 1000},
                                     {"Levels\\sub\\Deep.xml", "deep", 2000},
                                     {"other\\x.xml", "x", 3000},
                                 });
        ASSERT_TRUE(pak.AddPakFile("main.pak"));
        temp.Write("levels/Level001.xml", "disk one");
        temp.Write("levels/level002.xml", "disk two");
    }

    std::vector<Found> FindAll(const char* pattern)
    {
        std::vector<Found> found;
        Platform::FindData data;
        PakFindHandle* search = pak.FindFirstFile(pattern, &data);
        if (!search) {
            return found;
        }
        do {
            found.push_back({data.fileName, data.attributes});
        } while (found.size() < 100 && pak.FindNextFile(search, &data));
        EXPECT_TRUE(pak.FindClose(search));
        return found;
    }
};

TEST_F(PakFindTest, PatternSearchesListArchiveEntriesThenTheDisk)
{
    const uint32_t file = Platform::kAttributeNormal;
    const uint32_t folder = Platform::kAttributeDirectory;
    struct Case
    {
        const char* pattern;
        std::vector<Found> found;
    } cases[] = {
        {"LEVELS\\*",
         {{"Level001.xml", 0},
          {"Deep.xml", 0},
          {".", folder},
          {"..", folder},
          {"Level001.xml", file},
          {"level002.xml", file}}},
        {"levels/*.XML", {{"Level001.xml", 0}, {"Deep.xml", 0}, {"Level001.xml", file}, {"level002.xml", file}}},
        // Without a '*' no archive entry qualifies.
        {"LEVELS\\LEVEL001.XML", {{"Level001.xml", file}}},
        {"other\\*.*", {{"x.xml", 0}}},
        // The part after the '*' holds a separator of the key: reported as a folder.
        {"levels\\*\\deep.xml", {{"Deep.xml", folder}}},
        {"*.*",
         {{"Level001.xml", 0},
          {"Deep.xml", 0},
          {"x.xml", 0},
          {".", folder},
          {"..", folder},
          {"levels", folder},
          {"main.pak", file}}},
        {"nothing\\*", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindAll(c.pattern), c.found) << c.pattern;
    }
}

TEST_F(PakFindTest, ArchiveFindDataCarriesTheEntrysTimeAndSize)
{
    Platform::FindData data;
    data.sizeHigh = 77;
    PakFindHandle* search = pak.FindFirstFile("other\\*", &data);
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(data.fileName, "x.xml");
    EXPECT_EQ(data.creationTime, 3000u);
    EXPECT_EQ(data.lastAccessTime, 3000u);
    EXPECT_EQ(data.lastWriteTime, 3000u);
    EXPECT_EQ(data.sizeLow, 1u);
    EXPECT_EQ(data.sizeHigh, 77u);
    EXPECT_FALSE(pak.FindNextFile(search, &data));
    EXPECT_FALSE(pak.FindNextFile(search, &data));
    pak.FindClose(search);
}

class PakDamageTest : public PakInterfaceTest
{
protected:
    void SetUp() override
    {
        PakInterfaceTest::SetUp();
        temp.Write("data/img.png", "disk");
        temp.Write("data/two.png", "disk two");
    }
};

TEST_F(PakDamageTest, RejectedArchiveLeavesEveryFileToTheDisk)
{
    using namespace ReferencePak;
    std::string table = Record("data\\img.png", 7, 0) + char(0x80) + "archive";
    struct Case
    {
        const char* what;
        std::optional<std::string> plain;
    } cases[] = {
        {"missing file", std::nullopt},
        {"empty file", ""},
        {"header cut short", Header().substr(0, 5)},
        {"wrong magic", Header(0xC04AC0BA) + table},
        {"wrong version", Header(0xBAC04AC0, 1) + table},
    };
    for (const Case& c : cases) {
        PakInterface layer;
        if (c.plain) {
            temp.Write("bad.pak", Scrambled(*c.plain));
        }
        EXPECT_FALSE(layer.AddPakFile(c.plain ? "bad.pak" : "missing.pak")) << c.what;
        PakFileHandle* file = layer.FOpen("data\\img.png", "rb");
        ASSERT_NE(file, nullptr) << c.what;
        EXPECT_EQ(file->entry, nullptr) << c.what;
        layer.FClose(file);
    }
}

TEST_F(PakDamageTest, EntriesReachingPastTheFileAreLeftToTheDisk)
{
    using namespace ReferencePak;
    struct Case
    {
        const char* what;
        std::string plain;
        std::optional<std::string> img;
        std::optional<std::string> two;
    } cases[] = {
        // Only an empty entry fits where the data of a table without an end would begin: at the end.
        {"table without an end", Header() + Record("data\\two.png", 0, 0) + Record("data\\img.png", 4, 0), std::nullopt,
         ""},
        {"table cut inside a record",
         Header() + Record("data\\img.png", 0, 0) + Record("data\\two.png", 4, 0).substr(0, 9), "", std::nullopt},
        {"data cut short",
         Header() + Record("data\\img.png", 3, 0) + Record("data\\two.png", 5, 0) + char(0x80) + "IMG" + "TWO", "IMG",
         std::nullopt},
        {"sizes summing past 4 GiB",
         Header() + Record("data\\img.png", 0xFFFFFFFF, 0) + Record("data\\two.png", 0xFFFFFFFF, 0) + char(0x80) + "x",
         std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        temp.Write("damaged.pak", Scrambled(c.plain));
        PakInterface layer;
        EXPECT_TRUE(layer.AddPakFile("damaged.pak"));
        for (auto [name, expected, disk] :
             {std::tuple{"data\\img.png", c.img, "disk"}, std::tuple{"data\\two.png", c.two, "disk two"}}) {
            PakFileHandle* file = layer.FOpen(name, "rb");
            ASSERT_NE(file, nullptr);
            std::string contents(64, '\0');
            contents.resize(size_t(layer.FRead(contents.data(), 1, int(contents.size()), file)));
            layer.FClose(file);
            EXPECT_EQ(contents, expected.value_or(disk)) << name;
        }
    }
}

} // namespace
