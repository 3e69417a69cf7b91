#include "platform/MessagePump.h"

#include "platform/Clock.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "support/HeadlessVideo.h"

#include <SDL.h>
#include <gtest/gtest.h>

using namespace Platform;

namespace {

class MessagePumpTest : public HeadlessVideoTest
{
protected:
    void SetUp() override
    {
        HeadlessVideoTest::SetUp();
        SetClock(&clock);
        window = Window::CreateMessageOnly("Test");
    }
    void TearDown() override
    {
        window.reset();
        SetClock(nullptr);
        HeadlessVideoTest::TearDown();
    }

    int CountTimers()
    {
        int count = 0;
        Message message;
        while (pump.PeekMessage(message)) {
            count += message.message == WM_TIMER ? 1 : 0;
        }
        return count;
    }

    ManualClock clock{1000000000};
    MessagePump& pump = MessagePump::Main();
    std::unique_ptr<Window> window;
};

class FakeNotifications : public NotificationSource
{
public:
    bool Poll(WParam& wParam, LParam& lParam) override
    {
        if (pending == 0) {
            return false;
        }
        --pending;
        wParam = 7;
        lParam = -1;
        return true;
    }
    int pending = 0;
};

} // namespace

TEST_F(MessagePumpTest, TimerFiresOncePerPeriodAndNeverPilesUp)
{
    pump.SetTimer(window->Handle(), 100, 10);
    clock.Advance(9);
    EXPECT_EQ(CountTimers(), 0);
    clock.Advance(1);
    Message message;
    ASSERT_TRUE(pump.PeekMessage(message));
    EXPECT_EQ(message, (Message{window->Handle(), WM_TIMER, 100, 0}));
    EXPECT_FALSE(pump.PeekMessage(message));
    clock.Advance(35);
    EXPECT_EQ(CountTimers(), 1);
    pump.KillTimer(window->Handle(), 100);
    clock.Advance(100);
    EXPECT_EQ(CountTimers(), 0);
}

TEST_F(MessagePumpTest, PostedMessagesComeBeforeInputAndTimersComeLast)
{
    auto desktop = Window::Create("Desktop", {0, 0, 64, 64, false});
    ASSERT_TRUE(desktop);
    pump.SetTimer(window->Handle(), 100, 10);
    clock.Advance(10);
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    event.window.windowID = SDL_GetWindowID(desktop->SdlWindow());
    SDL_PushEvent(&event);
    pump.PostMessage({window->Handle(), WM_CLOSE, 0, 0});
    FakeNotifications notifications;
    notifications.pending = 1;
    pump.ListenForNotifications(&notifications, desktop->Handle(), 0xC123);

    std::vector<uint32_t> order;
    Message message;
    while (pump.PeekMessage(message)) {
        order.push_back(message.message);
        if (message.message == 0xC123) {
            EXPECT_EQ(message, (Message{desktop->Handle(), 0xC123, 7, -1}));
        }
    }
    EXPECT_EQ(order, (std::vector<uint32_t>{WM_CLOSE, WM_ACTIVATEAPP, 0xC123, WM_TIMER}));
    pump.StopListening(&notifications);
}

TEST_F(MessagePumpTest, MessagesOfAWindowThatIsGoneAreDropped)
{
    pump.PostMessage({window->Handle(), WM_CLOSE, 0, 0});
    pump.SetTimer(window->Handle(), 100, 10);
    WindowHandle gone = window->Handle();
    window.reset();
    EXPECT_EQ(Window::FromHandle(gone), nullptr);
    clock.Advance(50);
    Message message;
    EXPECT_FALSE(pump.PeekMessage(message));
}

TEST_F(MessagePumpTest, AltF4LeftToTheSystemAsksTheWindowToClose)
{
    DefaultWindowProc({window->Handle(), WM_SYSKEYDOWN, VK_F4, LParam(0x20000001)});
    DefaultWindowProc({window->Handle(), WM_SYSKEYDOWN, 'R', LParam(0x20000001)});
    DefaultWindowProc({window->Handle(), WM_KEYDOWN, VK_F4, 1});
    Message message;
    ASSERT_TRUE(pump.PeekMessage(message));
    EXPECT_EQ(message, (Message{window->Handle(), WM_CLOSE, 0, 0}));
    EXPECT_FALSE(pump.PeekMessage(message));
}

TEST_F(MessagePumpTest, RegisteredMessagesAreStablePerNameAndInTheRegisteredRange)
{
    uint32_t notify = RegisterWindowMessage("NotifyQuendara");
    EXPECT_GE(notify, kFirstRegisteredMessage);
    EXPECT_EQ(RegisterWindowMessage("NotifyQuendara"), notify);
    EXPECT_NE(RegisterWindowMessage("NotifyOther"), notify);
}
