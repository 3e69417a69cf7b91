// A playing instance: its buffer is a duplicate of the id's source buffer.
#include "sound/DSoundInstance.h"

#include "sound/DSoundManager.h"

#include <algorithm>

namespace Tolm {

DSoundInstance::DSoundInstance(DSoundManager* manager, Platform::DirectSoundBuffer* source) : manager(manager)
{
    if (!source || !manager->GetDevice()) {
        return;
    }
    if (manager->GetDevice()->DuplicateSoundBuffer(*source, buffer) != Platform::DS_OK) {
        buffer.reset();
        return;
    }
    uint32_t frequency = 0;
    if (buffer->GetFrequency(&frequency) == Platform::DS_OK) {
        defaultFrequency = int(frequency);
    }
    ApplyVolume();
}

DSoundInstance::~DSoundInstance() = default;

void DSoundInstance::Release()
{
    Stop();
    released = true;
}

void DSoundInstance::SetBaseVolume(double newVolume)
{
    baseVolume = newVolume;
    ApplyVolume();
}

void DSoundInstance::SetBasePan(int newPan)
{
    basePan = newPan;
    ApplyPan();
}

void DSoundInstance::SetPitch(double semitones)
{
    if (buffer) {
        buffer->SetFrequency(PitchedFrequency(defaultFrequency, semitones));
    }
}

void DSoundInstance::SetVolume(double newVolume)
{
    volume = newVolume;
    ApplyVolume();
}

void DSoundInstance::SetPan(int newPan)
{
    pan = newPan;
    ApplyPan();
}

bool DSoundInstance::Play(bool looping, bool release)
{
    Stop();
    hasPlayed = true;
    autoRelease = release;
    if (!buffer) {
        return false;
    }
    return buffer->Play(looping ? Platform::DSBPLAY_LOOPING : 0) == Platform::DS_OK;
}

void DSoundInstance::Stop()
{
    if (buffer) {
        buffer->Stop();
        buffer->SetCurrentPosition(0);
    }
    autoRelease = false;
}

bool DSoundInstance::IsPlaying()
{
    uint32_t status = 0;
    return hasPlayed && buffer && buffer->GetStatus(&status) == Platform::DS_OK &&
           (status & Platform::DSBSTATUS_PLAYING) != 0;
}

bool DSoundInstance::IsReleased()
{
    if (!released && autoRelease && hasPlayed && !IsPlaying()) {
        Release();
    }
    return released;
}

void DSoundInstance::ApplyVolume()
{
    if (buffer) {
        buffer->SetVolume(DirectSoundVolume(manager->GetVolume() * volume * baseVolume));
    }
}

void DSoundInstance::ApplyPan()
{
    // DirectSound refuses a pan outside its range, which a large base pan plus pan would reach.
    if (buffer) {
        buffer->SetPan(std::clamp(basePan + pan, Platform::DSBPAN_LEFT, Platform::DSBPAN_RIGHT));
    }
}

} // namespace Tolm
