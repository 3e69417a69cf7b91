#include "diagnostics/MapFile.h"

#include "core/StringUtils.h"

#include <cstdlib>

namespace {

constexpr size_t kSymbolLineLength = 22;
constexpr size_t kLineRowLength = 80;
constexpr size_t kLineEntryLength = 20;
// Undecorated names from the map are cut to this many characters, terminator included.
constexpr size_t kReadableNameLength = 4096;
// Names are scanned for addresses too, so a name that holds its own address, or two that hold each
// other's, would be merged without end; far more than any report holds, these bound the work.
constexpr int kMaxReplacements = 4096;
constexpr size_t kMaxGrowth = 1 << 20;

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Section and offset of the 13 characters "SSSS?OOOOOOOO" from start; both must be all hex digits.
bool ParseAddress(std::string_view text, size_t start, MapAddress& address)
{
    return start + 13 <= text.size() && HexToInt(text.substr(start, 4), address.section) &&
           HexToInt(text.substr(start + 5, 8), address.offset);
}

// The entry of the table that holds the address: the key at it, or else the one before the first key
// past it, in the same section. An address past the last key, or before the first, has none.
template <typename Table>
typename Table::const_iterator FindHolder(const Table& table, MapAddress address)
{
    auto found = table.lower_bound(address);
    if (found == table.end()) {
        return found;
    }
    if (found->first != address) {
        if (found == table.begin()) {
            return table.end();
        }
        --found;
    }
    return found->first.section == address.section ? found : table.end();
}

} // namespace

bool HexToInt(std::string_view text, uint32_t& value)
{
    value = 0;
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        int digit = HexDigit(c);
        if (digit < 0) {
            return false;
        }
        value = value << 4 | uint32_t(digit);
    }
    return true;
}

void MapFile::Read(std::istream& input)
{
    sourceFile.clear();
    std::string line;
    while (std::getline(input, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        ReadLine(line);
    }
}

void MapFile::ReadLine(const std::string& line)
{
    if (line.size() > kSymbolLineLength && line[5] == ':') {
        ReadSymbol(line);
    } else if (line.compare(0, 12, "Line numbers") == 0) {
        size_t open = line.find('(');
        size_t close = line.rfind(')');
        sourceFile = open == std::string::npos                    ? std::string()
                     : close == std::string::npos || close < open ? line.substr(open + 1)
                                                                  : line.substr(open + 1, close - open - 1);
    } else if (!sourceFile.empty() && line.size() == kLineRowLength) {
        ReadLineNumbers(line);
    }
}

void MapFile::ReadSymbol(const std::string& line)
{
    MapAddress address;
    size_t end = line.find(' ', 21);
    if (!HexToInt(std::string_view(line).substr(1, 4), address.section) ||
        !HexToInt(std::string_view(line).substr(6, 8), address.offset) || line[20] != ' ' || end == std::string::npos) {
        return;
    }
    symbols[address] = line.substr(21, end - 21);
}

void MapFile::ReadLineNumbers(const std::string& line)
{
    for (size_t entry = 0; entry < kLineRowLength; entry += kLineEntryLength) {
        MapAddress address;
        if (ParseAddress(line, entry + 7, address)) {
            lines[address] = {sourceFile, std::atoi(line.substr(entry, 6).c_str())};
        }
    }
}

void MapFile::Merge(std::string& report, Platform::UnDecorateSymbolNameProc undecorate) const
{
    // Scanning goes on right after each colon, inside whatever was put in its place.
    size_t limit = report.size() + kMaxGrowth;
    int replacements = 0;
    for (size_t colon = 4; colon < report.size() && replacements < kMaxReplacements && report.size() <= limit;
         ++colon) {
        MapAddress address;
        if (report[colon] != ':' || !ParseAddress(report, colon - 4, address)) {
            continue;
        }
        std::string text;
        if (Describe(address, undecorate, text)) {
            report.replace(colon - 4, 13, text);
            ++replacements;
        }
    }
}

bool MapFile::Describe(MapAddress address, Platform::UnDecorateSymbolNameProc undecorate, std::string& text) const
{
    auto symbol = FindHolder(symbols, address);
    if (symbol == symbols.end()) {
        return false;
    }
    text = symbol->second;
    char readable[kReadableNameLength];
    if (undecorate && undecorate(text.c_str(), readable, sizeof readable) != 0) {
        text = readable;
    }
    uint32_t displacement = address.offset - symbol->first.offset;
    if (displacement != 0) {
        text += Tolm::FormatString("+0x%X", displacement);
    }
    auto line = FindHolder(lines, address);
    if (line != lines.end()) {
        text += Tolm::FormatString("\r\n    %s line %d +0x%X", line->second.file.c_str(), line->second.line,
                                   address.offset - line->first.offset);
    }
    return true;
}
