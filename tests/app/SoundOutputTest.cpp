// The game with its built data set, its sound on SDL's disk audio driver, which records what the mixer
// plays to a file in real time: a game sound is heard in the recording, and after a mute nothing is,
// not even a sound started while muted.
#include "GameFixture.h"
#include "resources/ResourceLookups.h"
#include "resources/ResourceManager.h"
#include "sound/SoundManager.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

// 16-bit stereo at 44100 Hz.
constexpr size_t kBytesPerSecond = 176400;

class SoundOutputTest : public GameFixture
{
protected:
    SoundOutputTest()
    {
        const char* driver = std::getenv("SDL_AUDIODRIVER");
        previousDriver = driver ? driver : "";
        recording = temp.Path() + "recording.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", recording.c_str(), 1);
    }
    ~SoundOutputTest() override
    {
        app.reset();
        previousDriver.empty() ? unsetenv("SDL_AUDIODRIVER") : setenv("SDL_AUDIODRIVER", previousDriver.c_str(), 1);
        unsetenv("SDL_DISKAUDIOFILE");
    }

    size_t RecordedBytes() const
    {
        std::error_code error;
        const auto size = std::filesystem::file_size(recording, error);
        return error ? 0 : size_t(size);
    }

    // Waits until the recording holds that many bytes; the driver writes them at the pace of playing.
    void WaitForRecording(size_t bytes) const
    {
        while (RecordedBytes() < bytes) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // The loudest sample of the recording from one byte offset to another.
    int Loudest(size_t from, size_t to) const
    {
        std::ifstream in(recording, std::ios::binary);
        in.seekg(std::streamoff(from));
        std::vector<int16_t> samples((to - from) / 2);
        in.read(reinterpret_cast<char*>(samples.data()), std::streamsize(samples.size() * 2));
        int loudest = 0;
        for (int16_t sample : samples) {
            loudest = std::max(loudest, std::abs(int(sample)));
        }
        return loudest;
    }

    std::string previousDriver;
    std::string recording;
};

TEST_F(SoundOutputTest, GameSoundsAreHeardUntilMuted)
{
    // The staged data set, read loose.
    Platform::SetCurrentFolder(QUENDARA_BUILD_DATA);
    app = std::make_unique<HereGameApp>();
    app->windowed = true;
    app->Init();
    ASSERT_TRUE(app->soundManager->HasDevice());
    app->StartLoadingThread();
    app->WaitForLoadingThread();
    ASSERT_TRUE(app->RunUpdate());
    ASSERT_GE(app->resourceManager->GetSoundId("SOUND_LEVEL_COMPLETE"), 0);
    // A window without focus is muted automatically.
    while (app->IsMuted()) {
        app->Unmute(true);
    }

    WaitForRecording(kBytesPerSecond / 10);
    const size_t before = RecordedBytes();
    PlaySoundById("SOUND_LEVEL_COMPLETE");
    WaitForRecording(before + kBytesPerSecond);
    // The fanfare peaks 4 dB below full scale, at 20675.
    EXPECT_GT(Loudest(before, before + kBytesPerSecond), 15000);

    app->Mute(false);
    PlaySoundById("SOUND_STAGE_COMPLETED");
    // What was mixed before the mute may still be on its way: one device buffer and a margin.
    const size_t muted = RecordedBytes() + 8192;
    WaitForRecording(muted + kBytesPerSecond / 2);
    EXPECT_EQ(Loudest(muted, muted + kBytesPerSecond / 2), 0);
    EXPECT_TRUE(popups.shown.empty());
}

} // namespace
