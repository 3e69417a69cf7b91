#include "town/BuildingEffects.h"

#include "core/Callback.h"
#include "effects/ParticleConfigManager.h"
#include "effects/ParticleManager.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "town/BaseTownBuilding.h"
#include "town/BuildingsFactory.h"
#include "town/TownFile.h"

#include <cmath>
#include <tinyxml.h>

namespace {

constexpr float kFadeInSpeed = 0.02f;
constexpr float kFallFadeSpeed = 0.1f;
// Added to the fall's speed per update period.
constexpr float kFallAcceleration = 0.2f;
// Pixels between two dust emitters along a line.
constexpr float kDustSpacing = 10;

// The part of the picture at the alpha (0 to 1) of its opacity.
void DrawFading(Tolm::Graphics& g, Tolm::MemoryImage* image, float x, float y, const Tolm::Rect& part, float alpha)
{
    if (!image || alpha <= 0) {
        return;
    }
    g.PushState();
    g.SetTintImages(true);
    g.SetColor(Tolm::Color(255, 255, 255, int(alpha * 255)));
    g.DrawImagePartF(image, x, y, part);
    g.PopState();
}

} // namespace

BuildCallbacks::BuildCallbacks(baseCallback* done, baseCallback* placed) : onDone(done), onPlaced(placed) {}

BuildCallbacks::~BuildCallbacks() = default;

// Taken out before it runs, so that a callback that ends the effect finds nothing left to run twice.
void BuildCallbacks::Placed()
{
    if (std::unique_ptr<baseCallback> callback = std::move(onPlaced)) {
        callback->Invoke();
    }
}

void BuildCallbacks::Done()
{
    if (std::unique_ptr<baseCallback> callback = std::move(onDone)) {
        callback->Invoke();
    }
}

GfxBuildigAppear::GfxBuildigAppear(int buildingId, baseCallback* onDone, baseCallback* onPlaced)
    : callbacks(onDone, onPlaced)
{
    alpha.target = 1;
    alpha.speed = kFadeInSpeed;
    if (const BaseTownBuilding* building = BuildingsFactory::Instance()->GetById(buildingId)) {
        x = building->GetX();
        y = building->GetY();
        fallImage = building->GetFallImage();
        buildingImage = building->GetBuildingImage();
    }
}

bool GfxBuildigAppear::Start()
{
    callbacks.Placed();
    return true;
}

int GfxBuildigAppear::Update()
{
    if (alpha.current != 1) {
        return 0;
    }
    callbacks.Done();
    return -1;
}

void GfxBuildigAppear::Tick(float dt)
{
    alpha.Update(dt);
}

void GfxBuildigAppear::Draw(Tolm::Graphics& g)
{
    if (buildingImage) {
        DrawFading(g, buildingImage, float(x), float(y),
                   Tolm::Rect(0, 0, buildingImage->GetWidth(), buildingImage->GetHeight()), alpha.current);
    }
}

GfxBuildingFall::GfxBuildingFall(int buildingId, baseCallback* onDone, baseCallback* onPlaced)
    : callbacks(onDone, onPlaced)
{
    alpha.speed = kFallFadeSpeed;
    if (const BaseTownBuilding* building = BuildingsFactory::Instance()->GetById(buildingId)) {
        x = building->GetX();
        y.target = float(building->GetY());
        fallImage = building->GetFallImage();
        buildingImage = building->GetBuildingImage();
    }
    // Its bottom edge starts on the screen's top edge.
    y.current = buildingImage ? -float(buildingImage->GetFrameHeight()) : 0;
    y.previous = y.current;
}

int GfxBuildingFall::Update()
{
    if (y.current == y.target) {
        callbacks.Placed();
        alpha.target = 1;
    }
    if (alpha.current != 1) {
        return 0;
    }
    callbacks.Done();
    return -1;
}

void GfxBuildingFall::Tick(float dt)
{
    y.Update(dt);
    alpha.Update(dt);
    y.speed += dt * kFallAcceleration;
}

void GfxBuildingFall::Draw(Tolm::Graphics& g)
{
    if (!buildingImage) {
        return;
    }
    DrawFading(g, buildingImage, float(x), y.current, buildingImage->GetFrameRect(0), alpha.current);
    if (fallImage) {
        g.DrawImagePartF(fallImage, float(x), y.current, buildingImage->GetFrameRect(0));
    }
}

GfxBuildingPostBuild::GfxBuildingPostBuild(const TiXmlElement& postBuildGfx, int x, int y)
    : buildingX(x), buildingY(y), particles(std::make_unique<ParticleManager>(0.0f))
{
    for (const TiXmlElement* line = postBuildGfx.FirstChildElement("line"); line;
         line = line->NextSiblingElement("line")) {
        lines.push_back({TownRealAttribute(*line, "x1"), TownRealAttribute(*line, "y1"), TownRealAttribute(*line, "x2"),
                         TownRealAttribute(*line, "y2")});
    }
}

GfxBuildingPostBuild::~GfxBuildingPostBuild() = default;

bool GfxBuildingPostBuild::Start()
{
    for (const Line& line : lines) {
        if (!SpawnAlong(line)) {
            break;
        }
    }
    return true;
}

bool GfxBuildingPostBuild::SpawnAlong(const Line& line)
{
    ParticleConfig dust;
    if (!GetParticleConfig("building_dust", dust)) {
        return false;
    }
    const float dx = line.x2 - line.x1;
    const float dy = line.y2 - line.y1;
    const float length = std::hypot(dx, dy);
    // A line the file cannot place (a coordinate or its length beyond the floats) raises no dust.
    if (!std::isfinite(length) || !std::isfinite(line.x1) || !std::isfinite(line.y1)) {
        return true;
    }
    const float startX = float(buildingX) + line.x1;
    const float startY = float(buildingY) + line.y1;
    if (length == 0) {
        return particles->SpawnEmitter(dust, startX, startY) != nullptr;
    }
    const float ux = dx / length;
    const float uy = dy / length;
    // Counted in whole steps, so that a line too long for a float to step along still ends.
    for (int step = 0; float(step) * kDustSpacing <= length; ++step) {
        const float t = float(step) * kDustSpacing;
        if (!particles->SpawnEmitter(dust, startX + ux * t, startY + uy * t)) {
            return false;
        }
    }
    return true;
}

int GfxBuildingPostBuild::Update()
{
    return particles->HasEmitters() ? 0 : -1;
}

void GfxBuildingPostBuild::Tick(float dt)
{
    particles->UpdateEmitters(dt);
}

void GfxBuildingPostBuild::Draw(Tolm::Graphics& g)
{
    particles->DrawEmitters(g);
}
