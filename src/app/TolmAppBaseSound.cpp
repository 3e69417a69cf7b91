// The application's volumes and its nested mute. The stored volumes never change by muting, so the
// registry keeps the player's levels.
#include "app/TolmAppBase.h"

namespace Tolm {

double TolmAppBase::GetMusicVolume()
{
    return musicVolume;
}

double TolmAppBase::GetSfxVolume()
{
    return sfxVolume;
}

bool TolmAppBase::IsMuted()
{
    return muteCount > 0;
}

void TolmAppBase::SetMasterVolume(double volume)
{
    sfxVolume = volume;
}

void TolmAppBase::SetMusicVolume(double volume)
{
    musicVolume = volume;
}

void TolmAppBase::SetSfxVolume(double volume)
{
    sfxVolume = volume;
}

void TolmAppBase::Mute(bool automatic)
{
    ++muteCount;
    if (automatic) {
        ++autoMuteCount;
    }
    SetMusicVolume(musicVolume);
    SetSfxVolume(sfxVolume);
}

void TolmAppBase::Unmute(bool automatic)
{
    if (muteCount <= 0) {
        return;
    }
    --muteCount;
    if (automatic) {
        --autoMuteCount;
    }
    SetMusicVolume(musicVolume);
    SetSfxVolume(sfxVolume);
}

} // namespace Tolm
