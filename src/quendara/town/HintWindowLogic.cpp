#include "town/HintWindowLogic.h"

#include "town/BuildingHint.h"
#include "town/Town.h"
#include "widgets/WidgetManager.h"

HintWindowLogic::HintWindowLogic(Tolm::WidgetManager* widgetManager)
    : hint(std::make_unique<BuildingHint>()), manager(widgetManager)
{}

HintWindowLogic::~HintWindowLogic() = default;

void HintWindowLogic::Update()
{
    ++updateCount;
    hint->UpdateFadeTarget();
    if (updateCount - lastActivity > kRestUpdates && !hint->shown &&
        ShowBuildingAt(manager->lastMouseX, manager->lastMouseY)) {
        lastActivity = updateCount;
    }
    // A hint on screen is activity: it needs two more seconds of rest after it
    // goes before the next.
    if (hint->shown) {
        lastActivity = updateCount;
    }
}

void HintWindowLogic::UpdateFraction(float dt)
{
    hint->UpdateFade(dt);
}

void HintWindowLogic::MouseDown(int x, int y)
{
    if (manager->IsRightButtonDown()) {
        ShowBuildingAt(x, y);
    }
}

void HintWindowLogic::MouseUp(int, int)
{
    hint->shown = false;
}

void HintWindowLogic::MouseMove(int, int)
{
    lastActivity = updateCount;
    if (!manager->IsRightButtonDown()) {
        hint->shown = false;
    }
}

void HintWindowLogic::Draw(Tolm::Graphics* g)
{
    hint->Draw(*g);
}

void HintWindowLogic::HideHint(bool animate)
{
    hint->shown = false;
    if (!animate) {
        hint->SnapFade();
    }
}

bool HintWindowLogic::ShowBuildingAt(int x, int y)
{
    const int id = Town::Instance()->HitTest(x, y);
    if (id < 0) {
        return false;
    }
    hint->SetBuilding(id);
    hint->shown = true;
    return true;
}
