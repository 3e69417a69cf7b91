#include "diagnostics/MapFile.h"

#include <cstdlib>
#include <vector>

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
// The name, its displacement, and its source file and line.
constexpr size_t kDescriptionLength = kReadableNameLength + 4096;

// A report of the heap's, with room to grow by kMaxGrowth.
struct HeapStorage
{
    std::vector<char> bytes;
};

class HeapText : private HeapStorage, public SignalSafeText
{
public:
    explicit HeapText(const std::string& text)
        : HeapStorage{std::vector<char>(text.size() + kMaxGrowth)}, SignalSafeText(bytes.data(), bytes.size())
    {
        Append(text.data(), text.size());
    }
};

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

void MapFile::Merge(SignalSafeText& report, Platform::UnDecorateSymbolNameProc undecorate) const
{
    // Scanning goes on right after each colon, inside whatever was put in its place.
    size_t limit = report.Length() + kMaxGrowth;
    int replacements = 0;
    FixedText<kDescriptionLength> text;
    for (size_t colon = 4; colon < report.Length() && replacements < kMaxReplacements && report.Length() <= limit;
         ++colon) {
        MapAddress address;
        std::string_view view(report.Data(), report.Length());
        if (view[colon] != ':' || !ParseAddress(view, colon - 4, address)) {
            continue;
        }
        text.Clear();
        if (Describe(address, undecorate, text) && report.Replace(colon - 4, 13, text.Data(), text.Length())) {
            ++replacements;
        }
    }
}

void MapFile::Merge(std::string& report, Platform::UnDecorateSymbolNameProc undecorate) const
{
    HeapText text(report);
    Merge(text, undecorate);
    report.assign(text.Data(), text.Length());
}

bool MapFile::Describe(MapAddress address, Platform::UnDecorateSymbolNameProc undecorate, SignalSafeText& text) const
{
    auto symbol = FindHolder(symbols, address);
    if (symbol == symbols.end()) {
        return false;
    }
    char readable[kReadableNameLength];
    if (undecorate && undecorate(symbol->second.c_str(), readable, sizeof readable) != 0) {
        text.Append(readable);
    } else {
        text.Append(symbol->second.data(), symbol->second.size());
    }
    uint32_t displacement = address.offset - symbol->first.offset;
    if (displacement != 0) {
        text.Append("+0x");
        text.AppendHex(displacement, 1);
    }
    auto line = FindHolder(lines, address);
    if (line != lines.end()) {
        text.Append("\r\n    ");
        text.Append(line->second.file.data(), line->second.file.size());
        text.Append(" line ");
        text.AppendDecimal(line->second.line);
        text.Append(" +0x");
        text.AppendHex(address.offset - line->first.offset, 1);
    }
    return true;
}
