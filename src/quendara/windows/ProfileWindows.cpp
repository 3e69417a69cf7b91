#include "windows/ProfileWindows.h"

#include "app/TolmAppBase.h"
#include "core/Callback.h"
#include "gamewidgets/BaseWindowButton.h"
#include "gamewidgets/CustomEdit.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "profile/UserProfile.h"
#include "resources/ResourceLookups.h"
#include "widgets/WidgetManager.h"
#include "windows/InformWindow.h"
#include "windows/ProfileWidgets.h"
#include "windows/WindowEffects.h"
#include "windows/WindowLayout.h"

using Tolm::gTolmApp;

namespace {

enum NewProfileControl
{
    kOkButton,
    kBackButton,
    kNameEdit
};
constexpr int kCloseButton = 0;
constexpr int kEscapeKey = 27;
// The arrow points at the open slot's row from this far below the row's top.
constexpr int kArrowX = 50;
constexpr int kArrowDrop = 15;

bool HasNonBlank(const std::string& text)
{
    return text.find_first_not_of(' ') != std::string::npos;
}

} // namespace

NewProfileWindow::NewProfileWindow() : BaseWindow(GetImageById("UI_WINDOW_NEW_PROFILE"), 0, false, "", "", "")
{
    SetWindowFrame(*this, 0, Tolm::Insets{50, 46, 50, 40}, "cap_new_profile");
    okButton = AddCentredButton(*this, kOkButton, "but_ok", 238);
    backButton = AddCentredButton(*this, kBackButton, "but_back", 283);
    edit = std::make_unique<CustomEdit>(kNameEdit, this);
    edit->Move((width - edit->width) / 2, 155);
    AddWidget(edit.get());
    clip = false;
    AddLight(393, 246);
    AddLight(7, 153);
}

NewProfileWindow::~NewProfileWindow()
{
    RemoveAllWidgets(false, false);
}

void NewProfileWindow::SetBackButtonVisible(bool isVisible)
{
    backButton->SetVisible(isVisible);
}

void NewProfileWindow::Draw(Tolm::Graphics* g)
{
    DrawDim(g);
    BaseWindow::Draw(g);
    Tolm::Font* font = GetFontById("FONT_WINDOW_TEXT");
    if (!font) {
        return;
    }
    g->SetFont(font);
    g->SetColor(Tolm::Color::White);
    g->DrawTextLine(Tolm::GetLocalizedText("lab_enter_name"), 0, 130, width, 0);
}

void NewProfileWindow::GotFocus()
{
    BaseWindow::GotFocus();
    gTolmApp->widgetManager->SetFocus(edit.get());
}

void NewProfileWindow::KeyDown(int keyCode)
{
    EscapeAnswersZero(*this, keyCode);
}

void NewProfileWindow::ButtonClicked(int buttonId)
{
    BaseWindow::ButtonClicked(buttonId);
    if (buttonId == kOkButton && HasNonBlank(edit->text)) {
        CreateFromName(edit->text);
    } else if (buttonId == kBackButton) {
        result = 0;
    }
}

void NewProfileWindow::TextSubmitted(int /*id*/, const std::string& text)
{
    if (HasNonBlank(text)) {
        CreateFromName(text);
    }
}

bool NewProfileWindow::AllowKey(int /*id*/, int keyCode)
{
    if (keyCode == kEscapeKey && visible && backButton->visible) {
        result = 0;
    }
    return true;
}

bool NewProfileWindow::AllowChar(int /*id*/, char ch)
{
    Tolm::Font* font = GetFontById("FONT_PROFILE_EDIT");
    return !font || font->StringWidth(edit->text + ch) <= edit->width - kNameMargin;
}

void NewProfileWindow::CreateFromName(const std::string& name)
{
    UserProfile* profile = UserProfile::Instance();
    if (profile->CreateProfile(name)) {
        result = 1;
        return;
    }
    // Refused without a slot of that name: the open profile could not be saved first.
    if (profile->FindSlotByName(name) < 0) {
        InformProfileNotSaved();
    }
    result = 0;
}

ProfileWindow::ProfileWindow() : BaseWindow(GetImageById("UI_WINDOW_PROFILE"), 0, false, "", "", "")
{
    SetWindowFrame(*this, kDialogId, Tolm::Insets{50, 42, 50, 40}, "cap_select_profile");
    for (int slot = 0; slot < int(slots.size()); ++slot) {
        slots[size_t(slot)] = std::make_unique<ProfileUIElement>(slot);
        slots[size_t(slot)]->Move(kFirstRowX, kFirstRowY + kRowSpacing * slot);
        AddWidget(slots[size_t(slot)].get());
    }
    closeButton = AddWindowButton(*this, kCloseButton, "but_close", 80, 364);
    clip = false;
    AddLight(21, 230);
    AddLight(391, 62);
}

ProfileWindow::~ProfileWindow()
{
    RemoveAllWidgets(false, false);
}

void ProfileWindow::StepAside()
{
    visible = false;
    PlayWindowEffect(this, 2, nullptr);
}

void ProfileWindow::ComeBack()
{
    if (!gTolmApp->shutDown) {
        PlayWindowEffect(this, 1, new CB_Callback<BaseWindow>(this, &BaseWindow::Reveal));
    }
}

void ProfileWindow::Draw(Tolm::Graphics* g)
{
    DrawDim(g);
    BaseWindow::Draw(g);
    const int active = UserProfile::Instance()->GetActiveSlot();
    if (active < 0) {
        return;
    }
    g->SetColor(Tolm::Color::White);
    g->DrawImage(GetImageById("UI_PROFILE_ARROW"), kArrowX, kFirstRowY + kRowSpacing * active + kArrowDrop);
}

void ProfileWindow::KeyDown(int keyCode)
{
    if (!visible) {
        return;
    }
    Tolm::Widget::KeyDown(keyCode);
    if (keyCode == kEscapeKey) {
        TryClose();
    }
}

void ProfileWindow::ButtonClicked(int buttonId)
{
    BaseWindow::ButtonClicked(buttonId);
    if (buttonId == kCloseButton) {
        TryClose();
    }
}

void ProfileWindow::TryClose()
{
    if (UserProfile::Instance()->GetActiveSlot() != -1) {
        result = 0;
        return;
    }
    StepAside();
    ShowWindowModal(new InformWindow(Tolm::GetLocalizedText("create_profile")), 1, 2);
    ComeBack();
}

void InformProfileNotSaved()
{
    ShowWindowModal(new InformWindow(Tolm::GetLocalizedText("cant_save_profile")), 1, 2);
}
