#include "windows/PeopleBonusWindow.h"

#include "app/TolmAppBase.h"
#include "gamewidgets/BaseWindowButton.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"
#include "town/TownMan.h"
#include "windows/WindowLayout.h"

namespace {

constexpr int kDialogId = 222;
constexpr int kEscapeKey = 27;
constexpr int kEnterKey = 13;
// The portrait's column on the left, and where the texts beside it begin.
constexpr int kColumnWidth = 200;
constexpr int kCongratulationBaseline = 50;
constexpr int kBonusBaseline = 110;
// Between the end of the bonus words and the name.
constexpr int kNameGap = 25;
const Tolm::Rect kCommentsRect(200, 130, 250, 125);
constexpr int kCommentsLineSpacing = 20;
// Between the button and the bottom edge.
constexpr int kButtonMargin = 8;

} // namespace

PeopleBonusWindow::PeopleBonusWindow() : BaseWindow(GetImageById("HINT_WINDOW_PEOPLE"), 0, false, "", "", "")
{
    SetWindowFrame(*this, kDialogId, Tolm::Insets{15, 20, 15, 15}, "");
    continueButton = AddWindowButton(*this, 0, "but_continue", 0, 0);
    continueButton->Move((width - continueButton->width) / 2, height - continueButton->height - kButtonMargin);
}

PeopleBonusWindow::~PeopleBonusWindow()
{
    RemoveAllWidgets(false, false);
}

void PeopleBonusWindow::SetPerson(const TownMan& person)
{
    preview = person.GetPreviewImage();
    name = person.GetName();
    comments = person.GetComments();
}

void PeopleBonusWindow::Draw(Tolm::Graphics* g)
{
    BaseWindow::Draw(g);
    g->SetColor(Tolm::Color::White);
    if (preview) {
        g->DrawImage(preview, (kColumnWidth - preview->GetWidth()) / 2, (height - preview->GetHeight()) / 2);
    }
    if (Tolm::Font* title = GetFontById("FONT_WINDOW_TITLE")) {
        g->SetFont(title);
        std::string bonus = Tolm::GetLocalizedText("lab_people_bonus");
        g->DrawTextLine(Tolm::GetLocalizedText("lab_people_congratulation"), 0, kCongratulationBaseline, width, 0);
        g->DrawTextLine(bonus, kColumnWidth, kBonusBaseline, -1, -1);
        g->DrawTextLine(name, kColumnWidth + kNameGap + title->StringWidth(bonus), kBonusBaseline, -1, -1);
    }
    DrawWindowText(g, "FONT_HINT_WINDOW_TEXT", kCommentsRect, comments, kCommentsLineSpacing);
}

void PeopleBonusWindow::KeyDown(int keyCode)
{
    if (!visible) {
        return;
    }
    BaseWindow::KeyDown(keyCode);
    if (keyCode == kEscapeKey || keyCode == kEnterKey) {
        result = 0;
    }
}

void PeopleBonusWindow::PlayShowSound()
{
    PlaySoundById("SOUND_PEOPLE_BONUS_APPEAR");
}

void PeopleBonusWindow::PlayHideSound()
{
    PlaySoundById("SOUND_HIDE_HINT_WINDOW");
}

void PeopleBonusWindow::ButtonClicked(int buttonId)
{
    BaseWindow::ButtonClicked(buttonId);
    if (buttonId == 0) {
        result = 0;
    }
}
