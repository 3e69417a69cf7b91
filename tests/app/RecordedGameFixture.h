// The game with its built data set and its sound on SDL's disk audio driver, which records what the
// mixer plays to a file in real time, for the tests that listen to the game's output.
#pragma once

#include "GameFixture.h"
#include "sound/SoundManager.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

// 16-bit stereo at 44100 Hz.
constexpr size_t kBytesPerSecond = 176400;

class RecordedGameFixture : public GameFixture
{
protected:
    RecordedGameFixture()
    {
        const char* driver = std::getenv("SDL_AUDIODRIVER");
        previousDriver = driver ? driver : "";
        recording = temp.Path() + "recording.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", recording.c_str(), 1);
    }
    ~RecordedGameFixture() override
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

    // The game on the staged data set, read loose, loaded, updated once and not muted.
    void StartGame()
    {
        Platform::SetCurrentFolder(QUENDARA_BUILD_DATA);
        app = std::make_unique<HereGameApp>();
        app->windowed = true;
        app->Init();
        ASSERT_TRUE(app->soundManager->HasDevice());
        app->StartLoadingThread();
        app->WaitForLoadingThread();
        ASSERT_TRUE(app->RunUpdate());
        // A window without focus is muted automatically.
        while (app->IsMuted()) {
            app->Unmute(true);
        }
    }

    // The recorded samples from one byte offset to another, left and right in turn.
    std::vector<int16_t> Recorded(size_t from, size_t to) const
    {
        std::ifstream in(recording, std::ios::binary);
        in.seekg(std::streamoff(from));
        std::vector<int16_t> samples((to - from) / 2);
        in.read(reinterpret_cast<char*>(samples.data()), std::streamsize(samples.size() * 2));
        return samples;
    }

    // The loudest sample of the recording from one byte offset to another.
    int Loudest(size_t from, size_t to) const
    {
        int loudest = 0;
        for (int16_t sample : Recorded(from, to)) {
            loudest = std::max(loudest, std::abs(int(sample)));
        }
        return loudest;
    }

    std::string previousDriver;
    std::string recording;
};
