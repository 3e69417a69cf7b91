// The first thing the player sees: the splash pictures on black, each fading in, holding and fading out
// (a click or a key cuts one short), then the loading bar filling with the loading progress. When loading
// has completed and the last splash is gone, the title screen takes itself away and the game goes on to
// its main menu.
#pragma once

#include "core/LiveValue.h"
#include "graphics/Color.h"
#include "widgets/Widget.h"

#include <memory>
#include <vector>

class GameApp;

namespace Tolm {
class Image;
}

struct SplashSlideshow
{
    static constexpr float kHoldTime = 180.0f;

    // The fade to and from: opaque black.
    Tolm::Color color = Tolm::Color(0, 0, 0, 255);
    // Not owned.
    std::vector<Tolm::Image*> images;
    int index = 0;
    // 0 hidden, 0.5 fully shown, 1 hidden again.
    LiveValue fade;
    float holdTime = kHoldTime;

    SplashSlideshow()
    {
        fade.target = 1.0f;
        fade.speed = 0.008f;
    }

    bool IsOver() const { return index >= int(images.size()); }
    // The next picture once the fade has reached its end.
    void Advance();
    // The fade moves by the steps, except while the picture holds at full view.
    void UpdateFade(float steps);
    // No more holding; a picture still fading in fades out from the mirrored point.
    void Skip();
};

class TitleScreen : public Tolm::Widget
{
public:
    explicit TitleScreen(GameApp* owner);

    void Update() override;
    void UpdateFraction(float steps) override;
    void Draw(Tolm::Graphics* g) override;
    void KeyDown(int keyCode) override;
    using Tolm::Widget::MouseDown;
    void MouseDown(int x, int y, int signedCount) override;

    GameApp* app;
    // Set by the application when loading has completed.
    bool loadingDone = false;
    std::unique_ptr<SplashSlideshow> slideshow;

private:
    void DrawSplash(Tolm::Graphics* g);
    void DrawLoadingBar(Tolm::Graphics* g);

    // Measured from "IMAGE_LOADING_BACK" when the bar first shows.
    bool barMeasured = false;
    int barWidth = 0;
    int barTop = 0;
};
