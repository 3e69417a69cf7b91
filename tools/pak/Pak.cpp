// pak: packs a folder into a pak archive the game reads ("main.pak"), lists one, unpacks one.
// The archive format itself lives in core/PakArchive, shared with the game's file layer.
#include "core/PakArchive.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Tolm::PakArchiveEntry;
using Tolm::PakSourceFile;
using Tolm::PakTable;
using Tolm::PakTableResult;

constexpr const char* kUsage = "usage: pak create ARCHIVE DIR    pack every file under DIR\n"
                               "       pak list ARCHIVE          one line per entry: name, a tab, size\n"
                               "       pak extract ARCHIVE DIR   write every entry under DIR\n";

int Fail(const std::string& message)
{
    std::fprintf(stderr, "pak: %s\n", message.c_str());
    return 1;
}

// Every file below folder, depth first in name order, named from prefix on with '\' separators.
bool CollectFiles(const std::string& folder, const std::string& prefix, std::vector<PakSourceFile>& files,
                  std::string& error)
{
    Platform::FindData found;
    auto search = Platform::DirectorySearch::First(folder + "/*", found);
    if (!search) {
        error = "cannot read the folder " + folder;
        return false;
    }
    do {
        if (found.fileName == "." || found.fileName == "..") {
            continue;
        }
        std::string path = folder + "/" + found.fileName;
        if (found.fileName.find('\\') != std::string::npos) {
            error = path + ": a '\\' in a file name would read back as a folder";
            return false;
        }
        if (found.attributes & Platform::kAttributeDirectory) {
            if (!CollectFiles(path, prefix + found.fileName + "\\", files, error)) {
                return false;
            }
            continue;
        }
        PakSourceFile file;
        file.name = prefix + found.fileName;
        file.fileTime = found.lastWriteTime;
        if (!Platform::ReadWholeFile(path, file.contents)) {
            error = "cannot read " + path;
            return false;
        }
        files.push_back(std::move(file));
    } while (search->Next(found));
    return true;
}

int Create(const std::string& archivePath, const std::string& folder)
{
    if (!Platform::IsDirectory(folder)) {
        return Fail(folder + ": not a folder");
    }
    std::vector<PakSourceFile> files;
    std::string error;
    if (!CollectFiles(folder, "", files, error)) {
        return Fail(error);
    }
    std::vector<uint8_t> archive;
    if (!Tolm::WritePakArchive(files, archive, error)) {
        return Fail(error);
    }
    if (!Platform::WriteFileAtomically(archivePath, archive.data(), archive.size())) {
        return Fail("cannot write " + archivePath);
    }
    return 0;
}

// The archive's table, refused unless it is whole and every entry lies inside the file.
bool ReadWholeTable(const std::string& archivePath, const Platform::MappedFile& archive, PakTable& table,
                    std::string& error)
{
    switch (Tolm::ReadPakTable(archive.Data(), archive.Size(), table)) {
    case PakTableResult::NotAnArchive:
        error = archivePath + ": not a pak archive";
        return false;
    case PakTableResult::UnknownVersion:
        error = archivePath + ": unknown pak archive version " + std::to_string(table.version);
        return false;
    case PakTableResult::Truncated:
        error = archivePath + ": truncated: the file ends inside the table";
        return false;
    case PakTableResult::Complete:
        break;
    }
    for (const PakArchiveEntry& entry : table.entries) {
        if (!entry.FitsIn(archive.Size())) {
            error = archivePath + ": truncated: the data of \"" + entry.name + "\" lies past the end of the file";
            return false;
        }
    }
    return true;
}

bool OpenArchive(const std::string& archivePath, std::unique_ptr<Platform::MappedFile>& archive, PakTable& table,
                 std::string& error)
{
    archive = Platform::MappedFile::Open(archivePath);
    if (!archive) {
        error = "cannot open " + archivePath;
        return false;
    }
    return ReadWholeTable(archivePath, *archive, table, error);
}

int List(const std::string& archivePath)
{
    std::unique_ptr<Platform::MappedFile> archive;
    PakTable table;
    std::string error;
    if (!OpenArchive(archivePath, archive, table, error)) {
        return Fail(error);
    }
    for (const PakArchiveEntry& entry : table.entries) {
        std::printf("%s\t%u\n", entry.name.c_str(), unsigned(entry.size));
    }
    return 0;
}

// The entry's name as a path below the target folder; false for a name that would leave it
// (empty components, "." or "..").
bool RelativePath(std::string_view name, std::string& path)
{
    path.clear();
    size_t start = 0;
    while (true) {
        size_t end = name.find_first_of("\\/", start);
        std::string_view component = name.substr(start, end == std::string_view::npos ? end : end - start);
        if (component.empty() || component == "." || component == "..") {
            return false;
        }
        path += component;
        if (end == std::string_view::npos) {
            return true;
        }
        path += '/';
        start = end + 1;
    }
}

bool ExtractEntry(const Platform::MappedFile& archive, const PakArchiveEntry& entry, const std::string& folder,
                  std::string& error)
{
    std::string relative;
    if (!RelativePath(entry.name, relative)) {
        error = "refusing the entry name \"" + entry.name + "\": it does not name a file inside the folder";
        return false;
    }
    std::string path = folder + "/" + relative;
    size_t lastSlash = path.rfind('/');
    if (!Platform::MakeFolders(path.substr(0, lastSlash))) {
        error = "cannot make the folder " + path.substr(0, lastSlash);
        return false;
    }
    std::vector<uint8_t> contents(entry.size);
    Tolm::PakScramble(archive.Data() + entry.start, contents.data(), contents.size(), entry.start);
    if (!Platform::WriteFileAtomically(path, contents.data(), contents.size())) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

int Extract(const std::string& archivePath, const std::string& folder)
{
    std::unique_ptr<Platform::MappedFile> archive;
    PakTable table;
    std::string error;
    if (!OpenArchive(archivePath, archive, table, error)) {
        return Fail(error);
    }
    if (!Platform::MakeFolders(folder)) {
        return Fail("cannot make the folder " + folder);
    }
    for (const PakArchiveEntry& entry : table.entries) {
        if (!ExtractEntry(*archive, entry, folder, error)) {
            return Fail(error);
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "create") {
        return Create(args[1], args[2]);
    }
    if (args.size() == 2 && args[0] == "list") {
        return List(args[1]);
    }
    if (args.size() == 3 && args[0] == "extract") {
        return Extract(args[1], args[2]);
    }
    std::fputs(kUsage, stderr);
    return 2;
}
