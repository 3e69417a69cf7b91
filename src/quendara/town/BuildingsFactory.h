// The owner of the town's thirty buildings, keyed by building id. The town makes it from its document
// and deletes it with itself; made before any town, its buildings read no file and unlock nothing.
#pragma once

#include "core/Singleton.h"
#include "town/BaseTownBuilding.h"

#include <map>
#include <memory>

class BuildingsFactory : public Singleton<BuildingsFactory>
{
public:
    static constexpr int kBuildings = 30;

    BuildingsFactory();
    ~BuildingsFactory() override;

    // Null when no building has the id.
    BaseTownBuilding* GetById(int id) const;

    // The name each building's element carries as its id, by building id.
    static const char* const kNames[kBuildings];

private:
    std::map<int, std::unique_ptr<BaseTownBuilding>> buildings;
};
