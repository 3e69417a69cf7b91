// The owner of the fifteen town people, keyed by person id. The town makes it once its file is loaded,
// before the buildings (the airship looks up the person it carries), and deletes it with itself.
#pragma once

#include "core/Singleton.h"
#include "town/TownMan.h"

#include <map>
#include <memory>

class TownManFactory : public Singleton<TownManFactory>
{
public:
    static constexpr int kPeople = 15;

    // Reads every person from the town's document; without a town, every person is empty.
    TownManFactory();
    ~TownManFactory() override;

    // Null for an id outside 0..14.
    TownMan* GetById(int id) const;

    // The name each person's element carries as its id, by person id.
    static const char* const kNames[kPeople];

private:
    std::map<int, std::unique_ptr<TownMan>> people;
};
