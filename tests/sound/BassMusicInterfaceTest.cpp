// What the BASS music interface asks of its library, recorded by a stand-in library: start-up for each
// library generation, loading streams and modules, playing, fading at each update, volumes, pausing,
// unloading, and the library's failures.
#include "sound/BassMusicInterface.h"

#include "RecordingLibraries.h"
#include "platform/FileSystem.h"
#include "sound/BassLibrary.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

constexpr Platform::WindowHandle kWindow = 7;
constexpr int64_t kStream = 0x51;
constexpr int64_t kModule = 0x52;
// The fade speeds of the game: single-precision constants widened.
constexpr double kSlow = double(0.01f);
constexpr double kFast = double(0.05f);

LibraryCall Call(const std::string& name, std::vector<int64_t> arguments)
{
    return {name, std::move(arguments)};
}

class BassMusicInterfaceTest : public testing::Test
{
protected:
    BassMusicInterfaceTest() : previousFolder(Platform::CurrentFolder())
    {
        Platform::SetCurrentFolder(temp.Path());
        CallLog::Reset();
        Platform::InstallLibrary("bass.dll", RecordingBassExports());
    }
    ~BassMusicInterfaceTest() override
    {
        music.reset();
        Platform::InstallDefaultLibraries();
        CallLog::Reset();
        Platform::SetCurrentFolder(previousFolder);
    }

    Tolm::BassMusicInterface& Make()
    {
        music = std::make_unique<Tolm::BassMusicInterface>(Tolm::LoadBassLibrary(), kWindow);
        CallLog::calls.clear();
        return *music;
    }

    // A song file of ten bytes, loaded under the id as the library's handle.
    bool Load(int songId, const std::string& file, int64_t handle)
    {
        temp.Write(file, "0123456789");
        CallLog::answers["BASS_StreamCreateFile"] = handle;
        CallLog::answers["BASS_MusicLoad"] = handle;
        const bool loaded = music->LoadMusic(songId, file);
        CallLog::calls.clear();
        return loaded;
    }

    // The volume each update gives the channel, until the fade ends; the log keeps the fade's calls.
    std::vector<int64_t> FadeVolumes()
    {
        CallLog::calls.clear();
        std::vector<int64_t> volumes;
        for (int update = 0; update < 200; ++update) {
            const size_t before = CallLog::calls.size();
            music->Update();
            if (CallLog::calls.size() == before) {
                break;
            }
            volumes.push_back(CallLog::calls.back().arguments[2]);
        }
        return volumes;
    }

    TempFolder temp;
    std::string previousFolder;
    std::unique_ptr<Tolm::BassMusicInterface> music;
};

TEST_F(BassMusicInterfaceTest, StartsAndEndsTheLibraryAsItsGenerationTakes)
{
    music = std::make_unique<Tolm::BassMusicInterface>(Tolm::LoadBassLibrary(), kWindow);
    EXPECT_EQ(CallLog::calls, (std::vector<LibraryCall>{Call("BASS_Init", {1, 44100, 0, kWindow, 0}),
                                                        Call("BASS_SetConfig", {0, 2000}), Call("BASS_Start", {})}));
    CallLog::calls.clear();
    music.reset();
    EXPECT_EQ(CallLog::calls, (std::vector<LibraryCall>{Call("BASS_Stop", {}), Call("BASS_Free", {})}));

    Platform::InstallLibrary("bass.dll", RecordingOlderBassExports());
    CallLog::calls.clear();
    music = std::make_unique<Tolm::BassMusicInterface>(Tolm::LoadBassLibrary(), kWindow);
    EXPECT_EQ(CallLog::calls,
              (std::vector<LibraryCall>{Call("BASS_Init", {-1, 44100, 0, kWindow}), Call("BASS_Start", {})}));
}

TEST_F(BassMusicInterfaceTest, SampledFilesBecomeStreamsAndTheRestModules)
{
    Make();
    const struct
    {
        const char* file;
        const char* entry;
    } cases[] = {{"music.OGG", "BASS_StreamCreateFile"}, {"a.wav", "BASS_StreamCreateFile"},
                 {"b.Mp3", "BASS_StreamCreateFile"},     {"music.xm", "BASS_MusicLoad"},
                 {"tune.mod", "BASS_MusicLoad"},         {"noextension", "BASS_MusicLoad"}};
    int songId = 0;
    for (const auto& row : cases) {
        temp.Write(row.file, "0123456789");
        CallLog::calls.clear();
        EXPECT_TRUE(music->LoadMusic(songId++, row.file)) << row.file;
        ASSERT_EQ(CallLog::calls.size(), 1u) << row.file;
        const LibraryCall& call = CallLog::calls[0];
        EXPECT_EQ(call.name, row.entry) << row.file;
        // From memory, at offset 0, with the file's length; streams without flags, modules with ramping
        // and looping and the output's rate.
        EXPECT_EQ(call.arguments[0], 1);
        EXPECT_EQ(call.arguments[2], 0);
        EXPECT_EQ(call.arguments[3], 10);
        const std::vector<int64_t> rest(call.arguments.begin() + 4, call.arguments.end());
        const std::vector<int64_t> expected =
            call.name == "BASS_MusicLoad" ? std::vector<int64_t>{0x204, 0} : std::vector<int64_t>{0};
        EXPECT_EQ(rest, expected);
    }
}

TEST_F(BassMusicInterfaceTest, LoadingFailsWithoutFileOrHandleAndKeepsTheFirstSong)
{
    Make();
    EXPECT_FALSE(music->LoadMusic(1, "missing.ogg"));
    EXPECT_TRUE(CallLog::calls.empty());
    EXPECT_FALSE(Load(1, "refused.ogg", 0));
    EXPECT_TRUE(Load(1, "first.ogg", kStream));
    temp.Write("second.xm", "0123456789");
    EXPECT_FALSE(music->LoadMusic(1, "second.xm"));
    EXPECT_TRUE(CallLog::calls.empty());
    music->PlayMusic(1, 0, false);
    EXPECT_EQ(CallLog::calls.front(), Call("BASS_ChannelSetAttributes", {kStream, -1, 100, -101}));
}

TEST_F(BassMusicInterfaceTest, OlderLibrariesLoadModulesWithTheirArgumentList)
{
    Platform::InstallLibrary("bass.dll", RecordingOlderBassExports());
    Make();
    temp.Write("tune.it", "0123456789");
    CallLog::answers["BASS_MusicLoad"] = kModule;
    ASSERT_TRUE(music->LoadMusic(2, "tune.it"));
    ASSERT_EQ(CallLog::calls.size(), 1u);
    EXPECT_EQ(CallLog::calls[0].arguments.size(), 5u);
    EXPECT_EQ(CallLog::calls[0].arguments[4], 4);
}

// The order position is 0x80000000 | the offset's low 16 bits, widened with its sign.
TEST_F(BassMusicInterfaceTest, PlayingStartsModulesAtAnOrderAndStreamsAtAByte)
{
    Make();
    ASSERT_TRUE(Load(1, "tune.xm", kModule));
    ASSERT_TRUE(Load(2, "song.ogg", kStream));
    music->PlayMusic(1, 2, false);
    EXPECT_EQ(CallLog::calls,
              (std::vector<LibraryCall>{Call("BASS_ChannelSetAttributes", {kModule, -1, 100, -101}),
                                        Call("BASS_ChannelStop", {kModule}), Call("BASS_ChannelStop", {kModule}),
                                        Call("BASS_ChannelSetPosition", {kModule, int64_t(0xFFFFFFFF80000002)}),
                                        Call("BASS_ChannelSetFlags", {kModule, 0x8204}),
                                        Call("BASS_ChannelPlay", {kModule, 0})}));
    CallLog::calls.clear();
    music->PlayMusic(2, 5, true);
    EXPECT_EQ(CallLog::calls,
              (std::vector<LibraryCall>{Call("BASS_ChannelSetAttributes", {kStream, -1, 100, -101}),
                                        Call("BASS_ChannelStop", {kStream}), Call("BASS_ChannelSetFlags", {kStream, 0}),
                                        Call("BASS_ChannelPlay", {kStream, 1}),
                                        Call("BASS_ChannelSetPosition", {kStream, 5})}));
    CallLog::calls.clear();
    music->PlayMusic(2, -1, false);
    EXPECT_EQ(CallLog::Named("BASS_ChannelPlay"), (std::vector<LibraryCall>{Call("BASS_ChannelPlay", {kStream, 0})}));
    EXPECT_TRUE(CallLog::Named("BASS_ChannelSetPosition").empty());
}

TEST_F(BassMusicInterfaceTest, FadingInRestartsAModuleOrMovesItToTheOrder)
{
    Make();
    ASSERT_TRUE(Load(1, "tune.xm", kModule));
    music->FadeIn(1, -1, kSlow, false);
    EXPECT_EQ(CallLog::calls, (std::vector<LibraryCall>{Call("BASS_ChannelStop", {kModule}),
                                                        Call("BASS_ChannelSetAttributes", {kModule, -1, 0, -101}),
                                                        Call("BASS_ChannelPlay", {kModule, 1})}));
    CallLog::calls.clear();
    music->FadeIn(1, 0, kSlow, true);
    EXPECT_EQ(CallLog::calls,
              (std::vector<LibraryCall>{
                  Call("BASS_ChannelStop", {kModule}), Call("BASS_ChannelSetAttributes", {kModule, -1, 0, -101}),
                  Call("BASS_ChannelStop", {kModule}),
                  Call("BASS_ChannelSetPosition", {kModule, int64_t(0xFFFFFFFF80000000)}),
                  Call("BASS_ChannelSetFlags", {kModule, 0x200}), Call("BASS_ChannelPlay", {kModule, 0})}));
}

// Worked out in double arithmetic from the step 0.009999999776482582: after n steps up from 0 the
// volume lies just below n/100, so it truncates to n - 1 hundredths until the 101st step passes the cap
// of 1; down from 1 it lies just above (100 - n)/100 and reaches 0 at the 100th step, still 2.2e-8,
// and passes below it at the 101st.
TEST_F(BassMusicInterfaceTest, FadeTables)
{
    Make();
    ASSERT_TRUE(Load(1, "song.ogg", kStream));

    music->FadeIn(1, 0, kSlow, false);
    const std::vector<int64_t> in = FadeVolumes();
    ASSERT_EQ(in.size(), 101u);
    const std::pair<int, int64_t> inRows[] = {{1, 0}, {2, 1}, {50, 49}, {99, 98}, {100, 99}, {101, 100}};
    for (auto [update, volume] : inRows) {
        EXPECT_EQ(in[size_t(update - 1)], volume) << "fade-in update " << update;
    }

    music->FadeOut(1, false, kSlow);
    const std::vector<int64_t> out = FadeVolumes();
    ASSERT_EQ(out.size(), 101u);
    const std::pair<int, int64_t> outRows[] = {{1, 99}, {2, 98}, {50, 50}, {99, 1}, {100, 0}, {101, 0}};
    for (auto [update, volume] : outRows) {
        EXPECT_EQ(out[size_t(update - 1)], volume) << "fade-out update " << update;
    }
    EXPECT_TRUE(CallLog::Named("BASS_ChannelStop").empty());

    // From 1 at 0.05000000074505806: each step 5 hundredths and a little more.
    music->PlayMusic(1, 0, false);
    music->FadeOut(1, true, kFast);
    EXPECT_EQ(FadeVolumes(),
              (std::vector<int64_t>{94, 89, 84, 79, 74, 69, 64, 59, 54, 49, 44, 39, 34, 29, 24, 19, 14, 9, 4, 0}));
    // Stopped at the last step, before its volume is set.
    EXPECT_EQ(CallLog::Named("BASS_ChannelStop"), (std::vector<LibraryCall>{Call("BASS_ChannelStop", {kStream})}));
    EXPECT_EQ(CallLog::calls[CallLog::calls.size() - 2], Call("BASS_ChannelStop", {kStream}));

    // Silent already: no fade starts.
    music->FadeOut(1, true, kSlow);
    EXPECT_TRUE(FadeVolumes().empty());
}

TEST_F(BassMusicInterfaceTest, VolumesReachTheLibraryTruncated)
{
    Make();
    ASSERT_TRUE(Load(1, "tune.xm", kModule));
    music->SetVolume(0.29);
    music->SetSongVolume(1, 0.5);
    music->SetSongMaxVolume(1, 0.3);
    music->SetSongAmplification(1, 0.29);
    EXPECT_EQ(CallLog::calls,
              (std::vector<LibraryCall>{Call("BASS_SetConfig", {6, 28}), Call("BASS_SetConfig", {5, 28}),
                                        Call("BASS_ChannelSetAttributes", {kModule, -1, 50, -101}),
                                        Call("BASS_ChannelSetAttributes", {kModule, -1, 30, -101}),
                                        Call("BASS_MusicSetAttribute", {kModule, 0, 28})}));
    // The cap holds for the next play.
    CallLog::calls.clear();
    music->PlayMusic(1, 0, false);
    EXPECT_EQ(CallLog::calls.front(), Call("BASS_ChannelSetAttributes", {kModule, -1, 30, -101}));

    music.reset();
    Platform::InstallLibrary("bass.dll", RecordingOlderBassExports());
    Make();
    music->SetVolume(0.29);
    EXPECT_EQ(CallLog::calls, (std::vector<LibraryCall>{Call("BASS_SetGlobalVolumes", {11, 11, 11})}));
}

TEST_F(BassMusicInterfaceTest, PausingResumingStoppingAndUnloading)
{
    Make();
    ASSERT_TRUE(Load(1, "tune.xm", kModule));
    ASSERT_TRUE(Load(2, "song.ogg", kStream));
    music->PauseMusic(1);
    music->ResumeMusic(2);
    EXPECT_EQ(CallLog::calls,
              (std::vector<LibraryCall>{Call("BASS_ChannelPause", {kModule}), Call("BASS_ChannelPlay", {kStream, 0})}));

    // Only what is playing pauses, only what is paused resumes.
    CallLog::calls.clear();
    CallLog::answers["BASS_ChannelIsActive"] = Platform::kBassActivePlaying;
    music->PauseAllMusic();
    music->ResumeAllMusic();
    EXPECT_EQ(CallLog::Named("BASS_ChannelPause").size(), 2u);
    EXPECT_TRUE(CallLog::Named("BASS_ChannelPlay").empty());
    EXPECT_TRUE(music->IsPlaying(1));
    CallLog::answers["BASS_ChannelIsActive"] = Platform::kBassActivePaused;
    EXPECT_FALSE(music->IsPlaying(1));
    CallLog::calls.clear();
    music->ResumeAllMusic();
    EXPECT_EQ(CallLog::Named("BASS_ChannelPlay").size(), 2u);

    CallLog::calls.clear();
    music->UnloadMusic(2);
    EXPECT_EQ(CallLog::calls,
              (std::vector<LibraryCall>{Call("BASS_ChannelStop", {kStream}), Call("BASS_StreamFree", {kStream})}));
    CallLog::calls.clear();
    music->PlayMusic(2, 0, false);
    EXPECT_FALSE(music->IsPlaying(2));
    music->UnloadAllMusic();
    EXPECT_EQ(CallLog::calls,
              (std::vector<LibraryCall>{Call("BASS_ChannelStop", {kModule}), Call("BASS_MusicFree", {kModule})}));
}

using BassLibraryDeathTest = BassMusicInterfaceTest;

TEST_F(BassLibraryDeathTest, AMissingEntryPointEndsTheProgramWithItsName)
{
    Platform::InstallLibrary("bass.dll", Without(RecordingBassExports(), {"BASS_ChannelPause"}));
    EXPECT_EXIT(Tolm::LoadBassLibrary(), testing::ExitedWithCode(0),
                "BASS_ChannelPause function not found in bass.dll");
    Platform::InstallLibrary("bass.dll",
                             Without(RecordingOlderBassExports(), {"BASS_SetGlobalVolumes", "BASS_SetVolume"}));
    EXPECT_EXIT(Tolm::LoadBassLibrary(), testing::ExitedWithCode(0),
                "Neither BASS_SetGlobalVolumes or BASS_SetVolume found in bass.dll");
}

TEST_F(BassMusicInterfaceTest, TheTableIsSharedAndAMissingLibraryGivesNone)
{
    Tolm::BASS_INSTANCE* first = Tolm::LoadBassLibrary();
    EXPECT_TRUE(first->IsNewerGeneration());
    EXPECT_NE(first->BASS_ChannelGetLength, nullptr);
    EXPECT_EQ(Tolm::LoadBassLibrary(), first);
    EXPECT_EQ(first->referenceCount.load(), 2);
    Tolm::FreeBassLibrary();
    Tolm::FreeBassLibrary();
    Platform::InstallLibrary("bass.dll", RecordingOlderBassExports());
    Tolm::BASS_INSTANCE* older = Tolm::LoadBassLibrary();
    EXPECT_FALSE(older->IsNewerGeneration());
    EXPECT_EQ(older->BASS_ChannelGetLength, nullptr);
    Tolm::FreeBassLibrary();
    Platform::RemoveLibrary("bass.dll");
    EXPECT_EQ(Tolm::LoadBassLibrary(), nullptr);
}

} // namespace
