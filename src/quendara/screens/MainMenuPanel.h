// The main menu's panel in the bottom-right corner of the screen: the start, options and exit buttons, the
// welcome line with the open profile's name, and the change-profile button beside it (the line and the
// button send the same id). It slides up from below the bottom edge into view and back down out of it;
// a press on a transparent part of its picture falls through to the town behind.
#pragma once

#include "core/LiveValue.h"
#include "widgets/Widget.h"

#include <memory>
#include <string>

namespace Tolm {
class ButtonListener;
class DDImage;
class Image;
} // namespace Tolm

class BaseWindowButton;
class ProfileButton;
class ShapeButton;

class MainMenuPanel : public Tolm::Widget
{
public:
    static constexpr int kStartButton = 0;
    static constexpr int kOptionsButton = 1;
    static constexpr int kExitButton = 2;
    static constexpr int kChangeProfileButton = 3;
    // The welcome line's left end and the change-player gem's, on the panel: the line must end before
    // the gem.
    static constexpr int kWelcomeX = 75;
    static constexpr int kChangeProfileX = 259;

    // The buttons report to the listener, which is not owned and must outlive the panel. Starts shown,
    // sized to its picture (0 x 0 without one).
    explicit MainMenuPanel(Tolm::ButtonListener* listener);
    ~MainMenuPanel() override;

    // Shown with its bottom on the screen's bottom edge, hidden with its top there; without animate the
    // panel jumps there.
    void SetShown(bool shown, bool animate);
    // Fully down and settled there: false while the panel still slides.
    bool IsHidden() const;

    // The welcome line follows the open profile's name.
    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;
    bool AcceptsPoint(int x, int y) override;

    // A resource; may be null.
    Tolm::Image* background;
    // The picture, when it is a display-surface image as every loaded picture is.
    Tolm::DDImage* hitMask;
    std::unique_ptr<ShapeButton> startButton;
    std::unique_ptr<ShapeButton> optionsButton;
    std::unique_ptr<ShapeButton> exitButton;
    std::unique_ptr<BaseWindowButton> changeProfileButton;
    // The panel's y.
    LiveValue slide;
    std::unique_ptr<ProfileButton> profileButton;
    // The name the welcome line shows.
    std::string shownName;

private:
    std::unique_ptr<ShapeButton> AddShapeButton(int id, Tolm::ButtonListener* listener, int row);
    float ShownY() const;
    float HiddenY() const;
};
