#include "town/Town.h"

#include "app/TolmAppBase.h"
#include "core/Random.h"
#include "gameeffects/GfxFlareFlash.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "profile/ProfileCallsUp.h"
#include "profile/UserProfile.h"
#include "resources/ResourceLookups.h"
#include "town/BaseTownBuilding.h"
#include "town/BuildingsFactory.h"
#include "town/CloudStrip.h"
#include "town/TownAirship.h"
#include "town/TownFile.h"
#include "town/TownMan.h"
#include "town/TownManFactory.h"
#include "town/TownSea.h"

#include <tinyxml.h>

const int Town::kDrawOrder[30] = {25, 24, 14, 15, 9,  10, 11, 6,  0,  4,  2,  1,  5,  3,  8,
                                  7,  16, 13, 12, 17, 21, 22, 23, 18, 19, 20, 26, 29, 28, 27};
const int Town::kPeopleByBuilding[15][2] = {{0, 1},  {1, 15}, {2, 9},  {3, 10}, {4, 19}, {6, 19},  {5, 3},  {7, 14},
                                            {8, 20}, {9, 25}, {10, 4}, {11, 5}, {12, 6}, {13, 27}, {14, 28}};
const int Town::kFlareSpots[4][3] = {{12, 65, 184}, {14, 134, 124}, {17, 318, 262}, {26, 182, 236}};

Town::Town()
    : field(GetImageById("TOWN_BACKGROUND_FIELD")), clouds(std::make_unique<CloudStrip>()),
      document(std::make_unique<TiXmlDocument>())
{
    LoadTownDocument(*document);
    // Factories made before the town read no file: they make way for ones that do.
    delete BuildingsFactory::RegisteredInstance();
    delete TownManFactory::RegisteredInstance();
    // People first: the airship looks up the person it carries.
    TownManFactory::Instance();
    BuildingsFactory::Instance();
    sea = std::make_unique<TownSea>();
    for (int id : kDrawOrder) {
        buildings.push_back(BuildingsFactory::Instance()->GetById(id));
    }
    for (int id = 0; id < TownManFactory::kPeople; ++id) {
        people.push_back(TownManFactory::Instance()->GetById(id));
    }
    RefreshBuilt();
}

Town::~Town()
{
    clouds.reset();
    sea.reset();
    delete BuildingsFactory::RegisteredInstance();
    delete TownManFactory::RegisteredInstance();
    document.reset();
    Clear();
}

void Town::Tick(float dt)
{
    clouds->Update(dt);
    sea->Update();
    for (BaseTownBuilding* building : buildings) {
        if (building->IsBuilt()) {
            building->Tick(dt);
        }
        building->TickEffects(dt);
    }
    TickEffects(dt);
}

void Town::Step()
{
    for (BaseTownBuilding* building : buildings) {
        if (building->IsBuilt()) {
            building->Step();
        }
        building->UpdateEffects();
    }
    for (TownMan* person : people) {
        person->Step();
    }
    TryFlare();
    UpdateEffects();
}

// The chance is drawn on every update and the spot only on a hit: the draws follow the game's one
// random stream.
void Town::TryFlare()
{
    if (RandomBelow(kFlareChance) != 1) {
        return;
    }
    const int* spot = kFlareSpots[RandomBelow(4)];
    BaseTownBuilding* building = FindBuilding(spot[0]);
    if (building && building->IsBuilt()) {
        AddEffect(new GfxFlareFlash(spot[1], spot[2], kFlareScale, Tolm::Color::White), false);
    }
}

void Town::Draw(Tolm::Graphics& g)
{
    g.DrawImage(GetImageById("TOWN_SKY_BACK"), 0, 0);
    clouds->Draw(g);
    g.DrawImage(field, 0, 0);
    sea->Draw(g, Tolm::gTolmApp->height);
    for (BaseTownBuilding* building : buildings) {
        building->Draw(g);
        if (building->IsBuilt()) {
            DrawPeopleBy(g, building->GetId());
        }
    }
    DrawEffects(g);
}

void Town::DrawPeopleBy(Tolm::Graphics& g, int buildingId)
{
    for (const auto& [person, by] : kPeopleByBuilding) {
        if (by == buildingId && person != TownAirship::kPassenger && UserProfile::HasPersonArrived(person)) {
            people[std::size_t(person)]->Draw(g);
        }
    }
}

int Town::HitTest(int x, int y) const
{
    for (auto building = buildings.rbegin(); building != buildings.rend(); ++building) {
        if ((*building)->IsBuilt() && (*building)->HitTest(x, y)) {
            return (*building)->GetId();
        }
    }
    return -1;
}

BaseTownBuilding* Town::FindBuilding(int id) const
{
    for (BaseTownBuilding* building : buildings) {
        if (building && building->GetId() == id) {
            return building;
        }
    }
    return nullptr;
}

void Town::RefreshBuilt()
{
    for (int id = 0; id < BuildingsFactory::kBuildings; ++id) {
        if (BaseTownBuilding* building = FindBuilding(id)) {
            building->SetBuilt(UserProfile::IsBuildingBuilt(id));
        }
    }
}

void Town::BuildBuilding(int id)
{
    if (BaseTownBuilding* building = FindBuilding(id)) {
        building->SetBuilt(true);
    }
}

void RefreshTownFromProfile()
{
    if (Town* town = Town::RegisteredInstance()) {
        town->RefreshBuilt();
    }
}
