// The decorative lights of the windows, the game screen's background and the menu title: a light with a
// glow that twinkles, each out of step with the others, fading in when made and in or out together when
// their list is switched.
#pragma once

#include "core/LiveValue.h"

#include <list>
#include <memory>

namespace Tolm {
class Graphics;
class Image;
} // namespace Tolm

struct WindowLight
{
    // Centred on (x, y) in the owner's drawing coordinates; a random phase and twinkle speed.
    WindowLight(int x, int y);

    // dt in update periods.
    void Update(float dt);
    void Draw(Tolm::Graphics* g);

    int x;
    int y;
    // Resources.
    Tolm::Image* light;
    Tolm::Image* glow;
    float phase;
    float phaseSpeed;
    // Overall opacity.
    LiveValue alpha;
};

class WindowLightList
{
public:
    void Add(int x, int y);
    void SetAllOn(bool on);
    void Update(float dt);
    // In the order the lights were added.
    void Draw(Tolm::Graphics* g);

    std::list<std::unique_ptr<WindowLight>> lights;
};
