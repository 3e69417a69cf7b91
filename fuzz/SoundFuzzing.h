// What the sound-loader fuzz targets share: each input is written to a file of the format's extension
// in the target's scratch folder (the loaders read by name, as the game does) and loaded into a sound manager on a
// headless device; a sound that loads is played through the mixer to its end, so that every sample is read.
#pragma once

#include "ScratchFolder.h"
#include "platform/DirectSound.h"
#include "platform/Library.h"
#include "sound/DSoundManager.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace SoundFuzzing {

inline int32_t CreateHeadlessDevice(std::unique_ptr<Platform::DirectSoundDevice>* device)
{
    *device = Platform::DirectSoundDevice::CreateHeadless(44100);
    return Platform::DS_OK;
}

// The manager decodes MP3 too, so every loader is reachable.
inline Tolm::DSoundManager& Manager()
{
    static Tolm::DSoundManager* manager = [] {
        Platform::InstallLibrary(
            "dsound.dll", {{"DirectSoundCreate", reinterpret_cast<Platform::LibraryProc>(&CreateHeadlessDevice)}});
        return new Tolm::DSoundManager(1, true);
    }();
    return *manager;
}

inline int LoadInput(const uint8_t* data, size_t size, const char* extension)
{
    // The loaders take the name without its extension and find the file by trying theirs.
    static const std::string base = ScratchFolder::FilePath("input");
    if (!ScratchFolder::WriteFile(base + extension, std::string_view(reinterpret_cast<const char*>(data), size))) {
        return 0;
    }
    Tolm::DSoundManager& manager = Manager();
    manager.DeleteAllInstances();
    if (!manager.LoadSound(0, base)) {
        return 0;
    }
    if (Tolm::SoundInstance* instance = manager.NewInstance(0)) {
        instance->Play(false, true);
        std::vector<int16_t> out(2 * 4096);
        // At most 100 blocks: the longest sound a fuzzer finds would take too long to play whole.
        for (int block = 0; block < 100 && instance->IsPlaying(); ++block) {
            manager.GetDevice()->Mixer().Render(out.data(), 4096);
        }
    }
    manager.ReleaseSound(0);
    return 0;
}

} // namespace SoundFuzzing
