#include "windows/InformWindow.h"

#include "gamewidgets/BaseWindowButton.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"
#include "windows/WindowLayout.h"

namespace {

constexpr int kDialogId = 300;

} // namespace

InformWindow::InformWindow(const std::string& message)
    : BaseWindow(GetImageById("UI_WINDOW_CONFIRM"), 0, false, "", "", ""), text(message)
{
    SetWindowFrame(*this, kDialogId, Tolm::Insets{50, 44, 50, 40}, "cap_information");
    okButton = AddCentredButton(*this, 0, "but_ok", 250);
    AddLight(6, 151);
    AddLight(393, 215);
}

InformWindow::~InformWindow()
{
    RemoveAllWidgets(false, false);
}

void InformWindow::Draw(Tolm::Graphics* g)
{
    BaseWindow::Draw(g);
    DrawWindowText(g, "FONT_WINDOW_TEXT", WindowBodyRect(*this, 0, 70, 0, 0), text, 30);
}

void InformWindow::KeyDown(int keyCode)
{
    EscapeAnswersZero(*this, keyCode);
}

void InformWindow::ButtonClicked(int buttonId)
{
    BaseWindow::ButtonClicked(buttonId);
    if (buttonId == 0) {
        result = 0;
    }
}

void ShowInformMessage(const std::string& message)
{
    (new InformWindow(message))->ShowModal();
}
