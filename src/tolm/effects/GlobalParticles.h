// The game screen's application-wide particle layer: emitters fired by the name of their effect from
// anywhere (the board, the bonus panel), and a list of effects that must outlive the board's own (the
// particle streams that fly into the progress bar). Made once by the loading thread, which loads the
// game's fifteen particle effects with it; from then on only the main thread uses it. Only the game
// screen steps and draws it, above everything else.
#pragma once

#include "core/Singleton.h"
#include "effects/ParticleManager.h"

#include <memory>
#include <string>

class GfxManager;
class gfxBase;

namespace Tolm {
class Graphics;
}

// The game's particle effects, by name and file, in the order they load.
struct ParticleEffectFile
{
    const char* name;
    const char* path;
};
inline constexpr ParticleEffectFile kParticleEffectFiles[] = {
    {"brick_explode", "properties\\particles\\brick_explode.xml"},
    {"bonus_appear", "properties\\particles\\bonus_appear.xml"},
    {"bonus_live", "properties\\particles\\bonus_live.xml"},
    {"progress_fly", "properties\\particles\\progress_fly.xml"},
    {"progress_line", "properties\\particles\\progress_line.xml"},
    {"bonus_action_add", "properties\\particles\\bonus_action_add.xml"},
    {"bonus_action_del", "properties\\particles\\bonus_action_del.xml"},
    {"building_dust", "properties\\particles\\building_dust.xml"},
    {"building_smoke", "properties\\particles\\building_smoke.xml"},
    {"fountain", "properties\\particles\\fountain.xml"},
    {"count_done", "properties\\particles\\count_done.xml"},
    {"bonus_updated", "properties\\particles\\bonus_updated.xml"},
    {"round", "properties\\particles\\round.xml"},
    {"letter_explode", "properties\\particles\\letter_explode.xml"},
    {"stage_complete", "properties\\particles\\stage_complete.xml"},
};

class GlobalParticles : public ParticleManager, public Singleton<GlobalParticles>
{
public:
    // Loads the fifteen effects into the configuration manager (one that fails to load is left out),
    // with an empty effect list.
    GlobalParticles();
    // The configurations go first, then the effects, then the emitters.
    ~GlobalParticles() override;

    // Once per update.
    void UpdateEffects();
    // Once per frame: the emitters, then the effects.
    void Tick(float dt);
    // The effects lie above the particles.
    void Draw(Tolm::Graphics& g);

    std::unique_ptr<GfxManager> effects;
};

// Fires the named effect at the point; nothing when no effect has the name or 250 emitters run.
void SpawnGlobalParticles(const std::string& name, int x, int y);
// "bonus_appear" over bonus button 0 to 4 at the bottom of the screen; any other index fires nothing.
void SpawnBonusAppearParticles(int index);
// Takes ownership, as GfxManager::AddEffect.
void AddGlobalEffect(gfxBase* effect, bool front);
// True while the global effect list holds an effect; the board counts itself busy meanwhile.
bool GlobalEffectsPending();
