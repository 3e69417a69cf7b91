#include "SoundRecorder.h"

#include "app/TolmAppBase.h"

namespace {

class RecordedInstance : public NullSoundInstance
{
public:
    RecordedInstance(SoundRecorder& recorder, int id) : recorder(recorder), id(id) {}

    bool Play(bool, bool) override
    {
        recorder.Played(id);
        return true;
    }

private:
    SoundRecorder& recorder;
    int id;
};

} // namespace

void SoundRecorder::Name(int soundId, const std::string& resourceId)
{
    std::lock_guard<std::mutex> guard(lock);
    names[soundId] = resourceId;
}

void SoundRecorder::Played(int soundId)
{
    std::lock_guard<std::mutex> guard(lock);
    auto found = names.find(soundId);
    played.push_back(found != names.end() ? found->second : "#" + std::to_string(soundId));
}

std::vector<std::string> SoundRecorder::Take()
{
    std::lock_guard<std::mutex> guard(lock);
    return std::exchange(played, {});
}

bool RecordingSoundManager::LoadSound(int id, const std::string&)
{
    std::lock_guard<std::mutex> guard(lock);
    if (id < 0 || id >= kMaxSoundIds) {
        return false;
    }
    loaded[size_t(id)] = true;
    return true;
}

Tolm::SoundInstance* RecordingSoundManager::NewInstance(int id)
{
    std::lock_guard<std::mutex> guard(lock);
    if (id < 0 || id >= kMaxSoundIds || !loaded[size_t(id)]) {
        return nullptr;
    }
    instances.push_back(std::make_unique<RecordedInstance>(recorder, id));
    return instances.back().get();
}

int RecordingSoundManager::GetFreeSoundId()
{
    std::lock_guard<std::mutex> guard(lock);
    for (int id = 0; id < kMaxSoundIds; ++id) {
        if (!loaded[size_t(id)]) {
            return id;
        }
    }
    return -1;
}

int RecordingSoundManager::GetSoundCount()
{
    std::lock_guard<std::mutex> guard(lock);
    return int(std::count(loaded.begin(), loaded.end(), true));
}

void InstallSoundRecorder(Tolm::TolmAppBase& app, SoundRecorder& recorder)
{
    app.soundManager = std::make_unique<RecordingSoundManager>(recorder);
}
