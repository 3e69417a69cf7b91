// The main window and the display behind it, the window procedure and the deferred input queue, the
// cursors, focus and activity, the screen-mode switch, the debug keys and the mouse-poll thread.
//
// Input is not handled inside the window procedure: it is queued and handled one record per loop
// step, so the order of events is fixed and a demo can record exactly what the widgets saw.
#include "app/DebugOverlay.h"
#include "app/DemoEvents.h"
#include "app/TolmAppBase.h"
#include "diagnostics/Profiler.h"
#include "display/D3DTester.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "platform/Clock.h"
#include "platform/Cursor.h"
#include "platform/DebugOutput.h"
#include "platform/MessagePump.h"
#include "platform/SingleInstance.h"
#include "platform/VideoSystem.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "widgets/WidgetManager.h"

#include <chrono>
#include <cmath>

namespace Tolm {

using namespace Platform;

namespace {

constexpr uint32_t kFrameTimerId = 100;
constexpr uint32_t kMousePollMs = 10;

uint32_t Now()
{
    return GetClock().Milliseconds();
}

bool IsMouseButtonMessage(uint32_t message)
{
    return message >= WM_MOUSEMOVE && message <= WM_MBUTTONDBLCLK;
}

bool IsQueuedMessage(uint32_t message)
{
    switch (message) {
    case WM_MOVE:
    case WM_SIZE:
    case WM_CLOSE:
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_TIMER:
    case WM_MOUSEWHEEL:
        return true;
    default:
        return IsMouseButtonMessage(message);
    }
}

WParam ButtonBitOf(uint32_t message)
{
    return message <= WM_LBUTTONDBLCLK ? MK_LBUTTON : message <= WM_RBUTTONDBLCLK ? MK_RBUTTON : MK_MBUTTON;
}

// Looked up at the moment of use: a window is never held across a call into the widgets, which may
// replace it.
void CaptureMouse(WindowHandle handle, bool capture)
{
    if (Window* window = Window::FromHandle(handle)) {
        window->CaptureMouse(capture);
    }
}

} // namespace

void TolmAppBase::MakeWindow()
{
    if (mainWindow) {
        mainWindow->SetUserData(nullptr);
        // The display presents on the window, so it lets go of it first.
        if (display) {
            display->ReleaseAll();
        }
        widgetManager->screenImage = nullptr;
    }
    std::unique_ptr<Window> previous = std::move(mainWindow);
    WindowPlacement placement{0, 0, width, height, false};
    if (windowed || playingDemo) {
        // The desktop draws the frame outside the client area: the outer size is the client size.
        ScreenRect work = DesktopWorkArea();
        if (preferredX == -1) {
            placement.x = work.x + (work.width - width) / 2;
            placement.y = work.y + int((work.height - height) * 0.382);
        } else {
            placement.x = std::max(preferredX, work.x + 4);
            placement.y = std::max(preferredY, work.y + 4);
            if (placement.x + width >= work.x + work.width - 4) {
                placement.x = work.x + work.width - width - 4;
            }
            if (placement.y + height >= work.y + work.height - 4) {
                placement.y = work.y + work.height - height - 4;
            }
        }
        isWindowedNow = true;
    } else {
        placement.fullScreen = true;
        isWindowedNow = false;
    }
    // The previous window goes, and the desktop's window it showed on is moved into the new placement:
    // the desktop never sees the window vanish, so it keeps the keyboard focus a full-screen display needs.
    mainWindow = Window::Replace(std::move(previous), title, placement);
    if (mainWindow) {
        mainWindow->SetUserData(this);
    }
    if (!display) {
        display = std::make_unique<DDInterface>(this);
        bool stored3D = false;
        if (ReadRegistryBool("Is3D", stored3D)) {
            if (autoEnable3D) {
                autoEnable3D = false;
                run3DTest = true;
            }
            run3DTest = run3DTest || stored3D;
            display->is3D = stored3D;
        }
    }
    int result = InitDisplay();
    if (display->tester && display->tester->DiscardsStored3DChoice()) {
        EraseRegistryValue("Is3D");
    }
    if (result == kResultInvalidColorDepth && windowed) {
        if (fullScreenUnavailable) {
            ShowErrorPopup(
                GetStringProperty("PLEASE_SET_COLOR_DEPTH", "Please set your desktop color depth to 16 bit."));
            DoExit(1);
        }
        windowedUnavailable = true;
        SwitchScreenModeTo(false);
    } else if ((result == 4 || result == 5) && !windowed) {
        fullScreenUnavailable = true;
        SwitchScreenModeTo(true);
    } else if (result == kResult3DFailed) {
        SetAcceleration3D(false, true);
    } else if (result != kResultOk) {
        if (!display->is3D) {
            ReportFatalDisplayError(result);
        }
        SetAcceleration3D(false, true);
    } else {
        FinishWindow();
    }
}

void TolmAppBase::FinishWindow()
{
    bool hadFocus = hasFocus;
    // A replay follows the recorded activations: its own window's focus is not the recorded run's, and
    // a replay paused by it would wait for an activation that the demo never holds.
    if (!playingDemo) {
        hasFocus = mainWindow->HasKeyboardFocus();
    }
    if (minimized) {
        if (muteOnFocusLoss) {
            Unmute(true);
        }
        minimized = false;
        SetActiveState();
    }
    minimizedBySize = false;
    if (hasFocus != hadFocus) {
        SetActiveState();
    }
    ReInitImages();
    widgetManager->screenImage = display->GetScreenImage();
    widgetManager->InvalidateAll();
    MessagePump& pump = MessagePump::Main();
    pump.SetTimer(mainWindow->Handle(), kFrameTimerId, uint32_t(frameTime));
    if (notifyChannel) {
        pump.ListenForNotifications(notifyChannel.get(), mainWindow->Handle(), notifyMessage);
    }
}

void TolmAppBase::ReportFatalDisplayError(int result)
{
    ShowErrorPopup(GetStringProperty("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") +
                   DDInterface::ResultName(result) + " " + display->errorText);
    DoExit(1);
}

int TolmAppBase::InitDisplay()
{
    PreDisplayInitHook();
    FreeImageCaches();
    int result = display->Init(MainWindowHandle(), isWindowedNow);
    AfterDisplayInit();
    if (result != kResultOk) {
        return result;
    }
    Rect shown((width - display->displayWidth) / 2, (height - display->displayHeight) / 2, display->displayWidth,
               display->displayHeight);
    widgetManager->SetMouseMapping(shown, display->presentationRect);
    PostDisplayInitHook();
    return kResultOk;
}

void TolmAppBase::AfterDisplayInit()
{
    refreshRate = int(display->refreshRate);
    if (recordingDemo) {
        RecordDemoLongEvent(DemoEvent::kDisplayMode);
        demoBuffer.WriteBool(windowed);
        demoBuffer.WriteByte(uint8_t(refreshRate));
    }
}

bool TolmAppBase::Is3DMode() const
{
    return display && display->is3D;
}

void TolmAppBase::SetAcceleration3D(bool on, bool reinit)
{
    if (display->is3D == on) {
        return;
    }
    acceleration3DChanged = true;
    display->is3D = on;
    if (!reinit) {
        return;
    }
    int result = InitDisplay();
    if (result != kResultOk) {
        if (on) {
            SetAcceleration3D(false, true);
        } else {
            ReportFatalDisplayError(result);
        }
        return;
    }
    ReInitImages();
    widgetManager->screenImage = display->GetScreenImage();
    widgetManager->InvalidateAll();
}

void TolmAppBase::SwitchScreenMode(bool toWindowed, bool is3D, bool force)
{
    if (windowedUnavailable) {
        toWindowed = false;
    }
    if (toWindowed == windowed && !force) {
        SetAcceleration3D(is3D, true);
        return;
    }
    SetAcceleration3D(is3D, false);
    windowed = toWindowed;
    MakeWindow();
    if (!mainWindow) {
        return;
    }
    mainWindow->Show();
    if (!browserLaunched) {
        mainWindow->BringToForeground();
    }
}

void TolmAppBase::SwitchScreenModeTo(bool toWindowed)
{
    SwitchScreenMode(toWindowed, display && display->is3D, false);
}

void TolmAppBase::ReapplyScreenMode()
{
    SwitchScreenMode(windowed, display && display->is3D, true);
}

void TolmAppBase::SetDisplayOption(bool option)
{
    if (option == displayOption) {
        return;
    }
    displayOption = option;
    display->SelectDrawSurface(option);
    widgetManager->screenImage = display->GetScreenImage();
    widgetManager->InvalidateAll();
}

int32_t TolmAppBase::WindowProc(WindowHandle window, uint32_t message, WParam wParam, LParam lParam)
{
    Message record{window, message, wParam, lParam};
    Window* target = Window::FromHandle(window);
    auto* app = target ? static_cast<TolmAppBase*>(target->UserData()) : nullptr;
    if (!app) {
        return DefaultWindowProc(record);
    }
    return app->HandleMessage(record);
}

int32_t TolmAppBase::HandleMessage(const Message& message)
{
    if (int32_t result = 0; screenSaverMode && ScreenSaverFilter(message, result)) {
        return result;
    }
    bool forMainWindow = message.window == MainWindowHandle();
    switch (message.message) {
    case WM_DESTROY:
        DebugOutput(FormatString("DESTROYED HWND: %d\r\n", int(message.window)));
        return DefaultWindowProc(message);
    case WM_ENABLE:
        windowDisabled = message.wParam == 0;
        return DefaultWindowProc(message);
    case WM_PAINT:
        if (!initialised || hidden) {
            return DefaultWindowProc(message);
        }
        if (inMainLoop) {
            PresentScreen(nullptr);
        }
        return 0;
    case WM_QUERYOPEN:
        return AllowRestore() ? DefaultWindowProc(message) : 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_ENDSESSION:
        Shutdown();
        return DefaultWindowProc(message);
    case WM_SETCURSOR:
        if (!hidden) {
            ApplyCursor();
        }
        return 1;
    case WM_NCLBUTTONDOWN: {
        int32_t result = DefaultWindowProc(message);
        ResetFrameTiming();
        return result;
    }
    case WM_SYSCHAR:
        return IsConfirmKey(int(message.wParam)) ? 0 : DefaultWindowProc(message);
    case WM_SYSCOMMAND:
        if (message.wParam == SC_MONITORPOWER) {
            lastMonitorPowerTime = Now();
            return loadingCompleted ? DefaultWindowProc(message) : 0;
        }
        if (message.wParam == SC_SCREENSAVE) {
            return loadingCompleted && isWindowedNow ? DefaultWindowProc(message) : 0;
        }
        return DefaultWindowProc(message);
    case WM_ACTIVATEAPP:
        if (!playingDemo && forMainWindow) {
            hasFocus = message.wParam != 0;
        }
        return QueueMessage(message);
    default:
        break;
    }
    if (IsQueuedMessage(message.message)) {
        return QueueMessage(message);
    }
    if (message.message == notifyMessage && forMainWindow) {
        BringToFront(message.wParam, message.lParam);
        return 0;
    }
    return DefaultWindowProc(message);
}

bool TolmAppBase::ScreenSaverFilter(const Message& message, int32_t& result)
{
    if (screenSaverEnding) {
        return false;
    }
    result = 0;
    bool deactivating = message.wParam == 0;
    switch (message.message) {
    case WM_SYSCOMMAND:
        return message.wParam == SC_SCREENSAVE || message.wParam == SC_CLOSE || message.wParam == SC_KEYMENU ||
               message.wParam == SC_HOTKEY;
    case WM_MOUSEMOVE: {
        int x = LowWordSigned(uint32_t(message.lParam));
        int y = HighWordSigned(uint32_t(message.lParam));
        if (!screenSaverPositionKnown) {
            screenSaverPositionKnown = true;
            screenSaverX = x;
            screenSaverY = y;
        }
        if (x != screenSaverX || y != screenSaverY) {
            screenSaverX = x;
            screenSaverY = y;
            ++screenSaverMoves;
        }
        // A nudge of the table is no reason to stop: only a fourth move ends the saver.
        if (screenSaverMoves <= 3) {
            return true;
        }
        EndScreenSaver(message);
        return false;
    }
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
        if (deactivating) {
            EndScreenSaver(message);
        }
        return false;
    case WM_CLOSE:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        EndScreenSaver(message);
        return false;
    default:
        return false;
    }
}

void TolmAppBase::EndScreenSaver(const Message& message)
{
    if (message.window != MainWindowHandle()) {
        return;
    }
    // Turning the monitor back on moves the mouse and sends a close: neither counts for a second.
    bool closeOrMove = message.message == WM_CLOSE || message.message == WM_MOUSEMOVE;
    if (closeOrMove && Now() - lastMonitorPowerTime < 1000) {
        return;
    }
    screenSaverEnding = true;
    MessagePump::Main().PostMessage({message.window, WM_CLOSE, 0, 0});
}

int32_t TolmAppBase::QueueMessage(Message message)
{
    if (flippedToGdi) {
        return DefaultWindowProc(message);
    }
    uint32_t kind = message.message;
    bool keyDownMessage = kind == WM_KEYDOWN || kind == WM_SYSKEYDOWN;
    if (keyDownMessage || kind == WM_KEYUP || kind == WM_SYSKEYUP) {
        if (message.wParam == VK_CONTROL) {
            ctrlDown = keyDownMessage;
        } else if (message.wParam == VK_MENU) {
            altDown = keyDownMessage;
        }
        if (keyDownMessage && InterceptKeyDown(int(message.wParam), ctrlDown, altDown)) {
            return 0;
        }
    }
    if (playingDemo && kind == WM_KEYDOWN) {
        DebugKeyDown(int(message.wParam));
    }
    if (playingDemo && kind == WM_CHAR) {
        HandleDemoControl(char(message.wParam));
    }
    uint32_t lastQueued = deferredMessages.empty() ? 0 : deferredMessages.back().message;
    bool queue = lastQueued != WM_CLOSE;
    if (queue && kind == WM_TIMER && lastQueued == WM_TIMER) {
        return DefaultWindowProc(message);
    }
    if (queue && (kind == WM_SYSCOLORCHANGE || kind == WM_DISPLAYCHANGE)) {
        for (const Message& queued : deferredMessages) {
            queue = queue && queued.message != WM_SYSCOLORCHANGE && queued.message != WM_DISPLAYCHANGE;
        }
    }
    if (queue && kind == WM_MOUSEMOVE && mouseSensitivity != 1.0f && !ScaleMouseMove(message)) {
        return 0;
    }
    if (queue) {
        deferredMessages.push_back(message);
    }
    switch (kind) {
    case WM_SIZE:
        minimizedBySize = message.wParam == SIZE_MINIMIZED;
        return DefaultWindowProc(message);
    case WM_SYSKEYDOWN:
        // Alt+F4 still reaches the system; other Alt combinations open no system menu.
        return message.wParam == VK_F4 ? DefaultWindowProc(message) : 0;
    case WM_CLOSE:
        // The window is not destroyed here: the queue's handling shuts the program down.
        CloseRequested();
        return 0;
    default:
        return DefaultWindowProc(message);
    }
}

bool TolmAppBase::ScaleMouseMove(Message& message)
{
    int x = LowWordSigned(uint32_t(message.lParam));
    int y = HighWordSigned(uint32_t(message.lParam));
    if (!scaledMouseStarted) {
        scaledMouseStarted = true;
        scaledMouseX = x - 1;
        scaledMouseY = y - 1;
    }
    if (!mouseInWindow) {
        return true;
    }
    float fx = float(x - scaledMouseX) * mouseSensitivity + scaledMouseRemainderX;
    float fy = float(y - scaledMouseY) * mouseSensitivity + scaledMouseRemainderY;
    int stepX = int(std::trunc(fx));
    int stepY = int(std::trunc(fy));
    scaledMouseRemainderX = fx - float(stepX);
    scaledMouseRemainderY = fy - float(stepY);
    if (stepX == 0 && stepY == 0) {
        return false;
    }
    scaledMouseX += stepX;
    scaledMouseY += stepY;
    if (Window* window = Window::FromHandle(message.window)) {
        window->WarpCursor(scaledMouseX, scaledMouseY);
    }
    message.lParam = MakeLParam(scaledMouseX, scaledMouseY);
    return true;
}

bool TolmAppBase::ProcessDeferredMessages(bool justOne)
{
    while (!deferredMessages.empty()) {
        Message message = deferredMessages.front();
        deferredMessages.pop_front();
        if (recordingDemo && !shutDown) {
            RecordDemoMessage(message);
        }
        if (!playingDemo) {
            DispatchDeferred(message);
        }
        bool fromOurWindow =
            message.window == MainWindowHandle() || (invisibleWindow && message.window == invisibleWindow->Handle());
        if (message.message == WM_CLOSE && fromOurWindow) {
            windowClosed = true;
            Shutdown();
        }
        if (justOne) {
            break;
        }
    }
    return !deferredMessages.empty();
}

void TolmAppBase::DispatchDeferred(const Message& message)
{
    bool forMainWindow = message.window == MainWindowHandle();
    switch (message.message) {
    case WM_MOVE:
        if (forMainWindow && windowed && mainWindow->ShowState() == SW_SHOWNORMAL) {
            mainWindow->GetPosition(preferredX, preferredY);
        }
        break;
    case WM_SIZE:
        if (forMainWindow && !shutDown && (message.wParam == SIZE_MINIMIZED) != minimized) {
            minimized = message.wParam == SIZE_MINIMIZED;
            if (minimized && muteOnFocusLoss) {
                Mute(true);
            } else if (!minimized) {
                if (muteOnFocusLoss) {
                    Unmute(true);
                }
                widgetManager->InvalidateAll();
            }
        }
        SetActiveState();
        if (message.wParam == SIZE_MAXIMIZED) {
            SwitchScreenModeTo(false);
        }
        break;
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
        widgetManager->SystemColorsChangedAll();
        widgetManager->InvalidateAll();
        break;
    case WM_ACTIVATEAPP:
        if (forMainWindow && !hidden && !shutDown) {
            SetActiveState();
            if (hasFocus && !isWindowedNow) {
                widgetManager->InvalidateAll();
            }
            if (browserLaunched && !hasFocus) {
                OnBrowserLaunched();
            }
        }
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        HandleKeyDown(message);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        lastInputTime = lastTimerTick;
        widgetManager->KeyUp(int(message.wParam));
        break;
    case WM_CHAR:
        lastInputTime = lastTimerTick;
        widgetManager->KeyChar(char(message.wParam));
        break;
    case WM_TIMER:
        if (inMainLoop && !hidden) {
            HandleTimerMessage();
        }
        break;
    case WM_MOUSEWHEEL:
        widgetManager->MouseWheel(int8_t(HighWordSigned(message.wParam) / WHEEL_DELTA));
        break;
    default:
        if (IsMouseButtonMessage(message.message) && !hidden) {
            DispatchMouse(message);
        }
        break;
    }
}

void TolmAppBase::HandleKeyDown(const Message& message)
{
    lastInputTime = lastTimerTick;
    int key = int(message.wParam);
    if (key == VK_RETURN && message.message == WM_SYSKEYDOWN && !windowedUnavailable && !fullScreenUnavailable) {
        SwitchScreenModeTo(!windowed);
        ResetKeyStates();
        return;
    }
    if (key == 'D' && widgetManager->keyDown[VK_CONTROL] && widgetManager->keyDown[VK_MENU]) {
        debugKeysEnabled = !debugKeysEnabled;
    }
    if (!debugKeysEnabled || !DebugKeyDown(key)) {
        widgetManager->KeyDown(key);
    }
}

void TolmAppBase::HandleTimerMessage()
{
    uint32_t now = Now();
    if (now - lastTimerTick > 500) {
        timerGapStart = now;
    }
    lastTimerTick = now;
    if (browserLaunched && now - timerGapStart > 5000) {
        if (!hasFocus && now - browserLaunchTime > 8000) {
            OnBrowserLaunched();
        } else if (hasFocus && now - browserLaunchTime > 12000) {
            OnBrowserLaunchFailed();
        }
    }
    int shownWidth = display ? display->displayWidth : width;
    int shownHeight = display ? display->displayHeight : height;
    bool inside = mainWindow && mainWindow->IsCursorInClient(shownWidth, shownHeight);
    if (inside == mouseInWindow) {
        return;
    }
    if (recordingDemo) {
        RecordDemoLongEvent(inside ? DemoEvent::kMouseEnter : DemoEvent::kMouseLeave);
    }
    if (!inside) {
        int x = 0;
        int y = 0;
        GetLastCursorPosition(x, y);
        widgetManager->MapMouse(x, y);
        widgetManager->MouseExit(x, y);
    }
    mouseInWindow = inside;
    ApplyCursor();
}

void TolmAppBase::DispatchMouse(const Message& message)
{
    int x = LowWordSigned(uint32_t(message.lParam));
    int y = HighWordSigned(uint32_t(message.lParam));
    widgetManager->MapMouse(x, y);
    lastInputTime = lastTimerTick;
    widgetManager->MouseMove(x, y);
    if (!mouseInWindow) {
        if (recordingDemo) {
            RecordDemoLongEvent(DemoEvent::kMouseEnter);
        }
        mouseInWindow = true;
        ApplyCursor();
    }
    switch (message.message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        CaptureMouse(message.window, true);
        widgetManager->MouseDown(x, y, MouseClickCode(message.message));
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        // Released only when nothing but this button's bit could be held, and before the widgets hear of
        // the release: what they do with it may replace the window (the options' Back leaving full
        // screen), and the capture belongs to the window the button went down in.
        if ((message.wParam & ~ButtonBitOf(message.message)) == 0) {
            CaptureMouse(message.window, false);
        }
        widgetManager->MouseUp(x, y, MouseClickCode(message.message));
        break;
    default:
        break;
    }
}

int TolmAppBase::MouseClickCode(uint32_t message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return 1;
    case WM_LBUTTONDBLCLK:
        return 2;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return -1;
    case WM_RBUTTONDBLCLK:
        return -2;
    default:
        return 3;
    }
}

void TolmAppBase::SetActiveState()
{
    bool nowActive = hasFocus && !minimized;
    if (nowActive == active) {
        return;
    }
    active = nowActive;
    if (active) {
        if (muteOnFocusLoss) {
            Unmute(true);
        }
        widgetManager->GotAppFocus();
        GotFocus();
        return;
    }
    if (muteOnFocusLoss) {
        Mute(true);
    }
    widgetManager->LostAppFocus();
    LostFocus();
    if (mainWindow) {
        mainWindow->CaptureMouse(false);
    }
    widgetManager->ReleasePressedWidget();
}

bool TolmAppBase::AllowRestore()
{
    return !windowDisabled;
}

void TolmAppBase::SetCursor(int number)
{
    cursorNumber = number;
    ApplyCursor();
}

void TolmAppBase::ApplyCursor()
{
    if (!display) {
        return;
    }
    if (hidden || !mouseInWindow) {
        ShowSystemCursor(SystemCursor::Arrow);
    } else {
        switch (cursorNumber) {
        case 1:
        case 2: {
            const Cursor* cursor = cursorNumber == 1 ? pointingHandCursor.get() : openHandCursor.get();
            if (cursor) {
                ShowCursor(*cursor);
            } else {
                ShowSystemCursor(SystemCursor::Arrow);
            }
            break;
        }
        case 3:
            ShowSystemCursor(SystemCursor::IBeam);
            break;
        case 4:
            ShowSystemCursor(SystemCursor::No);
            break;
        case 5:
            ShowSystemCursor(SystemCursor::SizeAll);
            break;
        case 6:
            ShowSystemCursor(SystemCursor::SizeNESW);
            break;
        case 7:
            ShowSystemCursor(SystemCursor::SizeNS);
            break;
        case 8:
            ShowSystemCursor(SystemCursor::SizeNWSE);
            break;
        case 9:
            ShowSystemCursor(SystemCursor::SizeWE);
            break;
        case 10:
            ShowSystemCursor(SystemCursor::Wait);
            break;
        case 11:
        case 12:
            HideCursor();
            break;
        default:
            ShowSystemCursor(SystemCursor::Arrow);
            break;
        }
    }
    if (display->SetCursorImage(nullptr)) {
        cursorChanged = true;
    }
}

void TolmAppBase::Hide()
{
    SetMusicVolume(0);
    if (mainWindow) {
        mainWindow->Hide();
    }
    hidden = true;
    ApplyCursor();
}

bool TolmAppBase::IsConfirmKey(int key)
{
    return key == 13 || key == 82 || key == 114;
}

void TolmAppBase::ResetKeyStates()
{
    widgetManager->keyDown.fill(false);
    ctrlDown = false;
    altDown = false;
}

bool TolmAppBase::DebugKeyDown(int key)
{
    bool shift = widgetManager->keyDown[VK_SHIFT];
    switch (key) {
    case 114: // F3: the frame-rate or mouse-position overlay
        if (shift) {
            fpsOverlayMode = fpsOverlayMode + 1 <= 1 ? fpsOverlayMode + 1 : 0;
            SetFpsOverlay(true);
        } else {
            SetFpsOverlay(!showFps);
        }
        return false;
    case 119: // F8: 3D on or off, or the video statistics
        if (shift) {
            SetAcceleration3D(!display->is3D, true);
            ShowMessageBox(FormatString("3D-Mode: %s", display->is3D ? "ON" : "OFF"), "Mode Switch", MB_OK);
        } else {
            ShowVideoStats();
        }
        return true;
    case 113: // F2: the profiler
        if (ProfilerIsActive()) {
            ProfilerStop();
            ShowMessageBox(ProfilerGetReport(), "Perf Results", MB_OK);
        } else {
            ProfilerStart(false);
        }
        ResetFrameTiming();
        return false;
    case 121: // F10
        return true;
    default:
        return false;
    }
}

void TolmAppBase::SetFpsOverlay(bool on)
{
    showFps = on;
    widgetManager->InvalidateAll();
    if (on) {
        debugOverlay->RestartFrameRate();
    }
}

void TolmAppBase::ShowVideoStats()
{
    // The display has no 3D path, no video memory of its own and no textures.
    std::string text =
        FormatString("3D-Mode is %s (3D is %s on this system)\r\n\r\n", display->is3D ? "On" : "Off", "Unsupported");
    text += FormatString("Num Images: %d\r\n", 0);
    text += FormatString("Num Sounds: %d\r\n", 0);
    text += FormatString("Video Memory: %s/%s KB\r\n", FormatThousands(0).c_str(), FormatThousands(0).c_str());
    text += FormatString("Texture Memory: %s KB\r\n", FormatThousands(0).c_str());
    for (const char* format : {"A8R8G8B8", "A4R4G4B4", "R5G6B5", "Palette8"}) {
        text += FormatString("%s: %d - %s KB\r\n", format, 0, FormatThousands(0).c_str());
    }
    ShowMessageBox(text, "Video Stats", MB_OK);
    ResetFrameTiming();
}

void TolmAppBase::MousePollThreadEntry()
{
    // The poll interval is wall-clock time, never the program's clock: a test clock that drives the
    // logic must not be moved by this thread.
    while (!shutDown) {
        int x = demoMouseX;
        int y = demoMouseY;
        if (!playingDemo) {
            GetLastCursorPosition(x, y);
        }
        int shownX = 0;
        int shownY = 0;
        if (display) {
            display->GetCursorPosition(shownX, shownY);
        }
        if (display && display->HasPresented() && (x != shownX || y != shownY)) {
            uint32_t sinceRedraw = Now() - nextRedrawTime.load();
            if (int32_t(sinceRedraw) > int32_t(display->refreshPeriod + 5)) {
                display->SetCursorPosition(x, y);
            } else {
                // Left with the display for the next present.
                display->StoreCursorPosition(x, y);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kMousePollMs));
    }
    mousePollThreadRunning = false;
}

} // namespace Tolm
