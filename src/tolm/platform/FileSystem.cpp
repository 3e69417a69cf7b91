// The disk on POSIX: stat, opendir and mmap, with Windows-style names resolved per component.
#include "platform/FileSystem.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool ExistsOnDisk(const std::string& path)
{
    struct stat info
    {};
    return lstat(path.c_str(), &info) == 0;
}

// A sibling of component in folder whose name differs only in case, or empty when there is none.
std::string FindComponentIgnoringCase(const std::string& folder, std::string_view component)
{
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) {
        return {};
    }
    std::string found;
    while (dirent* entry = readdir(dir)) {
        if (SameIgnoringCase(entry->d_name, component)) {
            found = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

FindData FindDataOf(const std::string& path, std::string name)
{
    FindData data;
    data.fileName = std::move(name);
    struct stat info
    {};
    if (stat(path.c_str(), &info) != 0) {
        return data;
    }
    data.attributes = S_ISDIR(info.st_mode) ? kAttributeDirectory : kAttributeNormal;
    data.creationTime = UnixTimeToFileTime(info.st_ctim.tv_sec, info.st_ctim.tv_nsec);
    data.lastAccessTime = UnixTimeToFileTime(info.st_atim.tv_sec, info.st_atim.tv_nsec);
    data.lastWriteTime = UnixTimeToFileTime(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    uint64_t size = S_ISDIR(info.st_mode) ? 0 : uint64_t(info.st_size);
    data.sizeHigh = uint32_t(size >> 32);
    data.sizeLow = uint32_t(size);
    return data;
}

bool MatchFrom(std::string_view name, std::string_view pattern)
{
    // Iterative matching with one backtrack point: the last '*' seen.
    size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || SameIgnoringCase(name.substr(n, 1), pattern.substr(p, 1)))) {
            ++n;
            ++p;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

constexpr std::string_view kTemporaryMark = ".tmp";

// The writer's process id in a temporary file's name suffix: decimal digits only, above 0.
bool ParseWriterId(std::string_view digits, pid_t& pid)
{
    if (digits.empty() || digits.size() > 9 || digits[0] == '0') {
        return false;
    }
    pid = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return false;
        }
        pid = pid * 10 + (c - '0');
    }
    return true;
}

bool ProcessIsGone(pid_t pid)
{
    return kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

std::string DiskPath(std::string_view name)
{
    std::string path(name);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || ExistsOnDisk(path)) {
        return path;
    }
    std::string resolved = path[0] == '/' ? "/" : "";
    size_t start = resolved.size();
    bool stillResolving = true;
    while (start <= path.size()) {
        size_t end = std::min(path.find('/', start), path.size());
        std::string component = path.substr(start, end - start);
        if (!component.empty()) {
            if (stillResolving && component != "." && component != ".." && !ExistsOnDisk(resolved + component)) {
                std::string sibling = FindComponentIgnoringCase(resolved, component);
                if (sibling.empty()) {
                    stillResolving = false;
                } else {
                    component = sibling;
                }
            }
            resolved += component;
            if (end < path.size()) {
                resolved += '/';
            }
        }
        start = end + 1;
    }
    return resolved;
}

std::FILE* OpenFile(std::string_view name, const char* mode)
{
    return std::fopen(DiskPath(name).c_str(), mode);
}

bool Exists(std::string_view name)
{
    return ExistsOnDisk(DiskPath(name));
}

bool IsDirectory(std::string_view name)
{
    struct stat info
    {};
    return stat(DiskPath(name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeDirectory(std::string_view name)
{
    return mkdir(DiskPath(name).c_str(), 0755) == 0;
}

bool ReadWholeFile(std::string_view name, std::vector<uint8_t>& contents)
{
    std::FILE* file = OpenFile(name, "rb");
    if (!file) {
        return false;
    }
    contents.clear();
    uint8_t block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
        contents.insert(contents.end(), block, block + got);
    }
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

FileReadStatus ReadFileStart(std::string_view name, size_t limit, std::vector<uint8_t>& contents)
{
    contents.clear();
    int descriptor = open(DiskPath(name).c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return errno == ENOENT ? FileReadStatus::Missing : FileReadStatus::Failed;
    }
    contents.resize(limit);
    size_t got = 0;
    bool failed = false;
    while (got < limit) {
        ssize_t n = read(descriptor, contents.data() + got, limit - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        failed = n < 0;
        if (n <= 0) {
            break;
        }
        got += size_t(n);
    }
    close(descriptor);
    contents.resize(got);
    return failed ? FileReadStatus::Failed : FileReadStatus::Read;
}

bool DeleteFile(std::string_view name)
{
    return unlink(DiskPath(name).c_str()) == 0;
}

uint64_t FileLastWriteTime(std::string_view name)
{
    int descriptor = open(DiskPath(name).c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return 0;
    }
    struct stat info
    {};
    uint64_t time = fstat(descriptor, &info) == 0 && !S_ISDIR(info.st_mode)
                        ? UnixTimeToFileTime(info.st_mtim.tv_sec, info.st_mtim.tv_nsec)
                        : 0;
    close(descriptor);
    return time;
}

bool WriteFileAtomically(std::string_view name, const void* data, size_t size)
{
    std::string path = DiskPath(name);
    std::string temporary = path + std::string(kTemporaryMark) + std::to_string(getpid());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const char* bytes = static_cast<const char*>(data);
    size_t written = 0;
    while (written < size) {
        ssize_t n = write(fd, bytes + written, size - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        written += size_t(n);
    }
    bool ok = written == size && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temporary.c_str(), path.c_str()) != 0) {
        // The caller reports the failure's errno, not the clean-up's.
        int failure = errno;
        unlink(temporary.c_str());
        errno = failure;
        return false;
    }
    // The rename itself must reach the disk too, or a power cut could bring the old name back.
    std::string folder = FolderOf(path);
    int folderFd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        fsync(folderFd);
        close(folderFd);
    }
    return true;
}

void RemoveStaleTemporaryFiles(std::string_view name)
{
    std::string path = DiskPath(name);
    std::string folder = FolderOf(path);
    std::string prefix = path.substr(folder.size()) + std::string(kTemporaryMark);
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) {
        return;
    }
    while (dirent* entry = readdir(dir)) {
        std::string_view entryName = entry->d_name;
        pid_t writer = 0;
        if (entryName.substr(0, prefix.size()) == prefix && ParseWriterId(entryName.substr(prefix.size()), writer) &&
            ProcessIsGone(writer)) {
            unlink((folder + entry->d_name).c_str());
        }
    }
    closedir(dir);
}

void FailWritesPastFileSizeLimit()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

bool SetCurrentFolder(std::string_view name)
{
    return chdir(DiskPath(name).c_str()) == 0;
}

std::string CurrentFolder()
{
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

std::string ProgramFile()
{
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length <= 0 ? std::string() : std::string(buffer, size_t(length));
}

std::string ProgramFolder()
{
    std::string file = ProgramFile();
    return file.empty() ? "./" : FolderOf(file);
}

bool MatchesWildcard(std::string_view name, std::string_view pattern)
{
    if (pattern == "*.*") {
        return true;
    }
    return MatchFrom(name, pattern);
}

std::unique_ptr<DirectorySearch> DirectorySearch::First(std::string_view pattern, FindData& data)
{
    std::string path = DiskPath(pattern);
    std::string folder = FolderOf(path);
    std::string wildcard = path.substr(folder.size());
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) {
        return nullptr;
    }
    auto search = std::unique_ptr<DirectorySearch>(new DirectorySearch);
    while (dirent* entry = readdir(dir)) {
        if (MatchesWildcard(entry->d_name, wildcard)) {
            search->matches.push_back(FindDataOf(folder + entry->d_name, entry->d_name));
        }
    }
    closedir(dir);
    std::sort(search->matches.begin(), search->matches.end(),
              [](const FindData& a, const FindData& b) { return a.fileName < b.fileName; });
    if (!search->Next(data)) {
        return nullptr;
    }
    return search;
}

bool DirectorySearch::Next(FindData& data)
{
    if (next >= matches.size()) {
        return false;
    }
    data = matches[next++];
    return true;
}

std::unique_ptr<MappedFile> MappedFile::Open(std::string_view name)
{
    int fd = open(DiskPath(name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info
    {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return nullptr;
    }
    uint64_t size = uint64_t(info.st_size);
    // An empty file cannot be mapped; it still opens, as a mapping of nothing.
    void* view = size ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : nullptr;
    close(fd);
    if (view == MAP_FAILED) {
        return nullptr;
    }
    return std::unique_ptr<MappedFile>(new MappedFile(static_cast<const uint8_t*>(view), size));
}

MappedFile::~MappedFile()
{
    if (size) {
        munmap(const_cast<uint8_t*>(data), size);
    }
}

uint64_t UnixTimeToFileTime(int64_t seconds, int64_t nanoseconds)
{
    constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
    return uint64_t(seconds + kSecondsFrom1601To1970) * 10000000u + uint64_t(nanoseconds / 100);
}

} // namespace Platform
