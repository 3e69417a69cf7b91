#include "diagnostics/CrashWindows.h"

#include "diagnostics/CrashCatcher.h"
#include "diagnostics/HTTPTransfer.h"

#include <utility>

namespace {

using Tolm::HTTPTransfer;

constexpr const char* kArial = "Arial";
constexpr const char* kCourier = "Courier New";
constexpr const char* kTahoma = "Tahoma";
constexpr int kStatusDotsCycle = 10;

CrashControl Text(const std::string& text, int x, int y, int width, int height, const char* family, int points,
                  bool bold)
{
    CrashControl control;
    control.text = text;
    control.x = x;
    control.y = y;
    control.width = width;
    control.height = height;
    control.fontFamily = family;
    control.fontPoints = points;
    control.bold = bold;
    return control;
}

// A multi-line box with a border and a scroll bar.
CrashControl Box(const std::string& text, int x, int y, int width, int height, const char* family, int points,
                 bool editable)
{
    CrashControl box = Text(text, x, y, width, height, family, points, false);
    box.multiLine = true;
    box.framed = true;
    box.editable = editable;
    return box;
}

CrashControl Button(const std::string& text, int x, int y, int width, int height, const char* family, int points,
                    bool bold, bool enabled = true)
{
    CrashControl button = Text(text, x, y, width, height, family, points, bold);
    button.button = true;
    button.enabled = enabled;
    return button;
}

CrashControl Message(const std::string& text)
{
    CrashControl message = Text(text, 8, 8, 384, 84, kArial, 9, true);
    message.multiLine = true;
    return message;
}

CrashWindowLayout CrashLayout(const std::string& report, bool hasApplication, bool offerSubmit)
{
    CrashWindowLayout layout{"SEHWindow", "Fatal Error!", 64, 64, 400, 300, {}};
    layout.controls.push_back(Message("An unexpected error has occured!"));
    layout.controls.push_back(Box(report, 8, 92, 384, 168, kCourier, 8, false));
    int width = CrashWindows::ButtonWidth(offerSubmit ? 2 : 1);
    int x = 8;
    if (offerSubmit) {
        layout.firstButton = int(layout.controls.size());
        layout.controls.push_back(Button("Send Report", x, 268, width, 24, kArial, 9, true, hasApplication));
        x += width + 8;
    }
    layout.secondButton = int(layout.controls.size());
    layout.controls.push_back(Button("Close Now", x, 268, width, 24, kArial, 9, true));
    return layout;
}

CrashWindowLayout DetailsLayout(bool hasApplication)
{
    CrashWindowLayout layout{"SubmitInfoWindow", "Error Details", 80, 80, 400, 300, {}};
    layout.controls.push_back(Message("Please help out by providing as much information as you can about this crash."));
    layout.focus = int(layout.controls.size());
    layout.controls.push_back(Box("", 8, 92, 384, 168, kTahoma, 8, true));
    layout.firstButton = int(layout.controls.size());
    layout.controls.push_back(Button("Continue", 8, 268, 188, 24, kArial, 9, true, hasApplication));
    layout.secondButton = int(layout.controls.size());
    layout.controls.push_back(Button("Abort", 204, 268, 188, 24, kArial, 9, true));
    return layout;
}

CrashWindowLayout ProgressLayout()
{
    CrashWindowLayout layout{"SEHProgressWindow", "Submitting Report", 64, 64, 240, 64, {}};
    layout.controls.push_back(Text("Please Wait", 24, 10, 224, 24, kTahoma, 10, true));
    layout.secondButton = int(layout.controls.size());
    layout.controls.push_back(Button("Abort", 72, 36, 96, 22, kTahoma, 8, false));
    return layout;
}

} // namespace

CrashWindows::CrashWindows(const std::string& report, bool hasApplication, bool allowSubmit,
                           const std::string& submitHost, Actions actions)
    : actions(std::move(actions)), status("Please Wait")
{
    layouts = {CrashLayout(report, hasApplication, allowSubmit && !submitHost.empty()), DetailsLayout(hasApplication),
               ProgressLayout()};
}

int CrashWindows::ButtonWidth(int count)
{
    return ((49 - count) * 8) / count;
}

void CrashWindows::PressFirstButton(const std::string& userText)
{
    const CrashWindowLayout& layout = Layout();
    // A disabled button cannot be pressed.
    if (layout.firstButton >= 0 && layout.controls[size_t(layout.firstButton)].enabled) {
        Dispatch(Message::kFirstButton, userText);
    }
}

void CrashWindows::PressSecondButton()
{
    Dispatch(Message::kSecondButton);
}

void CrashWindows::Close()
{
    Dispatch(Message::kClose);
}

void CrashWindows::Tick20Milliseconds()
{
    Dispatch(Message::kFastTimer);
}

void CrashWindows::TickSecond()
{
    Dispatch(Message::kSecondTimer);
}

void CrashWindows::Dispatch(Message message, const std::string& userText)
{
    // The loop takes no message once it is told to end.
    if (exitRequested) {
        return;
    }
    switch (window) {
    case Window::kCrash:
        CrashWindowProc(message);
        return;
    case Window::kDetails:
        SubmitInfoWindowProc(message, userText);
        return;
    case Window::kProgress:
        ProgressWindowProc(message);
        return;
    }
}

void CrashWindows::CrashWindowProc(Message message)
{
    if (message == Message::kFirstButton) {
        ShowSubmitInfoWindow();
    } else if (message == Message::kSecondButton || message == Message::kClose) {
        exitRequested = true;
    }
}

void CrashWindows::ShowSubmitInfoWindow()
{
    window = Window::kDetails;
}

void CrashWindows::SubmitInfoWindowProc(Message message, const std::string& userText)
{
    if (message == Message::kFirstButton) {
        CrashCatcher::userText = userText.substr(0, kMaxUserText);
        ShowProgressWindow();
        StartUploadOrRetry(false);
    } else if (message == Message::kSecondButton || message == Message::kClose) {
        exitRequested = true;
    }
}

void CrashWindows::ShowProgressWindow()
{
    window = Window::kProgress;
}

void CrashWindows::ProgressWindowProc(Message message)
{
    switch (message) {
    case Message::kSecondButton:
    case Message::kClose:
        Abort();
        return;
    case Message::kFastTimer:
        PollTransfer();
        return;
    case Message::kSecondTimer:
        ++dots;
        status = "Please Wait";
        for (int i = 0; i < dots % kStatusDotsCycle; ++i) {
            status += " .";
        }
        layouts[int(Window::kProgress)].controls[0].text = status;
        return;
    default:
        return;
    }
}

void CrashWindows::PollTransfer()
{
    SubmitTransfer.UpdateStatus();
    switch (SubmitTransfer.result.load()) {
    case HTTPTransfer::kIdle:
    case HTTPTransfer::kInProgress:
        return;
    case HTTPTransfer::kDone:
    case HTTPTransfer::kAborted:
        exitRequested = true;
        return;
    default:
        SubmitTransfer.Reset();
        StartUploadOrRetry(true);
        return;
    }
}

void CrashWindows::Abort()
{
    SubmitTransfer.stop = true;
    SubmitTransfer.aborted = true;
    // Only a running transfer reports the abort; without one nothing ever would.
    if (SubmitTransfer.result != HTTPTransfer::kInProgress) {
        exitRequested = true;
    }
}

void CrashWindows::StartUploadOrRetry(bool ask)
{
    for (;;) {
        if (ask && !actions.askRetry()) {
            exitRequested = true;
            return;
        }
        if (actions.startUpload()) {
            return;
        }
        ask = true;
    }
}
