#include "town/Town.h"

#include "town/BaseTownBuilding.h"
#include "town/BuildingsFactory.h"
#include "town/TownFile.h"
#include "town/TownManFactory.h"
#include "town/UserProfile.h"

#include <tinyxml.h>

Town::Town() : document(std::make_unique<TiXmlDocument>())
{
    LoadTownDocument(*document);
    // Factories made before the town read no file: they make way for ones that do.
    delete BuildingsFactory::RegisteredInstance();
    delete TownManFactory::RegisteredInstance();
    // People first: the airship looks up the person it carries.
    TownManFactory::Instance();
    BuildingsFactory::Instance();
    RefreshBuilt();
}

Town::~Town()
{
    delete BuildingsFactory::RegisteredInstance();
    delete TownManFactory::RegisteredInstance();
}

void Town::RefreshBuilt()
{
    for (int id = 0; id < BuildingsFactory::kBuildings; ++id) {
        BuildingsFactory::Instance()->GetById(id)->SetBuilt(UserProfile::IsBuildingBuilt(id));
    }
}

void Town::BuildBuilding(int id)
{
    if (BaseTownBuilding* building = BuildingsFactory::Instance()->GetById(id)) {
        building->SetBuilt(true);
    }
}
