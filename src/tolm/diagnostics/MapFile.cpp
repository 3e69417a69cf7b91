#include "diagnostics/MapFile.h"

#include "core/StringUtils.h"

#include <algorithm>
#include <sstream>
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

// Section and offset of the 13 characters "SSSS?OOOOOOOO" from start; both must be all hex digits.
bool ParseAddress(std::string_view text, size_t start, MapAddress& address)
{
    return start + 13 <= text.size() && HexToInt(text.substr(start, 4), address.section) &&
           HexToInt(text.substr(start + 5, 8), address.offset);
}

// The entry of the sorted table that holds the address: the one at it, or else the one before the
// first past it, in the same section. An address past the last entry, or before the first, has none.
template <typename Entry>
const Entry* FindHolder(const std::vector<Entry>& table, MapAddress address)
{
    auto found = std::lower_bound(table.begin(), table.end(), address,
                                  [](const Entry& entry, MapAddress value) { return entry.address < value; });
    if (found == table.end()) {
        return nullptr;
    }
    if (found->address != address) {
        if (found == table.begin()) {
            return nullptr;
        }
        --found;
    }
    return found->address.section == address.section ? &*found : nullptr;
}

// Sorts by address and keeps, of the entries at one address, the one read last. Sorting in place
// needs no heap.
template <typename Entry>
void SortKeepingLast(std::vector<Entry>& table)
{
    std::sort(table.begin(), table.end(), [](const Entry& a, const Entry& b) {
        return a.address < b.address || (a.address == b.address && a.order < b.order);
    });
    auto kept = table.begin();
    for (auto entry = table.begin(); entry != table.end(); ++entry) {
        if (kept != table.begin() && (kept - 1)->address == entry->address) {
            *(kept - 1) = *entry;
        } else {
            *kept++ = *entry;
        }
    }
    table.erase(kept, table.end());
}

} // namespace

bool HexToInt(std::string_view text, uint32_t& value)
{
    value = 0;
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        int digit = Tolm::HexDigitValue(c);
        if (digit < 0) {
            return false;
        }
        value = value << 4 | uint32_t(digit);
    }
    return true;
}

void MapFile::Read(std::istream& input)
{
    // What cannot be read, a folder for one, reads as nothing.
    std::ostringstream text;
    text << input.rdbuf();
    ownText = std::move(text).str();
    Parse(ownText);
}

void MapFile::Reserve(size_t textLength)
{
    // Each entry needs at least this many characters of the text, its line's end included.
    symbols.reserve(textLength / (kSymbolLineLength + 2) + 1);
    lines.reserve((textLength / (kLineRowLength + 1) + 1) * (kLineRowLength / kLineEntryLength));
    files.reserve(textLength / 13 + 1);
}

void MapFile::Parse(std::string_view text)
{
    symbols.clear();
    lines.clear();
    files.clear();
    inLineNumbers = false;
    while (!text.empty()) {
        size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        ReadLine(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    SortKeepingLast(symbols);
    SortKeepingLast(lines);
}

void MapFile::ReadLine(std::string_view line)
{
    if (line.size() > kSymbolLineLength && line[5] == ':') {
        ReadSymbol(line);
    } else if (line.substr(0, 12) == "Line numbers") {
        size_t open = line.find('(');
        size_t close = line.rfind(')');
        std::string_view file = open == std::string_view::npos ? std::string_view()
                                : close == std::string_view::npos || close < open
                                    ? line.substr(open + 1)
                                    : line.substr(open + 1, close - open - 1);
        inLineNumbers = !file.empty();
        if (inLineNumbers && (files.empty() || files.back() != file)) {
            files.push_back(file);
        }
    } else if (inLineNumbers && line.size() == kLineRowLength) {
        ReadLineNumbers(line);
    }
}

void MapFile::ReadSymbol(std::string_view line)
{
    MapAddress address;
    size_t end = line.find(' ', 21);
    if (!HexToInt(line.substr(1, 4), address.section) || !HexToInt(line.substr(6, 8), address.offset) ||
        line[20] != ' ' || end == std::string_view::npos) {
        return;
    }
    symbols.push_back({address, line.substr(21, end - 21), uint32_t(symbols.size())});
}

void MapFile::ReadLineNumbers(std::string_view line)
{
    for (size_t entry = 0; entry < kLineRowLength; entry += kLineEntryLength) {
        MapAddress address;
        if (ParseAddress(line, entry + 7, address)) {
            lines.push_back(
                {address, uint32_t(files.size() - 1), Tolm::LeadingInt(line.substr(entry, 6)), uint32_t(lines.size())});
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
    const MapSymbol* symbol = FindHolder(symbols, address);
    if (!symbol) {
        return false;
    }
    // The name is copied out to end it with a zero for the undecorator.
    char decorated[kReadableNameLength];
    size_t length = symbol->name.copy(decorated, sizeof decorated - 1);
    decorated[length] = '\0';
    char readable[kReadableNameLength];
    if (length == symbol->name.size() && undecorate && undecorate(decorated, readable, sizeof readable) != 0) {
        text.Append(readable);
    } else {
        text.Append(symbol->name.data(), symbol->name.size());
    }
    uint32_t displacement = address.offset - symbol->address.offset;
    if (displacement != 0) {
        text.Append("+0x");
        text.AppendHex(displacement, 1);
    }
    const MapSourceLine* line = FindHolder(lines, address);
    if (line) {
        std::string_view file = files[line->file];
        text.Append("\r\n    ");
        text.Append(file.data(), file.size());
        text.Append(" line ");
        text.AppendDecimal(line->line);
        text.Append(" +0x");
        text.AppendHex(address.offset - line->address.offset, 1);
    }
    return true;
}
