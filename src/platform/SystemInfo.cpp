#include "platform/SystemInfo.h"

#include <SDL.h>
#include <sys/utsname.h>

namespace Platform {

namespace {

std::string DriverName(Uint32 subsystem, const char* name)
{
    return SDL_WasInit(subsystem) && name ? std::string(name) : std::string();
}

} // namespace

std::string KernelVersionText()
{
    utsname names = {};
    if (uname(&names) != 0) {
        return std::string();
    }
    return std::string(names.sysname) + " " + names.release + " " + names.version + " " + names.machine;
}

std::string SdlVersionText()
{
    SDL_version version;
    SDL_GetVersion(&version);
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." + std::to_string(version.patch);
}

std::string VideoDriverName()
{
    return DriverName(SDL_INIT_VIDEO, SDL_GetCurrentVideoDriver());
}

std::string AudioDriverName()
{
    return DriverName(SDL_INIT_AUDIO, SDL_GetCurrentAudioDriver());
}

} // namespace Platform
