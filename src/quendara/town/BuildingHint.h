// The small panel that tells the player about one building: what it is, its
// price in gold, food and supplies (what the player cannot pay yet in red, with
// a warning above), and the brick it unlocks for the levels. It fades in and
// out; whoever owns it steps the fade and says where it stands.
#pragma once

#include "core/LiveValue.h"

#include <string>

namespace Tolm {
class Graphics;
class Image;
} // namespace Tolm

class BuildingHint
{
public:
    // Centred on the screen, showing no building.
    BuildingHint();
    // At (x, y), showing the building.
    BuildingHint(int x, int y, int buildingId);

    // Nothing when it shows that building already (a purchase reloads with Load);
    // a negative id shows none.
    void SetBuilding(int id);
    // Reads the building's price, description, bonus and whether it stands.
    void Load();
    // Once per update: towards shown or hidden.
    void UpdateFadeTarget();
    // Straight to shown or hidden, without fading.
    void SnapFade();
    // Once per frame, dt in update periods.
    void UpdateFade(float dt);
    void Draw(Tolm::Graphics& g);

    int GetWidth() const;
    int GetHeight() const;
    void SetPosition(int newX, int newY);
    int GetBuildingId() const { return buildingId; }

    bool shown = false;
    int buildingId = -1;
    int x = 0;
    int y = 0;
    int costGold = 0;
    int costFood = 0;
    int costSupplies = 0;
    Tolm::Image* panel;
    Tolm::Image* goldIcon;
    Tolm::Image* foodIcon;
    Tolm::Image* suppliesIcon;
    // The brick the building unlocks; null for none.
    Tolm::Image* bonusImage = nullptr;
    std::string description;
    std::string bonusName;
    bool built = false;
    LiveValue fade;

private:
    // The player has less of one of the three than the building costs.
    bool IsShort() const;
    void DrawCostRow(Tolm::Graphics& g, Tolm::Image* icon, int top, const char* label, int cost, int owned);
};
