// The game's title picture at the top of the main menu, with one twinkling light on it. It slides down
// from above the top edge into view and back up out of it; a press on a transparent part of the picture
// falls through to the town behind.
#pragma once

#include "core/LiveValue.h"
#include "widgets/Widget.h"

#include <memory>

namespace Tolm {
class DDImage;
class Image;
} // namespace Tolm

struct WindowLight;

class GameTitle : public Tolm::Widget
{
public:
    // Shown, at the top of the screen, sized to the title picture (0 x 0 without one).
    GameTitle();
    ~GameTitle() override;

    // Shown at y 0, hidden one height above; without animate the title jumps there.
    void SetShown(bool shown, bool animate);

    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;
    bool AcceptsPoint(int x, int y) override;

    // A resource; may be null.
    Tolm::Image* image;
    // The picture, when it is a display-surface image as every loaded picture is.
    Tolm::DDImage* hitMask;
    std::unique_ptr<WindowLight> light;
    // The title's y.
    LiveValue slide;
};
