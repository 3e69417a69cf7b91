// What connects the player to the profile slots. ProfileListener is an invisible widget of the menu
// screen that makes the player create a profile as soon as none is open, then runs its callback once.
// ProfileUIElement is one slot's row in the profile window: the slot's name and a button that adds a
// profile to a free slot or deletes the slot's profile; a press on the row opens that slot's profile.
// Whatever they change, the town behind the windows follows the open profile.
#pragma once

#include "core/LiveValue.h"
#include "widgets/Listeners.h"
#include "widgets/Widget.h"

#include <memory>
#include <string>

class baseCallback;

namespace Tolm {
class ButtonWidget;
}

class ProfileListener : public Tolm::Widget
{
public:
    // Joins the widget manager: it must be made on the main thread. Takes ownership of the callback,
    // which may be null.
    explicit ProfileListener(baseCallback* callback);
    ~ProfileListener() override;

    // While enabled and no profile is open: the new-profile window without Back, until the player has
    // made or opened a profile; a new one takes the lowest free slot.
    void Update() override;

    baseCallback* callback;

private:
    void SaveNewProfile();
};

class ProfileUIElement : public Tolm::Widget, public Tolm::ButtonListener
{
public:
    // The row's button's left end.
    static constexpr int kButtonX = 214;

    explicit ProfileUIElement(int slot);
    // Where the name is centred on a row of that width with a button of that width.
    static int NameCentreX(int rowWidth, int buttonWidth) { return rowWidth / 2 - buttonWidth + 15; }
    ~ProfileUIElement() override;

    // The row's name, its button's picture by it (delete for a name, add for none), and the town made to
    // show the open profile.
    void SetName(const std::string& newName);

    void Update() override;
    void UpdateFraction(float dt) override;
    // The name is drawn as typed: carets and "%USER%" are no codes in it.
    void Draw(Tolm::Graphics* g) override;
    using Tolm::Widget::MouseDown;
    void MouseDown(int x, int y, int button, int clickCount) override;
    void ButtonClicked(int id) override;

    int slot;
    std::string name;
    std::unique_ptr<Tolm::ButtonWidget> button;
    // Resources.
    Tolm::Image* slotImage;
    Tolm::Image* maskImage;
    // 0 while the mouse is over the row, 1 when not.
    LiveValue hover;

private:
    void AddProfile();
    void DeleteProfile();
};
