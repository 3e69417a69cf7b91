#include "core/PakInterface.h"

#include "core/PakArchive.h"

#include <algorithm>
#include <atomic>

namespace Tolm {

namespace {

constexpr int kCarriageReturn = '\r';
constexpr int kLineFeed = '\n';

// Keys are folded as the C library's toupper folds in its default locale: ASCII letters only.
char ToUpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return ToUpperAscii(x) == ToUpperAscii(y); });
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

std::string UpperCased(std::string_view name)
{
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(), ToUpperAscii);
    return key;
}

// Archives hold names relative to the program's folder, so an absolute name inside the current
// folder is looked up by the rest of it.
std::string_view WithoutCurrentFolder(std::string_view name)
{
    if (name.empty() || name[0] != '/') {
        return name;
    }
    std::string folder = Platform::CurrentFolder();
    if (name.size() <= folder.size() || !IsSeparator(name[folder.size()]) ||
        !SameIgnoringCase(name.substr(0, folder.size()), folder)) {
        return name;
    }
    return name.substr(folder.size() + 1);
}

// Steps back over the separator just written and the component before it.
void RemoveLastComponent(std::string& key)
{
    if (!key.empty() && key.back() == '\\') {
        key.pop_back();
    }
    size_t separator = key.rfind('\\');
    key.erase(separator == std::string::npos ? 0 : separator + 1);
}

bool IsReadMode(std::string_view mode)
{
    return SameIgnoringCase(mode, "r") || SameIgnoringCase(mode, "rb") || SameIgnoringCase(mode, "rt");
}

const uint8_t* EntryData(const PakEntry& entry)
{
    return entry.archive->mapping->Data() + entry.start;
}

// The next byte as stored, carriage returns included; -1 at the end.
int ReadByte(PakFileHandle* handle)
{
    if (handle->file) {
        return std::fgetc(handle->file);
    }
    const PakEntry& entry = *handle->entry;
    if (handle->position >= entry.size) {
        return -1;
    }
    uint8_t plain;
    PakScramble(EntryData(entry) + handle->position, &plain, 1, entry.start + uint64_t(handle->position));
    ++handle->position;
    return plain;
}

// The position offset bytes from base, kept inside 0..size without overflowing on any offset.
int64_t ClampedPosition(int64_t base, long offset, int64_t size)
{
    if (offset > size - base) {
        return size;
    }
    if (offset < -base) {
        return 0;
    }
    return base + offset;
}

// Whether a key qualifies for a pattern with a '*': it begins with what precedes the first '*' and
// ends with what follows it, unless that is empty or ".*". The two parts may overlap in the key.
bool KeyMatches(std::string_view key, std::string_view prefix, std::string_view rest)
{
    if (!key.starts_with(prefix)) {
        return false;
    }
    return rest.empty() || rest == ".*" || key.ends_with(rest);
}

void FillFindData(const PakEntry& entry, std::string_view key, std::string_view rest, Platform::FindData* data)
{
    // A separator in the part of the key that the text after the '*' stands for marks a folder.
    size_t restStart = key.size() > rest.size() ? key.size() - rest.size() : 0;
    data->attributes = key.find('\\', restStart) != std::string_view::npos ? Platform::kAttributeDirectory : 0;
    data->creationTime = entry.fileTime;
    data->lastAccessTime = entry.fileTime;
    data->lastWriteTime = entry.fileTime;
    data->sizeLow = entry.size;
    size_t separator = entry.name.rfind('\\');
    data->fileName = separator == std::string::npos ? entry.name : entry.name.substr(separator + 1);
}

bool StartDiskSearch(PakFindHandle* handle, Platform::FindData* data)
{
    handle->diskSearch = Platform::DirectorySearch::First(handle->pattern, *data);
    return handle->diskSearch != nullptr;
}

} // namespace

bool NormalizePakPath(std::string_view name, std::string& key)
{
    name = WithoutCurrentFolder(name);
    key.clear();
    bool afterSeparator = false;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (IsSeparator(c)) {
            if (!afterSeparator) {
                key += '\\';
            }
            afterSeparator = true;
        } else if (afterSeparator && c == '.' && i + 1 < name.size() && name[i + 1] == '.') {
            RemoveLastComponent(key);
            ++i;
            if (i + 1 < name.size() && IsSeparator(name[i + 1])) {
                ++i;
            }
        } else {
            key += ToUpperAscii(c);
            afterSeparator = false;
        }
        if (key.size() > kPakMaxNameLength) {
            return false;
        }
    }
    return true;
}

bool PakInterface::AddPakFile(const std::string& path)
{
    std::unique_ptr<Platform::MappedFile> mapping = Platform::MappedFile::Open(path);
    if (!mapping) {
        return false;
    }
    PakTable table;
    PakTableResult result = ReadPakTable(mapping->Data(), mapping->Size(), table);
    if (result == PakTableResult::NotAnArchive || result == PakTableResult::UnknownVersion) {
        return false;
    }
    auto record = std::make_unique<PakRecord>();
    uint64_t archiveSize = mapping->Size();
    record->mapping = std::move(mapping);
    for (PakArchiveEntry& stored : table.entries) {
        // A damaged table may point past the file; such an entry is left to the disk.
        if (!stored.FitsIn(archiveSize)) {
            continue;
        }
        std::string key = UpperCased(stored.name);
        pakEntries[key] = PakEntry{record.get(), std::move(stored.name), stored.fileTime, stored.start, stored.size};
    }
    pakRecords.push_back(std::move(record));
    return true;
}

PakFileHandle* PakInterface::FOpen(const char* name, const char* mode)
{
    std::string key;
    if (IsReadMode(mode) && NormalizePakPath(name, key)) {
        auto found = pakEntries.find(key);
        if (found != pakEntries.end()) {
            return new PakFileHandle{&found->second, 0, nullptr};
        }
    }
    std::FILE* file = Platform::OpenFile(name, mode);
    if (!file) {
        return nullptr;
    }
    bool binary = std::string_view(mode).find('b') != std::string_view::npos;
    return new PakFileHandle{nullptr, 0, file, !binary};
}

int PakInterface::FClose(PakFileHandle* handle)
{
    if (handle->file) {
        std::fclose(handle->file);
    }
    delete handle;
    return 0;
}

int PakInterface::FSeek(PakFileHandle* handle, long offset, int origin)
{
    if (handle->file) {
        return std::fseek(handle->file, offset, origin);
    }
    int64_t size = handle->entry->size;
    switch (origin) {
    case SEEK_SET:
        handle->position = ClampedPosition(0, offset, size);
        break;
    case SEEK_CUR:
        handle->position = ClampedPosition(handle->position, offset, size);
        break;
    case SEEK_END:
        handle->position = ClampedPosition(size, offset, size);
        break;
    default:
        break;
    }
    return 0;
}

long PakInterface::FTell(PakFileHandle* handle)
{
    return handle->file ? std::ftell(handle->file) : long(handle->position);
}

int PakInterface::FRead(void* buffer, int size, int count, PakFileHandle* handle)
{
    if (size <= 0 || count <= 0) {
        return 0;
    }
    if (handle->file) {
        return int(std::fread(buffer, size_t(size), size_t(count), handle->file));
    }
    const PakEntry& entry = *handle->entry;
    int64_t bytes = std::min<int64_t>(int64_t(size) * count, entry.size - handle->position);
    PakScramble(EntryData(entry) + handle->position, static_cast<uint8_t*>(buffer), size_t(bytes),
                entry.start + uint64_t(handle->position));
    handle->position += bytes;
    return int(bytes / size);
}

int PakInterface::FGetC(PakFileHandle* handle)
{
    int ch;
    do {
        ch = ReadByte(handle);
    } while (ch == kCarriageReturn && handle->dropsCarriageReturns);
    return ch;
}

int PakInterface::UnGetC(int ch, PakFileHandle* handle)
{
    if (handle->file) {
        return std::ungetc(ch, handle->file);
    }
    // Nothing is stored: the byte before the position is simply read again.
    handle->position = std::max<int64_t>(handle->position - 1, 0);
    return ch;
}

char* PakInterface::FGetS(char* buffer, int length, PakFileHandle* handle)
{
    if (length < 1) {
        return nullptr;
    }
    int stored = 0;
    while (stored < length - 1) {
        int ch = ReadByte(handle);
        if (ch < 0) {
            if (stored == 0) {
                return nullptr;
            }
            break;
        }
        if (ch == kCarriageReturn && handle->dropsCarriageReturns) {
            continue;
        }
        buffer[stored++] = char(ch);
        if (ch == kLineFeed) {
            break;
        }
    }
    buffer[stored] = '\0';
    return buffer;
}

int PakInterface::FEof(PakFileHandle* handle)
{
    if (handle->file) {
        return std::feof(handle->file) ? 1 : 0;
    }
    return handle->position >= handle->entry->size ? 1 : 0;
}

PakFindHandle* PakInterface::FindFirstFile(const char* pattern, Platform::FindData* data)
{
    auto handle = std::make_unique<PakFindHandle>();
    handle->searchArchives = NormalizePakPath(pattern, handle->pattern);
    if (!handle->searchArchives) {
        handle->pattern = pattern;
    }
    if (handle->searchArchives && FindInPak(handle.get(), data)) {
        return handle.release();
    }
    if (!StartDiskSearch(handle.get(), data)) {
        return nullptr;
    }
    return handle.release();
}

bool PakInterface::FindNextFile(PakFindHandle* handle, Platform::FindData* data)
{
    if (handle->diskSearch) {
        return handle->diskSearch->Next(*data);
    }
    if (handle->searchArchives && FindInPak(handle, data)) {
        return true;
    }
    return StartDiskSearch(handle, data);
}

bool PakInterface::FindClose(PakFindHandle* handle)
{
    delete handle;
    return true;
}

bool PakInterface::FindInPak(PakFindHandle* handle, Platform::FindData* data) const
{
    std::string_view pattern = handle->pattern;
    size_t star = pattern.find('*');
    if (star == std::string_view::npos) {
        return false;
    }
    std::string_view prefix = pattern.substr(0, star);
    std::string_view rest = pattern.substr(star + 1);
    auto next = pakEntries.begin();
    if (handle->lastKey) {
        next = pakEntries.find(*handle->lastKey);
        if (next == pakEntries.end()) {
            return false;
        }
        ++next;
    }
    for (; next != pakEntries.end(); ++next) {
        if (KeyMatches(next->first, prefix, rest)) {
            FillFindData(next->second, next->first, rest, data);
            handle->lastKey = next->first;
            return true;
        }
    }
    return false;
}

} // namespace Tolm

namespace {

std::atomic<Tolm::PakInterface*>& PublishedInterface()
{
    // Created on first use, so that files opened while other globals are constructed find it too.
    static std::atomic<Tolm::PakInterface*> published{new Tolm::PakInterface};
    return published;
}

} // namespace

Tolm::PakInterface* GetSharedPakInterface()
{
    return PublishedInterface().load();
}

Tolm::PakInterface* PublishPakInterface(Tolm::PakInterface* pak)
{
    return PublishedInterface().exchange(pak);
}

Tolm::PakFileHandle* PakFOpen(const char* name, const char* mode)
{
    return GetSharedPakInterface()->FOpen(name, mode);
}

int PakFClose(Tolm::PakFileHandle* handle)
{
    return GetSharedPakInterface()->FClose(handle);
}

int PakFSeek(Tolm::PakFileHandle* handle, long offset, int origin)
{
    return GetSharedPakInterface()->FSeek(handle, offset, origin);
}

long PakFTell(Tolm::PakFileHandle* handle)
{
    return GetSharedPakInterface()->FTell(handle);
}

int PakFRead(void* buffer, int size, int count, Tolm::PakFileHandle* handle)
{
    return GetSharedPakInterface()->FRead(buffer, size, count, handle);
}

int PakFGetC(Tolm::PakFileHandle* handle)
{
    return GetSharedPakInterface()->FGetC(handle);
}

int PakUnGetC(int ch, Tolm::PakFileHandle* handle)
{
    return GetSharedPakInterface()->UnGetC(ch, handle);
}

char* PakFGetS(char* buffer, int length, Tolm::PakFileHandle* handle)
{
    return GetSharedPakInterface()->FGetS(buffer, length, handle);
}

int PakFEof(Tolm::PakFileHandle* handle)
{
    return GetSharedPakInterface()->FEof(handle);
}

Tolm::PakFindHandle* PakFindFirstFile(const char* pattern, Platform::FindData* data)
{
    return GetSharedPakInterface()->FindFirstFile(pattern, data);
}

bool PakFindNextFile(Tolm::PakFindHandle* handle, Platform::FindData* data)
{
    return GetSharedPakInterface()->FindNextFile(handle, data);
}

bool PakFindClose(Tolm::PakFindHandle* handle)
{
    return GetSharedPakInterface()->FindClose(handle);
}
