// The sound manager's interfaces: 256 numbered sound slots ("sound ids") that the resource manager
// fills from the manifests, and the short-lived instances that play them. DSoundManager implements
// them on our DirectSound stand-in.
#pragma once

#include "platform/WindowMessages.h"

#include <string>

namespace Tolm {

// One playing of a sound id. The manager owns it and deletes it once it reports itself released.
class SoundInstance
{
public:
    SoundInstance() = default;
    virtual ~SoundInstance() = default;
    SoundInstance(const SoundInstance&) = delete;
    SoundInstance& operator=(const SoundInstance&) = delete;

    // Stops it; the manager deletes it later.
    virtual void Release() = 0;
    virtual void SetBaseVolume(double volume) = 0;
    // Pans in DirectSound units, -10000 full left to 10000 full right; base pan and pan add up.
    virtual void SetBasePan(int pan) = 0;
    // Shifts the pitch from the sound's own frequency, in semitones.
    virtual void SetPitch(double semitones) = 0;
    virtual void SetVolume(double volume) = 0;
    virtual void SetPan(int pan) = 0;
    // Plays from the start; an auto-released instance is let go once it has played out.
    virtual bool Play(bool looping, bool autoRelease) = 0;
    // Stops and rewinds it, and clears its auto-release.
    virtual void Stop() = 0;
    virtual bool IsPlaying() = 0;
    // Releases an auto-released instance that has played out, then tells whether it is released.
    virtual bool IsReleased() = 0;
    virtual double GetVolume() = 0;
};

class SoundManager
{
public:
    static constexpr int kMaxSoundIds = 256;
    static constexpr int kMaxInstances = 32;

    SoundManager() = default;
    virtual ~SoundManager() = default;
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    virtual bool HasDevice() = 0;
    // The id already loaded from the file, else the highest free id loaded with it; -1 when none is
    // free or the load fails.
    virtual int FindOrLoadSound(const std::string& file) = 0;
    // Loads the file, named without its extension, into the id, releasing what the id held before.
    virtual bool LoadSound(int id, const std::string& file) = 0;
    // Frees the id's sound and forgets its name; nothing when the id holds none.
    virtual void ReleaseSound(int id) = 0;
    // The volume every instance is played at, 0 to 1.
    virtual void SetVolume(double volume) = 0;
    // Later instances of the id start with these; false for ids outside 0-255.
    virtual bool SetBaseVolume(int id, double volume) = 0;
    virtual bool SetBasePan(int id, int pan) = 0;
    // A new instance of the id, owned by the manager; null when the id holds no sound or every instance
    // slot is busy.
    virtual SoundInstance* NewInstance(int id) = 0;
    // Frees every id's sound; the names stay.
    virtual void ReleaseAllSounds() = 0;
    virtual void DeleteAllInstances() = 0;
    // The volume of everything the program plays, 0 to 1.
    virtual double GetMixerVolume() = 0;
    virtual void SetMixerVolume(double volume) = 0;
    virtual void Flush() = 0;
    virtual void SetWindow(Platform::WindowHandle window, bool unused) = 0;
    // Stops every instance; each keeps its auto-release as it was.
    virtual void StopAll() = 0;
    // The lowest id that holds no sound, -1 when all 256 hold one.
    virtual int GetFreeSoundId() = 0;
    virtual int GetSoundCount() = 0;
};

} // namespace Tolm
