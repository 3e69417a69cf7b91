// Silencing the sound output from outside the sound system, as a crash does: through SDL's disk
// driver, which writes what it plays to a file as it plays it.
#include "platform/DirectSound.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

// Far more than the output's blocks already mixed when the flag is set: a quarter of a second.
constexpr size_t kBlocksInFlight = 44100;

class SoundOutputSilence : public testing::Test
{
protected:
    SoundOutputSilence()
    {
        if (const char* driver = std::getenv("SDL_AUDIODRIVER")) {
            previousDriver = driver;
        }
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", played.c_str(), 1);
    }
    ~SoundOutputSilence() override
    {
        Platform::SetSoundOutputSilenced(false);
        if (previousDriver) {
            setenv("SDL_AUDIODRIVER", previousDriver->c_str(), 1);
        } else {
            unsetenv("SDL_AUDIODRIVER");
        }
        unsetenv("SDL_DISKAUDIOFILE");
    }

    std::vector<char> Played() const
    {
        std::ifstream input(played, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
    }

    // Polls what has been played until it holds at least this many bytes; false after 10 seconds.
    bool WaitForPlayed(size_t bytes) const
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::filesystem::file_size(played) < bytes) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    TempFolder folder;
    std::string played = folder.Path() + "played.raw";
    std::optional<std::string> previousDriver;
};

std::unique_ptr<Platform::DirectSoundBuffer> PlayLoudLoop(Platform::DirectSoundDevice& device)
{
    Platform::WaveFormat format;
    std::vector<int16_t> samples(4096, 0x2000);
    Platform::BufferDescription description{Platform::DSBCAPS_STATIC, uint32_t(samples.size() * 2), &format};
    std::unique_ptr<Platform::DirectSoundBuffer> buffer;
    EXPECT_EQ(device.CreateSoundBuffer(description, buffer), Platform::DS_OK);
    void* data = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(buffer->Lock(0, 0, &data, &size, nullptr, nullptr, Platform::DSBLOCK_ENTIREBUFFER), Platform::DS_OK);
    std::memcpy(data, samples.data(), size);
    EXPECT_EQ(buffer->Unlock(data, size, nullptr, 0), Platform::DS_OK);
    EXPECT_EQ(buffer->Play(Platform::DSBPLAY_LOOPING), Platform::DS_OK);
    return buffer;
}

} // namespace

TEST_F(SoundOutputSilence, TheOutputPlaysSilenceWhateverItsBuffersHold)
{
    std::unique_ptr<Platform::DirectSoundDevice> device = Platform::DirectSoundDevice::CreateDefault();
    ASSERT_TRUE(device);
    std::unique_ptr<Platform::DirectSoundBuffer> loop = PlayLoudLoop(*device);
    ASSERT_TRUE(WaitForPlayed(kBlocksInFlight));
    std::vector<char> before = Played();
    EXPECT_TRUE(std::any_of(before.begin(), before.end(), [](char byte) { return byte != 0; }));

    Platform::SetSoundOutputSilenced(true);
    size_t silencedAt = std::filesystem::file_size(played);
    ASSERT_TRUE(WaitForPlayed(silencedAt + 2 * kBlocksInFlight));
    std::vector<char> after = Played();
    EXPECT_TRUE(std::all_of(after.begin() + std::ptrdiff_t(silencedAt + kBlocksInFlight), after.end(),
                            [](char byte) { return byte == 0; }));
    EXPECT_EQ(loop->Stop(), Platform::DS_OK);
}
