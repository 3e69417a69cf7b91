// The two windows through which the player keeps profiles. The new-profile window asks for a name and
// makes a profile of it: its result is 1 for a new profile, 0 after Back or Esc, or when the name was
// one a slot holds already (that profile is then open). The profile window lists the five slots as rows
// to open, add or delete, and will not close while no profile is open.
#pragma once

#include "core/Singleton.h"
#include "widgets/Listeners.h"
#include "windows/BaseWindow.h"

#include <array>
#include <memory>

class BaseWindowButton;
class CustomEdit;
class ProfileUIElement;

class NewProfileWindow : public BaseWindow, public Singleton<NewProfileWindow>, public Tolm::EditListener
{
public:
    // Shown by the menu screen's listener, which hides Back, and from a slot row of the profile window:
    // ids apart from every other window's, so that neither replaces a window it opens over.
    static constexpr int kListenerDialogId = 190;
    static constexpr int kSlotRowDialogId = 123;
    // Names stop this far short of the field's right edge.
    static constexpr int kNameMargin = 45;

    NewProfileWindow();
    ~NewProfileWindow() override;

    void SetBackButtonVisible(bool isVisible);

    void Draw(Tolm::Graphics* g) override;
    // The field takes the focus at once, so the player can type without a click.
    void GotFocus() override;
    void KeyDown(int keyCode) override;
    void ButtonClicked(int buttonId) override;
    // Enter in the field.
    void TextSubmitted(int id, const std::string& text) override;
    // Keys reach the field, not the window, while it holds the focus: Esc there acts as Back while Back
    // shows.
    bool AllowKey(int id, int keyCode) override;
    // A character is taken only while the name stays kNameMargin short of the field's width.
    bool AllowChar(int id, char ch) override;

    std::unique_ptr<BaseWindowButton> backButton;
    std::unique_ptr<CustomEdit> edit;
    std::unique_ptr<BaseWindowButton> okButton;

private:
    void CreateFromName(const std::string& name);
};

class ProfileWindow : public BaseWindow, public Singleton<ProfileWindow>
{
public:
    static constexpr int kDialogId = 206;
    static constexpr int kFirstRowX = 84;
    static constexpr int kFirstRowY = 92;
    static constexpr int kRowSpacing = 54;

    ProfileWindow();
    ~ProfileWindow() override;

    // The window shrinks away while it stays shown, for a window the player answers first ...
    void StepAside();
    // ... and grows back in afterwards, unless the application is shutting down.
    void ComeBack();

    void Draw(Tolm::Graphics* g) override;
    void KeyDown(int keyCode) override;
    void ButtonClicked(int buttonId) override;

    // The rows of slots 0 to 4.
    std::array<std::unique_ptr<ProfileUIElement>, 5> slots;
    std::unique_ptr<BaseWindowButton> closeButton;

private:
    // Closes with 0 once a profile is open; otherwise the window steps aside for a word to the player and
    // comes back.
    void TryClose();
};

// A profile that could not be written to its slot file: the player is told in a window.
void InformProfileNotSaved();
