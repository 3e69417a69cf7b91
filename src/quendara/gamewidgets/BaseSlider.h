// The volume and sensitivity sliders: the framework slider on the game's track and thumb, with a caption
// plate above it. A press on the track jumps the thumb there and is reported on release; a drag reports
// every change and the value once more on release. The pointer shape never changes over it.
#pragma once

#include "widgets/Slider.h"

#include <string>

class BaseSlider : public Tolm::Slider
{
public:
    BaseSlider(int id, Tolm::SliderListener* listener);

    using Tolm::Slider::MouseDown;
    using Tolm::Slider::MouseUp;
    // Any mouse button.
    void MouseDown(int x, int y, int signedCount) override;
    void MouseUp(int x, int y) override;
    void MouseMove(int x, int y) override;
    void Draw(Tolm::Graphics* g) override;

    // Drawn on the caption plate; nothing for an empty caption.
    std::string label;
};
