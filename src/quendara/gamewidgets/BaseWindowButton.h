// The skinned buttons of the windows: a face from the button images, a label in the button font, and a
// dark mask over the face that lifts while the mouse is over the button. The small kind serves the help
// window's paging; the shaped kind takes hits only where its mask image is visible.
#pragma once

#include "core/LiveValue.h"
#include "gamewidgets/BaseButton.h"

namespace Tolm {
class DDImage;
}

// Whether a point of a widget shaped by the hit mask takes a press: everywhere without a mask, else only
// where the mask's pixel is more opaque than alpha 20; nowhere when the mask has no pixel memory.
bool AcceptsMaskPoint(Tolm::DDImage* hitMask, int x, int y);

class BaseWindowButton : public BaseButton
{
public:
    BaseWindowButton(int id, Tolm::ButtonListener* listener);

    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;

    // Dims the face; not owned (a resource).
    Tolm::Image* mask = nullptr;
    int textOffsetX = 0;
    int textOffsetY = 0;
    // 0 while the mouse is over the button, 1 when not.
    LiveValue hover;

private:
    void DrawFace(Tolm::Graphics* g, bool pressed);
};

class SmallWindowButton : public BaseWindowButton
{
public:
    SmallWindowButton(int id, Tolm::ButtonListener* listener);
};

class ShapeButton : public BaseWindowButton
{
public:
    ShapeButton(int id, Tolm::ButtonListener* listener);

    // Kept only when it is a display-surface image, as every loaded image is; anything else clears the
    // hit mask.
    virtual void SetHitMask(Tolm::Image* image);

    // Inside the hit mask, where its alpha is above 20; everywhere without a hit mask.
    bool AcceptsPoint(int x, int y) override;

    Tolm::DDImage* hitMask = nullptr;
};
