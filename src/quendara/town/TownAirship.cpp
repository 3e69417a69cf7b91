#include "town/TownAirship.h"

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "profile/UserProfile.h"
#include "town/TownMan.h"
#include "town/TownManFactory.h"

#include <cmath>

namespace {

// Radians per update period: a full bob takes about 7.9 seconds.
constexpr float kBobSpeed = 0.008f;
constexpr float kBobHeight = 5;

} // namespace

TownAirship::TownAirship(const TiXmlDocument* document)
    : BaseTownBuilding(document, "airship", 25), passenger(TownManFactory::Instance()->GetById(kPassenger))
{}

void TownAirship::Tick(float dt)
{
    if (IsBuilt()) {
        angle += dt * kBobSpeed;
    }
}

void TownAirship::SetBuilt(bool b)
{
    if (b == IsBuilt()) {
        return;
    }
    BaseTownBuilding::SetBuilt(b);
    if (!b) {
        angle = 0;
    }
}

void TownAirship::Draw(Tolm::Graphics& g)
{
    if (ShowsPicture()) {
        const float bob = kBobHeight * std::sin(angle);
        g.DrawImageF(GetBuildingImage(), float(GetX()), float(GetY()) + bob);
        if (passenger && UserProfile::HasPersonArrived(kPassenger)) {
            passenger->DrawCentred(g, float(GetX() + passenger->GetX()), float(GetY() + passenger->GetY()) + bob);
        }
    }
    DrawEffects(g);
}
