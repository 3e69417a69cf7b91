// Stand-in for a town building until the town exists: its id and the brick type it unlocks for the
// levels (0 for none), which is what the board asks of it.
#pragma once

class BaseTownBuilding
{
public:
    explicit BaseTownBuilding(int buildingId) : id(buildingId) {}

    int GetId() const { return id; }
    int GetBonusBrickType() const { return bonusBrickType; }

    int id;
    // The type its town entry's bonus brick code names; 0 for none.
    int bonusBrickType = 0;
};
