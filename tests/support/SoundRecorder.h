// What the game plays, by resource id, for tests and the harness: a sound manager that decodes nothing
// and notes every instance that is played. The resource manager of TestResources.h tells it the names.
#pragma once

#include "NullSound.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tolm {
class TolmAppBase;
}

// The sounds played, in order, by resource id ("#n" for a sound id no resource names).
class SoundRecorder
{
public:
    void Name(int soundId, const std::string& resourceId);
    void Played(int soundId);
    // Everything played since the last call.
    std::vector<std::string> Take();

private:
    std::mutex lock;
    std::map<int, std::string> names;
    std::vector<std::string> played;
};

class RecordingSoundManager : public NullSoundManager
{
public:
    explicit RecordingSoundManager(SoundRecorder& recorder) : recorder(recorder) {}

    bool HasDevice() override { return true; }
    bool LoadSound(int id, const std::string& file) override;
    Tolm::SoundInstance* NewInstance(int id) override;
    int GetFreeSoundId() override;
    int GetSoundCount() override;

private:
    SoundRecorder& recorder;
    std::mutex lock;
    std::vector<bool> loaded = std::vector<bool>(kMaxSoundIds);
    std::vector<std::unique_ptr<Tolm::SoundInstance>> instances;
};

// Puts a recording sound manager into the application, which owns it from then on. Sounds get their
// names from a TestResourceManager made with the same recorder.
void InstallSoundRecorder(Tolm::TolmAppBase& app, SoundRecorder& recorder);
