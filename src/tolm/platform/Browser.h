// Opening a web address in the user's browser. Tests install an opener that records the address.
#pragma once

#include <functional>
#include <string>

namespace Platform {

// True when the desktop accepted the address.
bool OpenUrl(const std::string& url);
// Null puts the desktop's opener back.
void SetUrlOpener(std::function<bool(const std::string&)> opener);

} // namespace Platform
