#include "board/FieldSfx.h"

#include "resources/ResourceLookups.h"

namespace {

// One fixed update, in seconds.
constexpr float kStepSeconds = 0.01f;

} // namespace

void FieldSfx::PlaySound(const std::string& id)
{
    PlaySoundById(id);
}

void FieldSfx::QueueSound(const std::string& id, float delay)
{
    if (delay <= 0) {
        PlaySound(id);
        return;
    }
    queue.push_back({id, delay});
}

void FieldSfx::Step()
{
    for (auto it = queue.begin(); it != queue.end();) {
        it->delay -= kStepSeconds;
        if (it->delay <= 0) {
            PlaySound(it->id);
            it = queue.erase(it);
        } else {
            ++it;
        }
    }
}
