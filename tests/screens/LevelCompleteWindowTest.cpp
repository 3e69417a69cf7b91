// The level-complete tally: each counter lands after its fixed number of updates with a burst and one
// chime per update, the closing sound follows an update later, a press skips and a second one closes,
// and a level without locks still lets the window close.
#include "windows/LevelCompleteWindow.h"

#include "PlacedFont.h"
#include "ScreensFixture.h"
#include "effects/ParticleConfigManager.h"
#include "effects/ParticleManager.h"
#include "gamewidgets/BaseWindowButton.h"
#include "graphics/Graphics.h"
#include "support/DrawLog.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace {

using Strings = std::vector<std::string>;

class LevelCompleteWindowTest : public ScreensTest
{
protected:
    LevelCompleteWindowTest()
    {
        Picture("UI_WINDOW_COMPLETE", 400, 420);
        Sounds({"SOUND_SHOW_WINDOW", "SOUND_HIDE_WINDOW", "SOUND_LABEL_COUNTER", "SOUND_ONE_COUNTER_DONE",
                "SOUND_COUNTER_DONE"});
        temp.Write("count_done.xml", "<particles><emission value=\"10\"/><lifetime value=\"-1\"/></particles>");
        ParticleConfigManager::Instance()->LoadConfig(temp.Path() + "count_done.xml", "count_done");
    }
    ~LevelCompleteWindowTest() override
    {
        delete LevelCompleteWindow::RegisteredInstance();
        delete ParticleConfigManager::RegisteredInstance();
    }

    // One update and one frame of the window, as the modal loop gives it.
    void Step(LevelCompleteWindow* window)
    {
        window->Update();
        window->UpdateFraction(1.0f);
    }

    TempFolder temp;
};

} // namespace

TEST_F(LevelCompleteWindowTest, CountersArriveAtTheirFixedTimesEachWithABurstAndAChime)
{
    // Amounts whose per-update steps are exact, so each lands on the very update its time says.
    LevelCompleteWindow* window = LevelCompleteWindow::Instance();
    window->SetTally(360, 190, 200, 1050, 0.3f);
    std::map<int, Strings> heard;
    std::map<int, int> burstsAt;
    int emitters = 0;
    for (int update = 1; update <= 240; ++update) {
        Step(window);
        Strings played = sounds.Take();
        played.erase(std::remove(played.begin(), played.end(), "SOUND_LABEL_COUNTER"), played.end());
        if (!played.empty()) {
            heard[update] = played;
        }
        if (window->particles->count > emitters) {
            burstsAt[update] = window->particles->count - emitters;
        }
        emitters = window->particles->count;
    }
    const Strings chime{"SOUND_ONE_COUNTER_DONE"};
    // Puzzled: 0.3 at 0.003 a unit.
    const std::map<int, Strings> expected{{100, chime}, {180, chime}, {190, chime},
                                          {200, chime}, {210, chime}, {211, Strings{"SOUND_COUNTER_DONE"}}};
    EXPECT_EQ(heard, expected);
    EXPECT_EQ(burstsAt, (std::map<int, int>{{100, 1}, {180, 1}, {190, 1}, {200, 1}, {210, 1}}));
    EXPECT_EQ(int(window->gold.current), 360);
    EXPECT_FALSE(window->IsCounting());
}

TEST_F(LevelCompleteWindowTest, TheCounterTicksEveryEighthUpdateWhileCounting)
{
    LevelCompleteWindow* window = LevelCompleteWindow::Instance();
    window->SetTally(0, 0, 0, 0, 0.06f);
    std::vector<int> ticks;
    for (int update = 1; update <= 30; ++update) {
        Step(window);
        for (const std::string& id : sounds.Take()) {
            if (id == "SOUND_LABEL_COUNTER") {
                ticks.push_back(update);
            }
        }
    }
    // 0.06 at 0.003 a unit lands in about 20 updates: ticks in updates 8 and 16, none in 24.
    EXPECT_EQ(ticks, (std::vector<int>{8, 16}));
}

TEST_F(LevelCompleteWindowTest, AnEmptyCounterShowsZeroAtOnceWithoutBurstOrChime)
{
    LevelCompleteWindow* window = LevelCompleteWindow::Instance();
    window->SetTally(0, 190, 0, 0, 0.0f);
    for (int update = 1; update <= 189; ++update) {
        Step(window);
    }
    EXPECT_EQ(window->particles->count, 0);
    Strings played = sounds.Take();
    EXPECT_EQ(std::count(played.begin(), played.end(), "SOUND_ONE_COUNTER_DONE"), 0);
    Step(window);
    EXPECT_EQ(window->particles->count, 1) << "only the food row bursts";
}

TEST_F(LevelCompleteWindowTest, TheFirstPressSkipsWithOneChimeAndTheSecondCloses)
{
    struct Case
    {
        const char* name;
        std::function<void(LevelCompleteWindow*)> press;
        bool closes;
    };
    const Case cases[] = {
        {"Enter", [](LevelCompleteWindow* w) { w->KeyDown(13); }, true},
        {"Esc", [](LevelCompleteWindow* w) { w->KeyDown(27); }, true},
        {"the button", [](LevelCompleteWindow* w) { w->ButtonClicked(0); }, true},
        {"a press on the window", [](LevelCompleteWindow* w) { w->MouseDown(10, 10, 1, 1); }, false},
    };
    for (const Case& c : cases) {
        LevelCompleteWindow* window = LevelCompleteWindow::Instance();
        window->SetTally(50, 60, 70, 80, 0.5f);
        Step(window);
        sounds.Take();
        c.press(window);
        EXPECT_FALSE(window->IsCounting()) << c.name;
        EXPECT_EQ(window->particles->count, 5) << c.name << ": every counter bursts at once";
        EXPECT_EQ(sounds.Take(), Strings{"SOUND_ONE_COUNTER_DONE"}) << c.name;
        EXPECT_EQ(window->result, Tolm::Dialog::kNoResult) << c.name;
        c.press(window);
        EXPECT_EQ(window->result, c.closes ? 0 : Tolm::Dialog::kNoResult) << c.name;
        delete window;
    }
}

TEST_F(LevelCompleteWindowTest, ALevelWithoutLocksCountsAsAllPuzzledAndTheWindowCloses)
{
    LevelCompleteWindow* window = LevelCompleteWindow::Instance();
    // The board's fraction of cleared locks when there are none: 0 / 0.
    window->SetTally(10, 10, 10, 10, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(window->puzzled.target, 1.0f);
    int start = app->updateCount;
    app->onUpdate = [&](int update) {
        if (update == start + 3 || update == start + 4) {
            window->KeyDown(13);
        }
    };
    EXPECT_EQ(ShowWindowModal(window, 1, 2), 0);
    EXPECT_EQ(app->updateCount - start, 5);
}

TEST_F(LevelCompleteWindowTest, TheRowsShowTruncatedCountsAndPercentage)
{
    std::vector<RecordingFont::Draw> texts;
    PlacedFont font(texts);
    resources->DeclareFont("FONT_WINDOW_TEXT", font);
    app->SetStringProperty("lab_puzzled_cells", u"Locks broken");
    LevelCompleteWindow* window = LevelCompleteWindow::Instance();
    window->gold.current = 12.9f;
    window->puzzled.current = 0.499f;
    DrawLog log(800, 600);
    Tolm::Graphics g(&log);
    window->Draw(&g);
    auto drawnAt = [&](const std::string& text) {
        auto found = std::find_if(texts.begin(), texts.end(), [&](const auto& d) { return d.text == text; });
        return found == texts.end() ? std::pair{-1, -1} : std::pair{found->x, found->y};
    };
    // The rows sit 25 pixels right of their places: values at 230, labels at 110.
    EXPECT_EQ(drawnAt("12"), (std::pair{255, 180}));
    EXPECT_EQ(drawnAt("49 %"), (std::pair{255, 320}));
    EXPECT_EQ(drawnAt("Locks broken"), (std::pair{135, 320}));
}
