// One playing of a sound id: a duplicate of the id's source buffer with its own position, volume, pan
// and frequency. An instance without a buffer (no device) is silent and does nothing.
#pragma once

#include "platform/DirectSound.h"
#include "sound/SoundManager.h"

#include <memory>

namespace Tolm {

class DSoundManager;

class DSoundInstance : public SoundInstance
{
public:
    // Duplicates the source buffer when there is one; HasBuffer tells whether that worked.
    DSoundInstance(DSoundManager* manager, Platform::DirectSoundBuffer* source);
    ~DSoundInstance() override;

    void Release() override;
    void SetBaseVolume(double volume) override;
    void SetBasePan(int pan) override;
    void SetPitch(double semitones) override;
    void SetVolume(double volume) override;
    void SetPan(int pan) override;
    bool Play(bool looping, bool autoRelease) override;
    void Stop() override;
    bool IsPlaying() override;
    bool IsReleased() override;
    double GetVolume() override { return volume; }

    bool HasBuffer() const { return buffer != nullptr; }
    bool GetAutoRelease() const { return autoRelease; }
    void SetAutoRelease(bool on) { autoRelease = on; }
    // Sets the buffer's volume from the manager's, the instance's and the base volume.
    void ApplyVolume();

private:
    void ApplyPan();

    DSoundManager* manager;
    std::unique_ptr<Platform::DirectSoundBuffer> buffer;
    bool autoRelease = false;
    bool hasPlayed = false;
    bool released = false;
    int basePan = 0;
    int pan = 0;
    double baseVolume = 1.0;
    double volume = 1.0;
    int defaultFrequency = 44100;
};

} // namespace Tolm
