// The main menu as a state over an empty town, on profile files in a folder of the test's own: the panel
// and title slides and the click-to-continue line, the welcome line, presses on transparent pixels, the
// start button's way through the continue window, the options and help windows, and the cheat key.
#include "screens/MenuScreen.h"

#include "GameWindowsFixture.h"
#include "ProfileFolder.h"
#include "app/GameStateManager.h"
#include "gamewidgets/BaseWindowButton.h"
#include "gamewidgets/FadingLabel.h"
#include "gamewidgets/TextButton.h"
#include "profile/UserProfile.h"
#include "resources/ResourceLookups.h"
#include "screens/GameTitle.h"
#include "screens/MainMenuPanel.h"
#include "town/BuildingHint.h"
#include "town/HintWindowLogic.h"
#include "windows/ConfirmWindow.h"
#include "windows/ContinueWindow.h"
#include "windows/HelpWindow.h"
#include "windows/OptionsWindow.h"
#include "windows/ProfileWindows.h"

#include <functional>

namespace {

// The panel (600 x 150) stands in the bottom-right corner at (200, 450), the title (800 x 100) at (0, 0).
constexpr int kPanelX = 200;
constexpr int kPanelY = 450;
// The start button (100 x 100) at (405, 14) of the panel, the options button (100 x 60) at (293, 56).
constexpr int kStartX = kPanelX + 405 + 50;
constexpr int kStartY = kPanelY + 14 + 50;
constexpr int kOptionsX = kPanelX + 293 + 50;
constexpr int kOptionsY = kPanelY + 56 + 30;
// Nothing over the town here.
constexpr int kTownX = 100;
constexpr int kTownY = 300;
// The continue window (400 x 440) at (200, 80): new game's centre at y 80 + 297 + 20; the confirm window
// (400 x 360) at (200, 120): yes at y 120 + 204 + 20.
constexpr int kNewGameY = 397;
constexpr int kYesY = 344;
// A full slide: 80 update periods.
constexpr int kSlideUpdates = 80;
// A fade takes 0.2 s.
constexpr int kFadeUpdates = 30;

constexpr int kKeyEscape = 27;
constexpr int kKeyEnter = 13;
constexpr int kKeyDelete = 46;
constexpr int kKeyF1 = 112;

// A registered state that notes its entry.
class EnteredState : public GameState
{
public:
    EnteredState(std::vector<std::string>& entered, std::string name) : entered(entered), name(std::move(name)) {}
    void Enter() override { entered.push_back(name); }
    void Leave() override {}
    bool Pause() override { return false; }
    void Resume() override {}

    std::vector<std::string>& entered;
    std::string name;
};

class MenuScreenTest : public GameWindowsTest
{
protected:
    MenuScreenTest()
    {
        ShapedPicture("UI_MENU_BACK", 600, 150);
        ShapedPicture("UI_MENU_TITLE", 800, 100);
        struct ButtonPicture
        {
            const char* id;
            int width;
            int height;
        };
        for (const ButtonPicture& button :
             {ButtonPicture{"UI_MENU_BUTTON_RED", 100, 100}, ButtonPicture{"UI_MENU_BUTTON_GREEN", 100, 60},
              ButtonPicture{"UI_MENU_BUTTON_BLUE", 80, 40}}) {
            const std::string id = button.id;
            Picture(id, button.width, button.height);
            Picture(id + "_DOWN", button.width, button.height);
            ShapedPicture(id + "_MASK", button.width, button.height);
        }
        Picture("UI_MENU_CHANGE_PROFILE", 30, 30);
        Picture("UI_MENU_CHANGE_PROFILE_MASK", 30, 30);
        Picture("UI_WINDOW_HELP", 720, 540);
        Picture("UI_WINDOW_SMALL_BUTTON", 100, 36);
        for (const char* id :
             {"FONT_MAINMENU_BUTTON", "FONT_MAINMENU_START", "FONT_MAINMENU_PROFILE", "FONT_FADING_LABEL"}) {
            Font(id, 10);
        }
        Text("welcome_back", "Welcome back, %USER%!");
        Text("welcome_back_short", "Hello, %USER%!");
        Text("lab_click_to_continue", "Click to continue");
        OpenProfile("ANNA");
        states = std::make_unique<GameStateManager>();
        screen = new MenuScreen();
        states->Register("MenuScreen", screen);
        screen->listener = states.get();
        for (const char* name : {"GameScreen", "TownUpgradeScreen"}) {
            states->Register(name, new EnteredState(entered, name));
        }
    }
    ~MenuScreenTest() override
    {
        app->SetBoolProperty("cheat_keys", false);
        states.reset();
        delete ConfirmWindow::RegisteredInstance();
    }

    // Alpha 21, just opaque enough to take a press, except the top-left pixel at alpha 20, which is not.
    void ShapedPicture(const std::string& id, int width, int height)
    {
        Tolm::DDImage* image = Picture(id, width, height, 0x15FFFFFF);
        image->GetBits()[0] = 0x14FFFFFF;
        image->NoteBitsChanged();
    }
    // The profile is made and saved in slot 0, so that the menu's listener has nothing to ask.
    static void OpenProfile(const std::string& name)
    {
        UserProfile* profile = UserProfile::Instance();
        ASSERT_TRUE(profile->CreateProfile(name));
        ASSERT_TRUE(profile->SaveSlot(0));
    }
    // The menu entered and its fade-in over.
    void EnterMenu()
    {
        states->Switch(screen);
        app->Frames(kFadeUpdates);
    }
    // Runs the updates as the main loop does, with the script after each update's widget walk (also
    // inside the windows' waits), counted from 1.
    void Run(int updates, const std::function<void(int)>& script)
    {
        const int start = app->updateCount;
        app->onUpdate = [&](int update) { script(update - start); };
        while (app->updateCount - start < updates) {
            app->Update();
            app->UpdateFraction(1.0f);
            app->DeleteDeferredWidgets();
        }
        app->onUpdate = nullptr;
    }
    template <typename Window>
    static bool IsOpen()
    {
        Window* window = Window::RegisteredInstance();
        return window && IsWindowShown(window);
    }

    ProfileFolder folder{*app};
    std::unique_ptr<GameStateManager> states;
    // Owned by the state machine.
    MenuScreen* screen = nullptr;
    std::vector<std::string> entered;
};

} // namespace

TEST_F(MenuScreenTest, PuttingTheMenuAwaySettlesAfter80UpdatesAndOnlyThenShowsTheLabel)
{
    EnterMenu();
    ASSERT_EQ(screen->menuPanel->y, kPanelY);
    ASSERT_EQ(screen->title->y, 0);
    Click(kTownX, kTownY);
    EXPECT_FALSE(screen->menuShown);
    // 150 x 0.0125 = 1.875 pixels an update for the panel, 100 x 0.0125 = 1.25 for the title.
    app->Frames(kSlideUpdates - 1);
    EXPECT_FALSE(screen->menuPanel->IsHidden()) << "the update before it arrives";
    EXPECT_EQ(screen->menuPanel->y, kPanelY + 148);
    EXPECT_EQ(screen->title->y, -98);
    app->Frames(1);
    EXPECT_TRUE(screen->menuPanel->IsHidden()) << "on the update it arrives";
    EXPECT_EQ(screen->menuPanel->y, 600);
    EXPECT_EQ(screen->title->y, -100);
    EXPECT_EQ(screen->label->fade.target, 0.0f) << "the label waits for the settled panel";
    app->Frames(1);
    EXPECT_EQ(screen->label->fade.target, 1.0f);
    EXPECT_GT(screen->label->fade.current, 0.0f);
    Click(kTownX, kTownY);
    EXPECT_TRUE(screen->menuShown);
    app->Frames(1);
    EXPECT_EQ(screen->label->fade.target, 0.0f);
    EXPECT_FALSE(screen->menuPanel->IsHidden());
    app->Frames(kSlideUpdates - 1);
    EXPECT_EQ(screen->menuPanel->y, kPanelY);
    EXPECT_EQ(screen->title->y, 0);
}

TEST_F(MenuScreenTest, TransparentPixelsOfThePanelTheTitleAndTheRoundButtonsTakeNoPress)
{
    struct Case
    {
        const char* name;
        std::function<Tolm::Widget*()> widget;
        int x;
        int y;
        bool taken;
    };
    const Case cases[] = {
        {"panel at alpha 20", [&] { return screen->menuPanel.get(); }, 0, 0, false},
        {"panel at alpha 21", [&] { return screen->menuPanel.get(); }, 1, 0, true},
        {"title at alpha 20", [&] { return screen->title.get(); }, 0, 0, false},
        {"title at alpha 21", [&] { return screen->title.get(); }, 799, 99, true},
        {"start at alpha 20", [&] { return screen->menuPanel->startButton.get(); }, 0, 0, false},
        {"start at alpha 21", [&] { return screen->menuPanel->startButton.get(); }, 0, 1, true},
        {"options at alpha 20", [&] { return screen->menuPanel->optionsButton.get(); }, 0, 0, false},
        {"options at alpha 21", [&] { return screen->menuPanel->optionsButton.get(); }, 99, 59, true},
        {"exit at alpha 20", [&] { return screen->menuPanel->exitButton.get(); }, 0, 0, false},
        {"exit at alpha 21", [&] { return screen->menuPanel->exitButton.get(); }, 40, 20, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.widget()->AcceptsPoint(c.x, c.y), c.taken) << c.name;
    }
    EnterMenu();
    struct Press
    {
        const char* name;
        int x;
        int y;
        bool menuShown;
    };
    const Press presses[] = {
        {"the panel's opaque pixel keeps the menu", kPanelX + 1, kPanelY, true},
        {"the title's opaque pixel keeps it", 1, 0, true},
        {"the panel's transparent pixel reaches the town", kPanelX, kPanelY, false},
        {"the title's transparent pixel reaches the town", 0, 0, true},
    };
    for (const Press& press : presses) {
        Click(press.x, press.y);
        EXPECT_EQ(screen->menuShown, press.menuShown) << press.name;
    }
}

TEST_F(MenuScreenTest, TheWelcomeLineFollowsTheProfileAtTheNextUpdate)
{
    MainMenuPanel panel(screen);
    EXPECT_EQ(panel.profileButton->label, "Welcome back, !") << "made with an empty name";
    struct Case
    {
        const char* name;
        std::string profileName;
        std::string line;
    };
    // Ten-pixel characters: a name of 11 is wider than 100 pixels, one of 10 is not.
    const Case cases[] = {
        {"a short name", "CARL", "Welcome back, CARL!"},
        {"a name 100 pixels wide", "ABCDEFGHIJ", "Welcome back, ABCDEFGHIJ!"},
        {"a name 110 pixels wide", "ABCDEFGHIJK", "Hello, ABCDEFGHIJK!"},
        {"back to a short one", "BOB", "Welcome back, BOB!"},
    };
    std::string before = panel.profileButton->label;
    // Each profile is made in a slot of its own, which opens it.
    int slot = 1;
    for (const Case& c : cases) {
        UserProfile* profile = UserProfile::Instance();
        ASSERT_TRUE(profile->CreateProfile(c.profileName)) << c.name;
        ASSERT_TRUE(profile->SaveSlot(slot++)) << c.name;
        EXPECT_EQ(panel.profileButton->label, before) << c.name << ": not before the update";
        panel.Update();
        EXPECT_EQ(panel.profileButton->label, c.line) << c.name;
        EXPECT_EQ(panel.profileButton->width, int(c.line.size()) * 10) << c.name;
        before = c.line;
    }
}

TEST_F(MenuScreenTest, StartGoesThroughTheContinueWindowOnlyWithProgressAndKeepsOrResetsIt)
{
    enum Answer
    {
        kNone,
        kMainMenu,
        kNewGame,
        kContinue,
        kAlreadyShown
    };
    struct Case
    {
        const char* name;
        int level;
        bool savedLevel;
        Answer answer;
        bool asked;
        bool started;
        bool reset;
    };
    const Case cases[] = {
        {"main menu (0) stays with the progress", 3, false, kMainMenu, true, false, false},
        {"new game (1) resets", 3, false, kNewGame, true, true, true},
        {"continue (2) keeps", 3, false, kContinue, true, true, false},
        {"a window already shown (-1) keeps", 3, false, kAlreadyShown, true, true, false},
        {"a saved level at level 1 asks too", 1, true, kContinue, true, true, false},
        {"a first start goes straight on with a reset", 1, false, kNone, false, true, true},
    };
    for (const Case& c : cases) {
        UserProfile::ResetProgress();
        for (int level = 1; level < c.level; ++level) {
            UserProfile::AdvanceLevel();
        }
        UserProfile::AddGold(500);
        UserProfile::Instance()->savedLevelFlag = c.savedLevel ? 1 : 0;
        entered.clear();
        EnterMenu();
        bool asked = false;
        bool answered = false;
        Run(kFadeUpdates, [&](int step) {
            if (step == 1) {
                Click(kStartX, kStartY);
                return;
            }
            asked = asked || IsOpen<ContinueWindow>();
            if (answered) {
                return;
            }
            if (IsOpen<ConfirmWindow>()) {
                Click(400, kYesY);
                answered = true;
            } else if (IsOpen<ContinueWindow>()) {
                answered = c.answer != kNewGame;
                if (c.answer == kMainMenu) {
                    Key(kKeyEscape);
                } else if (c.answer == kNewGame) {
                    Click(400, kNewGameY);
                } else if (c.answer == kContinue) {
                    Key(kKeyEnter);
                } else if (c.answer == kAlreadyShown) {
                    screen->ButtonClicked(MainMenuPanel::kStartButton);
                    Key(kKeyEscape);
                }
            }
        });
        app->Frames(kFadeUpdates);
        EXPECT_EQ(asked, c.asked) << c.name;
        EXPECT_EQ(entered, c.started ? std::vector<std::string>{"GameScreen"} : std::vector<std::string>{}) << c.name;
        EXPECT_EQ(UserProfile::GetLevel(), c.reset ? 1 : c.level) << c.name;
        EXPECT_EQ(UserProfile::GetGold(), c.reset ? 0 : 500) << c.name;
        if (!c.started) {
            EXPECT_EQ(states->stack.back(), screen) << c.name;
        }
    }
}

TEST_F(MenuScreenTest, OptionsPutTheMenuAwayWhileOpenAndBringItBackEvenWhenItWasAway)
{
    for (bool putAway : {false, true}) {
        EnterMenu();
        if (putAway) {
            Click(kTownX, kTownY);
            app->Frames(kSlideUpdates);
        }
        ASSERT_TRUE(screen->IsEmpty()) << putAway;
        bool outOfView = false;
        Run(2 * kSlideUpdates, [&](int step) {
            if (step == 1) {
                screen->ButtonClicked(MainMenuPanel::kOptionsButton);
            } else if (step == kSlideUpdates + 5 && IsOpen<OptionsWindow>()) {
                outOfView = screen->menuPanel->IsHidden() && screen->title->y == -100;
                Key(kKeyEscape);
            }
        });
        EXPECT_TRUE(outOfView) << putAway;
        EXPECT_FALSE(IsOpen<OptionsWindow>()) << putAway;
        app->Frames(kSlideUpdates);
        EXPECT_TRUE(screen->menuShown) << putAway;
        EXPECT_EQ(screen->menuPanel->y, kPanelY) << putAway;
        EXPECT_EQ(screen->title->y, 0) << putAway;
        EXPECT_FALSE(screen->IsEmpty()) << putAway << ": the sparkle";
        states->Switch(states->Find("GameScreen"));
    }
}

TEST_F(MenuScreenTest, TheOptionsButtonOpensTheOptions)
{
    EnterMenu();
    bool opened = false;
    Run(10, [&](int step) {
        if (step == 1) {
            Click(kOptionsX, kOptionsY);
        } else if (IsOpen<OptionsWindow>()) {
            opened = true;
            Key(kKeyEscape);
        }
    });
    EXPECT_TRUE(opened);
}

TEST_F(MenuScreenTest, F1OpensTheHelpWhetherTheMenuIsShownOrAway)
{
    for (bool putAway : {false, true}) {
        EnterMenu();
        if (putAway) {
            Click(kTownX, kTownY);
            app->Frames(kSlideUpdates);
        }
        bool opened = false;
        Run(10, [&](int step) {
            if (step == 1) {
                Key(kKeyF1);
            } else if (IsOpen<HelpWindow>()) {
                opened = true;
                Key(kKeyEscape);
            }
        });
        EXPECT_TRUE(opened) << putAway;
        EXPECT_FALSE(IsOpen<HelpWindow>()) << putAway;
        states->Switch(states->Find("GameScreen"));
    }
}

TEST_F(MenuScreenTest, DeleteGoesToTheTownUpgradeScreenOnlyWithCheatKeys)
{
    for (bool cheats : {false, true}) {
        app->SetBoolProperty("cheat_keys", cheats);
        entered.clear();
        EnterMenu();
        Key(kKeyDelete);
        app->Frames(kFadeUpdates);
        EXPECT_EQ(entered, cheats ? std::vector<std::string>{"TownUpgradeScreen"} : std::vector<std::string>{})
            << cheats;
    }
}

TEST_F(MenuScreenTest, TheBuildingHintHidesWhileAWindowHoldsTheFocus)
{
    EnterMenu();
    screen->hintLogic->hint->shown = true;
    app->Frames(2);
    EXPECT_TRUE(screen->hintLogic->hint->shown) << "the menu alone leaves it";
    bool shownUnderWindow = true;
    Run(10, [&](int step) {
        if (step == 1) {
            screen->ButtonClicked(MainMenuPanel::kOptionsButton);
        } else if (IsOpen<OptionsWindow>()) {
            shownUnderWindow = screen->hintLogic->hint->shown;
            Key(kKeyEscape);
        }
    });
    EXPECT_FALSE(shownUnderWindow);
}

TEST_F(MenuScreenTest, ANewPlayerIsAskedForAProfileOnEnteringAndWelcomedWithASparkle)
{
    Picture("UI_WINDOW_NEW_PROFILE", 400, 360);
    Picture("UI_PROFILE_EDIT_SLOT", 300, 44);
    Font("FONT_PROFILE_EDIT", 10);
    ASSERT_TRUE(UserProfile::Instance()->DeleteSlot(0));
    ASSERT_EQ(UserProfile::Instance()->GetActiveSlot(), -1);
    int asked = 0;
    Run(kFadeUpdates, [&](int step) {
        if (step == 1) {
            states->Switch(screen);
        } else if (auto* window = NewProfileWindow::RegisteredInstance(); !asked && window && IsWindowShown(window)) {
            asked = window->id;
            for (char c : std::string("bob")) {
                app->widgetManager->KeyChar(c);
            }
            Key(kKeyEnter);
        }
    });
    EXPECT_EQ(asked, NewProfileWindow::kListenerDialogId);
    EXPECT_EQ(UserProfile::Instance()->GetActiveSlot(), 0);
    EXPECT_FALSE(screen->IsEmpty()) << "the sparkle";
    EXPECT_EQ(screen->menuPanel->profileButton->label, "Welcome back, BOB!");
}
