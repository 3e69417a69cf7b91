// The mixer as a pure function: buffers of the DirectSound stand-in at given volume, pan and frequency,
// rendered headless, against samples worked out by hand from the mixer's arithmetic.
#include "platform/DirectSound.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Platform::DirectSoundBuffer;
using Platform::DirectSoundDevice;

constexpr uint32_t kAllControls =
    Platform::DSBCAPS_CTRLVOLUME | Platform::DSBCAPS_CTRLPAN | Platform::DSBCAPS_CTRLFREQUENCY;

struct VoiceSpec
{
    int channels = 1;
    int bits = 16;
    // Interleaved, at least 4 bytes (DirectSound's smallest buffer); 8-bit voices take the low byte of each
    // value.
    std::vector<int> samples;
    int32_t volume = 0;
    int32_t pan = 0;
    uint32_t frequency = 44100;
    bool looping = false;
};

std::unique_ptr<DirectSoundBuffer> MakeBuffer(DirectSoundDevice& device, const VoiceSpec& spec)
{
    Platform::WaveFormat format;
    format.channels = uint16_t(spec.channels);
    format.bitsPerSample = uint16_t(spec.bits);
    format.blockAlign = uint16_t(spec.channels * spec.bits / 8);
    format.samplesPerSecond = 44100;
    format.averageBytesPerSecond = 44100 * format.blockAlign;
    std::vector<uint8_t> bytes;
    for (int value : spec.samples) {
        bytes.push_back(uint8_t(value));
        if (spec.bits == 16) {
            bytes.push_back(uint8_t(value >> 8));
        }
    }
    Platform::BufferDescription description{kAllControls | Platform::DSBCAPS_STATIC, uint32_t(bytes.size()), &format};
    std::unique_ptr<DirectSoundBuffer> buffer;
    EXPECT_EQ(device.CreateSoundBuffer(description, buffer), Platform::DS_OK);
    void* data = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(buffer->Lock(0, 0, &data, &size, nullptr, nullptr, Platform::DSBLOCK_ENTIREBUFFER), Platform::DS_OK);
    std::memcpy(data, bytes.data(), size);
    EXPECT_EQ(buffer->Unlock(data, size, nullptr, 0), Platform::DS_OK);
    EXPECT_EQ(buffer->SetVolume(spec.volume), Platform::DS_OK);
    EXPECT_EQ(buffer->SetPan(spec.pan), Platform::DS_OK);
    EXPECT_EQ(buffer->SetFrequency(spec.frequency), Platform::DS_OK);
    EXPECT_EQ(buffer->Play(spec.looping ? Platform::DSBPLAY_LOOPING : 0), Platform::DS_OK);
    return buffer;
}

std::vector<int> Render(DirectSoundDevice& device, int frames)
{
    std::vector<int16_t> out(size_t(2 * frames), 12345);
    device.Mixer().Render(out.data(), frames);
    return std::vector<int>(out.begin(), out.end());
}

struct MixCase
{
    const char* name;
    std::vector<VoiceSpec> voices;
    // Interleaved left, right.
    std::vector<int> expected;
};

TEST(MixerTest, MixesVoicesIntoTheExpectedSamples)
{
    const MixCase cases[] = {
        {"full volume passes samples through", {{1, 16, {10000, -4000}}}, {10000, 10000, -4000, -4000}},
        // Gain round(65536 x 10^(-600/2000)) = 32846; 10000 x 32846 >> 16 = 5011.
        {"volume -600 nearly halves", {{1, 16, {10000, 10000}, -600}}, {5011, 5011}},
        {"pan right silences the left", {{1, 16, {10000, 10000}, 0, 10000}}, {0, 10000}},
        // Right gain 6554: 10000 x 6554 >> 16 = 1000.
        {"pan left by 2000 takes 20 dB off the right", {{1, 16, {10000, 10000}, 0, -2000}}, {10000, 1000}},
        {"volume -10000 is silence", {{1, 16, {10000, 10000}, -10000}}, {0, 0}},
        {"8-bit samples are unsigned around 128", {{1, 8, {192, 64, 128, 128}}}, {16384, 16384, -16384, -16384}},
        {"stereo keeps its sides", {{2, 16, {1000, -2000}}}, {1000, -2000}},
        {"half the output rate interpolates between frames",
         {{1, 16, {0, 1000, 2000}, 0, 0, 22050}},
         {0, 0, 500, 500, 1000, 1000, 1500, 1500, 2000, 2000, 2000, 2000}},
        {"a looping voice interpolates towards its first frame",
         {{1, 16, {0, 1000}, 0, 0, 22050, true}},
         {0, 0, 500, 500, 1000, 1000, 500, 500, 0, 0}},
        // Step 1.75: frames 0 and 1.75 (275, three quarters from 200 to 300), then past the end.
        {"a fast voice may step over its last frame",
         {{1, 16, {100, 200, 300}, 0, 0, 77175}},
         {100, 100, 275, 275, 0, 0}},
        {"a voice that plays once goes silent at its end", {{1, 16, {7, 8}}}, {7, 7, 8, 8, 0, 0}},
        {"a looping voice starts again",
         {{1, 16, {100, 200, 300}, 0, 0, 44100, true}},
         {100, 100, 200, 200, 300, 300, 100, 100}},
        {"sums saturate upwards", {{1, 16, {30000, 0}}, {1, 16, {30000, 0}}}, {32767, 32767}},
        {"sums saturate downwards", {{1, 16, {-30000, 0}}, {1, 16, {-30000, 0}}}, {-32768, -32768}},
        {"voices add", {{1, 16, {1000, 0}}, {2, 16, {-300, 300}}}, {700, 1300}},
    };
    for (const MixCase& mix : cases) {
        SCOPED_TRACE(mix.name);
        auto device = DirectSoundDevice::CreateHeadless(44100);
        std::vector<std::unique_ptr<DirectSoundBuffer>> buffers;
        for (const VoiceSpec& voice : mix.voices) {
            buffers.push_back(MakeBuffer(*device, voice));
        }
        EXPECT_EQ(Render(*device, int(mix.expected.size() / 2)), mix.expected);
    }
}

TEST(MixerTest, MasterGainScalesTheSum)
{
    auto device = DirectSoundDevice::CreateHeadless(44100);
    auto buffer = MakeBuffer(*device, {1, 16, {10000, 10000}});
    device->Mixer().SetMasterGain(32768);
    EXPECT_EQ(Render(*device, 1), (std::vector<int>{5000, 5000}));
}

TEST(MixerTest, AttenuationsBecomeGainsAtTheirEdges)
{
    const struct
    {
        int32_t attenuation;
        int32_t gain;
    } cases[] = {{100, 65536}, {0, 65536}, {-1, 65461}, {-2000, 6554},
                 {-5000, 207}, {-9999, 1}, {-10000, 0}, {-12000, 0}};
    for (const auto& entry : cases) {
        EXPECT_EQ(Platform::GainFromAttenuation(entry.attenuation), entry.gain) << entry.attenuation;
    }
    int32_t left = -1;
    int32_t right = -1;
    Platform::PanGains(-5000, 6000, left, right);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, 207);
    Platform::PanGains(0, -10000, left, right);
    EXPECT_EQ(left, 65536);
    EXPECT_EQ(right, 0);
}

TEST(MixerTest, StatusAndCursorsFollowThePlaying)
{
    auto device = DirectSoundDevice::CreateHeadless(44100);
    auto buffer = MakeBuffer(*device, {2, 16, std::vector<int>(20, 1)});
    uint32_t status = 0;
    ASSERT_EQ(buffer->GetStatus(&status), Platform::DS_OK);
    EXPECT_EQ(status, Platform::DSBSTATUS_PLAYING);
    Render(*device, 4);
    Render(*device, 3);
    uint32_t play = 0;
    uint32_t write = 0;
    ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), Platform::DS_OK);
    EXPECT_EQ(play, 16u);
    EXPECT_EQ(write, 28u);
    buffer->Play(Platform::DSBPLAY_LOOPING);
    buffer->GetStatus(&status);
    EXPECT_EQ(status, Platform::DSBSTATUS_PLAYING | Platform::DSBSTATUS_LOOPING);
    buffer->Stop();
    buffer->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    Render(*device, 20);
    buffer->GetStatus(&status);
    EXPECT_EQ(status, 0u);
}

TEST(MixerTest, DuplicatesShareSamplesButPlayOnTheirOwn)
{
    auto device = DirectSoundDevice::CreateHeadless(44100);
    auto source = MakeBuffer(*device, {1, 16, {100, 200, 300, 400}, -600});
    source->Stop();
    std::unique_ptr<DirectSoundBuffer> copy;
    ASSERT_EQ(device->DuplicateSoundBuffer(*source, copy), Platform::DS_OK);
    int32_t volume = 0;
    copy->GetVolume(&volume);
    EXPECT_EQ(volume, -600);
    copy->SetVolume(0);
    copy->SetCurrentPosition(4);
    copy->Play(0);
    void* data = nullptr;
    uint32_t size = 0;
    source->Lock(0, 2, &data, &size, nullptr, nullptr, 0);
    *static_cast<int16_t*>(data) = 1;
    source->Unlock(data, size, nullptr, 0);
    EXPECT_EQ(Render(*device, 3), (std::vector<int>{300, 300, 400, 400, 0, 0}));
    copy->Play(0);
    copy->SetCurrentPosition(0);
    EXPECT_EQ(Render(*device, 1), (std::vector<int>{1, 1}));
}

TEST(MixerTest, BuffersRefuseWhatDirectSoundRefuses)
{
    auto device = DirectSoundDevice::CreateHeadless(44100);
    Platform::WaveFormat format;
    format.channels = 1;
    format.blockAlign = 2;
    std::unique_ptr<DirectSoundBuffer> buffer;
    const Platform::BufferDescription tooSmall{0, 2, &format};
    EXPECT_EQ(device->CreateSoundBuffer(tooSmall, buffer), Platform::DSERR_INVALIDPARAM);
    Platform::WaveFormat threeChannels = format;
    threeChannels.channels = 3;
    threeChannels.blockAlign = 6;
    EXPECT_EQ(device->CreateSoundBuffer({0, 60, &threeChannels}, buffer), Platform::DSERR_BADFORMAT);
    Platform::BufferDescription primary;
    primary.flags = Platform::DSBCAPS_PRIMARYBUFFER;
    EXPECT_EQ(device->CreateSoundBuffer(primary, buffer), Platform::DSERR_PRIOLEVELNEEDED);

    ASSERT_EQ(device->CreateSoundBuffer({Platform::DSBCAPS_CTRLVOLUME, 8, &format}, buffer), Platform::DS_OK);
    EXPECT_EQ(buffer->SetPan(0), Platform::DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(buffer->SetVolume(1), Platform::DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetVolume(-10001), Platform::DSERR_INVALIDPARAM);
    void* data = nullptr;
    uint32_t size = 0;
    void* wrapped = nullptr;
    uint32_t wrappedSize = 0;
    ASSERT_EQ(buffer->Lock(6, 4, &data, &size, &wrapped, &wrappedSize, 0), Platform::DS_OK);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(wrappedSize, 2u);
    EXPECT_EQ(static_cast<uint8_t*>(data) - static_cast<uint8_t*>(wrapped), 6);
    EXPECT_EQ(buffer->Lock(8, 1, &data, &size, nullptr, nullptr, 0), Platform::DSERR_INVALIDPARAM);
}

} // namespace
