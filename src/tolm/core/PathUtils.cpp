// Path splitting and joining on Windows-style names, folder creation and the user-data folder.
#include "core/PathUtils.h"

#include "core/SystemVersion.h"
#include "platform/FileSystem.h"

namespace Tolm {

namespace {

constexpr const char* kSeparators = "\\/";

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Removes the folder's last component. When there is none to remove (an empty folder or a bare root)
// or the last one already climbs out, ".." is kept instead, so the result still names the right place.
void ClimbOut(std::string& folder, char separator)
{
    if (!folder.empty()) {
        size_t end = folder.size() - 1;
        size_t previous = end == 0 ? std::string::npos : folder.find_last_of(kSeparators, end - 1);
        size_t start = previous == std::string::npos ? 0 : previous + 1;
        std::string last = folder.substr(start, end - start);
        if (!last.empty() && last != "..") {
            folder.erase(start);
            return;
        }
    }
    folder += "..";
    folder += separator;
}

std::string& UserDataFolder()
{
    static std::string folder;
    return folder;
}

} // namespace

std::string StripDirectory(const std::string& path)
{
    size_t separator = path.find_last_of(kSeparators);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string GetFileName(const std::string& path, bool noExtension)
{
    std::string name = StripDirectory(path);
    size_t dot = name.rfind('.');
    if (noExtension && dot != std::string::npos) {
        name.erase(dot);
    }
    return name;
}

std::string GetFileDirectory(const std::string& path, bool withSeparator)
{
    size_t separator = path.find_last_of(kSeparators);
    if (separator == std::string::npos) {
        return {};
    }
    return path.substr(0, withSeparator ? separator + 1 : separator);
}

std::string RemoveTrailingSlash(const std::string& path)
{
    if (!path.empty() && IsSeparator(path.back())) {
        return path.substr(0, path.size() - 1);
    }
    return path;
}

std::string AddTrailingSlash(const std::string& path, bool backslash)
{
    if (path.empty() || IsSeparator(path.back())) {
        return path;
    }
    return path + (backslash ? '\\' : '/');
}

void MakeDirectories(const std::string& path)
{
    for (size_t i = 1; i < path.size(); ++i) {
        if (IsSeparator(path[i])) {
            Platform::MakeDirectory(path.substr(0, i));
        }
    }
    Platform::MakeDirectory(path);
}

std::string ResolvePath(const std::string& path, const std::string& base)
{
    if (path.size() >= 2 && path[1] == ':') {
        return path;
    }
    bool anyBackslash = path.find('\\') != std::string::npos || base.find('\\') != std::string::npos;
    char separator = anyBackslash ? '\\' : '/';

    std::string drive;
    std::string folder = base;
    if (folder.size() >= 2 && folder[1] == ':') {
        drive = folder.substr(0, 2);
        folder.erase(0, 2);
    }
    folder = AddTrailingSlash(folder, anyBackslash);

    // Every component followed by a separator is a folder step; what follows the last separator is the
    // file name and is taken as it stands.
    size_t start = 0;
    for (size_t end = path.find_first_of(kSeparators); end != std::string::npos;
         start = end + 1, end = path.find_first_of(kSeparators, start)) {
        std::string component = path.substr(start, end - start);
        if (component == ".") {
            continue;
        }
        if (component == "..") {
            ClimbOut(folder, separator);
        } else {
            folder += component;
            folder += separator;
        }
    }

    std::string resolved = drive + folder + path.substr(start);
    for (char& c : resolved) {
        if (IsSeparator(c)) {
            c = separator;
        }
    }
    return resolved;
}

bool PathExists(const std::string& path)
{
    Platform::FindData data;
    return Platform::DirectorySearch::First(path, data) != nullptr;
}

std::string GetUserDataFolder()
{
    return UserDataFolder();
}

void SetUserDataFolder(const std::string& folder)
{
    if (!IsWindowsVistaOrLater()) {
        return;
    }
    UserDataFolder() = AddTrailingSlash(folder, true);
}

} // namespace Tolm
