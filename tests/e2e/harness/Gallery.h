// The harness's own start state: every game widget of the window furniture on one screen, for scripts that
// hover, press, type and drag them and take screenshots. A button opens the game's confirmation window.
#pragma once

#include "app/BaseScreen.h"
#include "widgets/Listeners.h"

#include <memory>
#include <vector>

class BaseCheckbox;
class BaseSlider;
class BaseWindowButton;
class BonusLineGlow;
class CustomEdit;
class FadingLabel;
class GameFieldButton;
class ProfileButton;
class SmallWindowButton;
class WindowLightList;

namespace Tolm {
class DDImage;
class Image;
} // namespace Tolm

class GalleryScreen : public BaseScreen, public Tolm::ButtonListener
{
public:
    GalleryScreen();
    ~GalleryScreen() override;

    void OnEnter() override;
    void OnLeave() override;
    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;
    void ButtonClicked(int id) override;

    // The last answer of the window, -2 before any.
    int windowResult = -2;

private:
    void DrawCaption(Tolm::Graphics* g, const char* text, int x, int y);
    void DrawGateFrames(Tolm::Graphics* g);

    // The round button's pictures, drawn here: the game's own belong to its screens.
    std::vector<std::unique_ptr<Tolm::DDImage>> roundArt;
    std::unique_ptr<BaseWindowButton> windowButton;
    std::unique_ptr<BaseWindowButton> disabledButton;
    std::unique_ptr<SmallWindowButton> previous;
    std::unique_ptr<SmallWindowButton> next;
    std::unique_ptr<BaseWindowButton> showWindow;
    std::unique_ptr<ProfileButton> profile;
    std::unique_ptr<GameFieldButton> round;
    std::unique_ptr<BaseCheckbox> checkbox;
    std::unique_ptr<BaseCheckbox> checked;
    std::unique_ptr<BaseSlider> slider;
    std::unique_ptr<CustomEdit> edit;
    std::unique_ptr<FadingLabel> label;
    std::unique_ptr<WindowLightList> lights;
    std::unique_ptr<BonusLineGlow> bonusLine;
    // The round button's gate opens and closes by itself.
    int gateTimer = 0;
};

void RegisterGallery(GameStateListener* states, const std::string& name);
