#include "town/BuildingsFactory.h"

#include "town/Town.h"
#include "town/TownAirship.h"
#include "town/TownBuildingWithSmoke.h"
#include "town/TownBuildings.h"

const char* const BuildingsFactory::kNames[kBuildings] = {
    "village_houses", "garden",       "well",       "bakehouse", "sawmill",     "architect",   "elf_tree",  "watermill",
    "bridge",         "dwarf",        "hobbits",    "stones",    "academy",     "red_roof",    "altar",     "deck",
    "airship_tower",  "magic_school", "market",     "fountain",  "berth",       "tanner",      "shoemaker", "hospital",
    "observatory",    "airship",      "three_roof", "beer_bar",  "guard_tower", "mayor_house",
};

namespace {

std::unique_ptr<BaseTownBuilding> MakeBuilding(const TiXmlDocument* document, int id)
{
    switch (id) {
    case 0:
        return std::make_unique<TownVillageHouses>(document);
    case 1:
        return std::make_unique<TownGarden>(document);
    case 3:
        return std::make_unique<TownBakehouse>(document);
    case 5:
        return std::make_unique<TownArchitect>(document);
    case 6:
        return std::make_unique<TownElfTree>(document);
    case 7:
        return std::make_unique<TownWatermill>(document);
    case 9:
        return std::make_unique<TownDwarf>(document);
    case 19:
        return std::make_unique<TownFountain>(document);
    case 25:
        return std::make_unique<TownAirship>(document);
    default:
        return std::make_unique<BaseTownBuilding>(document, BuildingsFactory::kNames[id], id);
    }
}

} // namespace

BuildingsFactory::BuildingsFactory()
{
    const TiXmlDocument* document = Town::RegisteredInstance() ? Town::RegisteredInstance()->GetDocument() : nullptr;
    for (int id = 0; id < kBuildings; ++id) {
        std::unique_ptr<BaseTownBuilding> building = MakeBuilding(document, id);
        const int key = building->GetId();
        buildings.emplace(key, std::move(building));
    }
}

BuildingsFactory::~BuildingsFactory() = default;

BaseTownBuilding* BuildingsFactory::GetById(int id) const
{
    const auto found = buildings.find(id);
    return found == buildings.end() ? nullptr : found->second.get();
}
