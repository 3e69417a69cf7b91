// The sound manager: ids, instances and their slots, volumes, pans and pitch, heard through the
// headless device's mixer.
#include "SoundFixture.h"
#include "sound/DSoundInstance.h"

#include <cmath>
#include <limits>

namespace {

using Tolm::SoundInstance;

class DSoundManagerTest : public SoundFixture
{
protected:
    // Id 3 holds a sound of frames samples of 10000.
    Tolm::DSoundManager& ManagerWithSound(int frames = 4)
    {
        MakeManager();
        temp.Write("tone.wav", Wave(std::vector<int16_t>(size_t(frames), 10000)));
        EXPECT_TRUE(manager->LoadSound(3, temp.Path() + "tone"));
        return *manager;
    }
};

TEST(SoundVolumeTest, VolumeFactorsBecomeDirectSoundVolumes)
{
    const struct
    {
        double volume;
        int32_t expected;
    } cases[] = {{1.0, 0},        {0.5, -605},
                 {0.85, -146},    {0.05, -1956},
                 {0.043, -10000}, {0.04, -10000},
                 {0.0, -10000},   {2.0, 0},
                 {-1.0, -10000},  {std::numeric_limits<double>::quiet_NaN(), -10000}};
    for (const auto& entry : cases) {
        EXPECT_EQ(Tolm::DirectSoundVolume(entry.volume), entry.expected) << entry.volume;
    }
}

TEST(SoundVolumeTest, PitchShiftsBySemitonesWithinTheFrequencyRange)
{
    EXPECT_EQ(Tolm::PitchedFrequency(22050, 12), 44100u);
    EXPECT_EQ(Tolm::PitchedFrequency(44100, -48), 2756u);
    EXPECT_EQ(Tolm::PitchedFrequency(44100, -120), 100u);
    EXPECT_EQ(Tolm::PitchedFrequency(44100, 24), 100000u);
}

TEST_F(DSoundManagerTest, InstancePlaysAtManagerVolumeAndBasePanPlusPan)
{
    Tolm::DSoundManager& sounds = ManagerWithSound();
    sounds.SetBasePan(3, -1000);
    SoundInstance* instance = sounds.NewInstance(3);
    ASSERT_NE(instance, nullptr);
    instance->SetPan(3000);
    ASSERT_TRUE(instance->Play(false, true));
    // Pan 2000 takes 20 dB off the left: 10000 x 6554 >> 16.
    EXPECT_EQ(Render(1), (std::vector<int>{1000, 10000}));
    // Manager volume 0.5 is -605: gain 32657, 10000 x 32657 >> 16 = 4983 on the right.
    sounds.SetVolume(0.5);
    instance->SetPan(1000);
    EXPECT_EQ(Render(1), (std::vector<int>{4983, 4983}));
}

TEST_F(DSoundManagerTest, PitchPlaysTheSoundFaster)
{
    MakeManager();
    temp.Write("ramp.wav", Wave({0, 100, 200, 300, 400, 500}));
    ASSERT_TRUE(manager->LoadSound(0, temp.Path() + "ramp"));
    SoundInstance* instance = manager->NewInstance(0);
    instance->SetPitch(12);
    instance->Play(false, true);
    EXPECT_EQ(Render(4), (std::vector<int>{0, 0, 200, 200, 400, 400, 0, 0}));
}

TEST_F(DSoundManagerTest, ThirtySecondInstanceIsTheLast)
{
    Tolm::DSoundManager& sounds = ManagerWithSound(1000);
    for (int i = 0; i < 32; ++i) {
        SoundInstance* instance = sounds.NewInstance(3);
        ASSERT_NE(instance, nullptr) << i;
        instance->Play(false, true);
    }
    EXPECT_EQ(sounds.NewInstance(3), nullptr);
}

TEST_F(DSoundManagerTest, FinishedOneShotFreesItsSlotBeforeThePurge)
{
    Tolm::DSoundManager& sounds = ManagerWithSound(4);
    std::vector<SoundInstance*> playing;
    for (int i = 0; i < 32; ++i) {
        playing.push_back(sounds.NewInstance(3));
        playing.back()->Play(false, i != 0);
    }
    // The first plays without auto-release and so is never collected; the others end here.
    Render(8);
    EXPECT_NE(sounds.NewInstance(3), nullptr);
    EXPECT_FALSE(playing[0]->IsReleased());
}

TEST_F(DSoundManagerTest, StopAllKeepsEachInstancesAutoRelease)
{
    Tolm::DSoundManager& sounds = ManagerWithSound(1000);
    SoundInstance* oneShot = sounds.NewInstance(3);
    oneShot->Play(false, true);
    SoundInstance* loop = sounds.NewInstance(3);
    loop->Play(true, false);
    sounds.StopAll();
    EXPECT_FALSE(oneShot->IsPlaying());
    EXPECT_FALSE(loop->IsPlaying());
    EXPECT_TRUE(oneShot->IsReleased());
    EXPECT_FALSE(loop->IsReleased());
    EXPECT_EQ(Render(1), (std::vector<int>{0, 0}));
}

TEST_F(DSoundManagerTest, IdsOutsideTheTableOrWithoutSoundGiveNoInstance)
{
    Tolm::DSoundManager& sounds = ManagerWithSound();
    EXPECT_EQ(sounds.NewInstance(256), nullptr);
    EXPECT_EQ(sounds.NewInstance(-1), nullptr);
    EXPECT_EQ(sounds.NewInstance(4), nullptr);
    EXPECT_FALSE(sounds.SetBaseVolume(256, 1.0));
    EXPECT_FALSE(sounds.SetBasePan(-1, 0));
    sounds.ReleaseSound(300);
    EXPECT_EQ(sounds.GetSoundCount(), 1);
    EXPECT_EQ(sounds.GetFreeSoundId(), 0);
}

TEST_F(DSoundManagerTest, FindOrLoadSoundCountsDownFrom255AndFindsByName)
{
    MakeManager();
    temp.Write("a.wav", Wave({1, 2}));
    temp.Write("b.wav", Wave({1, 2}));
    EXPECT_EQ(manager->FindOrLoadSound(temp.Path() + "a"), 255);
    EXPECT_EQ(manager->FindOrLoadSound(temp.Path() + "b"), 254);
    EXPECT_EQ(manager->FindOrLoadSound(temp.Path() + "a"), 255);
    EXPECT_EQ(manager->FindOrLoadSound(temp.Path() + "missing"), -1);
    manager->ReleaseSound(255);
    EXPECT_EQ(manager->GetSoundCount(), 1);
}

TEST_F(DSoundManagerTest, MixerVolumeScalesEverything)
{
    Tolm::DSoundManager& sounds = ManagerWithSound();
    sounds.SetMixerVolume(0.5);
    EXPECT_NEAR(sounds.GetMixerVolume(), 32767 / 65535.0, 1e-9);
    sounds.NewInstance(3)->Play(false, true);
    // Level 32767 is gain 32767: 10000 x 32767 >> 16 = 4999.
    EXPECT_EQ(Render(1), (std::vector<int>{4999, 4999}));
}

TEST_F(DSoundManagerTest, WithoutDeviceLoadsSucceedAndInstancesAreSilent)
{
    Platform::RemoveLibrary("dsound.dll");
    MakeManager();
    EXPECT_FALSE(manager->HasDevice());
    EXPECT_TRUE(manager->LoadSound(7, temp.Path() + "nothing"));
    EXPECT_EQ(manager->GetSoundCount(), 0);
    SoundInstance* instance = manager->NewInstance(7);
    ASSERT_NE(instance, nullptr);
    EXPECT_FALSE(instance->Play(false, true));
    EXPECT_TRUE(instance->IsReleased());

    Tolm::DSoundManager windowless(0, false);
    EXPECT_FALSE(windowless.HasDevice());
}

} // namespace
