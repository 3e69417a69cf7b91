// Desktop events pushed into SDL's queue reach the window procedure as the records Windows would
// give it, are queued and handled one per loop step, and reach the widget manager.
#include "AppFixture.h"
#include "core/PathUtils.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "platform/SingleInstance.h"
#include "platform/VirtualKeys.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <SDL.h>

using namespace Platform;
using Tolm::TolmAppBase;

namespace {

class WindowInputTest : public AppFixture<RecordingApp>
{
protected:
    void SetUp() override
    {
        StartApp();
        ASSERT_TRUE(app->mainWindow);
        sdlId = SDL_GetWindowID(app->mainWindow->SdlWindow());
    }

    void Push(SDL_Event event) { SDL_PushEvent(&event); }
    void Key(bool down, SDL_Keycode sym, SDL_Scancode scancode, Uint16 mod)
    {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = sdlId;
        event.key.keysym.sym = sym;
        event.key.keysym.scancode = scancode;
        event.key.keysym.mod = mod;
        Push(event);
    }
    void Button(bool down, Uint8 button, Uint8 clicks, int x, int y)
    {
        SDL_Event event{};
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.windowID = sdlId;
        event.button.button = button;
        event.button.clicks = clicks;
        event.button.x = x;
        event.button.y = y;
        Push(event);
    }
    void Motion(int x, int y)
    {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = sdlId;
        event.motion.x = x;
        event.motion.y = y;
        Push(event);
    }
    void WindowEvent(Uint8 kind)
    {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = sdlId;
        event.window.event = kind;
        Push(event);
    }

    std::vector<uint32_t> QueuedKinds() const
    {
        std::vector<uint32_t> kinds;
        for (const Message& message : app->deferredMessages) {
            kinds.push_back(message.message);
        }
        return kinds;
    }

    Uint32 sdlId = 0;
};

} // namespace

TEST_F(WindowInputTest, PushedEventsAreQueuedAsWindowsRecordsAndReachTheWidgets)
{
    Motion(120, 80);
    Button(true, SDL_BUTTON_RIGHT, 1, 120, 80);
    Button(false, SDL_BUTTON_RIGHT, 1, 120, 80);
    Button(true, SDL_BUTTON_RIGHT, 2, 121, 80);
    Key(true, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT);
    Key(true, SDLK_r, SDL_SCANCODE_R, KMOD_LALT);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = sdlId;
    wheel.wheel.y = -1;
    Push(wheel);
    Key(true, SDLK_LCTRL, SDL_SCANCODE_LCTRL, KMOD_LALT | KMOD_LCTRL);
    PumpMessages();

    WindowHandle main = Main();
    std::vector<Message> expected = {
        {main, WM_MOUSEMOVE, 0, MakeLParam(120, 80)},       {main, WM_RBUTTONDOWN, MK_RBUTTON, MakeLParam(120, 80)},
        {main, WM_RBUTTONUP, 0, MakeLParam(120, 80)},       {main, WM_RBUTTONDBLCLK, MK_RBUTTON, MakeLParam(121, 80)},
        {main, WM_SYSKEYDOWN, VK_MENU, LParam(0x20000001)}, {main, WM_SYSKEYDOWN, 'R', LParam(0x20000001)},
    };
    std::vector<Message> queued(app->deferredMessages.begin(), app->deferredMessages.end());
    ASSERT_EQ(queued.size(), 8u);
    EXPECT_EQ(std::vector<Message>(queued.begin(), queued.begin() + 6), expected);
    EXPECT_EQ(queued[6].message, WM_MOUSEWHEEL);
    EXPECT_EQ(HighWordSigned(queued[6].wParam), -120);
    EXPECT_EQ(queued[7], (Message{main, WM_KEYDOWN, VK_CONTROL, LParam(0x20000001)}));
    EXPECT_TRUE(app->altDown);
    EXPECT_TRUE(app->ctrlDown);
    EXPECT_EQ(TolmAppBase::MouseClickCode(WM_RBUTTONDBLCLK), -2);

    // One record per call, in order.
    EXPECT_TRUE(app->ProcessDeferredMessages(true));
    EXPECT_EQ(app->deferredMessages.size(), 7u);
    app->ProcessDeferredMessages(false);
    Tolm::WidgetManager& widgets = *app->widgetManager;
    EXPECT_EQ(widgets.mouseButtons, 2) << "the right button is held after its double click";
    EXPECT_EQ(widgets.lastMouseX, 121);
    EXPECT_TRUE(widgets.keyDown[VK_MENU]);
    EXPECT_TRUE(widgets.keyDown['R']);
    EXPECT_TRUE(widgets.keyDown[VK_CONTROL]);
    EXPECT_TRUE(app->mouseInWindow);
}

TEST_F(WindowInputTest, DesktopInputReachesTheWidgetUnderTheMouseAndTheFocusWidget)
{
    struct Recorder : Tolm::Widget
    {
        void MouseEnter() override { events.push_back("enter"); }
        void MouseMove(int x, int y) override { events.push_back("move " + Point(x, y)); }
        using Widget::MouseDown;
        using Widget::MouseUp;
        void MouseDown(int x, int y, int button, int count) override
        {
            events.push_back("down " + Point(x, y) + " b" + std::to_string(button) + " c" + std::to_string(count));
        }
        void MouseUp(int x, int y, int button, int count) override
        {
            events.push_back("up " + Point(x, y) + " b" + std::to_string(button) + " c" + std::to_string(count));
        }
        void MouseDrag(int x, int y) override { events.push_back("drag " + Point(x, y)); }
        void MouseWheel(int delta) override { events.push_back("wheel " + std::to_string(delta)); }
        void KeyDown(int key) override { events.push_back("key " + std::to_string(key)); }
        static std::string Point(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
        std::vector<std::string> events;
    } widget;
    widget.Resize(100, 100, 50, 50);
    widget.wantsFocus = true;
    app->widgetManager->AddWidget(&widget);
    Motion(120, 110);
    Button(true, SDL_BUTTON_LEFT, 2, 120, 110);
    Button(false, SDL_BUTTON_LEFT, 2, 121, 110);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = sdlId;
    wheel.wheel.y = -1;
    Push(wheel);
    Key(true, SDLK_a, SDL_SCANCODE_A, 0);
    PumpMessages();
    app->ProcessDeferredMessages(false);
    EXPECT_EQ(widget.events, (std::vector<std::string>{"enter", "move 20,10", "down 20,10 b0 c2", "drag 21,10",
                                                       "up 21,10 b0 c1", "wheel -1", "key 65"}));
    app->widgetManager->RemoveWidget(&widget);
}

TEST_F(WindowInputTest, MouseClickCodesFollowTheButtonsAndDoubleClicks)
{
    struct Case
    {
        uint32_t message;
        int code;
    };
    const Case cases[] = {
        {WM_LBUTTONDOWN, 1}, {WM_LBUTTONDBLCLK, 2},  {WM_LBUTTONUP, 1},   {WM_RBUTTONDOWN, -1},
        {WM_RBUTTONUP, -1},  {WM_RBUTTONDBLCLK, -2}, {WM_MBUTTONDOWN, 3}, {WM_MBUTTONDBLCLK, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TolmAppBase::MouseClickCode(c.message), c.code) << c.message;
    }
}

TEST_F(WindowInputTest, LosingFocusReleasesKeysAndRegainingItComesBack)
{
    // The dummy desktop gives the new window no focus: the program starts inactive and muted.
    EXPECT_FALSE(app->active);
    EXPECT_TRUE(app->IsMuted());
    WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    Key(true, SDLK_a, SDL_SCANCODE_A, 0);
    PumpMessages();
    app->ProcessDeferredMessages(false);
    EXPECT_TRUE(app->active);
    EXPECT_FALSE(app->IsMuted());
    EXPECT_TRUE(app->widgetManager->keyDown['A']);
    int lostBefore = app->focusLost;

    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    PumpMessages();
    EXPECT_FALSE(app->hasFocus) << "the window procedure notes the focus at once";
    app->ProcessDeferredMessages(false);
    EXPECT_FALSE(app->active);
    EXPECT_EQ(app->focusLost, lostBefore + 1);
    EXPECT_FALSE(app->widgetManager->keyDown['A']);
    EXPECT_TRUE(app->IsMuted());
    EXPECT_EQ(app->muteCount, app->autoMuteCount) << "muting on focus loss is automatic";
}

TEST_F(WindowInputTest, TimerRunsCollapseAndNothingFollowsAClose)
{
    WindowHandle main = Main();
    TolmAppBase::WindowProc(main, WM_TIMER, 100, 0);
    TolmAppBase::WindowProc(main, WM_TIMER, 100, 0);
    TolmAppBase::WindowProc(main, WM_DISPLAYCHANGE, 0, 0);
    TolmAppBase::WindowProc(main, WM_TIMER, 100, 0);
    TolmAppBase::WindowProc(main, WM_SYSCOLORCHANGE, 0, 0);
    TolmAppBase::WindowProc(main, WM_KEYDOWN, 'Q', 1);
    TolmAppBase::WindowProc(main, WM_CLOSE, 0, 0);
    TolmAppBase::WindowProc(main, WM_KEYDOWN, 'W', 1);
    TolmAppBase::WindowProc(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(QueuedKinds(), (std::vector<uint32_t>{WM_TIMER, WM_DISPLAYCHANGE, WM_TIMER, WM_KEYDOWN, WM_CLOSE}));
    // The key queued before the close still reaches the widgets before the program shuts down.
    for (int i = 0; i < 4; ++i) {
        app->ProcessDeferredMessages(true);
    }
    EXPECT_TRUE(app->widgetManager->keyDown['Q']);
    EXPECT_FALSE(app->shutDown);
    app->ProcessDeferredMessages(true);
    EXPECT_TRUE(app->shutDown);
    EXPECT_TRUE(app->windowClosed);
    EXPECT_FALSE(app->widgetManager->keyDown['W']);
}

TEST_F(WindowInputTest, DesktopQuitRequestClosesTheWindowAndEndsTheLoop)
{
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    Push(quit);
    app->MainLoop();
    EXPECT_TRUE(app->shutDown);
    EXPECT_TRUE(app->windowClosed);
}

TEST_F(WindowInputTest, HalfSensitivityMovesThePointerOnePixelForTwo)
{
    app->mouseSensitivity = 0.5f;
    app->mouseInWindow = true;
    WindowHandle main = Main();
    // The first move starts the scaled pointer one pixel up and left of it; the second lands it on a
    // whole pixel, (102, 102), with no fraction left over.
    TolmAppBase::WindowProc(main, WM_MOUSEMOVE, 0, MakeLParam(101, 101));
    TolmAppBase::WindowProc(main, WM_MOUSEMOVE, 0, MakeLParam(103, 103));
    ASSERT_EQ(app->deferredMessages.size(), 1u);
    EXPECT_EQ(app->deferredMessages.back().lParam, MakeLParam(102, 102));
    app->deferredMessages.clear();

    TolmAppBase::WindowProc(main, WM_MOUSEMOVE, 0, MakeLParam(103, 102));
    EXPECT_TRUE(app->deferredMessages.empty()) << "half a pixel moves nothing yet";
    TolmAppBase::WindowProc(main, WM_MOUSEMOVE, 0, MakeLParam(104, 102));
    ASSERT_EQ(app->deferredMessages.size(), 1u);
    EXPECT_EQ(app->deferredMessages.back().lParam, MakeLParam(103, 102));
}

TEST_F(WindowInputTest, AltF4GoesToTheSystemWhichClosesTheWindow)
{
    Key(true, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT);
    Key(true, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT);
    PumpMessages();
    EXPECT_EQ(QueuedKinds(), (std::vector<uint32_t>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_CLOSE}));
}

TEST_F(WindowInputTest, AltEnterSwitchesToFullScreenAndBackUnlessAWindowCannotBeHad)
{
    TolmAppBase::WindowProc(Main(), WM_SYSKEYDOWN, VK_RETURN, LParam(0x20000001));
    app->ProcessDeferredMessages(false);
    EXPECT_FALSE(app->windowed);
    EXPECT_FALSE(app->isWindowedNow);
    ASSERT_TRUE(app->mainWindow);
    EXPECT_TRUE(app->mainWindow->IsFullScreen());
    EXPECT_EQ(SDL_GetWindowID(app->mainWindow->SdlWindow()), sdlId) << "the desktop keeps its window";
    EXPECT_EQ(app->widgetManager->screenImage, app->display->GetScreenImage());

    TolmAppBase::WindowProc(Main(), WM_SYSKEYDOWN, VK_RETURN, LParam(0x20000001));
    app->ProcessDeferredMessages(false);
    EXPECT_TRUE(app->windowed);
    EXPECT_FALSE(app->mainWindow->IsFullScreen());

    app->windowedUnavailable = true;
    TolmAppBase::WindowProc(Main(), WM_SYSKEYDOWN, VK_RETURN, LParam(0x20000001));
    app->ProcessDeferredMessages(false);
    EXPECT_TRUE(app->windowed) << "Alt+Enter does nothing when windowed mode is unavailable";
    EXPECT_TRUE(app->widgetManager->keyDown[VK_RETURN]);
}

// What the options' Back does with full screen unchecked: the button's release makes the window anew,
// and the old window is gone before the click's handling is over, which must not touch it after that
// (the AddressSanitizer build reports the use of the freed window).
TEST_F(WindowInputTest, AReleaseThatReplacesTheWindowEndsTheClickWithoutTheOldWindow)
{
    struct ModeSwitch : Tolm::Widget
    {
        using Widget::MouseUp;
        void MouseUp(int, int, int, int) override
        {
            ++releases;
            app->SwitchScreenModeTo(!app->windowed);
        }
        TolmAppBase* app = nullptr;
        int releases = 0;
    } widget;
    widget.app = app.get();
    widget.Resize(100, 100, 50, 50);
    app->widgetManager->AddWidget(&widget);
    const WindowHandle before = Main();
    struct Click
    {
        uint32_t down;
        WParam held;
        uint32_t up;
    };
    for (const Click& click :
         {Click{WM_LBUTTONDOWN, MK_LBUTTON, WM_LBUTTONUP}, Click{WM_RBUTTONDOWN, MK_RBUTTON, WM_RBUTTONUP},
          Click{WM_MBUTTONDOWN, MK_MBUTTON, WM_MBUTTONUP}}) {
        TolmAppBase::WindowProc(Main(), WM_MOUSEMOVE, 0, MakeLParam(120, 110));
        TolmAppBase::WindowProc(Main(), click.down, click.held, MakeLParam(120, 110));
        TolmAppBase::WindowProc(Main(), click.up, 0, MakeLParam(120, 110));
        app->ProcessDeferredMessages(false);
    }
    EXPECT_EQ(widget.releases, 3);
    EXPECT_FALSE(app->windowed) << "three switches from a window end in full screen";
    EXPECT_EQ(Window::FromHandle(before), nullptr);
    ASSERT_TRUE(app->mainWindow);
    EXPECT_EQ(SDL_GetWindowID(app->mainWindow->SdlWindow()), sdlId) << "the desktop keeps its window";
    EXPECT_EQ(app->widgetManager->mouseButtons, 0);
    app->widgetManager->RemoveWidget(&widget);
}

TEST_F(WindowInputTest, ForcedThreeDimensionalModeFallsBackToTwo)
{
    app->SetAcceleration3D(true, true);
    EXPECT_FALSE(app->display->is3D);
    EXPECT_TRUE(app->display->initialised);
    EXPECT_TRUE(app->acceleration3DChanged);
}

TEST_F(WindowInputTest, NotificationFromASecondCopyBringsTheWindowToTheFront)
{
    std::string folder = Tolm::GetUserDataFolder();
    ASSERT_TRUE(NotificationChannel::Send(folder, "NotifyTestProduct", 0, 0));
    ASSERT_TRUE(NotificationChannel::Send(folder, "NotifyTestProduct", 1, 0));
    PumpMessages();
    ASSERT_EQ(app->frontRequests.size(), 2u);
    EXPECT_EQ(app->frontRequests[0].wParam, 0u);
    EXPECT_EQ(app->frontRequests[1].wParam, 1u);
    EXPECT_TRUE(app->deferredMessages.empty()) << "the notification is handled at once, not queued";
}

TEST_F(WindowInputTest, TimerMessageNoticesThePointerLeavingTheWindow)
{
    app->inMainLoop = true;
    WindowEvent(SDL_WINDOWEVENT_ENTER);
    Motion(10, 10);
    PumpMessages();
    app->ProcessDeferredMessages(false);
    EXPECT_TRUE(app->mouseInWindow);
    WindowEvent(SDL_WINDOWEVENT_LEAVE);
    clock.Advance(10);
    PumpMessages();
    app->ProcessDeferredMessages(false);
    EXPECT_FALSE(app->mouseInWindow);
    EXPECT_FALSE(app->widgetManager->mouseInWindow);
}

TEST_F(WindowInputTest, ScreenSaverSwallowsThreeMovesAndTheFourthEndsIt)
{
    app->screenSaverMode = true;
    WindowHandle main = Main();
    for (int x = 10; x <= 13; ++x) {
        TolmAppBase::WindowProc(main, WM_MOUSEMOVE, 0, MakeLParam(x, 5));
    }
    EXPECT_TRUE(app->deferredMessages.empty()) << "the first position and three moves are swallowed";
    EXPECT_EQ(TolmAppBase::WindowProc(main, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    TolmAppBase::WindowProc(main, WM_MOUSEMOVE, 0, MakeLParam(14, 5));
    EXPECT_TRUE(app->screenSaverEnding);
    PumpMessages();
    app->ProcessDeferredMessages(false);
    EXPECT_TRUE(app->shutDown) << "the saver ends by closing its window";
}

TEST_F(WindowInputTest, ScreenSaverEndsOnAKeyButNotOnAMoveRightAfterTheMonitorWakes)
{
    app->screenSaverMode = true;
    WindowHandle main = Main();
    TolmAppBase::WindowProc(main, WM_SYSCOMMAND, SC_MONITORPOWER, 0);
    for (int x = 10; x <= 20; ++x) {
        TolmAppBase::WindowProc(main, WM_MOUSEMOVE, 0, MakeLParam(x, 5));
    }
    EXPECT_FALSE(app->screenSaverEnding);
    TolmAppBase::WindowProc(main, WM_KEYDOWN, 'A', 1);
    EXPECT_TRUE(app->screenSaverEnding);
}
