// The root of the game's push buttons: the framework button with the game's sounds (one as the mouse
// comes over it, one on every press of any mouse button) and a resize to its normal image.
#pragma once

#include "widgets/ButtonWidget.h"

class BaseButton : public Tolm::ButtonWidget
{
public:
    // The listener is not owned and must outlive the button.
    BaseButton(int id, Tolm::ButtonListener* listener);

    // To one frame of the normal image, keeping the position; nothing without a normal image.
    virtual void SizeToImage();

    void MouseEnter() override;
    using Tolm::ButtonWidget::MouseDown;
    void MouseDown(int x, int y, int signedCount) override;

protected:
    // Held down over the button and enabled, or the other way round for an inverted button.
    bool LooksPressed() { return IsButtonDown() != inverted; }
};
