#include "core/PakArchive.h"

#include "ReferencePak.h"

#include <gtest/gtest.h>
#include <limits>

using namespace Tolm;

namespace {

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

PakTableResult ReadTable(const std::string& archive, PakTable& table)
{
    return ReadPakTable(reinterpret_cast<const uint8_t*>(archive.data()), archive.size(), table);
}

TEST(PakArchiveTest, EmptyArchiveIsHeaderAndEndFlagScrambledByOffset)
{
    // Worked by hand: magic C0 4A C0 BA and version 0 0 0 0 under the keys B3 B0 B5 BA BF BC A1 A6,
    // then the end flag 80 under key AB.
    const std::vector<uint8_t> expected = {0x73, 0xFA, 0x75, 0x00, 0xBF, 0xBC, 0xA1, 0xA6, 0x2B};
    std::vector<uint8_t> archive;
    std::string error;
    ASSERT_TRUE(WritePakArchive({}, archive, error));
    EXPECT_EQ(archive, expected);

    PakTable table;
    EXPECT_EQ(ReadPakTable(expected.data(), expected.size(), table), PakTableResult::Complete);
    EXPECT_TRUE(table.entries.empty());
    EXPECT_EQ(table.dataStart, 9u);
}

TEST(PakArchiveTest, ScrambleKeyRepeatsEvery256Offsets)
{
    struct Case
    {
        uint64_t offset;
        uint8_t key;
    } cases[] = {
        {0, 0xB3}, {1, 0xB0}, {85, 0x4C}, {86, 0xB1}, {255, 0x4E}, {256, 0xB3}, {0x100000001ull, 0xB0},
    };
    for (const Case& c : cases) {
        uint8_t zero = 0, key = 0;
        PakScramble(&zero, &key, 1, c.offset);
        EXPECT_EQ(key, c.key) << "offset " << c.offset;
    }

    // A long run, starting mid-cycle, against the formula byte by byte; scrambling twice restores.
    std::vector<uint8_t> plain(1000);
    for (size_t i = 0; i < plain.size(); ++i) {
        plain[i] = uint8_t(i * 7);
    }
    const uint64_t start = 77;
    std::vector<uint8_t> scrambled(plain.size());
    PakScramble(plain.data(), scrambled.data(), plain.size(), start);
    for (size_t i = 0; i < plain.size(); ++i) {
        ASSERT_EQ(scrambled[i], uint8_t(plain[i] ^ ((3 * (start + i)) % 256) ^ 0xB3)) << "byte " << i;
    }
    PakScramble(scrambled.data(), scrambled.data(), scrambled.size(), start);
    EXPECT_EQ(scrambled, plain);
}

TEST(PakArchiveTest, WrittenArchiveHasTheReferenceLayout)
{
    std::vector<PakSourceFile> files = {
        {"properties\\trans.xml", 0x01D2C3B4A5968778ull, Bytes("<trans/>\r\n")},
        {"empty.txt", 7, {}},
        {"levels\\level001.txt", 0, Bytes(std::string(300, 'x'))},
    };
    std::vector<uint8_t> archive;
    std::string error;
    ASSERT_TRUE(WritePakArchive(files, archive, error));
    std::string expected = ReferencePak::Archive({
        {"properties\\trans.xml", "<trans/>\r\n", 0x01D2C3B4A5968778ull},
        {"empty.txt", "", 7},
        {"levels\\level001.txt", std::string(300, 'x'), 0},
    });
    EXPECT_EQ(archive, Bytes(expected));
}

TEST(PakArchiveTest, TableGivesEachEntryItsDataBackToBack)
{
    std::string archive = ReferencePak::Archive({
        {"a\\one.txt", "11111", 100},
        {"TWO", "", 200},
        {"three", "333", 300},
    });
    PakTable table;
    ASSERT_EQ(ReadTable(archive, table), PakTableResult::Complete);
    // Header 8, then records of 14 bytes plus the name: 23 + 17 + 19, then the end flag.
    const uint64_t dataStart = 8 + 23 + 17 + 19 + 1;
    EXPECT_EQ(table.dataStart, dataStart);
    ASSERT_EQ(table.entries.size(), 3u);
    struct Expected
    {
        const char* name;
        uint32_t size;
        uint64_t time;
        uint64_t start;
    } expected[] = {
        {"a\\one.txt", 5, 100, dataStart},
        {"TWO", 0, 200, dataStart + 5},
        {"three", 3, 300, dataStart + 5},
    };
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(table.entries[i].name, expected[i].name);
        EXPECT_EQ(table.entries[i].size, expected[i].size);
        EXPECT_EQ(table.entries[i].fileTime, expected[i].time);
        EXPECT_EQ(table.entries[i].start, expected[i].start);
        EXPECT_TRUE(table.entries[i].FitsIn(archive.size()));
    }
}

TEST(PakArchiveTest, DamagedArchivesAreRecognised)
{
    using namespace ReferencePak;
    std::string oneEntry = Header() + Record("name", 3, 9) + char(0x80) + "abc";
    struct Case
    {
        const char* what;
        std::string plain;
        PakTableResult result;
        size_t entries;
        uint64_t dataStart;
    } cases[] = {
        {"empty file", "", PakTableResult::NotAnArchive, 0, 0},
        {"shorter than the magic", Header().substr(0, 3), PakTableResult::NotAnArchive, 0, 0},
        {"magic without version", Header().substr(0, 6), PakTableResult::NotAnArchive, 0, 0},
        {"wrong magic", Header(0xBAC04AC1) + char(0x80), PakTableResult::NotAnArchive, 0, 0},
        {"version 1", Header(0xBAC04AC0, 1) + char(0x80), PakTableResult::UnknownVersion, 0, 0},
        {"header only", Header(), PakTableResult::Truncated, 0, 8},
        {"no end flag", Header() + Record("name", 0, 9), PakTableResult::Truncated, 1, 8 + 18},
        {"cut inside a name", oneEntry.substr(0, 12), PakTableResult::Truncated, 0, 12},
        {"cut inside a time", oneEntry.substr(0, 8 + 16), PakTableResult::Truncated, 0, 24},
        {"flag bits below the end flag", Header() + Record("name", 3, 9, 0x7F) + char(0xFF) + "abc",
         PakTableResult::Complete, 1, 8 + 18 + 1},
        {"data cut short", oneEntry.substr(0, oneEntry.size() - 1), PakTableResult::Complete, 1, 8 + 18 + 1},
    };
    for (const Case& c : cases) {
        PakTable table;
        std::string archive = Scrambled(c.plain);
        EXPECT_EQ(ReadTable(archive, table), c.result) << c.what;
        if (c.result == PakTableResult::Complete || c.result == PakTableResult::Truncated) {
            EXPECT_EQ(table.entries.size(), c.entries) << c.what;
            EXPECT_EQ(table.dataStart, c.dataStart) << c.what;
        }
    }
}

TEST(PakArchiveTest, EntryFitsOnlyWhenItsWholeRangeLiesInsideTheArchive)
{
    struct Case
    {
        uint64_t start;
        uint32_t size;
        uint64_t archiveSize;
        bool fits;
    } cases[] = {
        {10, 5, 15, true},
        {10, 6, 15, false},
        {15, 0, 15, true},
        {16, 0, 15, false},
        {8, 0xFFFFFFFFu, 100, false},
        // No wrap-around: start + size would overflow 64 bits.
        {std::numeric_limits<uint64_t>::max() - 1, 10, std::numeric_limits<uint64_t>::max(), false},
    };
    for (const Case& c : cases) {
        PakArchiveEntry entry;
        entry.start = c.start;
        entry.size = c.size;
        EXPECT_EQ(entry.FitsIn(c.archiveSize), c.fits) << c.start << "+" << c.size << " in " << c.archiveSize;
    }
}

TEST(PakArchiveTest, StoredNameEndsAtAZeroByte)
{
    std::string archive = ReferencePak::Scrambled(ReferencePak::Header() +
                                                  ReferencePak::Record(std::string("ab\0cd", 5), 0, 0) + char(0x80));
    PakTable table;
    ASSERT_EQ(ReadTable(archive, table), PakTableResult::Complete);
    ASSERT_EQ(table.entries.size(), 1u);
    EXPECT_EQ(table.entries[0].name, "ab");
}

TEST(PakArchiveTest, WriterRefusesNamesThatDoNotFitTheTable)
{
    struct Case
    {
        size_t nameLength;
        bool accepted;
    } cases[] = {{0, false}, {1, true}, {255, true}, {256, false}};
    for (const Case& c : cases) {
        std::vector<uint8_t> archive;
        std::string error;
        bool accepted = WritePakArchive({{std::string(c.nameLength, 'n'), 0, {}}}, archive, error);
        EXPECT_EQ(accepted, c.accepted) << c.nameLength;
        EXPECT_EQ(error.empty(), c.accepted) << c.nameLength;
    }
}

} // namespace
