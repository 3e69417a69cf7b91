// The airship: it bobs five pixels up and down while it stands, and carries the stranger, drawn by the
// airship itself once the stranger has come, bobbing with it.
#pragma once

#include "town/BaseTownBuilding.h"

class TownMan;

class TownAirship : public BaseTownBuilding
{
public:
    // The person the airship carries.
    static constexpr int kPassenger = 9;

    explicit TownAirship(const TiXmlDocument* document);

    void Tick(float dt) override;
    void SetBuilt(bool b) override;
    void Draw(Tolm::Graphics& g) override;

    // Radians; the bob is 5 x its sine.
    float angle = 0;

private:
    // Null when the people are not made yet.
    TownMan* passenger;
};
