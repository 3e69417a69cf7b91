// The people-bonus window: the portrait centred in its column, the name 25 pixels after the bonus words
// in any language, the comments' box, its own sounds and the keys that close it.
#include "windows/PeopleBonusWindow.h"

#include "GameWindowsFixture.h"
#include "gamewidgets/BaseWindowButton.h"
#include "graphics/Graphics.h"
#include "support/DrawLog.h"
#include "town/TownMan.h"

namespace {

class PeopleBonusWindowTest : public GameWindowsTest
{
protected:
    PeopleBonusWindowTest()
    {
        baker.name = "Ada";
        baker.comments = "Bread";
        baker.previewImage = Picture("", 160, 150);
        Text("lab_people_congratulation", "Hooray!");
    }
    ~PeopleBonusWindowTest() override { delete PeopleBonusWindow::RegisteredInstance(); }

    // A small test person.
    TownMan baker;
};

Tolm::Rect RectOf(const DrawLog::Draw& draw)
{
    return Tolm::Rect(int(draw.x), int(draw.y), draw.width, draw.height);
}

} // namespace

TEST_F(PeopleBonusWindowTest, PortraitNameAndCommentsInTheirPlaces)
{
    struct Case
    {
        const char* bonusWords;
        // 225 + 10 per character of the words (the test font).
        int nameX;
    };
    const Case cases[] = {{"Bonus:", 285}, {"Neuer Bewohner:", 375}, {"", 225}};
    for (const Case& c : cases) {
        Text("lab_people_bonus", c.bonusWords);
        auto* window = new PeopleBonusWindow();
        window->SetPerson(baker);
        EXPECT_EQ(window->GetRect(), Tolm::Rect(160, 150, 480, 300));
        EXPECT_EQ(window->continueButton->GetRect(), Tolm::Rect(120, 300 - 40 - 8, 240, 40));
        EXPECT_TRUE(window->clip);
        DrawLog log(800, 600);
        Tolm::Graphics g(&log);
        window->Draw(&g);
        std::vector<DrawLog::Draw> portrait = log.Of(baker.previewImage);
        ASSERT_EQ(portrait.size(), 1u);
        EXPECT_EQ(RectOf(portrait[0]), Tolm::Rect((200 - 160) / 2, (300 - 150) / 2, 160, 150));
        std::vector<DrawLog::Draw> fills;
        for (const DrawLog::Draw& draw : log.draws) {
            if (draw.kind == DrawLog::Kind::Fill) {
                fills.push_back(draw);
            }
        }
        // The congratulation, the bonus words, the name and the comments, in white, in 16-high cells
        // standing on their baselines at ascent 12.
        std::vector<Tolm::Rect> expected = {{240 - 35, 50 - 12, 70, 16},
                                            {200, 110 - 12, 10 * int(std::string(c.bonusWords).size()), 16}};
        expected.push_back({c.nameX, 110 - 12, 30, 16});
        // "Bread" centred in the 250-wide box at (200, 130).
        expected.push_back({200 + 100, 130, 50, 16});
        ASSERT_EQ(fills.size(), expected.size()) << c.bonusWords;
        for (size_t i = 0; i < fills.size(); ++i) {
            EXPECT_EQ(RectOf(fills[i]), expected[i]) << c.bonusWords << " #" << i;
            EXPECT_EQ(fills[i].color, 0xFFFFFFFFu);
        }
        delete window;
    }
}

TEST_F(PeopleBonusWindowTest, ButtonEnterAndEscCloseWithZeroAndTheWindowPlaysItsOwnSounds)
{
    ForceWindowEffects(true);
    struct Case
    {
        const char* name;
        std::function<void()> close;
    };
    const Case cases[] = {
        {"the button", [&] { Click(400, 150 + 252 + 20); }},
        {"Enter", [&] { Key(13); }},
        {"Esc", [&] { Key(27); }},
    };
    for (const Case& c : cases) {
        auto* window = PeopleBonusWindow::Instance();
        window->SetPerson(baker);
        int start = app->updateCount;
        app->onUpdate = [&](int update) {
            if (update == start + 30) {
                c.close();
            }
        };
        EXPECT_EQ(ShowWindowModal(window, 1, 2), 0) << c.name;
        EXPECT_EQ(WindowSounds(), (Strings{"SOUND_PEOPLE_BONUS_APPEAR", "SOUND_HIDE_HINT_WINDOW"})) << c.name;
    }
}

TEST_F(PeopleBonusWindowTest, WithoutAPersonNoPortraitIsDrawn)
{
    PeopleBonusWindow window;
    DrawLog log(800, 600);
    Tolm::Graphics g(&log);
    window.Draw(&g);
    EXPECT_TRUE(log.Of(baker.previewImage).empty());
}
