// The tutorial hints: one shown-bit per kind in the profile's two masks, set before the bubble opens,
// one bubble per kind; the bubble placed towards the screen's middle and kept on the screen, its arrow
// faded out before it closes.
#include "ScreensFixture.h"
#include "platform/FileSystem.h"
#include "profile/UserProfile.h"
#include "support/HintKeys.h"
#include "support/TempFolder.h"
#include "windows/FieldHints.h"
#include "windows/HintWindow.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

namespace {

using Strings = std::vector<std::string>;

constexpr int kArrowWidth = 100;

class HintsTest : public ScreensTest
{
protected:
    // The profile makes its folder in the current one.
    HintsTest() : testsFolder(Platform::CurrentFolder())
    {
        Platform::SetCurrentFolder(temp.Path());
        Picture("HINT_WINDOW_FIELD", 260, 150);
        Picture("HINT_ARROW", kArrowWidth, 40);
        Sounds({"SOUND_SHOW_HINT_WINDOW", "SOUND_HIDE_HINT_WINDOW"});
    }
    ~HintsTest() override
    {
        delete FieldHints::RegisteredInstance();
        delete UserProfile::RegisteredInstance();
        Platform::SetCurrentFolder(testsFolder);
    }

    // Shows the kind's hint, answering any bubble with Enter; the number of bubbles shown.
    int ShowAndAnswer(int type)
    {
        app->onUpdate = [this](int) {
            if (Tolm::Dialog* bubble = app->GetDialog(HintWindow::kDialogId)) {
                bubble->KeyDown(13);
            }
        };
        ShowFieldHint(type, 100, 100);
        app->onUpdate = nullptr;
        Strings played = sounds.Take();
        return int(std::count(played.begin(), played.end(), "SOUND_SHOW_HINT_WINDOW"));
    }

    TempFolder temp;
    std::string testsFolder;
};

// The game's translation as it ships.
const std::string kShippedTexts = std::string(QUENDARA_TEST_SOURCE) + "/../../data/properties/trans.xml";

// The text under the key, read from the file's own lines, with the XML escapes undone.
std::string ShippedText(const std::string& key)
{
    std::ifstream file(kShippedTexts);
    std::stringstream contents;
    contents << file.rdbuf();
    const std::string xml = contents.str();
    std::smatch found;
    if (!std::regex_search(xml, found, std::regex("<String id=\"" + key + "\">([^<]*)</String>"))) {
        return "(no text for " + key + ")";
    }
    std::string text = found[1];
    const std::pair<const char*, const char*> escapes[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto& [escaped, plain] : escapes) {
        for (std::size_t at = text.find(escaped); at != std::string::npos; at = text.find(escaped, at + 1)) {
            text.replace(at, std::strlen(escaped), plain);
        }
    }
    return text;
}

} // namespace

// Every kind's bubble says the shipped text under that kind's own key; the help window's kind says nothing.
TEST_F(HintsTest, EachBubbleSaysTheShippedTextOfItsKind)
{
    ASSERT_TRUE(app->LoadProperties(kShippedTexts, true, false));
    for (int kind = 0; kind < int(kHintKeysByKind.size()); ++kind) {
        const char* key = kHintKeysByKind[std::size_t(kind)];
        SCOPED_TRACE(key ? key : "the help window's kind");
        UserProfile::SetHintMaskLow(0);
        UserProfile::SetHintMaskHigh(0);
        Strings said;
        app->onUpdate = [&](int) {
            if (auto* bubble = dynamic_cast<HintWindow*>(app->GetDialog(HintWindow::kDialogId))) {
                if (said.empty()) {
                    said.push_back(bubble->text);
                }
                bubble->KeyDown(13);
            }
        };
        ShowFieldHint(kind, 100, 100);
        app->onUpdate = nullptr;
        EXPECT_EQ(said, key ? Strings{ShippedText(key)} : Strings{});
    }
}

TEST_F(HintsTest, EachKindHasOneBitInOneMaskAndOneBubble)
{
    struct Case
    {
        const char* name;
        int type;
        uint32_t low;
        uint32_t high;
        int bubbles;
    };
    const Case cases[] = {
        {"a low kind", 2, 1u << 2, 0, 1},
        {"the last low kind", 31, 1u << 31, 0, 1},
        {"a high kind", 33, 0, 1u << 1, 1},
        {"the last kind", 36, 0, 1u << 4, 1},
        {"the help window's kind", 4, 1u << 4, 0, 0},
        {"past the last", 37, 0, 0, 0},
        {"negative", -1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        UserProfile::SetHintMaskLow(0);
        UserProfile::SetHintMaskHigh(0);
        EXPECT_EQ(ShowAndAnswer(c.type), c.bubbles) << c.name;
        EXPECT_EQ(UserProfile::GetHintMaskLow(), c.low) << c.name;
        EXPECT_EQ(UserProfile::GetHintMaskHigh(), c.high) << c.name;
        EXPECT_TRUE(IsHintShown(c.type)) << c.name;
        EXPECT_EQ(ShowAndAnswer(c.type), 0) << c.name << ": asked again";
    }
}

TEST_F(HintsTest, TheBitIsSetBeforeTheBubbleOpensAndOtherBitsStay)
{
    UserProfile::SetHintMaskLow(0x5);
    UserProfile::SetHintMaskHigh(0x10);
    bool setWhileOpen = false;
    app->onUpdate = [&](int) {
        if (Tolm::Dialog* bubble = app->GetDialog(HintWindow::kDialogId)) {
            setWhileOpen = IsHintShown(34);
            bubble->KeyDown(27);
        }
    };
    ShowFieldHint(34, 400, 560);
    EXPECT_TRUE(setWhileOpen);
    EXPECT_EQ(UserProfile::GetHintMaskLow(), 0x5u);
    EXPECT_EQ(UserProfile::GetHintMaskHigh(), 0x14u);
}

TEST_F(HintsTest, TheGapRunsFromTheOpeningOfTheLastBubble)
{
    FieldHints* hints = FieldHints::Instance();
    EXPECT_TRUE(hints->IsHintAllowed()) << "the first hint may come at once";
    app->onUpdate = [this](int) {
        if (Tolm::Dialog* bubble = app->GetDialog(HintWindow::kDialogId)) {
            bubble->KeyDown(13);
        }
    };
    int opened = app->updateCount;
    hints->ShowHintWindow("text", 50, 50);
    EXPECT_GT(app->updateCount, opened) << "the update count runs on while the bubble is open";
    EXPECT_EQ(hints->lastShown, opened);
    app->updateCount = opened + FieldHints::kGap - 1;
    EXPECT_FALSE(hints->IsHintAllowed());
    app->updateCount = opened + FieldHints::kGap;
    EXPECT_TRUE(hints->IsHintAllowed());
}

TEST_F(HintsTest, TheBubbleLiesTowardsTheMiddleAndStaysOnTheScreen)
{
    struct Case
    {
        const char* name;
        int x;
        int y;
    };
    const Case corners[] = {
        {"top left", 0, 0},
        {"top right", 800, 0},
        {"bottom left", 0, 600},
        {"bottom right", 800, 600},
        {"near the top left", 20, 30},
        {"near the bottom right", 790, 590},
        {"the menu button", 748, 286},
    };
    for (const Case& c : corners) {
        HintWindow window;
        window.SetHint("text", c.x, c.y, 0);
        EXPECT_GE(window.x, 0) << c.name;
        EXPECT_GE(window.y, 0) << c.name;
        EXPECT_LE(window.x + window.width, 800) << c.name;
        EXPECT_LE(window.y + window.height, 600) << c.name;
        EXPECT_TRUE(std::isfinite(window.angle)) << c.name;
    }

    HintWindow centred;
    centred.SetHint("text", 400, 300, 0);
    EXPECT_TRUE(std::isfinite(centred.angle)) << "no direction at the middle";
    EXPECT_EQ(centred.GetRect(), Tolm::Rect(270, 225, 260, 150)) << "the bubble centres on the point";

    // Left of the middle: the arrow turned half a turn points left, the bubble's middle 1.5 arrow
    // widths to the right (the direction is within the inverse square root's 0.2 %).
    HintWindow left;
    left.SetHint("text", 100, 300, 0);
    EXPECT_FLOAT_EQ(left.angle, 3.1415925f);
    EXPECT_NEAR(left.x + 130, 100 + 150, 1);
    EXPECT_EQ(left.y, 225);

    // Above the middle: the cosine is 0 and the distance one arrow width.
    HintWindow above;
    above.SetHint("text", 400, 50, 0);
    EXPECT_NEAR(above.y + 75, 50 + 100, 1);
    EXPECT_EQ(above.x, 270);
}

TEST_F(HintsTest, TheArrowFadesInOnceShownAndOutBeforeTheBubbleCloses)
{
    auto* window = new HintWindow();
    window->SetHint("text", 100, 100, 0);
    int start = app->updateCount;
    int answered = -1;
    float alphaAtAnswer = -1;
    std::vector<float> alphas;
    app->onUpdate = [&](int update) {
        alphas.push_back(window->arrowAlpha.current);
        if (update == start + 60) {
            answered = update;
            alphaAtAnswer = window->arrowAlpha.current;
            window->KeyDown(13);
        }
    };
    EXPECT_EQ(ShowWindowModal(window, 1, 2), 0);
    EXPECT_EQ(alphaAtAnswer, 1.0f) << "faded in within 50 updates";
    // From 1 at 0.1 a unit: about ten frames to 0, then an update that sees 0 and one that closes.
    int fadeOut = app->updateCount - answered;
    EXPECT_GE(fadeOut, 11);
    EXPECT_LE(fadeOut, 13);
    EXPECT_EQ(alphas.back(), 0.0f);
    EXPECT_TRUE(std::is_sorted(alphas.begin() + (answered - start), alphas.end(), std::greater<float>()));
    EXPECT_EQ(sounds.Take(), (Strings{"SOUND_SHOW_HINT_WINDOW"})) << "no hide sound without the effects";
}
