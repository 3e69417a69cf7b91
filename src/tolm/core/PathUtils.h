// Path helpers for Windows-style names: both '\' and '/' separate folders, and the last separator is
// whichever of the two stands later. Also the user-data folder, under which the program keeps
// everything it writes.
#pragma once

#include <string>

namespace Tolm {

// The part after the last separator; the whole path when there is none.
std::string StripDirectory(const std::string& path);
// As StripDirectory; with noExtension, without the last '.' and what follows it (when that '.' lies
// after the last separator).
std::string GetFileName(const std::string& path, bool noExtension);
// The part before the last separator, with the separator when asked; empty when there is none.
std::string GetFileDirectory(const std::string& path, bool withSeparator);
// Drops one final separator.
std::string RemoveTrailingSlash(const std::string& path);
// Appends '\' (backslash) or '/' unless the path ends in a separator already; an empty path stays empty.
std::string AddTrailingSlash(const std::string& path, bool backslash);
// Creates every folder along the path; folders that exist or cannot be made are passed over.
void MakeDirectories(const std::string& path);
// The path taken relative to the base folder, with "." and ".." worked out against the base. A path
// with a drive ("C:...") stands alone. The result uses '\' throughout when either text holds one.
std::string ResolvePath(const std::string& path, const std::string& base);
// True when a file or folder of that name exists.
bool PathExists(const std::string& path);

// The user-data folder with its trailing separator; empty until set.
std::string GetUserDataFolder();
// Takes the folder only on systems that keep per-user application data (see IsWindowsVistaOrLater);
// elsewhere the folder stays empty and user data lives beside the program.
void SetUserDataFolder(const std::string& folder);

} // namespace Tolm
