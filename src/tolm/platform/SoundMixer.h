// Our own mixer under the DirectSound stand-in: every playing voice is resampled, weighed by its
// left and right gains and summed into 16-bit stereo at the output rate, saturating. Render is a pure
// function of the voices' state, so tests and benchmarks call it directly; the audio device calls it
// from its callback thread.
//
// Threads: one lock guards every voice. Render holds it while it mixes one block (tens of
// microseconds); the main thread holds it only to read or write a few fields, never while it
// allocates, so the callback never waits long.
//
// The arithmetic, which tests work out by hand:
// - a voice's position is a frame index with a 32-bit fraction, advanced per output frame by
//   frequency * 2^32 / output rate (truncated);
// - a sample between frames i and j = i + 1 is s_i + (((s_j - s_i) * f) >> 16), f the top 16 bits of
//   the fraction (an arithmetic shift); j is frame 0 after the last frame of a looping voice, and the
//   last frame itself for a voice that plays once;
// - 8-bit samples are unsigned: (b - 128) * 256; a mono voice feeds both sides;
// - each side adds (sample * gain) >> 16, gains in 1/65536 (GainFromAttenuation);
// - the sums are scaled by the master gain, (sum * master) >> 16, and saturated to 16 bits.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace Platform {

// Attenuations in hundredths of a decibel, as DirectSound counts volume and pan.
constexpr int32_t kSilentAttenuation = -10000;
constexpr int32_t kUnityGain = 65536;

// 65536 * 10^(attenuation / 2000), rounded; 0 at or below -10000 (silence), 65536 at 0 and above.
int32_t GainFromAttenuation(int32_t attenuation);
// The attenuation of a linear gain (1 = unity): 2000 * log10(gain), rounded, within -10000..0.
int32_t AttenuationFromGain(double gain);
// The gains of the two sides for a volume (-10000..0) and a pan (-10000 left .. 10000 right): a pan to
// the right attenuates the left side by the pan, a pan to the left the right side, on top of the volume.
void PanGains(int32_t volume, int32_t pan, int32_t& left, int32_t& right);

// Sample memory shared by a buffer and its duplicates.
using SampleStore = std::shared_ptr<std::vector<uint8_t>>;

struct PcmLayout
{
    int channels = 1;
    int bitsPerSample = 16;
    int BlockAlign() const { return channels * bitsPerSample / 8; }
};

class SoundMixer
{
public:
    class Voice;

    explicit SoundMixer(int outputRate);
    ~SoundMixer();
    SoundMixer(const SoundMixer&) = delete;
    SoundMixer& operator=(const SoundMixer&) = delete;

    int OutputRate() const { return outputRate; }

    // Mixes frames of interleaved stereo into out.
    void Render(int16_t* out, int frames);

    // A new voice on the samples, stopped at frame 0, at full gain and the given frequency.
    Voice* AddVoice(SampleStore samples, PcmLayout layout, uint32_t frequency);
    void RemoveVoice(Voice* voice);

    // Every voice state change goes through the lock; the functions below take it.
    void Play(Voice* voice, bool looping);
    void Stop(Voice* voice);
    void SetPosition(Voice* voice, uint32_t frame);
    void SetFrequency(Voice* voice, uint32_t frequency);
    void SetGains(Voice* voice, int32_t left, int32_t right);
    bool IsPlaying(Voice* voice);
    bool IsLooping(Voice* voice);
    // The frame now heard (the start of the block mixed last) and the frame the mixer reads next.
    void GetCursors(Voice* voice, uint32_t& playFrame, uint32_t& writeFrame);

    // Orders sample writes against Render: a writer calls it before it writes a region (after the
    // mixer's last read of it) and after (so the next Render reads what it wrote). The writer keeps out
    // of the region the mixer is reading meanwhile, as a DirectSound program keeps behind the play cursor.
    void SynchronizeSamples();

    void SetMasterGain(int32_t gain) { masterGain = gain; }
    int32_t GetMasterGain() const { return masterGain; }

private:
    int outputRate;
    std::mutex lock;
    Voice* first = nullptr;
    std::atomic<int32_t> masterGain{kUnityGain};
};

} // namespace Platform
