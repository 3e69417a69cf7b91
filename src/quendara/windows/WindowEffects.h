// The transitions of the windows: short-lived full-screen widgets above a window that draw it themselves,
// scaled and faded, while the window is hidden. The appear effect grows it from 70 % to full size as it
// fades in, the disappear effect shrinks it back to 70 % as it fades out, each in 0.2 seconds of core
// time, about the centre of the screen. When an effect has run out it leaves the widget manager, queues
// its own deletion and runs its finish callback. While it lives it takes every click.
#pragma once

#include "core/Module.h"
#include "widgets/Widget.h"

class BaseWindow;
class baseCallback;

class WidgetEffectBase : public Tolm::Widget
{
public:
    // Covers the whole screen.
    WidgetEffectBase();
    ~WidgetEffectBase() override;

    // Takes ownership; the callback runs once, when the effect ends.
    void SetFinishCallback(baseCallback* callback);

    void Update() override;

    // Set by the subclass when its animation has run out.
    bool finished = false;
    baseCallback* onFinished = nullptr;
};

// What both window effects are: a window drawn scaled and faded while two tweens of 0.2 seconds run
// side by side, one on the opacity and one on the scale parameter.
class WindowEffectAlt : public WidgetEffectBase, public baseObject
{
public:
    void UpdateFraction(float dt) override;

    // Not owned; it must outlive the effect.
    BaseWindow* window;
    // Where the window stood when the effect was made.
    int x;
    int y;
    // The drawing's opacity.
    float alpha;
    float shrink;

protected:
    WindowEffectAlt(BaseWindow* window, float alphaFrom, float alphaTo, float shrinkFrom, float shrinkTo);
    // The window at the scale, about the centre of the screen.
    void DrawScaled(Tolm::Graphics* g, float scale);
};

// Fades in while growing from 70 % to full size: shrink runs from 1 to 0, drawn at 1 - shrink x 0.3.
class EffectWindowAppearAlt : public WindowEffectAlt
{
public:
    explicit EffectWindowAppearAlt(BaseWindow* window);

    void Draw(Tolm::Graphics* g) override;
};

// Fades out while shrinking to 70 %: shrink runs from 0 to -1, drawn at 1 + shrink x 0.3.
class EffectWindowDisappearAlt : public WindowEffectAlt
{
public:
    explicit EffectWindowDisappearAlt(BaseWindow* window);

    void Draw(Tolm::Graphics* g) override;
};

// Type 1 an appear effect, 2 a disappear effect, anything else null. The caller adds it to the widget
// manager, which then holds it until it deletes itself.
WidgetEffectBase* CreateWindowEffect(BaseWindow* window, int type);
// Plays the effect (1 or 2) on the window whatever the display, for a window that steps aside by hand
// while it stays shown; the widget manager keeps the effect until it deletes itself. Takes ownership of
// the callback, which may be null.
void PlayWindowEffect(BaseWindow* window, int type, baseCallback* onFinished);
// Takes the effects that draw the window out of the widget manager and deletes them, their callbacks
// uninvoked: for a window that goes while one still plays.
void RemoveWindowEffects(BaseWindow* window);
