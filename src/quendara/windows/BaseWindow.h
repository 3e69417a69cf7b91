// The base of every modal window of the game: a framework dialog drawn from a background picture instead
// of the dialog's frame, centred on the screen, with decorative lights, shown by a blocking call. The
// show plays the window's sound, makes it the modal widget and runs main-loop steps (the whole game keeps
// updating and drawing underneath) until the window has a final result. On a 3D display the window
// grows in and shrinks away with an effect, and the final result arrives once the shrinking has ended.
#pragma once

#include "graphics/Color.h"
#include "widgets/Dialog.h"

#include <climits>
#include <cstdint>
#include <memory>
#include <string>

class WindowLightList;

// The colour the darkening windows lay over the whole screen behind them.
inline constexpr Tolm::Color kWindowDimColor{0, 0, 0, 80};

class BaseWindow : public Tolm::Dialog
{
public:
    // The window is as large as the background (0 x 0 without one) and centred on the screen. The game's
    // windows pass modal false and empty texts: the show makes them modal.
    BaseWindow(Tolm::Image* background, int dialogId, bool modal, const std::string& header, const std::string& lines,
               const std::string& footer);
    ~BaseWindow() override;

    // Blocks until the window has closed and returns its result; -1 at once when it is shown already.
    // Afterwards the window is out of the widget manager and queued for deletion: the caller must not
    // use it again.
    int ShowModal();
    // At (x, y) relative to the window.
    void AddLight(int x, int y);
    // The window with its children through the caller's graphics state, even while it is hidden; it is
    // put into the widget manager for the drawing when it is not there.
    void DrawForEffect(Tolm::Graphics* g);
    // The end of the appear effect: the window shows.
    void Reveal();
    // The end of the disappear effect: the wait may end.
    void FinishClose();
    // Darkens the whole screen behind the window: call first thing in Draw.
    void DrawDim(Tolm::Graphics* g);

    virtual void PlayShowSound();
    virtual void PlayHideSound();

    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;
    // A window cannot be dragged.
    using Tolm::Dialog::MouseDown;
    void MouseDown(int x, int y, int button, int clickCount) override;
    void MouseDrag(int x, int y) override;

    std::unique_ptr<WindowLightList> lights;
    // Not owned; may be null.
    Tolm::Image* background;
    // 0 none, 1 appear, 2 disappear (the effect types).
    int8_t appearEffect = 0;
    int8_t disappearEffect = 0;
    // kNoResult until the window has finished closing, then the result.
    int finalResult = kNoResult;
    // The disappear effect has been started.
    bool closing = false;

protected:
    // The wait goes on until the window has finished closing, not only until it has a result.
    bool ResultReady() override { return finalResult != kNoResult; }

private:
    void StartEffect(int type, void (BaseWindow::*onFinished)());
};

// -1 when the window is shown already; otherwise it is shown modally with the two effects when the
// display draws in 3D (without them otherwise) and its result is returned, the window gone.
int ShowWindowModal(BaseWindow* window, int appearEffect, int disappearEffect);
void SetWindowDisappearEffect(BaseWindow* window, int type);
// Whether ShowWindowModal plays the effects: on a 3D display. Forcing them is for tests, which have no 3D
// display.
bool WindowEffectsWanted();
void ForceWindowEffects(bool on);
