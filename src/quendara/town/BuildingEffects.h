// How a bought building comes in: it fades in where it stands, or its picture falls from the sky and the
// building fades in where it lands; then dust rises along its base. Each effect copies what it needs of
// its building when it is made and keeps no pointer to it.
#pragma once

#include "core/LiveValue.h"
#include "effects/gfxBase.h"

#include <memory>
#include <vector>

class baseCallback;
class ParticleManager;
class TiXmlElement;

namespace Tolm {
class MemoryImage;
}

// The callbacks of a build effect: on placed once the building is in place, on done when the effect ends.
// Each runs at most once; whichever has not run dies with the effect.
class BuildCallbacks
{
public:
    BuildCallbacks(baseCallback* onDone, baseCallback* onPlaced);
    ~BuildCallbacks();
    BuildCallbacks(const BuildCallbacks&) = delete;
    BuildCallbacks& operator=(const BuildCallbacks&) = delete;

    void Placed();
    void Done();

private:
    std::unique_ptr<baseCallback> onDone;
    std::unique_ptr<baseCallback> onPlaced;
};

// The fade-in: placed at its start, done once fully opaque (50 updates).
class GfxBuildigAppear : public gfxBase
{
public:
    GfxBuildigAppear(int buildingId, baseCallback* onDone, baseCallback* onPlaced);

    bool Start() override;
    int Update() override;
    void Tick(float dt) override;
    void Draw(Tolm::Graphics& g) override;

    LiveValue alpha;
    int y = 0;
    int x = 0;
    Tolm::MemoryImage* fallImage = nullptr;
    Tolm::MemoryImage* buildingImage = nullptr;

private:
    BuildCallbacks callbacks;
};

// The fall: the fall picture drops from just above the screen, faster and faster, and lands exactly on
// the building's place; there the building fades in under it, and the effect ends once it is opaque.
class GfxBuildingFall : public gfxBase
{
public:
    GfxBuildingFall(int buildingId, baseCallback* onDone, baseCallback* onPlaced);

    int Update() override;
    void Tick(float dt) override;
    void Draw(Tolm::Graphics& g) override;

    // The top edge; speed in pixels per update period, growing as it falls.
    LiveValue y;
    int x = 0;
    Tolm::MemoryImage* fallImage = nullptr;
    Tolm::MemoryImage* buildingImage = nullptr;
    LiveValue alpha;

private:
    BuildCallbacks callbacks;
};

// The dust: one dust emitter every 10 pixels along each line of the building's "PostBuildGfx"; the effect
// ends when the last emitter is spent.
class GfxBuildingPostBuild : public gfxBase
{
public:
    struct Line
    {
        float x1;
        float y1;
        float x2;
        float y2;
    };

    GfxBuildingPostBuild(const TiXmlElement& postBuildGfx, int buildingX, int buildingY);
    ~GfxBuildingPostBuild() override;

    bool Start() override;
    int Update() override;
    void Tick(float dt) override;
    void Draw(Tolm::Graphics& g) override;

    int buildingX;
    int buildingY;
    // Relative to the building's place.
    std::vector<Line> lines;
    std::unique_ptr<ParticleManager> particles;

private:
    // False once the manager takes no more emitters.
    bool SpawnAlong(const Line& line);
};
