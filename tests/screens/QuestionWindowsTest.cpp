// The confirm, continue and inform windows through the real main loop: their results by button and key,
// the continue window's new game with its nested confirmation (answered no, then yes, and yes before its
// hand-played effect has ended), the inform message without effects or dim, and the layout.
#include "GameWindowsFixture.h"
#include "gamewidgets/BaseWindowButton.h"
#include "graphics/Graphics.h"
#include "support/DrawLog.h"
#include "windows/ConfirmWindow.h"
#include "windows/ContinueWindow.h"
#include "windows/InformWindow.h"

#include <functional>

namespace {

// Screen centres of the buttons: a 400-wide window is centred at x 200, its buttons 240 wide at x 80.
// The confirm window (360 high) stands at y 120, the continue window (440 high) at y 80.
constexpr int kYesY = 120 + 204 + 20;
constexpr int kNoY = 120 + 252 + 20;
constexpr int kOkY = 120 + 250 + 20;
constexpr int kContinueY = 80 + 249 + 20;
constexpr int kNewGameY = 80 + 297 + 20;
constexpr int kMainMenuY = 80 + 345 + 20;

class QuestionWindowsTest : public GameWindowsTest
{
protected:
    ~QuestionWindowsTest() override
    {
        delete ContinueWindow::RegisteredInstance();
        delete ConfirmWindow::RegisteredInstance();
    }
};

} // namespace

TEST_F(QuestionWindowsTest, ResultsByButtonAndKey)
{
    struct Case
    {
        const char* name;
        std::function<BaseWindow*()> make;
        std::function<void()> answer;
        int result;
    };
    auto click = [this](int y) { return [this, y] { Click(400, y); }; };
    auto key = [this](int code) { return [this, code] { Key(code); }; };
    auto confirm = [] { return ConfirmWindow::Instance(); };
    auto proceed = [] { return ContinueWindow::Instance(); };
    auto inform = [] { return new InformWindow("Note"); };
    const Case cases[] = {
        {"confirm: yes", confirm, click(kYesY), 1},
        {"confirm: no", confirm, click(kNoY), 0},
        {"confirm: Esc", confirm, key(27), 0},
        {"confirm: Enter does nothing, then no", confirm,
         [this] {
             Key(13);
             Click(400, kNoY);
         },
         0},
        {"continue: the continue button", proceed, click(kContinueY), 2},
        {"continue: Enter", proceed, key(13), 2},
        {"continue: the main menu button", proceed, click(kMainMenuY), 0},
        {"continue: Esc", proceed, key(27), 0},
        {"inform: OK", inform, click(kOkY), 0},
        {"inform: Esc", inform, key(27), 0},
    };
    for (const Case& c : cases) {
        int updates = 0;
        int result = Show(c.make(), [&](int step) {
            updates = step;
            if (step == 2) {
                c.answer();
            }
        });
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(updates, 3) << c.name << ": the answer comes in the update after the press";
    }
}

TEST_F(QuestionWindowsTest, ContinueWindowsNewGameAnsweredNoBringsItBackWithItsAppearEffect)
{
    ContinueWindow* window = ContinueWindow::Instance();
    bool hiddenForTheQuestion = false;
    bool questionShown = false;
    bool appearing = false;
    std::vector<bool> visibleAfterNo;
    int result = Show(window, [&](int step) {
        if (step == 2) {
            Click(400, kNewGameY);
        }
        if (step == 3) {
            hiddenForTheQuestion = !window->visible && EffectsOf<EffectWindowDisappearAlt>(window) == 1;
            questionShown = app->GetDialog(201) != nullptr && app->GetDialog(201)->visible;
        }
        if (step == 5) {
            Click(400, kNoY);
        }
        if (step == 7) {
            appearing = EffectsOf<EffectWindowAppearAlt>(window) == 1;
        }
        if (step >= 6 && step < 40) {
            visibleAfterNo.push_back(window->visible);
            // Keys reach only a window that shows.
            if (!window->visible) {
                Key(13);
            }
        }
        if (step == 40) {
            Click(400, kContinueY);
        }
    });
    EXPECT_EQ(result, 2);
    EXPECT_TRUE(hiddenForTheQuestion);
    EXPECT_TRUE(questionShown);
    EXPECT_TRUE(appearing);
    ASSERT_EQ(visibleAfterNo.size(), 34u);
    EXPECT_EQ(std::count(visibleAfterNo.begin(), visibleAfterNo.end(), true), 34 - 20)
        << "hidden for the 0.2 s of its appear effect, shown again in the update the effect leaves";
    EXPECT_FALSE(visibleAfterNo[19]);
    EXPECT_TRUE(visibleAfterNo[20]);
    EXPECT_EQ(ContinueWindow::RegisteredInstance(), nullptr);
}

TEST_F(QuestionWindowsTest, NewGameAnsweredYesGivesOneInTheNextUpdateWithoutASecondEffectOrHideSound)
{
    ForceWindowEffects(true);
    ContinueWindow* window = ContinueWindow::Instance();
    int confirmReturned = -1;
    int lastStep = 0;
    int disappearEffectsAfterYes = 0;
    Strings soundsBeforeYes;
    int result = Show(window, [&](int step) {
        if (step == 25) {
            Click(400, kNewGameY);
        }
        if (step == 50) {
            soundsBeforeYes = WindowSounds();
            Click(400, kYesY);
        }
        lastStep = step;
        if (step > 50 && confirmReturned < 0 && !app->GetDialog(201)) {
            confirmReturned = step;
            disappearEffectsAfterYes = EffectsOf<EffectWindowDisappearAlt>(window);
        }
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(soundsBeforeYes, (Strings{"SOUND_SHOW_WINDOW", "SOUND_SHOW_WINDOW"}))
        << "the continue and confirm windows";
    EXPECT_EQ(WindowSounds(), Strings{"SOUND_HIDE_WINDOW"}) << "the confirm window's only";
    EXPECT_EQ(disappearEffectsAfterYes, 0);
    EXPECT_GT(confirmReturned, 50 + 20) << "the confirmation shrinks away first";
    EXPECT_EQ(lastStep, confirmReturned) << "the continue window closes in the update after";
}

TEST_F(QuestionWindowsTest, YesBeforeTheHandPlayedEffectHasEndedTakesTheEffectAwayWithTheWindow)
{
    ContinueWindow* window = ContinueWindow::Instance();
    int effectsWhenAnswered = 0;
    int result = Show(window, [&](int step) {
        if (step == 2) {
            Click(400, kNewGameY);
        }
        if (step == 4) {
            effectsWhenAnswered = EffectsOf<EffectWindowDisappearAlt>(window);
            Click(400, kYesY);
        }
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(effectsWhenAnswered, 1);
    // The window goes once the step it closed in is over; the effect would go on drawing it for 0.2 s.
    app->DeleteDeferredWidgets();
    EXPECT_TRUE(app->safeDeleteList.empty());
    for (Tolm::Widget* widget : app->widgetManager->GetChildren()) {
        EXPECT_EQ(dynamic_cast<WindowEffectAlt*>(widget), nullptr);
    }
    for (int i = 0; i < 30; ++i) {
        app->UpdateApp();
    }
}

TEST_F(QuestionWindowsTest, TheContinueWindowDeletesAConfirmationOnlyWhenNoOneElseWill)
{
    ConfirmWindow* queued = ConfirmWindow::Instance();
    app->DeferWidgetDeletion(queued);
    ConfirmWindow* fresh = ConfirmWindow::Instance();
    EXPECT_NE(fresh, queued);
    delete ContinueWindow::Instance();
    EXPECT_EQ(ConfirmWindow::RegisteredInstance(), nullptr);
    EXPECT_EQ(app->safeDeleteList.size(), 2u) << "each confirmation once";
    app->DeleteDeferredWidgets();
}

TEST_F(QuestionWindowsTest, AnInformMessagePlaysNoEffectsAndDoesNotDarkenTheScreen)
{
    ForceWindowEffects(true);
    Text("cap_information", "Note");
    int start = app->updateCount;
    std::vector<bool> visible;
    size_t fills = 0;
    app->onUpdate = [&](int update) {
        Tolm::Dialog* window = app->GetDialog(300);
        visible.push_back(window && window->visible);
        if (update == start + 1) {
            DrawLog log(800, 600);
            Tolm::Graphics g(&log);
            window->Draw(&g);
            for (const DrawLog::Draw& draw : log.draws) {
                fills += draw.kind == DrawLog::Kind::Fill && draw.width >= 800 ? 1 : 0;
            }
            Key(27);
        }
    };
    ShowInformMessage("Please make a profile first.");
    EXPECT_EQ(app->updateCount - start, 2);
    EXPECT_EQ(visible, (std::vector<bool>{true, true})) << "shown from the first update";
    EXPECT_EQ(fills, 0u);
    EXPECT_EQ(WindowSounds(), Strings{"SOUND_SHOW_WINDOW"});
}

TEST_F(QuestionWindowsTest, LayoutOfTheThreeWindows)
{
    Text("saved_game_question", "Go on?");
    struct Case
    {
        const char* name;
        BaseWindow* window;
        std::vector<std::pair<BaseWindowButton*, Tolm::Rect>> buttons;
        // The body text's only line, centred in the body rectangle's width, its 16-high cell on the
        // rectangle's top.
        Tolm::Rect bodyLine;
        bool dims;
    };
    auto* confirm = new ConfirmWindow();
    confirm->SetText("Sure?");
    auto* proceed = new ContinueWindow();
    auto* inform = new InformWindow("Note");
    const Case cases[] = {
        {"confirm",
         confirm,
         {{confirm->yesButton.get(), {80, 204, 240, 40}}, {confirm->noButton.get(), {80, 252, 240, 40}}},
         // (55, 102) 290 wide: "Sure?" is 50 wide.
         {55 + 120, 102, 50, 16},
         true},
        {"continue",
         proceed,
         {{proceed->continueButton.get(), {80, 249, 240, 40}},
          {proceed->newGameButton.get(), {80, 297, 240, 40}},
          {proceed->mainMenuButton.get(), {80, 345, 240, 40}}},
         // (55, 104) 290 wide: "Go on?" is 60 wide.
         {55 + 115, 104, 60, 16},
         true},
        {"inform",
         inform,
         {{inform->okButton.get(), {80, 250, 240, 40}}},
         // (50, 114) 300 wide: "Note" is 40 wide.
         {50 + 130, 114, 40, 16},
         false},
    };
    for (const Case& c : cases) {
        for (const auto& [button, rect] : c.buttons) {
            EXPECT_EQ(button->GetRect(), rect) << c.name << " " << button->label;
            EXPECT_EQ(button->parent, c.window) << c.name;
        }
        DrawLog log(800, 600);
        Tolm::Graphics g(&log);
        c.window->Draw(&g);
        bool dimmed = !log.draws.empty() && log.draws[0].kind == DrawLog::Kind::Fill && log.draws[0].width >= 800;
        EXPECT_EQ(dimmed, c.dims) << c.name;
        const DrawLog::Draw& body = log.draws.back();
        EXPECT_EQ(Tolm::Rect(int(body.x), int(body.y), body.width, body.height), c.bodyLine) << c.name;
        EXPECT_EQ(body.color, 0xFFFFFFFFu) << c.name;
        delete c.window;
    }
}
