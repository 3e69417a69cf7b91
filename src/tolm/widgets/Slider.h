// A horizontal or vertical track with a thumb that the mouse drags, holding a value from 0.0 to 1.0.
// A press on the track beside the thumb jumps the thumb there; the listener hears every change a drag
// makes and the value once more when the button is released.
#pragma once

#include "widgets/Listeners.h"
#include "widgets/Widget.h"

namespace Tolm {

class Image;

class Slider : public Widget
{
public:
    // The images are not owned; either may be null (a missing thumb counts as 0 x 0).
    Slider(Image* trackImage, Image* thumbImage, int id, SliderListener* listener);

    // Clamped to 0.0..1.0; the listener is not told.
    virtual void SetValue(double newValue);
    // The slider does not paint all of its rectangle.
    virtual bool HasTransparencies() { return true; }

    using Widget::MouseDown;
    using Widget::MouseUp;
    // The signed-count form itself: any button acts.
    void MouseDown(int x, int y, int signedCount) override;
    void MouseUp(int x, int y) override;
    void MouseMove(int x, int y) override;
    void MouseDrag(int x, int y) override;
    void MouseLeave() override;
    void Draw(Graphics* g) override;

    SliderListener* listener;
    double value = 0.0;
    int id;
    Image* trackImage;
    Image* thumbImage;
    bool dragging = false;
    // Where the thumb was taken, from its left or top edge.
    int grabOffsetX = 0;
    int grabOffsetY = 0;
    bool horizontal = true;

private:
    // Along the track: the thumb's position and extent, the point's coordinate and the track's length.
    int ThumbPosition();
    int ThumbExtent();
    int Along(int x, int y) const { return horizontal ? x : y; }
    int TrackLength() const { return horizontal ? width : height; }
    bool OverThumb(int x, int y);
    void DrawTrack(Graphics* g);
    void DrawThumb(Graphics* g);
};

} // namespace Tolm
