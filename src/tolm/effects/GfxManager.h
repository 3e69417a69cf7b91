// An ordered list that owns its effects and starts, steps, ticks and draws them. The game screen, the
// menu, the town and its buildings, the board and the global particle layer each run one.
//
// Effects may add effects, and callbacks run by effects may clear the list, in the middle of a walk:
// the walk never frees what it stands on. An effect removed while one of the list's effects is being
// called is deleted when that call returns; a node emptied during a walk is freed when the walk ends.
#pragma once

#include "effects/gfxBase.h"

#include <list>
#include <memory>
#include <vector>

namespace Tolm {
class Graphics;
}

class GfxManager
{
public:
    GfxManager();
    GfxManager(const GfxManager&) = delete;
    GfxManager& operator=(const GfxManager&) = delete;
    virtual ~GfxManager();

    // Takes ownership; with front the effect goes before the first one, else after the last. A null
    // effect is ignored.
    void AddEffect(gfxBase* effect, bool front);
    // One pass, once per update: each effect reached is started when new (its first update follows in
    // the same pass) and updated; an effect appended meanwhile is reached in this pass, one put in front
    // in the next.
    void UpdateEffects();
    // Once per frame: the started effects only.
    void TickEffects(float dt);
    // Every effect, started or not, first to last, so later effects lie on top.
    void DrawEffects(Tolm::Graphics& g);
    bool IsEmpty() const { return count == 0; }
    // Deletes every effect.
    void Clear();

private:
    // A node whose effect has been removed during a walk holds null until the walk ends.
    using EffectList = std::list<std::unique_ptr<gfxBase>>;

    // Takes the effect out of its node: deleted now, or when the effect call under way returns.
    void Remove(std::unique_ptr<gfxBase>& node);
    void BeginWalk() { ++walkDepth; }
    // Frees the emptied nodes once the outermost walk ends.
    void EndWalk();
    template <typename Call>
    auto CallEffect(Call&& call);
    // Starts the effect when new and updates it; false when the pass ends here.
    bool Step(std::unique_ptr<gfxBase>& node);

    EffectList effects;
    int count = 0;
    int walkDepth = 0;
    int callDepth = 0;
    // Removed while an effect call was under way.
    std::vector<std::unique_ptr<gfxBase>> removed;
};
