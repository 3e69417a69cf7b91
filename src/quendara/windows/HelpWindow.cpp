#include "windows/HelpWindow.h"

#include "app/TolmAppBase.h"
#include "gamewidgets/BaseWindowButton.h"
#include "graphics/Graphics.h"
#include "resources/ResourceLookups.h"
#include "windows/HelpPages.h"

#include <utility>

namespace {

constexpr int kCloseId = 0;
constexpr int kNextId = 1;
constexpr int kPrevId = 2;
constexpr int kKeyEscape = 27;
constexpr int kButtonsY = 470;

std::unique_ptr<SmallWindowButton> MakeButton(int id, const std::string& label, Tolm::ButtonListener* listener)
{
    auto button = std::make_unique<SmallWindowButton>(id, listener);
    button->label = label;
    return button;
}

} // namespace

HelpWindow::HelpWindow()
    : BaseWindow(GetImageById("UI_WINDOW_HELP"), kDialogId, false, "", "", ""),
      closeButton(MakeButton(kCloseId, Tolm::GetLocalizedText("but_close"), this)),
      nextButton(MakeButton(kNextId, ">>", this)),
      prevButton(MakeButton(kPrevId, "<<", this)), pages{std::make_unique<HelpPage1>(), std::make_unique<HelpPage2>(),
                                                         std::make_unique<HelpPage3>()}
{
    clip = false;
    backgroundInsets = Tolm::Insets{50, 52, 50, 40};
    SetHeaderFont(GetFontById("FONT_WINDOW_TITLE"));
    header = Tolm::GetLocalizedText("cap_help");
    closeButton->Move(80, kButtonsY);
    prevButton->Move(370, kButtonsY);
    nextButton->Move(380 + nextButton->width, kButtonsY);
    for (SmallWindowButton* button : {closeButton.get(), nextButton.get(), prevButton.get()}) {
        AddWidget(button);
    }
    constexpr std::pair<int, int> kLights[] = {{77, 25}, {708, 192}, {25, 225}, {712, 350}, {15, 430}};
    for (auto [lightX, lightY] : kLights) {
        AddLight(lightX, lightY);
    }
}

HelpWindow::~HelpWindow()
{
    RemoveAllWidgets(false, false);
}

void HelpWindow::ButtonClicked(int id)
{
    BaseWindow::ButtonClicked(id);
    if (id == kCloseId) {
        result = 0;
    } else if (id == kNextId && page < kPageCount - 1) {
        ++page;
    } else if (id == kPrevId && page > 0) {
        --page;
    }
    prevButton->SetDisabled(page == 0);
    nextButton->SetDisabled(page == kPageCount - 1);
}

void HelpWindow::KeyDown(int keyCode)
{
    if (!visible) {
        return;
    }
    BaseWindow::KeyDown(keyCode);
    if (keyCode == kKeyEscape) {
        result = 0;
    }
}

void HelpWindow::Update()
{
    BaseWindow::Update();
    for (auto& helpPage : pages) {
        helpPage->Update();
    }
}

void HelpWindow::Draw(Tolm::Graphics* g)
{
    DrawDim(g);
    BaseWindow::Draw(g);
    g->Translate(kHelpPageX, kHelpPageY);
    pages[size_t(page)]->Draw(g);
    g->Translate(-kHelpPageX, -kHelpPageY);
}
