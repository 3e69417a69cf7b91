// The game with its built data set, its sound on SDL's disk audio driver, which records what the mixer
// plays to a file in real time: a game sound is heard in the recording, and after a mute nothing is,
// not even a sound started while muted.
#include "RecordedGameFixture.h"
#include "resources/ResourceLookups.h"
#include "resources/ResourceManager.h"

namespace {

using SoundOutputTest = RecordedGameFixture;

TEST_F(SoundOutputTest, GameSoundsAreHeardUntilMuted)
{
    ASSERT_NO_FATAL_FAILURE(StartGame());
    ASSERT_GE(app->resourceManager->GetSoundId("SOUND_LEVEL_COMPLETE"), 0);

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
