// When to show a building's hint over the town: once the mouse has rested for
// two seconds over a built building, or at once on a right press over one,
// until the mouse moves (unless the right button is held) or a button is let
// go. Each screen that shows the town owns one and hands it its steps and
// input.
#pragma once

#include <memory>

class BuildingHint;

namespace Tolm {
class Graphics;
class WidgetManager;
} // namespace Tolm

class HintWindowLogic
{
public:
    // Updates of rest before the hint shows by itself.
    static constexpr int kRestUpdates = 200;

    // The manager gives the mouse's place and buttons; not owned.
    explicit HintWindowLogic(Tolm::WidgetManager* manager);
    virtual ~HintWindowLogic();

    // Once per update.
    virtual void Update();
    // Once per frame, dt in update periods.
    virtual void UpdateFraction(float dt);
    virtual void MouseDown(int x, int y);
    virtual void MouseUp(int x, int y);
    virtual void MouseMove(int x, int y);
    virtual void Draw(Tolm::Graphics* g);

    // Without animation the hint vanishes at once.
    void HideHint(bool animate);

    // Centred on the screen.
    std::unique_ptr<BuildingHint> hint;
    Tolm::WidgetManager* manager;
    int updateCount = 0;
    int lastActivity = 0;

private:
    // Shows the hint of the built building under the point; false over none.
    bool ShowBuildingAt(int x, int y);
};
