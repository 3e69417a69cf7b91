// A two-state box that a click toggles: drawn from two images, from two source rectangles of one image,
// or, without images, as a filled box with a cross when ticked. Every click is reported to the listener.
#pragma once

#include "graphics/Color.h"
#include "graphics/Rect.h"
#include "widgets/Listeners.h"
#include "widgets/Widget.h"

namespace Tolm {

class Image;

class Checkbox : public Widget
{
public:
    // The images are not owned; either may be null. The listener may be null.
    Checkbox(Image* untickedImage, Image* tickedImage, int id, CheckboxListener* listener);

    // The listener, when told, hears it even when the state stays the same.
    virtual void SetChecked(bool isTicked, bool tellListener);
    virtual bool IsChecked();

    using Widget::MouseDown;
    // Any mouse button toggles.
    void MouseDown(int x, int y, int button, int clickCount) override;
    void Draw(Graphics* g) override;

    CheckboxListener* listener;
    int id;
    bool ticked = false;
    Image* untickedImage;
    Image* tickedImage;
    // With a ticked source of some width, both states are cut from the unticked image.
    Rect tickedSource;
    Rect untickedSource;
    // The look without images.
    Color frameColor{255, 255, 255};
    Color fillColor{80, 80, 80};
    Color checkColor{255, 255, 0};

private:
    void DrawPlainBox(Graphics* g);
};

} // namespace Tolm
