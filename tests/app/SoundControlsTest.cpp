// The application's volumes and mute reach the sound manager and the music interface; the music
// interface follows the sound settings.
#include "AppFixture.h"
#include "platform/Library.h"
#include "sound/BassMusicInterface.h"
#include "sound/FModMusicInterface.h"
#include "support/NullSound.h"

#include <typeinfo>

namespace {

class RecordingMusic : public Tolm::MusicInterface
{
public:
    explicit RecordingMusic(std::vector<double>& volumes) : volumes(volumes) {}
    void SetVolume(double volume) override { volumes.push_back(volume); }
    std::vector<double>& volumes;
};

class RecordingSounds : public NullSoundManager
{
public:
    void SetVolume(double volume) override { volumes.push_back(volume); }
    void SetMixerVolume(double volume) override { mixer = volume; }
    double GetMixerVolume() override { return mixer; }
    std::vector<double> volumes;
    double mixer = 1.0;
};

using SoundControlsTest = AppFixture<Tolm::TolmAppBase>;

TEST_F(SoundControlsTest, MutedVolumesReachTheBackEndsAsZero)
{
    Tolm::TolmAppBase& started = StartApp();
    // A headless window never has the focus, which mutes automatically.
    while (started.IsMuted()) {
        started.Unmute(true);
    }
    std::vector<double> musicVolumes;
    started.musicInterface = std::make_unique<RecordingMusic>(musicVolumes);
    auto sounds = std::make_unique<RecordingSounds>();
    RecordingSounds& recorded = *sounds;
    started.soundManager = std::move(sounds);

    started.Mute(true);
    started.SetMusicVolume(0.5);
    started.SetSfxVolume(0.25);
    EXPECT_EQ(started.GetMusicVolume(), 0.5);
    EXPECT_EQ(started.GetSfxVolume(), 0.25);
    started.Unmute(true);
    EXPECT_EQ(musicVolumes, (std::vector<double>{0.0, 0.0, 0.5}));
    EXPECT_EQ(recorded.volumes, (std::vector<double>{0.0, 0.0, 0.25}));

    started.SetMasterVolume(0.3);
    EXPECT_EQ(started.GetSfxVolume(), 0.3);
    EXPECT_EQ(started.GetMasterVolume(), 0.3);
}

TEST_F(SoundControlsTest, MusicInterfaceFollowsTheSoundSettings)
{
    Tolm::TolmAppBase& started = StartApp();
    started.noSound = true;
    auto silent = started.CreateMusicInterface(0);
    EXPECT_EQ(typeid(*silent), typeid(Tolm::MusicInterface));
    started.noSound = false;
    started.useFmod = true;
    auto fmod = started.CreateMusicInterface(0);
    EXPECT_EQ(typeid(*fmod), typeid(Tolm::FModMusicInterface));
    started.useFmod = false;
    auto bass = started.CreateMusicInterface(0);
    EXPECT_EQ(typeid(*bass), typeid(Tolm::BassMusicInterface));

    // A music library that does not load leaves the music silent.
    fmod.reset();
    bass.reset();
    started.musicInterface.reset();
    Platform::RemoveLibrary("bass.dll");
    Platform::RemoveLibrary("fmod.dll");
    auto withoutBass = started.CreateMusicInterface(0);
    EXPECT_EQ(typeid(*withoutBass), typeid(Tolm::MusicInterface));
    started.useFmod = true;
    auto withoutFmod = started.CreateMusicInterface(0);
    EXPECT_EQ(typeid(*withoutFmod), typeid(Tolm::MusicInterface));
    started.useFmod = false;
    Platform::InstallDefaultLibraries();
}

} // namespace
