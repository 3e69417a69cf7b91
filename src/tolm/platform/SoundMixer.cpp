// The mixer's voices and its render loop, one loop per sample layout so the inner loop has no
// format branches.
#include "platform/SoundMixer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace Platform {

class SoundMixer::Voice
{
public:
    SampleStore samples;
    const uint8_t* data = nullptr;
    uint32_t frames = 0;
    PcmLayout layout;
    // Frame index in the high 32 bits, its fraction in the low ones.
    uint64_t position = 0;
    uint64_t step = 0;
    int32_t gainLeft = kUnityGain;
    int32_t gainRight = kUnityGain;
    bool playing = false;
    bool looping = false;
    uint32_t heardFrame = 0;
    Voice* previous = nullptr;
    Voice* next = nullptr;
};

int32_t GainFromAttenuation(int32_t attenuation)
{
    if (attenuation <= kSilentAttenuation) {
        return 0;
    }
    if (attenuation >= 0) {
        return kUnityGain;
    }
    return int32_t(std::lround(65536.0 * std::pow(10.0, attenuation / 2000.0)));
}

int32_t AttenuationFromGain(double gain)
{
    // Not-a-number fails the comparison and falls to silence.
    if (!(gain > 0.0)) {
        return kSilentAttenuation;
    }
    return int32_t(std::clamp(std::lround(2000.0 * std::log10(gain)), long(kSilentAttenuation), 0L));
}

void PanGains(int32_t volume, int32_t pan, int32_t& left, int32_t& right)
{
    left = GainFromAttenuation(volume - std::max(pan, 0));
    right = GainFromAttenuation(volume + std::min(pan, 0));
}

namespace {

// Output frames mixed per pass: the accumulator lives on the stack, so the callback never allocates.
constexpr int kChunkFrames = 256;

template <int Bits>
int32_t ReadSample(const uint8_t* data, uint32_t index)
{
    if constexpr (Bits == 8) {
        return (int32_t(data[index]) - 128) * 256;
    } else {
        int16_t sample;
        std::memcpy(&sample, data + 2 * size_t(index), 2);
        return sample;
    }
}

// One output frame of the voice at the position, with frame after as the second interpolation point.
template <int Channels, int Bits>
inline void MixFrame(const uint8_t* data, uint64_t position, uint32_t after, int32_t gainLeft, int32_t gainRight,
                     int32_t* sums)
{
    const uint32_t at = uint32_t(position >> 32);
    const int64_t fraction = int64_t((position >> 16) & 0xFFFF);
    const int32_t left0 = ReadSample<Bits>(data, at * Channels);
    const int32_t left1 = ReadSample<Bits>(data, after * Channels);
    const int32_t left = left0 + int32_t((int64_t(left1 - left0) * fraction) >> 16);
    int32_t right = left;
    if constexpr (Channels == 2) {
        const int32_t right0 = ReadSample<Bits>(data, at * 2 + 1);
        const int32_t right1 = ReadSample<Bits>(data, after * 2 + 1);
        right = right0 + int32_t((int64_t(right1 - right0) * fraction) >> 16);
    }
    sums[0] += (left * gainLeft) >> 16;
    sums[1] += (right * gainRight) >> 16;
}

// Mixes up to count frames of the voice into the accumulator; stops a voice that plays out. Runs of
// frames that stay clear of the last frame go through a loop without the end's tests.
template <int Channels, int Bits>
void MixVoice(SoundMixer::Voice& voice, int32_t* sums, int count)
{
    const uint8_t* data = voice.data;
    const uint64_t end = uint64_t(voice.frames) << 32;
    const uint64_t lastFrame = uint64_t(voice.frames - 1) << 32;
    const uint64_t step = voice.step;
    const int32_t gainLeft = voice.gainLeft;
    const int32_t gainRight = voice.gainRight;
    uint64_t position = voice.position;
    // A step of more than a frame can leave the last frame behind unread.
    auto wrap = [&] {
        if (position < end) {
            return true;
        }
        if (!voice.looping) {
            voice.playing = false;
            position = 0;
            return false;
        }
        position %= end;
        return true;
    };
    int k = 0;
    while (k < count && wrap()) {
        if (position < lastFrame) {
            const uint64_t clear = (lastFrame - position + step - 1) / step;
            const int run = int(std::min<uint64_t>(clear, uint64_t(count - k)));
            for (int i = 0; i < run; ++i, ++k) {
                MixFrame<Channels, Bits>(data, position, uint32_t(position >> 32) + 1, gainLeft, gainRight,
                                         sums + 2 * k);
                position += step;
            }
            continue;
        }
        MixFrame<Channels, Bits>(data, position, voice.looping ? 0 : uint32_t(position >> 32), gainLeft, gainRight,
                                 sums + 2 * k);
        ++k;
        position += step;
    }
    wrap();
    voice.position = position;
}

void MixVoice(SoundMixer::Voice& voice, int32_t* sums, int count)
{
    if (voice.frames == 0) {
        voice.playing = false;
        return;
    }
    const bool stereo = voice.layout.channels == 2;
    if (voice.layout.bitsPerSample == 8) {
        stereo ? MixVoice<2, 8>(voice, sums, count) : MixVoice<1, 8>(voice, sums, count);
    } else {
        stereo ? MixVoice<2, 16>(voice, sums, count) : MixVoice<1, 16>(voice, sums, count);
    }
}

int16_t Saturate(int64_t value)
{
    return int16_t(std::clamp<int64_t>(value, -32768, 32767));
}

} // namespace

SoundMixer::SoundMixer(int outputRate) : outputRate(outputRate) {}

SoundMixer::~SoundMixer()
{
    while (first) {
        RemoveVoice(first);
    }
}

void SoundMixer::Render(int16_t* out, int frames)
{
    std::array<int32_t, 2 * kChunkFrames> sums;
    const int64_t master = masterGain;
    std::lock_guard<std::mutex> guard(lock);
    for (Voice* voice = first; voice; voice = voice->next) {
        voice->heardFrame = uint32_t(voice->position >> 32);
    }
    for (int done = 0; done < frames; done += kChunkFrames) {
        const int count = std::min(kChunkFrames, frames - done);
        std::fill_n(sums.begin(), 2 * count, 0);
        for (Voice* voice = first; voice; voice = voice->next) {
            if (voice->playing) {
                MixVoice(*voice, sums.data(), count);
            }
        }
        for (int i = 0; i < 2 * count; ++i) {
            out[2 * done + i] = Saturate((sums[i] * master) >> 16);
        }
    }
}

SoundMixer::Voice* SoundMixer::AddVoice(SampleStore samples, PcmLayout layout, uint32_t frequency)
{
    auto* voice = new Voice;
    voice->data = samples->data();
    voice->frames = uint32_t(samples->size() / uint32_t(layout.BlockAlign()));
    voice->samples = std::move(samples);
    voice->layout = layout;
    voice->step = (uint64_t(frequency) << 32) / uint64_t(outputRate);
    std::lock_guard<std::mutex> guard(lock);
    voice->next = first;
    if (first) {
        first->previous = voice;
    }
    first = voice;
    return voice;
}

void SoundMixer::RemoveVoice(Voice* voice)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        (voice->previous ? voice->previous->next : first) = voice->next;
        if (voice->next) {
            voice->next->previous = voice->previous;
        }
    }
    delete voice;
}

void SoundMixer::Play(Voice* voice, bool looping)
{
    std::lock_guard<std::mutex> guard(lock);
    voice->playing = true;
    voice->looping = looping;
}

void SoundMixer::Stop(Voice* voice)
{
    std::lock_guard<std::mutex> guard(lock);
    voice->playing = false;
}

void SoundMixer::SetPosition(Voice* voice, uint32_t frame)
{
    std::lock_guard<std::mutex> guard(lock);
    voice->position = uint64_t(std::min(frame, voice->frames > 0 ? voice->frames - 1 : 0)) << 32;
    voice->heardFrame = frame;
}

void SoundMixer::SetFrequency(Voice* voice, uint32_t frequency)
{
    const uint64_t step = (uint64_t(frequency) << 32) / uint64_t(outputRate);
    std::lock_guard<std::mutex> guard(lock);
    voice->step = step;
}

void SoundMixer::SetGains(Voice* voice, int32_t left, int32_t right)
{
    std::lock_guard<std::mutex> guard(lock);
    voice->gainLeft = left;
    voice->gainRight = right;
}

bool SoundMixer::IsPlaying(Voice* voice)
{
    std::lock_guard<std::mutex> guard(lock);
    return voice->playing;
}

bool SoundMixer::IsLooping(Voice* voice)
{
    std::lock_guard<std::mutex> guard(lock);
    return voice->looping;
}

void SoundMixer::GetCursors(Voice* voice, uint32_t& playFrame, uint32_t& writeFrame)
{
    std::lock_guard<std::mutex> guard(lock);
    playFrame = voice->heardFrame;
    writeFrame = uint32_t(voice->position >> 32);
}

void SoundMixer::SynchronizeSamples()
{
    std::lock_guard<std::mutex> guard(lock);
}

} // namespace Platform
