// Stand-in for the owner of the town's 30 buildings until the town exists: every building is there, none
// unlocks a brick type yet (as with no town file). The application deletes the singleton at exit.
#pragma once

#include "core/Singleton.h"
#include "town/BaseTownBuilding.h"

#include <map>
#include <memory>

class BuildingsFactory : public Singleton<BuildingsFactory>
{
public:
    static constexpr int kBuildings = 30;

    BuildingsFactory()
    {
        for (int id = 0; id < kBuildings; ++id) {
            buildings.emplace(id, std::make_unique<BaseTownBuilding>(id));
        }
    }

    // Null when no building has the id.
    BaseTownBuilding* GetById(int id) const
    {
        auto found = buildings.find(id);
        return found == buildings.end() ? nullptr : found->second.get();
    }

private:
    std::map<int, std::unique_ptr<BaseTownBuilding>> buildings;
};
