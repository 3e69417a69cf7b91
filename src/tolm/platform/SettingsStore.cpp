// The settings store on POSIX: a small line-based text file, rewritten whole through a temporary file.
//
//   TolmRegistry 1
//   key                       the application key itself
//   value MusicVolume 4 55000000
//   key Test3D
//   value RuntimeError 1 4e6f20646576696365
//   end
//
// Names escape every byte outside '!'..'~', and '%', as %XX; value bytes are lower-case hex pairs.
#include "platform/SettingsStore.h"

#include "platform/FileSystem.h"
#include "platform/Folders.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Platform {

namespace {

constexpr std::string_view kHeader = "TolmRegistry 1";
constexpr std::string_view kEnd = "end";
constexpr char kHexDigits[] = "0123456789abcdef";

unsigned char Fold(char c)
{
    return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string EscapeName(const std::string& name)
{
    std::string escaped;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (byte > ' ' && byte < 0x7F && byte != '%') {
            escaped += c;
            continue;
        }
        escaped += '%';
        escaped += char(std::toupper(kHexDigits[byte >> 4]));
        escaped += char(std::toupper(kHexDigits[byte & 15]));
    }
    return escaped;
}

int HexValue(char c, bool upperCase)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    char first = upperCase ? 'A' : 'a';
    return c >= first && c <= first + 5 ? c - first + 10 : -1;
}

bool UnescapeName(std::string_view text, std::string& name)
{
    name.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte <= ' ' || byte >= 0x7F) {
            return false;
        }
        if (byte != '%') {
            name += text[i];
            continue;
        }
        if (i + 2 >= text.size()) {
            return false;
        }
        int high = HexValue(text[i + 1], true);
        int low = HexValue(text[i + 2], true);
        if (high < 0 || low < 0) {
            return false;
        }
        name += char(high * 16 + low);
        i += 2;
    }
    return true;
}

std::string HexBytes(const std::vector<uint8_t>& data)
{
    std::string hex;
    hex.reserve(data.size() * 2);
    for (uint8_t byte : data) {
        hex += kHexDigits[byte >> 4];
        hex += kHexDigits[byte & 15];
    }
    return hex;
}

bool ParseHexBytes(std::string_view hex, std::vector<uint8_t>& data)
{
    if (hex.size() % 2 != 0) {
        return false;
    }
    data.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        int high = HexValue(hex[i], false);
        int low = HexValue(hex[i + 1], false);
        if (high < 0 || low < 0) {
            return false;
        }
        data.push_back(uint8_t(high * 16 + low));
    }
    return true;
}

// A plain decimal number as the writer writes it: no sign, no leading zero, at most 32 bits.
bool ParseType(std::string_view text, uint32_t& type)
{
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0')) {
        return false;
    }
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + uint64_t(c - '0');
    }
    if (value > 0xFFFFFFFFu) {
        return false;
    }
    type = uint32_t(value);
    return true;
}

std::vector<std::string_view> SplitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (size_t space = line.find(' '); space != std::string_view::npos; space = line.find(' ', start)) {
        fields.push_back(line.substr(start, space - start));
        start = space + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

// Reads one "key" or "value" line into the data; the reason when it is not one the writer makes.
const char* ParseLine(std::string_view line, SettingsData& data, SettingsKey*& current)
{
    std::vector<std::string_view> fields = SplitFields(line);
    std::string name;
    if (fields[0] == "key") {
        if (fields.size() != 2 || !UnescapeName(fields[1], name)) {
            return "malformed key line";
        }
        auto [entry, added] = data.try_emplace(name);
        if (!added) {
            return "key listed twice";
        }
        current = &entry->second;
        return nullptr;
    }
    if (fields[0] != "value") {
        return "unknown line";
    }
    SettingsValue value;
    if (fields.size() != 4 || !UnescapeName(fields[1], name) || !ParseType(fields[2], value.type) ||
        !ParseHexBytes(fields[3], value.data)) {
        return "malformed value line";
    }
    if (!current) {
        return "value outside any key";
    }
    if (!current->try_emplace(name, std::move(value)).second) {
        return "value listed twice";
    }
    return nullptr;
}

void Report(const std::string& path, const std::string& problem)
{
    std::fprintf(stderr, "Settings store '%s' %s; starting with empty settings.\n", path.c_str(), problem.c_str());
}

} // namespace

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Fold(x) < Fold(y); });
}

std::string SettingsStore::SanitizedKeyPath(std::string_view applicationKey)
{
    std::string path;
    size_t start = 0;
    while (start <= applicationKey.size()) {
        size_t end = applicationKey.find_first_of("\\/", start);
        if (end == std::string_view::npos) {
            end = applicationKey.size();
        }
        std::string component(applicationKey.substr(start, end - start));
        start = end + 1;
        if (component.empty() || component == "." || component == "..") {
            continue;
        }
        std::replace_if(
            component.begin(), component.end(),
            [](char c) { return static_cast<unsigned char>(c) < ' ' || static_cast<unsigned char>(c) == 0x7F; }, '_');
        path += path.empty() ? "" : "/";
        path += component;
    }
    return path.empty() ? path : path + ".registry";
}

std::unique_ptr<SettingsStore> SettingsStore::ForKey(std::string_view applicationKey)
{
    std::string relative = SanitizedKeyPath(applicationKey);
    if (relative.empty()) {
        return nullptr;
    }
    return std::make_unique<SettingsStore>(ConfigFolder() + relative);
}

SettingsStore::SettingsStore(std::string path) : filePath(std::move(path)) {}

std::string SettingsStore::Serialize(const SettingsData& data)
{
    std::string text(kHeader);
    text += '\n';
    for (const auto& [subkey, values] : data) {
        text += "key " + EscapeName(subkey) + '\n';
        for (const auto& [name, value] : values) {
            text += "value " + EscapeName(name) + ' ' + std::to_string(value.type) + ' ' + HexBytes(value.data) + '\n';
        }
    }
    text += kEnd;
    text += '\n';
    return text;
}

bool SettingsStore::Parse(std::string_view text, SettingsData& data, std::string& error)
{
    data.clear();
    SettingsKey* current = nullptr;
    bool ended = false;
    int lineNumber = 0;
    size_t start = 0;
    while (start < text.size()) {
        ++lineNumber;
        size_t newline = text.find('\n', start);
        if (newline == std::string_view::npos) {
            error = "line " + std::to_string(lineNumber) + ": cut short";
            return false;
        }
        std::string_view line = text.substr(start, newline - start);
        start = newline + 1;
        const char* problem = nullptr;
        if (ended) {
            problem = "text after the end";
        } else if (lineNumber == 1) {
            problem = line == kHeader ? nullptr : "not a settings store";
        } else if (line == kEnd) {
            ended = true;
        } else {
            problem = ParseLine(line, data, current);
        }
        if (problem) {
            error = "line " + std::to_string(lineNumber) + ": " + problem;
            return false;
        }
    }
    if (!ended) {
        error = "no end line";
        return false;
    }
    return true;
}

SettingsData& SettingsStore::Data()
{
    if (loaded) {
        return data;
    }
    loaded = true;
    if (!Exists(filePath)) {
        return data;
    }
    std::vector<uint8_t> contents;
    if (!ReadWholeFile(filePath, contents)) {
        // The file may well hold the user's settings (a permission, a passing fault): writing the
        // defaults over it would lose them.
        unreadable = true;
        Report(filePath, std::string("cannot be read (") + std::strerror(errno) + ") and is left as it is");
        return data;
    }
    std::string error;
    std::string_view text(reinterpret_cast<const char*>(contents.data()), contents.size());
    if (!Parse(text, data, error)) {
        data.clear();
        // Set the damaged file aside rather than let the next write destroy it.
        std::string aside = filePath + ".corrupt";
        bool moved = std::rename(DiskPath(filePath).c_str(), DiskPath(aside).c_str()) == 0;
        Report(filePath, "is corrupt (" + error + ")" + (moved ? ", kept as '" + aside + "'" : std::string()));
    }
    return data;
}

bool SettingsStore::Commit(SettingsData changed)
{
    if (unreadable) {
        return false;
    }
    size_t slash = filePath.rfind('/');
    if (slash != std::string::npos) {
        MakeFolders(DiskPath(filePath.substr(0, slash)));
    }
    std::string text = Serialize(changed);
    if (!WriteFileAtomically(filePath, text.data(), text.size())) {
        ReportWriteFailure(std::strerror(errno));
        return false;
    }
    data = std::move(changed);
    return true;
}

void SettingsStore::ReportWriteFailure(const char* reason)
{
    if (writeFailureReported) {
        return;
    }
    writeFailureReported = true;
    std::fprintf(stderr, "Settings store '%s' cannot be written (%s); the file keeps the settings it had.\n",
                 filePath.c_str(), reason);
}

bool SettingsStore::KeyExists(const std::string& subkey)
{
    return Data().count(subkey) != 0;
}

bool SettingsStore::CreateKey(const std::string& subkey)
{
    if (KeyExists(subkey)) {
        return true;
    }
    SettingsData changed = Data();
    changed[subkey];
    return Commit(std::move(changed));
}

bool SettingsStore::SetValue(const std::string& subkey, const std::string& name, uint32_t type, const uint8_t* bytes,
                             size_t size)
{
    if (!KeyExists(subkey)) {
        return false;
    }
    SettingsData changed = Data();
    SettingsKey& values = changed[subkey];
    // Assigning through the map keeps the case the name was first stored with, as the registry does.
    values[name] = SettingsValue{type, std::vector<uint8_t>(bytes, bytes + size)};
    return Commit(std::move(changed));
}

bool SettingsStore::QueryValue(const std::string& subkey, const std::string& name, SettingsValue& value)
{
    SettingsData& current = Data();
    auto key = current.find(subkey);
    if (key == current.end()) {
        return false;
    }
    auto found = key->second.find(name);
    if (found == key->second.end()) {
        return false;
    }
    value = found->second;
    return true;
}

bool SettingsStore::DeleteValue(const std::string& subkey, const std::string& name)
{
    SettingsData& current = Data();
    auto key = current.find(subkey);
    if (key == current.end() || key->second.count(name) == 0) {
        return false;
    }
    SettingsData changed = current;
    changed[subkey].erase(name);
    return Commit(std::move(changed));
}

} // namespace Platform
