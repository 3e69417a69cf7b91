// The one file layer of the program: every data file is read through it, out of the pak archives
// when one holds the file and from the disk otherwise. Archives are mapped read-only as a whole and
// descrambled byte by byte as they are read. Character and line reads of archive files drop carriage
// returns, and so do those of disk files opened in text mode, as the C library's text mode does where
// line ends are two bytes; a disk file opened in binary mode keeps every byte.
//
// Archives are added at start-up, before a second thread reads files; afterwards the archive list
// and the entry map only are read, so several threads read at once without a lock (each handle
// belongs to one thread).
#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Tolm {

// One archive, mapped for the life of the process.
struct PakRecord
{
    std::unique_ptr<Platform::MappedFile> mapping;
};

struct PakEntry
{
    PakRecord* archive = nullptr;
    // The name as stored in the archive.
    std::string name;
    uint64_t fileTime = 0;
    // Absolute offset of the data in the archive.
    uint64_t start = 0;
    uint32_t size = 0;
};

// An open file: an archive entry, or a disk file when entry is null.
struct PakFileHandle
{
    const PakEntry* entry = nullptr;
    int64_t position = 0;
    std::FILE* file = nullptr;
    // Character and line reads drop carriage returns: always for an archive file, for a disk file
    // only when its mode asked for no binary reads.
    bool dropsCarriageReturns = true;
};

// A search over the archives' entries first, then over the disk.
struct PakFindHandle
{
    // Folded when archives are searched; as given when the name cannot be in an archive.
    std::string pattern;
    bool searchArchives = false;
    // The key of the archive entry returned last; none before the first.
    std::optional<std::string> lastKey;
    // Open once the archives are exhausted.
    std::unique_ptr<Platform::DirectorySearch> diskSearch;
};

// What the rest of the program calls, through the process-wide interface.
class PakInterfaceBase
{
public:
    virtual ~PakInterfaceBase() = default;

    virtual PakFileHandle* FOpen(const char* name, const char* mode) = 0;
    virtual int FClose(PakFileHandle* handle) = 0;
    virtual int FSeek(PakFileHandle* handle, long offset, int origin) = 0;
    virtual long FTell(PakFileHandle* handle) = 0;
    virtual int FRead(void* buffer, int size, int count, PakFileHandle* handle) = 0;
    virtual int FGetC(PakFileHandle* handle) = 0;
    virtual int UnGetC(int ch, PakFileHandle* handle) = 0;
    virtual char* FGetS(char* buffer, int length, PakFileHandle* handle) = 0;
    virtual int FEof(PakFileHandle* handle) = 0;
    virtual PakFindHandle* FindFirstFile(const char* pattern, Platform::FindData* data) = 0;
    virtual bool FindNextFile(PakFindHandle* handle, Platform::FindData* data) = 0;
    virtual bool FindClose(PakFindHandle* handle) = 0;
};

class PakInterface : public PakInterfaceBase
{
public:
    PakInterface() = default;
    PakInterface(const PakInterface&) = delete;
    PakInterface& operator=(const PakInterface&) = delete;

    // Maps the archive and adds its entries; for a name held by several archives the one added last
    // serves it. False when the file cannot be mapped or is not an archive of a known version.
    bool AddPakFile(const std::string& path);

    PakFileHandle* FOpen(const char* name, const char* mode) override;
    int FClose(PakFileHandle* handle) override;
    int FSeek(PakFileHandle* handle, long offset, int origin) override;
    long FTell(PakFileHandle* handle) override;
    int FRead(void* buffer, int size, int count, PakFileHandle* handle) override;
    int FGetC(PakFileHandle* handle) override;
    int UnGetC(int ch, PakFileHandle* handle) override;
    char* FGetS(char* buffer, int length, PakFileHandle* handle) override;
    int FEof(PakFileHandle* handle) override;
    PakFindHandle* FindFirstFile(const char* pattern, Platform::FindData* data) override;
    bool FindNextFile(PakFindHandle* handle, Platform::FindData* data) override;
    bool FindClose(PakFindHandle* handle) override;

private:
    bool FindInPak(PakFindHandle* handle, Platform::FindData* data) const;

    std::vector<std::unique_ptr<PakRecord>> pakRecords;
    // Keyed by the stored name upper-cased.
    std::map<std::string, PakEntry> pakEntries;
};

// Folds a requested name into the key of the entry map: separators become one '\', ".." after a
// separator removes the component before it, letters are upper-cased, and an absolute name inside
// the current folder loses that prefix. False when the folded name is longer than any stored name
// can be: such a file can only be on the disk.
bool NormalizePakPath(std::string_view name, std::string& key);

} // namespace Tolm

// The process-wide interface; the first one exists from the first call on and is never destroyed.
Tolm::PakInterface* GetSharedPakInterface();
// Puts another interface in the place of the published one (not owned) and returns the one it replaces:
// a test harness gives each test a file layer of its own. Not while a file is open or another thread
// reads files.
Tolm::PakInterface* PublishPakInterface(Tolm::PakInterface* pak);

// The file functions the program calls, with the meaning of their C library namesakes. A handle
// comes from PakFOpen (null when neither an archive nor the disk has the file) and is freed by
// PakFClose.
Tolm::PakFileHandle* PakFOpen(const char* name, const char* mode);
int PakFClose(Tolm::PakFileHandle* handle);
int PakFSeek(Tolm::PakFileHandle* handle, long offset, int origin);
long PakFTell(Tolm::PakFileHandle* handle);
int PakFRead(void* buffer, int size, int count, Tolm::PakFileHandle* handle);
int PakFGetC(Tolm::PakFileHandle* handle);
int PakUnGetC(int ch, Tolm::PakFileHandle* handle);
char* PakFGetS(char* buffer, int length, Tolm::PakFileHandle* handle);
int PakFEof(Tolm::PakFileHandle* handle);
// Null when nothing matches; otherwise the first match is in data. Archive entries come first.
Tolm::PakFindHandle* PakFindFirstFile(const char* pattern, Platform::FindData* data);
bool PakFindNextFile(Tolm::PakFindHandle* handle, Platform::FindData* data);
bool PakFindClose(Tolm::PakFindHandle* handle);
