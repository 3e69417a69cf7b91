#include "town/TownManFactory.h"

#include "town/Town.h"

const char* const TownManFactory::kNames[kPeople] = {
    "garden",  "observator", "dwarf",    "hobbit",    "girl", "baker",   "sharman", "idol",
    "watcher", "stranger",   "drovosek", "architect", "elf",  "drinker", "guard",
};

TownManFactory::TownManFactory()
{
    const TiXmlDocument* document = Town::RegisteredInstance() ? Town::RegisteredInstance()->GetDocument() : nullptr;
    for (int id = 0; id < kPeople; ++id) {
        people.emplace(id, std::make_unique<TownMan>(document, kNames[id], id));
    }
}

TownManFactory::~TownManFactory() = default;

TownMan* TownManFactory::GetById(int id) const
{
    const auto found = people.find(id);
    return found == people.end() ? nullptr : found->second.get();
}
