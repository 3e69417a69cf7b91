// The map reader and the merge on small map files written out here. Names are merged as the map has
// them unless a test gives an undecorator.
#include "diagnostics/MapFile.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

// A public symbol line: the address at 1-13, a blank at 20, the name from 21.
std::string Public(const std::string& address, const std::string& name)
{
    return " " + address + "       " + name + "                 0000000000401000 f\n";
}

// A row of line-number entries "%6d %04X:%08X", 20 characters each.
std::string Row(std::initializer_list<std::pair<int, std::string>> entries)
{
    std::string row;
    for (const auto& [line, address] : entries) {
        std::string number = std::to_string(line);
        row += std::string(6 - number.size(), ' ') + number + " " + address;
    }
    return row + "\n";
}

// An address past the last symbol of the whole map has no symbol, so every map here ends with one in
// a later section, as a linker's ends with the data.
const std::string kLastSymbol = " 00FF:00000000       _end                 0000000000409000\n";

std::string Merged(const std::string& map, std::string report, Platform::UnDecorateSymbolNameProc undecorate = nullptr)
{
    MapFile file;
    std::istringstream input(map + kLastSymbol);
    file.Read(input);
    file.Merge(report, undecorate);
    return report;
}

const std::string kHeader =
    " quendara\n\n  Address         Publics by Value              Rva+Base       Lib:Object\n\n";

} // namespace

TEST(HexToInt, TakesOnlyHexDigits)
{
    struct Case
    {
        const char* text;
        bool parsed;
        uint32_t value;
    } cases[] = {
        {"0", true, 0},          {"fF", true, 0xFF}, {"1234abcd", true, 0x1234ABCD},
        {"FFFFFFFF", true, ~0u}, {"", false, 0},     {"12 4", false, 0},
        {"g", false, 0},         {"-1", false, 0},   {"0x10", false, 0},
    };
    for (const Case& c : cases) {
        uint32_t value = 99;
        EXPECT_EQ(HexToInt(c.text, value), c.parsed) << c.text;
        if (c.parsed) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(MapFile, AddressesBecomeTheNameWithTheDistanceIntoIt)
{
    std::string map = kHeader + Public("0001:00001000", "DrawBoard") + Public("0001:00002000", "DrawTown");
    EXPECT_EQ(Merged(map, "at 0001:00001010 in"), "at DrawBoard+0x10 in");
    EXPECT_EQ(Merged(map, "0001:00001000"), "DrawBoard");
    EXPECT_EQ(Merged(map, "0001:00001FFF|0001:00002000"), "DrawBoard+0xFFF|DrawTown");
}

TEST(MapFile, AddressesNoSymbolHoldsStayAsTheyAre)
{
    std::string map = Public("0001:00001000", "First") + Public("0001:00002000", "Second") +
                      Public("0003:00000100", "Data") + Public("0100:00000100", "_last");
    struct Case
    {
        const char* name;
        const char* report;
    } cases[] = {
        {"before the first symbol", "0001:00000FFF"},
        {"past the last symbol of all", "0100:00000200"},
        {"in a section without symbols below it", "0002:00000010"},
        {"in a section before the first symbol's", "0000:00001000"},
        {"a blank in the offset", "0001:0000 100"},
        {"a blank in the section", "0 01:00001000"},
        {"fewer than 8 digits at the end", "0001:0000100"},
        {"no digits after the colon at the end", "beef:"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Merged(map, c.report), c.report) << c.name;
    }
}

TEST(MapFile, LowerCaseDigitsAndCrlfLineEndsAreRead)
{
    std::string map =
        " 000a:0000abcd       lower 0000000000401000 f\r\n"
        "Line numbers for x.obj(C:\\src\\lower.cpp) segment .text\r\n\r\n" +
        Row({{7, "000a:0000abcd"}, {8, "000a:0000abd0"}, {9, "000a:0000abe0"}, {10, "000a:0000abf0"}}).insert(80, "\r");
    EXPECT_EQ(Merged(map, "000A:0000ABD4 000a:0000abcd"),
              "lower+0x7\r\n    C:\\src\\lower.cpp line 8 +0x4 lower\r\n    C:\\src\\lower.cpp line 7 +0x0");
}

TEST(MapFile, ALaterLineOfTheSameAddressWins)
{
    std::string map = Public("0001:00001000", "Old") + Public("0001:00001000", "New");
    EXPECT_EQ(Merged(map, "0001:00001004"), "New+0x4");
}

TEST(MapFile, ASymbolLineWhoseFieldsDoNotParseOrLackTheBlanksIsIgnored)
{
    std::string map = Public("0001:00001000", "Kept") + " 0001:0000 800       Blank 0000000000401000 f\n" +
                      " 0001:00001800      xNoBlankAt20 0000000000401000 f\n" +
                      " 0001:00001900       NoBlankAfterTheName\n";
    EXPECT_EQ(Merged(map, "0001:00001900"), "Kept+0x900");
}

TEST(MapFile, SourceLinesComeFromWholeRowsUnderTheirBlock)
{
    std::string map =
        Public("0001:00001000", "Update") +
        // Rows before any block belong to no file.
        Row({{1, "0001:00001000"}, {2, "0001:00001002"}, {3, "0001:00001004"}, {4, "0001:00001006"}}) +
        "Line numbers for .\\Release\\game.obj(C:\\src\\game (copy).cpp) segment .text\n\n" +
        Row({{10, "0001:00001000"}, {11, "0001:00001008"}, {12, "0001:00001010"}, {13, "0001:00001018"}}) +
        // The shorter last row of the block is not read.
        Row({{14, "0001:00001020"}, {15, "0001:00001028"}}) +
        "Line numbers for other.obj(C:\\src\\other.cpp) segment .text\n\n" +
        Row({{3, "0001:00002000"}, {4, "0001:00002008"}, {5, "0001:00002010"}, {6, "0001:00002018"}});
    EXPECT_EQ(Merged(map, "0001:00001004"), "Update+0x4\r\n    C:\\src\\game (copy).cpp line 10 +0x4");
    EXPECT_EQ(Merged(map, "0001:00001010"), "Update+0x10\r\n    C:\\src\\game (copy).cpp line 12 +0x0");
    EXPECT_EQ(Merged(map, "0001:0000102A"), "Update+0x2A\r\n    C:\\src\\game (copy).cpp line 13 +0x12");
}

TEST(MapFile, ABlockNameWithoutClosingParenthesisRunsToTheLineEnd)
{
    std::string map = Public("0002:00000000", "Tick") + "Line numbers for game.obj(src/tick.cpp\n" +
                      Row({{5, "0002:00000000"}, {6, "0002:00000010"}, {7, "0002:00000020"}, {8, "0002:00000030"}});
    EXPECT_EQ(Merged(map, "0002:00000014"), "Tick+0x14\r\n    src/tick.cpp line 6 +0x4");
}

TEST(MapFile, ALineOfFiveThousandCharactersDoesNotStopTheReading)
{
    std::string map = std::string(5000, 'x') + "\n" + std::string(2500, ':') + "\n" + Public("0001:00000100", "Late");
    EXPECT_EQ(Merged(map, "0001:00000100"), "Late");
}

TEST(MapFile, ScanningGoesOnInsideTheInsertedText)
{
    std::string map = Public("0001:00000100", "X0002:00000004") + Public("0002:00000000", "Inner");
    EXPECT_EQ(Merged(map, "[0001:00000100]"), "[XInner+0x4]");
}

TEST(MapFile, NamesHoldingTheirOwnAddressesDoNotMergeWithoutEnd)
{
    std::string map = Public("0001:00000100", "X0001:00000100") + Public("0001:00000200", "A0001:00000300") +
                      Public("0001:00000300", "B0001:00000200");
    for (const char* report : {"0001:00000100", "0001:00000200"}) {
        std::string merged = Merged(map, report);
        EXPECT_GT(merged.size(), 4000u) << report;
        EXPECT_LT(merged.size(), 100000u) << report;
    }
}

TEST(MapFile, NamesAreMadeReadableWhenAnUndecoratorIsGiven)
{
    auto upper = [](const char* name, char* readable, size_t length) -> size_t {
        if (name[0] != '_') {
            return 0;
        }
        size_t size = 0;
        for (const char* c = name + 1; *c && size + 1 < length; ++c) {
            readable[size++] = char(std::toupper(*c));
        }
        readable[size] = '\0';
        return size;
    };
    std::string map = Public("0001:00000100", "_decorated") + Public("0001:00000200", "plain");
    EXPECT_EQ(Merged(map, "0001:00000101 0001:00000200", upper), "DECORATED+0x1 plain");
}
