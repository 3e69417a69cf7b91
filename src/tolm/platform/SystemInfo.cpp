#include "platform/SystemInfo.h"

#include <SDL.h>
#include <cstdio>
#include <sys/utsname.h>

namespace Platform {

namespace {

const char* DriverName(Uint32 subsystem, const char* name)
{
    return SDL_WasInit(subsystem) && name ? name : "";
}

} // namespace

void KernelVersionText(char* text, size_t length)
{
    utsname names = {};
    if (length == 0) {
        return;
    }
    text[0] = '\0';
    if (uname(&names) == 0) {
        std::snprintf(text, length, "%s %s %s %s", names.sysname, names.release, names.version, names.machine);
    }
}

void SdlVersionText(char* text, size_t length)
{
    SDL_version version;
    SDL_GetVersion(&version);
    std::snprintf(text, length, "%d.%d.%d", version.major, version.minor, version.patch);
}

const char* VideoDriverName()
{
    return DriverName(SDL_INIT_VIDEO, SDL_GetCurrentVideoDriver());
}

const char* AudioDriverName()
{
    return DriverName(SDL_INIT_AUDIO, SDL_GetCurrentAudioDriver());
}

} // namespace Platform
