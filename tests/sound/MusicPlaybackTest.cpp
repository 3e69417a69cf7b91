// Both music back ends on our own libraries, heard through a mixer the test renders: streams and
// modules load, play, loop without a seam, pause, resume, fade, stop and unload; FMOD's sample songs
// keep their decoded copy in the cache folder and loop their second part.
#include "MusicFiles.h"
#include "platform/DirectSound.h"
#include "platform/FileSystem.h"
#include "platform/Library.h"
#include "sound/BassLibrary.h"
#include "sound/BassMusicInterface.h"
#include "sound/DSoundManager.h"
#include "sound/FModMusicInterface.h"
#include "sound/FmodLibrary.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using MusicFiles::ConstantFrames;
using MusicFiles::RampFrames;
using MusicFiles::StereoWave;

constexpr int kBlock = 1024;
constexpr double kSlow = double(0.01f);

class MusicPlaybackTest : public testing::Test
{
protected:
    MusicPlaybackTest() : previousFolder(Platform::CurrentFolder())
    {
        Platform::SetCurrentFolder(temp.Path());
        mixer = std::make_shared<Platform::SoundMixer>(44100);
        Platform::InstallLibrary("dsound.dll",
                                 {{"DirectSoundCreate", reinterpret_cast<Platform::LibraryProc>(&CreateDevice)}});
    }
    ~MusicPlaybackTest() override
    {
        music.reset();
        sounds.reset();
        Platform::InstallDefaultLibraries();
        mixer.reset();
        Platform::SetCurrentFolder(previousFolder);
    }

    void MakeBass()
    {
        music = std::make_unique<Tolm::BassMusicInterface>(Tolm::LoadBassLibrary(), 1);
        Refill("bass.dll", "BASS_Update");
    }

    // FMOD starts with the sound manager, which the test gives a window.
    void MakeFmod()
    {
        sounds = std::make_unique<Tolm::DSoundManager>(1, true);
        music = std::make_unique<Tolm::FModMusicInterface>(Tolm::LoadFmodLibrary(), 1);
        Refill("fmod.dll", "_FSOUND_Update@0");
    }

    // Interleaved left, right, rendered a block at a time with the library's buffers refilled before
    // each, as the library's own thread keeps them.
    std::vector<int> Render(int frames)
    {
        std::vector<int> out;
        std::vector<int16_t> block(2 * kBlock);
        for (int done = 0; done < frames; done += kBlock) {
            const int count = std::min(kBlock, frames - done);
            refill();
            mixer->Render(block.data(), count);
            out.insert(out.end(), block.begin(), block.begin() + 2 * count);
        }
        return out;
    }

    static int Loudest(const std::vector<int>& samples)
    {
        int loudest = 0;
        for (int sample : samples) {
            loudest = std::max(loudest, std::abs(sample));
        }
        return loudest;
    }

    void Write(const std::string& name, const std::vector<int16_t>& frames) { temp.Write(name, StereoWave(frames)); }

    TempFolder temp;
    std::string previousFolder;
    std::unique_ptr<Tolm::DSoundManager> sounds;
    std::unique_ptr<Tolm::MusicInterface> music;

private:
    static int32_t CreateDevice(std::unique_ptr<Platform::DirectSoundDevice>* device)
    {
        *device = Platform::DirectSoundDevice::CreateOn(mixer);
        return Platform::DS_OK;
    }

    void Refill(const char* library, const char* entry)
    {
        Platform::Library* loaded = Platform::LoadLibrary(library);
        refill = reinterpret_cast<void (*)()>(Platform::GetProcAddress(loaded, entry));
        Platform::FreeLibrary(loaded);
    }

    static inline std::shared_ptr<Platform::SoundMixer> mixer;
    void (*refill)() = nullptr;
};

// Frame i of a ramp of frames frames, played round and round from frame first.
std::vector<int> Looped(const std::vector<int16_t>& frames, int first, int count)
{
    const int length = int(frames.size() / 2);
    std::vector<int> out;
    for (int i = first; i < first + count; ++i) {
        out.push_back(frames[size_t(2 * (i % length))]);
        out.push_back(frames[size_t(2 * (i % length) + 1)]);
    }
    return out;
}

TEST_F(MusicPlaybackTest, AStreamLoopsWithoutASeamAndPausesWhereItIs)
{
    MakeBass();
    const std::vector<int16_t> ramp = RampFrames(10000);
    Write("ramp.wav", ramp);
    ASSERT_TRUE(music->LoadMusic(1, "ramp.wav"));
    music->PlayMusic(1, 0, false);
    EXPECT_TRUE(music->IsPlaying(1));
    // At full volume every sample comes out as it is in the file, across the loop's end.
    EXPECT_EQ(Render(25000), Looped(ramp, 0, 25000));
    music->PauseMusic(1);
    EXPECT_FALSE(music->IsPlaying(1));
    EXPECT_EQ(Loudest(Render(4096)), 0);
    music->ResumeMusic(1);
    EXPECT_EQ(Render(5000), Looped(ramp, 25000, 5000));
    music->StopMusic(1);
    EXPECT_EQ(Loudest(Render(2048)), 0);
}

TEST_F(MusicPlaybackTest, AStreamPlayedOnceStopsAtItsEnd)
{
    MakeBass();
    const std::vector<int16_t> ramp = RampFrames(3000);
    Write("once.wav", ramp);
    ASSERT_TRUE(music->LoadMusic(1, "once.wav"));
    music->PlayMusic(1, 0, true);
    const std::vector<int> heard = Render(8192);
    EXPECT_EQ(std::vector<int>(heard.begin(), heard.begin() + 6000), Looped(ramp, 0, 3000));
    EXPECT_EQ(Loudest(std::vector<int>(heard.begin() + 6000, heard.end())), 0);
    EXPECT_FALSE(music->IsPlaying(1));
}

TEST_F(MusicPlaybackTest, VolumesAndFadesReachTheMixer)
{
    MakeBass();
    Write("loud.wav", ConstantFrames(4000, 20000));
    ASSERT_TRUE(music->LoadMusic(1, "loud.wav"));
    music->PlayMusic(1, 0, false);
    music->SetSongVolume(1, 0.5);
    EXPECT_NEAR(Loudest(Render(2048)), 10000, 100);
    music->SetVolume(0.5);
    EXPECT_NEAR(Loudest(Render(2048)), 5000, 100);
    music->SetVolume(1.0);

    music->FadeOut(1, false, kSlow);
    for (int update = 0; update < 101; ++update) {
        music->Update();
    }
    EXPECT_EQ(Loudest(Render(2048)), 0);
    EXPECT_TRUE(music->IsPlaying(1));

    music->FadeIn(1, -1, kSlow, false);
    for (int update = 0; update < 101; ++update) {
        music->Update();
    }
    EXPECT_EQ(Loudest(Render(2048)), 20000);

    music->FadeOut(1, true, kSlow);
    for (int update = 0; update < 101; ++update) {
        music->Update();
    }
    EXPECT_FALSE(music->IsPlaying(1));
    EXPECT_EQ(Loudest(Render(2048)), 0);

    music->UnloadMusic(1);
    music->PlayMusic(1, 0, false);
    EXPECT_FALSE(music->IsPlaying(1));
    EXPECT_EQ(Loudest(Render(2048)), 0);
}

TEST_F(MusicPlaybackTest, ModulesPlayFromTheOrderAsked)
{
    MakeBass();
    temp.Write("square.mod", MusicFiles::SquareModule());
    ASSERT_TRUE(music->LoadMusic(2, "square.mod"));
    music->PlayMusic(2, 0, false);
    EXPECT_GT(Loudest(Render(8192)), 1000);
    // Order 1 sounds the note at volume 0: after the old note's ramp down, silence.
    music->PlayMusic(2, 1, false);
    const std::vector<int> order1 = Render(8192);
    EXPECT_LT(Loudest(std::vector<int>(order1.begin() + 1024, order1.end())), 50);
    music->UnloadAllMusic();
    EXPECT_FALSE(music->IsPlaying(2));

    temp.Write("broken.xm", "Extended Module: but nothing after it");
    EXPECT_FALSE(music->LoadMusic(3, "broken.xm"));
}

TEST_F(MusicPlaybackTest, FmodPlaysModulesAndFadesThem)
{
    MakeFmod();
    temp.Write("square.mod", MusicFiles::SquareModule());
    ASSERT_TRUE(music->LoadMusic(0, "square.mod"));
    music->PlayMusic(0, 0, false);
    EXPECT_TRUE(music->IsPlaying(0));
    EXPECT_GT(Loudest(Render(8192)), 300);
    music->PauseMusic(0);
    EXPECT_EQ(Loudest(Render(4096)), 0);
    music->ResumeMusic(0);
    EXPECT_GT(Loudest(Render(8192)), 300);
    music->FadeOut(0, true, kSlow);
    for (int update = 0; update < 101; ++update) {
        music->Update();
    }
    EXPECT_FALSE(music->IsPlaying(0));
    EXPECT_EQ(Loudest(Render(4096)), 0);
}

// The song plays at 100 of FMOD's 255 steps of channel volume.
int AtSampleSongVolume(int sample)
{
    return int(std::lround(sample * 100.0 / 255.0));
}

TEST_F(MusicPlaybackTest, FmodSampleSongsAreDecodedOnceIntoTheCache)
{
    MakeFmod();
    auto& fmod = static_cast<Tolm::FModMusicInterface&>(*music);
    const std::string wave = StereoWave(ConstantFrames(2000, 12000));
    // FMOD reads a file by its contents: this "Ogg" file holds a WAVE file.
    temp.Write("music/theme.ogg", wave);
    ASSERT_TRUE(fmod.LoadSampleSong(5, "music\\theme", true));
    EXPECT_EQ(temp.Read("cached/theme.wav"), wave);
    music->PlayMusic(5, 0, false);
    EXPECT_NEAR(Loudest(Render(4096)), AtSampleSongVolume(12000), 2);
    EXPECT_FALSE(music->IsPlaying(5));

    // Without its source the song comes from the cache.
    std::remove((temp.Path() + "music/theme.ogg").c_str());
    ASSERT_TRUE(fmod.LoadSampleSong(6, "music\\theme", false));
    EXPECT_FALSE(fmod.LoadSampleSong(7, "music\\missing", false));
}

TEST_F(MusicPlaybackTest, FmodTwoPartSongsLoopTheirSecondPart)
{
    MakeFmod();
    auto& fmod = static_cast<Tolm::FModMusicInterface&>(*music);
    const std::vector<int16_t> loop = RampFrames(500);
    Write("intro.ogg", ConstantFrames(1000, 15000));
    Write("loop.ogg", loop);
    ASSERT_TRUE(fmod.LoadTwoPartSong(1, "intro", "loop", true));
    music->PlayMusic(1, 0, false);
    const std::vector<int> heard = Render(4000);
    for (int frame = 0; frame < 4000; ++frame) {
        const int expected = frame < 1000 ? 15000 : loop[size_t(2 * ((frame - 1000) % 500))];
        ASSERT_NEAR(heard[size_t(2 * frame)], AtSampleSongVolume(expected), 2) << "frame " << frame;
    }

    // Both parts must have one layout and rate.
    temp.Write("mono.ogg", MusicFiles::Wave(std::vector<int16_t>(500, 1), 1, 44100));
    temp.Write("slow.ogg", MusicFiles::Wave(loop, 2, 22050));
    EXPECT_FALSE(fmod.LoadTwoPartSong(2, "intro", "mono", true));
    EXPECT_FALSE(fmod.LoadTwoPartSong(3, "intro", "slow", true));
    EXPECT_FALSE(fmod.LoadTwoPartSong(4, "intro", "missing", true));
}

} // namespace
