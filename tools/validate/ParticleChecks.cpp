#include "ParticleChecks.h"

#include "core/PakXmlDocument.h"
#include "effects/GlobalParticles.h"
#include "effects/ParticleConfigManager.h"

#include <cstring>
#include <tinyxml.h>

namespace {

// How long an effect must emit, by what its users do with its emitter.
enum class Lifetime
{
    // Spawned once and restarted, never spawned again: a spent emitter would be gone for good.
    Endless,
    // Moved or restarted every frame: a one-shot burst would burst again and again.
    Continuous,
    // One burst of 10 to 40 particles, many of them at once.
    Burst,
    // Over by itself, or the effect waiting for it never ends.
    Finite,
    // A burst whose emission is halved for the second burst, so at least 2.
    HalvedBurst,
};

struct Expectation
{
    const char* name;
    Lifetime lifetime;
};

constexpr Expectation kExpectations[] = {
    {"brick_explode", Lifetime::Burst},
    {"bonus_appear", Lifetime::Burst},
    {"bonus_live", Lifetime::Burst},
    {"progress_fly", Lifetime::Continuous},
    {"progress_line", Lifetime::Continuous},
    {"bonus_action_add", Lifetime::Burst},
    {"bonus_action_del", Lifetime::Burst},
    {"building_dust", Lifetime::Finite},
    {"building_smoke", Lifetime::Endless},
    {"fountain", Lifetime::Endless},
    {"count_done", Lifetime::Burst},
    {"bonus_updated", Lifetime::Burst},
    {"round", Lifetime::Endless},
    {"letter_explode", Lifetime::HalvedBurst},
    {"stage_complete", Lifetime::Finite},
};

// An empty text when the effect lives as it must.
std::string LifetimeProblem(const ParticleConfig& c, Lifetime lifetime)
{
    const bool oneShot = c.lifetime == ParticleConfig::kOneShot;
    const bool endless = c.lifetime == ParticleConfig::kEndless;
    switch (lifetime) {
    case Lifetime::Endless:
        return endless ? "" : "must emit for ever (lifetime -1)";
    case Lifetime::Continuous:
        return endless || c.lifetime > 0 ? "" : "must emit for a while or for ever, never in one burst";
    case Lifetime::Burst:
        return oneShot && c.emission >= 10 && c.emission <= 40 ? "" : "must be one burst (lifetime -3) of 10 to 40";
    case Lifetime::Finite:
        return oneShot || c.lifetime > 0 ? "" : "must end by itself (a burst or a lifetime above 0)";
    case Lifetime::HalvedBurst:
        return oneShot && c.emission >= 2 ? "" : "must be one burst (lifetime -3) of 2 or more";
    }
    return "";
}

std::string ImageId(const char* path)
{
    TiXmlDocument document;
    std::string id;
    if (LoadXmlDocument(document, path)) {
        if (const TiXmlElement* particles = document.FirstChildElement("particles")) {
            ReadXmlString(*particles, "image_id", id);
        }
    }
    return id;
}

} // namespace

void CheckParticleEffects(const std::function<bool(const std::string&)>& isImage, std::vector<std::string>& problems)
{
    ParticleConfigManager* configs = ParticleConfigManager::Instance();
    for (const ParticleEffectFile& file : kParticleEffectFiles) {
        const std::string where = std::string(file.path) + ": ";
        if (!configs->LoadConfig(file.path, file.name)) {
            problems.push_back(where + "missing, not well-formed or without a particles element");
            continue;
        }
        const std::string image = ImageId(file.path);
        if (!isImage(image)) {
            problems.push_back(where + "image_id \"" + image + "\" names no picture of the data set");
        }
        ParticleConfig config;
        configs->GetConfig(file.name, config);
        if (config.emission <= 0 || !(config.particle_life_max > 0)) {
            problems.push_back(where + "emits no particle that lives");
        }
        for (const Expectation& expected : kExpectations) {
            const std::string problem =
                std::strcmp(expected.name, file.name) == 0 ? LifetimeProblem(config, expected.lifetime) : "";
            if (!problem.empty()) {
                problems.push_back(where + problem);
            }
        }
    }
    delete configs;
}
