// A sound manager and an instance that do nothing, for fakes that override only what a test watches.
#pragma once

#include "sound/SoundManager.h"

class NullSoundInstance : public Tolm::SoundInstance
{
public:
    void Release() override {}
    void SetBaseVolume(double) override {}
    void SetBasePan(int) override {}
    void SetPitch(double) override {}
    void SetVolume(double) override {}
    void SetPan(int) override {}
    bool Play(bool, bool) override { return false; }
    void Stop() override {}
    bool IsPlaying() override { return false; }
    bool IsReleased() override { return false; }
    double GetVolume() override { return 1.0; }
};

class NullSoundManager : public Tolm::SoundManager
{
public:
    bool HasDevice() override { return false; }
    int FindOrLoadSound(const std::string&) override { return -1; }
    bool LoadSound(int, const std::string&) override { return true; }
    void ReleaseSound(int) override {}
    void SetVolume(double) override {}
    bool SetBaseVolume(int, double) override { return true; }
    bool SetBasePan(int, int) override { return true; }
    Tolm::SoundInstance* NewInstance(int) override { return nullptr; }
    void ReleaseAllSounds() override {}
    void DeleteAllInstances() override {}
    double GetMixerVolume() override { return 1.0; }
    void SetMixerVolume(double) override {}
    void Flush() override {}
    void SetWindow(Platform::WindowHandle, bool) override {}
    void StopAll() override {}
    int GetFreeSoundId() override { return 0; }
    int GetSoundCount() override { return 0; }
};
