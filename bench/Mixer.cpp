// The mixer (bench_Mixer): 32 looping voices of 16-bit stereo at rates other than the output's, each
// at its own volume and pan, resampled and mixed into one 1024-frame block of 44.1 kHz output, as the
// audio callback does. The reference is a plain float loop over the same voices (linear interpolation,
// float gains, clamped to 16 bits): what a straightforward mixer costs.
#include "platform/DirectSound.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kVoices = 32;
constexpr int kBlockFrames = 1024;
constexpr int kOutputRate = 44100;

struct VoiceSetup
{
    std::vector<int16_t> samples;
    uint32_t rate;
    int32_t volume;
    int32_t pan;
};

std::vector<VoiceSetup> MakeVoices()
{
    std::mt19937 random(17);
    std::vector<VoiceSetup> voices;
    const uint32_t rates[] = {22050, 32000, 48000, 11025, 44100 * 3 / 2, 16000, 24000, 37800};
    for (int v = 0; v < kVoices; ++v) {
        VoiceSetup setup;
        setup.samples.resize(2 * 30000);
        for (int16_t& sample : setup.samples) {
            sample = int16_t(int(random() % 20000) - 10000);
        }
        setup.rate = rates[v % 8];
        setup.volume = -int32_t(random() % 1500);
        setup.pan = int32_t(random() % 4001) - 2000;
        voices.push_back(std::move(setup));
    }
    return voices;
}

void BM_OurMixer(benchmark::State& state)
{
    auto device = Platform::DirectSoundDevice::CreateHeadless(kOutputRate);
    std::vector<std::unique_ptr<Platform::DirectSoundBuffer>> buffers;
    for (const VoiceSetup& setup : MakeVoices()) {
        Platform::WaveFormat format{Platform::WAVE_FORMAT_PCM, 2, setup.rate, setup.rate * 4, 4, 16};
        Platform::BufferDescription description{Platform::DSBCAPS_CTRLVOLUME | Platform::DSBCAPS_CTRLPAN |
                                                    Platform::DSBCAPS_CTRLFREQUENCY,
                                                uint32_t(setup.samples.size() * 2), &format};
        std::unique_ptr<Platform::DirectSoundBuffer> buffer;
        device->CreateSoundBuffer(description, buffer);
        void* data = nullptr;
        uint32_t bytes = 0;
        buffer->Lock(0, 0, &data, &bytes, nullptr, nullptr, Platform::DSBLOCK_ENTIREBUFFER);
        std::memcpy(data, setup.samples.data(), bytes);
        buffer->Unlock(data, bytes, nullptr, 0);
        buffer->SetVolume(setup.volume);
        buffer->SetPan(setup.pan);
        buffer->Play(Platform::DSBPLAY_LOOPING);
        buffers.push_back(std::move(buffer));
    }
    std::vector<int16_t> out(2 * kBlockFrames);
    for (auto _ : state) {
        device->Mixer().Render(out.data(), kBlockFrames);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kBlockFrames * kVoices);
}

void BM_PlainFloatMixing(benchmark::State& state)
{
    struct Voice
    {
        std::vector<float> samples;
        size_t frames;
        double position = 0;
        double step;
        float left;
        float right;
    };
    std::vector<Voice> voices;
    for (const VoiceSetup& setup : MakeVoices()) {
        Voice voice;
        voice.samples.assign(setup.samples.begin(), setup.samples.end());
        voice.frames = setup.samples.size() / 2;
        voice.step = double(setup.rate) / kOutputRate;
        voice.left = float(std::pow(10.0, (setup.volume - std::max(setup.pan, 0)) / 2000.0));
        voice.right = float(std::pow(10.0, (setup.volume + std::min(setup.pan, 0)) / 2000.0));
        voices.push_back(std::move(voice));
    }
    std::vector<float> sums(2 * kBlockFrames);
    std::vector<int16_t> out(2 * kBlockFrames);
    for (auto _ : state) {
        std::fill(sums.begin(), sums.end(), 0.0f);
        for (Voice& voice : voices) {
            for (int k = 0; k < kBlockFrames; ++k) {
                const size_t at = size_t(voice.position);
                const size_t after = at + 1 < voice.frames ? at + 1 : 0;
                const float fraction = float(voice.position - double(at));
                const float* here = &voice.samples[2 * at];
                const float* there = &voice.samples[2 * after];
                sums[2 * k] += (here[0] + (there[0] - here[0]) * fraction) * voice.left;
                sums[2 * k + 1] += (here[1] + (there[1] - here[1]) * fraction) * voice.right;
                voice.position += voice.step;
                if (voice.position >= double(voice.frames)) {
                    voice.position -= double(voice.frames);
                }
            }
        }
        for (size_t i = 0; i < sums.size(); ++i) {
            out[i] = int16_t(std::clamp(sums[i], -32768.0f, 32767.0f));
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kBlockFrames * kVoices);
}

BENCHMARK(BM_OurMixer);
BENCHMARK(BM_PlainFloatMixing);

} // namespace
