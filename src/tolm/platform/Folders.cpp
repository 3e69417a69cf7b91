// XDG base folders on POSIX.
#include "platform/Folders.h"

#include "platform/FileSystem.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace Platform {

namespace {

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home) {
        return home;
    }
    const passwd* entry = getpwuid(getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "/tmp";
}

// An XDG variable must hold an absolute path to count; otherwise the home-based default applies.
std::string XdgFolder(const char* variable, const char* fallbackUnderHome)
{
    const char* value = std::getenv(variable);
    std::string folder = value && value[0] == '/' ? value : HomeFolder() + fallbackUnderHome;
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

} // namespace

std::string UserDataFolder(const std::string& company, const std::string& product)
{
    return XdgFolder("XDG_DATA_HOME", "/.local/share") + company + "/" + product + "/";
}

std::string ConfigFolder()
{
    return XdgFolder("XDG_CONFIG_HOME", "/.config");
}

bool MakeFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        MakeDirectory(path.substr(0, slash));
    }
    MakeDirectory(path);
    return IsDirectory(path);
}

} // namespace Platform
