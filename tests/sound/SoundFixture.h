// A sound manager on a headless device ("dsound.dll" replaced for the test), a manual clock for its
// purges, and a folder for the sound files the tests write.
#pragma once

#include "platform/Clock.h"
#include "platform/DirectSound.h"
#include "platform/Library.h"
#include "sound/DSoundManager.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

class SoundFixture : public testing::Test
{
protected:
    SoundFixture()
    {
        Platform::SetClock(&clock);
        clock.Advance(5000);
        Platform::InstallLibrary(
            "dsound.dll",
            {{"DirectSoundCreate", reinterpret_cast<Platform::LibraryProc>(&SoundFixture::CreateHeadlessDevice)}});
    }
    ~SoundFixture() override
    {
        manager.reset();
        Platform::InstallDefaultLibraries();
        Platform::SetClock(nullptr);
    }

    Tolm::DSoundManager& MakeManager(bool useFmod = false)
    {
        manager = std::make_unique<Tolm::DSoundManager>(1, useFmod);
        return *manager;
    }

    // Interleaved left, right.
    std::vector<int> Render(int frames)
    {
        std::vector<int16_t> out(size_t(2 * frames));
        manager->GetDevice()->Mixer().Render(out.data(), frames);
        return std::vector<int>(out.begin(), out.end());
    }

public:
    // A canonical 16-bit mono WAVE file at 44100 Hz holding the samples.
    static std::string Wave(const std::vector<int16_t>& samples)
    {
        std::string data;
        for (int16_t sample : samples) {
            data += char(sample & 0xFF);
            data += char((sample >> 8) & 0xFF);
        }
        return "RIFF" + Le32(uint32_t(36 + data.size())) + "WAVE" + Chunk("fmt ", Fmt(1, 1, 44100, 16)) +
               Chunk("data", data);
    }

    static std::string Le32(uint32_t value)
    {
        return {char(value & 0xFF), char((value >> 8) & 0xFF), char((value >> 16) & 0xFF), char(value >> 24)};
    }
    static std::string Le16(uint16_t value) { return {char(value & 0xFF), char(value >> 8)}; }
    static std::string Chunk(const std::string& tag, const std::string& body)
    {
        return tag + Le32(uint32_t(body.size())) + body;
    }
    static std::string Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits)
    {
        // Widened first: a test may give fields as large as a file can hold.
        const auto align = uint16_t(uint32_t(channels) * bits / 8);
        return Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * align) + Le16(align) + Le16(bits);
    }

protected:
    Platform::ManualClock clock;
    TempFolder temp;
    std::unique_ptr<Tolm::DSoundManager> manager;

private:
    static int32_t CreateHeadlessDevice(std::unique_ptr<Platform::DirectSoundDevice>* device)
    {
        *device = Platform::DirectSoundDevice::CreateHeadless(44100);
        return Platform::DS_OK;
    }
};
