#include "effects/GfxManager.h"

GfxManager::GfxManager() = default;

GfxManager::~GfxManager()
{
    Clear();
}

void GfxManager::AddEffect(gfxBase* effect, bool front)
{
    if (!effect) {
        return;
    }
    std::unique_ptr<gfxBase> owned(effect);
    if (front) {
        effects.push_front(std::move(owned));
    } else {
        effects.push_back(std::move(owned));
    }
    ++count;
}

void GfxManager::Remove(std::unique_ptr<gfxBase>& node)
{
    --count;
    std::unique_ptr<gfxBase> effect = std::move(node);
    if (callDepth > 0) {
        removed.push_back(std::move(effect));
    }
}

void GfxManager::EndWalk()
{
    if (--walkDepth == 0) {
        effects.remove_if([](const std::unique_ptr<gfxBase>& node) { return !node; });
    }
}

// The effect being called may be removed by what it calls (a callback that clears the list): it is
// deleted only once the call has returned.
template <typename Call>
auto GfxManager::CallEffect(Call&& call)
{
    struct Guard
    {
        GfxManager& list;
        explicit Guard(GfxManager& owner) : list(owner) { ++list.callDepth; }
        ~Guard()
        {
            if (--list.callDepth > 0) {
                return;
            }
            std::vector<std::unique_ptr<gfxBase>> doomed;
            doomed.swap(list.removed);
            for (std::unique_ptr<gfxBase>& effect : doomed) {
                effect.reset();
            }
        }
    } guard(*this);
    return call();
}

bool GfxManager::Step(std::unique_ptr<gfxBase>& node)
{
    gfxBase* effect = node.get();
    if (!effect->started) {
        const bool running = CallEffect([effect] { return effect->Start(); });
        if (!node) {
            return true;
        }
        if (!running) {
            Remove(node);
            return true;
        }
        effect->started = true;
    }
    const int result = CallEffect([effect] { return effect->Update(); });
    if (!node) {
        return true;
    }
    if (result == -1) {
        Remove(node);
        return true;
    }
    return result != -2;
}

// The list's end stays where it is while effects are appended, so the walk reaches them.
void GfxManager::UpdateEffects()
{
    BeginWalk();
    for (std::unique_ptr<gfxBase>& node : effects) {
        if (node && !Step(node)) {
            break;
        }
    }
    EndWalk();
}

void GfxManager::TickEffects(float dt)
{
    BeginWalk();
    for (std::unique_ptr<gfxBase>& node : effects) {
        if (node && node->started) {
            gfxBase* effect = node.get();
            CallEffect([effect, dt] { effect->Tick(dt); });
        }
    }
    EndWalk();
}

void GfxManager::DrawEffects(Tolm::Graphics& g)
{
    BeginWalk();
    for (std::unique_ptr<gfxBase>& node : effects) {
        if (node) {
            gfxBase* effect = node.get();
            CallEffect([effect, &g] { effect->Draw(g); });
        }
    }
    EndWalk();
}

// Every effect is deleted before any node is freed.
void GfxManager::Clear()
{
    BeginWalk();
    for (std::unique_ptr<gfxBase>& node : effects) {
        if (node) {
            Remove(node);
        }
    }
    EndWalk();
}
