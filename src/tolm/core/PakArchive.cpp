#include "core/PakArchive.h"

#include <algorithm>
#include <array>
#include <limits>

namespace Tolm {

namespace {

constexpr uint8_t kFlagEndOfTable = 0x80;

// The key of every offset, twice over, so that a run of up to 256 bytes starting anywhere in the
// cycle XORs against one contiguous stretch of keys.
constexpr std::array<uint8_t, 512> kScrambleKeys = [] {
    std::array<uint8_t, 512> keys{};
    for (size_t i = 0; i < keys.size(); ++i) {
        keys[i] = uint8_t((3 * i) & 0xFF) ^ 0xB3;
    }
    return keys;
}();

// Reads the table's fields one by one, descrambling as it goes; a read past the end fails and
// leaves the position at the end, as a short read of a file does.
class TableReader
{
public:
    TableReader(const uint8_t* archiveData, uint64_t archiveSize) : data(archiveData), size(archiveSize) {}

    uint64_t Position() const { return position; }

    bool ReadBytes(uint8_t* out, size_t count)
    {
        if (count > size - position) {
            position = size;
            return false;
        }
        PakScramble(data + position, out, count, position);
        position += count;
        return true;
    }

    bool ReadU8(uint8_t& value) { return ReadBytes(&value, 1); }

    bool ReadU32(uint32_t& value)
    {
        uint8_t bytes[4];
        if (!ReadBytes(bytes, sizeof bytes)) {
            return false;
        }
        value = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
        return true;
    }

    bool ReadU64(uint64_t& value)
    {
        uint32_t low, high;
        if (!ReadU32(low) || !ReadU32(high)) {
            return false;
        }
        value = uint64_t(high) << 32 | low;
        return true;
    }

private:
    const uint8_t* data;
    uint64_t size;
    uint64_t position = 0;
};

// One table record after its flags byte; false when the file ends inside it.
bool ReadRecord(TableReader& reader, PakArchiveEntry& entry)
{
    uint8_t nameLength;
    if (!reader.ReadU8(nameLength)) {
        return false;
    }
    char name[kPakMaxNameLength];
    if (!reader.ReadBytes(reinterpret_cast<uint8_t*>(name), nameLength)) {
        return false;
    }
    // Names are text: a stored zero byte ends one.
    entry.name.assign(name, std::find(name, name + nameLength, '\0'));
    return reader.ReadU32(entry.size) && reader.ReadU64(entry.fileTime);
}

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(uint8_t(value >> shift));
    }
}

void PutU64(std::vector<uint8_t>& out, uint64_t value)
{
    PutU32(out, uint32_t(value));
    PutU32(out, uint32_t(value >> 32));
}

bool CheckSourceFile(const PakSourceFile& file, std::string& error)
{
    if (file.name.empty() || file.name.size() > kPakMaxNameLength) {
        error = "entry name \"" + file.name + "\" must be 1 to 255 bytes long";
        return false;
    }
    if (file.contents.size() > std::numeric_limits<uint32_t>::max()) {
        error = "\"" + file.name + "\" is 4 GiB or larger";
        return false;
    }
    return true;
}

} // namespace

void PakScramble(const uint8_t* from, uint8_t* to, size_t count, uint64_t offset)
{
    while (count > 0) {
        const uint8_t* keys = kScrambleKeys.data() + (offset & 0xFF);
        size_t run = std::min<size_t>(count, 256);
        for (size_t i = 0; i < run; ++i) {
            to[i] = from[i] ^ keys[i];
        }
        from += run;
        to += run;
        offset += run;
        count -= run;
    }
}

PakTableResult ReadPakTable(const uint8_t* archive, uint64_t archiveSize, PakTable& table)
{
    table = PakTable();
    TableReader reader(archive, archiveSize);
    uint32_t magic;
    if (!reader.ReadU32(magic) || magic != kPakMagic || !reader.ReadU32(table.version)) {
        return PakTableResult::NotAnArchive;
    }
    if (table.version != kPakVersion) {
        return PakTableResult::UnknownVersion;
    }
    PakTableResult result = PakTableResult::Truncated;
    uint64_t offset = 0;
    uint8_t flags;
    while (reader.ReadU8(flags)) {
        if (flags & kFlagEndOfTable) {
            result = PakTableResult::Complete;
            break;
        }
        PakArchiveEntry entry;
        if (!ReadRecord(reader, entry)) {
            break;
        }
        entry.start = offset;
        offset += entry.size;
        table.entries.push_back(std::move(entry));
    }
    table.dataStart = reader.Position();
    for (PakArchiveEntry& entry : table.entries) {
        entry.start += table.dataStart;
    }
    return result;
}

bool WritePakArchive(const std::vector<PakSourceFile>& files, std::vector<uint8_t>& archive, std::string& error)
{
    archive.clear();
    PutU32(archive, kPakMagic);
    PutU32(archive, kPakVersion);
    for (const PakSourceFile& file : files) {
        if (!CheckSourceFile(file, error)) {
            return false;
        }
        archive.push_back(0);
        archive.push_back(uint8_t(file.name.size()));
        archive.insert(archive.end(), file.name.begin(), file.name.end());
        PutU32(archive, uint32_t(file.contents.size()));
        PutU64(archive, file.fileTime);
    }
    archive.push_back(kFlagEndOfTable);
    for (const PakSourceFile& file : files) {
        archive.insert(archive.end(), file.contents.begin(), file.contents.end());
    }
    PakScramble(archive.data(), archive.data(), archive.size(), 0);
    return true;
}

} // namespace Tolm
