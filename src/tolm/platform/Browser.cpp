// SDL_OpenURL: xdg-open on a Linux desktop.
#include "platform/Browser.h"

#include <SDL.h>

namespace Platform {

namespace {

std::function<bool(const std::string&)>& InstalledOpener()
{
    static std::function<bool(const std::string&)> opener;
    return opener;
}

} // namespace

bool OpenUrl(const std::string& url)
{
    if (InstalledOpener()) {
        return InstalledOpener()(url);
    }
    return SDL_OpenURL(url.c_str()) == 0;
}

void SetUrlOpener(std::function<bool(const std::string&)> opener)
{
    InstalledOpener() = std::move(opener);
}

} // namespace Platform
