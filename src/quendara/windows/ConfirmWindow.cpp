#include "windows/ConfirmWindow.h"

#include "gamewidgets/BaseWindowButton.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"
#include "windows/WindowLayout.h"

namespace {

constexpr int kDialogId = 201;
enum
{
    kNo,
    kYes
};

} // namespace

ConfirmWindow::ConfirmWindow() : BaseWindow(GetImageById("UI_WINDOW_CONFIRM"), 0, false, "", "", "")
{
    SetWindowFrame(*this, kDialogId, Tolm::Insets{50, 42, 50, 40}, "cap_confirmation");
    // Button 0 answers yes.
    yesButton = AddCentredButton(*this, 0, "but_yes", 204);
    noButton = AddCentredButton(*this, 1, "but_no", 252);
    clip = false;
    AddLight(6, 151);
    AddLight(393, 215);
}

ConfirmWindow::~ConfirmWindow()
{
    RemoveAllWidgets(false, false);
}

void ConfirmWindow::SetText(const std::string& question)
{
    text = question;
}

void ConfirmWindow::Draw(Tolm::Graphics* g)
{
    DrawDim(g);
    BaseWindow::Draw(g);
    DrawWindowText(g, "FONT_WINDOW_TEXT", WindowBodyRect(*this, 5, 60, 10, 215), text, 23);
}

void ConfirmWindow::KeyDown(int keyCode)
{
    EscapeAnswersZero(*this, keyCode);
}

void ConfirmWindow::ButtonClicked(int buttonId)
{
    BaseWindow::ButtonClicked(buttonId);
    if (buttonId == 0) {
        result = kYes;
    } else if (buttonId == 1) {
        result = kNo;
    }
}
