// The application's sound: a sound id played once, the volumes and the nested mute. The stored volumes
// never change by muting, so the registry keeps the player's levels.
#include "app/TolmAppBase.h"
#include "sound/SoundManager.h"

namespace Tolm {

void TolmAppBase::PlaySampleWithPan(int soundId, int pan)
{
    SoundInstance* instance = soundManager ? soundManager->NewInstance(soundId) : nullptr;
    if (instance) {
        instance->SetPan(pan);
        instance->Play(false, true);
    }
}

void TolmAppBase::PlaySample(int soundId)
{
    SoundInstance* instance = soundManager ? soundManager->NewInstance(soundId) : nullptr;
    if (instance) {
        instance->Play(false, true);
    }
}

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
