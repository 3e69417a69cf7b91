// What the sound-loader fuzz targets share: each input is written to a file of the format's extension
// (the loaders read by name, as the game does) and loaded into a sound manager on a headless device; a
// sound that loads is played through the mixer to its end, so that every sample is read.
#pragma once

#include "platform/DirectSound.h"
#include "platform/Library.h"
#include "sound/DSoundManager.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace SoundFuzzing {

// One file name per fuzzing process, without the extension, removed at exit.
inline const std::string* inputBase = nullptr;
inline const char* inputExtension = "";

inline void RemoveInput()
{
    std::remove((*inputBase + inputExtension).c_str());
}

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
    if (!inputBase) {
        inputExtension = extension;
        const std::string name = "quendara-fuzz-" + std::to_string(std::random_device()());
        inputBase = new std::string((std::filesystem::temp_directory_path() / name).string());
        std::atexit(RemoveInput);
    }
    std::FILE* file = std::fopen((*inputBase + extension).c_str(), "wb");
    if (!file) {
        return 0;
    }
    const bool written = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) {
        return 0;
    }
    Tolm::DSoundManager& manager = Manager();
    manager.DeleteAllInstances();
    if (!manager.LoadSound(0, *inputBase)) {
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
