// A linker map file's public symbols and source lines, keyed by section:offset, and their merge into a
// crash report: every "SSSS:OOOOOOOO" address the report holds becomes the name of the function that
// holds it, with the distance into it and, when known, the source file and line.
//
// A public symbol line is longer than 22 characters, has ':' at index 5, the section in hex at 1-4, the
// offset in hex at 6-13, a blank at 20, and the decorated name from 21 up to the next blank:
//   " 0001:00001000       _ZN4Tolm5Image4DrawEv       0000000000401000 f"
// A line starting "Line numbers" names the source file of the rows below it, between the first '('
// and the last ')'. A row of exactly 80 characters holds four entries "%6d %04X:%08X" (line, section,
// offset); the shorter last row of a block is not read.
#pragma once

#include "diagnostics/CrashReportLines.h"
#include "platform/ImageHelp.h"

#include <compare>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

// Hexadecimal digits, the first the most significant; false on any other character, and for no digits
// at all. At most 8 digits fit.
bool HexToInt(std::string_view text, uint32_t& value);

struct MapAddress
{
    uint32_t section;
    uint32_t offset;

    auto operator<=>(const MapAddress&) const = default;
};

// A public symbol: its name's place in the map's names.
struct MapSymbol
{
    MapAddress address;
    uint32_t nameStart;
    uint32_t nameLength;
};

// A line-number entry: its source file's place in the map's files.
struct MapSourceLine
{
    MapAddress address;
    uint32_t file;
    int line;
};

class MapFile
{
public:
    // Lines end at '\n'; a '\r' before it is dropped. Lines of any length are read whole.
    void Read(std::istream& input);
    // Names the report's addresses in place. Names are made readable by undecorate when given, and stay
    // as the map has them otherwise or when that fails. The text's own buffer is all it writes to, so
    // that a crash can merge with the heap unusable; a name that does not fit stays an address.
    void Merge(SignalSafeText& report, Platform::UnDecorateSymbolNameProc undecorate) const;
    void Merge(std::string& report, Platform::UnDecorateSymbolNameProc undecorate) const;

private:
    void ReadLine(const std::string& line);
    void ReadSymbol(const std::string& line);
    void ReadLineNumbers(const std::string& line);
    // The text that replaces the address; false when no symbol holds it.
    bool Describe(MapAddress address, Platform::UnDecorateSymbolNameProc undecorate, SignalSafeText& text) const;

    // Sorted by address once read, one entry an address: the later of two in the file.
    std::vector<MapSymbol> symbols;
    std::vector<MapSourceLine> lines;
    std::string names;
    std::vector<std::string> files;
    // The source file of the line-number rows being read, or none.
    bool inLineNumbers = false;
};
