// Any bytes as a pak archive: the table is read from memory of exactly the input's size, so that a
// read outside it is caught, and every entry the reader accepts is read in full. The same bytes are
// then added as an archive file to a file layer, and its entries are read through every operation.
#include "core/PakArchive.h"

#include "core/PakInterface.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

// One file per fuzzing process, rewritten for every input and removed at exit. The name is never
// destroyed, so that it is still there when the exit handler runs.
const char* ArchivePath()
{
    static const std::string* const path = [] {
        std::string name = "quendara-fuzz-" + std::to_string(std::random_device()()) + ".pak";
        std::atexit([] { std::remove(ArchivePath()); });
        return new std::string((std::filesystem::temp_directory_path() / name).string());
    }();
    return path->c_str();
}

bool WriteArchive(const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(ArchivePath(), "wb");
    if (!file) {
        return false;
    }
    bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

void ReadFromMemory(const uint8_t* data, size_t size, const Tolm::PakTable& table)
{
    std::vector<uint8_t> contents;
    for (const Tolm::PakArchiveEntry& entry : table.entries) {
        if (entry.FitsIn(size)) {
            contents.resize(entry.size);
            Tolm::PakScramble(data + entry.start, contents.data(), contents.size(), entry.start);
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

void ReadFromFile(const uint8_t* data, size_t size, const Tolm::PakTable& table)
{
    if (!WriteArchive(data, size)) {
        return;
    }
    Tolm::PakInterface layer;
    if (!layer.AddPakFile(ArchivePath())) {
        return;
    }
    std::string key;
    for (const Tolm::PakArchiveEntry& entry : table.entries) {
        // Only names that are their own key are sure to be looked up in the archive; any other
        // would open a disk file of that name.
        std::string upper = entry.name;
        for (char& c : upper) {
            c = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
        }
        if (!entry.FitsIn(size) || !Tolm::NormalizePakPath(entry.name, key) || key != upper) {
            continue;
        }
        Tolm::PakFileHandle* file = layer.FOpen(entry.name.c_str(), "rb");
        if (!file || !file->entry) {
            std::abort();
        }
        ReadThroughLayer(layer, file);
        layer.FClose(file);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Tolm::PakTable table;
    Tolm::PakTableResult result = Tolm::ReadPakTable(data, size, table);
    if (result == Tolm::PakTableResult::NotAnArchive || result == Tolm::PakTableResult::UnknownVersion) {
        return 0;
    }
    ReadFromMemory(data, size, table);
    ReadFromFile(data, size, table);
    return 0;
}
