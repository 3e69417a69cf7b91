// The pak archive format, read by the file layer and written by the pak tool: a header, a table of
// entries, then the entries' data back to back. Every byte of the file is scrambled by its offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Tolm {

constexpr uint32_t kPakMagic = 0xBAC04AC0;
constexpr uint32_t kPakVersion = 0;
// A name's length is stored in one byte.
constexpr size_t kPakMaxNameLength = 255;

// Scrambling is its own inverse: the byte at archive offset p is XORed with ((3 p) mod 256) ^ 0xB3.
// Copies count bytes from `from` to `to` (which may be the same memory), the first one at offset.
void PakScramble(const uint8_t* from, uint8_t* to, size_t count, uint64_t offset);

struct PakArchiveEntry
{
    std::string name;
    uint32_t size = 0;
    uint64_t fileTime = 0;
    // Absolute offset of the data in the archive.
    uint64_t start = 0;

    // Whether the entry's data lies inside an archive of archiveSize bytes.
    bool FitsIn(uint64_t archiveSize) const { return start <= archiveSize && size <= archiveSize - start; }
};

enum class PakTableResult
{
    Complete,
    // The file ended inside the table: the entries read so far are kept, and their data would
    // start at the end of the file.
    Truncated,
    NotAnArchive,
    UnknownVersion,
};

struct PakTable
{
    uint32_t version = 0;
    std::vector<PakArchiveEntry> entries;
    // Where the first entry's data begins: just after the byte that ends the table.
    uint64_t dataStart = 0;
};

// Reads the header and table of a whole archive held in memory. The entries' ranges are not checked
// against the archive: that is the reader's policy (see PakArchiveEntry::FitsIn).
PakTableResult ReadPakTable(const uint8_t* archive, uint64_t archiveSize, PakTable& table);

// One file to pack: its name inside the archive ('\' separated), its time as a FILETIME, its bytes.
struct PakSourceFile
{
    std::string name;
    uint64_t fileTime = 0;
    std::vector<uint8_t> contents;
};

// The scrambled archive holding the files in the given order. False, with the reason in error, when
// a name is empty or longer than 255 bytes or a file is 4 GiB or larger.
bool WritePakArchive(const std::vector<PakSourceFile>& files, std::vector<uint8_t>& archive, std::string& error);

} // namespace Tolm
