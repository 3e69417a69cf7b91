// The harness's screen of the heads-up panels and the tally, help and hint windows, over a board of the
// game's tiles and bricks, for scripts that take screenshots of them. Typed keys drive it: "g" pays
// earnings into the top panel, "p" fills the progress bar to half its goal, "t" opens the tally, "h" the
// help ("l" first switches the links of its last page off and on), and "b" a hint bubble pointing into
// the next quarter of the screen.
#pragma once

#include "app/BaseScreen.h"

class GameStateListener;

class WindowsGallery : public BaseScreen
{
public:
    void OnEnter() override;
    void OnLeave() override;
    void Draw(Tolm::Graphics* g) override;
    void KeyChar(char ch) override;

private:
    void DrawBoard(Tolm::Graphics* g);
    void ShowBubble();

    // The quarter the next bubble points into.
    int quarter = 0;
};

void RegisterWindowsGallery(GameStateListener* states, const std::string& name);
