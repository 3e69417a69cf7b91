// Any bytes as a pak archive: the table is read from memory of exactly the input's size, so that a
// read outside it is caught, and every entry the reader accepts is read in full. The same bytes are
// then added as an archive file to a file layer, and its entries are read through every operation.
// An input holding the scratch folder's part separator is also two archives added one after the other:
// where both hold a name, the file layer must give the second one's entry and bytes.
#include "ScratchFolder.h"
#include "core/PakArchive.h"
#include "core/PakInterface.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Archive
{
    std::string_view bytes;
    Tolm::PakTable table;
};

const uint8_t* Bytes(std::string_view archive)
{
    return reinterpret_cast<const uint8_t*>(archive.data());
}

std::vector<uint8_t> Descrambled(std::string_view archive, const Tolm::PakArchiveEntry& entry)
{
    std::vector<uint8_t> contents(entry.size);
    Tolm::PakScramble(Bytes(archive) + entry.start, contents.data(), contents.size(), entry.start);
    return contents;
}

void ReadFromMemory(const Archive& archive)
{
    for (const Tolm::PakArchiveEntry& entry : archive.table.entries) {
        if (entry.FitsIn(archive.bytes.size())) {
            Descrambled(archive.bytes, entry);
        }
    }
}

// Every way of reading one entry; the handle must stay inside it.
void ReadThroughLayer(Tolm::PakInterface& layer, Tolm::PakFileHandle* file)
{
    const long size = long(file->entry->size);
    char line[5];
    while (layer.FGetS(line, sizeof line, file)) {
    }
    layer.FSeek(file, size / 2, SEEK_SET);
    layer.UnGetC(0, file);
    while (layer.FGetC(file) >= 0) {
    }
    layer.FSeek(file, -3, SEEK_END);
    std::vector<char> bytes(size_t(size) + 1);
    layer.FRead(bytes.data(), 2, int(bytes.size()), file);
    if (layer.FTell(file) > size || !layer.FEof(file)) {
        std::abort();
    }
}

// Only names that are their own key are sure to be looked up in the archives; any other would open a
// disk file of that name.
bool IsOwnKey(const std::string& name, uint64_t archiveSize, const Tolm::PakArchiveEntry& entry)
{
    std::string upper = name;
    for (char& c : upper) {
        c = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
    }
    std::string key;
    return entry.FitsIn(archiveSize) && Tolm::NormalizePakPath(name, key) && key == upper;
}

struct Winner
{
    const Archive* archive;
    const Tolm::PakArchiveEntry* entry;
};

// The archives written out and added in order; each name must open the entry of the last archive that
// holds it, with that entry's bytes, and read through every operation.
void ReadFromFiles(const std::vector<Archive>& archives)
{
    Tolm::PakInterface layer;
    std::map<std::string, Winner> winners;
    for (size_t i = 0; i < archives.size(); ++i) {
        const std::string path = ScratchFolder::FilePath("archive" + std::to_string(i) + ".pak");
        if (!ScratchFolder::WriteFile(path, archives[i].bytes) || !layer.AddPakFile(path)) {
            continue;
        }
        for (const Tolm::PakArchiveEntry& entry : archives[i].table.entries) {
            if (IsOwnKey(entry.name, archives[i].bytes.size(), entry)) {
                std::string key;
                Tolm::NormalizePakPath(entry.name, key);
                winners.insert_or_assign(key, Winner{&archives[i], &entry});
            }
        }
    }
    for (const auto& [key, winner] : winners) {
        Tolm::PakFileHandle* file = layer.FOpen(winner.entry->name.c_str(), "rb");
        if (!file || !file->entry || file->entry->start != winner.entry->start ||
            file->entry->size != winner.entry->size) {
            std::abort();
        }
        std::vector<uint8_t> read(winner.entry->size);
        if (layer.FRead(read.data(), 1, int(read.size()), file) != int(read.size()) ||
            read != Descrambled(winner.archive->bytes, *winner.entry)) {
            std::abort();
        }
        layer.FSeek(file, 0, SEEK_SET);
        ReadThroughLayer(layer, file);
        layer.FClose(file);
    }
}

// The archive's table, or nothing when the bytes are no archive the reader takes.
bool ReadTable(std::string_view bytes, Archive& archive)
{
    archive.bytes = bytes;
    Tolm::PakTableResult result = Tolm::ReadPakTable(Bytes(bytes), bytes.size(), archive.table);
    return result != Tolm::PakTableResult::NotAnArchive && result != Tolm::PakTableResult::UnknownVersion;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<Archive> whole(1);
    if (ReadTable(std::string_view(reinterpret_cast<const char*>(data), size), whole[0])) {
        ReadFromMemory(whole[0]);
        ReadFromFiles(whole);
    }
    std::vector<std::string_view> parts = ScratchFolder::Split(data, size, 2);
    if (parts.size() == 2) {
        std::vector<Archive> pair(2);
        if (ReadTable(parts[0], pair[0]) && ReadTable(parts[1], pair[1])) {
            ReadFromFiles(pair);
        }
    }
    return 0;
}
