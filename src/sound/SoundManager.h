// The sound manager's interface: 256 numbered sound slots ("sound ids") that the resource manager fills
// from the manifests, and the short-lived instances that play them. The manager that plays them
// implements it.
#pragma once

#include <string>

namespace Tolm {

// One playing of a sound id. The manager owns it and deletes it once it has played out.
class SoundInstance
{
public:
    SoundInstance() = default;
    virtual ~SoundInstance() = default;
    SoundInstance(const SoundInstance&) = delete;
    SoundInstance& operator=(const SoundInstance&) = delete;

    // In DirectSound pan units, -10000 full left to 10000 full right, added to the id's base pan.
    virtual void SetPan(int pan) = 0;
    virtual bool Play(bool looping, bool autoRelease) = 0;
};

class SoundManager
{
public:
    static constexpr int kMaxSoundIds = 256;

    SoundManager() = default;
    virtual ~SoundManager() = default;
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // Loads the file, named without its extension, into the id, releasing what the id held before.
    virtual bool LoadSound(int id, const std::string& file) = 0;
    // Frees the id's sound; nothing when the id holds none.
    virtual void ReleaseSound(int id) = 0;
    // Later instances of the id start with these; false for ids outside 0-255.
    virtual bool SetBaseVolume(int id, double volume) = 0;
    virtual bool SetBasePan(int id, int pan) = 0;
    // The lowest id that holds no sound, -1 when all 256 hold one.
    virtual int GetFreeSoundId() = 0;
    // A new instance of the id, owned by the manager; null when the id holds no sound or every instance
    // slot is busy.
    virtual SoundInstance* NewInstance(int id) = 0;
};

} // namespace Tolm
