// The tutorial hint bubble: a short text and a button, set beside the point it explains, towards the
// middle of the screen, with an arrow that points at the point, wobbles along its line and fades in once
// the bubble is up. Closing fades the arrow out first. It does not darken the screen.
#pragma once

#include "core/LiveValue.h"
#include "windows/BaseWindow.h"

#include <memory>
#include <string>

class BaseWindowButton;

// A window with the hint bubble's own sounds.
class BaseHintWindow : public BaseWindow
{
public:
    using BaseWindow::BaseWindow;

    void PlayShowSound() override;
    void PlayHideSound() override;
};

class HintWindow : public BaseHintWindow
{
public:
    static constexpr int kDialogId = 211;
    // The text's box within the bubble, and its line spacing; the button sits this far above the foot.
    static constexpr Tolm::Insets kTextInsets{15, 20, 15, 15};
    static constexpr int kTextLineSpacing = 20;
    static constexpr int kButtonBottomMargin = 8;

    HintWindow();
    ~HintWindow() override;

    // Places the bubble: its middle lies 1 to 1.5 arrow lengths from the point towards the screen's
    // middle, and all of it on the screen. offset moves the arrow further from the point.
    void SetHint(const std::string& hintText, int x, int y, int arrowOffset);

    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;
    void KeyDown(int keyCode) override;
    void ButtonClicked(int id) override;

    std::string text;
    Tolm::Image* arrow;
    float phase = 0;
    int targetX = 0;
    int targetY = 0;
    int offset = 0;
    // Radians; the arrow's +x axis turned by it points from the bubble at the target.
    float angle = 0;
    LiveValue arrowAlpha;
    // The player's answer, held until the arrow has faded out.
    int pendingResult = kNoResult;
    std::unique_ptr<BaseWindowButton> continueButton;

private:
    void DrawArrow(Tolm::Graphics* g);
};
