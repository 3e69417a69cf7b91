#include "NameChecks.h"

#include "app/TolmAppBase.h"
#include "core/StringUtils.h"
#include "gamewidgets/CustomEdit.h"
#include "gamewidgets/TextButton.h"
#include "graphics/Font.h"
#include "graphics/MemoryImage.h"
#include "screens/MainMenuPanel.h"
#include "windows/ProfileWidgets.h"
#include "windows/ProfileWindows.h"

#include <algorithm>
#include <vector>

namespace {

// The text outline reaches past a name's measured width; a name keeps this far from the row's button.
constexpr int kButtonClearance = 3;

// The name of at most maxChars characters whose width in the field's font stays within room and whose
// width in the shown font is the greatest.
std::string WidestName(Tolm::Font& field, int room, int maxChars, Tolm::Font& shown)
{
    if (room < 0) {
        return {};
    }
    // widest[k][w]: the widest name of k characters that is w wide in the field's font, "" for none yet.
    struct Best
    {
        int width = -1;
        std::string name;
    };
    std::vector<std::vector<Best>> widest(std::size_t(maxChars) + 1, std::vector<Best>(std::size_t(room) + 1));
    widest[0][0].width = 0;
    Best best = widest[0][0];
    for (int count = 0; count < maxChars; ++count) {
        for (int used = 0; used <= room; ++used) {
            const Best& from = widest[std::size_t(count)][std::size_t(used)];
            if (from.width < 0) {
                continue;
            }
            for (int byte = ' '; byte < 256; ++byte) {
                const char character = char(byte);
                const int fieldWidth = field.CharWidth(character);
                const int next = used + fieldWidth;
                if (fieldWidth <= 0 || next > room) {
                    continue;
                }
                Best& to = widest[std::size_t(count) + 1][std::size_t(next)];
                const int width = from.width + shown.CharWidth(character);
                if (width > to.width) {
                    to = {width, from.name + character};
                    best = width > best.width ? to : best;
                }
            }
        }
    }
    return best.name;
}

std::string WithName(const std::string& welcome, const std::string& name)
{
    std::string text = Tolm::GetLocalizedText(welcome);
    if (const std::size_t field = text.find("%USER%"); field != std::string::npos) {
        text.replace(field, 6, name);
    }
    return text;
}

void CheckRow(Tolm::Font& field, int room, const std::function<Tolm::MemoryImage*(const std::string&)>& picture,
              Tolm::Font& shown, std::vector<std::string>& problems)
{
    const Tolm::MemoryImage* row = picture("UI_PROFILE_SLOT");
    const Tolm::MemoryImage* button = picture("UI_PROFILE_BUTTON_ADD");
    if (!row || !button) {
        return;
    }
    const std::string name = WidestName(field, room, CustomEdit::kMaxNameChars, shown);
    const int width = shown.StringWidth(name);
    const int left = ProfileUIElement::NameCentreX(row->width, button->width) - width / 2;
    if (left < 0 || left + width > ProfileUIElement::kButtonX - kButtonClearance) {
        problems.push_back(Tolm::FormatString(
            "the name \"%s\" is %d pixels wide in FONT_PROFILE_SLOT and lies from %d to %d on its row, whose button "
            "starts at %d",
            name.c_str(), width, left, left + width, ProfileUIElement::kButtonX));
    }
}

void AddWelcomeProblem(const std::string& text, int width, int end, std::vector<std::string>& problems)
{
    problems.push_back(Tolm::FormatString(
        "the welcome \"%s\" is %d pixels wide in FONT_MAINMENU_PROFILE; the change-player gem comes %d pixels along",
        text.c_str(), width, end));
}

void CheckWelcome(Tolm::Font& field, int room, Tolm::Font& shown, std::vector<std::string>& problems)
{
    // The welcome line draws its text one pixel in.
    const int end = MainMenuPanel::kChangeProfileX - MainMenuPanel::kWelcomeX - 1;
    const std::string name = WidestName(field, room, CustomEdit::kMaxNameChars, shown);
    const int nameWidth = shown.StringWidth(name);
    const bool isLong = nameWidth > ProfileButton::kLongNameWidth;
    const std::string widest = WithName(isLong ? "welcome_back_short" : "welcome_back", name);
    if (shown.StringWidth(widest) > end) {
        AddWelcomeProblem(widest, shown.StringWidth(widest), end, problems);
    }
    // The long welcome also holds any name up to its limit.
    const std::string hello = WithName("welcome_back", "");
    const int helloWidth = shown.StringWidth(hello) + std::min(nameWidth, ProfileButton::kLongNameWidth);
    if (helloWidth > end) {
        AddWelcomeProblem(hello + " with a name " + std::to_string(ProfileButton::kLongNameWidth) + " pixels wide",
                          helloWidth, end, problems);
    }
}

} // namespace

void CheckNameRoom(const std::function<Tolm::MemoryImage*(const std::string&)>& picture,
                   const std::function<Tolm::Font*(const std::string&)>& font, std::vector<std::string>& problems)
{
    Tolm::Font* field = font("FONT_PROFILE_EDIT");
    Tolm::Font* row = font("FONT_PROFILE_SLOT");
    Tolm::Font* welcome = font("FONT_MAINMENU_PROFILE");
    const Tolm::MemoryImage* slot = picture("UI_PROFILE_EDIT_SLOT");
    if (!field || !row || !welcome || !slot) {
        return;
    }
    const int room = slot->width - NewProfileWindow::kNameMargin;
    CheckRow(*field, room, picture, *row, problems);
    CheckWelcome(*field, room, *welcome, problems);
}
