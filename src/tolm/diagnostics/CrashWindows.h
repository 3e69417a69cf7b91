// The three crash windows as one state machine, apart from how they are drawn: the crash window with
// the report, the details window where the user describes the crash, and the progress window that
// watches the report's upload through SubmitTransfer and offers a retry when it fails. It says which
// window is up, with its controls where they stand, and takes the user's presses, the window's close
// box and the two timers (every 20 ms and every second). Every way out sets ExitRequested.
#pragma once

#include "platform/ControlWindow.h"

#include <functional>
#include <string>
#include <vector>

// A control as the windows place it: a text box or a push button.
using CrashControl = Platform::ControlSpec;

struct CrashWindowLayout
{
    std::string className;
    std::string title;
    // The client area on the screen.
    int x;
    int y;
    int width;
    int height;
    std::vector<CrashControl> controls;
    // The controls of the first and the second button, and of the box that takes the keyboard; -1 for
    // none.
    int firstButton = -1;
    int secondButton = -1;
    int focus = -1;
};

class CrashWindows
{
public:
    enum class Window
    {
        kCrash,
        kDetails,
        kProgress,
    };

    // What the windows need done outside them: starting the upload on a thread of its own (false when
    // no thread can be started), and asking the user whether to try again after a failure.
    struct Actions
    {
        std::function<bool()> startUpload;
        std::function<bool()> askRetry;
    };

    // hasApplication: the crashed program had an application object, without which nothing can be
    // sent. The crash window offers "Send Report" only when submitting is allowed and a host is named.
    CrashWindows(const std::string& report, bool hasApplication, bool allowSubmit, const std::string& submitHost,
                 Actions actions);

    Window Current() const { return window; }
    const CrashWindowLayout& Layout() const { return layouts[int(window)]; }
    bool ExitRequested() const { return exitRequested; }

    // A button of the current window; the details window's box holds userText when it is pressed.
    void PressFirstButton(const std::string& userText = std::string());
    void PressSecondButton();
    void Close();
    void Tick20Milliseconds();
    void TickSecond();
    // The progress window's status line.
    const std::string& StatusText() const { return status; }

    // The width of each of the crash window's n buttons across its 384 pixels.
    static int ButtonWidth(int count);
    // What the details window's box gives up of its text.
    static constexpr size_t kMaxUserText = 8191;

private:
    enum class Message
    {
        kClose,
        kFirstButton,
        kSecondButton,
        kFastTimer,
        kSecondTimer,
    };

    // To the current window's procedure, unless the loop is over.
    void Dispatch(Message message, const std::string& userText = std::string());
    void CrashWindowProc(Message message);
    void SubmitInfoWindowProc(Message message, const std::string& userText);
    void ProgressWindowProc(Message message);
    void ShowSubmitInfoWindow();
    void ShowProgressWindow();
    void PollTransfer();
    void Abort();
    // Starts the upload, asking again while that fails; the loop ends when the user gives up.
    void StartUploadOrRetry(bool ask);

    std::vector<CrashWindowLayout> layouts;
    Actions actions;
    Window window = Window::kCrash;
    bool exitRequested = false;
    // Counts the progress window's seconds, and keeps counting through a retry.
    int dots = 0;
    std::string status;
};
