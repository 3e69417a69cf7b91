// The small tab at the bottom-right of the upgrade screen with the button back
// to the menu. It slides in from the right edge, and only the opaque part of
// its background takes the mouse.
#pragma once

#include "core/LiveValue.h"
#include "widgets/Listeners.h"
#include "widgets/Widget.h"

class BaseWindowButton;

namespace Tolm {
class MemoryImage;
}

class UpgradeSidePanel : public Tolm::Widget
{
public:
    static constexpr int kButtonId = 1;

    // Out of view beyond the right edge.
    explicit UpgradeSidePanel(Tolm::ButtonListener* listener);
    ~UpgradeSidePanel() override;

    // Without animation it jumps.
    void Show(bool show, bool animate);

    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;
    bool AcceptsPoint(int px, int py) override;

    // Its pixels decide the panel's shape.
    Tolm::MemoryImage* background;
    BaseWindowButton* button;
    // The panel's x on the screen.
    LiveValue slide;
};
