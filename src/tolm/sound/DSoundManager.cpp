// The sound manager's slots, instances, volumes and device.
#include "sound/DSoundManager.h"

#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/Library.h"
#include "sound/DSoundInstance.h"
#include "sound/FmodLibrary.h"

#include <algorithm>
#include <cmath>

namespace Tolm {

namespace {

bool IsValidId(int id)
{
    return id >= 0 && id < SoundManager::kMaxSoundIds;
}

std::unique_ptr<Platform::DirectSoundDevice> CreateDevice()
{
    std::unique_ptr<Platform::DirectSoundDevice> device;
    Platform::Library* dsound = Platform::LoadLibrary("dsound.dll");
    auto create =
        reinterpret_cast<Platform::DirectSoundCreateProc>(Platform::GetProcAddress(dsound, "DirectSoundCreate"));
    if (create && create(&device) != Platform::DS_OK) {
        device.reset();
    }
    Platform::FreeLibrary(dsound);
    return device;
}

} // namespace

int32_t DirectSoundVolume(double volume)
{
    // Not-a-number fails both comparisons and falls to silence.
    const double v = volume >= 1.0 ? 1.0 : (volume > 0.0 ? volume : 0.0);
    const auto level = int32_t((std::log10(9.0 * v + 1.0) - 1.0) * 2333.0);
    return level < -2000 ? Platform::DSBVOLUME_MIN : level;
}

uint32_t PitchedFrequency(int defaultFrequency, double semitones)
{
    const double frequency = std::pow(1.0594630943592953, semitones) * defaultFrequency;
    return uint32_t(std::clamp(frequency, double(Platform::DSBFREQUENCY_MIN), double(Platform::DSBFREQUENCY_MAX)));
}

DSoundManager::DSoundManager(Platform::WindowHandle window, bool useFmod)
{
    if (window == 0) {
        return;
    }
    device = CreateDevice();
    if (!device) {
        return;
    }
    if (useFmod) {
        fmod = LoadFmodLibrary();
    }
    if (fmod) {
        fmod->FSOUND_SetHWND(reinterpret_cast<void*>(uintptr_t(window)));
        fmod->FSOUND_SetBufferSize(200);
        fmod->FSOUND_Init(44100, 64, 2);
    }
    if (device->SetCooperativeLevel(window, Platform::DSSCL_PRIORITY) != Platform::DS_OK) {
        device->SetCooperativeLevel(window, Platform::DSSCL_NORMAL);
        return;
    }
    Platform::BufferDescription primary;
    primary.flags = Platform::DSBCAPS_PRIMARYBUFFER;
    if (device->CreateSoundBuffer(primary, primaryBuffer) == Platform::DS_OK) {
        primaryBuffer->SetFormat(Platform::WaveFormat{Platform::WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16});
    }
}

DSoundManager::~DSoundManager()
{
    DeleteAllInstances();
    for (SoundSlot& slot : slots) {
        slot.buffer.reset();
    }
    primaryBuffer.reset();
    if (device && fmod) {
        fmod->FSOUND_Close();
    }
    device.reset();
    if (fmod) {
        FreeFmodLibrary();
    }
}

bool DSoundManager::HasDevice()
{
    return device != nullptr;
}

int DSoundManager::FindOrLoadSound(const std::string& file)
{
    for (int id = 0; id < kMaxSoundIds; ++id) {
        if (slots[id].name == file) {
            return id;
        }
    }
    for (int id = kMaxSoundIds - 1; id >= 0; --id) {
        if (!slots[id].buffer) {
            return LoadSound(id, file) ? id : -1;
        }
    }
    return -1;
}

bool DSoundManager::LoadSound(int id, const std::string& file)
{
    if (!IsValidId(id)) {
        return false;
    }
    ReleaseSound(id);
    if (!device) {
        return true;
    }
    slots[id].name = file;
    return LoadWavSound(id, file + ".wav") || (fmod && LoadFmodSound(id, file + ".mp3")) ||
           LoadOggSound(id, file + ".ogg") || LoadAuSound(id, file + ".au");
}

void DSoundManager::ReleaseSound(int id)
{
    if (!IsValidId(id) || !slots[id].buffer) {
        return;
    }
    slots[id].buffer.reset();
    slots[id].name.clear();
}

void DSoundManager::SetVolume(double newVolume)
{
    volume = newVolume;
    for (auto& instance : instances) {
        if (instance) {
            instance->ApplyVolume();
        }
    }
}

bool DSoundManager::SetBaseVolume(int id, double baseVolume)
{
    if (!IsValidId(id)) {
        return false;
    }
    slots[id].baseVolume = baseVolume;
    return true;
}

bool DSoundManager::SetBasePan(int id, int basePan)
{
    if (!IsValidId(id)) {
        return false;
    }
    slots[id].basePan = basePan;
    return true;
}

SoundInstance* DSoundManager::NewInstance(int id)
{
    if (!IsValidId(id)) {
        return nullptr;
    }
    const int slot = FindFreeInstanceSlot();
    if (slot < 0 || (device && !slots[id].buffer)) {
        return nullptr;
    }
    auto instance = std::make_unique<DSoundInstance>(this, slots[id].buffer.get());
    if (device && !instance->HasBuffer()) {
        // Nothing can be duplicated when memory runs out: the sound is not played.
        if (!duplicationFailureReported) {
            duplicationFailureReported = true;
            Platform::DebugOutput("A sound buffer could not be duplicated; sounds are skipped.\r\n");
        }
        return nullptr;
    }
    instance->SetBasePan(slots[id].basePan);
    instance->SetBaseVolume(slots[id].baseVolume);
    instances[slot] = std::move(instance);
    return instances[slot].get();
}

void DSoundManager::ReleaseAllSounds()
{
    for (SoundSlot& slot : slots) {
        slot.buffer.reset();
    }
}

void DSoundManager::DeleteAllInstances()
{
    for (auto& instance : instances) {
        instance.reset();
    }
}

double DSoundManager::GetMixerVolume()
{
    return mixerLevel / 65535.0;
}

void DSoundManager::SetMixerVolume(double newVolume)
{
    mixerLevel = uint32_t(std::clamp(newVolume, 0.0, 1.0) * 65535.0);
    if (device) {
        // Full level is unity gain.
        device->Mixer().SetMasterGain(int32_t(mixerLevel + (mixerLevel >> 15)));
    }
}

void DSoundManager::SetWindow(Platform::WindowHandle window, bool)
{
    if (device) {
        device->SetCooperativeLevel(window, Platform::DSSCL_NORMAL);
    }
}

void DSoundManager::StopAll()
{
    for (auto& instance : instances) {
        if (instance) {
            const bool autoRelease = instance->GetAutoRelease();
            instance->Stop();
            instance->SetAutoRelease(autoRelease);
        }
    }
}

int DSoundManager::GetFreeSoundId()
{
    for (int id = 0; id < kMaxSoundIds; ++id) {
        if (!slots[id].buffer) {
            return id;
        }
    }
    return -1;
}

int DSoundManager::GetSoundCount()
{
    return int(std::count_if(slots.begin(), slots.end(), [](const SoundSlot& slot) { return slot.buffer != nullptr; }));
}

int DSoundManager::FindFreeInstanceSlot()
{
    const uint32_t now = Platform::GetClock().Milliseconds();
    if (now - lastPurgeTime > 1000) {
        PurgeReleasedInstances();
        lastPurgeTime = now;
    }
    for (int slot = 0; slot < kMaxInstances; ++slot) {
        if (!instances[slot]) {
            return slot;
        }
        if (instances[slot]->IsReleased()) {
            instances[slot].reset();
            return slot;
        }
    }
    return -1;
}

void DSoundManager::PurgeReleasedInstances()
{
    for (auto& instance : instances) {
        if (instance && instance->IsReleased()) {
            instance.reset();
        }
    }
}

} // namespace Tolm
