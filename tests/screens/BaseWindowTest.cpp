// The modal windows through the real main loop: how many updates a show takes with and without its
// effects, its sounds, the refusal of a window shown already, the delay window, nesting, the screen below
// that keeps running, input during the effects, the effects' drawing, and a singleton window shown twice
// in one update.
#include "ScreensFixture.h"
#include "core/Singleton.h"
#include "gamewidgets/WindowLight.h"
#include "graphics/Graphics.h"
#include "support/CountedCallback.h"
#include "support/DrawLog.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"
#include "windows/DelayWidget.h"
#include "windows/WindowEffects.h"

#include <algorithm>

namespace {

using Strings = std::vector<std::string>;

// The screen below the windows: it counts its updates, presses and keys.
class Backdrop : public Tolm::Widget
{
public:
    void Update() override
    {
        Tolm::Widget::Update();
        ++updates;
    }
    using Widget::MouseDown;
    void MouseDown(int, int, int, int) override { ++presses; }
    void KeyDown(int) override { ++keys; }

    int updates = 0;
    int presses = 0;
    int keys = 0;
};

class TestWindow : public BaseWindow
{
public:
    TestWindow(Tolm::Image* background, int id, int* deaths)
        : BaseWindow(background, id, false, "", "", ""), deaths(deaths)
    {}
    ~TestWindow() override
    {
        if (deaths) {
            ++*deaths;
        }
    }
    void ButtonClicked(int buttonId) override
    {
        BaseWindow::ButtonClicked(buttonId);
        result = buttonId;
    }

    int* deaths;
};

// A singleton window that chooses its result in its first update.
class QuickWindow : public BaseWindow, public Singleton<QuickWindow>
{
public:
    QuickWindow() : BaseWindow(nullptr, 77, false, "", "", "") {}
    ~QuickWindow() override { ++deaths; }
    void Update() override
    {
        BaseWindow::Update();
        if (result == kNoResult) {
            result = 7;
        }
    }

    static inline int deaths = 0;
};

class BaseWindowTest : public ScreensTest
{
protected:
    BaseWindowTest()
    {
        background = Picture("", 400, 300);
        backdrop.Resize(0, 0, 800, 600);
        app->widgetManager->AddWidget(&backdrop);
        Sounds({"SOUND_SHOW_WINDOW", "SOUND_HIDE_WINDOW"});
    }

    // Updates until the condition holds, at most a thousand.
    void RunUntil(const std::function<bool()>& done)
    {
        for (int i = 0; i < 1000 && !done(); ++i) {
            app->UpdateApp();
        }
    }

    Tolm::MemoryImage* background = nullptr;
    Backdrop backdrop;
    int deaths = 0;
};

} // namespace

TEST_F(BaseWindowTest, AResultChosenInUpdateKReturnsAfterKPlusOneUpdatesWithTheShowSoundOnly)
{
    auto* window = new TestWindow(background, 5, &deaths);
    EXPECT_EQ(window->GetRect(), Tolm::Rect(200, 150, 400, 300)) << "centred";
    EXPECT_EQ(window->finalResult, Tolm::Dialog::kNoResult);
    int start = app->updateCount;
    bool modalWhileWaiting = false;
    app->onUpdate = [&](int update) {
        if (update == start + 1) {
            modalWhileWaiting = app->widgetManager->baseModalWidget == window &&
                                app->widgetManager->focusWidget == window && window->IsModal();
        }
        if (update == start + 5) {
            window->result = 3;
        }
    };
    EXPECT_EQ(window->ShowModal(), 3);
    EXPECT_EQ(app->updateCount - start, 6);
    EXPECT_TRUE(modalWhileWaiting);
    EXPECT_EQ(sounds.Take(), Strings{"SOUND_SHOW_WINDOW"});
    EXPECT_FALSE(app->widgetManager->HasWidget(window));
    EXPECT_EQ(app->GetDialog(5), nullptr);
    EXPECT_EQ(app->widgetManager->baseModalWidget, nullptr);
    EXPECT_EQ(deaths, 0) << "queued for deletion after the step it was killed in";
    app->DeleteDeferredWidgets();
    EXPECT_EQ(deaths, 1);
}

TEST_F(BaseWindowTest, WithEffectsTheHideSoundPlaysWithTheResultAndTheWaitEndsTwentyUpdatesLater)
{
    ForceWindowEffects(true);
    auto* window = new TestWindow(background, 5, &deaths);
    int start = app->updateCount;
    std::vector<bool> visible;
    Strings soundsAtClose;
    app->onUpdate = [&](int update) {
        visible.push_back(window->visible);
        if (update == start + 30) {
            window->result = 2;
        }
        if (update == start + 31) {
            soundsAtClose = sounds.Take();
        }
    };
    EXPECT_EQ(ShowWindowModal(window, 1, 2), 2);
    EXPECT_EQ(app->updateCount - start, 30 + 1 + 20);
    EXPECT_EQ(std::count(visible.begin(), visible.begin() + 20, true), 0) << "hidden while it grows in";
    EXPECT_TRUE(visible[20]) << "shown in the update the appear effect leaves";
    EXPECT_FALSE(visible[30]) << "hidden as soon as it closes";
    EXPECT_EQ(soundsAtClose, (Strings{"SOUND_SHOW_WINDOW", "SOUND_HIDE_WINDOW"}));
    EXPECT_TRUE(sounds.Take().empty());
}

TEST_F(BaseWindowTest, WithoutA3DDisplayShowWindowModalPlaysNoEffects)
{
    auto* window = new TestWindow(background, 5, &deaths);
    int start = app->updateCount;
    app->onUpdate = [&](int update) {
        EXPECT_TRUE(window->visible);
        if (update == start + 1) {
            window->result = 0;
        }
    };
    EXPECT_EQ(ShowWindowModal(window, 1, 2), 0);
    EXPECT_EQ(app->updateCount - start, 2);
}

TEST_F(BaseWindowTest, AWindowShownAlreadyGivesMinusOne)
{
    auto* window = new TestWindow(background, 5, &deaths);
    int start = app->updateCount;
    int again = 0;
    int againThroughTheHelper = 0;
    app->onUpdate = [&](int update) {
        if (update == start + 2) {
            again = window->ShowModal();
            againThroughTheHelper = ShowWindowModal(window, 1, 2);
            window->result = 1;
        }
    };
    EXPECT_EQ(window->ShowModal(), 1);
    EXPECT_EQ(again, -1);
    EXPECT_EQ(againThroughTheHelper, -1);
}

TEST_F(BaseWindowTest, DelayTakesItsUpdatesPlusOneAndSwallowsAllInput)
{
    struct Case
    {
        int updates;
        int taken;
    };
    for (const Case c : {Case{0, 2}, Case{1, 2}, Case{5, 6}, Case{100, 101}}) {
        int start = app->updateCount;
        bool modalDelay = false;
        app->onUpdate = [&](int update) {
            if (update == start + 1) {
                Tolm::Dialog* delay = app->GetDialog(1000);
                modalDelay = delay && delay->GetRect() == Tolm::Rect(0, 0, 800, 600) &&
                             app->widgetManager->baseModalWidget == delay;
                app->widgetManager->MouseDown(400, 300, 1);
                app->widgetManager->MouseUp(400, 300, 1);
                app->widgetManager->KeyDown(27);
            }
        };
        app->widgetManager->SetFocus(&backdrop);
        EXPECT_EQ(DelayModal(c.updates), 0) << c.updates;
        EXPECT_EQ(app->updateCount - start, c.taken) << c.updates;
        EXPECT_TRUE(modalDelay) << c.updates;
    }
    EXPECT_EQ(backdrop.presses, 0);
    EXPECT_EQ(backdrop.keys, 0);
    EXPECT_TRUE(sounds.Take().empty()) << "a delay makes no sound";
}

TEST_F(BaseWindowTest, NestedWindowsHandTheFocusBackAndTheScreenBelowKeepsUpdating)
{
    auto* outer = new TestWindow(background, 5, &deaths);
    TestWindow* inner = nullptr;
    int start = app->updateCount;
    int innerResult = 0;
    bool outerRestored = false;
    app->onUpdate = [&](int update) {
        if (update == start + 3) {
            inner = new TestWindow(background, 6, &deaths);
            innerResult = inner->ShowModal();
            outerRestored = app->widgetManager->focusWidget == outer && app->widgetManager->baseModalWidget == outer;
            outer->result = 9;
        }
        if (inner && update == start + 8) {
            inner->result = 4;
        }
    };
    int backdropBefore = backdrop.updates;
    EXPECT_EQ(outer->ShowModal(), 9);
    EXPECT_EQ(innerResult, 4);
    EXPECT_TRUE(outerRestored);
    EXPECT_EQ(backdrop.updates - backdropBefore, app->updateCount - start);
    EXPECT_EQ(app->widgetManager->baseModalWidget, nullptr);
}

TEST_F(BaseWindowTest, PressesDuringAnEffectReachNeitherTheWindowNorTheScreenBelow)
{
    ForceWindowEffects(true);
    auto* window = new TestWindow(background, 5, &deaths);
    Tolm::ButtonWidget button(11, window);
    button.Resize(10, 10, 60, 20);
    window->AddWidget(&button);
    int start = app->updateCount;
    auto click = [&](int x, int y) {
        app->widgetManager->MouseDown(x, y, 1);
        app->widgetManager->MouseUp(x, y, 1);
    };
    app->onUpdate = [&](int update) {
        if (update == start + 10 || update == start + 45) {
            click(230, 170);
            click(5, 5);
        }
        if (update == start + 40) {
            click(230, 170);
        }
    };
    EXPECT_EQ(ShowWindowModal(window, 1, 2), 11) << "the only click that arrived";
    EXPECT_EQ(backdrop.presses, 0);
    window->RemoveWidget(&button);
}

TEST_F(BaseWindowTest, AWindowIsDrawnFromItsBackgroundWithNoContentInsetAndCannotBeDragged)
{
    Font("FONT_WINDOW_TITLE", 10, 12, 16);
    Picture("UI_WINDOW_LIGHT", 10, 10);
    Picture("UI_WINDOW_LIGHT_GLOW", 20, 20);
    TestWindow window(background, 5, nullptr);
    window.SetHeaderFont(resources->GetFont("FONT_WINDOW_TITLE"));
    window.header = "Options";
    window.backgroundInsets.top = 20;
    window.AddLight(30, 40);
    window.lights->lights.back()->alpha.current = 1.0f;
    EXPECT_EQ(window.contentInsets.left, 0);
    EXPECT_EQ(window.contentInsets.top, 0);
    EXPECT_FALSE(window.wantsHandCursor);

    DrawLog log(800, 600);
    Tolm::Graphics g(&log);
    window.Draw(&g);
    ASSERT_EQ(log.draws.size(), 4u);
    EXPECT_EQ(log.draws[0].source, background);
    EXPECT_EQ(log.draws[0].x, 0.0f);
    // The header centred at the top inset: (400 - 70) / 2, the cell's top at 20.
    EXPECT_EQ(log.draws[1].kind, DrawLog::Kind::Fill);
    EXPECT_EQ(log.draws[1].x, 165.0f);
    EXPECT_EQ(log.draws[1].y, 20.0f);
    EXPECT_EQ(log.draws[1].color, 0xFFFFFFFFu);
    window.SetVisible(false);
    log.draws.clear();
    window.Draw(&g);
    EXPECT_EQ(log.draws.size(), 2u) << "a hidden window draws no lights";

    window.MouseDown(50, 50, 0, 1);
    window.MouseDrag(150, 120);
    EXPECT_EQ(window.GetRect(), Tolm::Rect(200, 150, 400, 300));
}

TEST_F(BaseWindowTest, EffectsDrawTheWindowScaledAndFadedAboutTheScreenCentre)
{
    EXPECT_EQ(CreateWindowEffect(nullptr, 0), nullptr);
    EXPECT_EQ(CreateWindowEffect(nullptr, 3), nullptr);
    TestWindow window(background, 5, nullptr);
    struct Case
    {
        const char* name;
        int type;
        int frames;
        Tolm::Rect drawn;
        uint32_t alpha;
    };
    // Scale s about (400, 300): the window's corner (200, 150) goes to 400 - 200 s, 300 - 150 s (rounded
    // down) and its size to 400 s by 300 s (rounded up).
    const Case cases[] = {
        {"appear at its start: 0.7, clear", 1, 0, Tolm::Rect(260, 195, 280, 210), 0},
        {"appear half-way: 0.85, half", 1, 10, Tolm::Rect(230, 172, 340, 255), 127},
        {"disappear half-way: 0.85, half", 2, 10, Tolm::Rect(230, 172, 340, 255), 127},
        {"disappear's last frame: 0.715, nearly clear", 2, 19, Tolm::Rect(257, 192, 286, 215), 12},
    };
    for (const Case& c : cases) {
        WidgetEffectBase* effect = CreateWindowEffect(&window, c.type);
        app->widgetManager->AddWidget(effect);
        app->Frames(c.frames);
        DrawLog log(800, 600);
        Tolm::Graphics g(&log);
        effect->Draw(&g);
        std::vector<DrawLog::Draw> drawn = log.Of(background);
        ASSERT_EQ(drawn.size(), 1u) << c.name;
        EXPECT_EQ(drawn[0].kind, DrawLog::Kind::Stretch) << c.name;
        EXPECT_EQ(Tolm::Rect(int(drawn[0].x), int(drawn[0].y), drawn[0].width, drawn[0].height), c.drawn) << c.name;
        EXPECT_EQ(drawn[0].color >> 24, c.alpha) << c.name;
        EXPECT_FALSE(app->widgetManager->HasWidget(&window)) << "drawn without staying in the manager";
        app->widgetManager->RemoveWidget(effect);
        delete effect;
    }
}

TEST_F(BaseWindowTest, AnEffectThatHasRunOutLeavesRunsItsCallbackOnceAndIsDeleted)
{
    TestWindow window(background, 5, nullptr);
    int invoked = 0;
    int deleted = 0;
    WidgetEffectBase* effect = CreateWindowEffect(&window, 2);
    EXPECT_EQ(effect->GetRect(), Tolm::Rect(0, 0, 800, 600));
    effect->SetFinishCallback(new CountedCallback(invoked, deleted));
    app->widgetManager->AddWidget(effect);
    app->Frames(20);
    EXPECT_TRUE(effect->finished);
    EXPECT_EQ(invoked, 0);
    app->Frame();
    EXPECT_EQ(invoked, 1);
    EXPECT_EQ(deleted, 1) << "deleted with the effect after the update";
    EXPECT_EQ(app->widgetManager->GetChildren().size(), 1u) << "only the backdrop is left";
}

TEST_F(BaseWindowTest, ASingletonWindowShownTwiceInOneUpdateIsTwoWindowsEachDeletedOnce)
{
    QuickWindow::deaths = 0;
    QuickWindow* first = nullptr;
    QuickWindow* second = nullptr;
    int results[2] = {0, 0};
    bool done = false;
    app->onUpdate = [&](int) {
        if (done) {
            return;
        }
        done = true;
        first = QuickWindow::Instance();
        results[0] = ShowWindowModal(first, 1, 2);
        second = QuickWindow::Instance();
        results[1] = ShowWindowModal(second, 1, 2);
    };
    RunUntil([&] { return done; });
    app->onUpdate = nullptr;
    app->UpdateApp();
    EXPECT_NE(first, second) << "the getter made a fresh window after the first was killed";
    EXPECT_EQ(results[0], 7);
    EXPECT_EQ(results[1], 7);
    EXPECT_EQ(QuickWindow::deaths, 2);
    EXPECT_EQ(QuickWindow::RegisteredInstance(), nullptr);
    EXPECT_TRUE(app->safeDeleteList.empty());
}

TEST_F(BaseWindowTest, TheDeletionQueueTakesAWidgetOnce)
{
    auto* window = new TestWindow(background, 5, &deaths);
    app->DeferWidgetDeletion(window);
    app->DeferWidgetDeletion(window);
    EXPECT_EQ(app->safeDeleteList.size(), 1u);
    app->DeleteDeferredWidgets();
    EXPECT_EQ(deaths, 1);
}
