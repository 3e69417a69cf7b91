// The crash windows without a screen: which window is up, its controls where the layout puts them,
// the progress window's dots, and the upload it watches through SubmitTransfer against a loopback
// server: an abort that waits for the transfer to say so, a failure that offers a retry.
#include "diagnostics/CrashWindows.h"

#include "app/TolmAppBase.h"
#include "diagnostics/CrashCatcher.h"
#include "diagnostics/HTTPTransfer.h"
#include "diagnostics/LoopbackServer.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using Window = CrashWindows::Window;

// Gives the windows a report server and an application to send for, and the upload's own thread.
class CrashWindowsUpload : public testing::Test
{
protected:
    CrashWindowsUpload() { CrashCatcher::application = &app; }
    ~CrashWindowsUpload() override
    {
        SubmitTransfer.Reset();
        CrashCatcher::application = nullptr;
        CrashCatcher::userText.clear();
        CrashCatcher::submitHost.clear();
    }

    // The windows, and the upload they start, with the report server at the host.
    CrashWindows Windows(const std::string& host)
    {
        CrashCatcher::submitHost = host;
        CrashWindows::Actions actions;
        actions.startUpload = [this] {
            ++uploads;
            if (!threadsStart) {
                return false;
            }
            CrashCatcher::SubmitReportThread();
            return true;
        };
        actions.askRetry = [this] { return ++retriesAsked <= retriesWanted; };
        return CrashWindows("report", true, true, host, actions);
    }

    // Sends the report from the details window.
    static void Send(CrashWindows& windows)
    {
        windows.PressFirstButton();
        windows.PressFirstButton("hello");
        ASSERT_EQ(windows.Current(), Window::kProgress);
    }

    // Ticks the progress window every 20 ms until the loop ends, for at most ten seconds.
    static void TickUntilExit(CrashWindows& windows)
    {
        for (int i = 0; i < 500 && !windows.ExitRequested(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            windows.Tick20Milliseconds();
        }
    }

    Tolm::TolmAppBase app;
    int uploads = 0;
    int retriesAsked = 0;
    int retriesWanted = 0;
    bool threadsStart = true;
};

CrashWindows::Actions NoActions()
{
    return {[] { return true; }, [] { return false; }};
}

} // namespace

TEST(CrashWindows, TheCrashWindowOffersToSendOnlyWithAServerAndAnApplication)
{
    struct Case
    {
        bool hasApplication;
        bool allowSubmit;
        const char* host;
        bool sendOffered;
        bool sendEnabled;
    };
    const Case cases[] = {
        {true, true, "reports.example:8080", true, true},
        {false, true, "reports.example", true, false},
        {true, false, "reports.example", false, false},
        {true, true, "", false, false},
    };
    for (const Case& c : cases) {
        CrashWindows windows("the report", c.hasApplication, c.allowSubmit, c.host, NoActions());
        const CrashWindowLayout& layout = windows.Layout();
        EXPECT_EQ(layout.title, "Fatal Error!");
        EXPECT_EQ(layout.controls[0].text, "An unexpected error has occured!");
        EXPECT_EQ(layout.controls[1].text, "the report");
        const CrashControl& close = layout.controls[size_t(layout.secondButton)];
        EXPECT_EQ(close.text, "Close Now");
        EXPECT_TRUE(close.enabled);
        if (c.sendOffered) {
            const CrashControl& send = layout.controls[size_t(layout.firstButton)];
            EXPECT_EQ(send.text, "Send Report");
            EXPECT_EQ(send.enabled, c.sendEnabled);
            EXPECT_EQ(send.x, 8);
            EXPECT_EQ(send.width, 188);
            EXPECT_EQ(close.x, 204);
            EXPECT_EQ(close.width, 188);
        } else {
            EXPECT_EQ(layout.firstButton, -1);
            EXPECT_EQ(close.x, 8);
            EXPECT_EQ(close.width, 384);
        }
    }
}

TEST(CrashWindows, ButtonWidthsShareTheWindowsSpan)
{
    EXPECT_EQ(CrashWindows::ButtonWidth(1), 384);
    EXPECT_EQ(CrashWindows::ButtonWidth(2), 188);
}

TEST(CrashWindows, EveryWayOutOfTheFirstTwoWindowsEndsTheLoop)
{
    CrashWindows closeNow("r", true, true, "host", NoActions());
    closeNow.PressSecondButton();
    EXPECT_TRUE(closeNow.ExitRequested());

    CrashWindows closed("r", true, true, "host", NoActions());
    closed.Close();
    EXPECT_TRUE(closed.ExitRequested());

    CrashWindows details("r", true, true, "host", NoActions());
    details.PressFirstButton();
    ASSERT_EQ(details.Current(), Window::kDetails);
    EXPECT_EQ(details.Layout().title, "Error Details");
    EXPECT_FALSE(details.ExitRequested());
    details.PressSecondButton();
    EXPECT_TRUE(details.ExitRequested());
}

TEST(CrashWindows, WithoutAnApplicationNothingCanBeSent)
{
    CrashWindows windows("r", false, true, "host", NoActions());
    windows.PressFirstButton();
    EXPECT_EQ(windows.Current(), Window::kCrash);
    EXPECT_FALSE(windows.ExitRequested());
}

TEST(CrashWindows, TheProgressDotsCountSecondsInTens)
{
    CrashWindows windows("r", true, true, "host", NoActions());
    windows.PressFirstButton();
    windows.PressFirstButton("text");
    ASSERT_EQ(windows.Current(), Window::kProgress);
    EXPECT_EQ(windows.StatusText(), "Please Wait");
    for (int i = 0; i < 3; ++i) {
        windows.TickSecond();
    }
    EXPECT_EQ(windows.StatusText(), "Please Wait . . .");
    EXPECT_EQ(windows.Layout().controls[0].text, "Please Wait . . .");
    for (int i = 3; i < 10; ++i) {
        windows.TickSecond();
    }
    EXPECT_EQ(windows.StatusText(), "Please Wait");
    CrashCatcher::userText.clear();
}

TEST(CrashWindows, TheUsersTextIsKeptUpTo8191Characters)
{
    CrashWindows windows("r", true, true, "host", NoActions());
    windows.PressFirstButton();
    windows.PressFirstButton(std::string(9000, 'x'));
    EXPECT_EQ(CrashCatcher::userText, std::string(8191, 'x'));
    CrashCatcher::userText.clear();
}

TEST_F(CrashWindowsUpload, ClosingDuringAnUploadWaitsForTheTransferToReportTheAbort)
{
    LoopbackServer silent("", LoopbackServer::End::kHoldOpen);
    CrashWindows windows = Windows(silent.Host());
    Send(windows);
    for (int i = 0; i < 500 && SubmitTransfer.result != Tolm::HTTPTransfer::kInProgress; ++i) {
        windows.Tick20Milliseconds();
    }
    windows.Close();
    EXPECT_FALSE(windows.ExitRequested());
    TickUntilExit(windows);
    EXPECT_TRUE(windows.ExitRequested());
    EXPECT_EQ(SubmitTransfer.result, Tolm::HTTPTransfer::kAborted);
    EXPECT_EQ(CrashCatcher::userText, "hello");
}

TEST_F(CrashWindowsUpload, TheDotsGoOnAfterARetry)
{
    retriesWanted = 1;
    CrashWindows windows = Windows("127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort()));
    Send(windows);
    windows.TickSecond();
    for (int i = 0; i < 500 && retriesAsked == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        windows.Tick20Milliseconds();
    }
    ASSERT_EQ(retriesAsked, 1);
    EXPECT_FALSE(windows.ExitRequested());
    EXPECT_EQ(windows.Current(), Window::kProgress);
    windows.TickSecond();
    EXPECT_EQ(windows.StatusText(), "Please Wait . .");
    // The second failure is not tried again.
    TickUntilExit(windows);
    EXPECT_TRUE(windows.ExitRequested());
    EXPECT_EQ(uploads, 2);
    EXPECT_EQ(retriesAsked, 2);
}

TEST_F(CrashWindowsUpload, AThreadThatCannotStartIsAFailure)
{
    threadsStart = false;
    CrashWindows windows = Windows("127.0.0.1:1");
    Send(windows);
    EXPECT_TRUE(windows.ExitRequested());
    EXPECT_EQ(uploads, 1);
    EXPECT_EQ(retriesAsked, 1);
}

TEST(CrashWindows, AnAbortWithNoTransferRunningEndsAtOnce)
{
    CrashWindows windows("r", true, true, "host", NoActions());
    windows.PressFirstButton();
    windows.PressFirstButton("x");
    windows.PressSecondButton();
    EXPECT_TRUE(windows.ExitRequested());
    SubmitTransfer.Reset();
    CrashCatcher::userText.clear();
}
