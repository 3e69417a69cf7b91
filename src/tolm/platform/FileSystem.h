// The disk as the program sees it. Data names are Windows-style ("properties\trans.xml"): both '\' and
// '/' separate folders, and letter case does not matter, so each component that does not exist as
// written is looked up without regard to case. Directory searches take Windows wildcard patterns.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Platform {

// File attribute bits as directory searches report them (the Windows values).
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeNormal = 0x80;

// One directory-search result, with the fields of a Windows find record. Times are FILETIMEs:
// 100-nanosecond ticks since 1601-01-01 UTC.
struct FindData
{
    uint32_t attributes = 0;
    uint64_t creationTime = 0;
    uint64_t lastAccessTime = 0;
    uint64_t lastWriteTime = 0;
    uint32_t sizeHigh = 0;
    uint32_t sizeLow = 0;
    std::string fileName;
};

// The path on disk for a data name: separators become '/', and every component that is missing as
// written is replaced by a differently-cased sibling when one exists. Components that exist in no
// case are kept as written, so the result also serves for files about to be created.
std::string DiskPath(std::string_view name);

std::FILE* OpenFile(std::string_view name, const char* mode);
bool Exists(std::string_view name);
bool IsDirectory(std::string_view name);
// Creates one folder; false when it could not be made (including when it exists).
bool MakeDirectory(std::string_view name);
bool ReadWholeFile(std::string_view name, std::vector<uint8_t>& contents);

enum class FileReadStatus
{
    Read,
    // No file of that name.
    Missing,
    // The file is there but could not be opened or read: a folder, no permission, an I/O error, no
    // descriptor left. What it holds is unknown, so nothing should be concluded from it.
    Failed,
};
// Reads at most limit bytes from the start of a file; contents holds what was read.
FileReadStatus ReadFileStart(std::string_view name, size_t limit, std::vector<uint8_t>& contents);
// Removes a file (never a folder); true when it was removed.
bool DeleteFile(std::string_view name);
// The last-write FILETIME of a file that can be opened for reading; 0 for one that cannot.
uint64_t FileLastWriteTime(std::string_view name);
// Writes through a temporary file, flushed to the device and renamed over the old one, so that a
// crash or a full disk leaves either the old file or the new one, never a torn one.
bool WriteFileAtomically(std::string_view name, const void* data, size_t size);
// Deletes what a killed writer left of that file: the temporary files "<name>.tmp<pid>" of processes
// that no longer run. Those of running processes, this one included, may be writes under way.
void RemoveStaleTemporaryFiles(std::string_view name);
// A write past the process's file-size limit then fails with EFBIG, as a full disk fails it, instead
// of ending the process by SIGXFSZ. Process-wide; the program sets it once at start.
void FailWritesPastFileSizeLimit();

bool SetCurrentFolder(std::string_view name);
std::string CurrentFolder();
// The running program's own file, empty when the system does not say.
std::string ProgramFile();
// The folder of the running program, with a trailing '/'.
std::string ProgramFolder();

// Windows wildcard matching without regard to case: '*' is any run of characters, '?' one character,
// and "*.*" matches every name, with or without a dot.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

// A Windows-style directory search: the folder part of the pattern is resolved like any data name and
// its last component is the wildcard. Results come in name order, "." and ".." included as Windows
// reports them.
class DirectorySearch
{
public:
    // Null when nothing matches; otherwise the first match is in data.
    static std::unique_ptr<DirectorySearch> First(std::string_view pattern, FindData& data);
    bool Next(FindData& data);

private:
    std::vector<FindData> matches;
    size_t next = 0;
};

// A whole file mapped read-only into memory, for the life of the object.
class MappedFile
{
public:
    static std::unique_ptr<MappedFile> Open(std::string_view name);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const uint8_t* Data() const { return data; }
    uint64_t Size() const { return size; }

private:
    MappedFile(const uint8_t* mappedData, uint64_t mappedSize) : data(mappedData), size(mappedSize) {}

    const uint8_t* data;
    uint64_t size;
};

uint64_t UnixTimeToFileTime(int64_t seconds, int64_t nanoseconds);

} // namespace Platform
