// What the FMOD music interface asks of its library, recorded by a stand-in library: modules and sample
// songs played and faded in, volumes scaled by the interface's volume, fades at each update, and the
// library's failures.
#include "sound/FModMusicInterface.h"

#include "RecordingLibraries.h"
#include "platform/FileSystem.h"
#include "sound/FmodLibrary.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

constexpr int64_t kModule = 0x5000;
constexpr int64_t kOtherModule = 0x6000;
constexpr int64_t kSample = 0x7000;
constexpr double kSlow = double(0.01f);

LibraryCall Call(const std::string& name, std::vector<int64_t> arguments)
{
    return {name, std::move(arguments)};
}

class FModMusicInterfaceTest : public testing::Test
{
protected:
    FModMusicInterfaceTest() : previousFolder(Platform::CurrentFolder())
    {
        // The sample songs' cache folder is made in the working folder.
        Platform::SetCurrentFolder(temp.Path());
        CallLog::Reset();
        Platform::InstallLibrary("fmod.dll", RecordingFmodExports());
        music = std::make_unique<Tolm::FModMusicInterface>(Tolm::LoadFmodLibrary(), 0);
    }
    ~FModMusicInterfaceTest() override
    {
        music.reset();
        Platform::InstallDefaultLibraries();
        CallLog::Reset();
        Platform::SetCurrentFolder(previousFolder);
    }

    void LoadModule(int songId, int64_t module)
    {
        CallLog::answers["_FMUSIC_LoadSong@4"] = module;
        ASSERT_TRUE(music->LoadMusic(songId, "tune.xm"));
        CallLog::calls.clear();
    }

    // The cached copy loads at once here.
    void LoadSampleSong(int songId, bool loop)
    {
        CallLog::answers["_FSOUND_Sample_Load@16"] = kSample;
        ASSERT_TRUE(music->LoadSampleSong(songId, "music\\theme", loop));
        CallLog::calls.clear();
    }

    TempFolder temp;
    std::string previousFolder;
    std::unique_ptr<Tolm::FModMusicInterface> music;
};

TEST_F(FModMusicInterfaceTest, ModulesPlayAtTheInterfaceVolumeFromTheOrder)
{
    LoadModule(1, kModule);
    music->SetVolume(0.5);
    CallLog::calls.clear();
    music->PlayMusic(1, 3, true);
    EXPECT_EQ(CallLog::calls, (std::vector<LibraryCall>{Call("_FMUSIC_SetMasterVolume@8", {kModule, 50}),
                                                        Call("_FMUSIC_SetLooping@8", {kModule, 1}),
                                                        Call("_FMUSIC_PlaySong@4", {kModule}),
                                                        Call("_FMUSIC_SetOrder@8", {kModule, 3})}));
    EXPECT_TRUE(music->IsPlaying(1));

    // A module still playing is only turned up; one left at its place is not moved.
    CallLog::calls.clear();
    music->FadeIn(1, -1, kSlow, false);
    EXPECT_EQ(CallLog::calls, (std::vector<LibraryCall>{Call("_FMUSIC_SetMasterVolume@8", {kModule, 50}),
                                                        Call("_FMUSIC_SetLooping@8", {kModule, 2}),
                                                        Call("_FMUSIC_IsPlaying@4", {kModule})}));
    CallLog::calls.clear();
    CallLog::answers["_FMUSIC_IsPlaying@4"] = 0;
    music->FadeIn(1, 0, kSlow, false);
    EXPECT_EQ(CallLog::Named("_FMUSIC_PlaySong@4").size(), 1u);
    EXPECT_EQ(CallLog::Named("_FMUSIC_SetOrder@8"),
              (std::vector<LibraryCall>{Call("_FMUSIC_SetOrder@8", {kModule, 0})}));
}

TEST_F(FModMusicInterfaceTest, SampleSongsPlayOnTheChannelOfTheirId)
{
    LoadSampleSong(4, true);
    music->PlayMusic(4, 0, false);
    EXPECT_EQ(CallLog::calls,
              (std::vector<LibraryCall>{Call("_FSOUND_PlaySound@8", {4, kSample}),
                                        Call("_FSOUND_SetLoopMode@8", {4, 2}), Call("_FSOUND_SetVolume@8", {4, 100})}));
    EXPECT_FALSE(music->IsPlaying(4));

    CallLog::calls.clear();
    music->FadeIn(4, 0, kSlow, false);
    EXPECT_EQ(CallLog::calls,
              (std::vector<LibraryCall>{Call("_FSOUND_IsPlaying@4", {4}), Call("_FSOUND_SetVolume@8", {4, 100})}));
    CallLog::calls.clear();
    music->PauseMusic(4);
    music->ResumeMusic(4);
    music->StopMusic(4);
    EXPECT_EQ(CallLog::calls,
              (std::vector<LibraryCall>{Call("_FSOUND_SetPaused@8", {4, 1}), Call("_FSOUND_SetPaused@8", {4, 0}),
                                        Call("_FSOUND_StopSound@4", {4})}));
}

// The same steps as the BASS back end's, scaled by 100 and the interface volume 1.
TEST_F(FModMusicInterfaceTest, FadeOutStopsAtSilenceAndFadeOutAllFadesEverySong)
{
    LoadModule(1, kModule);
    LoadModule(2, kOtherModule);
    music->PlayMusic(1, 0, false);
    music->PlayMusic(2, 0, false);
    CallLog::calls.clear();
    music->FadeOutAll(true, kSlow);
    std::vector<int64_t> volumes;
    for (int update = 0; update < 101; ++update) {
        music->Update();
    }
    for (const LibraryCall& call : CallLog::Named("_FMUSIC_SetMasterVolume@8")) {
        if (call.arguments[0] == kModule) {
            volumes.push_back(call.arguments[1]);
        }
    }
    ASSERT_EQ(volumes.size(), 101u);
    EXPECT_EQ(volumes[0], 99);
    EXPECT_EQ(volumes[49], 50);
    EXPECT_EQ(volumes[99], 0);
    EXPECT_EQ(
        CallLog::Named("_FMUSIC_StopSong@4"),
        (std::vector<LibraryCall>{Call("_FMUSIC_StopSong@4", {kModule}), Call("_FMUSIC_StopSong@4", {kOtherModule})}));
    CallLog::calls.clear();
    music->Update();
    EXPECT_TRUE(CallLog::calls.empty());
}

TEST_F(FModMusicInterfaceTest, OnlyTheFirstSongOfAnIdIsKept)
{
    LoadModule(1, kModule);
    EXPECT_FALSE(music->LoadMusic(1, "other.xm"));
    EXPECT_FALSE(music->LoadSampleSong(1, "theme", false));
    EXPECT_TRUE(CallLog::calls.empty());
    CallLog::answers["_FMUSIC_LoadSong@4"] = 0;
    EXPECT_FALSE(music->LoadMusic(2, "missing.xm"));
}

using FmodLibraryDeathTest = FModMusicInterfaceTest;

TEST_F(FmodLibraryDeathTest, AMissingEntryPointEndsTheProgramWithItsQuotedName)
{
    music.reset();
    Platform::InstallLibrary("fmod.dll", Without(RecordingFmodExports(), {"_FMUSIC_SetOrder@8"}));
    EXPECT_EXIT(Tolm::LoadFmodLibrary(), testing::ExitedWithCode(0),
                "\"_FMUSIC_SetOrder@8\" function not found in fmod.dll");
}

} // namespace
