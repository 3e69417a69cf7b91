// The town scene behind the menu, the town screen and the upgrade screen: sky, drifting clouds, the field,
// the swelling sea, the thirty buildings back to front with the people who have come standing by theirs,
// and now and then a flare in a window. It owns the town document for its whole life, since the
// buildings and people keep pointers into it, and the factories that make them; it reflects the open
// profile.
#pragma once

#include "core/Singleton.h"
#include "effects/GfxManager.h"

#include <memory>
#include <vector>

class BaseTownBuilding;
class CloudStrip;
class TiXmlDocument;
class TownMan;
class TownSea;

namespace Tolm {
class Graphics;
class Image;
} // namespace Tolm

class Town : public Singleton<Town>, public GfxManager
{
public:
    // Building ids, back to front.
    static const int kDrawOrder[30];
    // (person, the building by which the person stands), in the order they are drawn. The airship draws
    // its passenger itself, so that pair is here to say where the stranger belongs and is skipped.
    static const int kPeopleByBuilding[15][2];
    // (building, x, y): the flares' centres.
    static const int kFlareSpots[4][3];
    // One update in this many a flare is tried.
    static constexpr unsigned kFlareChance = 150;
    static constexpr float kFlareScale = 0.3f;

    // Loads the town file (its error box on failure, then a town without elements) and makes the people,
    // then the buildings.
    Town();
    // Deletes the buildings and the people before the document they read, then the town's effects.
    ~Town() override;

    // Once per frame, dt in update periods.
    void Tick(float dt);
    // Once per update.
    void Step();
    void Draw(Tolm::Graphics& g);
    // The frontmost built building covering the point, -1 for none.
    int HitTest(int x, int y) const;
    // Each building built or not as the profile has it.
    void RefreshBuilt();
    // A bought building's build effect has ended: from now on it stands.
    void BuildBuilding(int id);
    // Never null while the town lives; empty when the file could not be read.
    const TiXmlDocument* GetDocument() const { return document.get(); }

    const std::vector<BaseTownBuilding*>& GetBuildings() const { return buildings; }
    CloudStrip& GetClouds() { return *clouds; }
    TownSea& GetSea() { return *sea; }

private:
    // The first building in draw order with the id; null for none.
    BaseTownBuilding* FindBuilding(int id) const;
    void DrawPeopleBy(Tolm::Graphics& g, int buildingId);
    void TryFlare();

    Tolm::Image* field;
    std::unique_ptr<CloudStrip> clouds;
    std::unique_ptr<TownSea> sea;
    // Owned by the factories.
    std::vector<BaseTownBuilding*> buildings;
    std::vector<TownMan*> people;
    std::unique_ptr<TiXmlDocument> document;
};
