// The help window's paging and its three pages: page 1 laid out from the window's corner, pages 2 and 3
// from the page origin, the credits moved up without the links, and a bonus brick without a picture
// leaving its column empty.
#include "windows/HelpWindow.h"

#include "PlacedFont.h"
#include "ScreensFixture.h"
#include "bricks/BrickHelper.h"
#include "gamewidgets/BaseWindowButton.h"
#include "graphics/Graphics.h"
#include "resources/ResourceLookups.h"
#include "support/DrawLog.h"
#include "windows/HelpPages.h"
#include "windows/LevelCompleteWindow.h"

#include <algorithm>

namespace {

class HelpWindowTest : public ScreensTest
{
protected:
    HelpWindowTest()
    {
        Picture("UI_WINDOW_HELP", 720, 540);
        Picture("UI_WINDOW_SMALL_BUTTON", 100, 36);
    }
    ~HelpWindowTest() override
    {
        delete HelpWindow::RegisteredInstance();
        delete LevelCompleteWindow::RegisteredInstance();
        delete BrickHelper::RegisteredInstance();
    }

    // Where the text of the id was drawn, or (-1, -1).
    std::pair<int, int> DrawnAt(const std::string& text) const
    {
        auto found = std::find_if(texts.begin(), texts.end(), [&](const auto& d) { return d.text == text; });
        return found == texts.end() ? std::pair{-1, -1} : std::pair{found->x, found->y};
    }

    std::vector<RecordingFont::Draw> texts;
};

} // namespace

TEST_F(HelpWindowTest, PagingRunsThroughTheThreePagesAndDisablesTheEnds)
{
    HelpWindow* window = HelpWindow::Instance();
    EXPECT_EQ(window->page, 0);
    EXPECT_FALSE(window->prevButton->disabled) << "both enabled before the first press";
    EXPECT_FALSE(window->nextButton->disabled);
    EXPECT_EQ(window->nextButton->x, 380 + 100);
    struct Press
    {
        int id;
        int page;
        bool prevDisabled;
        bool nextDisabled;
    };
    const Press presses[] = {
        {2, 0, true, false},  {1, 1, false, false}, {1, 2, false, true}, {1, 2, false, true},
        {2, 1, false, false}, {2, 0, true, false},  {2, 0, true, false},
    };
    for (size_t i = 0; i < std::size(presses); ++i) {
        const Press& press = presses[i];
        window->ButtonClicked(press.id);
        EXPECT_EQ(window->page, press.page) << "press " << i;
        EXPECT_EQ(window->prevButton->disabled, press.prevDisabled) << "press " << i;
        EXPECT_EQ(window->nextButton->disabled, press.nextDisabled) << "press " << i;
        EXPECT_EQ(window->result, Tolm::Dialog::kNoResult) << "press " << i;
    }
    window->ButtonClicked(0);
    EXPECT_EQ(window->result, 0);
}

TEST_F(HelpWindowTest, TheTallyShownOverTheHelpLeavesTheHelpWindowAlive)
{
    // The level may end under the help window: the tally must not take the help window's place.
    Picture("UI_WINDOW_COMPLETE", 400, 420);
    HelpWindow* help = HelpWindow::Instance();
    int start = app->updateCount;
    int phase = 0;
    int tallyResult = -2;
    bool helpShownUnderTally = false;
    app->onUpdate = [&](int update) {
        if (phase == 0 && update == start + 2) {
            phase = 1;
            LevelCompleteWindow* tally = LevelCompleteWindow::Instance();
            tally->SetTally(0, 0, 0, 0, 0.0f);
            tallyResult = ShowWindowModal(tally, 1, 2);
            phase = 2;
        } else if (phase == 1) {
            helpShownUnderTally = IsWindowShown(help);
            if (LevelCompleteWindow* tally = LevelCompleteWindow::RegisteredInstance()) {
                tally->KeyDown(13);
            }
        } else if (phase == 2) {
            help->KeyDown(27);
        }
    };
    EXPECT_EQ(ShowWindowModal(help, 1, 2), 0);
    EXPECT_EQ(tallyResult, 0);
    EXPECT_TRUE(helpShownUnderTally);
}

TEST_F(HelpWindowTest, TheFirstPageIsLaidOutFromTheWindowCornerTheOthersFromThePageOrigin)
{
    PlacedFont font(texts);
    resources->DeclareFont("FONT_WINDOW_TEXT", font);
    Tolm::DDImage* item1 = Picture("IMAGE_HELP_ITEM1", 140, 110);
    app->SetStringProperty("lab_help_rule1", u"Draw");
    app->SetStringProperty("lab_help_resources", u"Resources");
    HelpWindow* window = HelpWindow::Instance();
    DrawLog log(800, 600);
    Tolm::Graphics g(&log);
    window->Draw(&g);
    auto item = std::find_if(log.draws.begin(), log.draws.end(), [&](const auto& d) { return d.source == item1; });
    ASSERT_NE(item, log.draws.end());
    EXPECT_EQ(std::pair(item->x, item->y), std::pair(70.0f, 115.0f));
    EXPECT_EQ(DrawnAt("Draw").first, 218);
    window->ButtonClicked(1);
    texts.clear();
    window->Draw(&g);
    // Centred on 280 from the page origin (80, 130): (-1 - 54) / 2 to the left, six pixels a character.
    EXPECT_EQ(DrawnAt("Resources"), (std::pair{80 + 280 - 27, 130}));
}

TEST_F(HelpWindowTest, WithoutLinksTheCreditsMoveUpSixtyPixels)
{
    PlacedFont font(texts);
    resources->DeclareFont("FONT_WINDOW_TEXT", font);
    resources->DeclareFont("FONT_HINT_WINDOW_TEXT", font);
    Picture("IMAGE_TARVEL_STUDIO", 240, 60);
    app->SetStringProperty("lab_credits", u"Credits");
    app->SetStringProperty("lab_name_music", u"Davin");
    app->SetStringProperty("lab_tarvel_site", u"site");
    HelpPage3 page;
    DrawLog log(800, 600);
    Tolm::Graphics g(&log);
    struct Case
    {
        bool hideLinks;
        int creditsY;
        bool siteShown;
    };
    // The picture's bottom at 50; links: + 60 + 30, without: + 30.
    for (const Case& c : {Case{false, 140, true}, Case{true, 80, false}}) {
        app->SetBoolProperty("hide_links", c.hideLinks);
        texts.clear();
        page.Draw(&g);
        EXPECT_EQ(DrawnAt("Credits").second, c.creditsY) << c.hideLinks;
        EXPECT_EQ(DrawnAt("Davin"), (std::pair{290, c.creditsY + 30 + 150})) << c.hideLinks;
        EXPECT_EQ(DrawnAt("site").second != -1, c.siteShown) << c.hideLinks;
    }
    app->SetBoolProperty("hide_links", false);
}

TEST_F(HelpWindowTest, ABonusBrickWithoutAPictureLeavesItsColumnEmpty)
{
    Tolm::DDImage* hammer = Picture("BRICK_BONUS_HAMER", 36, 36);
    Tolm::DDImage* mixer = Picture("BRICK_BONUS_MIXER", 40, 36);
    HelpPage2 page;
    DrawLog log(800, 600);
    Tolm::Graphics g(&log);
    page.Draw(&g);
    std::vector<std::pair<float, float>> bricks;
    for (const auto& draw : log.draws) {
        if (draw.source == hammer || draw.source == mixer) {
            bricks.emplace_back(draw.x, draw.y);
        }
    }
    // Columns of 80 from x 80: the hammer's first, the mixer's fourth.
    EXPECT_EQ(bricks, (std::vector<std::pair<float, float>>{{80 + 22, 230}, {80 + 240 + 20, 230}}));
}
