// The music manifest on arbitrary contents: an input is cut into "properties\music.xml" and three music
// files it may name (music\a.ogg, music\b.wav, music\c.mod), written into the target's scratch folder
// as the working folder. The music manager reads the manifest as the game does at start-up and loads
// the tracks it names into the BASS back end on a headless device; then the menu and level tracks are
// switched, faded and heard for a few blocks, so that whatever the manifest and its files hold is played.
#include "ScratchFolder.h"
#include "app/TolmAppBase.h"
#include "platform/DebugOutput.h"
#include "platform/DirectSound.h"
#include "platform/Library.h"
#include "platform/MessageBox.h"
#include "sound/BassLibrary.h"
#include "sound/BassMusicInterface.h"
#include "sound/MusicManager.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kFiles = {"properties/music.xml", "music/a.ogg", "music/b.wav", "music/c.mod"};

constexpr int kBlockFrames = 1024;

struct Silent : Platform::MessageBoxSink, Platform::DebugOutputSink
{
    int Show(Platform::WindowHandle, const std::string&, const std::string&, uint32_t) override { return 1; }
    void Write(const std::string&) override {}
};

std::shared_ptr<Platform::SoundMixer>& Mixer()
{
    static auto* mixer = new std::shared_ptr<Platform::SoundMixer>(std::make_shared<Platform::SoundMixer>(44100));
    return *mixer;
}

int32_t CreateDevice(std::unique_ptr<Platform::DirectSoundDevice>* device)
{
    *device = Platform::DirectSoundDevice::CreateOn(Mixer());
    return Platform::DS_OK;
}

// The library refills its channels' buffers on its own update, as its thread would.
Platform::BASS_UpdateProc Refill()
{
    static const Platform::BASS_UpdateProc refill = [] {
        Platform::Library* library = Platform::LoadLibrary("bass.dll");
        auto entry = reinterpret_cast<Platform::BASS_UpdateProc>(Platform::GetProcAddress(library, "BASS_Update"));
        Platform::FreeLibrary(library);
        return entry;
    }();
    return refill;
}

Tolm::TolmAppBase& App()
{
    static Tolm::TolmAppBase* app = [] {
        static Silent silent;
        Platform::SetMessageBoxSink(&silent);
        Platform::SetDebugOutputSink(&silent);
        Platform::InstallLibrary("dsound.dll",
                                 {{"DirectSoundCreate", reinterpret_cast<Platform::LibraryProc>(&CreateDevice)}});
        return new Tolm::TolmAppBase;
    }();
    return *app;
}

void Listen(int blocks)
{
    std::vector<int16_t> out(2 * kBlockFrames);
    for (int block = 0; block < blocks; ++block) {
        Refill()();
        Mixer()->Render(out.data(), kBlockFrames);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Tolm::TolmAppBase& app = App();
    ScratchFolder::WriteCase(data, size, kFiles);
    ScratchFolder::AsWorkingFolder inFolder;
    app.musicInterface = std::make_unique<Tolm::BassMusicInterface>(Tolm::LoadBassLibrary(), 1);
    {
        MusicManager* music = MusicManager::Instance();
        PlayMenuMusic();
        Listen(2);
        for (int level : {1, 6, 11}) {
            PlayLevelMusic(level);
            app.musicInterface->Update();
            Listen(1);
            if (music->GetCurrentTrack() != 1 + (level - 1) / 5) {
                std::abort();
            }
        }
        FadeOutMusic();
        FadeInMusic();
        app.musicInterface->Update();
        Listen(1);
        delete MusicManager::RegisteredInstance();
    }
    app.musicInterface.reset();
    return 0;
}
