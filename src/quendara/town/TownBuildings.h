// The buildings that differ from the plain one only in knowing their own name and id.
#pragma once

#include "town/BaseTownBuilding.h"

class TownVillageHouses : public BaseTownBuilding
{
public:
    explicit TownVillageHouses(const TiXmlDocument* document) : BaseTownBuilding(document, "village_houses", 0) {}
};

class TownGarden : public BaseTownBuilding
{
public:
    explicit TownGarden(const TiXmlDocument* document) : BaseTownBuilding(document, "garden", 1) {}
};

class TownArchitect : public BaseTownBuilding
{
public:
    explicit TownArchitect(const TiXmlDocument* document) : BaseTownBuilding(document, "architect", 5) {}
};

class TownElfTree : public BaseTownBuilding
{
public:
    explicit TownElfTree(const TiXmlDocument* document) : BaseTownBuilding(document, "elf_tree", 6) {}
};

class TownDwarf : public BaseTownBuilding
{
public:
    explicit TownDwarf(const TiXmlDocument* document) : BaseTownBuilding(document, "dwarf", 9) {}
};
