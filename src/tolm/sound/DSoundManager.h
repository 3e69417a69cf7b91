// The sound manager on our DirectSound stand-in: each sound id holds a static source buffer decoded
// whole at load, and every playing is an instance on a duplicate of it that shares its samples, so
// playing never decodes or copies. Up to 32 instances live at once; the finished ones are collected
// lazily. Without a device every load succeeds with nothing loaded and every instance is silent.
//
// Threads: the main thread plays and sets volumes; the loading thread loads ids meanwhile, touching
// only the slot of the id it loads.
#pragma once

#include "platform/DirectSound.h"
#include "sound/SoundManager.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace Tolm {

class DSoundInstance;
struct FMOD_INSTANCE;

// Static, software-mixed, with frequency, pan and volume control, and the current-position-2 cursor.
constexpr uint32_t kSourceBufferFlags = Platform::DSBCAPS_STATIC | Platform::DSBCAPS_LOCSOFTWARE |
                                        Platform::DSBCAPS_CTRLFREQUENCY | Platform::DSBCAPS_CTRLPAN |
                                        Platform::DSBCAPS_CTRLVOLUME | Platform::DSBCAPS_GETCURRENTPOSITION2;

// The DirectSound volume (hundredths of a decibel) for a volume factor v, 0 to 1:
// (log10(9 v + 1) - 1) x 2333 truncated, and silence (-10000) below -2000. Factors outside 0..1 count
// as their nearest end.
int32_t DirectSoundVolume(double volume);
// The buffer frequency for a pitch shift in semitones from the default frequency, within 100..100000 Hz.
uint32_t PitchedFrequency(int defaultFrequency, double semitones);

class DSoundManager : public SoundManager
{
public:
    // Without a window there is no device. With useFmod, MP3 effects decode through FMOD when it loads.
    DSoundManager(Platform::WindowHandle window, bool useFmod);
    ~DSoundManager() override;

    bool HasDevice() override;
    int FindOrLoadSound(const std::string& file) override;
    bool LoadSound(int id, const std::string& file) override;
    void ReleaseSound(int id) override;
    void SetVolume(double volume) override;
    bool SetBaseVolume(int id, double volume) override;
    bool SetBasePan(int id, int pan) override;
    SoundInstance* NewInstance(int id) override;
    void ReleaseAllSounds() override;
    void DeleteAllInstances() override;
    double GetMixerVolume() override;
    void SetMixerVolume(double volume) override;
    void Flush() override {}
    void SetWindow(Platform::WindowHandle window, bool unused) override;
    void StopAll() override;
    int GetFreeSoundId() override;
    int GetSoundCount() override;

    double GetVolume() const { return volume; }
    Platform::DirectSoundDevice* GetDevice() { return device.get(); }

private:
    struct SoundSlot
    {
        std::unique_ptr<Platform::DirectSoundBuffer> buffer;
        std::string name;
        double baseVolume = 1.0;
        int basePan = 0;
    };

    // The free instance slot, after the purge that runs at most once a second; -1 when all are busy.
    int FindFreeInstanceSlot();
    void PurgeReleasedInstances();

    // The loaders, tried in this order; each fills the id's source buffer from the file and leaves the
    // slot empty when it fails.
    bool LoadWavSound(int id, const std::string& file);
    bool LoadFmodSound(int id, const std::string& file);
    bool LoadOggSound(int id, const std::string& file);
    bool LoadAuSound(int id, const std::string& file);
    // The id's source buffer for PCM of this layout and size, locked whole; null when it cannot be made.
    uint8_t* CreateLockedBuffer(int id, int channels, uint32_t rate, int bits, uint32_t bytes);
    bool UnlockBuffer(int id, uint8_t* data, uint32_t bytes);

    std::array<SoundSlot, kMaxSoundIds> slots;
    std::array<std::unique_ptr<DSoundInstance>, kMaxInstances> instances;
    double volume = 1.0;
    // The wave-out level in mixer units, 0 to 65535.
    uint32_t mixerLevel = 65535;
    uint32_t lastPurgeTime = 0;
    bool duplicationFailureReported = false;
    std::unique_ptr<Platform::DirectSoundDevice> device;
    std::unique_ptr<Platform::DirectSoundBuffer> primaryBuffer;
    // Null unless MP3 effects decode through FMOD.
    FMOD_INSTANCE* fmod = nullptr;
};

} // namespace Tolm
