// The application's sound: a sound id played once, the music interface chosen for the system, the
// volumes and the nested mute. The stored volumes never change by muting, so the registry keeps the
// player's levels.
#include "app/TolmAppBase.h"
#include "sound/BassLibrary.h"
#include "sound/BassMusicInterface.h"
#include "sound/FModMusicInterface.h"
#include "sound/FmodLibrary.h"
#include "sound/SoundManager.h"

namespace Tolm {

std::unique_ptr<MusicInterface> TolmAppBase::CreateMusicInterface(Platform::WindowHandle window)
{
    if (noSound) {
        return std::make_unique<MusicInterface>();
    }
    // A music library that does not load leaves the game silent rather than ending it.
    if (useFmod) {
        FMOD_INSTANCE* fmod = LoadFmodLibrary();
        return fmod ? std::make_unique<FModMusicInterface>(fmod, window) : std::make_unique<MusicInterface>();
    }
    BASS_INSTANCE* bass = LoadBassLibrary();
    return bass ? std::make_unique<BassMusicInterface>(bass, window) : std::make_unique<MusicInterface>();
}

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

double TolmAppBase::GetMasterVolume()
{
    return soundManager ? soundManager->GetMixerVolume() : 0.0;
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
    if (soundManager) {
        soundManager->SetMixerVolume(volume);
    }
}

void TolmAppBase::SetMusicVolume(double volume)
{
    musicVolume = volume;
    if (musicInterface) {
        musicInterface->SetVolume(muteCount > 0 ? 0.0 : volume);
    }
}

void TolmAppBase::SetSfxVolume(double volume)
{
    sfxVolume = volume;
    if (soundManager) {
        soundManager->SetVolume(muteCount > 0 ? 0.0 : volume);
    }
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
