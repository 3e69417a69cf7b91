// Our stand-in for DirectSound: a device with a primary buffer and secondary buffers of 8- or 16-bit
// PCM (mono or stereo, any rate), with volume in hundredths of a decibel, pan, frequency, looping,
// play and write cursors and the status bits. A duplicate shares its source's samples and plays them
// on its own. Everything plays through our SoundMixer; the device's output is SDL's audio device, or
// nothing for a headless device whose mixer the caller renders.
//
// Buffers are never lost here: nothing takes the sound device away from a running program.
// Result codes and flags keep their Windows values.
#pragma once

#include "platform/DirectXResults.h"
#include "platform/SoundMixer.h"
#include "platform/WindowMessages.h"

#include <cstdint>
#include <memory>

namespace Platform {

// The other DSERR_ codes come from the one list of results.
constexpr int32_t DS_OK = 0;
constexpr int32_t DSERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr int32_t DSERR_INVALIDPARAM = DDERR_INVALIDPARAMS;

constexpr uint32_t DSSCL_NORMAL = 1;
constexpr uint32_t DSSCL_PRIORITY = 2;

constexpr uint32_t DSBCAPS_PRIMARYBUFFER = 0x1;
constexpr uint32_t DSBCAPS_STATIC = 0x2;
constexpr uint32_t DSBCAPS_LOCSOFTWARE = 0x8;
constexpr uint32_t DSBCAPS_CTRLFREQUENCY = 0x20;
constexpr uint32_t DSBCAPS_CTRLPAN = 0x40;
constexpr uint32_t DSBCAPS_CTRLVOLUME = 0x80;
constexpr uint32_t DSBCAPS_GETCURRENTPOSITION2 = 0x8000;

constexpr uint32_t DSBPLAY_LOOPING = 0x1;
constexpr uint32_t DSBSTATUS_PLAYING = 0x1;
constexpr uint32_t DSBSTATUS_LOOPING = 0x4;
constexpr uint32_t DSBLOCK_ENTIREBUFFER = 0x2;

constexpr int32_t DSBVOLUME_MIN = -10000;
constexpr int32_t DSBVOLUME_MAX = 0;
constexpr int32_t DSBPAN_LEFT = -10000;
constexpr int32_t DSBPAN_RIGHT = 10000;
constexpr uint32_t DSBFREQUENCY_ORIGINAL = 0;
constexpr uint32_t DSBFREQUENCY_MIN = 100;
constexpr uint32_t DSBFREQUENCY_MAX = 100000;

constexpr uint16_t WAVE_FORMAT_PCM = 1;

struct WaveFormat
{
    uint16_t formatTag = WAVE_FORMAT_PCM;
    uint16_t channels = 2;
    uint32_t samplesPerSecond = 44100;
    uint32_t averageBytesPerSecond = 176400;
    uint16_t blockAlign = 4;
    uint16_t bitsPerSample = 16;
};

struct BufferDescription
{
    uint32_t flags = 0;
    // Bytes; 0 for the primary buffer.
    uint32_t bufferBytes = 0;
    // Null for the primary buffer.
    const WaveFormat* format = nullptr;
};

class DirectSoundBuffer
{
public:
    ~DirectSoundBuffer();
    DirectSoundBuffer(const DirectSoundBuffer&) = delete;
    DirectSoundBuffer& operator=(const DirectSoundBuffer&) = delete;

    // Pointers into the samples from offset on, wrapping at the end: the second part is null when
    // the range does not wrap. DSBLOCK_ENTIREBUFFER locks all of it.
    int32_t Lock(uint32_t offset, uint32_t bytes, void** first, uint32_t* firstBytes, void** second,
                 uint32_t* secondBytes, uint32_t flags);
    int32_t Unlock(void* first, uint32_t firstBytes, void* second, uint32_t secondBytes);
    int32_t Play(uint32_t flags);
    int32_t Stop();
    // Byte offsets: the sample now heard and the first one the mixer has not read yet.
    int32_t GetCurrentPosition(uint32_t* play, uint32_t* write);
    int32_t SetCurrentPosition(uint32_t offset);
    int32_t GetStatus(uint32_t* status);
    int32_t SetVolume(int32_t volume);
    int32_t GetVolume(int32_t* volume);
    int32_t SetPan(int32_t pan);
    int32_t GetPan(int32_t* pan);
    // DSBFREQUENCY_ORIGINAL puts back the format's rate.
    int32_t SetFrequency(uint32_t frequency);
    int32_t GetFrequency(uint32_t* frequency);
    // The primary buffer's format is what the device mixes to: SetFormat is taken (PCM only), the mixer
    // keeps the device's own rate.
    int32_t SetFormat(const WaveFormat& format);
    int32_t GetFormat(WaveFormat* format);

private:
    friend class DirectSoundDevice;
    DirectSoundBuffer(std::shared_ptr<SoundMixer> mixer, uint32_t flags, const WaveFormat& format, SampleStore samples);

    void ApplyGains();

    std::shared_ptr<SoundMixer> mixer;
    uint32_t flags;
    WaveFormat format;
    SampleStore samples;
    // Null for the primary buffer.
    SoundMixer::Voice* voice = nullptr;
    int32_t volume = 0;
    int32_t pan = 0;
    uint32_t frequency = 0;
};

class DirectSoundDevice
{
public:
    // The system's sound device; null when there is none, or only SDL's dummy driver that plays nowhere.
    // Every device made while another lives shares its output and mixer, so the sound effects and the
    // music libraries play through one mixer, with one master gain, as on a system's sound card.
    static std::unique_ptr<DirectSoundDevice> CreateDefault();
    // A device with no output: its mixer plays only when Render is called.
    static std::unique_ptr<DirectSoundDevice> CreateHeadless(int outputRate);
    // A device with no output of its own on a mixer that others may share.
    static std::unique_ptr<DirectSoundDevice> CreateOn(std::shared_ptr<SoundMixer> mixer);

    ~DirectSoundDevice();
    DirectSoundDevice(const DirectSoundDevice&) = delete;
    DirectSoundDevice& operator=(const DirectSoundDevice&) = delete;

    int32_t SetCooperativeLevel(WindowHandle window, uint32_t level);
    int32_t CreateSoundBuffer(const BufferDescription& description, std::unique_ptr<DirectSoundBuffer>& buffer);
    int32_t DuplicateSoundBuffer(const DirectSoundBuffer& source, std::unique_ptr<DirectSoundBuffer>& duplicate);

    SoundMixer& Mixer() { return *mixer; }

private:
    class Output;
    struct SystemOutput;
    explicit DirectSoundDevice(std::shared_ptr<SoundMixer> mixer);

    std::shared_ptr<SoundMixer> mixer;
    std::shared_ptr<SystemOutput> output;
    uint32_t cooperativeLevel = 0;
};

// The entry point "dsound.dll" exports, as the sound manager looks it up: the default device, or
// DSERR_NODRIVER with none.
using DirectSoundCreateProc = int32_t (*)(std::unique_ptr<DirectSoundDevice>* device);
int32_t DirectSoundCreate(std::unique_ptr<DirectSoundDevice>* device);

// Every sound the program plays through SDL's audio device becomes silence (true), or is heard again
// (false), whatever its buffers hold. Any thread may call it at any time: it is a flag the device's
// own thread reads, and it takes no lock.
void SetSoundOutputSilenced(bool silenced);

} // namespace Platform
