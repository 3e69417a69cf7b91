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

// A public symbol, its name in the map's text; order: its place among the symbols read.
struct MapSymbol
{
    MapAddress address;
    std::string_view name;
    uint32_t order;
};

// A line-number entry: its source file's place in the map's files.
struct MapSourceLine
{
    MapAddress address;
    uint32_t file;
    int line;
    uint32_t order;
};

class MapFile
{
public:
    MapFile() = default;
    // The tables point into the text a map owns.
    MapFile(const MapFile&) = delete;
    MapFile& operator=(const MapFile&) = delete;

    // Reads the whole stream and parses it.
    void Read(std::istream& input);
    // Lines end at '\n'; a '\r' before it is dropped. Lines of any length are read whole. The names
    // point into the text, which must outlive their use. After Reserve for a text at least as long,
    // parsing needs no heap, so that a crash can parse a map it had only mapped.
    void Parse(std::string_view text);
    void Reserve(size_t textLength);
    // Names the report's addresses in place. Names are made readable by undecorate when given, and stay
    // as the map has them otherwise or when that fails. The text's own buffer is all it writes to, so
    // that a crash can merge with the heap unusable; a name that does not fit stays an address.
    void Merge(SignalSafeText& report, Platform::UnDecorateSymbolNameProc undecorate) const;
    void Merge(std::string& report, Platform::UnDecorateSymbolNameProc undecorate) const;

private:
    void ReadLine(std::string_view line);
    void ReadSymbol(std::string_view line);
    void ReadLineNumbers(std::string_view line);
    // The text that replaces the address; false when no symbol holds it.
    bool Describe(MapAddress address, Platform::UnDecorateSymbolNameProc undecorate, SignalSafeText& text) const;

    // What Read read.
    std::string ownText;
    // Sorted by address once parsed, one entry an address: the later of two in the text.
    std::vector<MapSymbol> symbols;
    std::vector<MapSourceLine> lines;
    std::vector<std::string_view> files;
    // Whether line-number rows are read: a "Line numbers" line named their source file.
    bool inLineNumbers = false;
};
