// Where the program keeps what it writes: the XDG data folder for user data (profiles, demos,
// screenshots) and the XDG config folder for the settings store.
#pragma once

#include <string>

namespace Platform {

// $XDG_DATA_HOME (else ~/.local/share) followed by company and product, with a trailing '/'.
std::string UserDataFolder(const std::string& company, const std::string& product);
// $XDG_CONFIG_HOME (else ~/.config), with a trailing '/'.
std::string ConfigFolder();
// Creates the folder and every missing folder above it; true when it exists afterwards.
bool MakeFolders(const std::string& path);

} // namespace Platform
